#include "ui/qt_platform.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <QTime>
#include <QWidget>
#include <algorithm>

#include "base/path_text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace lorvane {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

std::filesystem::path RecoveryFolder() {
    const QSettings ini(QSettings::IniFormat, QSettings::UserScope, "Hollin", "Quistral");
    return PathFromUtf8(FromQt(QFileInfo(ini.fileName()).absolutePath())) / "Recovery";
}
std::string FromQt(const QString& text) { return text.toStdString(); }

QString QtFilter(const std::string& filter) {
    const QStringList parts = ToQt(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        filters << parts[i] + " (" + patterns + ")";
    }
    return filters.join(";;");
}

namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
        case MessageIcon::Warning:
            return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

QString StartPath(const FileDialogRequest& request) {
    QString folder = ToQt(PathToUtf8(request.startFolder));
    if (request.proposedName.empty() || request.proposedName.find('*') != std::string::npos)
        return folder;
    if (!folder.isEmpty() && !folder.endsWith('/') && !folder.endsWith('\\')) folder += '/';
    return folder + ToQt(request.proposedName);
}

// A path of a Qt dialog ("/" between names) in the system's own form.
std::filesystem::path PathFromQt(const QString& path) {
    return PathFromUtf8(FromQt(QDir::toNativeSeparators(path)));
}

FileChoice ChoiceFrom(const QString& path) {
    if (path.isEmpty()) return FileChoice::Cancelled();
    return FileChoice::Chosen(PathFromQt(path));
}

#if defined(_WIN32)
// The system's own message box: a message with one OK button.
void ShowNativeMessage(QWidget* owner, const Message& message) {
    UINT icon = 0;
    switch (message.icon) {
        case MessageIcon::Error:
            icon = MB_ICONERROR;
            break;
        case MessageIcon::Information:
            icon = MB_ICONINFORMATION;
            break;
        case MessageIcon::Exclamation:
        case MessageIcon::Warning:
            icon = MB_ICONWARNING;
            break;
    }
    std::string text = message.text;
    if (!message.detail.empty()) text += "\n\n" + message.detail;
    HWND window = owner != nullptr ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    MessageBoxW(window, WideFromUtf8(text).c_str(), WideFromUtf8(message.caption).c_str(),
                MB_OK | icon | (window == nullptr ? MB_TASKMODAL : 0));
}
#endif

}  // namespace

void QtPlatform::Log(MessageKind kind, const Message& message, bool notice) {
    history_.Add(FromQt(QTime::currentTime().toString("HH:mm:ss")), kind, message);
    if (listener_) listener_(history_.entries().back(), notice);
}

void QtPlatform::Notice(const Message& notice) { Log(MessageKind::Done, notice, true); }

void QtPlatform::Show(const Message& message) {
    Log(BoxKind(message.icon), message, false);
#if defined(_WIN32)
    ShowNativeMessage(owner_, message);
#else
    QMessageBox box(QtIcon(message.icon), ToQt(message.caption), ToQt(message.text),
                    QMessageBox::Ok, owner_);
    if (!message.detail.empty()) box.setDetailedText(ToQt(message.detail));
    box.exec();
#endif
}

FileChoice QtPlatform::OpenFile(const FileDialogRequest& request) {
    if (!request.fileMustExist) {
        // A name that is no file may be typed (the tile dialog takes a tile id).
        QFileDialog dialog(owner_, ToQt(request.title), StartPath(request),
                           QtFilter(request.filter));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return FileChoice::Cancelled();
        return ChoiceFrom(dialog.selectedFiles().front());
    }
    return ChoiceFrom(QFileDialog::getOpenFileName(owner_, ToQt(request.title), StartPath(request),
                                                   QtFilter(request.filter)));
}

FileChoice QtPlatform::OpenFiles(const FileDialogRequest& request) {
    const QStringList paths = QFileDialog::getOpenFileNames(
        owner_, ToQt(request.title), StartPath(request), QtFilter(request.filter));
    if (paths.isEmpty()) return FileChoice::Cancelled();
    FileChoice choice = FileChoice::Chosen(PathFromQt(paths.front()));
    choice.path = PathFromUtf8(choice.folderPart());
    for (const QString& path : paths)
        choice.fileNames.push_back(FileChoice::Chosen(PathFromQt(path)).fileTitle());
    return choice;
}

FileChoice QtPlatform::SaveFile(const FileDialogRequest& request) {
    QFileDialog::Options options;
    if (!request.overwritePrompt) options |= QFileDialog::DontConfirmOverwrite;
    QString path = QFileDialog::getSaveFileName(owner_, ToQt(request.title), StartPath(request),
                                                QtFilter(request.filter), nullptr, options);
    if (!path.isEmpty() && !request.defaultExtension.empty() && !path.contains('.'))
        path += "." + ToQt(request.defaultExtension);
    return ChoiceFrom(path);
}

std::optional<std::string> QtPlatform::Read(std::string_view name) {
    QSettings settings("Hollin", "Quistral");
    const QString key = ToQt(std::string(name));
    if (!settings.contains(key)) return std::nullopt;
    return FromQt(settings.value(key).toString());
}

bool QtPlatform::Write(std::string_view name, std::string_view value) {
    QSettings settings("Hollin", "Quistral");
    settings.setValue(ToQt(std::string(name)), ToQt(std::string(value)));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

SaveAnswer QtPlatform::AskSave(const Message& question) {
    Log(MessageKind::Question, question, false);
    QMessageBox box(QtIcon(question.icon), ToQt(question.caption), ToQt(question.text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner_);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveAnswer::Save;
        case QMessageBox::Discard:
            return SaveAnswer::Discard;
        default:
            return SaveAnswer::Cancel;
    }
}

size_t QtPlatform::AskChoice(const Message& question, const std::vector<std::string>& buttons,
                             size_t defaultButton) {
    Log(MessageKind::Question, question, false);
    QMessageBox box(QtIcon(question.icon), ToQt(question.caption), ToQt(question.text),
                    QMessageBox::NoButton, owner_);
    std::vector<QPushButton*> pushButtons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size();
        pushButtons.push_back(box.addButton(
            ToQt(buttons[i]), last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (pushButtons.empty()) return 0;
    box.setDefaultButton(pushButtons[std::min(defaultButton, pushButtons.size() - 1)]);
    box.setEscapeButton(pushButtons.back());
    box.exec();
    for (size_t i = 0; i < pushButtons.size(); ++i)
        if (box.clickedButton() == pushButtons[i]) return i;
    return pushButtons.size() - 1;
}

}  // namespace lorvane
