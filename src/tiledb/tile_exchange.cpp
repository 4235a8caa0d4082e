#include "tiledb/tile_exchange.h"

#include <algorithm>
#include <bit>
#include <new>

#include "base/file_io.h"
#include "base/format.h"
#include "base/stream_reader.h"
#include "tiledb/list_records.h"
#include "tiledb/tile_diff.h"

namespace lorvane {

namespace {

using list_records::kAreaSize;
using list_records::kPathSize;
constexpr const char* kReadError = "Read Error";
// An export writes the file about this many bytes at a time.
constexpr size_t kExportBandBytes = size_t{256} << 10;
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
    size_t Size() const { return size_; }
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

// Checks that count records of recordSize bytes follow, then skips them.
bool SkipList(StreamReader& in, int32_t count, size_t recordSize) {
    return count >= 0 && in.Fits(static_cast<uint64_t>(count), recordSize) &&
           in.Skip(static_cast<size_t>(count) * recordSize);
}

bool CheckRecord(StreamReader& in, const TileDatabase& database, int record, int count,
                 MessageSink& messages) {
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
    return true;
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

// Makes list the records read for it, when there are any: overwritten in
// place when it has room (a larger list keeps its memory), else the read
// vector itself, so no list is held twice.
template <typename Record>
void PutList(std::vector<Record>& list, std::vector<Record>&& records) {
    if (records.empty()) return;
    if (list.capacity() >= records.size()) {
        list.assign(records.begin(), records.end());
    } else {
        list = std::move(records);
    }
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

}  // namespace

std::string ExportedText(const TileDatabase& database, const std::vector<int32_t>& ids) {
    constexpr size_t kNamed = 8;
    const std::string count = Counted(static_cast<int>(ids.size()), "tile", "tiles");
    if (ids.size() <= kNamed) return count + " exported: " + NameList(database, ids) + ".";
    const std::vector<int32_t> first(ids.begin(), ids.begin() + kNamed);
    std::string names;
    for (const int32_t id : first) names += TileNameById(database, id) + ", ";
    return FormatText("%s exported: %sand %d more.", count.c_str(), names.c_str(),
                      static_cast<int>(ids.size() - kNamed));
}

bool ExportModifiedTiles(const OutputTarget& path, const TileDatabase& database,
                         MessageSink& messages) {
    const int count = CountMarked(database);
    // An export of nothing is no file: one would only replace a file of use.
    if (count == 0) {
        messages.Information(kNoTileMarked, "Export Completed");
        return true;
    }
    SafeFileWriter file;
    if (!file.Open(path)) {
        messages.Error("Error opening Export file.", "File Open Error", file.Detail());
        return false;
    }
    std::vector<int32_t> ids;
    // The records gather in one reused part, written each time it holds a
    // band's worth: a few system calls for the whole file, not three a tile.
    PartBuffer part;
    const auto written = [&](bool last) {
        return (!last && part.Size() < kExportBandBytes) || WritePart(file, part);
    };
    Put(part.Room(4), count);
    for (const TileIndexEntry& entry : database.index) {
        if (!Marked(entry, database)) continue;
        const TileRecord& tile = *database.Tile(entry);
        ids.push_back(entry.id);
        WriteRecordHeader(part, entry, tile);
        if (!written(false)) return ExportFailed("Could not write to export file.", file, messages);
        WriteAreas(part, tile.areas);
        if (!written(false)) return ExportFailed("Could not write import areas.", file, messages);
        WritePaths(part, tile.paths);
        if (!written(false)) return ExportFailed("Could not write import paths.", file, messages);
    }
    if (!written(true)) return ExportFailed("Could not write to export file.", file, messages);
    if (!file.Commit()) return ExportFailed("Could not write to export file.", file, messages);
    messages.Information(ExportedText(database, ids), "Export Completed");
    return true;
}

namespace {

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
};

std::optional<CheckedImport> CheckImport(StreamReader& in, const TileDatabase& database,
                                         MessageSink& messages) {
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
        if (!CheckRecord(in, database, i + 1, count, messages)) return std::nullopt;
    }
    return checked;
}

// The lists one record carries, read before any takes its place.
struct ImportedLists {
    int32_t set = 0;
    int32_t tile = 0;
    std::vector<TileArea> areas;
    std::vector<TilePath> paths;
};

constexpr const char* kImportOpenFailed = "Error opening Import file.";

bool OpenFailed(const ByteSource& source, MessageSink& messages) {
    messages.Error(kImportOpenFailed, "File Open Error", source.Detail());
    return false;
}

// Checks the whole file through one band; the record count, or nullopt
// after the message of the first bad field, or only the open message when
// the source failed or changed meanwhile.
std::optional<CheckedImport> CheckSource(ByteSource& source, const TileDatabase& database,
                                         MessageSink& messages) {
    MessageLog held;
    StreamReader in(source);
    std::optional<CheckedImport> checked = CheckImport(in, database, held);
    if (in.SourceFailed() || !source.Unchanged()) {
        OpenFailed(source, messages);
        return std::nullopt;
    }
    for (const Message& message : held.messages) messages.Show(message);
    return checked;
}

}  // namespace

std::optional<int> CheckTileImport(ByteSource& source, const TileDatabase& database,
                                   MessageSink& messages) {
    const auto checked = CheckSource(source, database, messages);
    if (!checked) return std::nullopt;
    return checked->count;
}

std::optional<int> CheckTileImport(std::span<const std::byte> bytes, const TileDatabase& database,
                                   MessageSink& messages) {
    MemoryBytes source(bytes);
    return CheckTileImport(source, database, messages);
}

bool ImportTilesFrom(ByteSource& source, TileDatabase& database, MessageSink& messages) {
    const auto checked = CheckSource(source, database, messages);
    if (!checked) return false;
    // Checked whole, every read below succeeds and every record has its
    // tile. The lists are read a second time through the band into the
    // vectors the tiles will hold, and put in place only once the whole
    // file was read unchanged: a file that changes between the two reads is
    // refused with the database as it was.
    std::vector<ImportedLists> records;
    try {
        records.resize(static_cast<size_t>(checked->count));
        StreamReader in(source);
        in.Skip(4);
        for (ImportedLists& record : records) {
            int32_t pathCount = 0;
            int32_t areaCount = 0;
            in.ReadI32(record.set);
            in.ReadI32(record.tile);
            in.ReadI32(pathCount);
            in.ReadI32(areaCount);
            list_records::ReadAreas(in, areaCount, record.areas);
            list_records::ReadPaths(in, pathCount, record.paths);
        }
        if (in.SourceFailed() || !source.Unchanged()) return OpenFailed(source, messages);
    } catch (const std::bad_alloc&) {
        messages.Error("Failed to allocate memory for the import areas and paths.",
                       "Memory Allocation Error");
        return false;
    }
    for (ImportedLists& record : records) {
        TileRecord* tile = database.RecordAt(record.set, record.tile);
        PutList(tile->areas, std::move(record.areas));
        PutList(tile->paths, std::move(record.paths));
    }
    messages.Information(Counted(checked->count, "tile", "tiles") + " imported.",
                         "Import Completed");
    return true;
}

bool ImportTileBytes(std::span<const std::byte> bytes, TileDatabase& database,
                     MessageSink& messages) {
    MemoryBytes source(bytes);
    return ImportTilesFrom(source, database, messages);
}

bool ImportTiles(const std::filesystem::path& path, TileDatabase& database, MessageSink& messages) {
    std::string detail;
    std::optional<InputFile> file = InputFile::Open(path, &detail);
    if (!file) {
        messages.Error(kImportOpenFailed, "File Open Error", detail);
        return false;
    }
    return ImportTilesFrom(*file, database, messages);
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
