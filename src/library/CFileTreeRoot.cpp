#include "library/CFileTreeRoot.h"

#include <algorithm>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include "library/FileNames.h"

namespace {
SortOrder g_lastSortOrder = SortOrder::None;
}

CFileInfoArray::CFileInfoArray() { m_files.reserve(100); }
CFileInfoArray::~CFileInfoArray() = default;

void CFileInfoArray::SetFolder(const QString& folder) {
    m_folder = folder;
    if (!m_folder.endsWith(QLatin1Char('/'))) m_folder += QLatin1Char('/');
}

bool CFileInfoArray::Accepts(const QString& path) const {
    return ExtensionMatches(path, m_extensions);
}

CTreeData* CFileInfoArray::GetAt(int i) const {
    if (i < 0 || i >= GetCount()) return nullptr;
    return m_files[static_cast<size_t>(i)].get();
}

CTreeData* CFileInfoArray::Find(const QString& path) const {
    for (const auto& f : m_files) {
        if (f->GetPath() == path) return f.get();
    }
    return nullptr;
}

int CFileInfoArray::IndexOf(const CTreeData* info) const {
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (m_files[i].get() == info) return static_cast<int>(i);
    }
    return -1;
}

void CFileInfoArray::RemoveAll() { m_files.clear(); }

bool CFileInfoArray::Remove(const QString& path) {
    for (auto it = m_files.begin(); it != m_files.end(); ++it) {
        if ((*it)->GetPath() == path) {
            m_files.erase(it);
            return true;
        }
    }
    return false;
}

int CFileTreeRoot::Scan() {
    RemoveAll();
    int count = 0;
    QDirIterator it(m_folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (name.startsWith(QLatin1Char('.'))) continue;  // hidden
        const QString path = m_folder + name;
        if (!Accepts(path)) continue;
        if (it.fileInfo().isDir()) continue;
        if (AddFile(path)) ++count;
    }
    return count;
}

CTreeData* CFileTreeRoot::AddFile(const QString& path) {
    auto info = std::make_unique<CTreeData>(path);
    if (!info->ReadHeader(true, m_categories)) return nullptr;
    m_files.push_back(std::move(info));
    return m_files.back().get();
}

bool CFileTreeRoot::Update(const QString& path) {
    if (!Accepts(path)) return false;
    Remove(path);
    const QFileInfo fi(path);
    if (fi.exists() && !fi.isDir() && !fi.fileName().startsWith(QLatin1Char('.'))) AddFile(path);
    return true;
}

SortOrder CFileTreeRoot::LastSortOrder() { return g_lastSortOrder; }
void CFileTreeRoot::SetLastSortOrder(SortOrder order) { g_lastSortOrder = order; }

void CFileTreeRoot::SortBy(SortOrder order) {
    using Info = std::unique_ptr<CTreeData>;
    auto key = [order](const Info& i) -> const QString& {
        switch (order) {
        case SortOrder::TitleAscending:
        case SortOrder::TitleDescending: return i->GetTitle();
        case SortOrder::CategoryAscending:
        case SortOrder::CategoryDescending: return i->GetCategory();
        default: return i->GetPath();
        }
    };
    const bool ascending = order == SortOrder::TitleAscending || order == SortOrder::FileNameAscending ||
                           order == SortOrder::CategoryAscending;
    // Descending compares b < a: a comparator that also holds for equal keys breaks the
    // sort's contract and can run past the vector.
    std::stable_sort(m_files.begin(), m_files.end(), [&](const Info& a, const Info& b) {
        const int c = QString::compare(key(a), key(b), Qt::CaseInsensitive);
        return ascending ? c < 0 : c > 0;
    });
}

void CFileTreeRoot::SortByTitle(bool ascending) {
    g_lastSortOrder = ascending ? SortOrder::TitleAscending : SortOrder::TitleDescending;
    SortBy(g_lastSortOrder);
}

void CFileTreeRoot::SortByFileName(bool ascending) {
    g_lastSortOrder = ascending ? SortOrder::FileNameAscending : SortOrder::FileNameDescending;
    SortBy(g_lastSortOrder);
}

void CFileTreeRoot::SortByCategory(bool ascending) {
    g_lastSortOrder = ascending ? SortOrder::CategoryAscending : SortOrder::CategoryDescending;
    if (m_kind == kRootTemplates) return;
    SortBy(g_lastSortOrder);
}

void CFileTreeRoot::Resort() {
    switch (g_lastSortOrder) {
    case SortOrder::None: return;
    case SortOrder::CategoryAscending:
    case SortOrder::CategoryDescending:
        if (m_kind == kRootTemplates) return;
        break;
    default: break;
    }
    SortBy(g_lastSortOrder);
}
