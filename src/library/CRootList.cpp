#include "library/CRootList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/config/DataFolders.h"
#include "library/FileNames.h"
#include "storage/CDeletedOutlinesDatabase.h"
#include "storage/COutlineDatabase.h"
#include "storage/OutlineUID.h"

namespace {

QString cleanFolder(const QString& folder) {
    QString f = QDir::cleanPath(folder);
    if (!f.endsWith(QLatin1Char('/'))) f += QLatin1Char('/');
    return f;
}

void addOwnerWrite(const QString& path) {
    QFile f(path);
    const auto perms = f.permissions();
    if (!(perms & QFileDevice::WriteOwner)) f.setPermissions(perms | QFileDevice::WriteOwner);
}

// Opens a copy the library just made; on success sets what the operation changes and
// saves it in place. The copy is removed when it cannot be read or written, so a failed
// operation leaves nothing behind.
template <typename Change>
bool adjustCopy(const QString& path, Change change) {
    COutlineDatabase db;
    if (!db.Open(path, 0)) {
        QFile::remove(path);
        return false;
    }
    change(db);
    db.SetModified(1);
    if (!db.Save(path, 0)) {
        QFile::remove(path);
        return false;
    }
    return true;
}

}  // namespace

CRootList::CRootList() = default;
CRootList::~CRootList() = default;

void CRootList::SetCategoryList(CCategoryList* categories) {
    m_categories = categories;
    for (auto& r : m_roots) r->SetCategoryList(categories);
}

CFileTreeRoot* CRootList::AddRoot(const QString& name, const QString& folder, const QString& extension, int kind) {
    auto root = std::make_unique<CFileTreeRoot>();
    root->SetName(name);
    root->SetFolder(folder);
    root->SetExtensions({extension});
    root->SetKind(kind);
    root->SetCategoryList(m_categories);
    if (!FileExists(folder)) QDir().mkdir(folder);
    m_roots.push_back(std::move(root));
    return m_roots.back().get();
}

void CRootList::BuildRoots(const QString& dataFolder) {
    ClearRoots();
    m_dataFolder = dataFolder;
    // An empty folder would make the working folder (or "/") the library.
    if (dataFolder.trimmed().isEmpty()) return;
    const QString folder = cleanFolder(dataFolder);
    AddRoot(QStringLiteral("Outlines"), folder, config::kOutlineExtension, kRootOutlines);
    AddRoot(QStringLiteral("Templates"), folder, config::kTemplateExtension, kRootTemplates);
    const QString conflicts = folder + config::kConflictsFolder;
    if (QFileInfo(conflicts).isDir()) {
        m_conflictsFolder = conflicts;
        AddRoot(QStringLiteral("Conflicts"), conflicts, config::kOutlineExtension, kRootConflicts);
    }
}

void CRootList::ClearRoots() {
    m_roots.clear();
    m_conflictsFolder.clear();
}

void CRootList::ScanAll() {
    for (auto& r : m_roots) r->Scan();
}

CFileTreeRoot* CRootList::GetAt(int i) const {
    if (i < 0 || i >= GetCount()) return nullptr;
    return m_roots[static_cast<size_t>(i)].get();
}

CFileTreeRoot* CRootList::FindRoot(int kind) const {
    for (const auto& r : m_roots) {
        if (r->GetKind() == kind) return r.get();
    }
    return nullptr;
}

CFileTreeRoot* CRootList::FindRootOf(const QString& path) const {
    const QString folder = cleanFolder(CMyFile(path).Folder());
    for (const auto& r : m_roots) {
        if (r->GetFolder() == folder && r->Accepts(path)) return r.get();
    }
    return nullptr;
}

CTreeData* CRootList::FindFile(const QString& path) const {
    for (const auto& r : m_roots) {
        if (CTreeData* info = r->Find(path)) return info;
    }
    return nullptr;
}

void CRootList::UpdateFile(const QString& path) {
    const QString folder = cleanFolder(CMyFile(path).Folder());
    for (const auto& r : m_roots) {
        if (r->GetFolder() == folder && r->Update(path)) return;
    }
}

bool CRootList::IsConflictFile(const QString& path) const {
    const QString folder = cleanFolder(CMyFile(path).Folder());
    for (const auto& r : m_roots) {
        if (r->GetFolder() == folder) return r->GetKind() == kRootConflicts;
    }
    return false;
}

