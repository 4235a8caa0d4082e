#include "theater/seams.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace lorvane {

namespace {

// Ids below this bound are looked up in tables indexed by id; loaded
// databases number their tiles set × 16 + position, so all of theirs are.
constexpr uint32_t kDenseIdBound = 1u << 16;

uint64_t PairKey(uint32_t first, uint32_t second) { return uint64_t{first} << 32 | second; }

// Values by pair key in one array, open addressing with linear probing: the
// pairs are looked up once or twice a post over millions of posts, where a
// node map's pointer chase per lookup was most of the time.
template <typename Value>
class PairTable {
  public:
    bool empty() const { return size_ == 0; }

    // The value of key, made zero when the key is new.
    Value& operator[](uint64_t key) {
        if (2 * (size_ + 1) > slots_.size()) Grow();
        Slot& slot = slots_[Probe(key)];
        if (!slot.used) {
            slot = {key, Value{}, true};
            ++size_;
        }
        return slot.value;
    }

    const Value* Find(uint64_t key) const {
        if (size_ == 0) return nullptr;
        const Slot& slot = slots_[Probe(key)];
        return slot.used ? &slot.value : nullptr;
    }

    template <typename Visit>
    void ForEach(Visit visit) const {
        for (const Slot& slot : slots_)
            if (slot.used) visit(slot.key, slot.value);
    }

  private:
    struct Slot {
        uint64_t key = 0;
        Value value{};
        bool used = false;
    };

    // The slot that holds key, or the free slot where it would go; the
    // table is never more than half full, so there is one.
    size_t Probe(uint64_t key) const {
        const size_t mask = slots_.size() - 1;
        size_t i = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
        while (slots_[i].used && slots_[i].key != key) i = (i + 1) & mask;
        return i;
    }
    void Grow() {
        std::vector<Slot> old(std::max<size_t>(64, 2 * slots_.size()));
        old.swap(slots_);
        size_ = 0;
        for (const Slot& slot : old)
            if (slot.used) (*this)[slot.key] = slot.value;
    }

    std::vector<Slot> slots_;
    size_t size_ = 0;
};

// Eight bytes, so the slots of a few thousand tiles stay in the nearest
// cache; a count that would overflow goes to the table.
struct FirstNeighbour {
    uint32_t neighbour = 0;
    uint32_t places = 0;
};

Edge FirstEdge(PairAxis axis) { return axis == PairAxis::EastWest ? Edge::East : Edge::North; }

bool NearAnyEdge(float x, float y, float tolerance) {
    return x <= tolerance || y <= tolerance || x >= kTileSpanFeet - tolerance ||
           y >= kTileSpanFeet - tolerance;
}

bool HasEndNearEdge(const TileRecord& tile, float tolerance) {
    return std::any_of(tile.paths.begin(), tile.paths.end(), [&](const TilePath& path) {
        return NearAnyEdge(path.startX, path.startY, tolerance) ||
               NearAnyEdge(path.endX, path.endY, tolerance);
    });
}

void AddEnd(EdgeEnds& ends, int32_t type, PostPoint point, float tolerance) {
    if (point.north >= kTileSpanFeet - tolerance) ends[0].push_back({type, point.east});
    if (point.east >= kTileSpanFeet - tolerance) ends[1].push_back({type, point.north});
    if (point.north <= tolerance) ends[2].push_back({type, point.east});
    if (point.east <= tolerance) ends[3].push_back({type, point.north});
}

// The distance along the edge from an end to the nearest end of its type in
// the other list; a whole tile when there is none.
float NearestOffset(const EdgeEnd& end, const std::vector<EdgeEnd>& others) {
    float nearest = kTileSpanFeet;
    for (const EdgeEnd& other : others)
        if (other.type == end.type) nearest = std::min(nearest, std::fabs(other.along - end.along));
    return nearest;
}

}  // namespace

