#pragma once
// Little-endian reading over a span of bytes. Every read can fail at the end
// of the data: a failed read returns false, leaves the output untouched and
// consumes nothing, so the caller can report the field it was reading.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace lorvane {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::byte> data) : data_(data) {}

    size_t Position() const { return position_; }
    size_t Size() const { return data_.size(); }
    size_t Remaining() const { return data_.size() - position_; }
    bool AtEnd() const { return position_ == data_.size(); }

    // True when count records of recordSize bytes fit in what remains; the
    // product is taken in 64 bits so no count can overflow it.
    bool Fits(uint64_t count, uint64_t recordSize) const {
        return recordSize == 0 || count <= Remaining() / recordSize;
    }

    bool ReadU8(uint8_t& value) { return ReadRaw(&value, 1); }
    bool ReadU16(uint16_t& value) { return ReadLittle(value); }
    bool ReadU32(uint32_t& value) { return ReadLittle(value); }
    bool ReadI16(int16_t& value) { return ReadLittle(value); }
    bool ReadI32(int32_t& value) { return ReadLittle(value); }
    bool ReadF32(float& value) {
        uint32_t bits = 0;
        if (!ReadU32(bits)) return false;
        value = std::bit_cast<float>(bits);
        return true;
    }
    bool ReadBytes(std::span<std::byte> out) { return ReadRaw(out.data(), out.size()); }
    bool ReadChars(std::span<char> out) { return ReadRaw(out.data(), out.size()); }

    // A view of the next count bytes, consumed; empty and nothing consumed
    // when fewer remain.
    bool Take(size_t count, std::span<const std::byte>& out) {
        if (count > Remaining()) return false;
        out = data_.subspan(position_, count);
        position_ += count;
        return true;
    }
    bool Skip(size_t count) {
        if (count > Remaining()) return false;
        position_ += count;
        return true;
    }
    bool Seek(size_t position) {
        if (position > data_.size()) return false;
        position_ = position;
        return true;
    }

private:
    bool ReadRaw(void* out, size_t count) {
        if (count > Remaining()) return false;
        if (count > 0) std::memcpy(out, data_.data() + position_, count);
        position_ += count;
        return true;
    }
    template <typename T>
    bool ReadLittle(T& value) {
        uint8_t bytes[sizeof(T)];
        if (!ReadRaw(bytes, sizeof(T))) return false;
        std::make_unsigned_t<T> result = 0;
        for (size_t i = sizeof(T); i-- > 0;) result = static_cast<decltype(result)>((result << 8) | bytes[i]);
        value = static_cast<T>(result);
        return true;
    }

    std::span<const std::byte> data_;
    size_t position_ = 0;
};

}  // namespace lorvane
