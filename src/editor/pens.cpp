#include "editor/pens.h"

#include <cstddef>

namespace lorvane {

namespace {

// The pens in use: one program, one set of preferences.
std::array<Pen, PathPens.size()>& PathPensInUse() {
    static std::array<Pen, PathPens.size()> pens = PathPens;
    return pens;
}

}  // namespace

const Pen& PathPen(int32_t typeChoice) {
    const auto& pens = PathPensInUse();
    if (typeChoice < 0 || typeChoice >= static_cast<int32_t>(pens.size())) return pens.back();
    return pens[static_cast<size_t>(typeChoice)];
}

bool SetPathPenColour(int32_t typeChoice, PenColour colour) {
    auto& pens = PathPensInUse();
    if (typeChoice < 0 || typeChoice + 1 >= static_cast<int32_t>(pens.size())) return false;
    pens[static_cast<size_t>(typeChoice)].colour = colour;
    return true;
}

const Pen& AreaPen(int32_t typeChoice) {
    if (typeChoice < 0 || typeChoice >= static_cast<int32_t>(AreaPens.size()))
        return AreaPens.back();
    return AreaPens[static_cast<size_t>(typeChoice)];
}

}  // namespace lorvane
