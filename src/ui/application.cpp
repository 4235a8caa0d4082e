#include "ui/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <iostream>
#include <new>
#include <stdexcept>

#include "base/command_ids.h"
#include "base/path_text.h"
#include "ui/compare_window.h"
#include "ui/lorvane_dialog.h"
#include "ui/main_window.h"
#include "ui/preferences_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/theater_map_window.h"
#include "ui/tile_list_window.h"

namespace lorvane {

Application::Application(std::filesystem::path startupFolder)
    : startupFolder_(std::move(startupFolder)),
      shell_(state_, {platform_, platform_, platform_, platform_, platform_}),
      terrainCommands_(shell_, dialogs_, output_),
      databaseCommands_(shell_, dialogs_),
      teamCommands_(shell_),
      journal_(JournalFolder(LoadPreferences(platform_)), CurrentProcessId()),
      recovery_(shell_, journal_) {
    terrainCommands_.Register();
    databaseCommands_.Register();
    teamCommands_.Register();
    shell_.SetRecovery(&recovery_);
}

Application::~Application() {
    platform_.SetListener({});
    shell_.SetHost(nullptr);
    shell_.SetProgressView(nullptr);
    teamCommands_.StopComparing();
    teamCommands_.SetView(nullptr);
    state_.session.SetEditor(nullptr);
    shell_.SetRecovery(nullptr);
}

TheaterMapWindow* Application::theaterMapWindow() { return theaterMap_.data(); }

bool Application::Start() {
    window_ = std::make_unique<MainWindow>(shell_);
    platform_.SetOwner(window_.get());
    window_->SetMessageHistory(&platform_.history());
    platform_.SetListener([this](const LoggedMessage& entry, bool notice) {
        if (window_) window_->MessageLogged(entry, notice);
    });
    dialogs_.SetOwner(window_.get());
    shell_.SetHost(window_.get());
    shell_.Initialize(startupFolder_);
    progress_ = new ProgressDialog(window_.get(), [this] {
        if (ShellProgress* progress = shell_.progress()) progress->Cancel();
    });
    shell_.SetProgressView(progress_);
    window_->show();

    // The editor draws on the session's document; its window shows it.
    editor_ = std::make_unique<EditorPanel>(state_.session.document(),
                                            PanelServices{platform_, platform_, shell_});
    lorvaneDialog_ = new LorvaneDialog(shell_, *editor_, window_.get());
    state_.session.SetEditor(editor_.get(), [this] { lorvaneDialog_->Sync(); });
    window_->SetEditorPanel(lorvaneDialog_);
    lorvaneDialog_->show();
    // The editor's edge markers come from the theater's matrix.
    editor_->UseTheater(output_.matrix, output_.matrixRevision);
    // File > Compare With lists the tiles that differ in a window of its own.
    auto* compare = new CompareWindow(teamCommands_, window_.get());
    teamCommands_.SetView(compare);
    shell_.RegisterCommand(kMenuDeletePath,
                           [this] { lorvaneDialog_->RunDeleteDialog(PanelList::Paths); });
    shell_.RegisterCommand(kMenuDeleteArea,
                           [this] { lorvaneDialog_->RunDeleteDialog(PanelList::Areas); });

    // View ▸ Zoom: what the viewer's own keys do.
    const std::pair<int, void (ZoomViewer::*)()> zooms[] = {
        {kMenuZoomIn, &ZoomViewer::ZoomIn},
        {kMenuZoomOut, &ZoomViewer::ZoomOut},
        {kMenuZoomFit, &ZoomViewer::FitTile},
        {kMenuZoomActual, &ZoomViewer::OneToOne},
    };
    for (const auto& [id, zoom] : zooms)
        shell_.RegisterCommand(id, [this, zoom] { (lorvaneDialog_->viewer().*zoom)(); });

    shell_.RegisterCommand(kMenuTheaterMap, [this] {
        if (!theaterMap_) {
            theaterMap_ = new TheaterMapWindow(shell_, output_, window_.get());
            theaterMap_->setAttribute(Qt::WA_DeleteOnClose);
        }
        theaterMap_->Refresh();
        theaterMap_->show();
        theaterMap_->raise();
        theaterMap_->activateWindow();
    });

    shell_.RegisterCommand(kMenuPreferences, [this] { EditPreferences(); });

    shell_.LoadRecentFileList();
    return true;
}

std::filesystem::path JournalFolder(const Preferences& preferences) {
    return preferences.journalFolder.empty() ? RecoveryFolder()
                                             : PathFromUtf8(preferences.journalFolder);
}

void Application::EditPreferences() {
    PreferencesDialog dialog(LoadPreferences(platform_), window_.get());
    if (dialog.exec() != QDialog::Accepted || !dialog.accepted()) return;
    const Preferences& chosen = *dialog.accepted();
    if (!SavePreferences(platform_, chosen))
        platform_.Error("The preferences could not be stored in the settings.", "Preferences");
    ApplyPreferences(chosen, *editor_);
    lorvaneDialog_->Sync();
}

void Application::OpenFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) shell_.OpenPath(path);
}

