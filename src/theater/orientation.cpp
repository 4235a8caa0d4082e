#include "theater/orientation.h"

namespace lorvane {

const char* EdgeName(Edge edge) {
    static constexpr std::array<const char*, 4> kNames = {"north", "east", "south", "west"};
    return kNames[static_cast<size_t>(edge)];
}

Edge OppositeEdge(Edge edge) { return static_cast<Edge>((static_cast<int>(edge) + 2) % 4); }

PostStep StepAcross(Edge edge) {
    switch (edge) {
        case Edge::North:
            return {0, 1};
        case Edge::East:
            return {1, 0};
        case Edge::South:
            return {0, -1};
        case Edge::West:
            return {-1, 0};
    }
    return {};
}

PostPoint TileToPost(int orientation, TilePoint point) {
    const int n = ((orientation % kOrientationCount) + kOrientationCount) % kOrientationCount;
    PostPoint post{point.y, point.x};
    if (n >= 4) post.east = kTileSpanFeet - post.east;
    for (int turn = 0; turn < n % 4; ++turn) {
        // A clockwise quarter turn: the north edge goes to the east edge.
        post = {post.north, kTileSpanFeet - post.east};
    }
    return post;
}

TilePoint PostToTile(int orientation, PostPoint point) {
    const int n = ((orientation % kOrientationCount) + kOrientationCount) % kOrientationCount;
    PostPoint post = point;
    for (int turn = 0; turn < n % 4; ++turn) {
        // A counter-clockwise quarter turn undoes a clockwise one.
        post = {kTileSpanFeet - post.north, post.east};
    }
    if (n >= 4) post.east = kTileSpanFeet - post.east;
    return {post.north, post.east};
}

}  // namespace lorvane
