#pragma once
// 8-byte identifiers of documents (DocUID) and categories, and their text form of 16
// upper-case hexadecimal digits.

#include <array>
#include <cstdint>

#include <QString>

using OutlineUID = std::array<uint8_t, 8>;

// Fills bytes with a new identifier: bytes 0-1 the machine number, 2-3 a sequence
// number that grows by one per call, 4-7 the whole seconds from 1904-01-01 00:00:00 to
// now, in local wall-clock time (all big-endian). The first call seeds the generator
// from the tick count (platform::Clock) and takes the machine number
// (platform::MachineId). Safe to call from any thread.
void GenerateUID(uint8_t bytes[8]);
OutlineUID GenerateUID();

// 16 upper-case hexadecimal digits, high nibble first.
QString UIDToHex(const uint8_t bytes[8]);
QString UIDToHex(const OutlineUID& uid);

// Reads 16 hexadecimal digits back into 8 bytes. Lower-case digits are accepted too.
// False (bytes zeroed) when text is not exactly 16 hexadecimal digits.
bool HexToUID(const QString& text, uint8_t bytes[8]);
bool HexToUID(const QString& text, OutlineUID& uid);

// For tests: forgets the seeded generator, the sequence and the machine number, so the
// next GenerateUID starts afresh from the current platform::Clock and MachineId.
void ResetUIDGeneratorForTests();
