#include "shell/terrain_commands.h"

#include <memory>

#include "base/command_ids.h"
#include "base/format.h"
#include "base/path_text.h"
#include "shell/main_shell.h"
#include "terrain/mea_file.h"
#include "terrain/terrain_files.h"
#include "terrain/theater_tile_map.h"

namespace lorvane {

FileDialogRequest TerrainFileRequest(bool loadMode, bool saveMode,
                                     const std::filesystem::path& startFolder) {
    FileDialogRequest request;
    request.startFolder = startFolder;
    if (saveMode || loadMode) {
        request.proposedName = "*.L2M";
        request.filter = "L2M Matrix file|*.L2M||";
        request.title = saveMode ? "Save L2M Terrain Matrix" : "Open L2M Terrain Matrix";
    } else {
        request.proposedName = "*.L2";
        request.filter = "Terrain L2 file|*.L2||";
        request.title = "Open L2 Terrain File";
    }
    return request;
}

FileDialogRequest TheaterOutputRequest(const std::string& extension,
                                       const std::filesystem::path& startFolder,
                                       const std::string& theater) {
    FileDialogRequest request;
    request.title = theater.empty() ? "Save Generated Theater ." + extension + " File"
                                    : "Save Generated " + theater + "." + extension + " File";
    request.proposedName = (theater.empty() ? std::string("*") : theater) + "." + extension;
    request.filter = (extension == "thr" ? "Theater tile map" : "Theater MEA file") +
                     std::string("|*.") + extension + "||";
    request.defaultExtension = extension;
    request.startFolder = startFolder;
    return request;
}

std::string CurrentTheaterName(const Theaters& theaters) {
    if (!IsTheaterId(theaters.currentTheaterId)) return {};
    return theaters.table[static_cast<size_t>(theaters.currentTheaterId - kTheaterFirst)];
}

FileDialogRequest TheaterMapRequest(const std::filesystem::path& startFolder) {
    FileDialogRequest request;
    request.title = "Select Theater.map File";
    request.proposedName = "Theater.map";
    request.startFolder = startFolder;
    request.fileMustExist = true;
    return request;
}

namespace {

// The progress that the long operations report to: the shell's dialog, or
// nothing when the program has none.
class OperationProgress {
  public:
    explicit OperationProgress(MainShell& shell) : shell_(shell) {}
    Progress& get() {
        if (ShellProgress* progress = shell_.progress()) return *progress;
        return silent_;
    }

