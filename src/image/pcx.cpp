#include "image/pcx.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/byte_reader.h"
#include "base/file_io.h"
#include "base/stream_reader.h"

namespace lorvane {

namespace {

// Header offsets of the fields read.
constexpr size_t kBitsPerPixelOffset = 3;
constexpr size_t kWindowOffset = 4;  // Xmin, Ymin, Xmax, Ymax
constexpr size_t kPlanesOffset = 65;
constexpr size_t kBytesPerLineOffset = 66;
constexpr uint8_t kLiteralLimit = 192;  // 192 and below are literal pixels

void FillGreyRamp(std::array<PaletteColour, 256>& palette) {
    for (size_t i = 0; i < palette.size(); ++i) {
        const auto grey = static_cast<uint8_t>(i);
        palette[i] = {grey, grey, grey};
    }
}

// The bytes after the header, taken from the stream a band at a time.
class Input {
  public:
    explicit Input(StreamReader& in) : in_(in) {}
    // The next byte; false at the end of the data or when the source failed.
    bool Next(uint8_t& byte) {
        if (next_ == end_ && !Refill()) return false;
        byte = *next_++;
        return true;
    }
    // The bytes of the band not taken yet, for a reader that takes them in
    // place; it says how many it took with Take.
    const uint8_t* Held() const { return next_; }
    size_t HeldSize() const { return static_cast<size_t>(end_ - next_); }
    void Take(size_t count) { next_ += count; }

  private:
    bool Refill() {
        const std::span<const std::byte> piece = in_.ReadPiece();
        next_ = reinterpret_cast<const uint8_t*>(piece.data());
        end_ = next_ + piece.size();
        return !piece.empty();
    }

