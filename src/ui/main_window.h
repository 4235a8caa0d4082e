#pragma once
// The main window "Lorvane": draws the shell's menu, holds the editor panel,
// shows the status bar, and passes commands, keys and the close request to
// the shell. It may be resized down to the size that fits the panel's seed
// layout; its place and size are kept in the settings. Files dropped on it
// open as the shell says (MainShell::OpenDropped).

#include <QMainWindow>
#include <QPointer>
#include <vector>

#include "shell/shell_interfaces.h"

class QLabel;
class QMenu;
class QTimer;

namespace lorvane {

class MainShell;
class MessageHistory;
class MessagesWindow;
class ShortcutsWindow;
class TileListWindow;
class UserGuideWindow;
struct LoggedMessage;

inline constexpr int kMainWindowX = 300;
inline constexpr int kMainWindowY = 200;
inline constexpr int kMainWindowWidth = 1024;
inline constexpr int kMainWindowHeight = 768;
// How long a notice stays in the status bar.
inline constexpr int kNoticeMilliseconds = 15000;

class MainWindow : public QMainWindow, public ShellHost {
    Q_OBJECT
  public:
    explicit MainWindow(MainShell& shell);
    ~MainWindow() override;

    // Puts the editor panel into the window: the smallest size fits it.
    void SetEditorPanel(QWidget* panel);
    // The place, size and maximised state kept in the settings, or, without
    // them, at least 1024 x 768 (the panel's size when larger) at
    // (kMainWindowX, kMainWindowY), fitted to the screen.
    void ApplyPlacement();
    // The status bar's fields: the pointer in feet, the zoom, what is being
    // drawn, snapping.
    void SetStatus(const QString& pointer, const QString& zoom, const QString& drawing,
                   const QString& snap);
    QLabel* StatusField(int index) const;
    // The history View ▸ Messages lists (set once, before the first message).
    void SetMessageHistory(MessageHistory* history) { history_ = history; }
    // A message went into the history: a notice shows in the status bar's
    // notice field for a while; the Messages window, when open, follows.
    void MessageLogged(const LoggedMessage& entry, bool notice);
    QLabel* noticeField() const { return notice_; }
    // The View and Help windows; null while not open.
    MessagesWindow* messagesWindow() const;
    UserGuideWindow* userGuideWindow() const;
    ShortcutsWindow* shortcutsWindow() const;

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
    void ShowMessages() override;
    void ShowUserGuide() override;
    void ShowKeyboardShortcuts() override;
    void CloseWindow() override;
    void Post(std::function<void()> work) override;

  signals:
    // The close sequence agreed and the window closed.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // A Texture.bin or a tile image dragged from a file manager: the drop is
    // taken when it holds one (PlanDrop) and opened once the drop is done,
    // so that a question asked then does not hold up the program it came from.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    MainShell& shell_;
    std::vector<QMenu*> popups_;
    QPointer<TileListWindow> tileList_;
    std::vector<QLabel*> status_;
    QLabel* notice_ = nullptr;
    QTimer* noticeTimer_ = nullptr;
    MessageHistory* history_ = nullptr;
    QPointer<MessagesWindow> messages_;
    QPointer<UserGuideWindow> guide_;
    QPointer<ShortcutsWindow> shortcuts_;
};

}  // namespace lorvane
