#include "ui/lorvane_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>
#include <span>

#include "base/command_ids.h"
#include "shell/main_shell.h"
#include "shell/preferences.h"
#include "ui/control_tips.h"
#include "ui/dialog_units.h"
#include "ui/frame_painter.h"
#include "ui/main_window.h"
#include "ui/path_area_dialogs.h"
#include "ui/qt_platform.h"
#include "ui/zoom_viewer.h"

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

// The editors of the list cells: none for the number, the type names of the
// list for the type, a line for the numbers.
class CellDelegate : public QStyledItemDelegate {
  public:
    CellDelegate(PanelList list, QObject* parent) : QStyledItemDelegate(parent), list_(list) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() == 0) return nullptr;
        if (index.column() != 1) return QStyledItemDelegate::createEditor(parent, option, index);
        auto* names = new QComboBox(parent);
        if (list_ == PanelList::Paths) {
            for (const int code : PathTypeCodes) names->addItem(TypeNames[size_t(code)]);
        } else {
            for (const int code : AreaTypeCodes) names->addItem(TypeNames[size_t(code)]);
        }
        return names;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* names = qobject_cast<QComboBox*>(editor)) {
            names->setCurrentText(index.data().toString());
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* names = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, names->currentText());
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

  private:
    PanelList list_;
};

// The "X" and "Y" labels in front of the coordinate read-outs.
constexpr std::pair<int, int> kAxisLabels[] = {{257, 110}, {257, 137}, {257, 200}};

}  // namespace

LorvaneDialog::LorvaneDialog(MainShell& shell, EditorPanel& panel, QWidget* parent)
    : QFrame(parent), shell_(shell), panel_(panel) {
    setObjectName("editorPanel");
    setFrameShape(QFrame::Box);
    setFont(TemplateFont(font()));
    Build();
    AddClipboardKeys();
    panel_.SetView(this);
    panel_.Initialise();
    ApplyPreferences(LoadPreferences(shell.platform().settings), panel_);
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

namespace {

// The point fields that take typed feet while drawing, each with the field
// that names its pair (the X of a point, or the Radius alone).
constexpr std::pair<int, int> kTypedFields[] = {
    {kPanelStartX, kPanelStartX}, {kPanelStartY, kPanelStartX},   {kPanelEndX, kPanelEndX},
    {kPanelEndY, kPanelEndX},     {kPanelCentreX, kPanelCentreX}, {kPanelCentreY, kPanelCentreX},
    {kPanelRadius, kPanelRadius}, {kPanelWidth, kPanelWidth},
};

std::optional<int> PairOfField(int id) {
    for (const auto& [field, pair] : kTypedFields)
        if (field == id) return pair;
    return std::nullopt;
}

}  // namespace

void LorvaneDialog::AddReadout(int id, QRect place) {
    if (const std::optional<int> pair = PairOfField(id)) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::number(id));
        field->setGeometry(place);
        field->setAlignment(Qt::AlignCenter);
        field->setReadOnly(true);
        // Enter places the point (or radius) typed, in feet (eventFilter).
        field->installEventFilter(this);
        fields_[id] = field;
        return;
    }
    auto* label = new QLabel(this);
    label->setObjectName(QString::number(id));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setGeometry(place);
    readouts_[id] = label;
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
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    // A row chosen picks its entry on the canvas; a cell double clicked,
    // clicked again or F2 is edited: the type from the list of type names,
    // the numbers typed.
    // Rows chosen with Shift or Ctrl keep the other list's entries selected.
    connect(view, &QTreeWidget::itemSelectionChanged, this, [this, view, list] {
        if (syncing_) return;
        std::vector<int> rows;
        for (const QModelIndex& index : view->selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        // The row clicked last is the current entry.
        if (QTreeWidgetItem* current = view->currentItem(); current && current->isSelected()) {
            const int row = view->indexOfTopLevelItem(current);
            std::erase(rows, row);
            rows.push_back(row);
        }
        const Qt::KeyboardModifiers held = QGuiApplication::keyboardModifiers();
        panel_.SelectRows(list, rows, held & (Qt::ShiftModifier | Qt::ControlModifier));
        Sync();
    });
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::SelectedClicked);
    view->setItemDelegate(new CellDelegate(list, view));
    connect(view, &QTreeWidget::itemChanged, this,
            [this, view, list](QTreeWidgetItem* item, int column) {
                if (syncing_) return;
                panel_.EditCell(list, view->indexOfTopLevelItem(item), column,
                                item->text(column).toStdString());
                // After the editor has closed: the row shows the stored values
                // (the old ones, when the text was refused).
                QMetaObject::invokeMethod(
                    this, [this] { Sync(); }, Qt::QueuedConnection);
            });
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
    // The seed layout is the smallest; more room goes to the viewer.
    setMinimumSize(units.X(348), units.Y(367));
    resize(minimumSize());
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
    AddButton(kPanelTrace, "Tra&ce", units.Rect(307, 85, 23, 12))
        ->setToolTip("Trace a path along a road or river in the image (T)");
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

    viewer_ = new ZoomViewer(panel_.view(), this);
    viewer_->setGeometry(units.Rect(8, 37, 200, 200));
    viewer_->SetFrameSource([this] { return panel_.Frame(); });
    viewer_->SetMouseHandler([this](const ViewerMouse& mouse) { ViewerMouseEvent(mouse); });
    connect(viewer_, &ZoomViewer::viewMoved, this, [this] {
        if (!syncing_) Sync();
    });
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        seedPlaces_.push_back({child, child->geometry()});
    AddControlTips(*this);
}

