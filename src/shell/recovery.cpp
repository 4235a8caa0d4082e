#include "shell/recovery.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <system_error>
#include <utility>

#include "base/file_io.h"
#include "base/format.h"
#include "base/path_text.h"
#include "tiledb/texture_bin.h"
#include "tiledb/tile_exchange.h"
#include "tiledb/tile_sets.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace lorvane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kJournalExtension = ".journal";

std::string Hex64(uint64_t value) {
    return FormatText("%016llx", static_cast<unsigned long long>(value));
}

}  // namespace

fs::path JournalPathFor(const fs::path& folder, const std::string& databasePath, int n) {
    std::error_code error;
    const fs::path absolute = fs::absolute(PathFromUtf8(databasePath), error);
    const std::string full = error ? databasePath : PathToUtf8(absolute.lexically_normal());
    const uint64_t hash =
        ContentHash({reinterpret_cast<const std::byte*>(full.data()), full.size()});
    std::string name = PathToUtf8(PathFromUtf8(databasePath).filename()) + "-" + Hex64(hash);
    if (n > 0) name += "-" + std::to_string(n);
    return folder / PathFromUtf8(name + kJournalExtension);
}

fs::path RecoveryCopyPath(const fs::path& journalPath, int slot) {
    fs::path copy = journalPath;
    copy.replace_extension(PathFromUtf8(".recovery" + std::to_string(slot) + ".bin"));
    return copy;
}

uint32_t CurrentProcessId() {
#if defined(_WIN32)
    return static_cast<uint32_t>(_getpid());
#else
    return static_cast<uint32_t>(::getpid());
#endif
}

bool ProcessRunning(uint32_t processId) {
#if defined(_WIN32)
    (void)processId;
    return false;  // no test here: every journal of another run is offered
#else
    if (processId == 0 || processId > static_cast<uint32_t>(INT32_MAX)) return false;
    return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
#endif
}

uint64_t ProcessStartTime(uint32_t processId) {
#if defined(__linux__)
    // Field 22 of /proc/PID/stat: the start in clock ticks after the boot;
    // with the boot's own time (btime of /proc/stat) it is a moment in
    // time, which no later process of the same id shares.
    std::FILE* stat = std::fopen(("/proc/" + std::to_string(processId) + "/stat").c_str(), "r");
    if (stat == nullptr) return 0;
    char line[1024] = "";
    const size_t length = std::fread(line, 1, sizeof(line) - 1, stat);
    std::fclose(stat);
    line[length] = '\0';
    // The command name in parentheses may hold spaces: fields count from
    // its closing parenthesis (field 2).
    const char* at = std::strrchr(line, ')');
    if (at == nullptr) return 0;
    int field = 2;
    unsigned long long ticks = 0;
    for (const char* p = at + 1; *p != '\0'; ++p) {
        if (*p != ' ') continue;
        if (++field == 22) {
            ticks = std::strtoull(p + 1, nullptr, 10);
            break;
        }
    }
    if (ticks == 0) return 0;
    unsigned long long boot = 0;
    if (std::FILE* system = std::fopen("/proc/stat", "r")) {
        char row[256];
        while (std::fgets(row, sizeof(row), system) != nullptr)
            if (std::sscanf(row, "btime %llu", &boot) == 1) break;
        std::fclose(system);
    }
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    return boot * static_cast<unsigned long long>(perSecond > 0 ? perSecond : 100) + ticks;
#else
    (void)processId;
    return 0;
#endif
}

bool JournalWriterRuns(const JournalHeader& header) {
    if (header.processId == CurrentProcessId() || !ProcessRunning(header.processId)) return false;
    // A process of that id that started at another moment is another
    // program: the writer is gone (a restart of the machine, say).
    return header.processStart == 0 || ProcessStartTime(header.processId) == header.processStart;
}

std::string JournalDatabasePath(const std::string& databasePath) {
    std::error_code error;
    const fs::path absolute = fs::absolute(PathFromUtf8(databasePath), error);
    if (error) return databasePath;
    return PathToUtf8(absolute.lexically_normal());
}

