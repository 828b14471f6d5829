#pragma once
// The XML store: one in-memory XML document with a handful of operations on it, and the
// recordset that hands a file's repeated elements to typed record objects.
//
// Contracts shared by every store:
// - Failures are return values; nothing here throws.
// - Reading an element that does not exist yields empty text (and 0 for numbers).
// - Text goes in and out as UTF-16 (QString). Characters that an XML 1.0 document cannot
//   carry (control characters other than TAB, LF and CR, U+FFFE, U+FFFF and unpaired
//   surrogates) are left out of what is stored, so every written file loads again.
//   A CR is written as a character reference, so CR LF line breaks read back unchanged.
// - Save never destroys the previous file: it writes a temporary file in the same folder
//   and renames it over the old one; a failed save leaves the old file as it was.
// - A failed Open or LoadXml leaves the store's document as it was before the call.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QString>

namespace pugi {
struct xml_node_struct;
class xml_document;
}  // namespace pugi

class CMyDatabase;

// The base of every record kind. A record belongs to the recordset that holds it.
class CDBRecord {
public:
    CDBRecord() = default;
    virtual ~CDBRecord() = default;
    // Sets the record kind's defaults; does nothing in the base.
    virtual void Reset() {}

    // Position of the record when it was added; informative only (not renumbered when
    // records are removed or reordered).
    int32_t index = -1;
};

// An ordered vector of records that owns them: removing a record or destroying the
// recordset deletes it.
class CDBRecordset {
public:
    CDBRecordset() = default;
    virtual ~CDBRecordset();
    CDBRecordset(const CDBRecordset&) = delete;
    CDBRecordset& operator=(const CDBRecordset&) = delete;

    // Creates a record of the store's kind with its defaults set (Reset() called);
    // the caller owns it until it is appended. Null when creation failed.
    virtual CDBRecord* CreateRecord() = 0;

    // Creates a record, appends it and sets its index to its position. Null on failure.
    CDBRecord* AddNew();
    // The record at i, or null when i is outside 0..GetCount()-1.
    CDBRecord* GetAt(int i) const;
    int GetCount() const { return static_cast<int>(m_records.size()); }
    // Deletes the record at i and closes the gap; an index out of range does nothing.
    void RemoveAt(int i);
    // Finds the record, deletes it and closes the gap; false when it is not held here.
    bool Remove(CDBRecord* record);
    // Deletes every record.
    void RemoveAll();
    // Empties the vector WITHOUT deleting the records: the caller takes them over and
    // re-appends them (Append) in a new order. Records not re-appended are the caller's
    // to delete.
    void ClearOrder();
    // Appends a record (taking ownership) without changing its index.
    void Append(CDBRecord* record);
    // Detaches the record at i without deleting it; the caller owns it. Null when i is
    // out of range.
    CDBRecord* Detach(int i);
    void Reserve(int n) { m_records.reserve(n > 0 ? static_cast<size_t>(n) : 0); }

protected:
    std::vector<CDBRecord*> m_records;
};

// A tagged value used as a cell value by the files list. Its only kind is a string.
class CDBVariant {
public:
    static constexpr int kTypeEmpty = 0;
    static constexpr int kTypeString = 7;

    CDBVariant() = default;
    virtual ~CDBVariant() = default;

    // Replaces any held value by a copy of s: kind 7, size tag 4.
    void SetString(const QString& s);
    void Clear();

    int Type() const { return m_type; }
    int Size() const { return m_size; }
    // The held string; empty when none is held.
    const QString& String() const { return m_string; }

private:
    int m_type = kTypeEmpty;
    int m_size = 0;
    QString m_string;
};

// A non-owning handle to one element of a store's document. It stays valid until that
// element is removed or the store's document is replaced (Open, LoadXml,
// ReleaseRecordElements, Save with records) or destroyed.
// A default-constructed handle is null; operations given a null handle do nothing.
class CDBElement {
public:
    CDBElement() = default;
    explicit operator bool() const { return m_node != nullptr; }
    bool operator==(const CDBElement&) const = default;

private:
    friend class CMyDatabase;
    explicit CDBElement(pugi::xml_node_struct* node) : m_node(node) {}
    pugi::xml_node_struct* m_node = nullptr;
};

class CMyDatabase {
public:
    CMyDatabase();
    virtual ~CMyDatabase();
    CMyDatabase(const CMyDatabase&) = delete;
    CMyDatabase& operator=(const CMyDatabase&) = delete;

    // Creates this store's recordset (the store owns what it keeps in m_recordset).
    virtual CDBRecordset* CreateRecordset() = 0;
    // Fills the recordset from the loaded document; false when a record could not be made.
    virtual bool ReadRecords() = 0;
    // Rewrites the document's repeated elements from the recordset.
    virtual bool WriteRecords() = 0;

