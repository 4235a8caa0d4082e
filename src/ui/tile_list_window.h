#pragma once
// The tile list window: a table view over the shell's tile list (one model,
// no widget per row), seven centred columns, sorted by a header click, a row
// click or Up/Down loading the tile into the editor panel.

#include <QAbstractTableModel>
#include <QTableView>
#include <optional>

namespace lorvane {

class MainShell;

class TileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TileListModel(MainShell& shell, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Reset();
    void RowChanged(int row);

private:
    MainShell& shell_;
};

class TileListWindow : public QTableView {
    Q_OBJECT
public:
    TileListWindow(MainShell& shell, QWidget* owner);
    ~TileListWindow() override;

    // The rows changed (all, or one row), or only the selection.
    void Refresh(std::optional<int> row);
    void ShowSelection();
    TileListModel& tileModel() { return model_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SelectionChangedByUser();

    MainShell& shell_;
    TileListModel model_;
    bool syncing_ = false;
};

}  // namespace lorvane
