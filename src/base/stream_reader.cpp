#include "base/stream_reader.h"

#include <algorithm>
#include <cstring>

namespace lorvane {

StreamReader::StreamReader(ByteSource& source, size_t bandBytes)
    : source_(source), size_(source.Size()), band_(std::max<size_t>(bandBytes, 1)) {}

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