void LorvaneDialog::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const int dw = std::max(width() - minimumWidth(), 0);
    const int dh = std::max(height() - minimumHeight(), 0);
    const QRect viewer = SeedPlace(viewer_);
    const int areaListLeft = SeedPlace(areaList_).left();
    for (const auto& [child, seed] : seedPlaces_) {
        QRect place = seed;
        if (child == viewer_) {
            place.adjust(0, 0, dw, dh);
        } else if (seed.top() > viewer.bottom()) {
            // Below the viewer: down by the extra height; the two lists
            // share the extra width, what is above the area list follows it.
            place.translate(0, dh);
            if (child == pathList_) {
                place.setWidth(seed.width() + dw / 2);
            } else if (child == areaList_) {
                place.translate(dw / 2, 0);
                place.setWidth(seed.width() + dw - dw / 2);
            } else if (seed.left() >= areaListLeft) {
                place.translate(dw / 2, 0);
            }
        } else if (seed.left() > viewer.right()) {
            place.translate(dw, 0);  // beside the viewer: along its right edge
        }
        child->setGeometry(place);
    }
}

QRect LorvaneDialog::SeedPlace(const QWidget* child) const {
    for (const auto& [widget, seed] : seedPlaces_)
        if (widget == child) return seed;
    return {};
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
    const QSignalBlocker quiet(view);
    view->clear();
    for (const ListRow& row : rows.Rows()) {
        auto* item = new QTreeWidgetItem(view);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        for (size_t c = 0; c < row.size(); ++c) {
            item->setText(static_cast<int>(c), ToQt(row[c]));
            item->setTextAlignment(static_cast<int>(c), Qt::AlignCenter);
        }
    }
}

void LorvaneDialog::Sync() {
    // The title names the database's file and marks unsaved changes.
    DatabaseSession& session = shell_.session();
    session.ShowState();
    for (const auto& [id, label] : readouts_) {
        const QString text = ToQt(panel_.Readout(id));
        if (label->text() != text) label->setText(text);
    }
    // The point fields take typed feet while drawing; what is being typed
    // is left as it is.
    const bool drawing = panel_.tool() != ToolKind::Select;
    for (const auto& [id, field] : fields_) {
        field->setReadOnly(!drawing);
        const QString text = ToQt(panel_.Readout(id));
        if (!field->isModified() && field->text() != text) field->setText(text);
    }
    showPaths_->setChecked(panel_.showPaths());
    showAreas_->setChecked(panel_.showAreas());
    save_->setEnabled(session.SaveEnabled());
    SyncList(pathList_, panel_.pathRows());
    SyncList(areaList_, panel_.areaRows());
    syncing_ = true;
    if (panel_.imageGeneration() != shownImage_ || !panel_.showsImage()) {
        shownImage_ = panel_.imageGeneration();
        const PcxImage* image = panel_.image();
        viewer_->SetTile(image != nullptr ? TileImage(*image) : QImage());
    }
    viewer_->viewport()->update();
    SyncSelection();
    if (auto* main = qobject_cast<MainWindow*>(window())) {
        const EditorPanel::StatusTexts status = panel_.Status();
        main->SetStatus(ToQt(status.pointer), ToQt(status.zoom), ToQt(status.drawing),
                        ToQt(status.snap));
    }
    syncing_ = false;
    shell_.ShowUndoRedo(session.UndoText(), session.RedoText());
    shell_.ShowTileOnScreen(panel_.tileOnScreen());
}

int LorvaneDialog::SelectedRow(QTreeWidget* view) const {
    const QList<QTreeWidgetItem*> selected = view->selectedItems();
    return selected.isEmpty() ? -1 : view->indexOfTopLevelItem(selected.front());
}

