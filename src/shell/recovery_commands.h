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

class EditorPanel;
class MainShell;

inline constexpr const char* kRecover = "Recover";
inline constexpr const char* kDiscard = "Discard";
inline constexpr const char* kKeepForLater = "Keep for later";

class RecoveryCommands {
  public:
    // journal: the journal of the open database, in the recovery folder.
    RecoveryCommands(MainShell& shell, RecoveryJournal& journal)
        : shell_(shell), journal_(journal) {}

    // The editor panel that shows a recovered database as changed (may stay
    // unset), and what shows its changes.
    // Its edits are journaled from then on.
    void SetEditor(EditorPanel* panel, std::function<void()> changed = {});

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

  private:
    enum class Answer { Recover, Discard, Keep };
    Answer Ask(const LeftJournal& left);
    // Asks about the journals left for one database (or all); true when one
    // was recovered.
    bool Offer(const std::optional<std::string>& databasePath);
    void Recover(const LeftJournal& left);
    void ShowChanged();

    MainShell& shell_;
    RecoveryJournal& journal_;
    EditorPanel* panel_ = nullptr;
    std::function<void()> editorChanged_;
    std::optional<LeftJournal> pending_;  // recovered once its database is open
    std::set<std::filesystem::path> answered_;
    bool failureShown_ = false;
};

// The question about a left journal: its database, the time of its last
// change in local time, and a warning when the database changed since.
std::string RecoveryQuestion(const LeftJournal& left, bool databaseChanged);

}  // namespace lorvane
