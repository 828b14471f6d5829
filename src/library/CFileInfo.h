#pragma once
// What the library knows of one file: its file-system facts (CFileInfo) and, for an
// outline document, the two header fields the list shows (CTreeData).

#include <cstdint>

#include <QDateTime>
#include <QString>

class CCategoryList;

// Attribute bits, as the attribute word holds them.
inline constexpr uint32_t kAttrReadOnly = 0x01;   // the owner may not write
inline constexpr uint32_t kAttrHidden = 0x02;     // the name starts with "."
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrNormal = 0x80;     // none of the above

class CFileInfo {
public:
    CFileInfo() = default;
    // Reads the facts of path; a missing file leaves everything but the path empty.
    explicit CFileInfo(const QString& path);
    virtual ~CFileInfo() = default;

    // Re-reads the facts from the file system; false when the file is gone.
    bool Refresh();

    const QString& GetPath() const { return m_path; }
    uint32_t GetAttributes() const { return m_attributes; }
    int64_t GetSize() const { return m_size; }
    // Local time, whole seconds; invalid when unknown.
    const QDateTime& GetCreated() const { return m_created; }
    const QDateTime& GetAccessed() const { return m_accessed; }
    const QDateTime& GetModified() const { return m_modified; }
    bool IsReadOnly() const { return (m_attributes & kAttrReadOnly) != 0; }

protected:
    QString m_path;
    uint32_t m_attributes = 0;
    int64_t m_size = 0;
    QDateTime m_created;
    QDateTime m_accessed;
    QDateTime m_modified;
};

class CTreeData : public CFileInfo {
public:
    using CFileInfo::CFileInfo;

    // Reads Title and Category through the outline document store, looking at the header
    // only. A category not yet in categories (when given) is appended to it with a new
    // identifier; the list is not saved. False for a file that is unreadable, not an
    // outline document, cut short, or without Title or Category; unless quiet the user is
    // then told "Unknown exception : file <path>". The file is never written.
    bool ReadHeader(bool quiet, CCategoryList* categories = nullptr);

    const QString& GetCategory() const { return m_category; }
    const QString& GetTitle() const { return m_title; }
    void SetCategory(const QString& category) { m_category = category; }
    void SetTitle(const QString& title) { m_title = title; }

private:
    QString m_category;
    QString m_title;
};
