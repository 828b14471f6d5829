#include "storage/CCategoryDatabase.h"

#include <cstring>

#include <QDir>
#include <QFileInfo>
#include <pugixml.hpp>

#include "storage/UnreadableFile.h"

namespace {
const QString kVersionPath = QStringLiteral("//OrvelleCategories/Version");
const QString kCategoriesPath = QStringLiteral("//OrvelleCategories/Categories");
}  // namespace

// ---------------------------------------------------------------------------------------
// CCategoryList

CCategoryItem* CCategoryList::GetAt(int i) const {
    if (i < 0 || i >= GetCount()) return nullptr;
    return m_items[static_cast<size_t>(i)].get();
}

CCategoryItem* CCategoryList::Add(const OutlineUID& uid, const QString& name) {
    m_items.push_back(std::make_unique<CCategoryItem>(uid, name));
    return m_items.back().get();
}

CCategoryItem* CCategoryList::FindByName(const QString& name) const {
    for (const auto& item : m_items)
        if (item->name == name) return item.get();
    return nullptr;
}

CCategoryItem* CCategoryList::FindByUID(const OutlineUID& uid) const {
    for (const auto& item : m_items)
        if (item->uid == uid) return item.get();
    return nullptr;
}

int CCategoryList::IndexOf(const CCategoryItem* item) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == item) return static_cast<int>(i);
    return -1;
}

bool CCategoryList::Remove(CCategoryItem* item) {
    const int i = IndexOf(item);
    if (i < 0) return false;
    RemoveAt(i);
    return true;
}

void CCategoryList::RemoveAt(int i) {
    if (i < 0 || i >= GetCount()) return;
    m_items.erase(m_items.begin() + i);
}

void CCategoryList::RemoveAll() { m_items.clear(); }

void CCategoryList::ResetToUnfiled() {
    RemoveAll();
    Add(kUnfiledCategoryUID, QString::fromUtf16(kUnfiledCategoryName));
}

// ---------------------------------------------------------------------------------------
// Records and store

void CCategoryRecord::Reset() {
    uid = GenerateUID();
    name.clear();
}

CDBRecord* CCategoryRecordset::CreateRecord() {
    auto* r = new CCategoryRecord();
    r->Reset();
    return r;
}

CCategoryDatabase::CCategoryDatabase() { m_recordset.reset(CCategoryDatabase::CreateRecordset()); }

CCategoryDatabase::~CCategoryDatabase() = default;

CDBRecordset* CCategoryDatabase::CreateRecordset() { return new CCategoryRecordset(); }

void CCategoryDatabase::Init() { InitNew(); }

void CCategoryDatabase::InitNew() {
    SetText(kVersionPath, QStringLiteral("1"));
    SetText(kCategoriesPath, QString());
}

QString CCategoryDatabase::DocumentElementName() const { return QStringLiteral("OrvelleCategories"); }

bool CCategoryDatabase::ReadRecords() {
    CCategoryRecordset* records = GetRecords();
    if (!records) return false;
    records->RemoveAll();
    const QString uidName = QStringLiteral("UID");
    const QString nameName = QStringLiteral("Name");
    for (const CDBElement& item : GetItems(QStringLiteral("Item"))) {
        CCategoryRecord* r = records->AddNew();
        if (!r) return false;
        QString text;
        GetChildText(item, uidName, text);
        if (!HexToUID(text.trimmed(), r->uid)) r->uid = OutlineUID{};
        GetChildText(item, nameName, r->name);
    }
    return true;
}

bool CCategoryDatabase::WriteRecords() {
    CDBElement categories = SelectElement(kCategoriesPath);
    if (!categories) {
        SetText(kCategoriesPath, QString());
        categories = SelectElement(kCategoriesPath);
        if (!categories) return false;
    }
    RemoveChildren(categories);
    const CCategoryRecordset* records = GetRecords();
    for (int i = 0; records && i < records->GetCount(); ++i) {
        const CCategoryRecord* r = records->GetAt(i);
        const CDBElement item = AddChild(categories, QStringLiteral("Item"), QString());
        AddChild(item, QStringLiteral("UID"), UIDToHex(r->uid));
        AddChild(item, QStringLiteral("Name"), r->name);
    }
    return true;
}

QString CCategoryDatabase::CategoriesPath(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QString::fromUtf16(kCategoriesFileName));
}

bool CCategoryDatabase::LoadCategories(const QString& dataFolder, CCategoryList& list) {
    list.ResetToUnfiled();
    const QString path = CategoriesPath(dataFolder);
    CCategoryDatabase db;
    if (!db.Open(path, 1)) return !QFileInfo::exists(path);
    const CCategoryRecordset* records = db.GetRecords();
    for (int i = 0; i < records->GetCount(); ++i) {
        const CCategoryRecord* r = records->GetAt(i);
        if (!list.FindByName(r->name)) list.Add(r->uid, r->name);
    }
    return true;
}

bool CCategoryDatabase::SaveCategories(const QString& dataFolder, const CCategoryList& list) {
    const QString path = CategoriesPath(dataFolder);
    if (QFileInfo::exists(path)) {
        CCategoryDatabase probe;
        if (!probe.Open(path, 0) && !storage_detail::KeepUnreadableCopy(path)) return false;
    }
    CCategoryDatabase db;
    db.Init();
    CCategoryRecordset* records = db.GetRecords();
    for (int i = 0; i < list.GetCount(); ++i) {
        CCategoryRecord* r = records->AddNew();
        if (!r) return false;
        r->uid = list.GetAt(i)->uid;
        r->name = list.GetAt(i)->name;
    }
    return db.Save(path, 1);
}
