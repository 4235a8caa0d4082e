#include "shell/recovery_commands.h"

#include <chrono>
#include <ctime>
#include <system_error>

#include "base/format.h"
#include "editor/editor_panel.h"
#include "shell/editor_link.h"
#include "shell/main_shell.h"

namespace lorvane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecoveryCaption = "Recovery";

// "2026-12-08 14:05" in local time.
std::string LocalTime(fs::file_time_type time) {
    const auto system = std::chrono::file_clock::to_sys(time);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
    const std::tm* local = std::localtime(&seconds);
    char text[32] = "";
    if (local != nullptr) std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M", local);
    return text;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error)) return true;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

}  // namespace

std::string RecoveryQuestion(const LeftJournal& left, bool databaseChanged) {
    const std::string& database = left.journal.header.databasePath;
    std::string text = FormatText("Recover the unsaved changes to %s from %s?", database.c_str(),
                                  LocalTime(left.lastChange).c_str());
    if (databaseChanged)
        text += FormatText(
            "\n\n%s was changed after these changes were made: they may not apply cleanly.",
            database.c_str());
    return text;
}

RecoveryCommands::Answer RecoveryCommands::Ask(const LeftJournal& left) {
    answered_.insert(left.path);
    const Message question{RecoveryQuestion(left, DatabaseChangedSince(left.journal.header)),
                           kRecoveryCaption, MessageIcon::Warning};
    switch (shell_.platform().questions.AskChoice(question, {kRecover, kDiscard, kKeepForLater})) {
        case 0:
            return Answer::Recover;
        case 1:
            return Answer::Discard;
        default:
            return Answer::Keep;
    }
}

bool RecoveryCommands::Offer(const std::optional<std::string>& databasePath) {
    for (LeftJournal& left : FindLeftJournals(journal_.folder(), journal_.journalPath())) {
        if (answered_.contains(left.path)) continue;
        if (databasePath && !SameFile(left.journal.header.databasePath, *databasePath)) continue;
        switch (Ask(left)) {
            case Answer::Recover:
                if (databasePath) {
                    Recover(left);
                } else {
                    // Recovered once its database is open (Opened).
                    const std::string database = left.journal.header.databasePath;
                    pending_ = std::move(left);
                    shell_.OpenDatabase(database);
                    pending_.reset();
                }
                return true;
            case Answer::Discard:
                RemoveJournalFiles(left.path);
                break;
            case Answer::Keep:
                break;
        }
    }
    return false;
}

void RecoveryCommands::SetEditor(EditorPanel* panel, std::function<void()> changed) {
    panel_ = panel;
    editorChanged_ = std::move(changed);
    if (panel_ == nullptr) return;
    panel_->SetEditListener([this](EditEvent event, const EditCommand& command) {
        const TileDatabase& database = shell_.state().database;
        const int position = IndexPositionById(database, command.tileId());
        if (position < 0 || position >= database.tileCount()) return;
        const TileIndexEntry& tile = database.index[static_cast<size_t>(position)];
        if (tile.id != command.tileId()) return;
        if (const std::optional<JournalRecord> record =
                JournalRecordOf(event, command, panel_->tables(), tile.setIndex, tile.tileIndex))
            Record(*record);
    });
}

void RecoveryCommands::OfferAtStart() { Offer(std::nullopt); }

void RecoveryCommands::Opened(const std::string& path) {
    journal_.Reset(path);
    failureShown_ = false;
    if (pending_ && SameFile(pending_->journal.header.databasePath, path)) {
        const LeftJournal left = std::move(*pending_);
        pending_.reset();
        Recover(left);
        return;
    }
    Offer(path);
}

void RecoveryCommands::Saved(const std::string& path) {
    journal_.Reset(path);
    failureShown_ = false;
}

void RecoveryCommands::Closed() { journal_.Clear(); }

void RecoveryCommands::Record(const JournalRecord& record) {
    // A recovery copy holds the edits of the tile on screen too.
    const auto snapshot = [this] {
        if (panel_ != nullptr) panel_->WriteBackTileOnScreen();
        return shell_.state().database;
    };
    if (journal_.Record(record, snapshot) || failureShown_) return;
    failureShown_ = true;
    shell_.platform().messages.Error(
        FormatText("The recovery journal %s cannot be written: the changes made from now on "
                   "cannot be recovered after a crash.",
                   journal_.journalPath().string().c_str()),
        kRecoveryCaption);
}

void RecoveryCommands::Recover(const LeftJournal& left) {
    MessageSink& messages = shell_.platform().messages;
    TileDatabase& database = shell_.state().database;
    // The database just read is the one on disk; a journal that started
    // again from a recovery copy applies to that copy instead.
    if (left.journal.header.copySlot != 0) {
        std::optional<TileDatabase> copy = LoadJournalBase(left, messages);
        if (!copy) return;  // reported; the journal stays for later
        database = std::move(*copy);
    }
    const ReplayResult result = ReplayJournal(left.journal, database);
    // The recovered work is journaled again, as a copy, before the left
    // journal goes; when that cannot be written the left one stays.
    if (journal_.Snapshot(database)) RemoveJournalFiles(left.path);
    EditorLink(database, panel_, editorChanged_).DatabaseChanged();
    shell_.RefillTileList();

    const size_t total = left.journal.records.size() + left.journal.unknownRecords;
    const size_t lost = result.skipped.size() + left.journal.unknownRecords;
    if (lost == 0 && !left.journal.cutShort) return;
    std::string text = std::to_string(lost) + " of the " + std::to_string(total) +
                       " recovered changes could not be applied.";
    for (const std::string& line : result.skipped) text += "\n" + line;
    if (left.journal.unknownRecords > 0)
        text += "\n" + std::to_string(left.journal.unknownRecords) +
                " changes of a kind this version does not know were skipped.";
    if (left.journal.cutShort) text += "\nThe end of the journal could not be read.";
    messages.Exclamation(text, kRecoveryCaption);
}

}  // namespace lorvane
