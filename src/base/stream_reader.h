#pragma once
// Little-endian reading of a ByteSource from front to back through one
// reused band, for a reader that walks a large file once without a whole
// copy of it. Reads fail at the end of the data, as ByteReader's do, or
// when the source cannot be read (the file changed or the system failed):
// then SourceFailed() is true and the source's Detail() says why.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/file_io.h"

namespace lorvane {

class StreamReader {
  public:
    static constexpr size_t kBandBytes = size_t{256} << 10;

    explicit StreamReader(ByteSource& source, size_t bandBytes = kBandBytes);

    uint64_t Remaining() const { return size_ - position_; }
    bool AtEnd() const { return Remaining() == 0; }
    // True when count records of recordSize bytes fit in what remains.
    bool Fits(uint64_t count, uint64_t recordSize) const {
        return recordSize == 0 || count <= Remaining() / recordSize;
    }

    // The next out.size() bytes; false when fewer remain (nothing consumed)
    // or the source failed.
    bool ReadBytes(std::span<std::byte> out);
    bool ReadChars(std::span<char> out) { return ReadBytes(std::as_writable_bytes(out)); }
    // The next bytes in place, as many as the band holds from here and at
    // most `most`, valid until the next read; empty at the end or when the
    // source failed. For a reader that walks bytes of its own making.
    std::span<const std::byte> ReadPiece(size_t most = SIZE_MAX);
    // Passes over count bytes; false when fewer remain (nothing consumed).
    bool Skip(uint64_t count);
    bool ReadU8(uint8_t& value);
    bool ReadI32(int32_t& value);

    bool SourceFailed() const { return failed_; }

  private:
    ByteSource& source_;
    uint64_t size_;  // of the source, taken when the reader starts
    std::vector<std::byte> band_;
    uint64_t position_ = 0;   // of the next byte, in the source
    uint64_t bandStart_ = 0;  // the source position of band_[0]
    size_t bandFilled_ = 0;   // the bytes of the band that hold the source
    bool failed_ = false;
};

}  // namespace lorvane
