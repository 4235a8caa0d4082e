#include "shell/recovery_journal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <type_traits>
#include <utility>

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "base/file_io.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace lorvane {

namespace {

// "LVJRNL" and the layout's digit, then a line feed.
constexpr char kMagicStart[6] = {'L', 'V', 'J', 'R', 'N', 'L'};
constexpr size_t kMagicSize = 8;
// The flags of a segment (from the third layout on).
constexpr uint8_t kBeginsPath = 1;
constexpr size_t kRecordFrameSize = 1 + 4 + 4;  // kind, length, check

enum class Kind : uint8_t {
    PathEdit = 1,
    AreaEdit = 2,
    AddSet = 3,
    AddTiles = 4,
    SetType = 5,
    Import = 6,
};

// ---- Writing ----

void U64(ByteWriter& out, uint64_t value) {
    out.U32(static_cast<uint32_t>(value));
    out.U32(static_cast<uint32_t>(value >> 32));
}

void Stamp(ByteWriter& out, const FileStamp& stamp) {
    U64(out, stamp.size);
    U64(out, static_cast<uint64_t>(stamp.modified));
    U64(out, stamp.hash);
}

void Fields(ByteWriter& out, const WorkingPath& p) {
    out.I32(p.typeChoice);
    for (float feet : {p.width, p.startX, p.startY, p.endX, p.endY}) out.F32(feet);
    out.U8(p.beginsPath ? kBeginsPath : 0);
}

void Fields(ByteWriter& out, const WorkingArea& a) {
    out.I32(a.typeChoice);
    for (float feet : {a.radius, a.centerX, a.centerY}) out.F32(feet);
}

template <typename Entry>
Kind WriteBody(ByteWriter& out, const TileEdit<Entry>& edit) {
    out.I32(edit.set);
    out.I32(edit.tile);
    out.U8(static_cast<uint8_t>(edit.action));
    out.I32(edit.entry);
    if (edit.action != TileEditAction::Add) Fields(out, edit.before);
    if (edit.action != TileEditAction::Remove) Fields(out, edit.after);
    return std::is_same_v<Entry, WorkingPath> ? Kind::PathEdit : Kind::AreaEdit;
}

Kind WriteBody(ByteWriter& out, const AddTilesRecord& added) {
    out.I32(added.set);
    out.U8(added.terrainType);
    out.U32(static_cast<uint32_t>(added.names.size()));
    for (const std::string& name : added.names) {
        // Tile names are short; a longer one is cut to what its length byte holds.
        const size_t length = std::min<size_t>(name.size(), 255);
        out.U8(static_cast<uint8_t>(length));
        out.Chars({name.data(), length});
    }
    return added.newSet ? Kind::AddSet : Kind::AddTiles;
}

Kind WriteBody(ByteWriter& out, const SetTypeRecord& change) {
    out.I32(change.set);
    out.U8(change.terrainType);
    return Kind::SetType;
}

Kind WriteBody(ByteWriter& out, const ImportRecord& import) {
    out.U32(static_cast<uint32_t>(import.exportFile.size()));
    out.Bytes(import.exportFile);
    return Kind::Import;
}

uint32_t Check(std::span<const std::byte> framed) {
    return static_cast<uint32_t>(ContentHash(framed));
}

// ---- Reading ----

bool ReadU64(ByteReader& in, uint64_t& value) {
    uint32_t low = 0;
    uint32_t high = 0;
    if (!in.ReadU32(low) || !in.ReadU32(high)) return false;
    value = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool ReadStamp(ByteReader& in, FileStamp& stamp) {
    uint64_t modified = 0;
    if (!ReadU64(in, stamp.size) || !ReadU64(in, modified) || !ReadU64(in, stamp.hash))
        return false;
    stamp.modified = static_cast<int64_t>(modified);
    return true;
}

// Feet of a record: floats from the fourth layout on (NaN is read as 0, as
// the tables never hold it), whole feet before.
bool ReadFeet(ByteReader& in, uint8_t layout, std::initializer_list<float*> feet) {
    for (float* value : feet) {
        if (layout >= kJournalFloatFeetLayout) {
            if (!in.ReadF32(*value)) return false;
            *value = FeetOf(*value);
            continue;
        }
        int32_t whole = 0;
        if (!in.ReadI32(whole)) return false;
        *value = static_cast<float>(whole);
    }
    return true;
}

bool ReadFields(ByteReader& in, WorkingPath& p, uint8_t layout) {
    if (!in.ReadI32(p.typeChoice) ||
        !ReadFeet(in, layout, {&p.width, &p.startX, &p.startY, &p.endX, &p.endY}))
        return false;
    if (layout < 3) {
        // The first two layouts mark the beginning of a path by a negative
        // start Y.
        p.beginsPath = p.startY < 0;
        p.startY = std::abs(p.startY);
        return true;
    }
    uint8_t flags = 0;
    if (!in.ReadU8(flags) || (flags & ~kBeginsPath) != 0) return false;
    p.beginsPath = (flags & kBeginsPath) != 0;
    return true;
}

bool ReadFields(ByteReader& in, WorkingArea& a, uint8_t layout) {
    return in.ReadI32(a.typeChoice) && ReadFeet(in, layout, {&a.radius, &a.centerX, &a.centerY});
}

template <typename Entry>
std::optional<JournalRecord> ReadEdit(ByteReader& in, uint8_t layout) {
    TileEdit<Entry> edit;
    uint8_t action = 0;
    if (!in.ReadI32(edit.set) || !in.ReadI32(edit.tile) || !in.ReadU8(action) ||
        !in.ReadI32(edit.entry))
        return std::nullopt;
    if (action < 1 || action > 3) return std::nullopt;
    edit.action = static_cast<TileEditAction>(action);
    if (edit.action != TileEditAction::Add && !ReadFields(in, edit.before, layout))
        return std::nullopt;
    if (edit.action != TileEditAction::Remove && !ReadFields(in, edit.after, layout))
        return std::nullopt;
    return edit;
}

std::optional<JournalRecord> ReadAddTiles(ByteReader& in, bool newSet) {
    AddTilesRecord added;
    added.newSet = newSet;
    uint32_t count = 0;
    if (!in.ReadI32(added.set) || !in.ReadU8(added.terrainType) || !in.ReadU32(count) ||
        !in.Fits(count, 1))  // every name takes its length byte at least
        return std::nullopt;
    added.names.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t length = 0;
        std::string name;
        if (!in.ReadU8(length)) return std::nullopt;
        name.resize(length);
        if (!in.ReadChars(name)) return std::nullopt;
        added.names.push_back(std::move(name));
    }
    return added;
}

std::optional<JournalRecord> ReadSetType(ByteReader& in) {
    SetTypeRecord change;
    if (!in.ReadI32(change.set) || !in.ReadU8(change.terrainType)) return std::nullopt;
    return change;
}

std::optional<JournalRecord> ReadImport(ByteReader& in) {
    uint32_t length = 0;
    std::span<const std::byte> bytes;
    if (!in.ReadU32(length) || !in.Take(length, bytes)) return std::nullopt;
    return ImportRecord{{bytes.begin(), bytes.end()}};
}

// The record of a body that passed its check; nullopt when the body does not
// hold what its kind says, or holds more.
std::optional<JournalRecord> ReadBody(Kind kind, std::span<const std::byte> body, uint8_t layout) {
    ByteReader in(body);
    std::optional<JournalRecord> record;
    switch (kind) {
        case Kind::PathEdit:
            record = ReadEdit<WorkingPath>(in, layout);
            break;
        case Kind::AreaEdit:
            record = ReadEdit<WorkingArea>(in, layout);
            break;
        case Kind::AddSet:
            record = ReadAddTiles(in, true);
            break;
        case Kind::AddTiles:
            record = ReadAddTiles(in, false);
            break;
        case Kind::SetType:
            record = ReadSetType(in);
            break;
        case Kind::Import:
            record = ReadImport(in);
            break;
    }
    if (!in.AtEnd()) return std::nullopt;
    return record;
}

bool KnownKind(uint8_t kind) { return kind >= 1 && kind <= static_cast<uint8_t>(Kind::Import); }

// The layout a magic names; 0 when it is none of those this program reads.
uint8_t LayoutOfMagic(std::span<const char> magic) {
    if (std::memcmp(magic.data(), kMagicStart, sizeof(kMagicStart)) != 0 || magic[7] != '\n')
        return 0;
    const int digit = magic[6] - '0';
    return digit >= 1 && digit <= kJournalLayout ? static_cast<uint8_t>(digit) : 0;
}

// The header's fields after the magic.
bool ReadHeaderFields(ByteReader& in, JournalHeader& header) {
    uint32_t length = 0;
    if (!in.ReadU32(header.processId)) return false;
    header.processStart = 0;
    if (header.layout > 1 && !ReadU64(in, header.processStart)) return false;
    if (!in.ReadU32(length) || length > kJournalMaxPathLength) return false;
    header.databasePath.resize(length);
    uint8_t base = 0;
    if (!in.ReadChars(header.databasePath) || !ReadStamp(in, header.database) || !in.ReadU8(base))
        return false;
    if (base > 2) return false;
    header.copySlot = base;
    return base == 0 || (ReadU64(in, header.copy.size) && ReadU64(in, header.copy.hash));
}

// The largest header: magic, process id and start, path length and path,
// stamp, base and the copy's size and hash.
constexpr size_t kMaxHeaderSize = kMagicSize + 4 + 8 + 4 + kJournalMaxPathLength + 24 + 1 + 16;

template <typename Entry>
TileEdit<Entry> EditOf(const EntryChange& change, int32_t set, int32_t tile) {
    TileEdit<Entry> edit;
    edit.set = set;
    edit.tile = tile;
    edit.entry = change.entry;
    edit.action = change.action == EntryAction::Add      ? TileEditAction::Add
                  : change.action == EntryAction::Remove ? TileEditAction::Remove
                                                         : TileEditAction::Change;
    if (const Entry* before = std::get_if<Entry>(&change.before)) edit.before = *before;
    if (const Entry* after = std::get_if<Entry>(&change.after)) edit.after = *after;
    return edit;
}

}  // namespace