  private:
    MainShell& shell_;
    SilentProgress silent_;
};

void SetTheaterDimensions(TheaterSettings& settings, const TerrainDimensions& dimensions) {
    settings.xSections = dimensions.xSections;
    settings.ySections = dimensions.ySections;
    settings.xTiles = dimensions.xTiles;
    settings.yTiles = dimensions.yTiles;
    settings.xMapExtent = dimensions.xMapExtent;
    settings.yMapExtent = dimensions.yMapExtent;
}

}  // namespace

void TerrainCommands::Register() {
    shell_.RegisterCommand(kMenuOpenL2File, [this] { OpenL2File(); });
    shell_.RegisterCommand(kOpenL2FromPath, [this] { OpenTerrainPath(); });
    shell_.RegisterCommand(kMenuLoadL2Matrix, [this] { LoadL2Matrix(); });
    shell_.RegisterCommand(kMenuSaveL2Matrix, [this] { SaveL2Matrix(); });
    shell_.RegisterCommand(kMenuGenerateThr, [this] { GenerateThr(); });
    shell_.RegisterCommand(kMenuGenerateMea, [this] { GenerateMea(); });
    shell_.RegisterCommand(kMenuEditTheaterMap, [this] { EditTheaterMap(); });
}

std::filesystem::path TerrainCommands::TerrainFolder() {
    const std::string& terrain = shell_.state().terrainPath;
    if (shell_.state().shell.terrainLoaded && !terrain.empty())
        return PathFromUtf8(FileChoice::Chosen(PathFromUtf8(terrain)).folderPart());
    const std::string& remembered = shell_.Folder(kTerrainFolderSetting);
    return PathFromUtf8(remembered.empty() ? shell_.state().folders.textureFolder : remembered);
}

std::string TerrainCommands::MatrixSize() const {
    return FormatText("%d x %d posts", output_.matrix.xMapExtent(), output_.matrix.yMapExtent());
}

bool TerrainCommands::ChooseTerrainFile() {
    ShellPlatform& platform = shell_.platform();
    const FileDialogRequest request = TerrainFileRequest(
        output_.loadMode, output_.saveMode,
        output_.saveMode ? TerrainFolder() : PathFromUtf8(shell_.Folder(kTerrainFolderSetting)));
    const FileChoice choice =
        output_.saveMode ? platform.files.SaveFile(request) : platform.files.OpenFile(request);
    if (choice.outcome == FileChoice::Outcome::Failed)
        platform.messages.Error(FormatText("L2 file open error# %d", choice.errorCode), "Error");
    if (!choice.chosen()) return false;
    // Held in memory; stored in the settings once an L2 file has opened.
    shell_.state().folders.terrainFolder = choice.folderPart().substr(0, kPathLength);
    const std::string path = PathToUtf8(choice.path);
    shell_.state().terrainPath = path.substr(0, kPathLength);
    return true;
}

void TerrainCommands::OpenL2File() {
    output_.loadMode = false;
    if (ChooseTerrainFile()) OpenTerrainPath();
}

void TerrainCommands::LoadL2Matrix() {
    output_.loadMode = true;
    if (ChooseTerrainFile()) {
        OpenTerrainPath();
    } else {
        // The next "Open &L2 File..." is an ordinary L2 open again.
        output_.loadMode = false;
    }
}

void TerrainCommands::OpenTerrainPath() {
    AppState& state = shell_.state();
    ShellState& flags = state.shell;
    MessageSink& messages = shell_.platform().messages;
    const bool loadMode = output_.loadMode;
    output_.loadMode = false;
    const std::filesystem::path path = PathFromUtf8(state.terrainPath);

    std::optional<InputFile> terrain = lorvane::OpenL2File(path, messages);
    if (!terrain) {
        flags.abortRequested = true;
        return;
    }
    std::optional<InputFile> o2;
    if (!loadMode) {
        shell_.StoreFolder(kTerrainFolderSetting, state.folders.terrainFolder);
        o2 = OpenO2File(path, messages);
        if (!o2) {
            flags.abortRequested = true;
            return;
        }
    }

    // The matrix in memory is no longer the terrain: nothing may use it from
    // here on unless the new one is complete.
    flags.terrainLoaded = false;
    output_.matrix = TerrainMatrix{};
    ++output_.matrixRevision;
    // The dialog's range comes from the dimensions in effect before the
    // terrain files set them.
    shell_.OpenProgressDialog(ProgressMode::BuildTerrainMatrix);
    OperationProgress progress(shell_);
    std::optional<TerrainMatrix> matrix;
    const uint64_t terrainSize = terrain->Size();
    auto file = std::make_unique<InputFile>(std::move(*terrain));
    if (loadMode) {
        if (const auto rows = TerrainRows::OfL2M(std::move(file), messages))
            matrix = LoadMatrixFromL2M(*rows, progress.get(), messages);
    } else {
        SetTheaterDimensions(state.theaters.settings,
                             SetDimensionsFromFiles(o2->Size(), terrainSize).dimensions);
        if (const auto rows = TerrainRows::OfL2(std::move(file), *o2, messages))
            matrix = BuildMatrixFromL2(*rows, progress.get(), messages);
    }
    shell_.CloseProgressDialog();

    if (matrix && !flags.abortRequested) {
        output_.matrix = std::move(*matrix);
        ++output_.matrixRevision;
        SetTheaterDimensions(state.theaters.settings, output_.matrix.dimensions);
        TerrainReady(true);
        shell_.platform().notices.Notice(
            {(loadMode ? "L2M matrix loaded: " : "Terrain loaded: ") + MatrixSize(),
             "Terrain Loaded", MessageIcon::Information, state.terrainPath});
    } else {
        TerrainReady(false);
    }
}

void TerrainCommands::TerrainReady(bool ready) {
    shell_.state().shell.terrainLoaded = ready;
    shell_.EnableMenuItem(kMenuSaveL2Matrix, ready);
    // Without a matrix the terrain can be opened again from the menu.
    shell_.EnableMenuItem(kMenuOpenL2File, !ready);
    shell_.EnableMenuItem(kMenuLoadL2Matrix, !ready);
}

void TerrainCommands::SaveL2Matrix() {
    ShellState& flags = shell_.state().shell;
    output_.saveMode = true;
    flags.abortRequested = false;
    const bool chosen = ChooseTerrainFile();
    output_.saveMode = false;
    if (!chosen || flags.abortRequested) return;

    shell_.OpenProgressDialog(ProgressMode::SaveTerrainMatrix);
    OperationProgress progress(shell_);
    const bool saved = SaveMatrixAsL2M(PathFromUtf8(shell_.state().terrainPath), output_.matrix,
                                       progress.get(), shell_.platform().messages);
    shell_.CloseProgressDialog();
    if (saved)
        shell_.platform().notices.Notice({"L2M matrix saved: " + MatrixSize(), "L2M Matrix Saved",
                                          MessageIcon::Information, shell_.state().terrainPath});
    // Every save grays the item, whatever its outcome.
    shell_.EnableMenuItem(kMenuSaveL2Matrix, false);
}

void TerrainCommands::GenerateThr() {
    ShellPlatform& platform = shell_.platform();
    // The remembered Texture.bin folder as it is held now.
    const FileChoice choice = platform.files.SaveFile(
        TheaterOutputRequest("thr", TerrainFolder(), CurrentTheaterName(shell_.state().theaters)));
    if (choice.outcome == FileChoice::Outcome::Failed)
        platform.messages.Error(FormatText("thr file open error# %d", choice.errorCode), "Error");
    if (!choice.chosen()) return;

    shell_.OpenProgressDialog(ProgressMode::BuildTheaterOutput);
    OperationProgress progress(shell_);
    const bool written =
        GenerateTheaterMap(choice.path, output_.matrix, shell_.session().database(), progress.get(),
                           platform.messages);
    shell_.CloseProgressDialog();
    if (written)
        platform.notices.Notice({".thr map written: " + MatrixSize(), ".thr Map Generated",
                                 MessageIcon::Information, PathToUtf8(choice.path)});
}

void TerrainCommands::GenerateMea() {
    ShellPlatform& platform = shell_.platform();
    const FileChoice choice = platform.files.SaveFile(
        TheaterOutputRequest("mea", TerrainFolder(), CurrentTheaterName(shell_.state().theaters)));
    if (choice.outcome == FileChoice::Outcome::Failed)
        platform.messages.Error(FormatText("mea file open error# %d", choice.errorCode), "Error");
    if (!choice.chosen()) return;

    // The .mea generation shares the .thr caption and reports no progress.
    shell_.OpenProgressDialog(ProgressMode::BuildTheaterOutput);
    const bool written = GenerateMeaFile(choice.path, output_.matrix, platform.messages);
    shell_.CloseProgressDialog();
    if (written)
        platform.notices.Notice({".mea file written: " + MatrixSize(), ".mea File Generated",
                                 MessageIcon::Information, PathToUtf8(choice.path)});
}

void TerrainCommands::EditTheaterMap() {
    ShellPlatform& platform = shell_.platform();
    const FileChoice choice = platform.files.OpenFile(
        TheaterMapRequest(PathFromUtf8(shell_.Folder(kTerrainFolderSetting))));
    if (choice.outcome == FileChoice::Outcome::Failed)
        platform.messages.Error(FormatText("Theater.map file open error# %d", choice.errorCode),
                                "Error");
    if (!choice.chosen()) return;

    const TheaterSettings& theater = shell_.state().theaters.settings;
    TheaterMapHeader& header = output_.header;
    if (!ReadTheaterMap(choice.path, {theater.swLong, theater.swLat}, header, platform.messages))
        return;
    TheaterMapTexts texts = TheaterMapDialogTexts(header);
    if (!dialogs_.RunTheaterMapDialog(texts)) return;
    ApplyTheaterMapDialogTexts(header, texts);
    if (WriteTheaterMap(choice.path, header, platform.messages))
        platform.notices.Notice({"Theater.map saved.", "Theater.map Saved",
                                 MessageIcon::Information, PathToUtf8(choice.path)});
}

}  // namespace lorvane
