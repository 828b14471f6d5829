#include "storage/document/COrvelleDoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/config/DataFolders.h"
#include "app/config/SharedFlags.h"
#include "library/CRootList.h"
#include "library/FileNames.h"
#include "platform/DocTemplate.h"
#include "platform/Prompter.h"
#include "platform/ScreenInfo.h"
#include "platform/View.h"
#include "storage/CCategoryDatabase.h"
#include "storage/OutlineUID.h"
#include "storage/document/DocumentHost.h"
#include "storage/document/DocumentTexts.h"
#include "storage/document/OutlineDocumentView.h"

namespace {

// The characters a file name cannot carry on the system the files travel to.
bool IsForbiddenFileChar(QChar c) {
    static const QString kForbidden = QStringLiteral("\\/:*?\"<>|");
    return kForbidden.contains(c);
}

QString CleanPath(const QString& path) {
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

void COrvelleDoc::CDocOutline::OnModified(bool modified) { m_doc->SetModified(modified); }

COrvelleDoc::COrvelleDoc(CDocumentHost& host)
    : m_host(host), m_outline(this), m_defaultFont(platform::defaultGuiFont()) {
    m_outline.SetPreferences(host.OutlinePrefs());
}

COrvelleDoc::~COrvelleDoc() = default;

// --- titles and flags -------------------------------------------------------------------

void COrvelleDoc::SetDocTitle(const QString& text) {
    if (m_isFilingCabinet) m_title = doctexts::kFilingCabinetTitle;
    else if (m_title.isEmpty()) m_title = text;
    Document::setTitle(m_title);
}

void COrvelleDoc::SetModified(bool flag) {
    if (m_isConflict) return;
    Document::setModified(flag);
}

void COrvelleDoc::SetFilingCabinet(bool flag) {
    m_isFilingCabinet = flag;
    if (flag) SetDocTitle(doctexts::kFilingCabinetTitle);
}

bool COrvelleDoc::ChangeTitle(const QString& text) {
    if (m_isFilingCabinet || text.isEmpty() || text == m_title) return false;
    m_title = text;
    m_outline.SetTitle(text);
    Document::setTitle(text);
    SetModified(true);
    return true;
}

void COrvelleDoc::TakeRenamedFile(const QString& title, const QString& path) {
    m_title = title;
    m_outline.SetTitle(title);
    Document::setTitle(title);
    setPathName(path);
}

// --- new and open -----------------------------------------------------------------------

bool COrvelleDoc::NewDocument() {
    m_title.clear();
    // The template titles the window before it asks for the new document; that title is
    // the default one the outline takes.
    QString defaultTitle = title();
    if (!Document::newDocument()) return false;
    if (defaultTitle.isEmpty())
        defaultTitle = docTemplate() ? docTemplate()->nextUntitledTitle() : doctexts::kUntitled;
    SetDocTitle(defaultTitle);

    m_outline.InitNew(true);
    m_outline.SetTitle(m_title);
    // Replaced at the first save (the outline is still new then); written now so that a
    // new outline never has an empty identifier while it is open.
    if (COutlineDatabase* db = m_outline.GetDatabase()) db->SetDocUID(UIDToHex(GenerateUID()));
    m_isTemplate = false;
    m_isConflict = false;
    m_newFileFolder.clear();
    m_outline.SetCategory(doctexts::kUnfiled);
    return true;
}

bool COrvelleDoc::OpenDocument(const QString& path) {
    if (platform::DocTemplate* t = docTemplate()) {
        platform::Document* other = t->findOpenDocument(path);
        if (other && other != this) {
            if (platform::View* v = other->firstView()) v->activate();
            return false;
        }
    }
    // The outline clears itself before it reads; on failure it is left empty and the
    // caller discards (or closes) this document.
    if (!m_outline.Open(path)) return false;
    m_isConflict = IsConflictPath(path);
    m_isTemplate = IsTemplateFile(path);
    m_newFileFolder.clear();
    Document::setModified(false);
    setPathName(path);
    QString title;
    m_outline.GetTitle(title);
    m_title = m_isFilingCabinet ? doctexts::kFilingCabinetTitle : title;
    Document::setTitle(m_title);
    return true;
}

// --- saving -----------------------------------------------------------------------------

void COrvelleDoc::WriteViewSettings() {
    if (auto* v = dynamic_cast<OutlineDocumentView*>(firstView())) v->WriteSettingsToHeader(m_outline);
}

bool COrvelleDoc::SaveDocument(const QString& path) {
    if (path.isEmpty()) return false;
    if (!m_isFilingCabinet) WriteViewSettings();
    m_outline.SetTitle(m_title);
    if (!m_outline.Save(path)) return false;
    Document::setModified(false);
    m_outline.SetIsNew(false);
    setPathName(path);
    // The cabinet is no file the user chose, so it stays out of the recently used list.
    if (!m_isFilingCabinet) m_host.AddToRecentFiles(path);
    if (m_host.IsSaveAllRunning()) UpdateLibrary(path);
    return true;
}

QString COrvelleDoc::DocumentExtension() const {
    const platform::DocTemplate* t = docTemplate();
    return t && !t->documentExtension().isEmpty() ? t->documentExtension() : config::kOutlineExtension;
}

QString COrvelleDoc::TemplateExtension() const {
    const platform::DocTemplate* t = docTemplate();
    return t && !t->templateExtension().isEmpty() ? t->templateExtension() : config::kTemplateExtension;
}

QString COrvelleDoc::FolderForNewFile() const {
    return m_newFileFolder.isEmpty() ? m_host.DataFolder() : m_newFileFolder;
}

bool COrvelleDoc::MakePathFromTitle(QString& path, const QString& title, bool showErrors) {
    // MakeFileTitle always yields a usable name, so there is never an invalid file name
    // to report.
    (void)showErrors;
    const QString fileTitle = MakeFileTitle(title);
    const QString extension = QStringLiteral(".") + (m_isTemplate ? TemplateExtension() : DocumentExtension());
    const QString folder = path.isEmpty() ? FolderForNewFile() : CMyFile(path).Folder();
    // Without a folder the file would land wherever the process happens to run.
    if (folder.isEmpty()) return false;
    const QString unique = MakeUniquePath(JoinPath(folder, fileTitle, extension));
    if (unique.isEmpty()) return false;
    path = unique;
    return true;
}

QString COrvelleDoc::PathForSave() {
    QString path = pathName();
    // A saved outline keeps its file name whatever its title has become; renaming the
    // file is the library's business.
    if (!m_outline.IsNew() && !path.isEmpty()) return path;
    if (!MakePathFromTitle(path, m_title, false)) return QString();
    return path;
}

void COrvelleDoc::EnsureCategoryListed() {
    CCategoryList* categories = m_host.Categories();
    if (!categories) return;
    QString category;
    m_outline.GetCategory(category);
    if (category.isEmpty() || categories->FindByName(category)) return;
    categories->Add(GenerateUID(), category);
    m_host.RefreshCategoryUI();
}

void COrvelleDoc::UpdateLibrary(const QString& path) {
    if (CRootList* roots = m_host.Roots()) roots->UpdateFile(path);
}

void COrvelleDoc::RefreshListAfterSave(const QString& path) {
    if (config::IsRefreshListAfterSave()) m_host.RefreshFileList(path);
}

void COrvelleDoc::ReportSaveFailure(const QString& path) {
    platform::prompter().ask(doctexts::kSaveFailed.arg(QDir::toNativeSeparators(path)),
                             platform::PromptButtons::Ok, platform::PromptIcon::Error);
}

bool COrvelleDoc::SaveWithTitle() {
    const QString path = PathForSave();
    if (path.isEmpty()) {
        ReportSaveFailure(m_title);
        return false;
    }
    if (!IsTemplateFile(path)) EnsureCategoryListed();
    if (!SaveDocument(path)) {
        ReportSaveFailure(path);
        return false;
    }
    UpdateLibrary(path);
    setPathName(path);
    RefreshListAfterSave(path);
    return true;
}

bool COrvelleDoc::SaveCabinet() {
    // Hidden files are told by their name here, so the cabinet keeps whatever name the
    // application gave it; there are no attributes to set around the write.
    return SaveDocument(pathName());
}

bool COrvelleDoc::SaveSilently() {
    if (m_isFilingCabinet) return SaveCabinet();
    if (m_title.isEmpty()) {
        m_title = doctexts::kUntitled;
        Document::setTitle(m_title);
    }
    const QString path = PathForSave();
    if (path.isEmpty() || !SaveDocument(path)) return false;
    UpdateLibrary(path);
    setPathName(path);
    RefreshListAfterSave(path);
    return true;
}

bool COrvelleDoc::IsBatchSaveRunning() const {
    return m_host.IsSaveAllRunning() || m_host.IsAutoSaveRunning() || m_host.IsSyncRunning() ||
           config::IsSilentSave();
}

bool COrvelleDoc::CanClose() {
    if (IsBatchSaveRunning()) {
        // A batch never asks; a save that fails keeps the document open with its changes.
        return !isModified() || SaveSilently();
    }
    if (m_isFilingCabinet) {
        if (SaveCabinet()) return true;
        ReportSaveFailure(pathName());
        return false;
    }
    if (!isModified()) {
        if (!pathName().isEmpty()) WriteViewSettings();
        return true;
    }
    switch (platform::prompter().ask(doctexts::kSaveChanges.arg(m_title), platform::PromptButtons::YesNoCancel,
                                     platform::PromptIcon::Question)) {
    case platform::PromptAnswer::Yes: return SaveWithTitle();
    case platform::PromptAnswer::No: return true;
    default: return false;
    }
}

bool COrvelleDoc::SaveTo(const QString& path, bool replace) {
    QString target = path.isEmpty() ? pathName() : path;
    if (target.isEmpty()) {
        if (!replace) return false;
        // No file yet: the window title up to its first character a file name cannot
        // hold, in the folder new files go to, under a name no other file has (there is
        // no dialog that could have asked about overwriting).
        QString name = title();
        for (int i = 0; i < name.size(); ++i) {
            if (IsForbiddenFileChar(name[i])) {
                name.truncate(i);
                break;
            }
        }
        name = MakeFileTitle(name.isEmpty() ? doctexts::kUntitled : name);
        const QString folder = FolderForNewFile();
        if (folder.isEmpty()) {
            ReportSaveFailure(name);
            return false;
        }
        target = MakeUniquePath(JoinPath(folder, name, QStringLiteral(".") + DocumentExtension()));
        if (target.isEmpty()) {
            ReportSaveFailure(name);
            return false;
        }
    }
    const bool existed = FileExists(target);
    const QString previousPath = pathName();
    const bool wasNew = m_outline.IsNew();
    m_host.BeginWaitCursor();
    const bool saved = SaveDocument(target);
    m_host.EndWaitCursor();
    if (!saved) {
        // The store writes through a temporary file, so a failed save leaves no partial
        // file; should one appear anyway, only a file this save created is removed.
        if (path.isEmpty() && !existed && FileExists(target)) QFile::remove(target);
        ReportSaveFailure(target);
        return false;
    }
    // Without replace the file is a copy: the document stays with the file it had.
    if (replace) {
        setPathName(target);
    } else {
        setPathName(previousPath);
        m_outline.SetIsNew(wasNew);
    }
    // The files list shows what is on disk, also right after a plain "Save".
    UpdateLibrary(target);
    if (!m_isFilingCabinet) RefreshListAfterSave(target);
    return true;
}

// --- categories and templates -------------------------------------------------------------

void COrvelleDoc::ReplaceDocCategory(const QString& oldName, const QString& newName) {
    if (!firstView() || m_isFilingCabinet || m_isTemplate) return;
    CCategoryList* categories = m_host.Categories();
    auto listed = [categories](const QString& name) {
        return categories && categories->FindByName(name) != nullptr;
    };
    QString category;
    m_outline.GetCategory(category);
    if (category == oldName) {
        m_outline.SetCategory(listed(newName) ? newName : doctexts::kUnfiled);
        const bool wasModified = isModified();
        SetModified(true);
        if (!wasModified && !pathName().isEmpty()) SaveDocument(pathName());
    } else if (!listed(category)) {
        m_outline.SetCategory(doctexts::kUnfiled);
    }
}

bool COrvelleDoc::SaveAsTemplate() {
    // The cabinet is a scratch pad with a fixed file, never a template.
    if (m_isFilingCabinet) return false;
    const bool wasTemplate = m_isTemplate;
    const bool wasNew = m_outline.IsNew();
    m_isTemplate = true;

    // The template's name is the title's; when a file of that name is there already the
    // user decides whether it is replaced. The document's own file, or one another window
    // has open, is never the one replaced: a free numbered name is taken instead.
    const QString extension = QStringLiteral(".") + TemplateExtension();
    QString folder;
    if (pathName().isEmpty()) {
        folder = FolderForNewFile();
    } else {
        const CRootList* roots = m_host.Roots();
        const CFileTreeRoot* templates = roots ? roots->FindRoot(kRootTemplates) : nullptr;
        folder = templates ? templates->GetFolder() : m_host.DataFolder();
    }
    QString path;
    if (!folder.isEmpty()) {
        path = JoinPath(folder, MakeFileTitle(m_title), extension);
        platform::Document* open = docTemplate() ? docTemplate()->findOpenDocument(path) : nullptr;
        const bool own = !pathName().isEmpty() && CleanPath(path) == CleanPath(pathName());
        if (open || own) path = MakeUniquePath(path);
    }
    if (path.isEmpty()) {
        m_isTemplate = wasTemplate;
        return false;
    }
    if (FileExists(path)) {
        QString text = doctexts::kOverwriteTemplate;
        text.replace(QStringLiteral("%s"), CMyFile(path).FileName());
        if (platform::prompter().ask(text, platform::PromptButtons::YesNo, platform::PromptIcon::Question) !=
            platform::PromptAnswer::Yes) {
            m_isTemplate = wasTemplate;
            return false;
        }
    }

    // A template is a new document of its own: a new DocUID and the current category.
    // Should the write fail, the document keeps its own identity for its next save.
    COutlineDatabase* db = m_outline.GetDatabase();
    const QString oldUID = db ? db->GetDocUID() : QString();
    const QString oldCategory = db ? db->GetCategory() : QString();
    m_outline.SetIsNew(true);
    if (!SaveDocument(path)) {
        if (db) {
            db->SetDocUID(oldUID);
            db->SetCategory(oldCategory);
        }
        m_outline.SetIsNew(wasNew);
        m_isTemplate = wasTemplate;
        ReportSaveFailure(path);
        return false;
    }
    setPathName(path);
    UpdateLibrary(path);
    m_host.RefreshFileList(path);
    m_host.ReopenInPlace(this, path);  // may destroy this document
    return true;
}

void COrvelleDoc::FollowMovedFile(const QString& newPath) {
    m_isTemplate = IsTemplateFile(newPath);
    m_isConflict = IsConflictPath(newPath);
    setPathName(newPath);
    if (!isModified()) {
        auto* view = dynamic_cast<OutlineDocumentView*>(firstView());
        if (view) view->ReloadDocument();
        else OpenDocument(newPath);
    } else if (COutlineDatabase* db = m_outline.GetDatabase()) {
        // The moved file got an identity of its own; the changes still to be saved must
        // not take the old one back into it.
        COutlineDatabase moved;
        if (moved.Open(newPath, 0)) db->SetDocUID(moved.GetDocUID());
    }
    Document::setTitle(m_title);
}

// --- where a file lies --------------------------------------------------------------------

bool COrvelleDoc::IsConflictPath(const QString& path) const {
    if (const CRootList* roots = m_host.Roots(); roots && roots->IsConflictFile(path)) return true;
    const QString dataFolder = m_host.DataFolder();
    if (dataFolder.isEmpty()) return false;
    return CleanPath(QFileInfo(path).absolutePath()) ==
           CleanPath(config::JoinFolder(dataFolder, config::kConflictsFolder));
}
