#pragma once
// The library: the three roots built from the current data folder and the file
// operations on library documents. After any operation the roots show what is on disk
// for every path it touched (UpdateFile is called for each).
//
// Contracts of the file operations:
// - They never overwrite an existing file and never delete or rewrite a file they could
//   not read as an outline document; on any failure the source is left as it was.
// - They return false on failure and tell nobody: the roots show what really happened.

#include <memory>
#include <optional>
#include <vector>

#include <QString>

#include "library/CFileTreeRoot.h"

class CCategoryList;

// Told about library files that changed place, so that an open document can follow its
// file. Implemented by the document layer; every call comes from the UI thread.
class CLibraryObserver {
public:
    virtual ~CLibraryObserver() = default;
    // A file moved to another root: a window showing oldPath resets its view and title.
    virtual void OnFileMoved(const QString& oldPath, const QString& newPath) = 0;
    // A file was renamed: a document of oldPath takes title and newPath.
    virtual void OnFileRenamed(const QString& oldPath, const QString& newPath, const QString& title) = 0;
};

class CRootList {
public:
    CRootList();
    ~CRootList();
    CRootList(const CRootList&) = delete;
    CRootList& operator=(const CRootList&) = delete;

    // Header reads add unknown categories to this list (not owned; may be null).
    void SetCategoryList(CCategoryList* categories);
    // The current user's default data folder, which category replacement also covers
    // when it differs from the data folder.
    void SetDefaultDataFolder(const QString& folder) { m_defaultDataFolder = folder; }
    void SetObserver(CLibraryObserver* observer) { m_observer = observer; }

    // Replaces the roots by Outlines and Templates in dataFolder, and Conflicts when
    // dataFolder/Conflicts exists. A missing root folder is created (one level). An empty
    // dataFolder gives no roots.
    void BuildRoots(const QString& dataFolder);
    void ClearRoots();
    void ScanAll();

    const QString& GetDataFolder() const { return m_dataFolder; }
    // Empty when there is no Conflicts root.
    const QString& GetConflictsFolder() const { return m_conflictsFolder; }
    int GetCount() const { return static_cast<int>(m_roots.size()); }
    CFileTreeRoot* GetAt(int i) const;
    CFileTreeRoot* FindRoot(int kind) const;
    // The root listing path (its folder and extension), or null.
    CFileTreeRoot* FindRootOf(const QString& path) const;
    // The info of path in whichever root lists it, or null.
    CTreeData* FindFile(const QString& path) const;

    // Brings the one path up to date in the root it belongs to.
    void UpdateFile(const QString& path);
    bool IsConflictFile(const QString& path) const;

    // rootFolder + title + ".orv" (kind 2) or ".ort" (kind 3), made unique; empty for
    // other kinds or when no free name exists.
    QString MakeFilePath(const QString& rootFolder, const QString& title, int kind,
                         const QString& excluded = QString()) const;

    // Copies source to target (which must not exist) with the new title; the copy keeps
    // the DocUID.
    bool DuplicateFile(const QString& source, const QString& target, const QString& title);
    // Copies source to target (which must not exist) as a new document: a new DocUID and
    // the category when given.
    bool CopyAsNew(const QString& source, const QString& target,
                   const std::optional<QString>& category = std::nullopt);
    // Moves source into the root of target's folder and extension, under a free name made
    // from target's name, with a new DocUID; target becomes the path used.
    bool MoveToRoot(const QString& source, QString& target, const QString& category = QString());
    // Records the document's DocUID in the data folder's "DeletedFiles.xml", then deletes
    // it. Nothing is deleted when the document cannot be read or the record not written.
    bool RemoveFile(const QString& path);
    // Gives the file the trimmed title and a file name made from it. False when nothing
    // changed (empty or unchanged title) or on failure.
    bool RenameFile(CTreeData* info, CFileTreeRoot* root, const QString& title);
    // Every outline of category oldName in the data folder (and the default data folder)
    // gets newName ("Unfiled" when empty); then the roots are scanned again.
    void ReplaceCategory(const QString& oldName, const QString& newName = QString());

private:
    CFileTreeRoot* AddRoot(const QString& name, const QString& folder, const QString& extension, int kind);

    std::vector<std::unique_ptr<CFileTreeRoot>> m_roots;
    QString m_dataFolder;
    QString m_defaultDataFolder;
    QString m_conflictsFolder;
    CCategoryList* m_categories = nullptr;
    CLibraryObserver* m_observer = nullptr;
};
