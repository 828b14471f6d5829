// The merge of a Synchronize sync and its folder helpers, on real outline files in a
// temporary data folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "storage/CDeletedOutlinesDatabase.h"
#include "storage/COutlineDatabase.h"
#include "sync/CSyncMerge.h"
#include "sync/ISyncHost.h"
#include "sync/SyncFolders.h"
#include "SyncTestFiles.h"

namespace {

using synctest::Outline;
using synctest::Put;

struct MessageLog : ISyncHost {
    QStringList shown;
    void ShowMessage(const QString& text, const QString&) override { shown << text; }
};

class Merge : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        data = root.filePath("data");
        work = data + "/TempData";
        QDir().mkpath(work);
        QDir().mkpath(data + "/Images");
    }
    static QString Title(const QString& path) {
        COutlineDatabase db;
        return db.Open(path, 0) ? db.GetTitle() : QString("<unreadable>");
    }
    void DeletedList(const QStringList& uids) {
        CDeletedOutlinesDatabase db;
        db.InitNew();
        for (const QString& u : uids) db.AddDeleted(u);
        ASSERT_TRUE(db.Save(work + "/DeletedFiles.xml", 0));
    }
    CSyncMerge merge() { return CSyncMerge(data, work, host); }

    QTemporaryDir root;
    QString data, work;
    MessageLog host;
};

TEST_F(Merge, DeletionsMatchByDocUIDOnlyAndSkipNonOutlines) {
    Outline(data + "/Kept.orv", "AAAA000000000001", 0);
    Outline(data + "/Gone.orv", "AAAA000000000002", 1);  // changed here: deleted all the same
    Outline(data + "/Renamed on desktop.ort", "AAAA000000000003", 0);
    Put(data + "/notes.txt", "not an outline");
    DeletedList({"AAAA000000000003", "AAAA000000000002", "FFFF000000000000"});
    ASSERT_TRUE(merge().ProcessDeletedFiles());
    EXPECT_TRUE(QFile::exists(data + "/Kept.orv"));
    EXPECT_FALSE(QFile::exists(data + "/Gone.orv"));
    EXPECT_FALSE(QFile::exists(data + "/Renamed on desktop.ort"));
    EXPECT_TRUE(QFile::exists(data + "/notes.txt"));
    EXPECT_TRUE(host.shown.isEmpty());
}

TEST_F(Merge, UnreadableDeletedListFailsTheStep) {
    Outline(data + "/Kept.orv", "AAAA000000000001", 0);
    Put(work + "/DeletedFiles.xml", "<broken");
    EXPECT_FALSE(merge().ProcessDeletedFiles());
    EXPECT_TRUE(QFile::exists(data + "/Kept.orv"));
}

TEST_F(Merge, ReceivedOutlinesReplaceLocalOnesAndConflictsKeepTheDesktopVersion) {
    Outline(data + "/Both.orv", "B000000000000001", 1, "desktop version");
    Outline(data + "/HandheldOnly.orv", "B000000000000002", 0, "old");
    Outline(data + "/Untouched.orv", "B000000000000003", 1, "mine");
    Outline(work + "/Both renamed.orv", "B000000000000001", 0, "handheld version");
    Outline(work + "/HandheldOnly.orv", "B000000000000002", 0, "new");
    Outline(work + "/Brand new.orv", "B000000000000004", 0, "added");
    Put(work + "/photo.jpg", "JPEG");
    Put(work + "/trick.png.orv", "PNG really");  // a picture by its name
    Put(work + "/.DS_Store", "junk");

    ASSERT_TRUE(merge().ProcessModifiedFiles());

    EXPECT_FALSE(QFile::exists(data + "/Both.orv")) << "the handheld's new name wins";
    EXPECT_EQ(Title(data + "/Both renamed.orv"), "handheld version");
    EXPECT_EQ(Title(data + "/Conflicts/Both.orv"), "desktop version");
    EXPECT_EQ(Title(data + "/HandheldOnly.orv"), "new");
    EXPECT_FALSE(QFile::exists(data + "/Conflicts/HandheldOnly.orv")) << "changed only on the handheld";
    EXPECT_EQ(Title(data + "/Untouched.orv"), "mine");
    EXPECT_EQ(Title(data + "/Brand new.orv"), "added");
    EXPECT_TRUE(QFile::exists(data + "/Images/photo.jpg"));
    EXPECT_TRUE(QFile::exists(data + "/Images/trick.png.orv"));
    EXPECT_FALSE(QFile::exists(data + "/.DS_Store"));
    EXPECT_FALSE(QFile::exists(data + "/Images/.DS_Store"));
}

