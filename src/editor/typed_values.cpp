#include "editor/typed_values.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "base/format.h"
#include "editor/view_transform.h"
#include "tiledb/tile_database.h"

namespace lorvane {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

TypedValue ReadTypedFeet(std::string_view text, TypedRule rule) {
    const std::string_view number = Trimmed(text);
    double value = 0;
    const char* end = number.data() + number.size();
    // A leading "+" is allowed as printf-style input allows it.
    const char* begin = number.data() + (number.starts_with('+') ? 1 : 0);
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc{} || stop != end || !std::isfinite(value)) {
        return TypedValue::Refused(FormatText("\"%.*s\" is not a number of feet.",
                                              static_cast<int>(number.size()), number.data()));
    }
    switch (rule) {
        case TypedRule::Coordinate:
            if (value < 0 || value > TILE_SPAN)
                return TypedValue::Refused(
                    FormatText("A coordinate must be between 0 and %d feet.", TILE_SPAN));
            break;
        case TypedRule::Width:
        case TypedRule::Radius:
            // Also refused: what is beyond any tile.
            if (static_cast<float>(value) <= 0) {
                return TypedValue::Refused(rule == TypedRule::Width
                                               ? "A width must be more than 0 feet."
                                               : "A radius must be more than 0 feet.");
            }
            if (value > 1e6) return TypedValue::Refused(std::string("That is too many feet."));
            break;
    }
    return static_cast<float>(value);
}

TypedValue ReadTypedType(std::string_view text, bool area) {
    const std::string_view name = Trimmed(text);
    const auto find = [name](const auto& codes) -> TypedValue {
        for (size_t i = 0; i < codes.size(); ++i) {
            if (SameName(name, TypeNames[static_cast<size_t>(codes[i])]))
                return static_cast<float>(i);
        }
        return TypedValue::Refused(std::string());
    };
    auto position = area ? find(AreaTypeCodes) : find(PathTypeCodes);
    if (position) return position;
    return TypedValue::Refused(FormatText("\"%.*s\" is not %s type.", static_cast<int>(name.size()),
                                          name.data(), area ? "an area" : "a path"));
}

}  // namespace lorvane
