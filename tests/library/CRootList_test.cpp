#include "library/CRootList.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "LibraryFixture.h"
#include "library/FileNames.h"
#include "platform/Prompter.h"
#include "storage/CCategoryDatabase.h"
#include "storage/CDeletedOutlinesDatabase.h"
#include "storage/COutlineDatabase.h"

namespace {

using librarytest::outlineXml;
using librarytest::readFile;
using librarytest::writeFile;

struct Header {
    QString title, category, uid;
    int modified = -1;
};

Header headerOf(const QString& path) {
    COutlineDatabase db;
    Header h;
    if (!db.Open(path, 0)) return h;
    h.title = db.GetTitle();
    h.category = db.GetCategory();
    h.uid = db.GetDocUID();
    h.modified = db.GetModified();
    return h;
}

QStringList titles(const CFileTreeRoot* root) {
    QStringList out;
    for (int i = 0; i < root->GetCount(); ++i) out << root->GetAt(i)->GetTitle();
    return out;
}

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = dir_.path() + "/data";
        QDir().mkpath(folder_);
        categories_.ResetToUnfiled();
        roots_.SetCategoryList(&categories_);
    }
    QString path(const QString& name) const { return folder_ + "/" + name; }
    void outline(const QString& name, const QString& title, const QString& category = "Unfiled",
                 const QString& uid = "00010AFF10203040") {
        ASSERT_TRUE(writeFile(path(name), outlineXml(title, category, uid)));
    }
    void build() {
        roots_.BuildRoots(folder_);
        roots_.ScanAll();
    }
    CFileTreeRoot* outlines() const { return roots_.FindRoot(kRootOutlines); }
    CFileTreeRoot* templates() const { return roots_.FindRoot(kRootTemplates); }

    QTemporaryDir dir_;
    QString folder_;
    CCategoryList categories_;
    CRootList roots_;
};

TEST_F(LibraryTest, TheConflictsRootExistsOnlyWithItsFolder) {
    build();
    ASSERT_EQ(roots_.GetCount(), 2);
    EXPECT_EQ(roots_.GetAt(0)->GetName(), "Outlines");
    EXPECT_EQ(roots_.GetAt(1)->GetName(), "Templates");
    EXPECT_EQ(roots_.GetConflictsFolder(), "");
    QDir().mkdir(path("Conflicts"));
    outline("Conflicts/c.orv", "Clash");
    build();
    ASSERT_EQ(roots_.GetCount(), 3);
    EXPECT_EQ(roots_.GetAt(2)->GetName(), "Conflicts");
    EXPECT_EQ(roots_.GetAt(2)->GetKind(), kRootConflicts);
    EXPECT_EQ(titles(roots_.GetAt(2)), QStringList({"Clash"}));
    EXPECT_TRUE(roots_.IsConflictFile(path("Conflicts/c.orv")));
    EXPECT_FALSE(roots_.IsConflictFile(path("c.orv")));
    EXPECT_EQ(titles(outlines()), QStringList());
}

TEST_F(LibraryTest, AMissingDataFolderIsCreatedAndAnEmptyOneGivesNoRoots) {
    folder_ = dir_.path() + "/new";
    build();
    EXPECT_TRUE(QFileInfo(folder_).isDir());
    EXPECT_EQ(outlines()->GetFolder(), folder_ + "/");
    roots_.BuildRoots("");
    EXPECT_EQ(roots_.GetCount(), 0);
    roots_.ScanAll();
    roots_.UpdateFile("x.orv");
}

TEST_F(LibraryTest, AHeaderReadThatIsNotQuietTellsTheUser) {
    ASSERT_TRUE(writeFile(path("bad.orv"), "nonsense"));
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scope(&prompter);
    CTreeData info(path("bad.orv"));
    EXPECT_FALSE(info.ReadHeader(true));
    EXPECT_TRUE(prompter.asked().empty());
    EXPECT_FALSE(info.ReadHeader(false));
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].text, "Unknown exception : file " + path("bad.orv"));
}

TEST_F(LibraryTest, ScanListsOutlinesAndTemplatesByExtensionIgnoringCase) {
    outline("Notes.ORV", "Upper");
    outline("Notes.ort", "Template");
    outline(".hidden.orv", "Hidden");
    outline("notes.txt", "Text");
    outline("Categories.xml", "Cat");
    QDir().mkdir(path("folder.orv"));
    build();
    EXPECT_EQ(titles(outlines()), QStringList({"Upper"}));
    EXPECT_EQ(titles(templates()), QStringList({"Template"}));
}

