#pragma once
// The main window's terrain and theater output commands: open an L2 file
// (10215, and 10221 for a path already given), load (10228) and save (10227)
// an L2M terrain matrix, generate the .thr tile map (10245) and the .mea
// file (10251), and edit Theater.map (31250). The long operations run under
// the progress dialog, whose cancel is seen between rows; a cancelled or
// failed operation leaves no matrix ready and no output file.

#include <cstdint>
#include <filesystem>
#include <string>

#include "shell/command_dialogs.h"
#include "shell/shell_state.h"
#include "shell/theaters.h"
#include "terrain/terrain_matrix.h"
#include "terrain/theater_header.h"

namespace lorvane {

class MainShell;

// The terrain matrix and the Theater.map header, one each for the program.
struct TheaterOutputState {
    TerrainMatrix matrix;         // ready while ShellState.terrainLoaded is set
    TheaterMapHeader header;      // the values of the last header read
    uint64_t matrixRevision = 0;  // counts every replacement of the matrix
    bool loadMode = false;        // the current terrain file choice is for an L2M load
    bool saveMode = false;        // the current terrain file choice is for an L2M save
};

// The file dialog of the terrain file choice in the current mode.
FileDialogRequest TerrainFileRequest(bool loadMode, bool saveMode,
                                     const std::filesystem::path& startFolder);
// The save dialog of a generated "thr" or "mea" file of the theater of
// that name (empty: the title says "Theater" and no name is proposed).
FileDialogRequest TheaterOutputRequest(const std::string& extension,
                                       const std::filesystem::path& startFolder,
                                       const std::string& theater = {});
// The name of the theater with the check mark; empty when there is none.
std::string CurrentTheaterName(const Theaters& theaters);
// The open dialog of Theater.map.
FileDialogRequest TheaterMapRequest(const std::filesystem::path& startFolder);

class TerrainCommands {
  public:
    TerrainCommands(MainShell& shell, CommandDialogs& dialogs, TheaterOutputState& output)
        : shell_(shell), dialogs_(dialogs), output_(output) {}

    // Installs the seven commands in the shell's dispatch.
    void Register();

    void OpenL2File();
    // Opens the file at the shell's terrainPath and builds (or, in loadMode,
    // loads) the matrix, without a file dialog.
    void OpenTerrainPath();
    void LoadL2Matrix();
    void SaveL2Matrix();
    void GenerateThr();
    void GenerateMea();
    void EditTheaterMap();

  private:
    // The terrain file dialog; false when it was cancelled or failed (after
    // its message). On a choice the folder is held and the path placed.
    bool ChooseTerrainFile();
    void TerrainReady(bool ready);
    // The folder the terrain was opened from (or last saved to), where its
    // theater's files are written; the remembered folders while there is none.
    std::filesystem::path TerrainFolder();
    // The terrain's size for the notices: "1024 x 1024 posts".
    std::string MatrixSize() const;

    MainShell& shell_;
    CommandDialogs& dialogs_;
    TheaterOutputState& output_;
};

}  // namespace lorvane