    // Loads the file. Returns 0 when it is missing, unreadable, larger than
    // kMaxFileSize, not well-formed XML, or its document element is not the store's
    // (see DocumentElementName); the store is then unchanged and the file untouched.
    // With flag 1 the records are read as well. Returns 1 on success.
    int Open(const QString& path, int flag);
    // Open(path, 1) followed by ReleaseRecordElements(), with the same results, but for
    // stores that name their records container and record element (RecordsContainerTag,
    // RecordTag) without ever holding the whole file's record elements: the records are
    // read a piece of the file at a time. Returns 1 on success, 0 as Open does; on
    // failure the document is as it was, the recordset may have been emptied.
    int OpenReleased(const QString& path);
    // Creates the folder of path with any missing parents, calls WriteRecords() when
    // flag is non-zero, and writes the document to path through a temporary file that
    // replaces the old one. True when the file was written.
    bool Save(const QString& path, int flag);

    // Absolute element paths start with "//" and the document element's name,
    // e.g. "//OrvelleDoc/Header/Title".
    // Sets the text of the first element the path selects, creating missing elements
    // in path order (each appended as the last child of its parent).
    void SetText(const QString& path, const QString& value);
    void SetInt(const QString& path, int32_t n);
    // The text of the first element the path selects; empty (and false) when none.
    bool GetText(const QString& path, QString& out) const;
    QString GetText(const QString& path) const;
    // The decimal value of the leading digits of GetText (optional sign, leading white
    // space skipped); 0 when there are no digits. Saturates at the 32-bit limits.
    int32_t GetInt(const QString& path) const;

    // Creates an element name with the given text as last child of parent; returns it
    // (null when parent is null).
    CDBElement AddChild(CDBElement parent, const QString& name, const QString& text);
    // The text of the first child element of node named name; empty (and false) when none.
    bool GetChildText(CDBElement node, const QString& name, QString& out) const;
    // The text content of the element (its character data and its descendants'); empty
    // for a null handle.
    QString ElementText(CDBElement node) const;
    // Every element of that name, in document order.
    std::vector<CDBElement> GetItems(const QString& name) const;
    // The first element the absolute path selects; null when none.
    CDBElement SelectElement(const QString& path) const;
    // Deletes every child of the element.
    void RemoveChildren(CDBElement node);

    // Cuts text after its last ">" and parses the rest as the whole document.
    // False (store unchanged) when it does not parse or has the wrong document element.
    bool LoadXml(const QString& text);
    // The serialised XML of the whole document, as Save would write it.
    void GetXml(QString& out) const;
    QString GetXml() const;

    // The store's recordset; null before CreateRecordset() has been called by the store.
    CDBRecordset* GetRecordset() const { return m_recordset.get(); }

    // For stores that can write their records straight from the recordset (see
    // RecordsContainer): drops the document's record elements, so a large file's records
    // are not held twice once they have been read. From then on the recordset is what
    // Save, GetXml and the element operations write or see: the writer streams the
    // records in place of the container's children, and any element operation first
    // rebuilds them with WriteRecords(). Save(path, 1) leaves the store in this state.
    // Does nothing for stores without a records container.
    void ReleaseRecordElements();

    // Files above this size are refused by Open without being read.
    static constexpr int64_t kMaxFileSize = int64_t(1) << 30;

protected:
    // The name the document element must have for Open and LoadXml to accept a file;
    // empty accepts any.
    virtual QString DocumentElementName() const { return QString(); }

    // The element whose children WriteRecords() rewrites, for stores that can also
    // write their records straight from the recordset (StreamRecords); null otherwise.
    virtual CDBElement RecordsContainer() const { return CDBElement(); }
    // The records container's and one record's element names for OpenReleased (the
    // container's start tag must be written without attributes); null when the store's
    // records are not read in pieces.
    virtual const char* RecordsContainerTag() const { return nullptr; }
    virtual const char* RecordTag() const { return nullptr; }
    // Appends one record per record element among the children of a parsed piece of the
    // container's content (a document node); false, with the piece refused, when the
    // piece holds another element. The base refuses every piece.
    virtual bool ReadRecordPiece(CDBElement piece);
    // Writes the record elements as WriteRecords() would build them.
    class XmlOut;
    virtual void StreamRecords(XmlOut& out) const;
    // Rebuilds released record elements (WriteRecords) before the document is used.
    void EnsureRecordElements() const;

    // Direct access for the stores in this folder (their record readers walk children
    // directly rather than querying a path per field).
    pugi::xml_document& Document() const { return *m_doc; }
    static CDBElement Wrap(pugi::xml_node_struct* node) { return CDBElement(node); }
    static pugi::xml_node_struct* Unwrap(CDBElement e) { return e.m_node; }

    std::unique_ptr<CDBRecordset> m_recordset;
    // Set while the record elements are released; WriteRecords() clears it.
    bool m_recordsReleased = false;

private:
    bool Serialise(std::string& out) const;
    bool AcceptParsed(std::unique_ptr<pugi::xml_document>& parsed) const;
    // The file's bytes in a buffer from the parser's allocator (the caller frees it with
    // the parser's deallocator), or null when Open would refuse the file unread.
    static void* ReadWholeFile(const QString& path, size_t* size);
    bool OpenInPieces(char* buffer, size_t size, const char* containerTag, const char* recordTag);

    std::unique_ptr<pugi::xml_document> m_doc;
};