// A received outline that lands on the name of a local outline with another DocUID
// replaces that file; a later received outline of the local one's DocUID must then not
// delete what now lies under that name.
TEST_F(Merge, AFileNameTakenByAnEarlierReceivedOutlineIsNotMatchedAgain) {
    Outline(data + "/Shared name.orv", "D000000000000002", 1, "local of D2");
    Outline(work + "/Shared name.orv", "D000000000000001", 0, "handheld D1");
    Outline(work + "/Z later.orv", "D000000000000002", 0, "handheld D2");

    ASSERT_TRUE(merge().ProcessModifiedFiles());

    EXPECT_EQ(Title(data + "/Shared name.orv"), "handheld D1");
    EXPECT_EQ(Title(data + "/Z later.orv"), "handheld D2");
}

TEST_F(Merge, UnreadableOutlinesFailTheModifiedStep) {
    struct Case {
        const char* label;
        bool strayLocal;   // a local file that is no outline
        bool badReceived;  // a received file that is no outline
    };
    for (const Case& c : {Case{"StrayLocalFile", true, false}, Case{"BadReceivedFile", false, true}}) {
        SCOPED_TRACE(c.label);
        DeleteFolderTree(data);
        QDir().mkpath(work);
        Outline(data + "/Mine.orv", "C000000000000001", 0);
        if (c.strayLocal) Put(data + "/readme.txt", "text");
        if (c.badReceived) Put(work + "/Bad.orv", "<nope");
        else Outline(work + "/Theirs.orv", "C000000000000002", 0);
        EXPECT_FALSE(merge().ProcessModifiedFiles());
    }
}

TEST_F(Merge, CollectsChangedOutlinesWithTheirExistingSafePictures) {
    Put(data + "/Images/a.png", "A");
    Put(data + "/Images/b.png", "B");
    Put(root.filePath("secret.png"), "outside");
    Outline(data + "/Changed.orv", "D000000000000001", 1, "c",
            {"a.png", "", "../../secret.png", "sub/x.png", "missing.png", "a.png"});
    Outline(data + "/Same.orv", "D000000000000002", 0, "s", {"b.png"});
    Outline(data + "/Plain.orv", "D000000000000003", 1);
    Outline(data + "/Tpl.ort", "D000000000000004", 1, "t", {"b.png"});
    Outline(data + "/Conflicts/Old.orv", "D000000000000005", 1);
    QDir().mkpath(data + "/Conflicts");
    QStringList list;
    const CSyncMerge m = merge();
    m.CollectModifiedFiles(list, "*.orv");
    m.CollectModifiedFiles(list, "*.ort");
    EXPECT_EQ(list, (QStringList{data + "/Changed.orv", data + "/Images/a.png", data + "/Images/a.png",
                                 data + "/Plain.orv", data + "/Tpl.ort", data + "/Images/b.png"}));
}

