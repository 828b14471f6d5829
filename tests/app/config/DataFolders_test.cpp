#include "app/config/DataFolders.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "support/TempHome.h"

using namespace config;

namespace {

TEST(DeviceIdEncoding, EscapesEverythingThatCouldBecomeStructure) {
    struct Case { QString id; QString encoded; };
    const Case cases[] = {
        {"0123ABCDEF-xyz_9", "0123ABCDEF-xyz_9"},   // ordinary IDs are their own names
        {"", "%"},
        {".", "%2E"},
        {"..", "%2E."},
        {"../../x", "%2E.%2F..%2Fx"},
        {"a/b", "a%2Fb"},
        {"a\\b", "a%5Cb"},
        {"100%", "100%25"},
        {"~home", "%7Ehome"},
        {"a.b.", "a.b."},
        {QString("tab\there\n"), "tab%09here%0A"},
        {QString(QChar(0xD800)) + "x", "%uD800x"},
        {"日本 ☃", "日本 ☃"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id.toStdString());
        EXPECT_EQ(EncodeDeviceId(c.id), c.encoded);
        EXPECT_EQ(DecodeDeviceId(c.encoded), c.id);
    }
}

TEST(DeviceIdEncoding, OnlyTheCanonicalFormDecodes) {
    // Each of these would otherwise give a second name for an ID that already has one.
    for (const char* text : {"%41", "a/b", "%2f", "%2", "%uD80", "%u0041", ".x", "", "a%", "x~y"}) {
        EXPECT_FALSE(DecodeDeviceId(QString::fromUtf8(text))) << text;
    }
}

TEST(DeviceFolders, HostileIdsStayDirectlyInsideTheUsersFolder) {
    testsupport::TempHome home;
    const QString parent = home.documents() + "/Varnholt/Orvelle";
    EXPECT_EQ(UsersParentFolder(), parent);
    const QString longId(300, QChar('x'));
    for (const QString& id : {QString("../../x"), QString("a/b"), QString(""), QString("."), QString(".."), longId,
                              QString("/etc"), QString("x\\..\\..")}) {
        SCOPED_TRACE(id.toStdString());
        const QString folder = DefaultDataFolderFor(id);
        EXPECT_EQ(QDir::cleanPath(folder), folder);
        EXPECT_EQ(QFileInfo(folder).path(), parent);
        EXPECT_LE(QFileInfo(folder).fileName().toUtf8().size(), 255);
        EXPECT_FALSE(QFileInfo(folder).fileName().startsWith('.'));
    }
}

TEST(DeviceFolders, LongIdsGetShortDistinctNames) {
    const QString a = QString(250, QChar('a')) + "1";
    const QString b = QString(250, QChar('a')) + "2";
    const QString wide = QString(150, QChar(0x65E5));  // 3 bytes each in UTF-8
    EXPECT_NE(DeviceFolderName(a), DeviceFolderName(b));
    EXPECT_TRUE(DeviceFolderName(a).contains('~'));
    EXPECT_LE(DeviceFolderName(wide).toUtf8().size(), 255);
    // A short ID that looks like a shortened name cannot collide: its "~" is escaped.
    const QString lookalike = DeviceFolderName(a);
    EXPECT_NE(DeviceFolderName(lookalike), lookalike);
    const QString exact200(200, QChar('z'));
    EXPECT_EQ(DeviceFolderName(exact200), exact200);
}

TEST(JoinFolder, InsertsOneSeparatorOnlyWhereNeeded) {
    EXPECT_EQ(JoinFolder("/a", "b"), "/a/b");
    EXPECT_EQ(JoinFolder("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinFolder("", "b"), "b");
}

}  // namespace
