#include "shell/recovery_commands.h"

#include <chrono>
#include <ctime>
#include <system_error>
#include <utility>

#include "base/command_ids.h"
#include "base/file_io.h"
#include "base/format.h"
#include "base/path_text.h"
#include "editor/editor_panel.h"
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

}  // namespace

JournalBase JournalBaseOf(const JournalHeader& header) {
    const fs::path file = PathFromUtf8(header.databasePath);
    if (!file.is_absolute() || !PathExists(file))
        return header.copySlot != 0 ? JournalBase::Missing : JournalBase::Lost;
    return DatabaseChangedSince(header) ? JournalBase::Changed : JournalBase::AsItWas;
}

std::string RecoveryQuestion(const LeftJournal& left, JournalBase base) {
    const std::string database = EscapedText(left.header.databasePath);
    const std::string time = LocalTime(left.lastChange);
    if (base == JournalBase::Lost)
        return FormatText(
            "The unsaved changes to %s from %s cannot be recovered: the file is not there any "
            "more.",
            database.c_str(), time.c_str());
    std::string text =
        FormatText("Recover the unsaved changes to %s from %s?", database.c_str(), time.c_str());
    if (base == JournalBase::Changed)
        text += FormatText(
            "\n\n%s was changed after these changes were made: they may not apply cleanly.",
            database.c_str());
    if (base == JournalBase::Missing)
        text += FormatText(
            "\n\n%s is not there any more: the recovered database is saved under a name you "
            "choose.",
            database.c_str());
    return text;
}

