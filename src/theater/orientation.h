#pragma once
// How a tile lies on a terrain post.
//
// A tile's own frame has X up its image and Y across it, origin at the
// bottom-left corner, 0 to 3280 feet. A post's frame has east and north,
// origin at its south-west corner, 0 to 3280 feet; post (x, y) of the matrix
// has post (x + 1, y) to its east and post (x, y + 1) to its north.
//
// Orientation N (0 to 7) maps the one onto the other: under 0 the image's top
// is north and its right side east (east = Y, north = X); from 4 on the image
// is first mirrored east-west; then it is turned N mod 4 quarter turns
// clockwise.

#include <array>
#include <cstddef>
#include <cstdint>

namespace lorvane {

inline constexpr int kOrientationCount = 8;
inline constexpr float kTileSpanFeet = 3280.0f;

enum class Edge : uint8_t { North = 0, East = 1, South = 2, West = 3 };
inline constexpr std::array<Edge, 4> kEdges = {Edge::North, Edge::East, Edge::South, Edge::West};

// "north", "east", "south", "west".
const char* EdgeName(Edge edge);
Edge OppositeEdge(Edge edge);

struct PostPoint {
    float east = 0;
    float north = 0;
};

struct TilePoint {
    float x = 0;
    float y = 0;
};

// Tile feet to post feet under an orientation (taken mod 8).
PostPoint TileToPost(int orientation, TilePoint point);
// The inverse: post feet to tile feet.
TilePoint PostToTile(int orientation, PostPoint point);

// The post's neighbour across an edge: (dx, dy) added to the post.
struct PostStep {
    int dx = 0;
    int dy = 0;
};
PostStep StepAcross(Edge edge);

}  // namespace lorvane