// The flag is cleared by rewriting its one byte where it can be, and by a whole save
// where the text is not the plain "1" the program writes.
TEST_F(Merge, ClearModifiedFlagInPlaceOrBySaving) {
    struct Case {
        const char* label;
        QByteArray from, to;  // a change to the saved file before clearing
        bool inPlace;
        bool readsClear;  // before clearing, the header alone says "not modified"
    };
    const Case cases[] = {
        {"AsSaved", "", "", true, false},
        {"Spaced", "<Modified>1</Modified>", "<Modified> 1 </Modified>", false, false},
        {"DecoyInAComment", "<OrvelleDoc>", "<!-- <Header><Modified>1</Modified></Header> --><OrvelleDoc>", false, false},
        {"AlreadyClear", "<Modified>1</Modified>", "<Modified>0</Modified>", true, true},
        {"ClearDecoyInAComment", "<OrvelleDoc>", "<!-- <Header><Modified>0</Modified></Header> --><OrvelleDoc>",
         false, false},
        // The header ends far into the file, so the flag is not in what is read first.
        {"LongHeader", "<OrvelleDoc>", "<!--" + QByteArray(20000, 'x') + "--><OrvelleDoc>", true, false},
        {"LongHeaderAlreadyClear", "<Modified>1</Modified>",
         "<Modified>0</Modified><!--" + QByteArray(20000, 'x') + "-->", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString path = data + "/F.orv";
        Outline(path, "E000000000000009", 1, "flagged");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        if (!c.from.isEmpty()) {
            ASSERT_TRUE(bytes.contains(c.from));
            bytes.replace(c.from, c.to);
            QFile::remove(path);
            Put(path, bytes);
        }
        EXPECT_EQ(CSyncMerge::ModifiedFlagReadsClear(path), c.readsClear);
        EXPECT_TRUE(CSyncMerge::ClearModifiedFlag(path));
        EXPECT_TRUE(CSyncMerge::ModifiedFlagReadsClear(path)) << "cleared is cleared";
        COutlineDatabase db;
        ASSERT_TRUE(db.Open(path, 0));
        EXPECT_EQ(db.GetModified(), 0);
        EXPECT_EQ(db.GetTitle(), "flagged");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray after = f.readAll();
        f.close();
        if (c.inPlace) {
            QByteArray expected = bytes;
            expected.replace("<Modified>1</Modified>", "<Modified>0</Modified>");
            EXPECT_EQ(after, expected) << "only the flag's byte changes";
        }
    }
}

TEST_F(Merge, ClearModifiedFlag) {
    Outline(data + "/X.orv", "E000000000000001", 1);
    QFile::setPermissions(data + "/X.orv", QFileDevice::ReadOwner);
    EXPECT_TRUE(CSyncMerge::ClearModifiedFlag(data + "/X.orv"));
    COutlineDatabase db;
    ASSERT_TRUE(db.Open(data + "/X.orv", 0));
    EXPECT_EQ(db.GetModified(), 0);
    Put(data + "/text.txt", "plain");
    EXPECT_TRUE(CSyncMerge::ClearModifiedFlag(data + "/text.txt")) << "not an outline: nothing to do";
    ASSERT_EQ(::mkfifo(QFile::encodeName(data + "/pipe.orv").constData(), 0644), 0);
    EXPECT_FALSE(CSyncMerge::ModifiedFlagReadsClear(data + "/pipe.orv"));
    EXPECT_TRUE(CSyncMerge::ClearModifiedFlag(data + "/pipe.orv")) << "a named pipe is no outline, and must not hold us";
}

ino_t Inode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The session's backup holds hard links to the library's files: clearing the flag of a
// linked file must leave the other link's bytes as they were.
TEST_F(Merge, ClearingAFlagNeverWritesThroughAnotherLink) {
    Outline(data + "/Linked.orv", "E000000000000002", 1, "linked");
    QDir().mkpath(root.filePath("backup"));
    ASSERT_TRUE(LinkOrCopyFile(data + "/Linked.orv", root.filePath("backup/Linked.orv")));
    ASSERT_EQ(Inode(data + "/Linked.orv"), Inode(root.filePath("backup/Linked.orv")));
    EXPECT_TRUE(CSyncMerge::ClearModifiedFlag(data + "/Linked.orv"));
    COutlineDatabase cleared, kept;
    ASSERT_TRUE(cleared.Open(data + "/Linked.orv", 0));
    ASSERT_TRUE(kept.Open(root.filePath("backup/Linked.orv"), 0));
    EXPECT_EQ(cleared.GetModified(), 0);
    EXPECT_EQ(kept.GetModified(), 1);
    EXPECT_EQ(kept.GetTitle(), "linked");
}

TEST(SyncFolders, LinkOrCopyFileCopiesWhereNoLinkCanBeMade) {
    QTemporaryDir root;
    Put(root.filePath("a.orv"), "bytes");
    ASSERT_TRUE(LinkOrCopyFile(root.filePath("a.orv"), root.filePath("b.orv")));
    EXPECT_EQ(Inode(root.filePath("b.orv")), Inode(root.filePath("a.orv")));
    EXPECT_FALSE(LinkOrCopyFile(root.filePath("a.orv"), root.filePath("b.orv"))) << "the target must not exist";
    // Another file system: /dev/shm is a memory file system where there is one.
    QTemporaryDir other(QStringLiteral("/dev/shm/orvelle-link-XXXXXX"));
    struct stat here {}, there {};
    if (!other.isValid() || ::stat(QFile::encodeName(other.path()).constData(), &there) != 0 ||
        ::stat(QFile::encodeName(root.path()).constData(), &here) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system to copy to";
    ASSERT_TRUE(LinkOrCopyFile(root.filePath("a.orv"), other.filePath("c.orv")));
    QFile c(other.filePath("c.orv"));
    ASSERT_TRUE(c.open(QIODevice::ReadOnly));
    EXPECT_EQ(c.readAll(), "bytes");
}

TEST(SyncFolders, ListingSkipsSideFilesAndSubfoldersAndMatchesExtensionsInAnyCase) {
    QTemporaryDir root;
    const QString d = root.path();
    for (const char* name : {"a.orv", "B.ORV", "c.ort", "DeletedFiles.xml", "Categories.xml", ".DS_Store"})
        QFile(d + "/" + name).open(QIODevice::WriteOnly);
    QDir(d).mkpath("Images.orv");
    QStringList orv, all;
    ListFolderFiles(orv, d, "*.orv");
    ListFolderFiles(all, d, QString());
    EXPECT_EQ(orv, (QStringList{d + "/B.ORV", d + "/a.orv"}));
    EXPECT_EQ(all, (QStringList{d + "/.DS_Store", d + "/B.ORV", d + "/a.orv", d + "/c.ort"}));
}

TEST(SyncFolders, DeleteAndCopyNeverFollowSymbolicLinks) {
    QTemporaryDir root;
    const QString outside = root.filePath("outside");
    QDir().mkpath(outside);
    QFile(outside + "/precious.orv").open(QIODevice::WriteOnly);
    const QString tree = root.filePath("tree");
    QDir().mkpath(tree + "/sub/deeper");
    QFile(tree + "/sub/deeper/f.orv").open(QIODevice::WriteOnly);
    QFile(tree + "/ro.orv").open(QIODevice::WriteOnly);
    QFile::setPermissions(tree + "/ro.orv", QFileDevice::ReadOwner);
    ASSERT_TRUE(QFile::link(outside, tree + "/sub/link"));
    ASSERT_TRUE(QFile::link(tree, tree + "/loop"));  // copying through it would never end

    const QString copy = root.filePath("copy/nested");
    EXPECT_TRUE(CopyFolder(tree, copy));
    EXPECT_TRUE(QFileInfo::exists(copy + "/sub/deeper/f.orv"));
    EXPECT_TRUE(QFileInfo::exists(copy + "/ro.orv"));
    EXPECT_TRUE(QFileInfo(copy + "/sub/link").isSymLink());
    EXPECT_TRUE(QFileInfo(copy + "/loop").isSymLink());

    EXPECT_TRUE(DeleteFolderTree(tree));
    EXPECT_FALSE(QFileInfo::exists(tree));
    EXPECT_TRUE(QFileInfo::exists(outside + "/precious.orv"));
    EXPECT_TRUE(DeleteFolderTree(root.filePath("copy")));
    EXPECT_TRUE(QFileInfo::exists(outside + "/precious.orv"));
    EXPECT_FALSE(DeleteFolderTree(root.filePath("never-there")));
}

TEST(SyncFolders, CopyReplacesExistingFiles) {
    QTemporaryDir root;
    QDir().mkpath(root.filePath("from"));
    QDir().mkpath(root.filePath("to"));
    QFile f(root.filePath("from/x.orv"));
    f.open(QIODevice::WriteOnly);
    f.write("new");
    f.close();
    QFile g(root.filePath("to/x.orv"));
    g.open(QIODevice::WriteOnly);
    g.write("old contents");
    g.close();
    QFile::setPermissions(root.filePath("to/x.orv"), QFileDevice::ReadOwner);
    EXPECT_TRUE(CopyFolder(root.filePath("from"), root.filePath("to")));
    QFile r(root.filePath("to/x.orv"));
    ASSERT_TRUE(r.open(QIODevice::ReadOnly));
    EXPECT_EQ(r.readAll(), "new");
}

}  // namespace