std::vector<JournalRecord> JournalRecordsOf(EditEvent event, const EditCommand& command,
                                            const EditorWorkingSet& after, int32_t set,
                                            int32_t tile) {
    // The tables before: the command taken back on a copy of them; then the
    // command run again on that copy tells its changes one entry at a time.
    const bool undone = event == EditEvent::Undone;
    EditorWorkingSet tables;
    tables.paths = after.paths;
    tables.areas = after.areas;
    if (!(undone ? command.Redo(tables) : command.Undo(tables))) return {};
    std::vector<EntryChange> changes;
    if (!command.Changes(tables, undone, changes)) return {};
    std::vector<JournalRecord> records;
    records.reserve(changes.size());
    for (const EntryChange& change : changes) {
        if (change.list == EntryKind::Path)
            records.push_back(EditOf<WorkingPath>(change, set, tile));
        else
            records.push_back(EditOf<WorkingArea>(change, set, tile));
    }
    return records;
}

std::vector<std::byte> SerializeJournalHeader(const JournalHeader& header) {
    ByteWriter out;
    out.Chars(kMagicStart);
    out.U8(static_cast<uint8_t>('0' + kJournalLayout));
    out.U8('\n');
    out.U32(header.processId);
    U64(out, header.processStart);
    const size_t length = std::min(header.databasePath.size(), kJournalMaxPathLength);
    out.U32(static_cast<uint32_t>(length));
    out.Chars({header.databasePath.data(), length});
    Stamp(out, header.database);
    const uint8_t slot = header.copySlot <= 2 ? header.copySlot : 0;
    out.U8(slot);
    if (slot != 0) {
        U64(out, header.copy.size);
        U64(out, header.copy.hash);
    }
    return out.Take();
}

