#include "storage/CDeletedOutlinesDatabase.h"

#include <QDir>
#include <QFileInfo>

#include "storage/UnreadableFile.h"

namespace {
const QString kHeaderPath = QStringLiteral("//OrvelleDeletedFiles/Header");
}  // namespace

CDeletedOutlinesDatabase::CDeletedOutlinesDatabase() = default;
CDeletedOutlinesDatabase::~CDeletedOutlinesDatabase() = default;

QString CDeletedOutlinesDatabase::DocumentElementName() const { return QStringLiteral("OrvelleDeletedFiles"); }

void CDeletedOutlinesDatabase::InitNew() { SetText(kHeaderPath, QString()); }

void CDeletedOutlinesDatabase::AddDeleted(const QString& uid) {
    CDBElement header = SelectElement(kHeaderPath);
    if (!header) {
        SetText(kHeaderPath, QString());
        header = SelectElement(kHeaderPath);
    }
    AddChild(header, QStringLiteral("Deleted"), uid);
    // A cursor taken earlier no longer describes the document.
    RewindDeleted();
}

bool CDeletedOutlinesDatabase::NextDeleted(QString& uid) {
    if (!m_cursorTaken) {
        m_cursor = GetItems(QStringLiteral("Deleted"));
        m_next = 0;
        m_cursorTaken = true;
    }
    if (m_next >= m_cursor.size()) return false;
    uid = ElementText(m_cursor[m_next++]);
    return true;
}

void CDeletedOutlinesDatabase::RewindDeleted() {
    m_cursor.clear();
    m_next = 0;
    m_cursorTaken = false;
}

bool CDeletedOutlinesDatabase::Contains(const QString& uid) const {
    for (const CDBElement& e : GetItems(QStringLiteral("Deleted")))
        if (ElementText(e) == uid) return true;
    return false;
}

QString CDeletedOutlinesDatabase::DeletedFilesPath(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QString::fromUtf16(kDeletedFilesFileName));
}

bool CDeletedOutlinesDatabase::RecordDeletion(const QString& dataFolder, const QString& uid) {
    const QString path = DeletedFilesPath(dataFolder);
    CDeletedOutlinesDatabase db;
    if (!db.Open(path, 0)) {
        if (QFileInfo::exists(path) && !storage_detail::KeepUnreadableCopy(path)) return false;
        db.InitNew();
    }
    db.AddDeleted(uid);
    return db.Save(path, 0);
}
