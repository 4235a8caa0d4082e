#pragma once
// The commands that bring the work of several people together: File ▸
// Compare With… (what differs from another database, tile by tile, as a list
// whose rows load the tile with the other database's entries shown faded)
// and File ▸ Merge… (the work of another database that started from the
// same base taken into the one in memory, each conflict chosen by the
// user).

#include <optional>
#include <string>
#include <vector>

#include "tiledb/tile_diff.h"
#include "tiledb/tile_merge.h"

namespace lorvane {

class MainShell;

// One row of the comparison: a tile that differs.
struct CompareRow {
    int32_t id = 0;
    std::string name;
    std::string change;  // "changed", "only here", "only there"
    std::string paths;   // "+1 −0 ~2": added, removed, changed here against there
    std::string areas;
};

// The rows of a difference from the other database (before) to the one in
// memory (after), in set and position order.
std::vector<CompareRow> CompareRowsOf(const DatabaseDiff& diff);
// The open dialog for a Texture.bin (title as given), read; none when
// cancelled or unreadable (after its message). file: its path, when read.
std::optional<TileDatabase> ChooseDatabase(MainShell& shell, const char* title,
                                           std::string* file = nullptr);
// A conflict of a merge as the question shows it.
std::string ConflictText(const MergeConflict& conflict, const TileDatabase& base);

inline constexpr const char* kKeepOurs = "Keep Mine";
inline constexpr const char* kTakeTheirs = "Take Theirs";
inline constexpr const char* kStopMerge = "Stop";

// The window that lists a comparison (the desktop program's implements it).
class CompareView {
  public:
    virtual ~CompareView() = default;
    virtual void ShowComparison(const std::string& title, const std::vector<CompareRow>& rows) = 0;
};

class TeamCommands {
  public:
    explicit TeamCommands(MainShell& shell) : shell_(shell) {}
    ~TeamCommands();
    TeamCommands(const TeamCommands&) = delete;
    TeamCommands& operator=(const TeamCommands&) = delete;

    void SetView(CompareView* view) { view_ = view; }
    // Installs Compare With and Merge in the shell's dispatch.
    void Register();

    // Asks for a database and compares the one in memory with it.
    void CompareWith();
    // Compares the database in memory with other (named file, for the title).
    void Compare(TileDatabase other, const std::string& file);
    // A row of the comparison chosen: its tile is loaded.
    void OpenRow(int32_t id);
    // The faded entries go.
    void StopComparing();
    const std::optional<TileDatabase>& compared() const { return compared_; }

    // Asks for the common base and for their database, then merges.
    void Merge();
    // Merges their work since base into the database in memory; each
    // conflict asked about. True when the database in memory took the result.
    bool MergeFrom(const TileDatabase& base, const TileDatabase& theirs);

  private:
    MainShell& shell_;
    CompareView* view_ = nullptr;
    std::optional<TileDatabase> compared_;
};

}  // namespace lorvane
