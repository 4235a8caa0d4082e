#include "terrain/terrain_rows.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "base/byte_reader.h"
#include "terrain/terrain_files.h"

namespace lorvane {

namespace {

constexpr size_t kSectionRecords = kSectionPosts * kSectionPosts;

void ReportL2ReadFailure(MessageSink& messages) {
    messages.Error("L2 end of file reached", "Error");
    messages.Error("L2 error", "L2 Read Error");
}

uint16_t Little16(const std::byte* p) {
    return static_cast<uint16_t>(std::to_integer<unsigned>(p[0]) | std::to_integer<unsigned>(p[1])
                                                                       << 8);
}

uint32_t Little32(const std::byte* p) {
    return std::to_integer<uint32_t>(p[0]) | std::to_integer<uint32_t>(p[1]) << 8 |
           std::to_integer<uint32_t>(p[2]) << 16 | std::to_integer<uint32_t>(p[3]) << 24;
}

// One post record of recordSize bytes (7: 16-bit tile id, 9: 32-bit tile
// id); the L2M cell record has the 9-byte layout.
template <size_t recordSize>
TerrainCell DecodeRecord(const std::byte* p) {
    constexpr size_t idSize = recordSize == 7 ? 2 : 4;
    TerrainCell cell;
    cell.tileId = idSize == 2 ? Little16(p) : Little32(p);
    if constexpr (kCellBytesInRecordOrder) {
        std::memcpy(reinterpret_cast<std::byte*>(&cell) + 4, p + idSize, 5);
    } else {
        cell.elevation = Little16(p + idSize);
        cell.aux0 = std::to_integer<uint8_t>(p[idSize + 2]);
        cell.aux1 = std::to_integer<uint8_t>(p[idSize + 3]);
        cell.aux2 = std::to_integer<uint8_t>(p[idSize + 4]);
    }
    return cell;
}

// A cell as a 9-byte L2M record.
void EncodeCell(const TerrainCell& cell, std::byte* p) {
    if constexpr (kCellBytesInRecordOrder) {
        std::memcpy(p, &cell, kL2MCellSize);
    } else {
        for (int i = 0; i < 4; ++i) p[i] = static_cast<std::byte>(cell.tileId >> (8 * i));
        p[4] = static_cast<std::byte>(cell.elevation);
        p[5] = static_cast<std::byte>(cell.elevation >> 8);
        p[6] = static_cast<std::byte>(cell.aux0);
        p[7] = static_cast<std::byte>(cell.aux1);
        p[8] = static_cast<std::byte>(cell.aux2);
    }
}

// A run of count records laid end to end, decoded into out.
template <size_t recordSize>
void DecodeRun(const std::byte* record, size_t count, TerrainCell* out) {
    for (size_t i = 0; i < count; ++i, record += recordSize)
        out[i] = DecodeRecord<recordSize>(record);
}

// A row reads 16 records from each of n sections far apart in the file, more
// streams than the processor's own prefetching follows; so each section's
// next post row is asked for one row ahead.
void Prefetch(const std::byte* start, size_t bytes) {
#if defined(__GNUC__)
    for (size_t line = 0; line < bytes; line += 64) __builtin_prefetch(start + line);
    __builtin_prefetch(start + bytes - 1);
#else
    (void)start;
    (void)bytes;
#endif
}

}  // namespace

TerrainRows TerrainRows::OfMatrix(const TerrainMatrix& matrix) {
    TerrainRows rows;
    rows.source_ = Source::Matrix;
    rows.dimensions_ = matrix.dimensions;
    rows.l2FormatCode_ = matrix.l2FormatCode;
    rows.cells_ = matrix.cells.data();
    return rows;
}

std::optional<TerrainRows> TerrainRows::OfL2(std::span<const std::byte> l2,
                                             std::span<const std::byte> o2, MessageSink& messages) {
    const TerrainLayout layout = SetDimensionsFromFiles(o2.size(), l2.size());
    const auto n = static_cast<size_t>(layout.dimensions.xSections);
    TerrainRows rows;
    rows.source_ = Source::L2Sections;
    rows.dimensions_ = layout.dimensions;
    rows.l2FormatCode_ = layout.l2FormatCode;
    rows.recordSize_ = static_cast<size_t>(layout.l2RecordSize);
    rows.bytes_ = l2.data();
    // n² entries fit the O2 bytes by the way n is taken from their size.
    const size_t sectionBytes = kSectionRecords * rows.recordSize_;
    rows.sectionOffsets_.resize(n * n);
    if (n == 0) {  // an O2 file shorter than one offset holds no section
        ReportL2ReadFailure(messages);
        return std::nullopt;
    }
    ByteReader in(o2);
    for (uint32_t& offset : rows.sectionOffsets_) {
        if (!in.ReadU32(offset) || offset > l2.size() || l2.size() - offset < sectionBytes) {
            ReportL2ReadFailure(messages);
            return std::nullopt;
        }
    }
    return rows;
}

std::optional<TerrainRows> TerrainRows::OfL2M(std::span<const std::byte> bytes,
                                              MessageSink& messages) {
    ByteReader in(bytes);
    uint32_t rowCount = 0;
    uint16_t rowLength = 0;
    uint8_t unused = 0;
    uint8_t formatCode = 0;
    if (!in.ReadU32(rowCount) || !in.ReadU16(rowLength) || !in.ReadU8(unused) ||
        !in.ReadU8(formatCode) || !in.ReadU8(unused)) {
        ReportL2ReadFailure(messages);
        return std::nullopt;
    }
    const int32_t n = rowLength / static_cast<int32_t>(kSectionPosts);
    const auto side = static_cast<uint32_t>(n) * kSectionPosts;
    if (rowLength != side || rowCount != side) {
        messages.Error("This L2M matrix is not the same size as the current theater.",
                       "L2M Matrix Error");
        return std::nullopt;
    }
    std::span<const std::byte> cellBytes;
    if (!in.Take(static_cast<size_t>(side) * side * kL2MCellSize, cellBytes)) {
        ReportL2ReadFailure(messages);
        return std::nullopt;
    }
    TerrainRows rows;
    rows.source_ = Source::L2MCells;
    rows.dimensions_ = SquareDimensions(n);
    rows.l2FormatCode_ = formatCode;
    rows.recordSize_ = kL2MCellSize;
    rows.bytes_ = cellBytes.data();
    return rows;
}

template <size_t recordSize>
void TerrainRows::DecodeSectionRow(size_t y, TerrainCell* out) const {
    const size_t n = static_cast<size_t>(dimensions_.xSections);
    const size_t sy = y / kSectionPosts;
    const size_t r = y % kSectionPosts;
    constexpr size_t runBytes = kSectionPosts * recordSize;
    const bool lastRow = y + 1 >= Rows();
    for (size_t sx = 0; sx < n; ++sx, out += kSectionPosts) {
        const std::byte* section = bytes_ + sectionOffsets_[sy * n + sx];
        if (!lastRow) {
            // The same section's next post row, or the first of the section below.
            Prefetch(r + 1 < kSectionPosts ? section + (r + 1) * runBytes
                                           : bytes_ + sectionOffsets_[(sy + 1) * n + sx],
                     runBytes);
        }
        DecodeRun<recordSize>(section + r * runBytes, kSectionPosts, out);
    }
}

void TerrainRows::CopyRow(size_t y, TerrainCell* out) const {
    switch (source_) {
        case Source::Matrix:
            std::memcpy(out, cells_ + y * Columns(), Columns() * sizeof(TerrainCell));
            break;
        case Source::L2Sections:
            if (recordSize_ == 7) {
                DecodeSectionRow<7>(y, out);
            } else {
                DecodeSectionRow<9>(y, out);
            }
            break;
        case Source::L2MCells:
            DecodeRun<kL2MCellSize>(bytes_ + y * Columns() * kL2MCellSize, Columns(), out);
            break;
    }
}

void TerrainRows::EncodeRowAsL2M(size_t y, std::byte* out) const {
    switch (source_) {
        case Source::Matrix:
            for (size_t x = 0; x < Columns(); ++x, out += kL2MCellSize)
                EncodeCell(cells_[y * Columns() + x], out);
            break;
        case Source::L2Sections: {
            // A 9-byte record is already an L2M record; a 7-byte one widens
            // its tile id.
            const size_t n = static_cast<size_t>(dimensions_.xSections);
            const size_t runBytes = kSectionPosts * recordSize_;
            const size_t r = y % kSectionPosts;
            for (size_t sx = 0; sx < n; ++sx, out += kSectionPosts * kL2MCellSize) {
                const std::byte* run =
                    bytes_ + sectionOffsets_[(y / kSectionPosts) * n + sx] + r * runBytes;
                if (recordSize_ == kL2MCellSize) {
                    std::memcpy(out, run, runBytes);
                    continue;
                }
                // Both little-endian: the 16-bit id gains two zero bytes.
                for (size_t c = 0; c < kSectionPosts; ++c) {
                    const std::byte* record = run + 7 * c;
                    std::byte* cell = out + kL2MCellSize * c;
                    cell[0] = record[0];
                    cell[1] = record[1];
                    cell[2] = cell[3] = std::byte{0};
                    std::memcpy(cell + 4, record + 2, 5);
                }
            }
            break;
        }
        case Source::L2MCells:
            std::memcpy(out, bytes_ + y * Columns() * kL2MCellSize, Columns() * kL2MCellSize);
            break;
    }
}

const TerrainCell* TerrainRows::Row(size_t y, TerrainCell* scratch) const {
    if (source_ == Source::Matrix) return cells_ + y * Columns();
    CopyRow(y, scratch);
    return scratch;
}

}  // namespace lorvane
