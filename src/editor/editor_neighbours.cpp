// The tiles around the tile on screen: the edge markers, and the neighbours
// that the viewer shows faded past the tile's edges with their images and
// paths.

#include <algorithm>

#include "base/path_text.h"
#include "editor/editor_panel.h"
#include "theater/seams.h"
#include "tiledb/tiles_txt.h"

namespace lorvane {

void EditorPanel::UseTheater(const TerrainMatrix& matrix, const uint64_t& revision) {
    theaterMatrix_ = &matrix;
    theaterRevision_ = &revision;
    markerCache_.valid = false;
}

const Neighbourhood& EditorPanel::neighbourhood() const {
    static const Neighbourhood kNone;
    if (theaterMatrix_ == nullptr || !document_.HasTile() || !document_.hasDatabase()) return kNone;
    MarkerCache& cache = markerCache_;
    const int32_t tile = document_.tileId();
    if (!cache.valid || cache.tile != tile || cache.revision != *theaterRevision_ ||
        cache.database != databaseGeneration_) {
        cache = {true,
                 tile,
                 *theaterRevision_,
                 databaseGeneration_,
                 cache.made + 1,
                 NeighbourhoodOf(*theaterMatrix_, database_, tile)};
    }
    return cache.neighbourhood;
}

const std::vector<NeighbourMarker>& EditorPanel::edgeMarkers() const {
    return neighbourhood().markers;
}

namespace {

WorkingPath SegmentOnScreen(const TilePath& stored) {
    return {PathChoiceOfCode(stored.type), FeetOf(stored.width), FeetOf(stored.startX),
            FeetOf(stored.startY),         FeetOf(stored.endX),  FeetOf(stored.endY)};
}

}  // namespace

std::vector<NeighbourInput> EditorPanel::NeighbourInputs(
    std::span<const WorkingPath> onScreen) const {
    const Neighbourhood& around = neighbourhood();
    if (around.tiles.empty()) return {};
    NeighbourCache& cache = neighbourCache_;
    const std::string folder = FileChoice::Chosen(PathFromUtf8(state_.tileImagePath)).folderPart();
    if (cache.made != markerCache_.made || cache.folder != folder) {
        std::vector<NeighbourShown> shown;
        const TileTable table(database_);
        NullMessages quiet;  // a name that is no file name just has no image
        for (const NeighbourTile& tile : around.tiles) {
            const std::optional<int> position = table.Position(tile.tileId);
            if (!position) continue;  // not in the database: nothing to show
            const TileIndexEntry& entry = database_.index[static_cast<size_t>(*position)];
            NeighbourShown neighbour{tile.tileId, tile.origin};
            if (const TileRecord* record = database_.RecordAt(entry.setIndex, entry.tileIndex))
                for (const TilePath& path : record->paths)
                    neighbour.paths.push_back(SegmentOnScreen(path));
            const std::string name(NameText(entry.name));
            if (!folder.empty() && IsTileFileName(name, quiet)) neighbour.imagePath = folder + name;
            // An image decoded before, around the tile shown before, is not
            // decoded again; nor is one tried at another place around this
            // one. One that could not be read is tried again around another
            // tile or in another theater.
            const auto same = [&](const NeighbourShown& other) {
                return other.tileId == neighbour.tileId && other.imagePath == neighbour.imagePath;
            };
            const auto before = std::find_if(
                cache.shown.begin(), cache.shown.end(),
                [&](const NeighbourShown& other) { return same(other) && other.picture; });
            const auto here = std::find_if(shown.begin(), shown.end(), same);
            if (here != shown.end()) {
                neighbour.picture = here->picture;
                neighbour.pictureKey = here->pictureKey;
            } else if (before != cache.shown.end()) {
                neighbour.picture = before->picture;
                neighbour.pictureKey = before->pictureKey;
            } else if (!neighbour.imagePath.empty()) {
                if (std::optional<PcxImage> image =
                        LoadPcxTile(PathFromUtf8(neighbour.imagePath))) {
                    neighbour.picture = std::make_shared<const PcxImage>(std::move(*image));
                    neighbour.pictureKey = ++cache.lastKey;
                }
            }
            shown.push_back(std::move(neighbour));
        }
        cache.made = markerCache_.made;
        cache.folder = folder;
        cache.shown = std::move(shown);
    }
    std::vector<NeighbourInput> inputs;
    inputs.reserve(cache.shown.size());
    for (const NeighbourShown& neighbour : cache.shown) {
        // The tile on screen beside itself shows its edits as they are now.
        const bool itself = neighbour.tileId == static_cast<uint32_t>(document_.tileId());
        inputs.push_back({neighbour.origin, neighbour.picture, neighbour.pictureKey,
                          itself ? onScreen : std::span<const WorkingPath>(neighbour.paths)});
    }
    return inputs;
}

}  // namespace lorvane
