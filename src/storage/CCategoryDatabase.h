#pragma once
// The user's categories: "Categories.xml" in the data folder, root "OrvelleCategories"
// with Version "1" and Categories holding one Item (UID, Name) per category, and the
// in-memory list the application keeps ("Unfiled" always first).

#include <memory>
#include <vector>

#include <QString>

#include "storage/CMyDatabase.h"
#include "storage/OutlineUID.h"

inline constexpr char16_t kCategoriesFileName[] = u"Categories.xml";
inline constexpr char16_t kUnfiledCategoryName[] = u"Unfiled";
// 00 00 00 00 00 00 FF FF
inline constexpr OutlineUID kUnfiledCategoryUID = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF};

class CCategoryItem {
public:
    CCategoryItem() = default;
    CCategoryItem(const OutlineUID& uid, const QString& name) : uid(uid), name(name) {}

    OutlineUID uid{};
    QString name;
};

// An ordered list of owned categories. Item pointers stay valid until the item is
// removed or the list is cleared.
class CCategoryList {
public:
    int GetCount() const { return static_cast<int>(m_items.size()); }
    // Null when i is out of range.
    CCategoryItem* GetAt(int i) const;
    // Appends a category; returns it.
    CCategoryItem* Add(const OutlineUID& uid, const QString& name);
    // The first category with exactly that name (letter case counts); null when none.
    CCategoryItem* FindByName(const QString& name) const;
    CCategoryItem* FindByUID(const OutlineUID& uid) const;
    int IndexOf(const CCategoryItem* item) const;  // -1 when not held
    // Deletes the category; false when it is not held here.
    bool Remove(CCategoryItem* item);
    void RemoveAt(int i);
    void RemoveAll();
    // Empties the list and puts "Unfiled" with its fixed identifier first.
    void ResetToUnfiled();

private:
    std::vector<std::unique_ptr<CCategoryItem>> m_items;
};

class CCategoryRecord : public CDBRecord {
public:
    CCategoryRecord() = default;
    // A freshly generated identifier and an empty name.
    void Reset() override;

    OutlineUID uid{};
    QString name;
};

class CCategoryRecordset : public CDBRecordset {
public:
    CDBRecord* CreateRecord() override;
    CCategoryRecord* AddNew() { return static_cast<CCategoryRecord*>(CDBRecordset::AddNew()); }
    CCategoryRecord* GetAt(int i) const { return static_cast<CCategoryRecord*>(CDBRecordset::GetAt(i)); }
};

class CCategoryDatabase : public CMyDatabase {
public:
    // Creates the recordset; writes no content (Init() does).
    CCategoryDatabase();
    ~CCategoryDatabase() override;

    CDBRecordset* CreateRecordset() override;
    // One record per Item: identifier from its UID (an unreadable UID gives zero bytes),
    // name from its Name.
    bool ReadRecords() override;
    // Replaces Categories' children by one Item (UID, Name) per record.
    bool WriteRecords() override;
    virtual void Init();
    // Version "1" and an empty Categories element.
    virtual void InitNew();

    CCategoryRecordset* GetRecords() const { return static_cast<CCategoryRecordset*>(GetRecordset()); }

    // dataFolder + "/Categories.xml".
    static QString CategoriesPath(const QString& dataFolder);

    // Fills list from the data folder's file: "Unfiled" first, then each stored category
    // whose name is not in the list yet (later duplicates are dropped). A missing or
    // unreadable file gives "Unfiled" only and is left untouched. Returns false when the
    // file exists but could not be read.
    static bool LoadCategories(const QString& dataFolder, CCategoryList& list);
    // Writes every category of list, in order, to the data folder's file. When that file
    // exists but cannot be read, it is kept beside the new one (a copy named
    // "Categories.xml.unreadable", numbered when taken) before being replaced. False when
    // the file could not be written (the previous file is then unchanged).
    static bool SaveCategories(const QString& dataFolder, const CCategoryList& list);

protected:
    QString DocumentElementName() const override;
};
