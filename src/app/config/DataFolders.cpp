#include "app/config/DataFolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

namespace config {

namespace {

constexpr int kMaxFolderNameBytes = 200;
constexpr int kFolderPrefixBytes = 180;

void appendHex2(QString& out, char16_t c) {
    out += QLatin1Char('%');
    out += QStringLiteral("%1").arg(static_cast<unsigned>(c), 2, 16, QLatin1Char('0')).toUpper();
}

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

}  // namespace

QString JoinFolder(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    if (folder.endsWith(QLatin1Char('/'))) return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString DocumentsFolder() {
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty()) docs = JoinFolder(QDir::homePath(), QStringLiteral("Documents"));
    return docs;
}

QString UsersParentFolder() {
    return JoinFolder(JoinFolder(DocumentsFolder(), QStringLiteral("Varnholt")), QStringLiteral("Orvelle"));
}

QString EncodeDeviceId(const QString& deviceId) {
    if (deviceId.isEmpty()) return QStringLiteral("%");
    QString out;
    out.reserve(deviceId.size());
    const qsizetype n = deviceId.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = deviceId[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(deviceId[i + 1].unicode())) {
            out += deviceId[i];
            out += deviceId[i + 1];
            ++i;
            continue;
        }
        if (QChar::isSurrogate(c)) {
            out += QStringLiteral("%u") + QStringLiteral("%1").arg(static_cast<unsigned>(c), 4, 16, QLatin1Char('0')).toUpper();
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '%' || c == '/' || c == '\\' || c == '~' || (i == 0 && c == '.')) {
            appendHex2(out, c);
            continue;
        }
        out += deviceId[i];
    }
    return out;
}

std::optional<QString> DecodeDeviceId(const QString& encoded) {
    if (encoded.isEmpty()) return std::nullopt;
    if (encoded == QLatin1String("%")) return QString();
    QString out;
    out.reserve(encoded.size());
    const qsizetype n = encoded.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (encoded[i] != QLatin1Char('%')) {
            out += encoded[i];
            continue;
        }
        if (i + 1 < n && encoded[i + 1] == QLatin1Char('u')) {
            if (i + 5 >= n) return std::nullopt;
            unsigned v = 0;
            for (int k = 2; k <= 5; ++k) {
                const int h = hexValue(encoded[i + k]);
                if (h < 0) return std::nullopt;
                v = v * 16 + static_cast<unsigned>(h);
            }
            out += QChar(static_cast<char16_t>(v));
            i += 5;
            continue;
        }
        if (i + 2 >= n) return std::nullopt;
        const int hi = hexValue(encoded[i + 1]);
        const int lo = hexValue(encoded[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += QChar(static_cast<char16_t>(hi * 16 + lo));
        i += 2;
    }
    // Only the canonical form decodes: "%41" or a raw "/" would otherwise give a second
    // name for an ID that already has one.
    if (EncodeDeviceId(out) != encoded) return std::nullopt;
    return out;
}

QString DeviceFolderName(const QString& deviceId) {
    const QString encoded = EncodeDeviceId(deviceId);
    if (encoded.toUtf8().size() <= kMaxFolderNameBytes) return encoded;
    // "~" is always escaped by the encoding, so a raw one marks a shortened name and a
    // shortened name can never equal the full name of another ID.
    QString prefix;
    int bytes = 0;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QChar c = encoded[i];
        const bool pair = c.isHighSurrogate() && i + 1 < encoded.size();
        const int width = pair ? 4 : (c.unicode() < 0x80 ? 1 : (c.unicode() < 0x800 ? 2 : 3));
        if (bytes + width > kFolderPrefixBytes) break;
        prefix += c;
        if (pair) prefix += encoded[++i];
        bytes += width;
    }
    const QByteArray raw(reinterpret_cast<const char*>(deviceId.utf16()), deviceId.size() * 2);
    const QByteArray hash = QCryptographicHash::hash(raw, QCryptographicHash::Sha256).left(8).toHex().toUpper();
    return prefix + QLatin1Char('~') + QString::fromLatin1(hash);
}

QString DefaultDataFolderFor(const QString& deviceId) {
    return JoinFolder(UsersParentFolder(), DeviceFolderName(deviceId));
}

}  // namespace config
