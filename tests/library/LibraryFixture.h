#pragma once
// Small outline files on disk for the library's tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(", ").toStdString() << ']'; }

namespace librarytest {

inline QByteArray outlineXml(const QString& title, const QString& category, const QString& uid = "00010AFF10203040",
                             int items = 1) {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OrvelleDoc><Version>1.0</Version><Header><Title>" +
                     title.toHtmlEscaped().toUtf8() + "</Title><Category>" + category.toHtmlEscaped().toUtf8() +
                     "</Category><DocUID>" + uid.toUtf8() + "</DocUID><Modified>0</Modified></Header><OutlineItems>";
    for (int i = 0; i < items; ++i) {
        xml += "<Item><Id>" + QByteArray::number(i) +
               "</Id><Indent>0</Indent><Checked>0</Checked><Expanded>1</Expanded><Deleted>0</Deleted><Text>Item " +
               QByteArray::number(i) + "</Text><Note></Note><Drawing></Drawing></Item>";
    }
    xml += "</OutlineItems></OrvelleDoc>\n";
    return xml;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

}  // namespace librarytest
