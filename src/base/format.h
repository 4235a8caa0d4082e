#pragma once
// printf-style formatting into a std::string, for the program's fixed message
// texts such as "Texture.bin loaded: %d Sets  %d Tiles".

#include <string>
#include <string_view>

namespace lorvane {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
FormatText(const char* format, ...);

// A count with its noun in agreement: "1 tile", "0 tiles", "2 tiles".
std::string Counted(long long count, std::string_view one, std::string_view many);

}  // namespace lorvane

namespace lorvane {

// Text stored as bytes of the Windows-1252 code page (as tile names are), as
// UTF-8. Every byte has a character: the five the code page leaves unused
// stand for the control characters of the same number.
std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace lorvane
