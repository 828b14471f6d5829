#pragma once
// The document of one outline window: a new outline, an outline document (".orv"), a
// template (".ort"), a document from the Conflicts folder, or the filing cabinet. It ties
// the outline to the new/open/save/close flow and to the library: a new outline gets its
// file name from its title at the first save, a saved one keeps its file name, and every
// save brings the file's library entry up to date.
//
// Contracts:
// - A failed save returns false and changes nothing but the outline's header fields that
//   the save itself writes; the document stays modified and the old file stays whole (the
//   store writes through a temporary file). No flow deletes a file that existed before.
// - CanClose answers false ("stop") whenever closing would lose changes: Cancel, or a
//   save that failed.
// - Questions go through platform::prompter().

#include <QString>

#include "model/OutlineMan.h"
#include "platform/Document.h"
#include "platform/LogFont.h"

class CDocumentHost;

class COrvelleDoc : public platform::Document {
public:
    // The outline of this document: tells the document when it becomes (un)modified.
    class CDocOutline : public COutlineMan {
    public:
        explicit CDocOutline(COrvelleDoc* doc) : m_doc(doc) {}
        void OnModified(bool modified) override;

    private:
        COrvelleDoc* m_doc;
    };

    // host is not owned and must outlive the document.
    explicit COrvelleDoc(CDocumentHost& host);
    ~COrvelleDoc() override;

    // --- the document flow (the platform layer calls these through its overridables) ---
    // The title field takes text only while it is empty (the filing cabinet's is always
    // "Filing Cabinet"); the window title then shows the title field.
    void SetDocTitle(const QString& text);
    // Ignored for a document from the Conflicts folder, which so never asks to be saved.
    void SetModified(bool flag);
    // A new outline with one empty item, "Unfiled", a fresh DocUID, titled with the
    // default title the template gave the window.
    bool NewDocument();
    // False when another open document has path (that one's window is activated) or the
    // file does not load.
    bool OpenDocument(const QString& path);
    // Writes the outline to path; the document is then saved and no longer new.
    bool SaveDocument(const QString& path);
    // True ("continue") when the document may close.
    bool CanClose();
    // Save or Save As without a file dialog. An empty path means the current path name;
    // a document without one (and replace set) goes to the new-file folder (else the data
    // folder) under its window title up to the first character a file name cannot hold,
    // numbered when taken. With replace the document takes the path; without it the file
    // is a copy and the document keeps its own. False when nothing could be written.
    bool SaveTo(const QString& path, bool replace);

    // Saves under the current path, or under a path made from the title for a new outline;
    // a category the list lacks is added first. False when the save fails.
    bool SaveWithTitle();
    // The same without the category step and without asking, for "Save All", the
    // automatic save and a sync; the filing cabinet is only written.
    bool SaveSilently();
    // A free path for title: the current path's folder, else the new-file folder, else
    // the data folder; the template or document extension. False (path unchanged) when
    // there is no folder or no free name.
    bool MakePathFromTitle(QString& path, const QString& title, bool showErrors);
    // A category oldName was renamed to newName (or removed, or added): the outline's
    // category follows when it was oldName; an unknown category becomes "Unfiled".
    void ReplaceDocCategory(const QString& oldName, const QString& newName);
    // "Save As Template": writes the outline as a template and reopens it in place.
    // Returns true when the template was written; the filing cabinet is never saved as one.
    bool SaveAsTemplate();

    // --- titles ----------------------------------------------------------------------------
    const QString& GetDocTitle() const { return m_title; }
    // The user edited the title: outline, title field and window follow and the document
    // becomes modified. Empty or unchanged text, and any text for the cabinet, change
    // nothing (false).
    bool ChangeTitle(const QString& text);
    // The library gave the file a new title and path (it already wrote the file).
    void TakeRenamedFile(const QString& title, const QString& path);
    // The library moved the file to newPath (another root, a new DocUID): an unchanged
    // document is read again from there; a changed one keeps its changes and takes the
    // moved file's DocUID, so its next save goes to newPath under that identity.
    void FollowMovedFile(const QString& newPath);

    // --- kinds and folders -----------------------------------------------------------------
    bool IsFilingCabinet() const { return m_isFilingCabinet; }
    // Marks the document as the filing cabinet and gives it the cabinet's title.
    void SetFilingCabinet(bool flag);
    bool IsTemplate() const { return m_isTemplate; }
    bool IsConflict() const { return m_isConflict; }
    const QString& GetNewFileFolder() const { return m_newFileFolder; }
    void SetNewFileFolder(const QString& folder) { m_newFileFolder = folder; }
    const platform::LogFont& GetDefaultFont() const { return m_defaultFont; }

    CDocOutline& GetOutline() { return m_outline; }
    const CDocOutline& GetOutline() const { return m_outline; }
    CDocumentHost& Host() const { return m_host; }

    // --- platform overridables -------------------------------------------------------------
    void setTitle(const QString& title) override { SetDocTitle(title); }
    void setModified(bool modified) override { SetModified(modified); }
    bool newDocument() override { return NewDocument(); }
    bool openDocument(const QString& path) override { return OpenDocument(path); }
    bool saveDocument(const QString& path) override { return SaveDocument(path); }
    bool canClose() override { return CanClose(); }
    bool saveTo(const QString& path, bool replace) override { return SaveTo(path, replace); }

protected:
    void deleteContents() override { m_outline.Clear(); }

private:
    void WriteViewSettings();
    bool IsBatchSaveRunning() const;
    bool IsConflictPath(const QString& path) const;
    QString DocumentExtension() const;
    QString TemplateExtension() const;
    // The folder a file of a document without one goes to; empty when none is known.
    QString FolderForNewFile() const;
    // The path the next SaveWithTitle/SaveSilently writes to; empty when none can be made.
    QString PathForSave();
    void EnsureCategoryListed();
    void UpdateLibrary(const QString& path);
    void RefreshListAfterSave(const QString& path);
    bool SaveCabinet();
    void ReportSaveFailure(const QString& path);

    CDocumentHost& m_host;
    CDocOutline m_outline;
    platform::LogFont m_defaultFont;
    bool m_isFilingCabinet = false;
    QString m_title;
    bool m_isTemplate = false;
    QString m_newFileFolder;
    bool m_isConflict = false;
};
