#pragma once
// The desktop program's platform services: message boxes, file dialogs, the
// save question and the stored settings (QSettings("Hollin", "Quistral"):
// the recent files "File1" .. "File9" and the group "Paths" with "Terrain",
// "Work2" and "Texture").

#include <QString>
#include <filesystem>
#include <functional>

#include "base/message.h"
#include "base/platform.h"
#include "shell/message_history.h"
#include "shell/shell_interfaces.h"

class QWidget;

namespace lorvane {

QString ToQt(const std::string& text);
// The recovery folder beside the settings: "Recovery" in the folder of the
// program's settings file in ini form (~/.config/Hollin/Recovery).
std::filesystem::path RecoveryFolder();
std::string FromQt(const QString& text);

// "Tile image file|*.pcx||" as a Qt filter: "Tile image file (*.pcx)".
QString QtFilter(const std::string& filter);

class QtPlatform : public MessageSink,
                   public FileChooser,
                   public SettingsStore,
                   public SaveQuestion,
                   public Notices {
  public:
    // Dialogs and message boxes are owned by the owner widget (may be set later).
    void SetOwner(QWidget* owner) { owner_ = owner; }
    // Every message, notice and question goes into the history; the
    // listener hears of each (notice: it was a notice, not a box).
    using Listener = std::function<void(const LoggedMessage& entry, bool notice)>;
    void SetListener(Listener listener) { listener_ = std::move(listener); }
    MessageHistory& history() { return history_; }

    void Notice(const Message& notice) override;
    void Show(const Message& message) override;
    FileChoice OpenFile(const FileDialogRequest& request) override;
    FileChoice OpenFiles(const FileDialogRequest& request) override;
    FileChoice SaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> Read(std::string_view name) override;
    bool Write(std::string_view name, std::string_view value) override;
    SaveAnswer AskSave(const Message& question) override;
    size_t AskChoice(const Message& question, const std::vector<std::string>& buttons,
                     size_t defaultButton) override;

  private:
    void Log(MessageKind kind, const Message& message, bool notice);

    QWidget* owner_ = nullptr;
    MessageHistory history_;
    Listener listener_;
};

}  // namespace lorvane
