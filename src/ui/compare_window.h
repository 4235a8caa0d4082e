#pragma once
// File ▸ Compare With…: the tiles that differ from another database, one row
// each (id, name, what changed, paths and areas added, removed and changed);
// a double click or Enter on a row loads the tile, with the other
// database's entries shown faded. Closing the window ends the comparison.

#include <QTreeWidget>

#include "shell/team_commands.h"

namespace lorvane {

class CompareWindow : public QTreeWidget, public CompareView {
    Q_OBJECT
  public:
    CompareWindow(TeamCommands& team, QWidget* owner);

    void ShowComparison(const std::string& title, const std::vector<CompareRow>& rows) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TeamCommands& team_;
};

}  // namespace lorvane