    StreamReader& in_;
    const uint8_t* next_ = nullptr;
    const uint8_t* end_ = nullptr;
};

// The palette block after the image data: marker 12, then red, green, blue
// triples. Triples the file does not hold keep their grey.
bool ReadPalette(Input& input, std::array<PaletteColour, 256>& palette) {
    uint8_t marker = 0;
    if (!input.Next(marker) || marker != kPcxPaletteMarker) return false;
    for (PaletteColour& colour : palette) {
        uint8_t rgb[3];
        if (!input.Next(rgb[0]) || !input.Next(rgb[1]) || !input.Next(rgb[2])) break;
        colour = {rgb[0], rgb[1], rgb[2]};
    }
    return true;
}

// Decodes one line into its stride bytes. A run (or literal) starting at a
// column up to the image width is stored as far as the line holds it; the
// rest of the line stays 0. False when the file ended.
bool DecodeLine(Input& input, const PcxHeader& pcx, std::span<uint8_t> line) {
    const int32_t bytesPerLine = pcx.bytesPerLine;
    const auto capacity = static_cast<int32_t>(line.size());
    const int32_t storable = std::min(pcx.Width() + 1, capacity);
    uint8_t* out = line.data();
    int32_t col = 0;
    const auto store = [&](uint8_t b, uint8_t value) {
        if (b <= kLiteralLimit) {
            if (col < storable) out[col] = b;
            ++col;
            return;
        }
        const int32_t count = b - kLiteralLimit;
        if (col < storable) {
            const int32_t stored = std::min(count, capacity - col);
            std::memset(out + col, value, static_cast<size_t>(stored));
        }
        col += count;
    };
    while (col < bytesPerLine) {
        // The tokens that lie whole in the band, in place; the one split
        // between two bands, and the end of the data, a byte at a time.
        const uint8_t* p = input.Held();
        const uint8_t* const end = p + input.HeldSize();
        while (col < bytesPerLine && end - p >= 2) {
            const uint8_t b = *p++;
            store(b, *p);
            if (b > kLiteralLimit) ++p;
        }
        input.Take(static_cast<size_t>(p - input.Held()));
        if (col >= bytesPerLine) break;
        uint8_t b = 0;
        uint8_t value = 0;
        if (!input.Next(b)) return false;
        if (b > kLiteralLimit && !input.Next(value)) return false;
        store(b, value);
    }
    return true;
}

// The columns the encoded data expands to, counted until they reach
// enough: a byte for each literal, its count for each run (a run byte at
// the very end has no value and adds none).
uint64_t ExpandedSize(Input& input, uint64_t enough) {
    uint64_t columns = 0;
    uint8_t b = 0;
    while (columns < enough && input.Next(b)) {
        uint8_t value = 0;
        if (b <= kLiteralLimit) {
            ++columns;
        } else if (input.Next(value)) {
            columns += b - kLiteralLimit;
        }
    }
    return columns;
}

// PcxDataCanHold of the source's data (read through its own band when the
// claim is large enough to need the data counted); false as well when the
// source failed, which *failed says.
bool DataCanHold(const PcxHeader& header, ByteSource& source, size_t bandBytes, bool* failed) {
    *failed = false;
    const uint64_t size = source.Size();
    if (size < kPcxHeaderSize || header.Height() <= 0 || header.bytesPerLine <= 0 ||
        header.planes <= 0)
        return false;
    constexpr uint64_t kLongestRun = 63;
    const uint64_t height = static_cast<uint64_t>(header.Height());
    const uint64_t lineBytes =
        static_cast<uint64_t>(header.bytesPerLine) * static_cast<uint64_t>(header.planes);
    const uint64_t perLine = (lineBytes + kLongestRun - 1) / kLongestRun;
    if (height * perLine > size - kPcxHeaderSize) return false;

    const uint64_t width = static_cast<uint64_t>(std::max(header.Width(), 0));
    const uint64_t claimed = std::max(lineBytes, width) * height;
    if (claimed <= kPcxUnbackedAllowance) return true;
    StreamReader in(source, bandBytes);
    std::array<std::byte, kPcxHeaderSize> skipped;
    in.ReadBytes(skipped);
    Input input(in);
    const uint64_t enough = claimed - kPcxUnbackedAllowance;
    const bool holds = ExpandedSize(input, enough) >= enough;
    *failed = in.SourceFailed();
    return holds && !*failed;
}

}  // namespace

int32_t PcxHeader::Stride() const {
    const int32_t n = int32_t{bytesPerLine} * planes;
    return n <= 0 ? 0 : (n + 3) / 4 * 4;
}

bool PcxHeader::Usable() const {
    const auto inRange = [](int32_t value) { return value >= 1 && value <= kPcxMaxDimension; };
    return inRange(Width()) && inRange(Height()) && inRange(bytesPerLine) && planes >= 1 &&
           planes <= kPcxMaxPlanes;
}

bool PcxDataCanHold(const PcxHeader& header, std::span<const std::byte> bytes) {
    MemoryBytes source(bytes);
    bool failed = false;
    return DataCanHold(header, source, StreamReader::kBandBytes, &failed);
}

std::optional<PcxHeader> ReadPcxHeader(std::span<const std::byte> bytes) {
    if (bytes.size() < kPcxHeaderSize) return std::nullopt;
    ByteReader reader(bytes);
    PcxHeader header;
    uint8_t bits = 0;
    uint8_t planes = 0;
    const bool read =
        reader.Seek(kBitsPerPixelOffset) && reader.ReadU8(bits) && reader.Seek(kWindowOffset) &&
        reader.ReadI16(header.xMin) && reader.ReadI16(header.yMin) && reader.ReadI16(header.xMax) &&
        reader.ReadI16(header.yMax) && reader.Seek(kPlanesOffset) && reader.ReadU8(planes) &&
        reader.Seek(kBytesPerLineOffset) && reader.ReadI16(header.bytesPerLine);
    if (!read) return std::nullopt;
    header.bitsPerPixel = static_cast<int8_t>(bits);
    header.planes = static_cast<int8_t>(planes);
    return header;
}

std::optional<PcxHeader> ReadPcxHeader(ByteSource& source) {
    std::array<std::byte, kPcxHeaderSize> bytes;
    if (source.Size() < kPcxHeaderSize || !source.ReadAt(0, bytes)) return std::nullopt;
    return ReadPcxHeader(bytes);
}

namespace {

// The image the stream holds, or nullopt with the refusal.
std::optional<PcxImage> DecodeStream(StreamReader& in, ByteSource& source, size_t bandBytes,
                                     PcxRefusal& refusal) {
    refusal = PcxRefusal::NotShown;
    std::array<std::byte, kPcxHeaderSize> headerBytes;
    if (!in.ReadBytes(headerBytes)) return std::nullopt;
    const std::optional<PcxHeader> pcx = ReadPcxHeader(headerBytes);
    if (!pcx || !pcx->Usable()) return std::nullopt;
    bool failed = false;
    if (!DataCanHold(*pcx, source, bandBytes, &failed)) {
        refusal = failed ? PcxRefusal::Unreadable : PcxRefusal::Damaged;
        return std::nullopt;
    }

    PcxImage image;
    image.width = pcx->Width();
    image.height = pcx->Height();
    image.bitsPerPixel = pcx->bitsPerPixel;
    image.planes = pcx->planes;
    image.stride = pcx->Stride();
    const auto stride = static_cast<size_t>(image.stride);
    const auto height = static_cast<size_t>(pcx->Height());
    try {
        image.pixels.assign(stride * height, 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // the pixel buffer can't be allocated: nothing drawn
    }

    Input input(in);
    bool complete = true;
    for (size_t y = 0; y < height && complete; ++y) {
        complete = DecodeLine(input, *pcx, std::span(image.pixels).subspan(y * stride, stride));
    }
    FillGreyRamp(image.palette);
    image.paletteFound = complete && ReadPalette(input, image.palette);
    refusal = PcxRefusal::None;
    return image;
}

}  // namespace

std::optional<PcxImage> ReadPcx(ByteSource& source, PcxRefusal* why, size_t bandBytes) {
    StreamReader in(source, bandBytes);
    PcxRefusal refusal = PcxRefusal::None;
    std::optional<PcxImage> image = DecodeStream(in, source, bandBytes, refusal);
    // What a file that failed or changed while it was read gave is not shown.
    if (in.SourceFailed() || refusal == PcxRefusal::Unreadable || !source.Unchanged()) {
        image.reset();
        refusal = PcxRefusal::Unreadable;
    }
    if (why != nullptr) *why = refusal;
    return image;
}

std::optional<PcxImage> DecodePcx(std::span<const std::byte> bytes) {
    MemoryBytes source(bytes);
    return ReadPcx(source);
}

std::optional<PcxImage> LoadPcxTile(const std::filesystem::path& path) {
    std::optional<InputFile> file = InputFile::Open(path);
    if (!file) return std::nullopt;
    return ReadPcx(*file);
}

uint8_t PcxImage::Index(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height() || x >= stride) return 0;
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x)];
}

