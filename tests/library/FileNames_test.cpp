#include "library/FileNames.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "LibraryFixture.h"

namespace {

using librarytest::writeFile;

TEST(MakeFileTitle, MakesAnyTextAUsableFileTitle) {
    struct Case { QString text; QString title; };
    const Case cases[] = {
        {"  a/b:c  ", "abc"},
        {"???", "Unfiled"},
        {"", "Unfiled"},
        {QString(40, QChar('x')), QString(27, QChar('x'))},
        {"<Shopping> | \"list\" *\\", "Shopping  list "},
        {"..hidden", "hidden"},
        {"..", "Unfiled"},
        {"tab\there\nand", "tabhereand"},
        {QString(26, QChar('p')) + QString::fromUtf16(u"\U0001F600"), QString(26, QChar('p'))},
        {"Groceries", "Groceries"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeFileTitle(c.text), c.title) << c.text.toStdString();
    }
}

TEST(CMyFile, SplitsPathsIntoTheirParts) {
    struct Case { QString path, directory, name, extension; };
    const Case cases[] = {
        {"/x/y/Notes.orv", "/x/y/", "Notes", ".orv"},
        {"/x/a.b.orv", "/x/", "a.b", ".orv"},
        {"/x/noext", "/x/", "noext", ""},
        {"/x/.orv", "/x/", "", ".orv"},
        {"rel.ort", "", "rel", ".ort"},
    };
    for (const Case& c : cases) {
        const CMyFile f(c.path);
        EXPECT_EQ(f.Drive(), "");
        EXPECT_EQ(f.Directory(), c.directory) << c.path.toStdString();
        EXPECT_EQ(f.Name(), c.name) << c.path.toStdString();
        EXPECT_EQ(f.Extension(), c.extension) << c.path.toStdString();
        EXPECT_EQ(f.Path(), c.path);
    }
    EXPECT_TRUE(IsTemplateFile("/x/a.ORT"));
    EXPECT_FALSE(IsTemplateFile("/x/a.orv"));
    EXPECT_FALSE(IsTemplateFile("/x/ort"));
    EXPECT_EQ(JoinPath("/x", "a", ".orv"), "/x/a.orv");
    EXPECT_EQ(JoinPath("/x/", "a", ".orv"), "/x/a.orv");
}

class NumberedNames : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.path() + "/" + name; }
    void touch(const QString& name) { ASSERT_TRUE(writeFile(path(name), "x")); }
    QTemporaryDir dir_;
};

TEST_F(NumberedNames, KeepTheNameLengthAndSkipTakenNumbers) {
    touch("Groceries.orv");
    EXPECT_EQ(MakeNumberedName(path("Groceries.orv")), path("Groceri-1.orv"));
    touch("Groceri-1.orv");
    EXPECT_EQ(MakeNumberedName(path("Groceries.orv")), path("Groceri-2.orv"));
    for (int n = 2; n <= 9; ++n) touch(QString("Groceri-%1.orv").arg(n));
    EXPECT_EQ(MakeNumberedName(path("Groceries.orv")), path("Grocer-10.orv"));
    EXPECT_EQ(MakeNumberedName(path("a.orv")), path("-1.orv"));
    touch("Trip-1.orv");
    EXPECT_EQ(MakeNumberedName(path("Trip-1.orv")), path("Trip-2.orv"));
    // The excluded path is taken even though it exists.
    EXPECT_EQ(MakeNumberedName(path("Groceries.orv"), path("Groceri-1.orv")), path("Groceri-1.orv"));
}

TEST_F(NumberedNames, UniquePathsAreCutFreeAndCheckTheTwin) {
    const QString thirty(30, QChar('n'));
    EXPECT_EQ(MakeUniquePath(path(thirty + ".orv")), path(QString(27, QChar('n')) + ".orv"));
    EXPECT_EQ(MakeUniquePath(path("Free.orv")), path("Free.orv"));
    touch("Taken.orv");
    EXPECT_EQ(MakeUniquePath(path("Taken.orv")), path("Tak-1.orv"));

    QTemporaryDir other;
    ASSERT_TRUE(writeFile(other.path() + "/Twin.orv", "x"));
    ASSERT_TRUE(writeFile(other.path() + "/Tw-1.orv", "x"));
    EXPECT_EQ(MakeUniquePath(path("Twin.orv"), other.path() + "/"), path("Tw-2.orv"));

    // The file's own path ends the search, letter case ignored.
    touch("Own.orv");
    touch("O-1.orv");
    EXPECT_EQ(MakeUniquePath(path("Own.orv"), QString(), path("o-1.orv")), path("O-2.orv"));
    EXPECT_EQ(MakeUniquePath(path("Own.orv"), QString(), path("O-1.orv")), path("O-1.orv"));
}

}  // namespace