QString CRootList::MakeFilePath(const QString& rootFolder, const QString& title, int kind,
                                const QString& excluded) const {
    QString extension;
    if (kind == kRootOutlines) extension = QStringLiteral(".") + config::kOutlineExtension;
    else if (kind == kRootTemplates) extension = QStringLiteral(".") + config::kTemplateExtension;
    else return QString();
    return MakeUniquePath(JoinPath(rootFolder, title, extension), QString(), excluded);
}

bool CRootList::DuplicateFile(const QString& source, const QString& target, const QString& title) {
    if (target.isEmpty() || FileExists(target) || !QFile::copy(source, target)) return false;
    const bool ok = adjustCopy(target, [&](COutlineDatabase& db) { db.SetTitle(title); });
    UpdateFile(target);
    return ok;
}

bool CRootList::CopyAsNew(const QString& source, const QString& target, const std::optional<QString>& category) {
    if (target.isEmpty() || FileExists(target) || !QFile::copy(source, target)) return false;
    const bool ok = adjustCopy(target, [&](COutlineDatabase& db) {
        if (category) db.SetCategory(*category);
        db.SetDocUID(UIDToHex(GenerateUID()));
    });
    UpdateFile(target);
    return ok;
}

bool CRootList::MoveToRoot(const QString& source, QString& target, const QString& /*category*/) {
    const CMyFile from(source);
    const CMyFile to(target);
    addOwnerWrite(QDir::cleanPath(to.Folder()));
    addOwnerWrite(QDir::cleanPath(from.Folder()));
    addOwnerWrite(source);

    // The target's own extension decides, not a ".orv" somewhere in its folder names.
    const int kind = IsTemplateFile(target) ? kRootTemplates : kRootOutlines;
    const QString final = MakeFilePath(to.Folder(), to.Name(), kind);
    if (final.isEmpty()) return false;
    target = final;

    if (FileExists(final) || !QFile::copy(source, final)) return false;
    if (!adjustCopy(final, [](COutlineDatabase& db) { db.SetDocUID(UIDToHex(GenerateUID())); })) {
        UpdateFile(final);
        return false;
    }
    if (!QFile::remove(source)) {
        // Two copies with different DocUIDs would both sync; keep the original only.
        QFile::remove(final);
        UpdateFile(final);
        return false;
    }
    if (m_observer) m_observer->OnFileMoved(source, final);
    UpdateFile(source);
    UpdateFile(final);
    return true;
}

bool CRootList::RemoveFile(const QString& path) {
    COutlineDatabase db;
    if (!db.Open(path, 0)) return false;
    QString uid;
    db.GetText(QStringLiteral("//OrvelleDoc/Header/DocUID"), uid);
    uid = uid.trimmed();
    // A document never saved has no DocUID and nothing for the handheld to delete.
    if (!uid.isEmpty() && !CDeletedOutlinesDatabase::RecordDeletion(m_dataFolder, uid)) return false;
    const bool removed = QFile::remove(path);
    UpdateFile(path);
    return removed;
}

bool CRootList::RenameFile(CTreeData* info, CFileTreeRoot* root, const QString& title) {
    if (!info || !root) return false;
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty() || trimmed == info->GetTitle()) return false;
    const QString oldPath = info->GetPath();  // info is replaced by UpdateFile below
    const QString newPath = MakeFilePath(root->GetFolder(), MakeFileTitle(trimmed), root->GetKind(), oldPath);
    if (newPath.isEmpty()) return false;

    COutlineDatabase db;
    if (!db.Open(oldPath, 0)) return false;
    db.SetTitle(trimmed);
    db.SetModified(1);
    if (!db.Save(oldPath, 0)) return false;

    bool ok = true;
    if (newPath != oldPath) ok = !FileExists(newPath) && QFile::rename(oldPath, newPath);
    if (ok && m_observer) m_observer->OnFileRenamed(oldPath, newPath, trimmed);
    UpdateFile(oldPath);
    if (newPath != oldPath) UpdateFile(newPath);
    return ok;
}

void CRootList::ReplaceCategory(const QString& oldName, const QString& newName) {
    ReplaceCategoryInFolder(m_dataFolder, config::kOutlineExtension, oldName, newName);
    if (!m_defaultDataFolder.isEmpty() && cleanFolder(m_defaultDataFolder) != cleanFolder(m_dataFolder)) {
        ReplaceCategoryInFolder(m_defaultDataFolder, config::kOutlineExtension, oldName, newName);
    }
    ScanAll();
}
