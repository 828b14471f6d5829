#include "editor/text/CBufMan.h"

#include <cstdlib>
#include <cstring>
#include <utility>

CBufMan::CBufMan(uint32_t growStep) : growStep_(growStep == 0 ? 1 : growStep) {}

CBufMan::~CBufMan() { std::free(data_); }

CBufMan::CBufMan(CBufMan&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      length_(std::exchange(other.length_, 0)),
      growStep_(other.growStep_) {}

CBufMan& CBufMan::operator=(CBufMan&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
        length_ = std::exchange(other.length_, 0);
        growStep_ = other.growStep_;
    }
    return *this;
}

int CBufMan::Replace(uint32_t offset, uint32_t removed, const void* source, uint32_t inserted) {
    if (offset > length_ || removed > length_ - offset) return -1;
    if (inserted > 0 && source == nullptr) return -1;
    const uint64_t newLength = uint64_t(length_) - removed + inserted;
    if (newLength > 0x7FFFFFF0u) return -1;  // keeps character counts in int32 range
    if (newLength > capacity_) {
        const uint64_t newCapacity = (newLength / growStep_ + 1) * growStep_;
        if (newCapacity > 0xFFFFFFFFu) return -1;
        auto* block = static_cast<unsigned char*>(std::malloc(size_t(newCapacity)));
        if (block == nullptr) return -1;
        if (length_ > 0) std::memcpy(block, data_, length_);
        std::free(data_);
        data_ = block;
        capacity_ = uint32_t(newCapacity);
    }
    const uint32_t tail = length_ - offset - removed;
    if (tail > 0 && removed != inserted)
        std::memmove(data_ + offset + inserted, data_ + offset + removed, tail);
    if (inserted > 0) std::memcpy(data_ + offset, source, inserted);
    length_ = uint32_t(newLength);
    return 0;
}