bool JournalNamesDatabase(const JournalHeader& header, const std::string& path) {
    const fs::path named = PathFromUtf8(header.databasePath);
    if (!named.is_absolute()) return false;
    std::error_code error;
    if (fs::equivalent(named, PathFromUtf8(path), error)) return true;
    return named.lexically_normal() == PathFromUtf8(JournalDatabasePath(path));
}

// ---- The journal being written ----

void RecoveryJournal::Reset(const std::string& databasePath) {
    RemoveFiles();
    // Named by its absolute path: a journal read in another folder must
    // never lead to another file of the same name.
    databasePath_ = JournalDatabasePath(databasePath);
    databaseStamp_ = StampFile(PathFromUtf8(databasePath_)).value_or(FileStamp{});
}

void RecoveryJournal::Clear() {
    RemoveFiles();
    databasePath_.clear();
}

void RemoveJournalFiles(const fs::path& journalPath) {
    std::error_code ignored;
    // The journal goes first: a copy without its journal is never offered.
    fs::remove(journalPath, ignored);
    for (int slot : {1, 2}) fs::remove(RecoveryCopyPath(journalPath, slot), ignored);
}

void RecoveryJournal::RemoveFiles() {
    writer_.Close();
    if (journalPath_.empty()) return;
    RemoveJournalFiles(journalPath_);
    journalPath_.clear();
    copySlot_ = 0;
    broken_ = false;
}

void RecoveryJournal::ChooseJournalPath() {
    if (!journalPath_.empty()) return;
    std::error_code error;
    fs::create_directories(folder_, error);
    // A journal kept for later keeps its name: this one takes the next.
    for (int n = 0; n < 1000; ++n) {
        journalPath_ = JournalPathFor(folder_, databasePath_, n);
        if (!PathExists(journalPath_)) break;
    }
}

bool RecoveryJournal::Start(uint8_t copySlot, const FileStamp& copy) {
    ChooseJournalPath();
    JournalHeader header;
    header.processId = processId_;
    header.processStart = processStart_;
    header.databasePath = databasePath_;
    header.database = databaseStamp_;
    header.copySlot = copySlot;
    header.copy = copy;
    if (!writer_.Start(journalPath_, header)) return false;
    copySlot_ = copySlot;
    return true;
}

bool RecoveryJournal::Record(const JournalRecord& record,
                             const std::function<TileDatabase()>& current) {
    if (databasePath_.empty()) return true;
    if (!broken_) {
        if (writer_.IsOpen() || Start(0, {})) {
            if (!writer_.Append(record)) {
                broken_ = true;
            } else {
                if (writer_.Size() > sizeLimit_) ReplaceByCopy(current());
                return true;
            }
        } else {
            broken_ = true;
        }
    }
    // A journal that missed a command must not be appended to: a copy of the
    // database as it is now starts a sound one, or nothing is journaled.
    broken_ = !ReplaceByCopy(current());
    return !broken_;
}

bool RecoveryJournal::Snapshot(const TileDatabase& current) {
    if (databasePath_.empty()) return false;
    broken_ = !ReplaceByCopy(current);
    return !broken_;
}

bool RecoveryJournal::ReplaceByCopy(const TileDatabase& current) {
    ChooseJournalPath();
    // The new copy goes into the other slot, so that until the new journal
    // names it, the journal on disk and the copy it names still agree.
    const uint8_t slot = copySlot_ == 1 ? 2 : 1;
    const std::vector<std::byte> bytes = SerializeTextureBin(current);
    // When the copy cannot be written, the journal simply grows.
    if (ReplaceFile(RecoveryCopyPath(journalPath_, slot), bytes) != WriteStatus::Ok) return false;
    const uint8_t oldSlot = copySlot_;
    FileStamp copy;
    copy.size = bytes.size();
    copy.hash = ContentHash(bytes);
    if (!Start(slot, copy)) return false;
    std::error_code ignored;
    if (oldSlot != 0) fs::remove(RecoveryCopyPath(journalPath_, oldSlot), ignored);
    return true;
}

