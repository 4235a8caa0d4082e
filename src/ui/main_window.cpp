#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include "base/command_ids.h"
#include "shell/keyboard_shortcuts.h"
#include "shell/main_shell.h"
#include "shell/message_history.h"
#include "shell/settings.h"
#include "ui/about_box.h"
#include "ui/help_windows.h"
#include "ui/messages_window.h"
#include "ui/program_icon.h"
#include "ui/qt_platform.h"
#include "ui/tile_list_window.h"

namespace lorvane {

MainWindow::MainWindow(MainShell& shell) : shell_(shell) {
    setObjectName("mainWindow");
    setWindowTitle("Lorvane");
    setWindowIcon(ProgramIcon());
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLabel(this);
        field->setObjectName(QString("status%1").arg(i));
        status_.push_back(field);
        // The drawing read-out takes what room there is.
        statusBar()->addWidget(field, i == 2 ? 1 : 0);
    }
    // What the program last did, at the right, until it is old news.
    notice_ = new QLabel(this);
    notice_->setObjectName("statusNotice");
    statusBar()->addPermanentWidget(notice_);
    noticeTimer_ = new QTimer(this);
    noticeTimer_->setSingleShot(true);
    connect(noticeTimer_, &QTimer::timeout, notice_, &QLabel::clear);
    for (const MenuPopup& popup : shell_.menu().popups)
        popups_.push_back(menuBar()->addMenu(ToQt(popup.title)));
    MenuChanged();
    setAcceptDrops(true);
}

MainWindow::~MainWindow() {
    if (tileList_) delete tileList_.data();
}

void MainWindow::SetEditorPanel(QWidget* panel) {
    setCentralWidget(panel);
    ApplyPlacement();
}

void MainWindow::ApplyPlacement() {
    QWidget* panel = centralWidget();
    if (panel == nullptr) return;
    // The panel's seed layout is its smallest size.
    const QSize panelSize = panel->minimumSize().expandedTo(panel->size());
    const QSize smallest(panelSize.width(), panelSize.height() + menuBar()->sizeHint().height() +
                                                statusBar()->sizeHint().height());
    setMinimumSize(smallest);
    // Qt's own record of the last close: place, size and maximised state,
    // put back on a screen that is there now.
    if (const auto placement = shell_.platform().settings.Read(kWindowPlacementSetting)) {
        if (restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*placement)))) return;
    }
    std::vector<WindowGeometry> screens;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        const QRect area = primary->availableGeometry();
        screens.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        screens.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    const auto stored =
        LoadWindowGeometry(shell_.platform().settings, smallest.width(), smallest.height());
    // Without a stored place: large enough for the panel's lists to show
    // every column, at least 1024 x 768 where the screen has the room.
    const WindowGeometry wanted =
        stored ? *stored
               : WindowGeometry{kMainWindowX, kMainWindowY,
                                std::max(smallest.width(), kMainWindowWidth),
                                std::max(smallest.height(), kMainWindowHeight)};
    // A stored size larger than the screens (a hand-edited setting, a
    // screen since removed) would cost memory past reason: it fits them.
    const WindowGeometry fitted =
        FitToScreens(wanted, screens, smallest.width(), smallest.height());
    resize(fitted.width, fitted.height);
    move(fitted.x, fitted.y);
}

void MainWindow::SetStatus(const QString& pointer, const QString& zoom, const QString& drawing,
                           const QString& snap) {
    const QString texts[] = {pointer, zoom, drawing, snap};
    for (size_t i = 0; i < status_.size(); ++i) status_[i]->setText(texts[i]);
}

QLabel* MainWindow::StatusField(int index) const {
    return index >= 0 && static_cast<size_t>(index) < status_.size()
               ? status_[static_cast<size_t>(index)]
               : nullptr;
}

void MainWindow::MenuChanged() {
    const MenuBar& model = shell_.menu();
    for (size_t p = 0; p < popups_.size() && p < model.popups.size(); ++p) {
        QMenu* menu = popups_[p];
        menu->clear();
        for (const MenuItem& item : model.popups[p].items) {
            QAction* action =
                item.separator ? menu->addSeparator() : menu->addAction(ToQt(item.text));
            action->setData(item.id);
            action->setEnabled(item.enabled);
            if (item.checkable || item.checked || IsTheaterId(item.id)) {
                action->setCheckable(true);
                action->setChecked(item.checked);
            }
            if (item.separator || item.id == 0) continue;
            const int id = item.id;
            if (const KeyboardShortcut* shortcut = ShortcutOf(id)) {
                QList<QKeySequence> keys;
                for (const std::string& key : shortcut->keys) keys << QKeySequence(ToQt(key));
                if (shortcut->menuHoldsKeys) {
                    action->setShortcuts(keys);
                } else if (!keys.isEmpty()) {
                    // A control holds the keys; the item only shows them.
                    action->setText(action->text() + '\t' +
                                    keys.front().toString(QKeySequence::NativeText));
                }
            }
            // Queued, so that the menu that was clicked may be rebuilt by the command.
            connect(
                action, &QAction::triggered, this, [this, id] { shell_.HandleCommand(id); },
                Qt::QueuedConnection);
        }
    }
}

