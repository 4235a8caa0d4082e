#include "ui/compare_window.h"

#include <QCloseEvent>
#include <QHeaderView>

#include "ui/qt_platform.h"

namespace lorvane {

CompareWindow::CompareWindow(TeamCommands& team, QWidget* owner) : QTreeWidget(owner), team_(team) {
    setWindowFlags(Qt::Window);
    setObjectName("compareWindow");
    setRootIsDecorated(false);
    setHeaderLabels({"ID", "Name", "Change", "Paths + \u2212 ~", "Areas + \u2212 ~"});
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    resize(520, 420);
    const auto open = [this](QTreeWidgetItem* item) {
        if (item != nullptr) team_.OpenRow(item->data(0, Qt::UserRole).toInt());
    };
    connect(this, &QTreeWidget::itemActivated, this,
            [open](QTreeWidgetItem* item, int) { open(item); });
}

void CompareWindow::ShowComparison(const std::string& title, const std::vector<CompareRow>& rows) {
    setWindowTitle(ToQt(title));
    clear();
    for (const CompareRow& row : rows) {
        auto* item =
            new QTreeWidgetItem(this, {QString::number(row.id), ToQt(row.name), ToQt(row.change),
                                       ToQt(row.paths), ToQt(row.areas)});
        item->setData(0, Qt::UserRole, row.id);
    }
    show();
    raise();
    activateWindow();
}

void CompareWindow::closeEvent(QCloseEvent* event) {
    team_.StopComparing();
    QTreeWidget::closeEvent(event);
}

}  // namespace lorvane
