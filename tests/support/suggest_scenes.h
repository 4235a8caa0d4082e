#pragma once
// Painted tiles (painted_tile.h) with the features the suggester should
// find, and how well a set of suggestions covers them: the suggester's
// tests and its benchmark take the same tiles.

#include <cstdint>
#include <string>
#include <vector>

#include "image/pcx.h"
#include "trace/suggester.h"

namespace lorvane::testing {

struct PaintedFeature {
    std::vector<TracePoint> centre;  // pixels
    double width = 0;                // pixels
};

struct PaintedScene {
    std::string name;
    PcxImage image;
    std::vector<PaintedFeature> features;
};

// Bands of widths 2 to 15 pixels, straight at random angles and along
// arcs, two roads crossing, a road ending on another, and a road crossing
// a river, each on a ground
// of its own, on images of size × size pixels; from seed.
std::vector<PaintedScene> SuggestScenes(int32_t size, uint32_t seed);

// Paints the feature onto the scene's image and lists it.
void AddFeature(PaintedScene& scene, std::vector<TracePoint> centre, double width, uint8_t colour);

// Completeness: the share of the features' centre lines within
// max(1, width / 2) + 1 pixels of some suggestion; correctness: the share
// of the suggestions within as much of some feature's centre line. Both
// sampled every half pixel; 1 when there is nothing to cover.
struct SuggestScore {
    double completeness = 1;
    double correctness = 1;
    double featureLength = 0;     // pixels
    double suggestionLength = 0;  // pixels
};
SuggestScore ScoreSuggestions(const PaintedScene& scene, const std::vector<SuggestedPath>& paths);

// The scores of several scenes taken together (weighted by length).
SuggestScore Combine(const std::vector<SuggestScore>& scores);

}  // namespace lorvane::testing
