#include "support/terrain_builder.h"

#include "base/byte_writer.h"
#include "support/texture_builder.h"

namespace lorvane::testing {

namespace {

void Put(std::byte*& p, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) *p++ = static_cast<std::byte>(value >> (8 * i));
}

void EncodeInto(const TerrainCell& cell, int recordSize, std::byte* p) {
    Put(p, cell.tileId, recordSize == 7 ? 2 : 4);
    Put(p, cell.elevation, 2);
    Put(p, cell.aux0, 1);
    Put(p, cell.aux1, 1);
    Put(p, cell.aux2, 1);
}

}  // namespace

TerrainMatrix MakePatternMatrix(int32_t n, uint32_t tileIdLimit, uint8_t l2FormatCode) {
    TerrainMatrix matrix = MakeTerrainMatrix(16 * n, 16 * n, l2FormatCode);
    matrix.dimensions = SquareDimensions(n);
    for (int32_t y = 0; y < matrix.yMapExtent(); ++y) {
        for (int32_t x = 0; x < matrix.xMapExtent(); ++x) {
            TerrainCell& cell = matrix.Cell(x, y);
            const auto post = static_cast<uint32_t>(x * 7919 + y * 104729);
            cell.tileId = tileIdLimit == 0 ? 0 : post % tileIdLimit;
            cell.elevation = static_cast<uint16_t>((x * 37 + y * 11) % 30000);
            cell.aux0 = static_cast<uint8_t>(x + y);
            cell.aux1 = static_cast<uint8_t>(x * 3 + y);
            cell.aux2 = static_cast<uint8_t>(post % 64);
        }
    }
    return matrix;
}

std::vector<std::byte> EncodeL2Record(const TerrainCell& cell, int recordSize) {
    std::vector<std::byte> record(static_cast<size_t>(recordSize));
    EncodeInto(cell, recordSize, record.data());
    return record;
}

L2Files MakeL2Files(const TerrainMatrix& matrix, int recordSize, SectionOrder order,
                    size_t leadingBytes) {
    const int32_t n = matrix.dimensions.xSections;
    const auto sections = static_cast<size_t>(n) * static_cast<size_t>(n);
    const size_t sectionBytes = 256 * static_cast<size_t>(recordSize);
    L2Files files;
    files.l2.assign(leadingBytes + sections * sectionBytes, std::byte{0x5A});
    std::vector<uint32_t> offsets(sections);
    std::byte* p = files.l2.data() + leadingBytes;
    for (size_t k = 0; k < sections; ++k) {
        const size_t section = order == SectionOrder::RowMajor ? k : sections - 1 - k;
        offsets[section] = static_cast<uint32_t>(p - files.l2.data());
        const auto sx = static_cast<int32_t>(section % static_cast<size_t>(n));
        const auto sy = static_cast<int32_t>(section / static_cast<size_t>(n));
        for (int32_t r = 0; r < 16; ++r) {
            for (int32_t c = 0; c < 16; ++c, p += recordSize) {
                EncodeInto(matrix.Cell(16 * sx + c, 16 * sy + r), recordSize, p);
            }
        }
    }
    ByteWriter o2;
    for (uint32_t offset : offsets) o2.U32(offset);
    files.o2 = o2.Take();
    return files;
}

std::filesystem::path WriteL2Files(const std::filesystem::path& folder, const std::string& stem,
                                   const L2Files& files) {
    const auto l2Path = folder / (stem + ".L2");
    WriteFileBytes(l2Path, files.l2);
    WriteFileBytes(folder / (stem + ".O2"), files.o2);
    return l2Path;
}

}  // namespace lorvane::testing
