#include "ui/tile_list_window.h"

#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>

#include "shell/main_shell.h"
#include "ui/qt_platform.h"

namespace lorvane {

TileListModel::TileListModel(MainShell& shell, QObject* parent)
    : QAbstractTableModel(parent), shell_(shell) {}

int TileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shell_.tileList().rows.size());
}

int TileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTileListColumns;
}

QVariant TileListModel::data(const QModelIndex& index, int role) const {
    const auto& rows = shell_.tileList().rows;
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size())) return {};
    if (role == Qt::DisplayRole)
        return ToQt(
            rows[static_cast<size_t>(index.row())].cells[static_cast<size_t>(index.column())]);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role == Qt::UserRole) return rows[static_cast<size_t>(index.row())].position;
    // The row of the tile on screen is marked in bold.
    if (role == Qt::FontRole &&
        shell_.tileList().onScreenPosition == rows[static_cast<size_t>(index.row())].position) {
        QFont font;
        font.setBold(true);
        return font;
    }
    return {};
}

QVariant TileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kTileListColumns) return {};
    if (role == Qt::DisplayRole)
        return QString(TileListColumns[static_cast<size_t>(section)].header);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

void TileListModel::Reset() {
    beginResetModel();
    endResetModel();
}

void TileListModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kTileListColumns - 1));
}

TileListWindow::TileListWindow(MainShell& shell, QWidget* owner)
    : QTableView(owner), shell_(shell), model_(shell, this) {
    setWindowFlag(Qt::Window, true);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("tileList");
    setWindowTitle(kTileListCaption);
    setModel(&model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    // Each column at least as wide as its whole title and the sort arrow.
    horizontalHeader()->setSortIndicatorShown(true);
    int total = 0;
    for (int column = 0; column < kTileListColumns; ++column) {
        const TileListColumn& shown = TileListColumns[static_cast<size_t>(column)];
        const int title = horizontalHeader()->fontMetrics().horizontalAdvance(shown.header) + 28;
        setColumnWidth(column, std::max(shown.width, title));
        total += columnWidth(column);
    }
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        // The shell's direction of this click, which it then reverses.
        const bool ascending = shell_.tileList().sortAscending;
        shell_.TileListHeaderClicked(column);
        horizontalHeader()->setSortIndicator(column,
                                             ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    });
    connect(this, &QTableView::clicked, this,
            [this](const QModelIndex& index) { shell_.TileListRowClicked(index.row()); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { SelectionChangedByUser(); });
    resize(total + 2 * frameWidth() + 20, 600);
}

TileListWindow::~TileListWindow() = default;

void TileListWindow::SelectionChangedByUser() {
    if (syncing_) return;
    const QModelIndexList selected = selectionModel()->selectedRows();
    shell_.TileListSelected(selected.isEmpty() ? std::nullopt
                                               : std::optional<int>(selected.front().row()));
}

void TileListWindow::Refresh(std::optional<int> row) {
    if (row) {
        model_.RowChanged(*row);
        return;
    }
    syncing_ = true;
    model_.Reset();
    syncing_ = false;
    ShowSelection();
}

void TileListWindow::ShowSelection() {
    syncing_ = true;
    const std::optional<int> row = shell_.tileList().SelectedRow();
    if (row) {
        const QModelIndex index = model_.index(*row, 0);
        selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    } else {
        selectionModel()->clearSelection();
    }
    syncing_ = false;
}

void TileListWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        shell_.TileListKey(event->key() == Qt::Key_Down);
        return;
    }
    QTableView::keyPressEvent(event);
}

}  // namespace lorvane
