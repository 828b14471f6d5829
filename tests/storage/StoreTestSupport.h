#pragma once
// Small helpers shared by the storage tests.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace storetest {

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The text of every element named `name`, as a strict conforming parser (Python's
// expat) reads the file, joined by "|" with CR and LF shown as \r and \n. Null when no
// Python is at hand; "ERROR" when the parser refuses the file.
inline QString StrictParserTexts(const QString& path, const QString& name) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) return QString();
    const QString script = QStringLiteral(
        "import sys, xml.dom.minidom as m\n"
        "try:\n"
        "    d = m.parse(sys.argv[1])\n"
        "except Exception:\n"
        "    print('ERROR'); sys.exit(0)\n"
        "def text(e):\n"
        "    return ''.join(n.data if n.nodeType in (3, 4) else text(n) for n in e.childNodes)\n"
        "out = '|'.join(text(e) for e in d.getElementsByTagName(sys.argv[2]))\n"
        "sys.stdout.buffer.write(out.replace('\\r', '\\\\r').replace('\\n', '\\\\n').encode('utf-8'))\n");
    QProcess p;
    p.start(python, {QStringLiteral("-c"), script, path, name});
    if (!p.waitForFinished(20000)) return QStringLiteral("TIMEOUT");
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace storetest