// ---- Journals left by another run ----

std::vector<LeftJournal> FindLeftJournals(const fs::path& folder, const fs::path& own) {
    std::vector<LeftJournal> left;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const fs::path& path = entry.path();
        if (path.extension() != kJournalExtension || path == own) continue;
        std::optional<JournalHeader> header = LoadJournalHeader(path);
        if (!header) continue;
        // Another program that runs now is still writing it.
        if (JournalWriterRuns(*header)) continue;
        std::error_code timeError;
        const fs::file_time_type time = fs::last_write_time(path, timeError);
        left.push_back({path, std::move(*header), time});
    }
    std::sort(left.begin(), left.end(), [](const LeftJournal& a, const LeftJournal& b) {
        return a.lastChange > b.lastChange;
    });
    return left;
}

std::optional<TileDatabase> LoadJournalBase(const LeftJournal& left, MessageSink& messages) {
    const JournalHeader& header = left.header;
    if (header.copySlot == 0) return LoadTextureBin(PathFromUtf8(header.databasePath), messages);
    const fs::path copyPath = RecoveryCopyPath(left.path, header.copySlot);
    const std::optional<FileStamp> stamp = StampFile(copyPath);
    if (!stamp || ContentDiffers(header.copy, *stamp)) {
        messages.Error(
            FormatText("The recovery copy %s is missing or damaged.", PathToUtf8(copyPath).c_str()),
            "Recovery");
        return std::nullopt;
    }
    return LoadTextureBin(copyPath, messages);
}

bool DatabaseChangedSince(const JournalHeader& header) {
    const std::optional<FileStamp> now = StampFile(PathFromUtf8(header.databasePath));
    return !now || ContentDiffers(header.database, *now);
}

// ---- Replay ----

namespace {

// Feet as the program that wrote a journal before the fourth layout kept
// them: cut toward zero to whole feet when it took a tile in.
float WholeFeetOf(float feet) { return static_cast<float>(CutToFeet(feet)); }

WorkingPath InWholeFeet(WorkingPath p) {
    for (float* feet : {&p.width, &p.startX, &p.startY, &p.endX, &p.endY})
        *feet = WholeFeetOf(*feet);
    return p;
}

WorkingArea InWholeFeet(WorkingArea a) {
    for (float* feet : {&a.radius, &a.centerX, &a.centerY}) *feet = WholeFeetOf(*feet);
    return a;
}

// Whether an entry of the tables is the one an edit found there. A journal
// of whole feet found the entry in whole feet.
bool Same(const WorkingPath& entry, WorkingPath before, bool wholeFeet) {
    // The file keeps no path boundaries: whether a segment begins a path is
    // read from its place, so it may differ after a tile was written back
    // and taken in.
    before.beginsPath = entry.beginsPath;
    return (wholeFeet ? InWholeFeet(entry) : entry) == before;
}

bool Same(const WorkingArea& entry, const WorkingArea& before, bool wholeFeet) {
    return (wholeFeet ? InWholeFeet(entry) : entry) == before;
}

const char* ActionVerb(TileEditAction action) {
    switch (action) {
        case TileEditAction::Add:
            return "adding";
        case TileEditAction::Remove:
            return "removing";
        case TileEditAction::Change:
            return "changing";
    }
    return "changing";
}

template <typename Entry>
std::string Describe(const TileEdit<Entry>& edit) {
    return FormatText("%s %s %d of tile %d in set %d", ActionVerb(edit.action),
                      std::is_same_v<Entry, WorkingPath> ? "segment" : "area", edit.entry,
                      edit.tile, edit.set);
}

std::string Describe(const AddTilesRecord& added) {
    return added.newSet ? FormatText("adding set %d", added.set)
                        : FormatText("adding tiles to set %d", added.set);
}

std::string Describe(const SetTypeRecord& change) {
    return FormatText("giving set %d the type %s", change.set, TypeName(change.terrainType));
}

std::string Describe(const ImportRecord&) { return "importing tiles"; }

// A tile's entries while a journal is replayed onto it: in blocks of at most
// 2 × kBlock entries, so that an edit anywhere in a long table moves one
// block, not the whole table (a journal that adds at the front of a tile
// again and again stays fast).
template <typename Entry>
class EntryTable {
  public:
    static constexpr size_t kBlock = 256;

