#include "platform/LogFont.h"

#include <QtEndian>

namespace platform {

void LogFont::setFaceName(const QString& name) {
    faceName.fill(0);
    const int n = std::min<int>(name.size(), kFaceSize - 1);
    for (int i = 0; i < n; ++i) faceName[i] = name.at(i).unicode();
}

QString LogFont::faceNameString() const {
    int n = 0;
    while (n < kFaceSize && faceName[n] != 0) ++n;
    return QString(reinterpret_cast<const QChar*>(faceName.data()), n);
}

QByteArray LogFont::toBinary() const {
    QByteArray out(kBinarySize, '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    const int32_t longs[5] = {height, width, escapement, orientation, weight};
    for (int i = 0; i < 5; ++i) qToLittleEndian<int32_t>(longs[i], p + 4 * i);
    const uint8_t bytes[8] = {italic, underline, strikeOut, charSet,
                              outPrecision, clipPrecision, quality, pitchAndFamily};
    for (int i = 0; i < 8; ++i) p[20 + i] = bytes[i];
    for (int i = 0; i < kFaceSize; ++i) qToLittleEndian<uint16_t>(faceName[i], p + 28 + 2 * i);
    return out;
}

bool LogFont::fromBinary(const QByteArray& bytes, LogFont* out) {
    if (bytes.size() != kBinarySize || !out) return false;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    LogFont f;
    f.height = qFromLittleEndian<int32_t>(p);
    f.width = qFromLittleEndian<int32_t>(p + 4);
    f.escapement = qFromLittleEndian<int32_t>(p + 8);
    f.orientation = qFromLittleEndian<int32_t>(p + 12);
    f.weight = qFromLittleEndian<int32_t>(p + 16);
    f.italic = p[20];
    f.underline = p[21];
    f.strikeOut = p[22];
    f.charSet = p[23];
    f.outPrecision = p[24];
    f.clipPrecision = p[25];
    f.quality = p[26];
    f.pitchAndFamily = p[27];
    for (int i = 0; i < kFaceSize; ++i) f.faceName[i] = qFromLittleEndian<uint16_t>(p + 28 + 2 * i);
    f.faceName[kFaceSize - 1] = 0;  // a stored name without terminator must not run past the field
    *out = f;
    return true;
}

}  // namespace platform
