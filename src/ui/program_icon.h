#pragma once
// The program's icon, drawn in code after resources/lorvane.svg (a tile with
// a forest area, a river and a road of two segments with its joint), so that
// it needs no image plugin.

#include <QIcon>

namespace lorvane {

QIcon ProgramIcon();

}  // namespace lorvane
