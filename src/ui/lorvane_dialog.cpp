#include "ui/lorvane_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include "base/command_ids.h"
#include "shell/main_shell.h"
#include "ui/dialog_units.h"
#include "ui/path_area_dialogs.h"
#include "ui/qt_platform.h"
#include "ui/tile_viewer.h"

namespace lorvane {

namespace {

// The read-outs of the panel: id and place in dialog units.
struct ReadoutPlace {
    int id;
    int x, y, width, height;
};

constexpr ReadoutPlace kReadouts[] = {
    {kPanelSetNumber, 50, 9, 21, 10}, {kPanelTerrainType, 133, 9, 58, 10},
    {kPanelOffset, 50, 21, 21, 10},   {kPanelTileName, 133, 21, 58, 10},
    {kPanelWidth, 278, 87, 26, 9},    {kPanelStartX, 257, 110, 26, 9},
    {kPanelStartY, 299, 110, 26, 9},  {kPanelEndX, 257, 137, 26, 9},
    {kPanelEndY, 299, 137, 26, 9},    {kPanelCentreX, 257, 200, 26, 9},
    {kPanelCentreY, 299, 200, 26, 9}, {kPanelRadius, 278, 214, 26, 9},
    {kPanelPointerX, 38, 243, 26, 9}, {kPanelPointerY, 88, 243, 26, 9},
    {kPanelType, 142, 243, 51, 9},
};

// The "X" and "Y" labels in front of the coordinate read-outs.
constexpr std::pair<int, int> kAxisLabels[] = {{257, 110}, {257, 137}, {257, 200}};

}  // namespace

LorvaneDialog::LorvaneDialog(MainShell& shell, QWidget* parent)
    : QFrame(parent),
      shell_(shell),
      panel_(
          {shell.state().database, shell.state().shell.textureLoaded, shell.state().startupFolder},
          {shell.platform().messages, shell.platform().files, *this, canvas_}) {
    setObjectName("editorPanel");
    setFrameShape(QFrame::Box);
    setFont(TemplateFont(font()));
    setMouseTracking(true);
    Build();
    blinkTimer_.setObjectName("blinkTimer");
    connect(&blinkTimer_, &QTimer::timeout, this, [this] {
        panel_.BlinkTimer();
        Sync();
    });
    panel_.Initialise();
    Sync();
}

QPushButton* LorvaneDialog::AddButton(int id, const char* text, QRect place) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::number(id));
    button->setGeometry(place);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, id] { HandleCommand(id); });
    return button;
}

QLabel* LorvaneDialog::AddReadout(int id, QRect place) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::number(id));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setGeometry(place);
    readouts_[id] = label;
    return label;
}

void LorvaneDialog::AddLabel(const char* text, QRect place) {
    auto* label = new QLabel(text, this);
    label->setGeometry(place);
    label->setWordWrap(true);
}

QTreeWidget* LorvaneDialog::AddList(int id, PanelList list, QRect place) {
    auto* view = new QTreeWidget(this);
    view->setObjectName(QString::number(id));
    view->setGeometry(place);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->header()->setDefaultAlignment(Qt::AlignCenter);
    view->header()->setStretchLastSection(false);
    QStringList titles;
    if (list == PanelList::Paths) {
        for (const ListColumn& column : PathListColumns) titles << column.title;
    } else {
        for (const ListColumn& column : AreaListColumns) titles << column.title;
    }
    view->setHeaderLabels(titles);
    for (int c = 0; c < titles.size(); ++c) {
        const int width = list == PanelList::Paths ? PathListColumns[static_cast<size_t>(c)].width
                                                   : AreaListColumns[static_cast<size_t>(c)].width;
        view->setColumnWidth(c, width);
    }
    connect(view, &QTreeWidget::itemActivated, this, [this, view, list](QTreeWidgetItem* item) {
        panel_.ActivateRow(list, view->indexOfTopLevelItem(item));
        Sync();
    });
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    return view;
}