TileTable::TileTable(const TileDatabase& database) : database_(database) {
    for (size_t position = database.index.size(); position-- > 0;) {
        const auto id = static_cast<uint32_t>(database.index[position].id);
        const auto value = static_cast<int32_t>(position + 1);
        if (id < kDenseIdBound) {
            if (dense_.size() <= id) dense_.resize(id + 1, 0);
            dense_[id] = value;
        } else {
            sparse_[id] = value;
        }
    }
}

std::optional<int> TileTable::Position(uint32_t tileId) const {
    int32_t value = 0;
    if (tileId < dense_.size()) {
        value = dense_[tileId];
    } else if (const auto found = sparse_.find(tileId); found != sparse_.end()) {
        value = found->second;
    }
    if (value == 0) return std::nullopt;
    return value - 1;
}

const TileRecord* TileTable::Find(uint32_t tileId) const {
    const std::optional<int> position = Position(tileId);
    if (!position) return nullptr;
    return database_.Tile(database_.index[static_cast<size_t>(*position)]);
}

EdgeEnds EdgeEndsOf(const TileRecord& tile, int orientation, float tolerance) {
    EdgeEnds ends;
    for (const TilePath& path : tile.paths) {
        AddEnd(ends, path.type, TileToPost(orientation, {path.startX, path.startY}), tolerance);
        AddEnd(ends, path.type, TileToPost(orientation, {path.endX, path.endY}), tolerance);
    }
    for (std::vector<EdgeEnd>& edge : ends) {
        std::sort(edge.begin(), edge.end(), [](const EdgeEnd& a, const EdgeEnd& b) {
            return std::tie(a.along, a.type) < std::tie(b.along, b.type);
        });
        edge.erase(std::unique(edge.begin(), edge.end()), edge.end());
    }
    return ends;
}

SeamFinder::SeamFinder(const TerrainMatrix& matrix, const TileDatabase& database, float tolerance)
    : matrix_(matrix), table_(database), tolerance_(tolerance) {
    std::vector<uint8_t> denseRelevant;
    for (const TileIndexEntry& entry : database.index) {
        const auto id = static_cast<uint32_t>(entry.id);
        const TileRecord* tile = table_.Find(id);
        if (tile == nullptr || ends_.count(id) != 0 || !HasEndNearEdge(*tile, tolerance)) continue;
        auto& byOrientation = ends_[id];
        for (int o = 0; o < kOrientationCount; ++o)
            byOrientation[static_cast<size_t>(o)] = EdgeEndsOf(*tile, o, tolerance);
        if (id < kDenseIdBound) {
            if (denseRelevant.size() <= id) denseRelevant.resize(id + 1, 0);
            denseRelevant[id] = 1;
        }
    }
    if (!matrix.IsComplete() || ends_.empty()) return;
    const auto relevant = [&](uint32_t id) {
        if (id < denseRelevant.size()) return denseRelevant[id] != 0;
        return id >= kDenseIdBound && ends_.count(id) != 0;
    };
    std::array<PairTable<uint64_t>, 2> counts;
    // The first neighbour met on each side of each id the database has below
    // the dense bound, with the places it was met, whether or not either
    // tile is relevant (that is sorted out once a slot, not once a place): a
    // tile has mostly one neighbour on a side, so most places are counted
    // here, one load, and only the others in the tables.
    std::array<std::vector<FirstNeighbour>, 2> first;
    for (auto& slots : first) slots.resize(denseRelevant.size());
    const size_t slotCount = denseRelevant.size();
    const auto count = [&](size_t axis, FirstNeighbour* slots, uint32_t id, uint32_t neighbour) {
        if (id < slotCount) {
            FirstNeighbour& slot = slots[id];
            if (slot.places == 0 || slot.neighbour == neighbour) {
                slot.neighbour = neighbour;
                if (++slot.places == UINT32_MAX) {
                    if (relevant(id) || relevant(neighbour))
                        counts[axis][PairKey(id, neighbour)] += slot.places;
                    slot.places = 0;
                }
                return;
            }
        }
        if (relevant(id) || relevant(neighbour)) ++counts[axis][PairKey(id, neighbour)];
    };
    const int32_t width = matrix.xMapExtent();
    const int32_t height = matrix.yMapExtent();
    // Rows of a matrix that shares its sections are gathered here.
    std::vector<TerrainCell> rowCells(matrix.SharesSections() ? static_cast<size_t>(width) : 0);
    std::vector<TerrainCell> aboveCells(rowCells.size());
    FirstNeighbour* east = first[0].data();
    FirstNeighbour* north = first[1].data();
    for (int32_t y = 0; y < height; ++y) {
        const TerrainCell* row = matrix.Row(y, rowCells.data());
        if (y + 1 == height) {
            for (int32_t x = 0; x + 1 < width; ++x)
                count(0, east, row[x].tileId, row[x + 1].tileId);
            break;
        }
        const TerrainCell* above = matrix.Row(y + 1, aboveCells.data());
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t id = row[x].tileId;
            if (x + 1 < width) count(0, east, id, row[x + 1].tileId);
            count(1, north, id, above[x].tileId);
        }
    }
    for (size_t axis = 0; axis < 2; ++axis) {
        for (size_t id = 0; id < first[axis].size(); ++id) {
            const FirstNeighbour& slot = first[axis][id];
            const auto tile = static_cast<uint32_t>(id);
            if (slot.places != 0 && (relevant(tile) || relevant(slot.neighbour)))
                counts[axis][PairKey(tile, slot.neighbour)] += slot.places;
        }
    }
    for (size_t axis = 0; axis < 2; ++axis)
        counts[axis].ForEach([&](uint64_t key, uint64_t places) {
            pairs_.push_back({static_cast<uint32_t>(key >> 32), static_cast<uint32_t>(key),
                              static_cast<PairAxis>(axis), places});
        });
    std::sort(pairs_.begin(), pairs_.end(), [](const PostPair& a, const PostPair& b) {
        return std::tie(a.axis, a.first, a.second) < std::tie(b.axis, b.first, b.second);
    });
}

