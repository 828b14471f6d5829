#include "platform/MemorySettingsStore.h"
#include "platform/QtSettingsStore.h"

#include <functional>
#include <memory>

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/TempHome.h"

using platform::MemorySettingsStore;
using platform::QtSettingsStore;
using platform::SettingsStore;

namespace {

const QString kRoot = QStringLiteral("Software\\Varnholt\\Orvelle");

QString key(const QString& rest) { return kRoot + QLatin1Char('\\') + rest; }

// Both stores must behave alike: the program runs on one and the tests of other parts on
// the other.
struct StoreFactory {
    const char* label;
    std::function<std::unique_ptr<SettingsStore>(const QString& dir)> make;
};

class SettingsStoreContract : public ::testing::TestWithParam<StoreFactory> {
protected:
    void SetUp() override { store_ = GetParam().make(dir_.path()); }
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
};

TEST_P(SettingsStoreContract, ValuesRoundTripWithAwkwardNames) {
    struct Case { QString key; QString name; };
    const Case cases[] = {
        {key("Workspace"), "SyncDirection"},
        {key("IPhone - a/b"), "UserDisplayName"},
        {key("IPhone - %2F"), "x"},
        {key("General"), "General"},
        {key("Odd name ÄÖ 日本"), "List font"},
        {key("W"), "value/with\\slashes%"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(store_->writeInt(c.key, c.name + "#i", -7)) << c.key.toStdString();
        ASSERT_TRUE(store_->writeString(c.key, c.name + "#s", "@ByteArray(x), y, \"z\"\n"));
        ASSERT_TRUE(store_->writeBinary(c.key, c.name + "#b", QByteArray("\0\1\xff", 3)));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toStdString() + " / " + c.name.toStdString());
        EXPECT_EQ(store_->readInt(c.key, c.name + "#i"), -7);
        EXPECT_EQ(store_->readString(c.key, c.name + "#s"), QString("@ByteArray(x), y, \"z\"\n"));
        EXPECT_EQ(store_->readBinary(c.key, c.name + "#b"), QByteArray("\0\1\xff", 3));
        EXPECT_TRUE(store_->keyExists(c.key));
    }
    // A "/" in a key name stays part of that name: no nested group appears.
    EXPECT_EQ(store_->subkeys(kRoot),
              QStringList({"General", "IPhone - %2F", "IPhone - a/b", "Odd name ÄÖ 日本", "W", "Workspace"}));
    EXPECT_TRUE(store_->subkeys(key("IPhone - a/b")).isEmpty());
    EXPECT_EQ(store_->valueNames(key("W")),
              QStringList({"value/with\\slashes%#b", "value/with\\slashes%#i", "value/with\\slashes%#s"}));
}

TEST_P(SettingsStoreContract, MissingAndMistypedValuesReadAsNothing) {
    EXPECT_FALSE(store_->keyExists(kRoot));
    EXPECT_FALSE(store_->readInt(key("Workspace"), "FirstSync"));
    store_->writeString(key("W"), "number", " 12 ");
    store_->writeString(key("W"), "text", "twelve");
    store_->writeInt(key("W"), "int", 5);
    store_->writeString(key("W"), "big", "4294967296");
    EXPECT_EQ(store_->readInt(key("W"), "number"), 12);
    EXPECT_FALSE(store_->readInt(key("W"), "text"));
    EXPECT_FALSE(store_->readInt(key("W"), "big"));
    EXPECT_FALSE(store_->readBinary(key("W"), "text"));
    EXPECT_EQ(store_->readString(key("W"), "int"), QString("5"));
    EXPECT_FALSE(store_->readString(key("Nothing"), "text"));
}

TEST_P(SettingsStoreContract, KeysExistOnlyWhileTheyHoldValues) {
    store_->writeInt(key("A\\Preferences"), "x", 1);
    store_->writeInt(key("A"), "Preferences", 2);  // a value named like the subkey
    store_->writeInt(key("B"), "y", 1);
    EXPECT_EQ(store_->subkeys(kRoot), QStringList({"A", "B"}));
    EXPECT_EQ(store_->subkeys(key("A")), QStringList({"Preferences"}));

    ASSERT_TRUE(store_->removeKey(key("A\\Preferences")));
    EXPECT_FALSE(store_->keyExists(key("A\\Preferences")));
    EXPECT_EQ(store_->readInt(key("A"), "Preferences"), 2);

    store_->writeInt(key("A\\Preferences"), "x", 1);
    ASSERT_TRUE(store_->removeValue(key("A"), "Preferences"));
    EXPECT_FALSE(store_->readInt(key("A"), "Preferences"));
    EXPECT_EQ(store_->readInt(key("A\\Preferences"), "x"), 1);

    ASSERT_TRUE(store_->removeKey(key("A")));
    EXPECT_EQ(store_->subkeys(kRoot), QStringList({"B"}));
    EXPECT_TRUE(store_->removeKey(key("Never")));
    EXPECT_TRUE(store_->removeValue(key("Never"), "x"));
}

TEST_P(SettingsStoreContract, MalformedKeyPathsAreRefused) {
    for (const QString& bad : {key(""), key("a\\\\b"), QString()}) {
        EXPECT_FALSE(store_->writeInt(bad, "x", 1)) << bad.toStdString();
    }
    EXPECT_FALSE(store_->writeInt(key("a"), "", 1));
}

INSTANTIATE_TEST_SUITE_P(
    Stores, SettingsStoreContract,
    ::testing::Values(
        StoreFactory{"Memory", [](const QString&) -> std::unique_ptr<SettingsStore> {
                         return std::make_unique<MemorySettingsStore>();
                     }},
        StoreFactory{"QtIni", [](const QString& dir) -> std::unique_ptr<SettingsStore> {
                         return std::make_unique<QtSettingsStore>(kRoot, dir + "/s.ini");
                     }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(QtSettingsStore, LivesInTheUsersConfigFolderAndPersists) {
    testsupport::TempHome home;
    const QString expected = home.path() + "/.config/Varnholt/Orvelle.ini";
    EXPECT_EQ(QtSettingsStore::defaultFilePath(), expected);
    {
        QtSettingsStore store;
        ASSERT_TRUE(store.writeString(key("IPhone - a/b\\Preferences"), "Path", "/x/y"));
        ASSERT_TRUE(store.flush());
    }
    ASSERT_TRUE(QFile::exists(expected));
    QtSettingsStore again;
    EXPECT_EQ(again.readString(key("IPhone - a/b\\Preferences"), "Path"), QString("/x/y"));
    EXPECT_EQ(again.subkeys(kRoot), QStringList({"IPhone - a/b"}));
}

TEST(QtSettingsStore, KeysOutsideTheApplicationKeyAreNotHeld) {
    QTemporaryDir dir;
    QtSettingsStore store(kRoot, dir.path() + "/s.ini");
    EXPECT_FALSE(store.writeInt("Software\\Other", "x", 1));
    EXPECT_FALSE(store.writeInt("Software\\Varnholt\\OrvelleX", "x", 1));
    EXPECT_FALSE(store.readInt("Software\\Other", "x"));
    EXPECT_TRUE(store.writeInt(kRoot, "top", 3));
    EXPECT_EQ(store.readInt(kRoot, "top"), 3);
}

}  // namespace
