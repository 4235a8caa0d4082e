#pragma once
// Numbers and type names typed into the editor: the cells of the path and
// area lists and the point fields while drawing. Text that does not read as
// a number, a coordinate off the tile, and a width or radius of 0 or less
// are refused with a message; nothing is changed then.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

namespace lorvane {

// The caption of the refusal messages.
inline constexpr const char* kTypedValueCaption = "Edit Entry";

enum class TypedRule {
    Coordinate,  // 0 to TILE_SPAN feet
    Width,       // more than 0 feet
    Radius,      // more than 0 feet
};

// A number of feet, possibly with a fraction, rounded to whole feet;
// spaces around it are allowed. The refusal's text otherwise.
std::expected<int32_t, std::string> ReadTypedFeet(std::string_view text, TypedRule rule);

// The list position (in PathTypeCodes, or AreaTypeCodes for an area) of a
// type named as the lists show it, any case; the refusal's text otherwise.
std::expected<int32_t, std::string> ReadTypedType(std::string_view text, bool area);

}  // namespace lorvane