const EdgeEnds* SeamFinder::EndsOf(uint32_t tileId, int orientation) const {
    const auto found = ends_.find(tileId);
    if (found == ends_.end()) return nullptr;
    return &found->second[static_cast<size_t>(orientation)];
}

// Calls visit(tile, neighbour, edge, end, offset, places) for every end on
// the shared edge of a pair that meets nothing across, and visit with a
// negative offset for every end that meets (so callers may count them).
template <typename Visit>
void SeamFinder::VisitUnmatched(const PostPair& pair, int orientation, Visit visit) const {
    static const std::vector<EdgeEnd> kNone;
    const Edge edge = FirstEdge(pair.axis);
    const EdgeEnds* first = EndsOf(pair.first, orientation);
    const EdgeEnds* second = EndsOf(pair.second, orientation);
    const std::vector<EdgeEnd>& firstEnds = first ? (*first)[static_cast<size_t>(edge)] : kNone;
    const std::vector<EdgeEnd>& secondEnds =
        second ? (*second)[static_cast<size_t>(OppositeEdge(edge))] : kNone;
    for (const EdgeEnd& end : firstEnds) {
        const float offset = NearestOffset(end, secondEnds);
        visit(pair.first, pair.second, edge, end, offset > tolerance_ ? offset : -1.0f);
    }
    for (const EdgeEnd& end : secondEnds) {
        const float offset = NearestOffset(end, firstEnds);
        visit(pair.second, pair.first, OppositeEdge(edge), end,
              offset > tolerance_ ? offset : -1.0f);
    }
}

