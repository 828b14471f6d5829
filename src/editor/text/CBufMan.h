#pragma once
// A growable byte block whose capacity is always a whole multiple of its grow step.
// Owns its block. Small on purpose: one of these lives in every hard line of every item.

#include <cstdint>

class CBufMan {
public:
    explicit CBufMan(uint32_t growStep);
    ~CBufMan();
    CBufMan(CBufMan&& other) noexcept;
    CBufMan& operator=(CBufMan&& other) noexcept;
    CBufMan(const CBufMan&) = delete;
    CBufMan& operator=(const CBufMan&) = delete;

    // Removes `removed` bytes at `offset` and inserts `inserted` bytes from `source` there
    // (source may be null only when inserted is 0; it must not point into this block).
    // Returns 0, or -1 when a larger block cannot be had or the run lies outside the
    // content; on -1 the buffer is unchanged.
    int Replace(uint32_t offset, uint32_t removed, const void* source, uint32_t inserted);

    uint32_t ByteLength() const { return length_; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t GrowStep() const { return growStep_; }
    const unsigned char* Bytes() const { return data_; }

protected:
    unsigned char* data_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
    uint32_t growStep_;
};