static uint32_t ToRgb(const PaletteColour& colour) {
    return 0xFF000000u | (uint32_t{colour.red} << 16) | (uint32_t{colour.green} << 8) | colour.blue;
}

uint32_t PcxImage::Rgb(int32_t x, int32_t y) const { return ToRgb(palette[Index(x, y)]); }

std::vector<uint32_t> StretchPcx(const PcxImage& image, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || image.Width() <= 0 || image.Height() <= 0) return {};
    std::array<uint32_t, 256> rgb;
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = ToRgb(image.palette[i]);

    // Source column of each destination column: the one whose span holds
    // the destination column's left edge.
    const auto sourceWidth = static_cast<int64_t>(image.Width());
    const auto sourceHeight = static_cast<int64_t>(image.Height());
    const int32_t shown = std::min(image.Width(), image.stride);
    std::vector<int32_t> columns;
    std::vector<uint32_t> out;
    try {
        columns.resize(static_cast<size_t>(width));
        out.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return {};  // the picture can't be allocated
    }
    for (int32_t x = 0; x < width; ++x) {
        columns[static_cast<size_t>(x)] = static_cast<int32_t>(x * sourceWidth / width);
    }

    for (int32_t y = 0; y < height; ++y) {
        const auto sourceY = static_cast<size_t>(y * sourceHeight / height);
        const uint8_t* line = image.pixels.data() + sourceY * static_cast<size_t>(image.stride);
        uint32_t* target = out.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t column = columns[static_cast<size_t>(x)];
            target[x] = column < shown ? rgb[line[column]] : rgb[0];
        }
    }
    return out;
}

}  // namespace lorvane
