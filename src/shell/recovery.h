#pragma once
// Work that survives a crash: the journal file of the open database in the
// recovery folder beside the settings, the journals that a run which did not
// end normally left there, and the replay of a journal onto the database as
// it is on disk.
//
// A journal is named from its database's path (the file name, then a hash of
// the whole path): "Texture.bin-1f2e3d4c5b6a7980.journal". Past its size
// limit it is replaced by a recovery copy of the whole database beside it
// (the same name ending ".recovery1.bin" or ".recovery2.bin", taking turns)
// and starts again from that copy.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/message.h"
#include "shell/recovery_journal.h"
#include "tiledb/tile_database.h"

namespace lorvane {

inline constexpr uint64_t kJournalSizeLimit = 4u << 20;

// The journal of a database, the n-th when earlier ones are kept for later.
std::filesystem::path JournalPathFor(const std::filesystem::path& folder,
                                     const std::string& databasePath, int n = 0);
// Recovery copy 1 or 2 of a journal.
std::filesystem::path RecoveryCopyPath(const std::filesystem::path& journalPath, int slot);

// Removes a journal and its recovery copies.
void RemoveJournalFiles(const std::filesystem::path& journalPath);

// This program's process id, and whether a process with that id runs.
uint32_t CurrentProcessId();
bool ProcessRunning(uint32_t processId);
// When the process with that id started, as a number that differs between
// two processes given the same id one after the other (also across a
// restart of the machine); 0 when it cannot be told.
uint64_t ProcessStartTime(uint32_t processId);
// True when the program that wrote a journal with this header still runs:
// its process id is in use by a process that started when it did.
bool JournalWriterRuns(const JournalHeader& header);

// The path a journal names its database by: absolute and normalised.
std::string JournalDatabasePath(const std::string& databasePath);
// True when a journal's header names the database at path: the same
// absolute file (a relative path of the first layout names none).
bool JournalNamesDatabase(const JournalHeader& header, const std::string& path);

class RecoveryJournal {
  public:
    RecoveryJournal(std::filesystem::path folder, uint32_t processId,
                    uint64_t sizeLimit = kJournalSizeLimit)
        : folder_(std::move(folder)),
          processId_(processId),
          processStart_(ProcessStartTime(processId)),
          sizeLimit_(sizeLimit) {}

    // The database at databasePath was opened or saved: the journal of
    // earlier commands is removed, and the next command starts a new one
    // against the file as it is now.
    void Reset(const std::string& databasePath);
    // The database was closed without saving, or replaced by one that has no
    // file yet: the journal is removed and nothing is journaled until the
    // next Reset.
    void Clear();

    // Appends a command just applied to the database; current gives the
    // whole database after it, when needed. Past the size limit, a recovery
    // copy of it is written safely and the journal starts again from it; so
    // it does when the command cannot be appended. False when neither could
    // be written (the command itself stands).
    bool Record(const JournalRecord& record, const std::function<TileDatabase()>& current);
    // Starts the journal again from a recovery copy of current (a recovered
    // database). False when it could not be written.
    bool Snapshot(const TileDatabase& current);

    // The journal being written; empty before the first command.
    const std::filesystem::path& journalPath() const { return journalPath_; }
    const std::filesystem::path& folder() const { return folder_; }

  private:
    void ChooseJournalPath();
    bool Start(uint8_t copySlot, const FileStamp& copy);
    bool ReplaceByCopy(const TileDatabase& current);
    void RemoveFiles();

    std::filesystem::path folder_;
    uint32_t processId_;
    uint64_t processStart_;
    uint64_t sizeLimit_;
    std::string databasePath_;  // empty: nothing is journaled
    FileStamp databaseStamp_;
    std::filesystem::path journalPath_;
    uint8_t copySlot_ = 0;  // the copy the journal starts from; 0: none
    bool broken_ = false;   // a command could not be appended
    JournalWriter writer_;
};

// A journal left in the folder by a run that did not end normally.
struct LeftJournal {
    std::filesystem::path path;
    JournalHeader header;                        // the records are read when it is recovered
    std::filesystem::file_time_type lastChange;  // the journal file's time
};

// The journals of the folder that no running program writes, besides own
// (the journal this program writes), the most recent first; only their
// headers are read. Files that are no journal are left alone.
std::vector<LeftJournal> FindLeftJournals(const std::filesystem::path& folder,
                                          const std::filesystem::path& own = {});

// The database a left journal applies to: its recovery copy when it has
// one (which must still hold the bytes the journal names), otherwise the
// database file as it is on disk. Nullopt after the message of what failed.
std::optional<TileDatabase> LoadJournalBase(const LeftJournal& left, MessageSink& messages);

// True when the database file changed since the journal began.
bool DatabaseChangedSince(const JournalHeader& header);

struct ReplayResult {
    int applied = 0;
    // One line for every command that could not apply and was skipped.
    std::vector<std::string> skipped;
    size_t unknownRecords = 0;  // of a kind this program does not know
    bool cutShort = false;      // the end of the journal could not be read
};

// Applies the journal's commands in order onto database. A command that
// does not fit the database (no such set or tile, an entry that is not what
// the command changed, a refused set or import) is skipped and described;
// nothing is guessed. Every tile edited is marked for export. An edit of a
// layout before kJournalFloatFeetLayout finds its entry in whole feet (cut
// toward zero), as the program that wrote it kept them.
ReplayResult ReplayJournal(const Journal& journal, TileDatabase& database);
// The same, reading the journal a record at a time; progress (when given)
// is told the bytes read of the whole after each record.
ReplayResult ReplayJournal(JournalReader& journal, TileDatabase& database,
                           const std::function<void(uint64_t, uint64_t)>& progress = {});

}  // namespace lorvane
