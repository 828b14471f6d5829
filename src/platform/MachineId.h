#pragma once
// A 16-bit number that identifies this machine, made from its network adapters'
// hardware addresses: each address is put at the start of a zeroed 600-byte block and
// the block is hashed with a CRC-16 (polynomial 0x1021, most significant bit first,
// initial value 0x0DE5, no final XOR); the first adapter whose hash is not 0 gives it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

namespace platform {

class MachineId {
public:
    static constexpr int kBlockSize = 600;
    static constexpr uint16_t kCrcInit = 0x0DE5;

    static uint16_t Crc16(const uint8_t* data, size_t size, uint16_t init = kCrcInit);

    // The hardware addresses of the adapters under sysNetDir, in a stable order:
    // adapters backed by a device first, then the others, each group by name. Loopback
    // and all-zero addresses are left out.
    static std::vector<QByteArray> HardwareAddresses(const QString& sysNetDir = QStringLiteral("/sys/class/net"));
    // The hash of the first address whose block does not hash to 0; none when there is
    // no such address.
    static std::optional<uint16_t> FromAddresses(const std::vector<QByteArray>& addresses);

    // This machine's number: the test override when set, else FromAddresses of
    // HardwareAddresses(); none when no adapter gives one.
    static std::optional<uint16_t> Current();
    // For tests: a fixed answer for Current() (std::nullopt pretends no adapter);
    // ClearOverride() restores the real one.
    static void SetOverride(std::optional<uint16_t> value);
    static void ClearOverride();
};

}  // namespace platform
