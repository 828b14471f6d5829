#pragma once
// One root of the library ("Outlines", "Templates" or "Conflicts"): a folder, the
// extensions it accepts, and the infos of the files found there, which it owns.

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

#include "library/CFileInfo.h"

class CCategoryList;

// Root kinds.
inline constexpr int kRootDefault = 1;
inline constexpr int kRootOutlines = 2;
inline constexpr int kRootTemplates = 3;
inline constexpr int kRootConflicts = 6;

// The order a root was last sorted in, shared by all roots.
enum class SortOrder {
    None,
    TitleAscending, TitleDescending,
    FileNameAscending, FileNameDescending,
    CategoryAscending, CategoryDescending,
};

class CFileInfoArray {
public:
    CFileInfoArray();
    virtual ~CFileInfoArray();
    CFileInfoArray(const CFileInfoArray&) = delete;
    CFileInfoArray& operator=(const CFileInfoArray&) = delete;

    // Stores the folder, with a "/" appended when it does not end with one.
    void SetFolder(const QString& folder);
    const QString& GetFolder() const { return m_folder; }
    void SetExtensions(const QStringList& extensions) { m_extensions = extensions; }
    const QStringList& GetExtensions() const { return m_extensions; }
    // The extension of path (after its dot) is one of this root's, letter case ignored.
    bool Accepts(const QString& path) const;

    int GetCount() const { return static_cast<int>(m_files.size()); }
    CTreeData* GetAt(int i) const;  // null outside 0..GetCount()-1
    // The info of exactly that path, or null.
    CTreeData* Find(const QString& path) const;
    int IndexOf(const CTreeData* info) const;
    // Deletes every info.
    void RemoveAll();
    // Deletes the info of path; false when there is none.
    bool Remove(const QString& path);

protected:
    QString m_folder;
    QStringList m_extensions;
    std::vector<std::unique_ptr<CTreeData>> m_files;
};

class CFileTreeRoot : public CFileInfoArray {
public:
    CFileTreeRoot() = default;

    void SetName(const QString& name) { m_name = name; }
    const QString& GetName() const { return m_name; }
    void SetKind(int kind) { m_kind = kind; }
    int GetKind() const { return m_kind; }
    // Header reads register unknown categories here (not owned; may be null).
    void SetCategoryList(CCategoryList* categories) { m_categories = categories; }

    // Replaces the infos by those of the accepted, visible files of the folder, in the
    // folder's listing order. Files whose header cannot be read are left out silently.
    // Returns the number listed.
    int Scan();
    // Appends the info of path when its header reads; null (nothing added) otherwise.
    CTreeData* AddFile(const QString& path);
    // False when this root does not accept path's extension; otherwise drops its info
    // and lists the file again if it exists (and reads), and returns true.
    bool Update(const QString& path);

    void SortByTitle(bool ascending);
    void SortByFileName(bool ascending);
    // A Templates root keeps its order (the order is remembered all the same).
    void SortByCategory(bool ascending);
    // Sorts again in LastSortOrder(); nothing before the first sort.
    void Resort();

    static SortOrder LastSortOrder();
    static void SetLastSortOrder(SortOrder order);

private:
    void SortBy(SortOrder order);

    QString m_name;
    int m_kind = kRootDefault;
    CCategoryList* m_categories = nullptr;
};
