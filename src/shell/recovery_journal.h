#pragma once
// The recovery journal: every command applied to the open database since it
// was opened or last saved, one record at a time, appended and flushed the
// moment the command is applied, so that a crash, a killed process or a power
// cut loses none of them. Replayed onto the database as it is on disk, it
// gives back the work that was not saved.
//
// Layout (little-endian, no padding):
//
//   header
//     8 bytes   "LVJRNL4\n"
//     u32       process id of the program that writes it
//     u64       its start time (ProcessStartTime), which tells it from a
//               later process given the same id; 0 when unknown
//     u32 n     length of the database's path, at most 4096
//     n bytes   the database's path (UTF-8), absolute and normalised
//     u64, i64, u64   the database file's size, modification time and
//                     content hash when the journal began
//     u8        base: 0 = the records apply to the database file; 1 or 2 =
//               to recovery copy 1 or 2 written beside the journal (two, so
//               that a new copy never replaces the one the journal on disk
//               still names); then u64 size and u64 content hash of that copy
//   records, to the end of the file, each
//     u8        kind
//     u32 m     length of the body
//     m bytes   body
//     u32       check: the low 32 bits of the ContentHash of kind, length
//               and body
//
// Record kinds and their bodies (i32 unless said otherwise):
//   1 path edit   set, tile, u8 action (1 add, 2 remove, 3 change), entry
//                 (from 1); then the segment before (remove, change) and
//                 after (add, change): type list position, then f32 feet
//                 width, startX, startY, endX, endY, then u8 flags: bit 0
//                 set when the segment begins a path (the other bits are 0)
//   2 area edit   the same with areas: type list position, then f32 feet
//                 radius, centreX, centreY (no flags)
//   3 add set     set, u8 terrain type, u32 count, then count names, each a
//                 u8 length and its characters
//   4 add tiles   the same body as add set
//   5 set type    set, u8 terrain type
//   6 import      u32 length, then the export file's bytes
//
// A record cut short, or whose check fails, ends the journal: what follows
// cannot be trusted (a power cut during the last append). A record of an
// unknown kind is skipped by its length.
//
// Older layouts are still read. Before the fourth, feet are i32 whole feet.
// The third ("LVJRNL3\n") is the fourth with those. The first ("LVJRNL1\n")
// has no start time, and its path may be relative: such a path names no
// file for certain, so its database is never opened by it. In the first and
// the second ("LVJRNL2\n") a segment has no flags: its startY is negative
// when it begins a path, the coordinate being its magnitude (a start at Y 0
// was kept as −1).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "base/file_io.h"
#include "editor/edit_command.h"
#include "editor/edit_document.h"
#include "editor/working_set.h"
#include "shell/file_guard.h"
#include "tiledb/tile_database.h"

