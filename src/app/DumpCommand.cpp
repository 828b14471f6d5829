#include "DumpCommand.h"

#include <QByteArray>
#include <QString>

#include "model/OutlineMan.h"

namespace {

// Line breaks become a visible "\n" so that every item stays on one output line.
QString OneLine(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += QStringLiteral("\\n");
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else {
            out += c;
        }
    }
    return out;
}

void Print(std::FILE* f, const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
    std::fputc('\n', f);
}

}  // namespace

int RunDumpCommand(const QStringList& paths, std::FILE* out, std::FILE* err) {
    if (paths.isEmpty()) {
        std::fputs("usage: orvelle --dump FILE...\n", err);
        return 2;
    }
    int status = 0;
    for (const QString& path : paths) {
        // Read as the outline reads it, so the levels printed are the repaired ones.
        COutlineMan outline;
        if (!outline.Open(path)) {
            std::fflush(out);
            Print(err, path + QStringLiteral(": cannot read outline"));
            status = 1;
            continue;
        }
        Print(out, QStringLiteral("Title: ") + OneLine(outline.GetDatabase()->GetTitle()));
        Print(out, QStringLiteral("Category: ") + OneLine(outline.GetDatabase()->GetCategory()));
        for (const COutlineNode* n = outline.GetFirstChild(nullptr); n; n = outline.GetNextInPreorder(n)) {
            QString line(2 * n->item.level, QLatin1Char(' '));
            line += n->item.checked ? QStringLiteral("[x] ") : QStringLiteral("[ ] ");
            line += OneLine(n->item.GetText());
            Print(out, line);
        }
    }
    std::fflush(out);
    return status;
}
