#pragma once
// The list of removed documents' DocUIDs: "DeletedFiles.xml", root "OrvelleDeletedFiles"
// with one Header holding one Deleted element per removed document, in removal order.

#include <vector>

#include <QString>

#include "storage/CMyDatabase.h"

inline constexpr char16_t kDeletedFilesFileName[] = u"DeletedFiles.xml";

class CDeletedOutlinesDatabase : public CMyDatabase {
public:
    CDeletedOutlinesDatabase();
    ~CDeletedOutlinesDatabase() override;

    // This store has no records: these do nothing (ReadRecords reports success).
    CDBRecordset* CreateRecordset() override { return nullptr; }
    bool ReadRecords() override { return true; }
    bool WriteRecords() override { return true; }

    // Writes "//OrvelleDeletedFiles/Header" with empty text.
    void InitNew();
    // Appends a Deleted element with text uid to the Header (creating the Header and the
    // root when missing).
    void AddDeleted(const QString& uid);
    // The first call takes every Deleted element in document order; each call gives the
    // next one's text and true, or false when none is left. RewindDeleted() starts over;
    // AddDeleted rewinds too. Open or LoadXml on this store needs RewindDeleted() before
    // the next NextDeleted.
    bool NextDeleted(QString& uid);
    void RewindDeleted();
    // True when uid is among the Deleted entries (exact comparison).
    bool Contains(const QString& uid) const;

    // dataFolder + "/DeletedFiles.xml".
    static QString DeletedFilesPath(const QString& dataFolder);
    // Records one removal in the data folder's file: opens it (a fresh list when it is
    // missing), appends uid, saves it. A file that exists but cannot be read is kept
    // beside the new one ("DeletedFiles.xml.unreadable", numbered when taken) rather than
    // overwritten. False when the file could not be written.
    static bool RecordDeletion(const QString& dataFolder, const QString& uid);

protected:
    QString DocumentElementName() const override;

private:
    std::vector<CDBElement> m_cursor;
    size_t m_next = 0;
    bool m_cursorTaken = false;
};