std::vector<std::byte> SerializeJournalRecord(const JournalRecord& record) {
    ByteWriter body;
    const Kind kind = std::visit([&](const auto& r) { return WriteBody(body, r); }, record);
    ByteWriter out;
    out.Reserve(kRecordFrameSize + body.Size());
    out.U8(static_cast<uint8_t>(kind));
    out.U32(static_cast<uint32_t>(body.Size()));
    out.Bytes(body.Data());
    out.U32(Check(out.Data()));
    return out.Take();
}

// ---- JournalReader ----

std::optional<JournalReader> JournalReader::OfBytes(std::span<const std::byte> bytes) {
    JournalReader reader(std::make_unique<MemoryBytes>(bytes));
    if (!reader.ReadHeader()) return std::nullopt;
    return reader;
}

std::optional<JournalReader> JournalReader::OfFile(const std::filesystem::path& path) {
    // Only regular files: a FIFO or a device would block or never end.
    std::optional<InputFile> file = InputFile::Open(path);
    if (!file) return std::nullopt;
    JournalReader reader(std::make_unique<InputFile>(std::move(*file)));
    if (!reader.ReadHeader()) return std::nullopt;
    return reader;
}

bool JournalReader::Read(size_t count) {
    // Never more than the file held when it was opened: a length read from
    // the file cannot make the buffer grow past that.
    if (count > size_ - position_) return false;
    const size_t at = buffer_.size();
    buffer_.resize(at + count);
    if (!source_->ReadAt(position_, std::span<std::byte>(buffer_).subspan(at))) return false;
    position_ += count;
    return true;
}

