#include "library/CFileInfo.h"

#include <QFileInfo>

#include "library/OutlineHeaderReader.h"
#include "platform/Prompter.h"
#include "storage/CCategoryDatabase.h"
#include "storage/OutlineUID.h"

namespace {

QDateTime toLocalSeconds(const QDateTime& t) {
    if (!t.isValid()) return QDateTime();
    QDateTime local = t.toLocalTime();
    local.setTime(QTime(local.time().hour(), local.time().minute(), local.time().second()));
    return local;
}

}  // namespace

CFileInfo::CFileInfo(const QString& path) : m_path(path) {
    Refresh();
}

bool CFileInfo::Refresh() {
    const QFileInfo fi(m_path);
    if (!fi.exists()) {
        m_attributes = 0;
        m_size = 0;
        m_created = m_accessed = m_modified = QDateTime();
        return false;
    }
    uint32_t attributes = 0;
    if (!(fi.permissions() & QFileDevice::WriteOwner)) attributes |= kAttrReadOnly;
    if (fi.fileName().startsWith(QLatin1Char('.'))) attributes |= kAttrHidden;
    if (fi.isDir()) attributes |= kAttrDirectory;
    m_attributes = attributes ? attributes : kAttrNormal;
    m_size = fi.isDir() ? 0 : fi.size();
    QDateTime created = fi.birthTime();
    if (!created.isValid()) created = fi.metadataChangeTime();
    m_created = toLocalSeconds(created);
    m_accessed = toLocalSeconds(fi.lastRead());
    m_modified = toLocalSeconds(fi.lastModified());
    return true;
}

bool CTreeData::ReadHeader(bool quiet, CCategoryList* categories) {
    OutlineHeader header;
    if (!ReadOutlineHeader(m_path, header)) {
        if (!quiet) {
            platform::prompter().ask(QStringLiteral("%1 : file %2").arg(QStringLiteral("Unknown exception"), m_path),
                                     platform::PromptButtons::Ok, platform::PromptIcon::Error);
        }
        return false;
    }
    m_category = header.category;
    m_title = header.title;
    if (categories && !categories->FindByName(m_category)) categories->Add(GenerateUID(), m_category);
    return true;
}
