#include "base/platform.h"

namespace lorvane {

FileChoice FileChoice::Chosen(const std::filesystem::path& chosenPath) {
    FileChoice choice;
    choice.outcome = Outcome::Chosen;
    choice.path = chosenPath;
    const std::string text = PathToUtf8(chosenPath);
    const size_t separator = text.find_last_of("/\\");
    choice.fileNameOffset = separator == std::string::npos ? 0 : separator + 1;
    return choice;
}

}  // namespace lorvane
