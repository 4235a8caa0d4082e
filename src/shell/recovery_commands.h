#pragma once
// The recovery journal at work: every command applied to the open database
// is journaled; a save, or closing without saving, clears the journal; and
// a journal that a run left behind is offered at start and when its database
// is opened: "Recover the unsaved changes to <file> from <time>?" with
// Recover, Discard and Keep for later.

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "shell/recovery.h"
#include "shell/recovery_journal.h"

namespace lorvane {

class MainShell;

inline constexpr const char* kRecover = "Recover";
inline constexpr const char* kDiscard = "Discard";
inline constexpr const char* kKeepForLater = "Keep for later";

// What a left journal's database file is now.
enum class JournalBase {
    AsItWas,  // the file it names, as it was when the journal began
    Changed,  // changed since
    Missing,  // gone (or named by a relative path): recovered from its copy
    Lost,     // gone, and the journal has no copy to apply to
};
JournalBase JournalBaseOf(const JournalHeader& header);

class RecoveryCommands {
  public:
    // journal: the journal of the open database, in the recovery folder.
    // The edits of the shell's session are journaled from now on.
    RecoveryCommands(MainShell& shell, RecoveryJournal& journal);
    ~RecoveryCommands();
    RecoveryCommands(const RecoveryCommands&) = delete;
    RecoveryCommands& operator=(const RecoveryCommands&) = delete;

    // At start: asks about each journal left by a run that did not end
    // normally, the most recent first, until one is recovered.
    void OfferAtStart();
    // The database at path was just read: journaled from now on; a journal
    // left for it is offered (or recovered, when that was answered already).
    void Opened(const std::string& path);
    // The database was saved to path: the journal starts again.
    void Saved(const std::string& path);
    // The database was closed without saving, or replaced by one without a
    // file: nothing of it is journaled any more.
    void Closed();
    // A command just applied to the database.
    void Record(const JournalRecord& record);
    // The database in memory was replaced in place (a merge): the journal
    // starts again from a copy of it.
    void Rebased();

  private:
    enum class Answer { Recover, Discard, Keep };
    // The journal cannot be written: said once.
    void JournalFailed();
    Answer Ask(const LeftJournal& left, JournalBase base);
    // Asks about the journals left for one database (or all); true when one
    // was recovered.
    bool Offer(const std::optional<std::string>& databasePath);
    void Recover(const LeftJournal& left);
    // The journal's database file is gone, its recovery copy is there: the
    // copy with the journal replayed becomes a database without a file,
    // saved under a name the user chooses.
    void RecoverWithoutFile(const LeftJournal& left);
    // The left journal's file, to read its records from; nullopt after the
    // message when it cannot be read or is no longer the journal asked about.
    std::optional<JournalReader> OpenJournal(const LeftJournal& left);
    // Replays it, under the progress dialog when it is large.
    ReplayResult ReplayWithProgress(JournalReader& reader, TileDatabase& database);

    MainShell& shell_;
    RecoveryJournal& journal_;
    std::optional<LeftJournal> pending_;  // recovered once its database is open
    // A journal recovered into a database without a file: it stays until
    // that database is saved.
    std::filesystem::path unsaved_;
    std::set<std::filesystem::path> answered_;
    bool failureShown_ = false;
};

// The question about a left journal: its database (escaped), the time of
// its last change in local time, and what became of the database file.
std::string RecoveryQuestion(const LeftJournal& left, JournalBase base);

}  // namespace lorvane
