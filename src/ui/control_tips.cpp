#include "ui/control_tips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>
#include <utility>

#include "base/command_ids.h"

namespace lorvane {

namespace {

constexpr std::pair<int, const char*> kTips[] = {
    {kPanelSave, "Save Texture.bin with the changes of every tile (Ctrl+S)"},
    {kPanelLoadTile, "Load a tile image (.pcx) of the database to draw on"},
    {kPanelRefresh, "Draw the tile and its paths and areas again"},
    {kPanelContinuePath, "Go on drawing the picked path from its last point"},
    {kPanelNewPath, "Start a new path: choose its type and width, then click its points"},
    {kPanelContinueArea, "Add an area of the picked area's type"},
    {kPanelNewArea, "Start a new area: choose its type, click its centre, then its rim"},
    {kPanelUndoSegment, "Undo the last change to this tile (Ctrl+Z)"},
    {kPanelSetNumber, "The set the tile on screen belongs to (shown only)"},
    {kPanelTerrainType, "The terrain type of the tile's set (shown only)"},
    {kPanelOffset, "The tile's id in Texture.bin (shown only)"},
    {kPanelTileName, "The file name of the tile image on screen (shown only)"},
    {kPanelWidth, "The width in feet of the path being drawn or picked"},
    {kPanelStartX,
     "X of the segment's starting point in feet; type a value and press Enter "
     "while drawing"},
    {kPanelStartY,
     "Y of the segment's starting point in feet; type a value and press Enter "
     "while drawing"},
    {kPanelEndX,
     "X of the segment's ending point in feet; type a value and press Enter while "
     "drawing"},
    {kPanelEndY,
     "Y of the segment's ending point in feet; type a value and press Enter while "
     "drawing"},
    {kPanelCentreX, "X of the area's centre in feet; type a value and press Enter while drawing"},
    {kPanelCentreY, "Y of the area's centre in feet; type a value and press Enter while drawing"},
    {kPanelRadius, "The area's radius in feet; type a value and press Enter while drawing"},
    {kPanelPointerX, "X of the pointer in feet (shown only)"},
    {kPanelPointerY, "Y of the pointer in feet (shown only)"},
    {kPanelType, "The type of the path or area being drawn or picked (shown only)"},
    {kPanelTileSpin, "The previous or next tile of the database (Up, Down)"},
    {kPanelShowPaths, "Show or hide the paths on the tile"},
    {kPanelShowAreas, "Show or hide the areas on the tile"},
    {kPanelPathList,
     "The tile's path segments: pick one to select it; double-click a cell to "
     "edit it; Delete removes it"},
    {kPanelAreaList,
     "The tile's areas: pick one to select it; double-click a cell to edit it; "
     "Delete removes it"},
    {kPanelViewer,
     "The tile: draw with the mouse, zoom with the wheel or Ctrl+= and Ctrl+-, pan "
     "with the middle button"},
};

// The read-outs that only show: flat, on the window's colour, unlike a field
// that takes typing.
constexpr int kShownOnly[] = {kPanelSetNumber, kPanelTerrainType, kPanelOffset, kPanelTileName,
                              kPanelPointerX,  kPanelPointerY,    kPanelType};

}  // namespace

const char* ControlTip(int id) {
    for (const auto& [tipId, tip] : kTips)
        if (tipId == id) return tip;
    return nullptr;
}

void AddControlTips(QWidget& panel) {
    for (QWidget* child : panel.findChildren<QWidget*>()) {
        bool number = false;
        const int id = child->objectName().toInt(&number);
        if (!number) continue;
        if (const char* tip = ControlTip(id)) child->setToolTip(tip);
    }
    for (const int id : kShownOnly) {
        auto* label = panel.findChild<QLabel*>(QString::number(id));
        if (label == nullptr) continue;
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
        label->setBackgroundRole(QPalette::Window);
        label->setForegroundRole(QPalette::WindowText);
        label->setAutoFillBackground(true);
    }
}

}  // namespace lorvane
