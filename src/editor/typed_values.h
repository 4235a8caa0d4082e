#pragma once
// Numbers and type names typed into the editor: the cells of the path and
// area lists and the point fields while drawing. Text that does not read as
// a number, a coordinate off the tile, and a width or radius of 0 or less
// are refused with a message; nothing is changed then.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace lorvane {

// The caption of the refusal messages.
inline constexpr const char* kTypedValueCaption = "Edit Entry";

// A typed value read, or the text of its refusal. (A small class of its
// own: std::expected is not available to every compiler the project builds
// with.)
class TypedValue {
  public:
    TypedValue(float value) : value_(value) {}  // NOLINT: implicit on purpose
    static TypedValue Refused(std::string why) {
        TypedValue refused(0);
        refused.refused_ = true;
        refused.refusal_ = std::move(why);
        return refused;
    }

    bool has_value() const { return !refused_; }
    explicit operator bool() const { return !refused_; }
    float operator*() const { return value_; }
    const std::string& error() const { return refusal_; }
    friend bool operator==(const TypedValue& read, float value) {
        return !read.refused_ && read.value_ == value;
    }

  private:
    float value_ = 0;
    bool refused_ = false;
    std::string refusal_;
};

enum class TypedRule {
    Coordinate,  // 0 to TILE_SPAN feet
    Width,       // more than 0 feet
    Radius,      // more than 0 feet
};

// A number of feet, possibly with a fraction (kept, as the nearest float);
// spaces around it are allowed. The refusal's text otherwise.
// A type position is a whole number.
TypedValue ReadTypedFeet(std::string_view text, TypedRule rule);

// The list position (in PathTypeCodes, or AreaTypeCodes for an area) of a
// type named as the lists show it, any case; the refusal's text otherwise.
TypedValue ReadTypedType(std::string_view text, bool area);

}  // namespace lorvane
