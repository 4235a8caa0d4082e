#pragma once
// The theater map window's logic: the view (zoom and pan) over the theater
// picture, what the status bar says about the post under the pointer, and a
// fingerprint of the tile database by which the window sees that it changed.
//
// Map coordinates are in posts over the picture at one pixel a post: u runs
// east from the west border, v south from the north border, so post (x, y)
// covers u in [x, x + 1) and v in [rows − 1 − y, rows − y).

#include <cstdint>
#include <optional>
#include <string>

#include "terrain/terrain_matrix.h"
#include "theater/theater_picture.h"
#include "tiledb/tile_database.h"

namespace lorvane {

struct MapPoint {
    double u = 0;
    double v = 0;
};

struct PostCoordinates {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const PostCoordinates&) const = default;
};

class MapView {
  public:
    static constexpr double kMinScale = 1.0 / 64;  // screen pixels a post
    static constexpr double kMaxScale = 256;

    // The screen area of the view and the theater it shows; a new theater is
    // fitted into the view.
    void SetViewport(int width, int height);
    void SetTheater(int32_t columns, int32_t rows);
    // The whole theater in the view, centred.
    void Fit();

    double scale() const { return scale_; }
    MapPoint ScreenToMap(double x, double y) const;
    MapPoint MapToScreen(MapPoint point) const;
    // The post under a screen point; none outside the theater.
    std::optional<PostCoordinates> PostAt(double x, double y) const;

    // Zooms by factor, keeping the map point under (x, y) where it is;
    // the scale stays within kMinScale and kMaxScale.
    void ZoomAt(double x, double y, double factor);
    // Moves the picture by (dx, dy) screen pixels.
    void Pan(double dx, double dy);
    // The posts that are (partly) on screen.
    PostRegion VisiblePosts() const;

  private:
    int width_ = 1;
    int height_ = 1;
    int32_t columns_ = 0;
    int32_t rows_ = 0;
    double scale_ = 1;
    MapPoint origin_;  // the map point at the screen's top-left corner
};

// The status bar text of a post: "Post 12, 34   Tile H012.PCX   Id 18
// Elevation 1234   Class Plains" (separated by three blanks). Without a
// database the tile name and class are left out; a tile id no index entry
// has shows "Tile (not in Texture.bin)" and no class.
std::string PostStatus(const TerrainMatrix& matrix, const TileDatabase* database,
                       PostCoordinates post);

// A hash of everything of the database that the map shows: ids, set types,
// paths and areas.
uint64_t DatabaseFingerprint(const TileDatabase& database);

}  // namespace lorvane