void LorvaneDialog::PlaceTyped(int field) {
    const int pair = PairOfField(field).value_or(field);
    const int y = pair == kPanelStartX    ? kPanelStartY
                  : pair == kPanelEndX    ? kPanelEndY
                  : pair == kPanelCentreX ? kPanelCentreY
                                          : 0;
    const std::string second = y != 0 ? fields_[y]->text().toStdString() : std::string();
    if (panel_.TypePoint(pair, fields_[pair]->text().toStdString(), second)) {
        for (const auto& [id, typed] : fields_) typed->setModified(false);
        viewer_->setFocus();
    }
    Sync();
}

bool LorvaneDialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter in a point field places what was typed there, and ends nothing.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (const auto& [id, field] : fields_) {
            if (watched == field && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                PlaceTyped(id);
                return true;
            }
        }
    }
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
        // A right click on a row opens its menu; off the rows nothing.
        if (watched == view->viewport() && event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QModelIndex index = view->indexAt(mouse->position().toPoint());
            if (index.isValid())
                RunContextMenu({list, index.row()}, mouse->globalPosition().toPoint());
            return true;
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

void LorvaneDialog::ViewerMouseEvent(const ViewerMouse& mouse) {
    const Modifiers modifiers = ModifiersOf(mouse.modifiers);
    const MouseButton button =
        mouse.button == Qt::RightButton ? MouseButton::Right : MouseButton::Left;
    switch (mouse.kind) {
        case ViewerMouse::Kind::Move:
            panel_.PointerMoved(mouse.at, modifiers);
            break;
        case ViewerMouse::Kind::Press:
            if (mouse.button == Qt::LeftButton) panel_.PointerPressed(button, mouse.at, modifiers);
            break;
        case ViewerMouse::Kind::Release:
            // With nothing being drawn a right click opens the menu of what
            // is under the pointer; otherwise it ends what is open.
            if (mouse.button == Qt::RightButton) {
                if (const auto target = panel_.ViewerContextTarget(mouse.at)) {
                    const QPoint at(int(std::lround(mouse.at.x)), int(std::lround(mouse.at.y)));
                    RunContextMenu(*target, viewer_->viewport()->mapToGlobal(at));
                    break;
                }
            }
            if (mouse.button == Qt::LeftButton || mouse.button == Qt::RightButton)
                panel_.PointerReleased(button, mouse.at, modifiers);
            break;
        case ViewerMouse::Kind::DoubleClick:
            if (mouse.button == Qt::LeftButton) panel_.PointerDoubleClicked(mouse.at);
            break;
    }
    Sync();
}

void LorvaneDialog::RunContextMenu(const ContextTarget& target, QPoint globalAt) {
    const std::vector<ContextAction> actions = panel_.ContextActions(target);
    if (actions.empty()) return;
    // The menu of one of several selected acts on them all: they stay selected.
    const std::vector<Pick> selected = panel_.selectedEntries();
    const EntryKind kind = target.list == PanelList::Paths ? EntryKind::Path : EntryKind::Area;
    if (std::none_of(selected.begin(), selected.end(), [&](const Pick& pick) {
            return pick.kind == kind && pick.entry == target.row + 1;
        }))
        panel_.SelectRow(target.list, target.row);
    Sync();
    QMenu menu(this);
    menu.setObjectName("contextMenu");
    for (const ContextAction action : actions) {
        menu.addAction(ContextActionText(action))->setData(static_cast<int>(action));
    }
    std::optional<ContextAction> chosen;
    connect(&menu, &QMenu::triggered, this, [&chosen](const QAction* action) {
        chosen = static_cast<ContextAction>(action->data().toInt());
    });
    menu.exec(globalAt);
    if (chosen) {
        panel_.RunContextAction(*chosen, target);
        viewer_->ViewChanged();
    }
    Sync();
}

void LorvaneDialog::SyncSelection() {
    const std::vector<Pick> selected = panel_.selectedEntries();
    const std::optional<Pick> current = panel_.selection();
    for (QTreeWidget* view : {pathList_, areaList_}) {
        const EntryKind kind = view == pathList_ ? EntryKind::Path : EntryKind::Area;
        std::vector<int> rows;
        for (const Pick& pick : selected)
            if (pick.kind == kind) rows.push_back(pick.entry - 1);
        std::sort(rows.begin(), rows.end());
        std::vector<int> shown;
        for (const QModelIndex& index : view->selectionModel()->selectedRows())
            shown.push_back(index.row());
        std::sort(shown.begin(), shown.end());
        if (shown == rows) continue;
        const QSignalBlocker quiet(view);
        view->clearSelection();
        for (const int row : rows)
            if (QTreeWidgetItem* item = view->topLevelItem(row)) item->setSelected(true);
        const int currentRow = current && current->kind == kind ? current->entry - 1
                               : rows.empty()                   ? -1
                                                                : rows.back();
        if (QTreeWidgetItem* item = view->topLevelItem(currentRow)) {
            view->selectionModel()->setCurrentIndex(view->indexFromItem(item),
                                                    QItemSelectionModel::NoUpdate);
            view->scrollToItem(item);
        }
    }
    viewer_->viewport()->update();
}

// Beside the viewer: a left click gives the tile list the keyboard.
void LorvaneDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) shell_.FocusTileList();
    Sync();
}

