#include "tiledb/tile_exchange.h"

#include <algorithm>
#include <bit>
#include <new>

#include "base/byte_reader.h"
#include "base/file_io.h"
#include "base/format.h"
#include "tiledb/tile_diff.h"

namespace lorvane {

namespace {

constexpr size_t kAreaSize = 16;
constexpr size_t kPathSize = 24;
constexpr const char* kReadError = "Read Error";
constexpr const char* kCountReadFailed = "Could not read to import file.";
constexpr const char* kAreasReadFailed = "Could not read import areas.";
constexpr const char* kPathsReadFailed = "Could not read import paths.";

bool Marked(const TileIndexEntry& entry, const TileDatabase& database) {
    return entry.modified != 0 && database.Tile(entry) != nullptr;
}

// Little-endian fields into a buffer that is kept and reused between parts,
// so a large export touches little fresh memory.
class PartBuffer {
  public:
    void Clear() { size_ = 0; }
    std::span<const std::byte> Data() const { return {bytes_.data(), size_}; }
    std::vector<std::byte> Take() {
        bytes_.resize(size_);
        size_ = 0;
        return std::move(bytes_);
    }

    // Room for count more bytes; the fields are stored into it in order.
    std::byte* Room(size_t count) {
        if (size_ + count > bytes_.size())
            bytes_.resize(std::max(size_ + count, 2 * bytes_.size()));
        std::byte* room = bytes_.data() + size_;
        size_ += count;
        return room;
    }