void LorvaneDialog::Build() {
    const DialogUnits units(font());
    setFixedSize(units.X(348), units.Y(367));
    // Group boxes first, so that they lie under their controls.
    (new QGroupBox("Path", this))->setGeometry(units.Rect(242, 52, 90, 101));
    (new QGroupBox("Area", this))->setGeometry(units.Rect(242, 156, 90, 74));
    (new QGroupBox(this))->setGeometry(units.Rect(211, 99, 26, 60));

    save_ = AddButton(kPanelSave, "&Save", units.Rect(291, 7, 50, 14));
    save_->setDefault(true);
    AddButton(kPanelLoadTile, "&Load Tile", units.Rect(291, 22, 50, 14));
    AddButton(kPanelRefresh, "&Refresh", units.Rect(291, 37, 50, 14));
    AddButton(kPanelContinuePath, "Continue", units.Rect(245, 64, 40, 14));
    AddButton(kPanelNewPath, "New &Path", units.Rect(289, 64, 40, 14));
    AddButton(kPanelContinueArea, "Continue", units.Rect(245, 168, 40, 14));
    AddButton(kPanelNewArea, "New &Area", units.Rect(289, 168, 40, 14));
    AddButton(kPanelUndoSegment, "&Undo Segment", units.Rect(260, 236, 56, 14));

    AddLabel("Set #", units.Rect(18, 9, 28, 10));
    AddLabel("Terrain Type:", units.Rect(78, 9, 50, 10));
    AddLabel("Offset:", units.Rect(18, 21, 28, 10));
    AddLabel("Tile Name:", units.Rect(78, 21, 50, 10));
    AddLabel("Width:", units.Rect(247, 87, 27, 8));
    AddLabel("Starting Point", units.Rect(261, 98, 52, 8));
    AddLabel("Ending Point", units.Rect(261, 125, 52, 8));
    AddLabel("Center", units.Rect(271, 188, 39, 8));
    AddLabel("Radius", units.Rect(244, 214, 30, 8));
    AddLabel("Tile Select", units.Rect(212, 106, 23, 17));
    AddLabel("X", units.Rect(21, 243, 10, 9));
    AddLabel("Y", units.Rect(75, 243, 10, 9));
    AddLabel("Type:", units.Rect(116, 243, 23, 9));
    for (const auto& [x, y] : kAxisLabels) {
        AddLabel("X", units.Rect(x - 8, y, 7, 9));
        AddLabel("Y", units.Rect(x + 34, y, 7, 9));
    }
    for (const ReadoutPlace& place : kReadouts) {
        AddReadout(place.id, units.Rect(place.x, place.y, place.width, place.height));
    }

    // The up-down control: the up arrow proposes a negative change.
    auto* spin = new QWidget(this);
    spin->setObjectName(QString::number(kPanelTileSpin));
    spin->setGeometry(units.Rect(219, 125, 8, 30));
    const int half = spin->height() / 2;
    for (const bool up : {true, false}) {
        auto* arrow = new QToolButton(spin);
        arrow->setObjectName(up ? "up" : "down");
        arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        arrow->setGeometry(0, up ? 0 : half, spin->width(), spin->height() - half);
        arrow->setAutoRepeat(true);
        connect(arrow, &QToolButton::clicked, this, [this, up] {
            panel_.SpinDelta(up ? -1 : 1);
            Sync();
        });
    }

    showPaths_ = new QCheckBox("Show Paths", this);
    showPaths_->setObjectName(QString::number(kPanelShowPaths));
    showPaths_->setGeometry(units.Rect(71, 259, 59, 10));
    connect(showPaths_, &QCheckBox::clicked, this, [this] { HandleCommand(kPanelShowPaths); });
    showAreas_ = new QCheckBox("Show Areas", this);
    showAreas_->setObjectName(QString::number(kPanelShowAreas));
    showAreas_->setGeometry(units.Rect(245, 259, 59, 10));
    connect(showAreas_, &QCheckBox::clicked, this, [this] { HandleCommand(kPanelShowAreas); });

    pathList_ = AddList(kPanelPathList, PanelList::Paths, units.Rect(7, 271, 183, 89));
    areaList_ = AddList(kPanelAreaList, PanelList::Areas, units.Rect(200, 271, 141, 89));

    viewer_ = new TileViewer(canvas_, this);
    viewer_->setGeometry(units.Rect(8, 37, 200, 200));
    canvas_.Resize(viewer_->ClientSize());
    const QRect frame = viewer_->geometry();
    panel_.SetViewerPlacement(
        {viewer_->ClientSize().width(),
         viewer_->ClientSize().height(),
         {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()}});
}