bool JournalReader::ReadHeader() {
    buffer_.clear();
    if (!Read(std::min<uint64_t>(kMaxHeaderSize, size_))) return false;
    ByteReader in(buffer_);
    char magic[kMagicSize];
    if (!in.ReadChars(magic)) return false;
    header_.layout = LayoutOfMagic(magic);
    if (header_.layout == 0 || !ReadHeaderFields(in, header_)) return false;
    // The bytes read past the header are read again as records.
    position_ = in.Position();
    return true;
}

std::optional<JournalRecord> JournalReader::Next() {
    while (position_ < size_) {
        buffer_.clear();
        uint32_t length = 0;
        uint32_t check = 0;
        bool whole = Read(1 + 4);
        if (whole) {
            ByteReader frame(buffer_);
            frame.Skip(1);
            frame.ReadU32(length);
            whole = Read(length) && Read(4);
        }
        if (whole) {
            ByteReader tail(std::span<const std::byte>(buffer_).last(4));
            tail.ReadU32(check);
            // The check covers everything in front of it: kind, length and body.
            whole = Check(std::span<const std::byte>(buffer_).first(buffer_.size() - 4)) == check;
        }
        if (!whole) {
            cutShort_ = true;
            position_ = size_;
            return std::nullopt;
        }
        const auto kind = static_cast<uint8_t>(buffer_[0]);
        if (!KnownKind(kind)) {
            ++unknown_;
            continue;
        }
        std::optional<JournalRecord> record =
            ReadBody(static_cast<Kind>(kind),
                     std::span<const std::byte>(buffer_).subspan(5, length), header_.layout);
        if (!record) {
            cutShort_ = true;
            position_ = size_;
        }
        return record;
    }
    return std::nullopt;
}

namespace {

Journal ReadAll(JournalReader& reader) {
    Journal journal;
    journal.header = reader.header();
    while (std::optional<JournalRecord> record = reader.Next())
        journal.records.push_back(std::move(*record));
    journal.unknownRecords = reader.unknownRecords();
    journal.cutShort = reader.cutShort();
    return journal;
}

}  // namespace

std::optional<Journal> ParseJournal(std::span<const std::byte> bytes) {
    std::optional<JournalReader> reader = JournalReader::OfBytes(bytes);
    if (!reader) return std::nullopt;
    return ReadAll(*reader);
}

std::optional<Journal> LoadJournal(const std::filesystem::path& path) {
    std::optional<JournalReader> reader = JournalReader::OfFile(path);
    if (!reader) return std::nullopt;
    return ReadAll(*reader);
}

std::optional<JournalHeader> LoadJournalHeader(const std::filesystem::path& path) {
    std::optional<JournalReader> reader = JournalReader::OfFile(path);
    if (!reader) return std::nullopt;
    return reader->header();
}

bool JournalWriter::Start(const std::filesystem::path& path, const JournalHeader& header) {
    Close();
    const std::vector<std::byte> bytes = SerializeJournalHeader(header);
    if (ReplaceFile(path, bytes) != WriteStatus::Ok) return false;
#if defined(_WIN32)
    file_ = _wfopen(path.c_str(), L"ab");
#else
    file_ = std::fopen(path.c_str(), "ab");
#endif
    size_ = bytes.size();
    return file_ != nullptr;
}

bool JournalWriter::Append(const JournalRecord& record) {
    return Write(SerializeJournalRecord(record));
}

bool JournalWriter::Write(std::span<const std::byte> bytes) {
    if (file_ == nullptr) return false;
    auto* file = static_cast<std::FILE*>(file_);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = ok && std::fflush(file) == 0;
#if !defined(_WIN32)
    // To the disk, not only to the system: a power cut keeps it too.
    ok = ok && ::fsync(::fileno(file)) == 0;
#endif
    if (!ok) {
        Close();
        return false;
    }
    size_ += bytes.size();
    return true;
}

void JournalWriter::Close() {
    if (file_ == nullptr) return;
    std::fclose(static_cast<std::FILE*>(file_));
    file_ = nullptr;
}

}  // namespace lorvane