  private:
    std::vector<std::byte> bytes_;
    size_t size_ = 0;
};

std::byte* Put(std::byte* out, uint32_t value) {
    for (int i = 0; i < 4; ++i, value >>= 8) *out++ = static_cast<std::byte>(value & 0xFF);
    return out;
}
std::byte* Put(std::byte* out, int32_t value) { return Put(out, static_cast<uint32_t>(value)); }
std::byte* Put(std::byte* out, float value) { return Put(out, std::bit_cast<uint32_t>(value)); }

void WriteRecordHeader(PartBuffer& out, const TileIndexEntry& entry, const TileRecord& tile) {
    std::byte* room = out.Room(16);
    room = Put(room, entry.setIndex);
    room = Put(room, entry.tileIndex);
    room = Put(room, tile.pathCount());
    Put(room, tile.areaCount());
}

void WriteAreas(PartBuffer& out, std::span<const TileArea> areas) {
    std::byte* room = out.Room(kAreaSize * areas.size());
    for (const TileArea& area : areas) {
        room = Put(room, area.type);
        room = Put(room, area.radius);
        room = Put(room, area.centerX);
        room = Put(room, area.centerY);
    }
}

void WritePaths(PartBuffer& out, std::span<const TilePath> paths) {
    std::byte* room = out.Room(kPathSize * paths.size());
    for (const TilePath& path : paths) {
        room = Put(room, path.type);
        room = Put(room, path.width);
        room = Put(room, path.startX);
        room = Put(room, path.startY);
        room = Put(room, path.endX);
        room = Put(room, path.endY);
    }
}

int CountMarked(const TileDatabase& database) {
    int count = 0;
    for (const TileIndexEntry& entry : database.index) count += Marked(entry, database) ? 1 : 0;
    return count;
}

// Writes the buffer's content as one part of the export file and empties it.
bool WritePart(SafeFileWriter& file, PartBuffer& part) {
    const bool ok = file.Write(part.Data());
    part.Clear();
    return ok;
}

bool ExportFailed(const char* text, const SafeFileWriter& file, MessageSink& messages) {
    messages.Error(text, kReadError, file.Detail());
    return false;
}

// The read-error message of a field of record number record (from 1).
void RecordError(MessageSink& messages, const char* fieldMessage, int record, int count,
                 const std::string& detail = {}) {
    messages.Error(FormatText("%s Record %d of %d%s.", fieldMessage, record, count, detail.c_str()),
                   kReadError);
}

bool ReadArea(ByteReader& in, TileArea& area) {
    return in.ReadI32(area.type) && in.ReadF32(area.radius) && in.ReadF32(area.centerX) &&
           in.ReadF32(area.centerY);
}

bool ReadPath(ByteReader& in, TilePath& path) {
    return in.ReadI32(path.type) && in.ReadF32(path.width) && in.ReadF32(path.startX) &&
           in.ReadF32(path.startY) && in.ReadF32(path.endX) && in.ReadF32(path.endY);
}

// Checks that count records of recordSize bytes follow, then skips them.
bool SkipList(ByteReader& in, int32_t count, size_t recordSize) {
    return count >= 0 && in.Fits(static_cast<uint64_t>(count), recordSize) &&
           in.Skip(static_cast<size_t>(count) * recordSize);
}

// The largest lists of the file, for the scratch room of the import.
struct ListSizes {
    size_t areas = 0;
    size_t paths = 0;
};

bool CheckRecord(ByteReader& in, const TileDatabase& database, int record, int count,
                 ListSizes& largest, MessageSink& messages) {
    int32_t set = 0;
    int32_t tile = 0;
    int32_t pathCount = 0;
    int32_t areaCount = 0;
    if (!in.ReadI32(set) || !in.ReadI32(tile) || !in.ReadI32(pathCount) || !in.ReadI32(areaCount)) {
        RecordError(messages, kCountReadFailed, record, count);
        return false;
    }
    if (database.RecordAt(set, tile) == nullptr) {
        RecordError(messages, kCountReadFailed, record, count,
                    FormatText(": set %d, tile %d is not in this Texture.bin", set, tile));
        return false;
    }
    if (!SkipList(in, areaCount, kAreaSize)) {
        RecordError(messages, kAreasReadFailed, record, count);
        return false;
    }
    if (!SkipList(in, pathCount, kPathSize)) {
        RecordError(messages, kPathsReadFailed, record, count);
        return false;
    }
    largest.areas = std::max(largest.areas, static_cast<size_t>(areaCount));
    largest.paths = std::max(largest.paths, static_cast<size_t>(pathCount));
    return true;
}

// Takes room for a list of count records; false after the message.
template <typename Record>
bool TakeRoom(std::vector<Record>& list, size_t count, const char* what, MessageSink& messages) {
    try {
        list.reserve(count);
        return true;
    } catch (const std::bad_alloc&) {
        messages.Error(FormatText("Failed to allocate memory for the import %s.", what),
                       "Memory Allocation Error");
        return false;
    }
}

template <typename Record, typename ReadOne>
void ReadList(ByteReader& in, int32_t count, std::vector<Record>& out, ReadOne readOne) {
    out.resize(static_cast<size_t>(count));
    for (Record& record : out) readOne(in, record);
}

// Makes list exactly the records: released when there are none, else
// overwritten in place (a larger list keeps its memory).
template <typename Record>
void SetList(std::vector<Record>& list, std::span<const Record> records) {
    if (records.empty()) {
        list.clear();
        list.shrink_to_fit();
        return;
    }
    list.assign(records.begin(), records.end());
}

}  // namespace

bool MarkTileForExport(TileDatabase& database, int32_t id) {
    bool found = false;
    for (TileIndexEntry& entry : database.index) {
        if (entry.id != id) continue;
        entry.modified = 1;
        if (TileRecord* tile = database.Tile(entry)) tile->modified = 1;
        found = true;
    }
    return found;
}

std::vector<std::byte> SerializeTileExport(const TileDatabase& database, int* recordCount) {
    const int count = CountMarked(database);
    if (recordCount != nullptr) *recordCount = count;
    PartBuffer out;
    Put(out.Room(4), count);
    for (const TileIndexEntry& entry : database.index) {
        if (!Marked(entry, database)) continue;
        const TileRecord& tile = *database.Tile(entry);
        WriteRecordHeader(out, entry, tile);
        WriteAreas(out, tile.areas);
        WritePaths(out, tile.paths);
    }
    return out.Take();
}

bool ExportModifiedTiles(const OutputTarget& path, const TileDatabase& database,
                         MessageSink& messages) {
    SafeFileWriter file;
    if (!file.Open(path)) {
        messages.Error("Error opening Export file.", "File Open Error", file.Detail());
        return false;
    }
    const int count = CountMarked(database);
    PartBuffer part;
    Put(part.Room(4), count);
    if (!WritePart(file, part))
        return ExportFailed("Could not write to export file.", file, messages);
    for (const TileIndexEntry& entry : database.index) {
        if (!Marked(entry, database)) continue;
        const TileRecord& tile = *database.Tile(entry);
        WriteRecordHeader(part, entry, tile);
        if (!WritePart(file, part))
            return ExportFailed("Could not write to export file.", file, messages);
        WriteAreas(part, tile.areas);
        if (!WritePart(file, part))
            return ExportFailed("Could not write import areas.", file, messages);
        WritePaths(part, tile.paths);
        if (!WritePart(file, part))
            return ExportFailed("Could not write import paths.", file, messages);
    }
    if (!file.Commit()) return ExportFailed("Could not write to export file.", file, messages);
    messages.Information(Counted(count, "tile", "tiles") + " exported.", "Export Completed");
    return true;
}

namespace {

// The names of the tiles, "A, B and C".
std::string NameList(const TileDatabase& database, const std::vector<int32_t>& ids) {
    std::string list;
    for (size_t k = 0; k < ids.size(); ++k) {
        if (k > 0) list += k + 1 == ids.size() ? " and " : ", ";
        list += TileNameById(database, ids[k]);
    }
    return list;
}

// Says what an export of the changed tiles cannot carry to base.
void WarnWhatExportLeavesOut(const TileDatabase& database, const TileDatabase& base,
                             const std::vector<int32_t>& ids, MessageSink& messages) {
    std::vector<int32_t> missing;
    std::vector<int32_t> emptied;
    for (const int32_t id : ids) {
        const TileIndexEntry& entry =
            database.index[static_cast<size_t>(*database.PositionOfId(id))];
        const TileRecord* tile = database.Tile(entry);
        const TileRecord* old = base.RecordAt(entry.setIndex, entry.tileIndex);
        if (old == nullptr) {
            missing.push_back(id);
        } else if ((tile->paths.empty() && !old->paths.empty()) ||
                   (tile->areas.empty() && !old->areas.empty())) {
            emptied.push_back(id);
        }
    }
    if (!missing.empty())
        messages.Exclamation(
            FormatText("The base does not hold %s: an import into it refuses the file until "
                       "they are added.",
                       NameList(database, missing).c_str()),
            "Export");
    if (!emptied.empty())
        messages.Exclamation(
            FormatText("A list emptied since the base cannot be exported: importing the file "
                       "leaves the emptied paths or areas of %s as they were.",
                       NameList(database, emptied).c_str()),
            "Export");
}

}  // namespace

bool ExportTilesChangedSince(const OutputTarget& path, const TileDatabase& database,
                             const TileDatabase& base, MessageSink& messages) {
    const std::vector<int32_t> ids = TilesChangedSince(base, database);
    if (ids.empty()) {
        messages.Information("No tile differs from the base. Nothing was exported.",
                             "Export Completed");
        return true;
    }
    WarnWhatExportLeavesOut(database, base, ids, messages);
    TileDatabase marked = database;
    for (TileIndexEntry& entry : marked.index) entry.modified = 0;
    for (const int32_t id : ids) MarkTileForExport(marked, id);
    return ExportModifiedTiles(path, marked, messages);
}

namespace {

struct CheckedImport {
    int count = 0;
    ListSizes largest;
};

std::optional<CheckedImport> CheckImport(std::span<const std::byte> bytes,
                                         const TileDatabase& database, MessageSink& messages) {
    ByteReader in(bytes);
    int32_t count = 0;
    // Nothing is allocated from the count: a count larger than the file holds
    // fails at the first record that is not there.
    if (!in.ReadI32(count) || count < 0) {
        messages.Error(kCountReadFailed, kReadError);
        return std::nullopt;
    }
    CheckedImport checked;
    checked.count = count;
    for (int i = 0; i < count; ++i) {
        if (!CheckRecord(in, database, i + 1, count, checked.largest, messages))
            return std::nullopt;
    }
    return checked;
}

}  // namespace

std::optional<int> CheckTileImport(std::span<const std::byte> bytes, const TileDatabase& database,
                                   MessageSink& messages) {
    const auto checked = CheckImport(bytes, database, messages);
    if (!checked) return std::nullopt;
    return checked->count;
}

bool ImportTileBytes(std::span<const std::byte> bytes, TileDatabase& database,
                     MessageSink& messages) {
    const auto checked = CheckImport(bytes, database, messages);
    if (!checked) return false;
    // Room for the largest lists before anything changes; checked whole, every
    // read below succeeds and every record has its tile.
    std::vector<TileArea> areas;
    std::vector<TilePath> paths;
    if (!TakeRoom(areas, checked->largest.areas, "areas", messages) ||
        !TakeRoom(paths, checked->largest.paths, "paths", messages)) {
        return false;
    }
    const int count = checked->count;
    ByteReader in(bytes);
    in.Skip(4);
    for (int i = 0; i < count; ++i) {
        int32_t set = 0;
        int32_t tile = 0;
        int32_t pathCount = 0;
        int32_t areaCount = 0;
        in.ReadI32(set);
        in.ReadI32(tile);
        in.ReadI32(pathCount);
        in.ReadI32(areaCount);
        if (areaCount > 0) {
            ReadList(in, areaCount, areas, ReadArea);
            SetTileAreas(database, set, tile, areas);
        }
        if (pathCount > 0) {
            ReadList(in, pathCount, paths, ReadPath);
            SetTilePaths(database, set, tile, paths);
        }
    }
    messages.Information(Counted(count, "tile", "tiles") + " imported.", "Import Completed");
    return true;
}

bool ImportTiles(const std::filesystem::path& path, TileDatabase& database, MessageSink& messages) {
    std::string detail;
    const std::optional<FileBytes> file = FileBytes::Open(path, &detail);
    if (!file) {
        messages.Error("Error opening Import file.", "File Open Error", detail);
        return false;
    }
    return ImportTileBytes(file->Bytes(), database, messages);
}

bool SetTileAreas(TileDatabase& database, int set, int tile, std::span<const TileArea> areas) {
    TileRecord* record = database.RecordAt(set, tile);
    if (record == nullptr) return false;
    SetList(record->areas, areas);
    return true;
}

bool SetTilePaths(TileDatabase& database, int set, int tile, std::span<const TilePath> paths) {
    TileRecord* record = database.RecordAt(set, tile);
    if (record == nullptr) return false;
    SetList(record->paths, paths);
    return true;
}

FileDialogRequest ExportFileRequest(const std::filesystem::path& tileFolder) {
    FileDialogRequest request;
    request.title = "Save Tile Export File";
    request.proposedName = "*.*";
    request.startFolder = tileFolder;
    return request;
}

FileDialogRequest ImportFileRequest(const std::filesystem::path& tileFolder) {
    FileDialogRequest request;
    request.title = "Open Tile Import File";
    request.proposedName = "*.*";
    request.startFolder = tileFolder;
    request.fileMustExist = true;
    return request;
}

void ReportExportDialogError(int errorCode, MessageSink& messages) {
    messages.Error(FormatText("Export file open error# %d", errorCode), "Error");
}

void ReportImportDialogError(int errorCode, MessageSink& messages) {
    messages.Error(FormatText("Import file open error# %d", errorCode), "Error");
}

}  // namespace lorvane
