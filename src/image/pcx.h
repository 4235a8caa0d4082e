#pragma once
// PCX tile images: 256 colours, run-length encoded.
//
// The file is a 128-byte header, the encoded lines from the top line down,
// then a palette block: the marker byte 12 and 768 bytes of red, green, blue
// triples. Only these header fields are read (little-endian):
//   3: bits per pixel (int8)      4, 6, 8, 10: Xmin, Ymin, Xmax, Ymax (int16)
//   65: colour planes (int8)      66: bytes per line, per plane (int16)
// A byte above 192 starts a run: its count is the byte − 192 (1 to 63) and the
// next byte is the value; any other byte, 192 included, is one literal pixel.
//
// The decoded image is a plain indexed image: its size, a palette of 256
// (red, green, blue) colours and a top-down buffer of colour indices whose
// lines are padded to a multiple of 4 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "base/stream_reader.h"

namespace lorvane {

inline constexpr size_t kPcxHeaderSize = 128;
inline constexpr uint8_t kPcxPaletteMarker = 12;
inline constexpr size_t kPcxPaletteSize = 768;
// Width, height and bytes per line above this are refused.
inline constexpr int kPcxMaxDimension = 16384;
// Plane counts outside 1 to this are refused.
inline constexpr int kPcxMaxPlanes = 4;

// The header fields the decoder uses, as stored.
struct PcxHeader {
    int8_t bitsPerPixel = 0;
    int16_t xMin = 0;
    int16_t yMin = 0;
    int16_t xMax = 0;
    int16_t yMax = 0;
    int8_t planes = 0;
    int16_t bytesPerLine = 0;

    int32_t Width() const { return int32_t{xMax} - xMin + 1; }
    int32_t Height() const { return int32_t{yMax} - yMin + 1; }
    // Bytes per line × planes rounded up to a multiple of 4.
    int32_t Stride() const;
    // True when width, height and bytes per line are 1 to 16384 and the
    // plane count 1 to 4: only such an image is decoded.
    bool Usable() const;
};

// Up to this many bytes of lines (or pixels of the picture) a damaged file,
// one cut short say, need not back by its data: it still shows what it holds.
inline constexpr uint64_t kPcxUnbackedAllowance = uint64_t{1} << 20;

// True when the encoded data after the header could hold the image; a header
// that claims more is damaged and is refused before its pixel buffer is
// allocated. Two bounds:
// - a line of all planes takes at least one byte for each 63 columns (the
//   longest run), so the lines cannot outnumber what the data holds at best;
// - the lines of every plane (planes × bytes per line × height) and the
//   picture (width × height) cannot exceed what the data expands to, a byte
//   for each literal and its count for each run, by more than
//   kPcxUnbackedAllowance.
bool PcxDataCanHold(const PcxHeader& header, std::span<const std::byte> bytes);

// The header fields of a file; nullopt when the file is shorter than the
// 128-byte header.
std::optional<PcxHeader> ReadPcxHeader(std::span<const std::byte> bytes);

struct PaletteColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const PaletteColour&) const = default;
};

struct PcxImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;  // as the file's header gives them
    int32_t planes = 0;
    std::array<PaletteColour, 256> palette{};
    bool paletteFound = false;    // false: the palette is a grey ramp
    int32_t stride = 0;           // bytes per buffer line
    std::vector<uint8_t> pixels;  // stride × height bytes, top line first

    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    // The colour index at column x of line y (0 outside the image).
    uint8_t Index(int32_t x, int32_t y) const;
    // The colour at (x, y) as 0xFFRRGGBB.
    uint32_t Rgb(int32_t x, int32_t y) const;
};

// Why a PCX image was not decoded.
enum class PcxRefusal {
    None,
    NotShown,    // shorter than its header, a header not Usable, or no memory for it
    Damaged,     // the header claims more than its data can hold (PcxDataCanHold)
    Unreadable,  // the source failed or the file changed while it was read
};

// The header fields of a source's first 128 bytes; nullopt when it is
// shorter or they cannot be read.
std::optional<PcxHeader> ReadPcxHeader(ByteSource& source);

// Decodes a PCX image from front to back through one reused band of the
// source (a second pass through another counts what the data expands to
// when the header claims more than kPcxUnbackedAllowance), so a file needs
// its image and the bands, never a whole copy; nullopt, with the refusal
// in *why, when the source is shorter than its header, the header is not
// Usable, its data cannot hold the image, or the source failed or changed
// while it was read. Never reads beyond the bytes nor writes beyond
// stride × height: a run that crosses the end of a line is cut there,
// columns beyond the line are dropped, and lines the file does not reach
// stay colour 0. Without the palette marker the palette is a grey ramp.
std::optional<PcxImage> ReadPcx(ByteSource& source, PcxRefusal* why = nullptr,
                                size_t bandBytes = StreamReader::kBandBytes);
// The same of bytes in memory.
std::optional<PcxImage> DecodePcx(std::span<const std::byte> bytes);

// Reads and decodes a PCX file (ReadPcx); nullopt when it is not a regular
// file or cannot be read or decoded.
std::optional<PcxImage> LoadPcxTile(const std::filesystem::path& path);

// The image stretched to width × height by nearest neighbour, rows and
// columns dropped or repeated (no blending), as 0xFFRRGGBB values, one line
// after the other from the top. Empty when either size is not positive or
// the picture can't be allocated.
std::vector<uint32_t> StretchPcx(const PcxImage& image, int32_t width, int32_t height);

}  // namespace lorvane
