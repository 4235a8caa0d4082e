#pragma once
// Theater.map, the theater's header, little-endian:
//
//   0  f32 feetBetweenL0Tiles        16  i32 levelCount (at most 6)
//   4  i32 meaMapWidth (sections×2)  20  i32 lastNearTiledLod
//   8  i32 meaMapHeight              24  i32 lastFarTiledLod
//  12  f32 feetBetweenMeaPoints      28  1024 bytes mapPalette, carried as is
//  1052: levelCount pairs of i32 levelWidth, levelHeight (sections)
//  then the optional i32 flags, f32 swLongitude, f32 swLatitude,
//  i32 maxTheaterElevation.
//
// Older files end after the level pairs, after flags or after swLatitude;
// a missing optional field takes its default. With six levels the header is
// 1116 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/message.h"

namespace lorvane {

inline constexpr int kLevelPairs = 6;
inline constexpr size_t kMapPaletteSize = 1024;
inline constexpr int32_t kDefaultMaxTheaterElevation = 12000;

struct TheaterMapHeader {
    float feetBetweenL0Tiles = 0;
    int32_t meaMapWidth = 0;
    int32_t meaMapHeight = 0;
    float feetBetweenMeaPoints = 0;
    int32_t levelCount = 0;
    int32_t lastNearTiledLod = 0;
    int32_t lastFarTiledLod = 0;
    std::array<std::byte, kMapPaletteSize> mapPalette{};
    std::array<int32_t, kLevelPairs> levelWidth{};
    std::array<int32_t, kLevelPairs> levelHeight{};
    int32_t flags = 0;
    float swLongitude = 0;
    float swLatitude = 0;
    int32_t maxTheaterElevation = kDefaultMaxTheaterElevation;

    bool operator==(const TheaterMapHeader&) const = default;
};

// The defaults of the corner fields: the current theater's swLong and swLat.
struct TheaterMapDefaults {
    float swLong = 11.0f;
    float swLat = 36.625f;
};

// Reads a header into the record. The level pairs beyond levelCount keep the
// values the record held. A required field that cannot be read shows its
// "Bad terrain header read (…)" message (caption "Read Error"), as does a
// levelCount above 6; the record is then unchanged and the result false.
bool ParseTheaterMap(std::span<const std::byte> bytes, const TheaterMapDefaults& defaults,
                     TheaterMapHeader& header, MessageSink& messages);
// ParseTheaterMap of a file; "Error opening Theater.map file." (caption
// "File Open Error") when it cannot be opened.
bool ReadTheaterMap(const std::filesystem::path& path, const TheaterMapDefaults& defaults,
                    TheaterMapHeader& header, MessageSink& messages);

// The header bytes: every field, levelCount pairs (none when it is 0 or
// less), all four optional fields.
std::vector<std::byte> SerializeTheaterMap(const TheaterMapHeader& header);

// Writes the header over the start of the existing file, keeping the bytes
// beyond it, and replaces the file safely. Reports a file that cannot be
// opened ("Error opening Theater.map file."), a levelCount above 6 and a
// failed write; false then, and the file is untouched.
bool WriteTheaterMap(const std::filesystem::path& path, const TheaterMapHeader& header,
                     MessageSink& messages);

// The fields the edit dialog shows, by control id, with their labels and the
// names the command-line tool uses.
enum class FieldFormat { Integer, Float };
struct TheaterMapField {
    int controlId;
    const char* label;
    const char* name;
    FieldFormat format;
};
extern const std::array<TheaterMapField, 22> TheaterMapFields;

// The field of a name ("levelWidth2"); null when there is none.
const TheaterMapField* FindTheaterMapField(std::string_view name);

// A field's text: "%d", or "%f" (six decimals).
std::string FieldText(const TheaterMapHeader& header, const TheaterMapField& field);

// Scans text with the field's format into the field, as "%d" or "%f" would:
// leading blanks skipped, the longest number at the start taken. Returns the
// number of characters taken, or none (the field unchanged) when the text
// does not begin with a number.
std::optional<size_t> ScanFieldText(TheaterMapHeader& header, const TheaterMapField& field,
                                    std::string_view text);

}  // namespace lorvane
