#pragma once
// The shell's flags and progress fields, and the progress dialog's logic:
// captions by mode, the range from the theater's sections, and the abort flag
// that a cancel request sets and long operations test between rows.

#include <string>

#include "base/progress.h"

namespace lorvane {

enum class ProgressMode : int {
    None = 0,
    BuildTerrainMatrix = 1,
    SaveTerrainMatrix = 2,
    BuildTheaterOutput = 5,
};

// The progress dialog's caption for a mode; the template's caption
// "Building Texture.bin File" for a mode that has none of its own.
std::string ProgressCaption(ProgressMode mode);

struct ShellState {
    bool terrainLoaded = false;  // the terrain matrix is available
    bool abortRequested = false;
    ProgressMode progressMode = ProgressMode::None;
    int sectionsCompleted = 0;
    int progressPosition = 0;
};

// What the progress dialog shows; the desktop program's dialog implements it.
class ProgressView {
  public:
    virtual ~ProgressView() = default;
    // Creates the dialog when there is none (or reuses it) and shows it with
    // the caption, the bar's range 0 .. rangeMax and position 0.
    virtual void OpenView(const std::string& caption, int rangeMin, int rangeMax) = 0;
    // "Sections Completed:", the count and the bar position.
    virtual void ShowSections(int count, int position) = 0;
    virtual void CloseView() = 0;
    // Lets the dialog take pending input (a cancel request) during long work.
    virtual void TakeInput() {}
};

// The Progress that long operations report to, over a ProgressView: opening
// clears abortRequested, a report while it is set does nothing, and a cancel
// request (Cancel) sets it and leaves the dialog open.
class ShellProgress : public Progress {
  public:
    ShellProgress(ShellState& state, ProgressView& view) : state_(state), view_(view) {}

    // Opens the dialog with the caption of mode and the range 0 .. sections.
    void OpenMode(ProgressMode mode, int sections);

    void Open(const std::string& caption, int rangeMin, int rangeMax) override;
    void Report(int count, int position) override;
    void Close() override;
    bool AbortRequested() override;

    // The dialog's cancel request (its Cancel, Esc or close box).
    void Cancel() { state_.abortRequested = true; }
    bool IsOpen() const { return open_; }

  private:
    ShellState& state_;
    ProgressView& view_;
    bool open_ = false;
};

// Dialog units of the program's templates in pixels (a font whose average
// character is 6 by 13 pixels: 4 units across and 8 down per character).
inline constexpr int DialogUnitsToPixelsX(int units) { return units * 6 / 4; }
inline constexpr int DialogUnitsToPixelsY(int units) { return units * 13 / 8; }

// The editor panel's template is 348 x 367 dialog units.
inline constexpr int kEditorPanelWidth = DialogUnitsToPixelsX(348);
inline constexpr int kEditorPanelHeight = DialogUnitsToPixelsY(367);

}  // namespace lorvane