void LorvaneDialog::SyncList(QTreeWidget* view, const ListView& rows) {
    bool same = view->topLevelItemCount() == static_cast<int>(rows.RowCount());
    for (int r = 0; same && r < view->topLevelItemCount(); ++r) {
        const ListRow& row = rows.Rows()[static_cast<size_t>(r)];
        QTreeWidgetItem* item = view->topLevelItem(r);
        for (size_t c = 0; same && c < row.size(); ++c)
            same = item->text(static_cast<int>(c)) == ToQt(row[c]);
    }
    if (same) return;
    view->clear();
    for (const ListRow& row : rows.Rows()) {
        auto* item = new QTreeWidgetItem(view);
        for (size_t c = 0; c < row.size(); ++c) {
            item->setText(static_cast<int>(c), ToQt(row[c]));
            item->setTextAlignment(static_cast<int>(c), Qt::AlignCenter);
        }
    }
}

void LorvaneDialog::Sync() {
    for (const auto& [id, label] : readouts_) {
        const QString text = ToQt(panel_.Readout(id));
        if (label->text() != text) label->setText(text);
    }
    showPaths_->setChecked(panel_.showPaths());
    showAreas_->setChecked(panel_.showAreas());
    save_->setEnabled(panel_.saveEnabled());
    SyncList(pathList_, panel_.pathRows());
    SyncList(areaList_, panel_.areaRows());
    viewer_->SetShowImage(panel_.showsImage());
    viewer_->update();
    shell_.ShowUndoRedo(panel_.UndoText(), panel_.RedoText());
    shell_.ShowTileOnScreen(panel_.tileOnScreen());
}

int LorvaneDialog::SelectedRow(QTreeWidget* view) const {
    const QList<QTreeWidgetItem*> selected = view->selectedItems();
    return selected.isEmpty() ? -1 : view->indexOfTopLevelItem(selected.front());
}

bool LorvaneDialog::eventFilter(QObject* watched, QEvent* event) {
    for (QTreeWidget* view : {pathList_, areaList_}) {
        const PanelList list = view == pathList_ ? PanelList::Paths : PanelList::Areas;
        if (watched == view && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                panel_.ListKey(list, key == Qt::Key_Down ? TileStep::Down : TileStep::Up);
            }
            if (key == Qt::Key_Delete) {
                panel_.RightClickList(list, SelectedRow(view));
                Sync();
                return true;
            }
        }
        if (watched == view->viewport() && event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            panel_.RightClickList(list, SelectedRow(view));
            Sync();
        }
    }
    return QFrame::eventFilter(watched, event);
}

namespace {

Modifiers ModifiersOf(Qt::KeyboardModifiers held) {
    return {held.testFlag(Qt::ShiftModifier), held.testFlag(Qt::ControlModifier),
            held.testFlag(Qt::AltModifier)};
}

std::optional<EditorKey> EditorKeyOf(int key) {
    switch (key) {
        case Qt::Key_Escape:
            return EditorKey::Escape;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return EditorKey::Enter;
        case Qt::Key_Backspace:
            return EditorKey::Backspace;
        case Qt::Key_Delete:
            return EditorKey::Delete;
        default:
            return std::nullopt;
    }
}

}  // namespace

