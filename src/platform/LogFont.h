#pragma once
// A font description as documents, preferences and views pass it around: the fields of
// the classic logical-font record, so stored binary values keep their 92-byte layout.

#include <array>
#include <cstdint>
#include <QByteArray>
#include <QString>

namespace platform {

struct LogFont {
    static constexpr int kFaceSize = 32;       // 31 characters and the terminating zero
    static constexpr int kBinarySize = 92;     // the stored binary form

    int32_t height = 0;       // logical units; negative means character height
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 400;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::array<char16_t, kFaceSize> faceName{};  // always zero-terminated

    // Stores at most 31 characters; a longer name is cut.
    void setFaceName(const QString& name);
    QString faceNameString() const;

    // Little-endian 92-byte form: five 32-bit fields, eight bytes, 32 UTF-16 units.
    QByteArray toBinary() const;
    // False (and *out untouched) when the value is not exactly 92 bytes.
    static bool fromBinary(const QByteArray& bytes, LogFont* out);

    bool operator==(const LogFont& other) const = default;
};

}  // namespace platform
