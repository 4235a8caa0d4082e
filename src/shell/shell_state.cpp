#include "shell/shell_state.h"

namespace lorvane {

std::string ProgressCaption(ProgressMode mode) {
    switch (mode) {
        case ProgressMode::BuildTerrainMatrix:
            return "Building Terrain Matrix";
        case ProgressMode::SaveTerrainMatrix:
            return "Saving Terrain Matrix";
        case ProgressMode::BuildTheaterOutput:
            return "Building <theater>.thr File";
        case ProgressMode::None:
            break;
    }
    return "Building Texture.bin File";
}

void ShellProgress::OpenMode(ProgressMode mode, int sections) {
    state_.progressMode = mode;
    Open(ProgressCaption(mode), 0, sections);
}

void ShellProgress::Open(const std::string& caption, int rangeMin, int rangeMax) {
    state_.abortRequested = false;
    state_.sectionsCompleted = 0;
    state_.progressPosition = 0;
    open_ = true;
    view_.OpenView(caption, rangeMin, rangeMax);
}

void ShellProgress::Report(int count, int position) {
    if (state_.abortRequested || !open_) return;
    state_.sectionsCompleted = count;
    state_.progressPosition = position;
    view_.ShowSections(count, position);
}

void ShellProgress::Close() {
    if (!open_) return;
    open_ = false;
    view_.CloseView();
}

bool ShellProgress::AbortRequested() {
    if (open_) view_.TakeInput();
    return state_.abortRequested;
}

}  // namespace lorvane