void LorvaneDialog::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        panel_.LeftButtonDown(p.x(), p.y(), ModifiersOf(event->modifiers()));
    Sync();
}

void LorvaneDialog::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    panel_.MouseMove(p.x(), p.y(), ModifiersOf(event->modifiers()));
    Sync();
}

void LorvaneDialog::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const Modifiers modifiers = ModifiersOf(event->modifiers());
    if (event->button() == Qt::LeftButton) panel_.LeftButtonUp(p.x(), p.y(), modifiers);
    if (event->button() == Qt::RightButton) panel_.RightButtonUp(p.x(), p.y(), modifiers);
    Sync();
}

void LorvaneDialog::keyPressEvent(QKeyEvent* event) {
    const std::optional<EditorKey> key = EditorKeyOf(event->key());
    if (key && panel_.Key(*key, ModifiersOf(event->modifiers()))) {
        Sync();
        return;
    }
    QFrame::keyPressEvent(event);
}

void LorvaneDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) panel_.LeftDoubleClick(p.x(), p.y());
    Sync();
}

void LorvaneDialog::RunPostedCommands() {
    postScheduled_ = false;
    panel_.RunPosted();
    Sync();
}

void LorvaneDialog::RunDeleteDialog(PanelList list) {
    DeleteEntryDialog dialog(panel_, list, window());
    dialog.exec();
    Sync();
}

void LorvaneDialog::HandleCommand(int id) {
    panel_.Command(id);
    Sync();
}

void LorvaneDialog::SetTexturePath(const std::string& path) { panel_.SetTexturePath(path); }

void LorvaneDialog::SetTileImage(const std::string& path, const std::string& name) {
    panel_.SetTileImage(path, name);
}

void LorvaneDialog::SetProposedFileName(const std::string& name) {
    panel_.SetProposedTileName(name);
}

bool LorvaneDialog::HasUnsavedChanges() const { return panel_.HasUnsavedEdits(); }

bool LorvaneDialog::SaveForClose() {
    const bool saved = panel_.SaveDatabase();
    Sync();
    return saved;
}

void LorvaneDialog::SetMainTitle(const std::string& title) { shell_.SetTitle(title); }

void LorvaneDialog::SetDatabaseMenus(bool enabled) {
    shell_.EnableMenuItem(kMenuSaveTextureBin, enabled);
    if (enabled) shell_.EnableMenuItem(kMenuAddSet, true);
}

void LorvaneDialog::RememberRecentFile(const std::string& path) { shell_.RememberFile(path); }

void LorvaneDialog::RefillTileList() { shell_.RefillTileList(); }

void LorvaneDialog::UpdateTileListRow(int indexPosition) {
    shell_.UpdateTileListRow(indexPosition);
}

void LorvaneDialog::FocusTileList() { shell_.FocusTileList(); }

void LorvaneDialog::StepTileList(TileStep step) { shell_.HandleArrowKey(step == TileStep::Down); }

void LorvaneDialog::Beep() { QApplication::beep(); }

bool LorvaneDialog::RunNewPathDialog() {
    NewPathDialog dialog(panel_, this);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    Sync();
    return confirmed;
}

bool LorvaneDialog::RunNewAreaDialog() {
    NewAreaDialog dialog(panel_, this);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    Sync();
    return confirmed;
}

std::string& LorvaneDialog::Folder(const char* settingName) { return shell_.Folder(settingName); }

void LorvaneDialog::StoreFolder(const char* settingName, const std::string& folder) {
    shell_.StoreFolder(settingName, folder);
}

void LorvaneDialog::StartBlinkTimer(int milliseconds) { blinkTimer_.start(milliseconds); }

void LorvaneDialog::StopBlinkTimer() { blinkTimer_.stop(); }

void LorvaneDialog::CommandPosted() {
    if (postScheduled_) return;
    postScheduled_ = true;
    QTimer::singleShot(0, this, [this] { RunPostedCommands(); });
}

}  // namespace lorvane
