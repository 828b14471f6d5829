#include "storage/OutlineUID.h"

#include <mutex>
#include <optional>
#include <random>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "platform/Clock.h"
#include "platform/MachineId.h"

namespace {

struct Generator {
    std::mutex mutex;
    std::optional<std::mt19937> random;
    uint32_t sequence = 0;
    bool haveMachine = false;
    uint16_t machine = 0;
};

Generator& State() {
    static Generator g;
    return g;
}

// Whole seconds from 1904-01-01 00:00:00 to now, both read as local wall-clock time.
uint32_t SecondsSince1904() {
    const QDateTime now = platform::Clock::Current().LocalNow();
    const QDateTime wall(now.date(), now.time(), Qt::UTC);
    const QDateTime epoch(QDate(1904, 1, 1), QTime(0, 0), Qt::UTC);
    return static_cast<uint32_t>(static_cast<uint64_t>(epoch.secsTo(wall)));
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

}  // namespace

void GenerateUID(uint8_t bytes[8]) {
    Generator& g = State();
    std::lock_guard<std::mutex> lock(g.mutex);
    if (!g.random) {
        g.random.emplace(platform::Clock::Current().TickCountMs());
        g.sequence = (*g.random)() % 0xFFFF;
    }
    if (!g.haveMachine) {
        const std::optional<uint16_t> id = platform::MachineId::Current();
        g.machine = id ? *id : static_cast<uint16_t>((*g.random)() % 0xFFFF);
        g.haveMachine = true;
    }
    ++g.sequence;
    const uint32_t seconds = SecondsSince1904();
    bytes[0] = static_cast<uint8_t>(g.machine >> 8);
    bytes[1] = static_cast<uint8_t>(g.machine);
    bytes[2] = static_cast<uint8_t>(g.sequence >> 8);
    bytes[3] = static_cast<uint8_t>(g.sequence);
    bytes[4] = static_cast<uint8_t>(seconds >> 24);
    bytes[5] = static_cast<uint8_t>(seconds >> 16);
    bytes[6] = static_cast<uint8_t>(seconds >> 8);
    bytes[7] = static_cast<uint8_t>(seconds);
}

OutlineUID GenerateUID() {
    OutlineUID uid{};
    GenerateUID(uid.data());
    return uid;
}

QString UIDToHex(const uint8_t bytes[8]) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    QString s(16, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i) {
        s[2 * i] = QChar(kDigits[bytes[i] >> 4]);
        s[2 * i + 1] = QChar(kDigits[bytes[i] & 0x0F]);
    }
    return s;
}

QString UIDToHex(const OutlineUID& uid) { return UIDToHex(uid.data()); }

bool HexToUID(const QString& text, uint8_t bytes[8]) {
    std::fill(bytes, bytes + 8, uint8_t(0));
    if (text.size() != 16) return false;
    uint8_t out[8];
    for (int i = 0; i < 8; ++i) {
        const int hi = HexValue(text[2 * i].unicode());
        const int lo = HexValue(text[2 * i + 1].unicode());
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    std::copy(out, out + 8, bytes);
    return true;
}

bool HexToUID(const QString& text, OutlineUID& uid) { return HexToUID(text, uid.data()); }

void ResetUIDGeneratorForTests() {
    Generator& g = State();
    std::lock_guard<std::mutex> lock(g.mutex);
    g.random.reset();
    g.sequence = 0;
    g.haveMachine = false;
    g.machine = 0;
}
