#include "library/OutlineHeaderReader.h"

#include <QFile>

#include "storage/COutlineDatabase.h"

namespace {

constexpr qint64 kChunk = 4096;
constexpr qint64 kMaxPrefix = 256 * 1024;
const QByteArray kHeaderEnd = QByteArrayLiteral("</Header>");
const QByteArray kDocumentEnd = QByteArrayLiteral("</OrvelleDoc>");

bool headerFrom(const COutlineDatabase& db, OutlineHeader& out) {
    if (!db.SelectElement(QStringLiteral("//OrvelleDoc/Header"))) return false;
    QString title, category;
    if (!db.GetText(QStringLiteral("//OrvelleDoc/Header/Title"), title)) return false;
    if (!db.GetText(QStringLiteral("//OrvelleDoc/Header/Category"), category)) return false;
    out.title = title;
    out.category = category;
    return true;
}

bool endsWithDocumentEnd(const QByteArray& tail) {
    return tail.trimmed().endsWith(kDocumentEnd);
}

// Only UTF-8 (with or without its byte-order mark, declared or not) is cut as bytes.
bool looksUtf8(const QByteArray& head) {
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) return false;
    if (head.startsWith("<?xml")) {
        const qsizetype end = head.indexOf("?>");
        const QByteArray decl = head.left(end < 0 ? head.size() : end).toLower();
        const qsizetype enc = decl.indexOf("encoding");
        if (enc >= 0 && !decl.mid(enc).contains("utf-8")) return false;
    }
    return true;
}

bool fullRead(const QString& path, OutlineHeader& out) {
    COutlineDatabase db;
    if (!db.Open(path, 0)) return false;
    return headerFrom(db, out);
}

}  // namespace

bool ReadOutlineHeader(const QString& path, OutlineHeader& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const qint64 size = file.size();
    if (size > CMyDatabase::kMaxFileSize) return false;

    QByteArray buffer;
    qsizetype found = -1;
    while (buffer.size() < kMaxPrefix) {
        const QByteArray chunk = file.read(kChunk);
        if (chunk.isEmpty()) break;
        const qsizetype from = std::max<qsizetype>(0, buffer.size() - kHeaderEnd.size());
        buffer += chunk;
        found = buffer.indexOf(kHeaderEnd, from);
        if (found >= 0) break;
    }
    if (found < 0 || !looksUtf8(buffer.left(256))) {
        file.close();
        return fullRead(path, out);
    }

    QByteArray tail;
    if (buffer.size() >= size) {
        tail = buffer.right(64);
    } else {
        if (!file.seek(std::max<qint64>(0, size - 64))) return false;
        tail = file.read(64);
    }
    file.close();
    if (!endsWithDocumentEnd(tail)) return fullRead(path, out);

    QByteArray prefix = buffer.left(found + kHeaderEnd.size());
    if (prefix.startsWith("\xEF\xBB\xBF")) prefix.remove(0, 3);
    COutlineDatabase db;
    if (db.LoadXml(QString::fromUtf8(prefix) + QString::fromLatin1(kDocumentEnd)) && headerFrom(db, out)) return true;
    // Something between the start and the Header (items first, a comment or a CDATA
    // section holding the end tag) defeats the shortcut; the full parse decides.
    return fullRead(path, out);
}
