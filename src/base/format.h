#pragma once
// printf-style formatting into a std::string, for the program's fixed message
// texts such as "Texture.bin loaded: %d Sets  %d Tiles".

#include <string>

namespace lorvane {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string FormatText(const char* format, ...);

}  // namespace lorvane
