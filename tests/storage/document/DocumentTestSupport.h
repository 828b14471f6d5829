#pragma once
// A data folder under a temporary home, a host that records what the documents ask of
// the application, a view that records what the documents ask of it, and small outline
// files on disk.

#include <csignal>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include <sys/resource.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "library/CRootList.h"
#include "library/FileNames.h"
#include "model/OutlinePreferences.h"
#include "platform/DocTemplate.h"
#include "platform/Prompter.h"
#include "platform/View.h"
#include "storage/CCategoryDatabase.h"
#include "storage/COutlineDatabase.h"
#include "storage/document/COrvelleDoc.h"
#include "storage/document/DocumentHost.h"
#include "storage/document/OutlineDocumentView.h"
#include "support/TempHome.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(", ").toStdString() << ']'; }

namespace doctest {

class FakeHost : public CDocumentHost {
public:
    explicit FakeHost(QString dataFolder) : dataFolder(std::move(dataFolder)) {
        categories.ResetToUnfiled();
        roots.SetCategoryList(&categories);
        roots.BuildRoots(this->dataFolder);
        roots.ScanAll();
    }

    CCategoryList* Categories() override { return &categories; }
    const OutlinePreferences* OutlinePrefs() override { return &prefs; }
    CRootList* Roots() override { return &roots; }
    QString DataFolder() override { return dataFolder; }
    bool IsSaveAllRunning() override { return saveAll; }
    bool IsAutoSaveRunning() override { return autoSave; }
    bool IsSyncRunning() override { return sync; }
    void RefreshFileList(const QString& selectPath) override { listRefreshes.push_back(selectPath); }
    void RefreshCategoryUI() override { ++categoryRefreshes; }
    void ReopenInPlace(COrvelleDoc* doc, const QString& path) override { reopened.emplace_back(doc, path); }
    void AddToRecentFiles(const QString& path) override { recent.push_back(path); }
    void BeginWaitCursor() override { ++waitDepth; ++waitCursors; }
    void EndWaitCursor() override { --waitDepth; }

    QString dataFolder;
    CCategoryList categories;
    DefaultOutlinePreferences prefs;
    CRootList roots;
    bool saveAll = false, autoSave = false, sync = false;
    QStringList listRefreshes;
    int categoryRefreshes = 0;
    std::vector<std::pair<COrvelleDoc*, QString>> reopened;
    QStringList recent;
    int waitDepth = 0, waitCursors = 0;
};

class RecordingView : public platform::View, public OutlineDocumentView {
public:
    void activate() override { ++activations; }
    void WriteSettingsToHeader(COutlineMan& outline) override {
        ++settingsWritten;
        outline.SetSelectedIndex(selectedRow);
    }
    bool ReloadDocument() override {
        ++reloads;
        auto* doc = static_cast<COrvelleDoc*>(document());
        return doc && doc->OpenDocument(doc->pathName());
    }

    int activations = 0;
    int settingsWritten = 0;
    int reloads = 0;
    int selectedRow = 3;
};

inline QByteArray OutlineXml(const QString& title, const QString& category, const QString& uid,
                             const QStringList& items = {QStringLiteral("First")}) {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OrvelleDoc><Version>1.0</Version><Header><Title>" +
                     title.toHtmlEscaped().toUtf8() + "</Title><Category>" + category.toHtmlEscaped().toUtf8() +
                     "</Category><DocUID>" + uid.toUtf8() + "</DocUID><Modified>0</Modified></Header><OutlineItems>";
    for (const QString& text : items) {
        xml += "<Item><Id>0</Id><Indent>0</Indent><Checked>0</Checked><Expanded>1</Expanded><Deleted>0</Deleted><Text>" +
               text.toHtmlEscaped().toUtf8() + "</Text><Note></Note><Drawing></Drawing></Item>";
    }
    xml += "</OutlineItems></OrvelleDoc>\n";
    return xml;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

struct Header {
    bool read = false;
    QString title, category, uid;
    int modified = 0;
    QStringList items;
};

inline Header ReadHeader(const QString& path) {
    Header h;
    COutlineDatabase db;
    if (db.Open(path, 1) != 1) return h;
    h.read = true;
    h.title = db.GetTitle();
    h.category = db.GetCategory();
    h.uid = db.GetDocUID();
    h.modified = db.GetModified();
    for (int i = 0; i < db.GetRecords()->GetCount(); ++i) h.items << db.GetRecords()->GetAt(i)->text;
    return h;
}

// Every entry of a folder, hidden ones too, sorted: what a test expects to find on disk.
inline QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Items enough for a file well beyond the write buffer of a file device, so a write that
// cannot be completed fails while it is being made.
inline QStringList LargeItems() {
    QStringList items{QStringLiteral("First")};
    for (int i = 1; i < 400; ++i) items << QStringLiteral("Item %1 ").arg(i) + QString(60, QChar('x'));
    return items;
}

// Writes past this many bytes fail (as on a full disk) for the lifetime of the object.
// The process runs as root on the build machines, so permissions cannot make a write fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

// A temporary home with a data folder, a host on it, a document template making outline
// documents for that host, and a scripted prompter installed.
class DocumentFixture {
public:
    DocumentFixture()
        : dataFolder(MakeDataFolder(home)),
          host(dataFolder),
          docs(QStringLiteral("orv"), QStringLiteral("ort"), QStringLiteral("Untitled"),
               [this] { return std::make_unique<COrvelleDoc>(host); }),
          scope(&prompts) {}

    QString Path(const QString& name) const { return dataFolder + "/" + name; }

    COrvelleDoc* NewDoc() { return static_cast<COrvelleDoc*>(docs.newDocument()); }
    COrvelleDoc* OpenDoc(const QString& path) { return static_cast<COrvelleDoc*>(docs.openDocumentFile(path)); }
    // A file on disk, opened.
    COrvelleDoc* OpenNewFile(const QString& name, const QString& title, const QString& category = "Unfiled",
                             const QString& uid = "00010AFF10203040",
                             const QStringList& items = {QStringLiteral("First")}) {
        if (!WriteFile(Path(name), OutlineXml(title, category, uid, items))) return nullptr;
        return OpenDoc(Path(name));
    }

    testsupport::TempHome home;
    QString dataFolder;
    FakeHost host;
    platform::DocTemplate docs;
    platform::ScriptedPrompter prompts;
    platform::ScopedPrompter scope;

private:
    static QString MakeDataFolder(const testsupport::TempHome& h) {
        const QString folder = h.documents() + "/Varnholt/Orvelle/device-1";
        QDir().mkpath(folder);
        return folder;
    }
};

}  // namespace doctest
