#include "terrain/terrain_rows.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>

#include "terrain/terrain_files.h"

namespace lorvane {

namespace {

constexpr size_t kSectionRecords = kSectionPosts * kSectionPosts;

void ReportL2ReadFailure(MessageSink& messages, const std::string& detail = {}) {
    messages.Error("L2 end of file reached", "Error", detail);
    messages.Error("L2 error", "L2 Read Error", detail);
}

// An L2M file is read about this many bytes of rows at a time.
constexpr size_t kL2MBandBytes = size_t{1} << 20;

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
    rows.matrix_ = &matrix;
    if (matrix.SharesSections()) rows.matrixRow_.resize(rows.Columns());
    return rows;
}

std::optional<TerrainRows> TerrainRows::OfL2(std::unique_ptr<ByteSource> l2, ByteSource& o2,
                                             MessageSink& messages) {
    const TerrainLayout layout = SetDimensionsFromFiles(o2.Size(), l2->Size());
    const auto n = static_cast<size_t>(layout.dimensions.xSections);
    if (n == 0) {  // an O2 file shorter than one offset holds no section
        ReportL2ReadFailure(messages);
        return std::nullopt;
    }
    TerrainRows rows;
    rows.source_ = Source::L2Sections;
    rows.dimensions_ = layout.dimensions;
    rows.l2FormatCode_ = layout.l2FormatCode;
    rows.recordSize_ = static_cast<size_t>(layout.l2RecordSize);
    // n² entries fit the O2 bytes by the way n is taken from their size; they
    // are read straight into the offsets, little-endian.
    try {
        rows.sectionOffsets_.resize(n * n);
        rows.band_.resize(2 * n * kSectionRecords * rows.recordSize_);
        rows.sectionStart_.resize(n);
        rows.fileOrder_.resize(n);
    } catch (const std::bad_alloc&) {  // an O2 of more entries than memory holds
        messages.Error("Failed to allocate memory for the terrain matrix.",
                       "Memory Allocation Error");
        return std::nullopt;
    }
    const std::span<std::byte> entries = std::as_writable_bytes(std::span(rows.sectionOffsets_));
    if (!o2.ReadAt(0, entries) || !o2.Unchanged()) {
        ReportL2ReadFailure(messages, o2.Detail());
        return std::nullopt;
    }
    const uint64_t l2Size = l2->Size();
    const uint64_t sectionBytes = kSectionRecords * rows.recordSize_;
    for (uint32_t& offset : rows.sectionOffsets_) {
        offset = Little32(reinterpret_cast<const std::byte*>(&offset));
        if (offset > l2Size || l2Size - offset < sectionBytes) {
            ReportL2ReadFailure(messages);
            return std::nullopt;
        }
    }
    rows.input_ = std::move(l2);
    rows.bandRows_ = kSectionPosts;
    return rows;
}

std::optional<TerrainRows> TerrainRows::OfL2(std::span<const std::byte> l2,
                                             std::span<const std::byte> o2, MessageSink& messages) {
    MemoryBytes o2Bytes(o2);
    return OfL2(std::make_unique<MemoryBytes>(l2), o2Bytes, messages);
}

std::optional<TerrainRows> TerrainRows::OfL2M(std::unique_ptr<ByteSource> file,
                                              MessageSink& messages) {
    std::byte header[kL2MHeaderSize];
    if (file->Size() < kL2MHeaderSize || !file->ReadAt(0, header)) {
        ReportL2ReadFailure(messages, file->Size() < kL2MHeaderSize ? "" : file->Detail());
        return std::nullopt;
    }
    // rows u32, row length u16, a byte not read, the format code, a byte not read
    const uint32_t rowCount = Little32(header);
    const uint16_t rowLength = Little16(header + 4);
    const uint8_t formatCode = std::to_integer<uint8_t>(header[7]);
    const int32_t n = rowLength / static_cast<int32_t>(kSectionPosts);
    const auto side = static_cast<uint32_t>(n) * kSectionPosts;
    if (rowLength != side || rowCount != side) {
        messages.Error("This L2M matrix is not the same size as the current theater.",
                       "L2M Matrix Error");
        return std::nullopt;
    }
    const uint64_t rowBytes = uint64_t{side} * kL2MCellSize;
    if (file->Size() - kL2MHeaderSize < rowBytes * side) {
        ReportL2ReadFailure(messages);
        return std::nullopt;
    }
    TerrainRows rows;
    rows.source_ = Source::L2MCells;
    rows.dimensions_ = SquareDimensions(n);
    rows.l2FormatCode_ = formatCode;
    rows.recordSize_ = kL2MCellSize;
    rows.input_ = std::move(file);
    rows.bandRows_ = std::clamp<size_t>(kL2MBandBytes / std::max<size_t>(rowBytes, 1), 1,
                                        std::max<size_t>(side, 1));
    rows.band_.resize(rows.bandRows_ * rowBytes);
    return rows;
}

std::optional<TerrainRows> TerrainRows::OfL2M(std::span<const std::byte> bytes,
                                              MessageSink& messages) {
    return OfL2M(std::make_unique<MemoryBytes>(bytes), messages);
}

void TerrainRows::Fail() const {
    failed_ = true;
    std::fill(band_.begin(), band_.end(), std::byte{0});
    const size_t sectionBytes = kSectionRecords * recordSize_;
    for (size_t sx = 0; sx < sectionStart_.size(); ++sx)
        sectionStart_[sx] = band_.data() + sx * sectionBytes;
}

void TerrainRows::CheckUnchanged(bool lastBand) const {
    if (lastBand && !failed_ && !input_->Unchanged()) Fail();
}

void TerrainRows::LoadSectionRow(size_t sy) const {
    if (loaded_ == sy) return;
    loaded_ = sy;
    if (failed_) return;
    const size_t n = sectionStart_.size();
    const uint64_t sectionBytes = kSectionRecords * recordSize_;
    const uint32_t* offsets = sectionOffsets_.data() + sy * n;
    // The row's sections in file order, whatever order the O2 names them in.
    for (size_t sx = 0; sx < n; ++sx) fileOrder_[sx] = static_cast<uint32_t>(sx);
    std::sort(fileOrder_.begin(), fileOrder_.end(),
              [offsets](uint32_t a, uint32_t b) { return offsets[a] < offsets[b]; });
    // Sections that lie together in the file, overlapping or apart by at
    // most one section's bytes, come in one read: a row whose sections the
    // file holds in any order of one stretch is a single read instead of one
    // per section. The band holds n sections and n gaps.
    size_t used = 0;
    for (size_t i = 0; i < n;) {
        const uint64_t start = offsets[fileOrder_[i]];
        uint64_t end = start + sectionBytes;
        size_t last = i + 1;
        for (; last < n; ++last) {
            const uint64_t next = offsets[fileOrder_[last]];
            if (next > end + sectionBytes) break;
            end = std::max(end, next + sectionBytes);
        }
        std::byte* into = band_.data() + used;
        if (!input_->ReadAt(start, {into, static_cast<size_t>(end - start)})) {
            Fail();
            return;
        }
        for (; i < last; ++i)
            sectionStart_[fileOrder_[i]] = into + (offsets[fileOrder_[i]] - start);
        used += static_cast<size_t>(end - start);
    }
    CheckUnchanged(sy + 1 == n);
}

void TerrainRows::LoadL2MRows(size_t band) const {
    if (loaded_ == band) return;
    loaded_ = band;
    if (failed_) return;
    const size_t rowBytes = Columns() * kL2MCellSize;
    const size_t first = band * bandRows_;
    const size_t count = std::min(bandRows_, Rows() - first);
    if (!input_->ReadAt(kL2MHeaderSize + uint64_t{first} * rowBytes,
                        {band_.data(), count * rowBytes})) {
        Fail();
        return;
    }
    CheckUnchanged(first + count == Rows());
}

const std::byte* TerrainRows::L2MRow(size_t y) const {
    LoadL2MRows(y / bandRows_);
    return band_.data() + (y % bandRows_) * Columns() * kL2MCellSize;
}

TerrainRows::NamedSections TerrainRows::DistinctSections() const {
    NamedSections named;
    named.offsets = sectionOffsets_;
    std::sort(named.offsets.begin(), named.offsets.end());
    named.offsets.erase(std::unique(named.offsets.begin(), named.offsets.end()),
                        named.offsets.end());
    named.sectionOf.resize(sectionOffsets_.size());
    for (size_t k = 0; k < sectionOffsets_.size(); ++k) {
        const auto found =
            std::lower_bound(named.offsets.begin(), named.offsets.end(), sectionOffsets_[k]);
        named.sectionOf[k] = static_cast<uint32_t>(found - named.offsets.begin());
    }
    return named;
}

void TerrainRows::DecodeSection(uint32_t offset, TerrainCell* out) const {
    // The band is free for it: the next row read loads its band again.
    loaded_ = SIZE_MAX;
    const size_t sectionBytes = kSectionRecords * recordSize_;
    std::byte* record = band_.data();
    if (!failed_ && !input_->ReadAt(offset, {record, sectionBytes})) Fail();
    if (recordSize_ == 7) {
        DecodeRun<7>(record, kSectionRecords, out);
    } else {
        DecodeRun<9>(record, kSectionRecords, out);
    }
}

bool TerrainRows::ReportReadFailure(MessageSink& messages) const {
    if (!failed_) return true;
    ReportL2ReadFailure(messages, input_->Detail());
    return false;
}

template <size_t recordSize>
void TerrainRows::DecodeSectionRow(size_t y, TerrainCell* out) const {
    const size_t r = y % kSectionPosts;
    LoadSectionRow(y / kSectionPosts);
    constexpr size_t runBytes = kSectionPosts * recordSize;
    for (const std::byte* section : sectionStart_) {
        // The same section's next post row, while it is in the band.
        if (r + 1 < kSectionPosts) Prefetch(section + (r + 1) * runBytes, runBytes);
        DecodeRun<recordSize>(section + r * runBytes, kSectionPosts, out);
        out += kSectionPosts;
    }
}

void TerrainRows::CopyRow(size_t y, TerrainCell* out) const {
    switch (source_) {
        case Source::Matrix: {
            const TerrainCell* row = matrix_->Row(static_cast<int32_t>(y), out);
            if (row != out) std::memcpy(out, row, Columns() * sizeof(TerrainCell));
            break;
        }
        case Source::L2Sections:
            if (recordSize_ == 7) {
                DecodeSectionRow<7>(y, out);
            } else {
                DecodeSectionRow<9>(y, out);
            }
            break;
        case Source::L2MCells:
            DecodeRun<kL2MCellSize>(L2MRow(y), Columns(), out);
            break;
    }
}

void TerrainRows::EncodeRowAsL2M(size_t y, std::byte* out) const {
    switch (source_) {
        case Source::Matrix: {
            const TerrainCell* row = matrix_->Row(static_cast<int32_t>(y), matrixRow_.data());
            for (size_t x = 0; x < Columns(); ++x, out += kL2MCellSize) EncodeCell(row[x], out);
            break;
        }
        case Source::L2Sections: {
            // A 9-byte record is already an L2M record; a 7-byte one widens
            // its tile id.
            LoadSectionRow(y / kSectionPosts);
            const size_t runBytes = kSectionPosts * recordSize_;
            const size_t r = y % kSectionPosts;
            for (const std::byte* section : sectionStart_) {
                const std::byte* run = section + r * runBytes;
                if (recordSize_ == kL2MCellSize) {
                    std::memcpy(out, run, runBytes);
                    out += runBytes;
                    continue;
                }
                // Both little-endian: the 16-bit id gains two zero bytes.
                for (size_t c = 0; c < kSectionPosts; ++c, out += kL2MCellSize) {
                    const std::byte* record = run + 7 * c;
                    out[0] = record[0];
                    out[1] = record[1];
                    out[2] = out[3] = std::byte{0};
                    std::memcpy(out + 4, record + 2, 5);
                }
            }
            break;
        }
        case Source::L2MCells:
            std::memcpy(out, L2MRow(y), Columns() * kL2MCellSize);
            break;
    }
}

template <typename Visit>
bool TerrainRows::VisitRecords(size_t y, Visit visit) const {
    const auto visitRun = [&](auto size, const std::byte* run, size_t x, size_t count) {
        for (size_t i = 0; i < count; ++i, run += decltype(size)::value) visit(x + i, run, size);
    };
    switch (source_) {
        case Source::Matrix:
            return false;
        case Source::L2Sections: {
            LoadSectionRow(y / kSectionPosts);
            const size_t offset = (y % kSectionPosts) * kSectionPosts * recordSize_;
            for (size_t sx = 0; sx < sectionStart_.size(); ++sx) {
                const std::byte* run = sectionStart_[sx] + offset;
                if (recordSize_ == 7) {
                    visitRun(std::integral_constant<size_t, 7>{}, run, 16 * sx, kSectionPosts);
                } else {
                    visitRun(std::integral_constant<size_t, 9>{}, run, 16 * sx, kSectionPosts);
                }
            }
            return true;
        }
        case Source::L2MCells:
            visitRun(std::integral_constant<size_t, kL2MCellSize>{}, L2MRow(y), 0, Columns());
            return true;
    }
    return false;
}

void TerrainRows::ElevationsOfRow(size_t y, uint16_t* out) const {
    const bool read = VisitRecords(y, [out](size_t x, const std::byte* record, auto size) {
        out[x] = Little16(record + (decltype(size)::value == 7 ? 2 : 4));
    });
    if (read) return;
    const TerrainCell* cells = matrix_->Row(static_cast<int32_t>(y), matrixRow_.data());
    for (size_t x = 0; x < Columns(); ++x) out[x] = cells[x].elevation;
}

void TerrainRows::TilesAndBandsOfRow(size_t y, uint32_t* tileIds, uint8_t* aux2) const {
    const bool read =
        VisitRecords(y, [tileIds, aux2](size_t x, const std::byte* record, auto size) {
            constexpr size_t idSize = decltype(size)::value == 7 ? 2 : 4;
            tileIds[x] = idSize == 2 ? Little16(record) : Little32(record);
            aux2[x] = std::to_integer<uint8_t>(record[idSize + 4]);
        });
    if (read) return;
    const TerrainCell* cells = matrix_->Row(static_cast<int32_t>(y), matrixRow_.data());
    for (size_t x = 0; x < Columns(); ++x) {
        tileIds[x] = cells[x].tileId;
        aux2[x] = cells[x].aux2;
    }
}

const TerrainCell* TerrainRows::Row(size_t y, TerrainCell* scratch) const {
    if (source_ == Source::Matrix) return matrix_->Row(static_cast<int32_t>(y), scratch);
    CopyRow(y, scratch);
    return scratch;
}

}  // namespace lorvane