    explicit EntryTable(const std::vector<Entry>& entries) : size_(entries.size()) {
        for (size_t at = 0; at < entries.size(); at += kBlock) {
            const size_t end = std::min(entries.size(), at + kBlock);
            blocks_.emplace_back(entries.begin() + static_cast<std::ptrdiff_t>(at),
                                 entries.begin() + static_cast<std::ptrdiff_t>(end));
        }
    }

    size_t size() const { return size_; }
    Entry& At(size_t at) {
        auto [block, offset] = Find(at);
        return blocks_[block][offset];
    }
    void Insert(size_t at, const Entry& entry) {
        if (blocks_.empty()) blocks_.emplace_back();
        auto [block, offset] = Find(at);
        std::vector<Entry>& entries = blocks_[block];
        entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(offset), entry);
        ++size_;
        if (entries.size() < 2 * kBlock) return;
        std::vector<Entry> second(entries.begin() + kBlock, entries.end());
        entries.resize(kBlock);
        blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(block) + 1, std::move(second));
    }
    void Erase(size_t at) {
        auto [block, offset] = Find(at);
        std::vector<Entry>& entries = blocks_[block];
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(offset));
        --size_;
        if (entries.empty()) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(block));
    }
    std::vector<Entry> Flatten() const {
        std::vector<Entry> entries;
        entries.reserve(size_);
        for (const std::vector<Entry>& block : blocks_)
            entries.insert(entries.end(), block.begin(), block.end());
        return entries;
    }

  private:
    // The block and place of entry at; at == size() is the end of the last.
    std::pair<size_t, size_t> Find(size_t at) const {
        for (size_t block = 0; block + 1 < blocks_.size(); ++block) {
            if (at < blocks_[block].size()) return {block, at};
            at -= blocks_[block].size();
        }
        return {blocks_.size() - 1, at};
    }

    std::vector<std::vector<Entry>> blocks_;
    size_t size_ = 0;
};

// Applies an edit to a table; false, with the table as it was, when the
// entry is not there or not what the edit changed.
template <typename Entry>
bool ApplyEdit(EntryTable<Entry>& table, const TileEdit<Entry>& edit, bool wholeFeet) {
    const auto count = static_cast<int64_t>(table.size());
    const int64_t at = static_cast<int64_t>(edit.entry) - 1;
    if (edit.action == TileEditAction::Add) {
        if (at < 0 || at > count) return false;
        table.Insert(static_cast<size_t>(at), edit.after);
        return true;
    }
    if (at < 0 || at >= count || !Same(table.At(static_cast<size_t>(at)), edit.before, wholeFeet))
        return false;
    if (edit.action == TileEditAction::Remove) {
        table.Erase(static_cast<size_t>(at));
    } else {
        table.At(static_cast<size_t>(at)) = edit.after;
    }
    return true;
}

class Replayer {
  public:
    // A journal before the fourth layout keeps whole feet (wholeFeet).
    Replayer(TileDatabase& database, bool wholeFeet) : database_(database), wholeFeet_(wholeFeet) {}

    void Add(const JournalRecord& record) {
        const std::string failure = std::visit([&](const auto& r) { return Apply(r); }, record);
        if (failure.empty()) {
            ++result_.applied;
        } else {
            const std::string what = std::visit([](const auto& r) { return Describe(r); }, record);
            result_.skipped.push_back(what + ": " + failure);
        }
    }

    ReplayResult Finish(size_t unknownRecords, bool cutShort) {
        WriteBackTiles();
        result_.unknownRecords = unknownRecords;
        result_.cutShort = cutShort;
        return std::move(result_);
    }

  private:
    struct OpenTile {
        EditorWorkingSet working;  // as taken in, until it is written back
        std::optional<EntryTable<WorkingPath>> paths;
        std::optional<EntryTable<WorkingArea>> areas;
    };