RecoveryCommands::Answer RecoveryCommands::Ask(const LeftJournal& left, JournalBase base) {
    answered_.insert(left.path);
    const Message question{RecoveryQuestion(left, base), kRecoveryCaption, MessageIcon::Warning};
    if (base == JournalBase::Lost) {
        // Nothing to recover into: Discard, or keep it (Enter and Esc).
        return shell_.platform().questions.AskChoice(question, {kDiscard, kKeepForLater}, 1) == 0
                   ? Answer::Discard
                   : Answer::Keep;
    }
    switch (
        shell_.platform().questions.AskChoice(question, {kRecover, kDiscard, kKeepForLater}, 0)) {
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
        // Offered for the file it names only, never for another of that name.
        if (databasePath && !JournalNamesDatabase(left.header, *databasePath)) continue;
        const JournalBase base = JournalBaseOf(left.header);
        switch (Ask(left, base)) {
            case Answer::Recover:
                if (base == JournalBase::Missing) {
                    RecoverWithoutFile(left);
                } else if (databasePath) {
                    Recover(left);
                } else {
                    // Recovered once its database is open (Opened).
                    const std::string database = left.header.databasePath;
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

RecoveryCommands::~RecoveryCommands() { shell_.session().document().SetListener({}); }

RecoveryCommands::RecoveryCommands(MainShell& shell, RecoveryJournal& journal)
    : shell_(shell), journal_(journal) {
    EditDocument& document = shell_.session().document();
    document.SetListener([this, &document](EditEvent event, const EditCommand& command) {
        const TileDatabase& database = document.database();
        const std::optional<int> position = database.PositionOfId(command.tileId());
        if (!position) return;
        const TileIndexEntry& tile = database.index[static_cast<size_t>(*position)];
        for (const JournalRecord& record :
             JournalRecordsOf(event, command, document.working(), tile.setIndex, tile.tileIndex))
            Record(record);
    });
}

void RecoveryCommands::OfferAtStart() { Offer(std::nullopt); }

void RecoveryCommands::Opened(const std::string& path) {
    journal_.Reset(path);
    failureShown_ = false;
    if (pending_ && JournalNamesDatabase(pending_->header, path)) {
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
    if (!unsaved_.empty()) RemoveJournalFiles(std::exchange(unsaved_, {}));
}

void RecoveryCommands::Closed() { journal_.Clear(); }

void RecoveryCommands::Record(const JournalRecord& record) {
    // A recovery copy holds the edits of the tile on screen too.
    const auto snapshot = [this] {
        shell_.session().WriteBackTileOnScreen();
        return shell_.session().database();
    };
    if (!journal_.Record(record, snapshot)) JournalFailed();
}

void RecoveryCommands::JournalFailed() {
    if (failureShown_) return;
    failureShown_ = true;
    shell_.platform().messages.Error(
        FormatText("The recovery journal %s cannot be written: the changes made from now on "
                   "cannot be recovered after a crash.",
                   PathToUtf8(journal_.journalPath()).c_str()),
        kRecoveryCaption);
}

void RecoveryCommands::Rebased() {
    if (!journal_.Snapshot(shell_.session().database())) JournalFailed();
}

namespace {

// What of a journal could not be recovered, or nothing.
std::string RecoveryLosses(const ReplayResult& result) {
    const size_t total =
        static_cast<size_t>(result.applied) + result.skipped.size() + result.unknownRecords;
    const size_t lost = result.skipped.size() + result.unknownRecords;
    if (lost == 0 && !result.cutShort) return {};
    std::string text = total == 1 ? std::string("The recovered change could not be applied.")
                                  : std::to_string(lost) + " of the " + std::to_string(total) +
                                        " recovered changes could not be applied.";
    for (const std::string& line : result.skipped) text += "\n" + line;
    if (result.unknownRecords > 0)
        text += "\n" + Counted(result.unknownRecords, "change", "changes") +
                " of a kind this version does not know " +
                (result.unknownRecords == 1 ? "was" : "were") + " skipped.";
    if (result.cutShort) text += "\nThe end of the journal could not be read.";
    return text;
}

// Journals larger than this are replayed under the progress dialog.
constexpr uint64_t kProgressFrom = 256u << 10;

}  // namespace

ReplayResult RecoveryCommands::ReplayWithProgress(JournalReader& reader, TileDatabase& database) {
    ShellProgress* progress = reader.size() > kProgressFrom ? shell_.progress() : nullptr;
    if (progress == nullptr) return ReplayJournal(reader, database);
    progress->Open("Recovering Unsaved Changes", 0, 100);
    int shown = -1;
    ReplayResult result = ReplayJournal(reader, database, [&](uint64_t done, uint64_t total) {
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (percent == shown) return;
        shown = percent;
        progress->Report(percent, percent);
    });
    progress->Close();
    return result;
}

std::optional<JournalReader> RecoveryCommands::OpenJournal(const LeftJournal& left) {
    std::optional<JournalReader> reader = JournalReader::OfFile(left.path);
    if (reader && reader->header() == left.header) return reader;
    shell_.platform().messages.Error(FormatText("The recovery journal %s cannot be read.",
                                                EscapedText(PathToUtf8(left.path)).c_str()),
                                     kRecoveryCaption);
    return std::nullopt;
}

void RecoveryCommands::Recover(const LeftJournal& left) {
    MessageSink& messages = shell_.platform().messages;
    TileDatabase& database = shell_.session().database();
    std::optional<JournalReader> reader = OpenJournal(left);
    if (!reader) return;  // reported; the journal stays for later
    // The database just read is the one on disk; a journal that started
    // again from a recovery copy applies to that copy instead.
    if (left.header.copySlot != 0) {
        std::optional<TileDatabase> copy = LoadJournalBase(left, messages);
        if (!copy) return;  // reported; the journal stays for later
        database = std::move(*copy);
    }
    const ReplayResult result = ReplayWithProgress(*reader, database);
    reader.reset();
    // The recovered work is journaled again, as a copy, before the left
    // journal goes; when that cannot be written the left one stays.
    if (journal_.Snapshot(database)) RemoveJournalFiles(left.path);
    shell_.session().Changed();
    shell_.RefillTileList();
    const std::string losses = RecoveryLosses(result);
    if (!losses.empty()) messages.Exclamation(losses, kRecoveryCaption);
}

void RecoveryCommands::RecoverWithoutFile(const LeftJournal& left) {
    MessageSink& messages = shell_.platform().messages;
    if (!shell_.AskToSaveChanges()) return;
    std::optional<JournalReader> reader = OpenJournal(left);
    if (!reader) return;
    std::optional<TileDatabase> copy = LoadJournalBase(left, messages);
    if (!copy) return;  // reported; the journal stays for later
    const ReplayResult result = ReplayWithProgress(*reader, *copy);
    reader.reset();
    shell_.session().Replace(std::move(*copy));
    // The left journal stays until the database is saved: a crash before
    // then offers it again.
    unsaved_ = left.path;
    const std::string losses = RecoveryLosses(result);
    if (!losses.empty()) messages.Exclamation(losses, kRecoveryCaption);
    shell_.HandleCommand(kMenuSaveTextureBin);
}

}  // namespace lorvane