namespace lorvane {

inline constexpr size_t kJournalMaxPathLength = 4096;
// The layout this program writes: the digit of the magic.
inline constexpr uint8_t kJournalLayout = 4;
// The first layout whose feet are floats; those before it keep whole feet.
inline constexpr uint8_t kJournalFloatFeetLayout = 4;

enum class TileEditAction : uint8_t { Add = 1, Remove = 2, Change = 3 };

// A change to one entry of a tile's paths or areas: added at entry (the
// entries from there move up one), removed from entry, or changed there.
template <typename Entry>
struct TileEdit {
    int32_t set = 0;
    int32_t tile = 0;
    TileEditAction action = TileEditAction::Add;
    int32_t entry = 1;
    Entry before{};  // remove, change
    Entry after{};   // add, change
    bool operator==(const TileEdit&) const = default;
};
using PathEdit = TileEdit<WorkingPath>;
using AreaEdit = TileEdit<WorkingArea>;

// Tiles added by name to a set (newSet: the add set command).
struct AddTilesRecord {
    bool newSet = false;
    int32_t set = 0;
    uint8_t terrainType = 0;
    std::vector<std::string> names;
    bool operator==(const AddTilesRecord&) const = default;
};

struct SetTypeRecord {
    int32_t set = 0;
    uint8_t terrainType = 0;
    bool operator==(const SetTypeRecord&) const = default;
};

// The whole export file that was imported.
struct ImportRecord {
    std::vector<std::byte> exportFile;
    bool operator==(const ImportRecord&) const = default;
};

using JournalRecord = std::variant<PathEdit, AreaEdit, AddTilesRecord, SetTypeRecord, ImportRecord>;

struct JournalHeader {
    uint8_t layout = kJournalLayout;  // 1 to kJournalLayout, from the magic
    uint32_t processId = 0;
    uint64_t processStart = 0;  // 0: unknown (and in the first layout)
    std::string databasePath;
    FileStamp database;  // the database file when the journal began
    // The records apply to recovery copy 1 or 2 beside the journal, with
    // this size and hash (its time is not kept), instead of the database
    // file; 0: to the database file.
    uint8_t copySlot = 0;
    FileStamp copy;
    bool operator==(const JournalHeader&) const = default;
};

struct Journal {
    JournalHeader header;
    std::vector<JournalRecord> records;
    size_t unknownRecords = 0;  // skipped: of a kind this program does not know
    bool cutShort = false;      // the end could not be read (see the layout)
};

// The records of what an edit command (done, undone or redone) changed in
// the tables of the tile at (set, tile), which now are after: each entry it
// added, removed or changed, in the order it did so (a group: every one of
// its commands'). None when the command does not fit them.
std::vector<JournalRecord> JournalRecordsOf(EditEvent event, const EditCommand& command,
                                            const EditorWorkingSet& after, int32_t set,
                                            int32_t tile);

std::vector<std::byte> SerializeJournalHeader(const JournalHeader& header);
std::vector<std::byte> SerializeJournalRecord(const JournalRecord& record);

// Reads a journal one record at a time, from bytes in memory or from its
// file through one reused buffer, so that its size costs no memory beyond
// the largest record.
class JournalReader {
  public:
    // Nullopt when the header cannot be read.
    static std::optional<JournalReader> OfBytes(std::span<const std::byte> bytes);
    // Nullopt when the file is no regular file, cannot be read or its header
    // cannot be read.
    static std::optional<JournalReader> OfFile(const std::filesystem::path& path);

    JournalReader(JournalReader&&) noexcept = default;
    JournalReader& operator=(JournalReader&&) = delete;
    JournalReader(const JournalReader&) = delete;

    const JournalHeader& header() const { return header_; }
    // The next record of a known kind; nullopt at the end, which is
    // cutShort() when bytes remained that are not a whole sound record.
    std::optional<JournalRecord> Next();
    size_t unknownRecords() const { return unknown_; }
    bool cutShort() const { return cutShort_; }
    // How far it has read, of how many bytes.
    uint64_t position() const { return position_; }
    uint64_t size() const { return size_; }

  private:
    explicit JournalReader(std::unique_ptr<ByteSource> source)
        : source_(std::move(source)), size_(source_->Size()) {}
    bool ReadHeader();
    // Appends count bytes to buffer_; false when there are not so many.
    bool Read(size_t count);

    std::unique_ptr<ByteSource> source_;  // the bytes, or the file read in pieces
    uint64_t position_ = 0;
    uint64_t size_ = 0;
    std::vector<std::byte> buffer_;
    JournalHeader header_;
    size_t unknown_ = 0;
    bool cutShort_ = false;
};

// Reads a whole journal; nullopt when its header cannot be read.
std::optional<Journal> ParseJournal(std::span<const std::byte> bytes);
std::optional<Journal> LoadJournal(const std::filesystem::path& path);
// The header of a journal file alone (its first few kilobytes are read).
std::optional<JournalHeader> LoadJournalHeader(const std::filesystem::path& path);

// Appends to a journal file, each record flushed to the disk before Append
// returns.
class JournalWriter {
  public:
    JournalWriter() = default;
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    ~JournalWriter() { Close(); }

    // Replaces the file at path safely by the header alone, then appends to
    // it. False when it cannot be written.
    bool Start(const std::filesystem::path& path, const JournalHeader& header);
    bool Append(const JournalRecord& record);
    void Close();

    bool IsOpen() const { return file_ != nullptr; }
    uint64_t Size() const { return size_; }

  private:
    bool Write(std::span<const std::byte> bytes);

    void* file_ = nullptr;  // std::FILE*
    uint64_t size_ = 0;
};

}  // namespace lorvane
