#pragma once
// The main window "Lorvane": draws the shell's menu, holds the editor panel,
// keeps its fixed place and size, and passes commands, keys and the close
// request to the shell.

#include <QMainWindow>
#include <QPointer>
#include <vector>

#include "shell/shell_interfaces.h"

class QMenu;

namespace lorvane {

class MainShell;
class TileListWindow;

inline constexpr int kMainWindowX = 300;
inline constexpr int kMainWindowY = 200;

class MainWindow : public QMainWindow, public ShellHost {
    Q_OBJECT
public:
    explicit MainWindow(MainShell& shell);
    ~MainWindow() override;

    // Puts the editor panel into the window and sizes the window around it.
    void SetEditorPanel(QWidget* panel);
    // Moves the window to its place and gives it the size that fits the panel.
    void ApplyPlacement();

    // The menu item of a command id; null when the menu has none.
    QAction* Action(int id) const;
    QMenu* Popup(size_t index) const;
    TileListWindow* tileListWindow() const;

    // ShellHost
    void MenuChanged() override;
    void TitleChanged(const std::string& title) override;
    bool CreateTileListWindow() override;
    void TileListChanged(std::optional<int> row) override;
    void TileListSelectionChanged() override;
    void FocusTileList() override;
    void ShowAboutBox() override;
    void CloseWindow() override;
    void Post(std::function<void()> work) override;

signals:
    // The close sequence agreed and the window closed.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    MainShell& shell_;
    std::vector<QMenu*> popups_;
    QPointer<TileListWindow> tileList_;
};

}  // namespace lorvane