namespace {

// Every event goes through notify: an allocation that fails in any command
// ends that command with its message, and the program goes on with what it
// had (each load builds its result aside before it replaces the old one).
class GuardedApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            OutOfMemory();
        } catch (const std::length_error&) {  // a size past what can be allocated
            OutOfMemory();
        }
        return false;
    }

  private:
    void OutOfMemory() {
        if (reporting_) return;
        reporting_ = true;
        try {
            QMessageBox box(QMessageBox::Critical, "Memory Allocation Error",
                            "There is not enough memory for this command.", QMessageBox::Ok,
                            activeWindow());
            box.exec();
        } catch (...) {  // NOLINT(bugprone-empty-catch): no memory even for the message
        }
        reporting_ = false;
    }

    bool reporting_ = false;
};

void PrintHelp() {
    std::cout << "Usage: lorvane [FILE...]\n"
                 "Draws paths and areas over the tiles of a Texture.bin tile database.\n\n"
                 "Files given are opened by their extension: a Texture.bin (.bin), a tile\n"
                 "image (.pcx) or a terrain file (.L2, .L2M).\n\n"
                 "  --help     show this text and end\n"
                 "  --version  show the version and end\n";
}

}  // namespace

int RunLorvane(int argc, char** argv, const char* version) {
    std::vector<std::string> files;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (options && std::strcmp(argument, "--") == 0) {
            options = false;
        } else if (options &&
                   (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)) {
            PrintHelp();
            return 0;
        } else if (options && std::strcmp(argument, "--version") == 0) {
            std::cout << "lorvane " << version << '\n';
            return 0;
        } else if (options && argument[0] == '-' && argument[1] != '\0') {
            std::cerr << "lorvane: unknown option " << argument << "\nTry lorvane --help\n";
            return 2;
        } else {
            files.emplace_back(argument);
        }
    }

#if !defined(_WIN32)
    // A file grown past the limit of ulimit -f is a failed write with its
    // message, not the end of the program by a signal.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    GuardedApplication qtApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::error_code error;
    std::filesystem::path startupFolder = std::filesystem::current_path(error);
    if (error) startupFolder = ".";
    Application application(startupFolder);
    if (!application.Start()) {
        QMessageBox box(QMessageBox::NoIcon, QString(), "Lorvane couldn't start!", QMessageBox::Ok);
        box.exec();
        return 1;
    }
    QObject::connect(&application.window(), &MainWindow::closed, &qtApplication,
                     &QApplication::quit, Qt::QueuedConnection);
    // The files named open first, a database with the offer of the work left
    // unsaved in it (recovered into it, once); then the work left in other
    // files is offered. As the first event, so that a failed allocation
    // there ends only that work, with its message, as in every command.
    QTimer::singleShot(0, &application.window(), [&application, &files] {
        application.OpenFiles(files);
        application.recovery().OfferAtStart();
    });
    return QApplication::exec() == 0 ? 0 : 1;
}

}  // namespace lorvane