void LorvaneDialog::keyPressEvent(QKeyEvent* event) {
    // S turns snapping off and on; T starts a trace.
    if (event->key() == Qt::Key_S && event->modifiers() == Qt::NoModifier) {
        panel_.ToggleSnapping();
        Sync();
        return;
    }
    if (event->key() == Qt::Key_T && event->modifiers() == Qt::NoModifier) {
        HandleCommand(kPanelTrace);
        return;
    }
    // A and D accept and reject the picked suggestion.
    if (!panel_.suggestions().empty() && event->modifiers() == Qt::NoModifier &&
        (event->key() == Qt::Key_A || event->key() == Qt::Key_D)) {
        HandleCommand(event->key() == Qt::Key_A ? kPanelAcceptSuggestion : kPanelRejectSuggestion);
        return;
    }
    const std::optional<EditorKey> key = EditorKeyOf(event->key());
    if (key && panel_.Key(*key, ModifiersOf(event->modifiers()))) {
        Sync();
        return;
    }
    QFrame::keyPressEvent(event);
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

LorvaneDialog::~LorvaneDialog() { panel_.SetView(nullptr); }

void LorvaneDialog::HandleCommand(int id) {
    // Open and Save are the database's, as in the File menu.
    if (id == kPanelOpenTexture || id == kPanelSave) {
        shell_.HandleCommand(id == kPanelSave ? kMenuSaveTextureBin : kMenuOpenTextureBin);
        return;
    }
    panel_.Command(id);
    Sync();
    // The View menu's Show Paths and Show Areas follow the check boxes.
    if (id == kPanelShowPaths || id == kPanelShowAreas)
        shell_.ShowViewChoices(panel_.showPaths(), panel_.showAreas());
}

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

std::optional<int32_t> LorvaneDialog::ChooseSuggestionType(int32_t current) {
    QStringList names;
    for (const int code : PathTypeCodes) names << TypeNames[size_t(code)];
    bool chosen = false;
    const QString name = QInputDialog::getItem(
        this, "Suggestion Type", "The colour of the picked suggestion is the colour of:", names,
        std::clamp(current, 0, int32_t(names.size()) - 1), false, &chosen);
    Sync();
    if (!chosen) return std::nullopt;
    return static_cast<int32_t>(names.indexOf(name));
}

std::optional<int32_t> LorvaneDialog::ChooseEntryType(PanelList list, int32_t current) {
    QStringList names;
    for (const int code : list == PanelList::Paths ? std::span<const int>(PathTypeCodes)
                                                   : std::span<const int>(AreaTypeCodes))
        names << TypeNames[size_t(code)];
    bool chosen = false;
    const QString name =
        QInputDialog::getItem(this, "Change Type", "Type:", names,
                              std::clamp(current, 0, int32_t(names.size()) - 1), false, &chosen);
    Sync();
    if (!chosen) return std::nullopt;
    return static_cast<int32_t>(names.indexOf(name));
}

std::optional<int32_t> LorvaneDialog::ChooseEntryWidth(int32_t current) {
    bool chosen = false;
    const int width = QInputDialog::getInt(
        this, "Change Width", "Width (feet):", std::max(current, 1), 1, 1000000, 1, &chosen);
    Sync();
    if (!chosen) return std::nullopt;
    return width;
}

// The clipboard's keys and Ctrl+A anywhere in the panel's window (the Edit
// menu shows them); a typing field keeps its own.
void LorvaneDialog::AddClipboardKeys() {
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence::Copy, kPanelCopy},
        {QKeySequence::Cut, kPanelCut},
        {QKeySequence::Paste, kPanelPaste},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), kPanelPasteAtPointer},
        {QKeySequence(Qt::CTRL | Qt::Key_D), kPanelDuplicate},
        {QKeySequence::SelectAll, kPanelSelectAll},
    };
    for (const auto& [sequence, id] : keys) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, id] { HandleCommand(id); });
    }
}

std::string LorvaneDialog::ClipboardText() {
    return QApplication::clipboard()->text().toStdString();
}

void LorvaneDialog::PutOnClipboard(const std::string& text) {
    QApplication::clipboard()->setText(ToQt(text));
}

void LorvaneDialog::CommandPosted() {
    if (postScheduled_) return;
    postScheduled_ = true;
    QTimer::singleShot(0, this, [this] { RunPostedCommands(); });
}

}  // namespace lorvane
