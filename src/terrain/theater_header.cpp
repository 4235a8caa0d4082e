#include "terrain/theater_header.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "base/file_io.h"

namespace lorvane {

namespace {

constexpr const char* kReadError = "Read Error";

bool Fail(MessageSink& messages, const char* what) {
    messages.Error(std::string("Bad terrain header read (") + what + ")", kReadError);
    return false;
}

// The required fields, each with the message of its failed read.
bool ReadRequired(ByteReader& in, TheaterMapHeader& header, MessageSink& messages) {
    if (!in.ReadF32(header.feetBetweenL0Tiles)) return Fail(messages, "feet");
    if (!in.ReadI32(header.meaMapWidth) || !in.ReadI32(header.meaMapHeight) ||
        !in.ReadF32(header.feetBetweenMeaPoints)) {
        return Fail(messages, "MEAsize");
    }
    if (!in.ReadI32(header.levelCount) || header.levelCount > kLevelPairs)
        return Fail(messages, "levels");
    if (!in.ReadI32(header.lastNearTiledLod)) return Fail(messages, "near textured LOD");
    if (!in.ReadI32(header.lastFarTiledLod)) return Fail(messages, "far textured LOD");
    if (!in.ReadBytes(header.mapPalette)) return Fail(messages, "map palette");
    for (int32_t i = 0; i < header.levelCount; ++i) {
        const auto level = static_cast<size_t>(i);
        if (!in.ReadI32(header.levelWidth[level]) || !in.ReadI32(header.levelHeight[level])) {
            return Fail(messages, "Level size");
        }
    }
    return true;
}

// The optional fields: the first that is missing and all after it take
// their defaults.
void ReadOptional(ByteReader& in, const TheaterMapDefaults& defaults, TheaterMapHeader& header) {
    header.flags = 0;
    header.swLongitude = defaults.swLong;
    header.swLatitude = defaults.swLat;
    header.maxTheaterElevation = kDefaultMaxTheaterElevation;
    int32_t flags = 0;
    float longitude = 0;
    float latitude = 0;
    int32_t elevation = 0;
    if (!in.ReadI32(flags)) return;
    header.flags = flags;
    if (!in.ReadF32(longitude)) return;
    header.swLongitude = longitude;
    if (!in.ReadF32(latitude)) return;
    header.swLatitude = latitude;
    if (!in.ReadI32(elevation)) return;
    header.maxTheaterElevation = elevation;
}

// The field of a control id, for a const or a changeable header; null when
// the id is not one of that format.
template <typename Header>
auto IntegerField(Header& header, int controlId) -> decltype(&header.flags) {
    switch (controlId) {
        case 31253:
            return &header.lastNearTiledLod;
        case 31254:
            return &header.lastFarTiledLod;
        case 31255:
            return &header.meaMapWidth;
        case 31256:
            return &header.meaMapHeight;
        case 31272:
            return &header.flags;
        case 31273:
            return &header.maxTheaterElevation;
        default:
            break;
    }
    const int level = controlId - 31257;
    if (level < 0 || level >= 2 * kLevelPairs) return nullptr;
    auto& list = level % 2 == 0 ? header.levelWidth : header.levelHeight;
    return &list[static_cast<size_t>(level / 2)];
}

template <typename Header>
auto FloatField(Header& header, int controlId) -> decltype(&header.swLatitude) {
    switch (controlId) {
        case 31252:
            return &header.feetBetweenL0Tiles;
        case 31269:
            return &header.feetBetweenMeaPoints;
        case 31231:
            return &header.swLongitude;
        case 31271:
            return &header.swLatitude;
        default:
            return nullptr;
    }
}

// Leading blanks and a "+" sign are taken as "%d" and "%f" take them.
size_t SkipToNumber(std::string_view text) {
    size_t start = 0;
    while (start < text.size() &&
           (text[start] == ' ' || (text[start] >= '\t' && text[start] <= '\r')))
        ++start;
    if (start + 1 < text.size() && text[start] == '+' && text[start + 1] != '-') ++start;
    return start;
}

}  // namespace

const std::array<TheaterMapField, 22> TheaterMapFields = {{
    {31252, "Feet between L0 Tiles (819.9)", "feetBetweenL0Tiles", FieldFormat::Float},
    {31253, "Last Near Tiled LOD ( 2 )", "lastNearTiledLod", FieldFormat::Integer},
    {31254, "Last Far Tiled LOD ( 4 )", "lastFarTiledLod", FieldFormat::Integer},
    {31255, "MEA Map Width (Sections x 2)", "meaMapWidth", FieldFormat::Integer},
    {31256, "MEA Map Height (Sections x 2)", "meaMapHeight", FieldFormat::Integer},
    {31269, "Feet between MEA points (.0003)", "feetBetweenMeaPoints", FieldFormat::Float},
    {31231, "S/W Longitude (Dec.Deg.)", "swLongitude", FieldFormat::Float},
    {31271, "S/W Latitude (Dec.Deg.)", "swLatitude", FieldFormat::Float},
    {31272, "Flags (1 = large theater)", "flags", FieldFormat::Integer},
    {31273, "Maximum Theater Elevation", "maxTheaterElevation", FieldFormat::Integer},
    {31257, "L0 Map Width (Sections) (256)", "levelWidth0", FieldFormat::Integer},
    {31258, "L0 Map Height (Sections) (256)", "levelHeight0", FieldFormat::Integer},
    {31259, "L1 Map Width (Sections) (128)", "levelWidth1", FieldFormat::Integer},
    {31260, "L1 Map Height (Sections) (128)", "levelHeight1", FieldFormat::Integer},
    {31261, "L2 Map Width (Sections) (64)", "levelWidth2", FieldFormat::Integer},
    {31262, "L2 Map Height (Sections) (64)", "levelHeight2", FieldFormat::Integer},
    {31263, "L3 Map Width (Sections) (32)", "levelWidth3", FieldFormat::Integer},
    {31264, "L3 Map Height (Sections) (32)", "levelHeight3", FieldFormat::Integer},
    {31265, "L4 Map Width (Sections) (16)", "levelWidth4", FieldFormat::Integer},
    {31266, "L4 Map Height (Sections) (16)", "levelHeight4", FieldFormat::Integer},
    {31267, "L5 Map Width (Sections) (8)", "levelWidth5", FieldFormat::Integer},
    {31268, "L5 Map Height (Sections) (8)", "levelHeight5", FieldFormat::Integer},
}};

bool ParseTheaterMap(std::span<const std::byte> bytes, const TheaterMapDefaults& defaults,
                     TheaterMapHeader& header, MessageSink& messages) {
    ByteReader in(bytes);
    TheaterMapHeader read = header;
    if (!ReadRequired(in, read, messages)) return false;
    ReadOptional(in, defaults, read);
    header = read;
    return true;
}

bool ReadTheaterMap(const std::filesystem::path& path, const TheaterMapDefaults& defaults,
                    TheaterMapHeader& header, MessageSink& messages) {
    std::string detail;
    const auto file = FileBytes::Open(path, &detail);
    if (!file) {
        messages.Error("Error opening Theater.map file.", "File Open Error", detail);
        return false;
    }
    return ParseTheaterMap(file->Bytes(), defaults, header, messages);
}

std::vector<std::byte> SerializeTheaterMap(const TheaterMapHeader& header) {
    ByteWriter out;
    out.F32(header.feetBetweenL0Tiles);
    out.I32(header.meaMapWidth);
    out.I32(header.meaMapHeight);
    out.F32(header.feetBetweenMeaPoints);
    out.I32(header.levelCount);
    out.I32(header.lastNearTiledLod);
    out.I32(header.lastFarTiledLod);
    out.Bytes(header.mapPalette);
    const int32_t pairs = std::clamp(header.levelCount, 0, kLevelPairs);
    for (size_t i = 0; i < static_cast<size_t>(pairs); ++i) {
        out.I32(header.levelWidth[i]);
        out.I32(header.levelHeight[i]);
    }
    out.I32(header.flags);
    out.F32(header.swLongitude);
    out.F32(header.swLatitude);
    out.I32(header.maxTheaterElevation);
    return out.Take();
}

bool WriteTheaterMap(const std::filesystem::path& path, const TheaterMapHeader& header,
                     MessageSink& messages) {
    if (header.levelCount > kLevelPairs) {
        messages.Error("Theater.map holds at most 6 levels.", "Error");
        return false;
    }
    std::string detail;
    const auto file = FileBytes::Open(path, &detail);
    if (!file) {
        messages.Error("Error opening Theater.map file.", "File Open Error", detail);
        return false;
    }
    std::vector<std::byte> bytes = SerializeTheaterMap(header);
    const std::span<const std::byte> old = file->Bytes();
    if (old.size() > bytes.size())
        bytes.insert(bytes.end(), old.begin() + static_cast<std::ptrdiff_t>(bytes.size()),
                     old.end());
    if (ReplaceFile(path, bytes, &detail) != WriteStatus::Ok) {
        messages.Error("Could not write Theater.map file.", "Write Error", detail);
        return false;
    }
    return true;
}

const TheaterMapField* FindTheaterMapField(std::string_view name) {
    for (const TheaterMapField& field : TheaterMapFields) {
        if (name == field.name) return &field;
    }
    return nullptr;
}

std::string FieldText(const TheaterMapHeader& header, const TheaterMapField& field) {
    char text[64];
    std::to_chars_result result{};
    if (field.format == FieldFormat::Float) {
        result = std::to_chars(text, text + sizeof text,
                               static_cast<double>(*FloatField(header, field.controlId)),
                               std::chars_format::fixed, 6);
    } else {
        result = std::to_chars(text, text + sizeof text, *IntegerField(header, field.controlId));
    }
    return std::string(text, result.ptr);
}

std::optional<size_t> ScanFieldText(TheaterMapHeader& header, const TheaterMapField& field,
                                    std::string_view text) {
    const size_t start = SkipToNumber(text);
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    if (field.format == FieldFormat::Float) {
        float value = 0;
        const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
        if (end == first) return std::nullopt;
        if (error == std::errc()) *FloatField(header, field.controlId) = value;
        return static_cast<size_t>(end - text.data());
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (end == first) return std::nullopt;
    if (error == std::errc::result_out_of_range)
        value = *first == '-' ? std::numeric_limits<long long>::min()
                              : std::numeric_limits<long long>::max();
    *IntegerField(header, field.controlId) = static_cast<int32_t>(std::clamp<long long>(
        value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    return static_cast<size_t>(end - text.data());
}

}  // namespace lorvane
