#pragma once
// Little-endian writing into a growing byte buffer. The buffer is then handed
// to ReplaceFile, so a file is either written whole or not at all.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace lorvane {

class ByteWriter {
  public:
    ByteWriter() = default;
    explicit ByteWriter(std::vector<std::byte> buffer) : bytes_(std::move(buffer)) {
        bytes_.clear();
    }

    void Reserve(size_t size) { bytes_.reserve(size); }
    void U8(uint8_t value) { bytes_.push_back(static_cast<std::byte>(value)); }
    void U16(uint16_t value) { Little(value); }
    void U32(uint32_t value) { Little(value); }
    void I16(int16_t value) { Little(static_cast<uint16_t>(value)); }
    void I32(int32_t value) { Little(static_cast<uint32_t>(value)); }
    void F32(float value) { Little(std::bit_cast<uint32_t>(value)); }
    void Bytes(std::span<const std::byte> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    void Chars(std::span<const char> data) { Bytes(std::as_bytes(data)); }
    void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, std::byte{0}); }

    size_t Size() const { return bytes_.size(); }
    const std::vector<std::byte>& Data() const { return bytes_; }
    std::vector<std::byte> Take() { return std::move(bytes_); }
    // Empties the buffer and keeps its room, for a writer that hands it on in parts.
    void Clear() { bytes_.clear(); }

  private:
    template <typename T>
    void Little(T value) {
        for (size_t i = 0; i < sizeof(T); ++i) {
            bytes_.push_back(static_cast<std::byte>(value & 0xFF));
            value = static_cast<T>(value >> 8);
        }
    }

    std::vector<std::byte> bytes_;
};

}  // namespace lorvane
