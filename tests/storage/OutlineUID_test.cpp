#include "storage/OutlineUID.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "platform/Clock.h"
#include "platform/MachineId.h"
#include "storage/StoreTestSupport.h"

namespace {

class FixedClock : public platform::Clock {
public:
    uint32_t TickCountMs() const override { return ticks; }
    QDateTime LocalNow() const override { return now; }
    uint32_t ticks = 12345;
    QDateTime now;
};

// Installs a fixed clock and machine number for one test and starts the generator over.
class GenerateUIDTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock.now = QDateTime(QDate(1904, 1, 2), QTime(0, 0, 5));
        platform::Clock::SetCurrent(&clock);
        platform::MachineId::SetOverride(uint16_t(0xBEEF));
        ResetUIDGeneratorForTests();
    }
    void TearDown() override {
        platform::Clock::SetCurrent(nullptr);
        platform::MachineId::ClearOverride();
        ResetUIDGeneratorForTests();
    }
    FixedClock clock;
};

TEST_F(GenerateUIDTest, CarriesMachineSequenceAndLocalSecondsSince1904) {
    const OutlineUID a = GenerateUID();
    const OutlineUID b = GenerateUID();
    EXPECT_EQ(a[0], 0xBE);
    EXPECT_EQ(a[1], 0xEF);
    const uint16_t seqA = uint16_t(a[2] << 8 | a[3]);
    const uint16_t seqB = uint16_t(b[2] << 8 | b[3]);
    EXPECT_EQ(uint16_t(seqB - seqA), 1) << "successive identifiers differ by one in bytes 2-3";
    const uint32_t seconds = uint32_t(a[4]) << 24 | uint32_t(a[5]) << 16 | uint32_t(a[6]) << 8 | a[7];
    EXPECT_EQ(seconds, 86400u + 5u);

    clock.now = QDateTime(QDate(2024, 7, 1), QTime(12, 0, 0));
    const OutlineUID c = GenerateUID();
    const uint32_t later = uint32_t(c[4]) << 24 | uint32_t(c[5]) << 16 | uint32_t(c[6]) << 8 | c[7];
    const qint64 expected = QDateTime(QDate(1904, 1, 1), QTime(0, 0), Qt::UTC)
                                .secsTo(QDateTime(QDate(2024, 7, 1), QTime(12, 0, 0), Qt::UTC));
    EXPECT_EQ(later, uint32_t(expected)) << "wall-clock difference, the low 32 bits";
}

TEST_F(GenerateUIDTest, SeedComesFromTheTickCountAndMachineFallsBackToRandom) {
    const OutlineUID first = GenerateUID();
    ResetUIDGeneratorForTests();
    const OutlineUID again = GenerateUID();
    EXPECT_EQ(first, again) << "same tick count, same sequence start";

    ResetUIDGeneratorForTests();
    clock.ticks = 999;
    platform::MachineId::SetOverride(std::nullopt);  // no adapter
    const OutlineUID other = GenerateUID();
    EXPECT_NE(uint16_t(other[2] << 8 | other[3]), uint16_t(first[2] << 8 | first[3]));
    EXPECT_NE(uint16_t(other[0] << 8 | other[1]), 0xBEEF);
}

TEST(UIDText, HexFormsRoundTripAndBadTextIsRefused) {
    const uint8_t bytes[8] = {0x00, 0x01, 0x0A, 0xFF, 0x10, 0x20, 0x30, 0x40};
    EXPECT_EQ(UIDToHex(bytes), "00010AFF10203040");
    uint8_t back[8];
    ASSERT_TRUE(HexToUID("00010AFF10203040", back));
    EXPECT_TRUE(std::equal(bytes, bytes + 8, back));
    OutlineUID lower{};
    ASSERT_TRUE(HexToUID("00010aff10203040", lower)) << "lower case is read as well";
    EXPECT_EQ(UIDToHex(lower), "00010AFF10203040");
    for (const char* bad : {"", "00010AFF1020304", "00010AFF102030400", "00010AFF1020304G", "00010AFF 0203040"}) {
        OutlineUID out{};
        out.fill(0x55);
        EXPECT_FALSE(HexToUID(bad, out)) << bad;
        EXPECT_EQ(out, OutlineUID{}) << bad;
    }
}

TEST(MachineId, CrcMatchesTheStandardCheckValues) {
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(platform::MachineId::Crc16(check, sizeof check, 0xFFFF), 0x29B1);  // CCITT-FALSE
    EXPECT_EQ(platform::MachineId::Crc16(check, sizeof check, 0x0000), 0x31C3);  // XMODEM
}

TEST(MachineId, HashesTheFirstUsableAdapterInAZeroedBlock) {
    QTemporaryDir sys;
    auto adapter = [&](const QString& name, const QByteArray& address, bool device) {
        QDir(sys.path()).mkpath(name);
        storetest::WriteAll(sys.path() + "/" + name + "/address", address + "\n");
        if (device) QDir(sys.path()).mkpath(name + "/device");
    };
    adapter("lo", "00:00:00:00:00:00", false);
    adapter("docker0", "02:42:ac:11:00:02", false);
    adapter("eth0", "00:1a:2b:3c:4d:5e", true);
    adapter("wlan0", "00:00:00:00:00:00", true);
    adapter("odd", "not an address", true);

    const std::vector<QByteArray> found = platform::MachineId::HardwareAddresses(sys.path());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], QByteArray::fromHex("001a2b3c4d5e")) << "adapters with a device come first";
    EXPECT_EQ(found[1], QByteArray::fromHex("0242ac110002"));

    uint8_t block[platform::MachineId::kBlockSize] = {};
    const QByteArray eth = QByteArray::fromHex("001a2b3c4d5e");
    std::copy(eth.begin(), eth.end(), block);
    EXPECT_EQ(platform::MachineId::FromAddresses(found), platform::MachineId::Crc16(block, sizeof block));
    EXPECT_EQ(platform::MachineId::FromAddresses({}), std::nullopt);
}

}  // namespace