std::array<uint64_t, kOrientationCount> SeamFinder::MeetingEnds() const {
    std::array<uint64_t, kOrientationCount> meeting{};
    for (int o = 0; o < kOrientationCount; ++o) {
        for (const PostPair& pair : pairs_) {
            uint64_t met = 0;
            VisitUnmatched(pair, o, [&](uint32_t, uint32_t, Edge, const EdgeEnd&, float offset) {
                if (offset < 0) ++met;
            });
            meeting[static_cast<size_t>(o)] += met * pair.places;
        }
    }
    return meeting;
}

int SeamFinder::FindOrientation() const {
    const auto meeting = MeetingEnds();
    return static_cast<int>(std::max_element(meeting.begin(), meeting.end()) - meeting.begin());
}

std::vector<Seam> SeamFinder::Seams(int orientation) const {
    std::map<std::tuple<uint32_t, uint32_t, Edge, int32_t>, Seam> grouped;
    for (const PostPair& pair : pairs_) {
        VisitUnmatched(
            pair, orientation,
            [&](uint32_t tile, uint32_t neighbour, Edge edge, const EdgeEnd& end, float offset) {
                if (offset < 0) return;
                Seam& seam = grouped[{tile, neighbour, edge, end.type}];
                seam = {tile,       neighbour, edge, end.type, std::max(seam.offsetFeet, offset),
                        pair.places};
            });
    }
    std::vector<Seam> seams;
    seams.reserve(grouped.size());
    for (const auto& [key, seam] : grouped) seams.push_back(seam);
    return seams;
}

std::vector<SeamPost> SeamFinder::SeamPosts(int orientation) const {
    // The edges of the first tile of each pair with seams, and of the second.
    std::array<PairTable<uint8_t>, 2> marks;
    for (const PostPair& pair : pairs_) {
        uint8_t firstEdges = 0;
        uint8_t secondEdges = 0;
        VisitUnmatched(
            pair, orientation,
            [&](uint32_t tile, uint32_t, Edge edge, const EdgeEnd&, float offset) {
                if (offset < 0) return;
                (tile == pair.first && edge == FirstEdge(pair.axis) ? firstEdges : secondEdges) |=
                    static_cast<uint8_t>(1u << static_cast<int>(edge));
            });
        if (firstEdges != 0 || secondEdges != 0)
            marks[static_cast<size_t>(pair.axis)][PairKey(pair.first, pair.second)] =
                static_cast<uint8_t>(firstEdges | secondEdges << 4);
    }
    std::vector<SeamPost> posts;
    if (marks[0].empty() && marks[1].empty()) return posts;
    const int32_t width = matrix_.xMapExtent();
    const int32_t height = matrix_.yMapExtent();
    std::vector<uint8_t> rowEdges(static_cast<size_t>(width));
    std::vector<uint8_t> nextEdges(static_cast<size_t>(width), 0);
    for (int32_t y = 0; y < height; ++y) {
        rowEdges.swap(nextEdges);
        std::fill(nextEdges.begin(), nextEdges.end(), 0);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t id = matrix_.Cell(x, y).tileId;
            if (x + 1 < width && !marks[0].empty()) {
                if (const uint8_t* found =
                        marks[0].Find(PairKey(id, matrix_.Cell(x + 1, y).tileId))) {
                    rowEdges[static_cast<size_t>(x)] |= *found & 0x0F;
                    rowEdges[static_cast<size_t>(x + 1)] |= *found >> 4;
                }
            }
            if (y + 1 < height && !marks[1].empty()) {
                if (const uint8_t* found =
                        marks[1].Find(PairKey(id, matrix_.Cell(x, y + 1).tileId))) {
                    rowEdges[static_cast<size_t>(x)] |= *found & 0x0F;
                    nextEdges[static_cast<size_t>(x)] |= *found >> 4;
                }
            }
        }
        for (int32_t x = 0; x < width; ++x)
            if (rowEdges[static_cast<size_t>(x)] != 0)
                posts.push_back({x, y, rowEdges[static_cast<size_t>(x)]});
    }
    return posts;
}

}  // namespace lorvane