TEST_F(LibraryTest, UnreadableFilesAreLeftOutAndLeftAlone) {
    struct Bad { const char* name; QByteArray bytes; };
    const QByteArray good = outlineXml("Good", "Unfiled", "00010AFF10203040", 5);
    const Bad bad[] = {
        {"empty.orv", ""},
        {"text.orv", "just some text"},
        {"truncated.orv", good.left(good.size() - 40)},
        {"header-only.orv", good.left(good.indexOf("<OutlineItems>"))},
        {"wrong-root.orv", "<OrvelleCategories><Version>1</Version></OrvelleCategories>"},
        {"no-title.orv", "<OrvelleDoc><Header><Category>x</Category></Header></OrvelleDoc>"},
        {"binary.orv", QByteArray("\x00\x01\x02\xff", 4)},
    };
    for (const Bad& b : bad) ASSERT_TRUE(writeFile(path(b.name), b.bytes));
    ASSERT_TRUE(writeFile(path("good.orv"), good));
    build();
    EXPECT_EQ(titles(outlines()), QStringList({"Good"}));
    for (const Bad& b : bad) {
        EXPECT_EQ(readFile(path(b.name)), b.bytes) << b.name;
        roots_.UpdateFile(path(b.name));
        EXPECT_EQ(roots_.FindFile(path(b.name)), nullptr) << b.name;
    }
}

TEST_F(LibraryTest, FilesWithoutReadPermissionAreLeftOut) {
    outline("locked.orv", "Locked");
    QFile::setPermissions(path("locked.orv"), QFileDevice::WriteOwner);
    if (access(path("locked.orv").toLocal8Bit().constData(), R_OK) == 0) {
        GTEST_SKIP() << "running with privileges that read any file (root); the mode cannot hide it";
    }
    build();
    EXPECT_EQ(outlines()->GetCount(), 0);
}

