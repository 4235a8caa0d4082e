#pragma once
// The control and command ids of the editor panel and its dialogs.

namespace lorvane {

enum PanelId : int {
    kIdOk = 1,
    kIdCancel = 2,
    kUndoSegment = 29001,
    kPointerX = 29002,
    kPointerY = 29003,
    kEndX = 29004,
    kEndY = 29005,
    kStartX = 29022,
    kStartY = 29023,
    kOffsetNumber = 29024,
    kTileNameReadout = 29025,
    kTypeReadout = 29026,
    kRadiusReadout = 29027,
    kPathList = 29028,  // also the New Path dialog's type list
    kAreaList = 29029,  // also the New Area dialog's type list
    kCentreX = 29030,
    kCentreY = 29031,
    kSetNumber = 29032,
    kTerrainTypeReadout = 29033,
    kWidthReadout = 29034,  // also the New Path dialog's width field
    kRefresh = 29036,
    kClearEditor = 29037,
    kOpenTexture = 29038,
    kSaveTexture = 29039,
    kLoadTexture = 29040,
    kDeleteAreaNumber = 29041,
    kDeletePathNumber = 29042,
    kShowPaths = 29043,
    kShowAreas = 29044,
    kLoadTile = 29046,
    kContinuePath = 29047,
    kContinueArea = 29048,
    kTileSpin = 29050,
    kViewer = 29100,
    kChooseTile = 29101,
    kNewPath = 29102,
    kNewArea = 29103,
};

}  // namespace lorvane