QAction* MainWindow::Action(int id) const {
    for (QMenu* menu : popups_)
        for (QAction* action : menu->actions())
            if (action->data().toInt() == id) return action;
    return nullptr;
}

QMenu* MainWindow::Popup(size_t index) const {
    return index < popups_.size() ? popups_[index] : nullptr;
}

TileListWindow* MainWindow::tileListWindow() const { return tileList_.data(); }

void MainWindow::TitleChanged(const std::string& title) { setWindowTitle(ToQt(title)); }

bool MainWindow::CreateTileListWindow() {
    if (!tileList_) {
        tileList_ = new TileListWindow(shell_, this);
        connect(tileList_, &QObject::destroyed, this, [this] { shell_.TileListClosed(); });
        // Beside the main window where the screen has room, never off it.
        std::vector<WindowGeometry> screens;
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            screens.push_back({area.x(), area.y(), area.width(), area.height()});
        }
        const QRect frame = frameGeometry();
        const WindowGeometry beside =
            FitToScreens({frame.right() + 1, frame.y(), tileList_->width(), tileList_->height()},
                         screens, 200, 200);
        tileList_->resize(beside.width, beside.height);
        tileList_->move(beside.x, beside.y);
    }
    tileList_->show();
    tileList_->raise();
    tileList_->activateWindow();
    return true;
}

void MainWindow::TileListChanged(std::optional<int> row) {
    if (tileList_) tileList_->Refresh(row);
}

void MainWindow::TileListSelectionChanged() {
    if (tileList_) tileList_->ShowSelection();
}

void MainWindow::FocusTileList() {
    if (!tileList_) return;
    tileList_->activateWindow();
    tileList_->setFocus();
}

void MainWindow::ShowAboutBox() {
    AboutBox box(this);
    box.exec();
}

void MainWindow::MessageLogged(const LoggedMessage& entry, bool notice) {
    if (notice) {
        const QString text = ToQt(NoticeText(entry.message));
        notice_->setText(text);
        notice_->setToolTip(ToQt(MessageLine(entry)));
        noticeTimer_->start(kNoticeMilliseconds);
    }
    if (messages_) messages_->Refresh();
}

namespace {

template <typename Window>
void Present(QPointer<Window>& window, auto make) {
    if (!window) {
        window = make();
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

MessagesWindow* MainWindow::messagesWindow() const { return messages_.data(); }
UserGuideWindow* MainWindow::userGuideWindow() const { return guide_.data(); }
ShortcutsWindow* MainWindow::shortcutsWindow() const { return shortcuts_.data(); }

void MainWindow::ShowMessages() {
    if (history_ == nullptr) return;
    Present(messages_, [this] { return new MessagesWindow(*history_, this); });
}

void MainWindow::ShowUserGuide() {
    Present(guide_, [this] { return new UserGuideWindow(this); });
}

void MainWindow::ShowKeyboardShortcuts() {
    Present(shortcuts_, [this] { return new ShortcutsWindow(this); });
}

void MainWindow::CloseWindow() { close(); }

void MainWindow::Post(std::function<void()> work) { QTimer::singleShot(0, this, std::move(work)); }

namespace {

// What a drag's files would open; empty for anything but local files.
DropPlan PlanOf(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data != nullptr)
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) paths.push_back(FromQt(url.toLocalFile()));
    return PlanDrop(paths);
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!PlanOf(event->mimeData()).empty()) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!PlanOf(event->mimeData()).empty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const DropPlan plan = PlanOf(event->mimeData());
    if (plan.empty()) return;
    event->acceptProposedAction();
    Post([this, plan] { shell_.OpenDropped(plan); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!shell_.ConfirmClose()) {
        event->ignore();
        return;
    }
    event->accept();
    SettingsStore& settings = shell_.platform().settings;
    settings.Write(kWindowPlacementSetting, saveGeometry().toBase64().toStdString());
    SaveWindowGeometry(settings, {x(), y(), width(), height()});
    if (tileList_) tileList_->close();
    emit closed();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        shell_.HandleArrowKey(event->key() == Qt::Key_Down);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        // Back in the foreground: another program may have changed the
        // database's file meanwhile. Asked once the activation is handled.
        Post([this] { shell_.CheckDatabaseFile(); });
    }
}

}  // namespace lorvane
