#include "editor/pens.h"

#include <cstddef>

namespace lorvane {

const Pen& PathPen(int32_t typeChoice) {
    if (typeChoice < 0 || typeChoice >= static_cast<int32_t>(PathPens.size()))
        return PathPens.back();
    return PathPens[static_cast<size_t>(typeChoice)];
}

const Pen& AreaPen(int32_t typeChoice) {
    if (typeChoice < 0 || typeChoice >= static_cast<int32_t>(AreaPens.size()))
        return AreaPens.back();
    return AreaPens[static_cast<size_t>(typeChoice)];
}

}  // namespace lorvane