    // The tile's tables, taken in at its first edit.
    OpenTile* Take(int32_t set, int32_t tile) {
        if (set < 0 || set >= database_.setCount()) return nullptr;
        const TileSet& tiles = database_.sets[static_cast<size_t>(set)];
        if (tile < 0 || tile >= tiles.tileCount()) return nullptr;
        auto [it, added] = open_.try_emplace({set, tile});
        if (added) {
            EditorChoices choices;
            TakeInPaths(it->second.working, choices, database_, set, tile);
            TakeInAreas(it->second.working, choices, database_, set, tile);
            it->second.paths.emplace(it->second.working.paths);
            it->second.areas.emplace(it->second.working.areas);
        }
        return &it->second;
    }

    // Database commands see the tiles with every edit before them. A tile
    // whose edits came to nothing keeps its record as it was, to the last
    // fraction of a foot, as the editor keeps it.
    void WriteBackTiles() {
        for (auto& [place, tile] : open_) {
            std::vector<WorkingPath> paths = tile.paths->Flatten();
            std::vector<WorkingArea> areas = tile.areas->Flatten();
            if (paths == tile.working.paths && areas == tile.working.areas) continue;
            tile.working.paths = std::move(paths);
            tile.working.areas = std::move(areas);
            WriteBackPaths(tile.working, database_, place.first, place.second);
            WriteBackAreas(tile.working, database_, place.first, place.second);
            if (const TileRecord* record = database_.RecordAt(place.first, place.second))
                MarkTileForExport(database_, record->id);
        }
        open_.clear();
    }

    std::string Apply(const PathEdit& edit) {
        OpenTile* tile = Take(edit.set, edit.tile);
        if (tile == nullptr) return "there is no such tile";
        if (!ApplyEdit(*tile->paths, edit, wholeFeet_))
            return "the segment is not as it was changed";
        return {};
    }

    std::string Apply(const AreaEdit& edit) {
        OpenTile* tile = Take(edit.set, edit.tile);
        if (tile == nullptr) return "there is no such tile";
        if (!ApplyEdit(*tile->areas, edit, wholeFeet_)) return "the area is not as it was changed";
        return {};
    }

    std::string Apply(const AddTilesRecord& added) {
        WriteBackTiles();
        MessageLog refusals;
        if (AddTilesToSet(database_, added.set, added.terrainType, added.names, refusals))
            return {};
        return refusals.messages.empty() ? "refused" : refusals.messages.front().text;
    }

    std::string Apply(const SetTypeRecord& change) {
        WriteBackTiles();
        return ChangeSetTerrainType(database_, change.set, change.terrainType)
                   ? std::string()
                   : "there is no such set";
    }

    std::string Apply(const ImportRecord& import) {
        WriteBackTiles();
        MessageLog report;
        if (ImportTileBytes(import.exportFile, database_, report)) return {};
        return report.messages.empty() ? "refused" : report.messages.front().text;
    }

    TileDatabase& database_;
    bool wholeFeet_;
    std::map<std::pair<int32_t, int32_t>, OpenTile> open_;
    ReplayResult result_;
};

}  // namespace

ReplayResult ReplayJournal(const Journal& journal, TileDatabase& database) {
    Replayer replayer(database, journal.header.layout < kJournalFloatFeetLayout);
    for (const JournalRecord& record : journal.records) replayer.Add(record);
    return replayer.Finish(journal.unknownRecords, journal.cutShort);
}

ReplayResult ReplayJournal(JournalReader& journal, TileDatabase& database,
                           const std::function<void(uint64_t, uint64_t)>& progress) {
    Replayer replayer(database, journal.header().layout < kJournalFloatFeetLayout);
    while (std::optional<JournalRecord> record = journal.Next()) {
        replayer.Add(*record);
        if (progress) progress(journal.position(), journal.size());
    }
    return replayer.Finish(journal.unknownRecords(), journal.cutShort());
}

}  // namespace lorvane
