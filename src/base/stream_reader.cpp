#include "base/stream_reader.h"

#include <algorithm>
#include <cstring>

namespace lorvane {

StreamReader::StreamReader(ByteSource& source, size_t bandBytes)
    : source_(source),
      size_(source.Size()),
      // No larger than the source: a small file takes a small band.
      band_(static_cast<size_t>(std::max<uint64_t>(std::min<uint64_t>(bandBytes, size_), 1))) {}

bool StreamReader::ReadBytes(std::span<std::byte> out) {
    if (failed_ || out.size() > Remaining()) return false;
    std::byte* into = out.data();
    size_t left = out.size();
    while (left > 0) {
        const uint64_t bandEnd = bandStart_ + bandFilled_;
        if (position_ >= bandStart_ && position_ < bandEnd) {
            const uint64_t inBand = bandEnd - position_;
            const size_t take = static_cast<size_t>(std::min<uint64_t>(left, inBand));
            std::memcpy(into, band_.data() + (position_ - bandStart_), take);
            into += take;
            left -= take;
            position_ += take;
            continue;
        }
        // A piece at least as large as the band goes straight to its place.
        if (left >= band_.size()) {
            failed_ = !source_.ReadAt(position_, {into, left});
            position_ += left;
            return !failed_;
        }
        const auto fill = static_cast<size_t>(std::min<uint64_t>(band_.size(), Remaining()));
        failed_ = !source_.ReadAt(position_, {band_.data(), fill});
        if (failed_) return false;
        bandStart_ = position_;
        bandFilled_ = fill;
    }
    return true;
}

std::span<const std::byte> StreamReader::ReadPiece(size_t most) {
    if (failed_ || AtEnd() || most == 0) return {};
    if (position_ < bandStart_ || position_ >= bandStart_ + bandFilled_) {
        const auto fill = static_cast<size_t>(std::min<uint64_t>(band_.size(), Remaining()));
        failed_ = !source_.ReadAt(position_, {band_.data(), fill});
        if (failed_) return {};
        bandStart_ = position_;
        bandFilled_ = fill;
    }
    const size_t at = static_cast<size_t>(position_ - bandStart_);
    const size_t take = std::min(most, bandFilled_ - at);
    position_ += take;
    return {band_.data() + at, take};
}

bool StreamReader::Skip(uint64_t count) {
    if (failed_ || count > Remaining()) return false;
    position_ += count;
    return true;
}

bool StreamReader::ReadU8(uint8_t& value) {
    std::byte byte{};
    if (!ReadBytes({&byte, 1})) return false;
    value = std::to_integer<uint8_t>(byte);
    return true;
}

bool StreamReader::ReadI32(int32_t& value) {
    std::byte bytes[4];
    if (!ReadBytes(bytes)) return false;
    uint32_t result = 0;
    for (int i = 4; i-- > 0;) result = result << 8 | std::to_integer<uint32_t>(bytes[i]);
    value = static_cast<int32_t>(result);
    return true;
}

}  // namespace lorvane
