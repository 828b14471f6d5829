#include "platform/MachineId.h"

#include <algorithm>
#include <array>
#include <mutex>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {
std::mutex g_mutex;
bool g_overridden = false;
std::optional<uint16_t> g_override;

// "aa:bb:cc:dd:ee:ff" to its bytes; empty when the text is not such an address.
QByteArray ParseAddress(const QByteArray& text) {
    const QByteArray t = text.trimmed();
    if (t.isEmpty()) return {};
    QByteArray bytes;
    for (const QByteArray& part : t.split(':')) {
        bool ok = false;
        const uint v = part.toUInt(&ok, 16);
        if (!ok || part.size() > 2 || v > 0xFF) return {};
        bytes.append(static_cast<char>(v));
    }
    return bytes;
}
}  // namespace

uint16_t MachineId::Crc16(const uint8_t* data, size_t size, uint16_t init) {
    uint16_t crc = init;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint16_t>(data[i]) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

std::vector<QByteArray> MachineId::HardwareAddresses(const QString& sysNetDir) {
    const QDir dir(sysNetDir);
    QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    names.sort();
    std::vector<std::pair<bool, QByteArray>> found;  // (virtual, address)
    for (const QString& name : names) {
        if (name == QLatin1String("lo")) continue;
        QFile file(dir.filePath(name + "/address"));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray address = ParseAddress(file.readAll());
        if (address.isEmpty() || address.count('\0') == address.size()) continue;
        const bool isVirtual = !QFileInfo::exists(dir.filePath(name + "/device"));
        found.emplace_back(isVirtual, address);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<QByteArray> out;
    for (auto& f : found) out.push_back(f.second);
    return out;
}

std::optional<uint16_t> MachineId::FromAddresses(const std::vector<QByteArray>& addresses) {
    for (const QByteArray& address : addresses) {
        std::array<uint8_t, kBlockSize> block{};
        std::copy_n(reinterpret_cast<const uint8_t*>(address.constData()),
                    std::min<qsizetype>(address.size(), kBlockSize), block.begin());
        const uint16_t crc = Crc16(block.data(), block.size());
        if (crc != 0) return crc;
    }
    return std::nullopt;
}

std::optional<uint16_t> MachineId::Current() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_overridden) return g_override;
    }
    return FromAddresses(HardwareAddresses());
}

void MachineId::SetOverride(std::optional<uint16_t> value) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_overridden = true;
    g_override = value;
}

void MachineId::ClearOverride() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_overridden = false;
    g_override.reset();
}

}  // namespace platform