TEST_F(LibraryTest, ReadOnlyFilesAreListedAsReadOnly) {
    outline("ro.orv", "Read only");
    outline("rw.orv", "Writable");
    QFile::setPermissions(path("ro.orv"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    build();
    ASSERT_EQ(outlines()->GetCount(), 2);
    EXPECT_TRUE(roots_.FindFile(path("ro.orv"))->IsReadOnly());
    EXPECT_FALSE(roots_.FindFile(path("rw.orv"))->IsReadOnly());
    EXPECT_GT(roots_.FindFile(path("rw.orv"))->GetSize(), 0);
    EXPECT_TRUE(roots_.FindFile(path("rw.orv"))->GetModified().isValid());
}

TEST_F(LibraryTest, HeadersAreReadWhereverTheyStandInTheFile) {
    // Items before the header, a comment hiding an end tag, and a header far from the start.
    ASSERT_TRUE(writeFile(path("items-first.orv"),
                          "<OrvelleDoc><OutlineItems><Item><Text>&lt;/Header&gt;</Text></Item></OutlineItems>"
                          "<Header><Title>Late</Title><Category>C1</Category></Header></OrvelleDoc>"));
    ASSERT_TRUE(writeFile(path("comment.orv"),
                          "<OrvelleDoc><!-- </Header> --><Header><Title>Commented</Title><Category>C1</Category>"
                          "</Header><OutlineItems/></OrvelleDoc>"));
    QByteArray far = "<OrvelleDoc><Version>" + QByteArray(300 * 1024, 'v') +
                     "</Version><Header><Title>Far</Title><Category>C1</Category></Header></OrvelleDoc>";
    ASSERT_TRUE(writeFile(path("far.orv"), far));
    ASSERT_TRUE(writeFile(path("bom.orv"), "\xEF\xBB\xBF" + outlineXml("Bom ÄÖ", "Unfiled")));
    build();
    QStringList got = titles(outlines());
    got.sort();
    EXPECT_EQ(got, QStringList({"Bom ÄÖ", "Commented", "Far", "Late"}));
}

TEST_F(LibraryTest, UnknownCategoriesJoinTheListOnce) {
    outline("a.orv", "A", "Work");
    outline("b.orv", "B", "Work");
    outline("c.orv", "C", "work");
    build();
    ASSERT_EQ(categories_.GetCount(), 3);
    EXPECT_EQ(categories_.GetAt(0)->name, "Unfiled");
    ASSERT_NE(categories_.FindByName("Work"), nullptr);
    ASSERT_NE(categories_.FindByName("work"), nullptr);
    EXPECT_NE(categories_.FindByName("Work")->uid, categories_.FindByName("work")->uid);
    EXPECT_NE(categories_.FindByName("Work")->uid, kUnfiledCategoryUID);
}

TEST_F(LibraryTest, UpdateFileFollowsTheDisk) {
    outline("a.orv", "A");
    build();
    outline("b.orv", "B");
    roots_.UpdateFile(path("b.orv"));
    EXPECT_EQ(titles(outlines()), QStringList({"A", "B"}));
    outline("a.orv", "A changed");
    roots_.UpdateFile(path("a.orv"));
    EXPECT_EQ(titles(outlines()), QStringList({"B", "A changed"}));
    QFile::remove(path("b.orv"));
    roots_.UpdateFile(path("b.orv"));
    EXPECT_EQ(titles(outlines()), QStringList({"A changed"}));
    outline("t.ort", "T");
    roots_.UpdateFile(path("t.ort"));
    EXPECT_EQ(titles(templates()), QStringList({"T"}));
    roots_.UpdateFile(dir_.path() + "/elsewhere.orv");
    EXPECT_EQ(outlines()->GetCount(), 1);
}

TEST_F(LibraryTest, SortsRememberTheirOrderAndLeaveTemplatesUnsortedByCategory) {
    outline("1.orv", "banana", "b");
    outline("2.orv", "Apple", "C");
    outline("3.orv", "cherry", "a");
    outline("1.ort", "t1", "z");
    outline("2.ort", "t2", "a");
    build();
    outlines()->SortByTitle(true);
    EXPECT_EQ(titles(outlines()), QStringList({"Apple", "banana", "cherry"}));
    outlines()->SortByTitle(false);
    EXPECT_EQ(titles(outlines()), QStringList({"cherry", "banana", "Apple"}));
    outlines()->SortByCategory(true);
    EXPECT_EQ(titles(outlines()), QStringList({"cherry", "banana", "Apple"}));
    const QStringList templatesBefore = titles(templates());
    templates()->SortByCategory(true);
    EXPECT_EQ(titles(templates()), templatesBefore);
    outlines()->SortByFileName(false);
    EXPECT_EQ(CFileTreeRoot::LastSortOrder(), SortOrder::FileNameDescending);
    outlines()->SortByTitle(true);
    outlines()->SortByFileName(false);
    roots_.UpdateFile(path("1.orv"));
    outlines()->Resort();
    EXPECT_EQ(titles(outlines()), QStringList({"cherry", "Apple", "banana"}));
}

TEST_F(LibraryTest, DescendingSortsOfEqualKeysAreSafe) {
    for (int i = 0; i < 64; ++i) outline(QString("f%1.orv").arg(i), "Same");
    build();
    outlines()->SortByTitle(false);
    outlines()->SortByCategory(false);
    EXPECT_EQ(outlines()->GetCount(), 64);
}

TEST_F(LibraryTest, DuplicateKeepsTheDocUidAndNeverOverwrites) {
    outline("a.orv", "A", "Work", "1111111111111111");
    outline("taken.orv", "Taken");
    build();
    ASSERT_TRUE(roots_.DuplicateFile(path("a.orv"), path("copy.orv"), "Copy of A"));
    const Header h = headerOf(path("copy.orv"));
    EXPECT_EQ(h.title, "Copy of A");
    EXPECT_EQ(h.uid, "1111111111111111");
    EXPECT_EQ(h.modified, 1);
    ASSERT_NE(roots_.FindFile(path("copy.orv")), nullptr);
    const QByteArray before = readFile(path("taken.orv"));
    EXPECT_FALSE(roots_.DuplicateFile(path("a.orv"), path("taken.orv"), "X"));
    EXPECT_EQ(readFile(path("taken.orv")), before);
}

TEST_F(LibraryTest, CopyAsNewGivesANewIdentityAndOptionallyACategory) {
    outline("t.ort", "Template", "Work", "1111111111111111");
    build();
    ASSERT_TRUE(roots_.CopyAsNew(path("t.ort"), path("n.orv"), QString("Home")));
    ASSERT_TRUE(roots_.CopyAsNew(path("t.ort"), path("m.orv")));
    const Header n = headerOf(path("n.orv"));
    const Header m = headerOf(path("m.orv"));
    EXPECT_EQ(n.category, "Home");
    EXPECT_EQ(m.category, "Work");
    EXPECT_EQ(n.modified, 1);
    EXPECT_NE(n.uid, "1111111111111111");
    EXPECT_EQ(n.uid.size(), 16);
    EXPECT_NE(n.uid, m.uid);
    EXPECT_EQ(outlines()->GetCount(), 2);
    // A source that is not an outline leaves no copy behind.
    ASSERT_TRUE(writeFile(path("bad.ort"), "garbage"));
    EXPECT_FALSE(roots_.CopyAsNew(path("bad.ort"), path("bad.orv")));
    EXPECT_FALSE(QFile::exists(path("bad.orv")));
}

struct RecordingObserver : CLibraryObserver {
    void OnFileMoved(const QString& o, const QString& n) override { moved << o << n; }
    void OnFileRenamed(const QString& o, const QString& n, const QString& t) override { renamed << o << n << t; }
    QStringList moved, renamed;
};

TEST_F(LibraryTest, MoveToRootTakesAFreeNameAndANewIdentity) {
    outline("Plan.orv", "Plan", "Work", "1111111111111111");
    outline("Plan.ort", "Existing template");
    build();
    RecordingObserver observer;
    roots_.SetObserver(&observer);
    QString target = path("Plan.ort");
    ASSERT_TRUE(roots_.MoveToRoot(path("Plan.orv"), target, "ignored"));
    EXPECT_EQ(target, path("Pl-1.ort"));
    EXPECT_FALSE(QFile::exists(path("Plan.orv")));
    EXPECT_EQ(headerOf(target).title, "Plan");
    EXPECT_NE(headerOf(target).uid, "1111111111111111");
    EXPECT_EQ(titles(outlines()), QStringList());
    EXPECT_EQ(templates()->GetCount(), 2);
    EXPECT_EQ(observer.moved, QStringList({path("Plan.orv"), path("Pl-1.ort")}));
}

TEST_F(LibraryTest, MoveToRootLeavesAnUnreadableSourceWhereItIs) {
    ASSERT_TRUE(writeFile(path("bad.orv"), "<OrvelleDoc><Header>"));
    build();
    QString target = path("bad.ort");
    EXPECT_FALSE(roots_.MoveToRoot(path("bad.orv"), target));
    EXPECT_EQ(readFile(path("bad.orv")), QByteArray("<OrvelleDoc><Header>"));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(LibraryTest, RemoveRecordsTheDocUidsInOrderBeforeDeleting) {
    outline("a.orv", "A", "Unfiled", "AAAAAAAAAAAAAAAA");
    outline("b.orv", "B", "Unfiled", "BBBBBBBBBBBBBBBB");
    build();
    ASSERT_TRUE(roots_.RemoveFile(path("a.orv")));
    ASSERT_TRUE(roots_.RemoveFile(path("b.orv")));
    EXPECT_FALSE(QFile::exists(path("a.orv")));
    EXPECT_EQ(outlines()->GetCount(), 0);
    CDeletedOutlinesDatabase deleted;
    ASSERT_TRUE(deleted.Open(path("DeletedFiles.xml"), 0));
    QString uid;
    ASSERT_TRUE(deleted.NextDeleted(uid));
    EXPECT_EQ(uid, "AAAAAAAAAAAAAAAA");
    ASSERT_TRUE(deleted.NextDeleted(uid));
    EXPECT_EQ(uid, "BBBBBBBBBBBBBBBB");
    EXPECT_FALSE(deleted.NextDeleted(uid));
}

TEST_F(LibraryTest, RemoveKeepsWhatItCannotRead) {
    ASSERT_TRUE(writeFile(path("bad.orv"), "not xml"));
    EXPECT_FALSE(roots_.RemoveFile(path("bad.orv")));
    EXPECT_TRUE(QFile::exists(path("bad.orv")));

    // A damaged deleted-files list is not lost when the next removal is recorded.
    const QByteArray damaged = "<OrvelleDeletedFiles><Header><Deleted>CCCC";
    ASSERT_TRUE(writeFile(path("DeletedFiles.xml"), damaged));
    outline("a.orv", "A", "Unfiled", "AAAAAAAAAAAAAAAA");
    build();
    roots_.RemoveFile(path("a.orv"));
    bool kept = false;
    for (const QString& name : QDir(folder_).entryList(QDir::Files)) {
        if (readFile(path(name)) == damaged) kept = true;
    }
    EXPECT_TRUE(kept);
}

TEST_F(LibraryTest, RenameSetsTheTitleAndAFileNameMadeFromIt) {
    outline("Trip.orv", "Trip");
    build();
    RecordingObserver observer;
    roots_.SetObserver(&observer);
    ASSERT_TRUE(roots_.RenameFile(roots_.FindFile(path("Trip.orv")), outlines(), "  Summer: trip/2024  "));
    EXPECT_FALSE(QFile::exists(path("Trip.orv")));
    const QString renamed = path("Summer trip2024.orv");
    ASSERT_TRUE(QFile::exists(renamed));
    EXPECT_EQ(headerOf(renamed).title, "Summer: trip/2024");
    EXPECT_EQ(headerOf(renamed).modified, 1);
    EXPECT_EQ(titles(outlines()), QStringList({"Summer: trip/2024"}));
    EXPECT_EQ(observer.renamed, QStringList({path("Trip.orv"), renamed, "Summer: trip/2024"}));

    // Same title, or an empty one: nothing changes.
    const QByteArray before = readFile(renamed);
    EXPECT_FALSE(roots_.RenameFile(roots_.FindFile(renamed), outlines(), "Summer: trip/2024"));
    EXPECT_FALSE(roots_.RenameFile(roots_.FindFile(renamed), outlines(), "   "));
    EXPECT_EQ(readFile(renamed), before);
}

TEST_F(LibraryTest, RenameToTheCurrentFileNameNumbersIt) {
    outline("Trip.orv", "Old title");
    build();
    ASSERT_TRUE(roots_.RenameFile(roots_.FindFile(path("Trip.orv")), outlines(), "Trip"));
    EXPECT_TRUE(QFile::exists(path("Tr-1.orv")));
    EXPECT_EQ(titles(outlines()), QStringList({"Trip"}));
}

TEST_F(LibraryTest, ReplaceCategoryChangesOnlyReadableMatchingOutlines) {
    outline("a.orv", "A", "Work");
    outline("b.orv", "B", "Home");
    outline("t.ort", "T", "Work");
    const QByteArray bad = "<OrvelleDoc><Header><Category>Work</Category>";
    ASSERT_TRUE(writeFile(path("bad.orv"), bad));
    // The stores beside the outlines are none of a scan's business, damaged or not.
    const QByteArray badCategories = "<OrvelleCategories><Categories><Item>";
    const QByteArray badDeleted = "<OrvelleDeletedFiles>";
    ASSERT_TRUE(writeFile(path("Categories.xml"), badCategories));
    ASSERT_TRUE(writeFile(path("DeletedFiles.xml"), badDeleted));
    build();
    roots_.ReplaceCategory("Work", "Office");
    EXPECT_EQ(headerOf(path("a.orv")).category, "Office");
    EXPECT_EQ(headerOf(path("b.orv")).category, "Home");
    EXPECT_EQ(headerOf(path("t.ort")).category, "Work");
    EXPECT_EQ(readFile(path("bad.orv")), bad);
    EXPECT_EQ(readFile(path("Categories.xml")), badCategories);
    EXPECT_EQ(readFile(path("DeletedFiles.xml")), badDeleted);
    EXPECT_EQ(roots_.FindFile(path("a.orv"))->GetCategory(), "Office");
    roots_.ReplaceCategory("Office");
    EXPECT_EQ(headerOf(path("a.orv")).category, "Unfiled");
}

TEST_F(LibraryTest, ReplaceCategoryAlsoCoversTheDefaultDataFolder) {
    const QString other = dir_.path() + "/default";
    QDir().mkpath(other);
    ASSERT_TRUE(writeFile(other + "/d.orv", outlineXml("D", "Work")));
    outline("a.orv", "A", "Work");
    roots_.SetDefaultDataFolder(other);
    build();
    roots_.ReplaceCategory("Work", "Office");
    EXPECT_EQ(headerOf(path("a.orv")).category, "Office");
    EXPECT_EQ(headerOf(other + "/d.orv").category, "Office");
}

TEST_F(LibraryTest, MakeFilePathKnowsOnlyOutlinesAndTemplates) {
    build();
    EXPECT_EQ(roots_.MakeFilePath(outlines()->GetFolder(), "New", kRootOutlines), path("New.orv"));
    EXPECT_EQ(roots_.MakeFilePath(outlines()->GetFolder(), "New", kRootTemplates), path("New.ort"));
    EXPECT_EQ(roots_.MakeFilePath(outlines()->GetFolder(), "New", kRootConflicts), "");
}

}  // namespace
