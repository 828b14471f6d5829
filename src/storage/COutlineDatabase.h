#pragma once
// The outline document format (".orv" documents, ".ort" templates, sync payloads and
// clipboard fragments): root "OrvelleDoc" with Version, Header and OutlineItems; one
// "Item" per outline item, in pre-order.

#include <array>
#include <cstdint>

#include <QString>

#include "platform/LogFont.h"
#include "storage/CMyDatabase.h"

class COutlineRecord : public CDBRecord {
public:
    COutlineRecord() { Reset(); }
    ~COutlineRecord() override = default;
    // id 0, indent 0, expanded, not checked, not deleted, empty text, note and drawing.
    void Reset() override;
    // Copies every field the file stores, keeping this record's own index.
    void CopyFieldsFrom(const COutlineRecord& other);

    // Records come from a pool of their own: an outline of many items makes and drops
    // them by the hundred thousand, which the general heap handles slowly.
    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size) noexcept;

    int32_t id = 0;         // Id: 0 for items made on the desktop
    uint8_t indent = 0;     // Indent: level 0..9
    bool checked = false;   // Checked
    bool expanded = true;   // Expanded
    QString drawing;        // Drawing: picture file name in the Images folder, or empty
    QString text;           // Text: lines separated by CR LF
    QString note;           // Note: empty when none
    bool deleted = false;   // Deleted: written back as read, never acted on
};

class COutlineRecordset : public CDBRecordset {
public:
    CDBRecord* CreateRecord() override;
    // Typed forms of the base operations.
    COutlineRecord* AddNew() { return static_cast<COutlineRecord*>(CDBRecordset::AddNew()); }
    COutlineRecord* GetAt(int i) const { return static_cast<COutlineRecord*>(CDBRecordset::GetAt(i)); }
};

class COutlineDatabase : public CMyDatabase {
public:
    // Holds the default header and an empty recordset.
    COutlineDatabase();
    ~COutlineDatabase() override;

    CDBRecordset* CreateRecordset() override;
    // Appends one record per Item element, in document order.
    bool ReadRecords() override;
    // Replaces OutlineItems' children by one Item per record, in recordset order.
    bool WriteRecords() override;
    // InitNew(), then a fresh empty recordset.
    virtual void Init();
    // Writes the default header: Version, Title "Untitled", Category "Unfiled", an empty
    // Numbering/Divider, the default font, OutlineItems, CheckState 1, HeadingLevel 1,
    // SelectedIndex 1.
    virtual void InitNew();

    COutlineRecordset* GetRecords() const { return static_cast<COutlineRecordset*>(GetRecordset()); }

    // Drops the document's Item elements once the records have been read, so the items
    // are not held twice (see CMyDatabase::ReleaseRecordElements: the recordset is then
    // what Save and GetXml write; WriteRecords rebuilds the elements when needed).
    void ReleaseItemElements() { ReleaseRecordElements(); }

    // Header accessors.
    void GetTitle(QString& s) const;
    QString GetTitle() const;
    void SetTitle(const QString& s);
    void GetCategory(QString& s) const;
    QString GetCategory() const;
    void SetCategory(const QString& s);
    void GetDocUID(QString& s) const;
    QString GetDocUID() const;
    void SetDocUID(const QString& s);
    int32_t GetModified() const;
    void SetModified(int32_t flag);          // writes 1 for any non-zero flag
    int32_t GetCheckState() const;
    void SetCheckState(int32_t n);           // written modulo 256
    int32_t GetHeadingLevel() const;
    void SetHeadingLevel(int32_t n);         // written modulo 256
    int32_t GetSelectedIndex() const;
    void SetSelectedIndex(int32_t n);
    char16_t GetDivider() const;
    void SetDivider(char16_t code);
    int32_t GetScheme() const;
    void SetScheme(int32_t n);
    // Level1..Level10, Level1 first; read values are truncated to a byte.
    void GetLevels(uint8_t levels[10]) const;
    void SetLevels(const uint8_t levels[10]);

    // Header/Font to and from a font record and a colour (red in the low byte, then
    // green, then blue). Sizes are points; heights are pixels at dpi. dpi 0 means the
    // primary screen's vertical resolution, or 96 when there is no screen.
    void GetFont(platform::LogFont& font, uint32_t& color, int dpi = 0) const;
    void SetFont(const platform::LogFont& font, uint32_t color, int dpi = 0);

    // The dpi that dpi 0 stands for.
    static int DefaultDpi();
    // a * b / c in 64 bits, rounded to nearest (halves away from zero); -1 when c is 0
    // or the result does not fit 32 bits.
    static int32_t MulDiv(int32_t a, int32_t b, int32_t c);

protected:
    QString DocumentElementName() const override;
    CDBElement RecordsContainer() const override;
    void StreamRecords(XmlOut& out) const override;
    const char* RecordsContainerTag() const override { return "OutlineItems"; }
    const char* RecordTag() const override { return "Item"; }
    bool ReadRecordPiece(CDBElement piece) override;
};

// Gives one file a new category: opens it (records not read); unless force is set goes
// on only when its Category equals oldCategory exactly; then sets Category, Modified 1
// and saves it in place. True when the file was processed (also when its category did
// not match); false when it did not open or could not be written (the file is then
// unchanged).
bool SetFileCategory(const QString& path, bool force, const QString& oldCategory,
                     const QString& newCategory);

// SetFileCategory(file, false, oldCategory, newCategory or "Unfiled" when empty) for
// every file in folder whose extension is extension (without dot; compared without
// regard to letter case). A failing file does not stop the loop. Returns the number of
// files whose category was changed.
int ReplaceCategoryInFolder(const QString& folder, const QString& extension,
                            const QString& oldCategory, const QString& newCategory);
