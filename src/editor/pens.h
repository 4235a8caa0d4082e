#pragma once
// The pens of the path and area types: solid, one colour and width per list
// position of PathTypeCodes and AreaTypeCodes. Equal pens are one pen.

#include <array>
#include <cstdint>

namespace lorvane {

struct PenColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const PenColour&) const = default;
};

struct Pen {
    PenColour colour;
    int32_t width = 1;  // pixels
    bool operator==(const Pen&) const = default;
};

inline constexpr PenColour kCyan{0, 255, 255};
inline constexpr PenColour kRed{255, 0, 0};
inline constexpr PenColour kYellow{255, 255, 0};
inline constexpr PenColour kWhite{255, 255, 255};
inline constexpr PenColour kBlue{0, 0, 255};
inline constexpr PenColour kBlack{0, 0, 0};

// River, Road, Bridge, Railway, No Data.
inline constexpr std::array<Pen, 5> PathPens = {Pen{kCyan, 2}, Pen{kRed, 2}, Pen{kYellow, 2},
                                                Pen{kYellow, 2}, Pen{kWhite, 1}};

// Water, Swamp, Plains, Brush, Thin Forest, Thick Forest, Rocky, Urban,
// Runway, Station, No Data.
inline constexpr std::array<Pen, 11> AreaPens = {Pen{kCyan, 2},   Pen{kWhite, 1},  Pen{kYellow, 2},
                                                 Pen{kYellow, 2}, Pen{kYellow, 2}, Pen{kYellow, 2},
                                                 Pen{kBlue, 2},   Pen{kYellow, 2}, Pen{kYellow, 2},
                                                 Pen{kYellow, 2}, Pen{kWhite, 1}};

// The pen of a list position; the No Data pen for a position outside the
// table. The path pens' colours are the program's preferences: PathPen
// gives the colour last set, PathPens at start.
const Pen& PathPen(int32_t typeChoice);
const Pen& AreaPen(int32_t typeChoice);
// Sets the colour of a path type's pen (a list position other than No
// Data); false for any other position.
bool SetPathPenColour(int32_t typeChoice, PenColour colour);

}  // namespace lorvane
