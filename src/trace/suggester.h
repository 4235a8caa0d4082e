#pragma once
// Every linear feature of a tile image that stands out from the ground
// beside it (roads, rivers, railways), found without clicks: the image's
// line measure (line_measure.h) thinned to centre lines, cut where they meet
// and joined again where they go on, each made into few straight segments
// in tile feet with its colour and width. A suggestion never crosses itself
// and never repeats a path the tile already has or another suggestion.
//
// A centre pixel's colour stands at least 20 ΔE from the ground on both
// sides, with sharp edges (ground shading that changes slowly is not a
// feature); a strip of ground between two features is left out, and so is
// a feature shorter than three times its width. Where a suggestion stops
// short of another or of an existing path (a road meeting the one it
// leaves), its end is moved onto it, on a vertex another suggestion gains
// there; an end within a pixel and a
// half (or a quarter of the width) of the tile's edge is put on the edge,
// where the path of the tile beside goes on. Memory while it works: the
// line measure's (four float planes of the image's size), then about ten
// bytes a pixel and the chains found.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "image/pcx.h"
#include "trace/tracer.h"

namespace lorvane {

struct SuggestedPath {
    // The feature's colour (sRGB, the median of its centre pixels).
    std::array<uint8_t, 3> colour{};
    double widthFeet = 0;
    // Joined (each segment starts where the one before ends), in tile feet
    // as stored, as a trace gives them.
    std::vector<TraceSegment> segments;
    bool operator==(const SuggestedPath&) const = default;
};

struct SuggestOptions {
    // Paths already on the tile (feet): a feature that runs along one of
    // them within its width is left out.
    std::span<const TraceSegment> existing{};
    std::span<const double> existingWidthFeet{};  // one per existing segment
    // Features shorter than this (feet), or than three times their width,
    // are left out.
    double minLengthFeet = 60;
};

// The suggestions for the whole image, longest first; deterministic.
std::vector<SuggestedPath> SuggestPaths(const PcxImage& image, const SuggestOptions& options = {});

}  // namespace lorvane
