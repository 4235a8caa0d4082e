#pragma once
// Answers the modal windows of the desktop program as they come up, for the
// tests that drive the real program objects on the offscreen platform.

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

#include "base/command_ids.h"
#include "ui/set_dialog.h"

namespace lorvane::testing {

// Each modal window is offered to the next step first, which returns false
// when the window is not yet the one it waits for. Message boxes no step
// takes are answered at once (Ok, or the button that cancels when they ask
// a question) and kept for the checks.
class ModalAnswers : public QObject {
  public:
    using Step = std::function<bool(QWidget*)>;
    struct Box {
        QMessageBox::Icon icon;
        QString text;
        bool question;  // it offered more than Ok
    };

    ModalAnswers() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { AnswerActive(); });
        timer_.start();
    }
    void Expect(std::deque<Step> steps) { steps_ = std::move(steps); }
    bool done() const { return steps_.empty(); }
    const std::vector<Box>& boxes() const { return boxes_; }

  private:
    void AnswerActive() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (!steps_.empty() && steps_.front()(modal)) {
            steps_.pop_front();
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const bool question = box->button(QMessageBox::Ok) == nullptr;
            boxes_.push_back({box->icon(), box->text(), question});
            QAbstractButton* answer =
                question ? box->button(QMessageBox::Cancel) : box->button(QMessageBox::Ok);
            if (answer == nullptr) answer = box->escapeButton();
            if (answer != nullptr) answer->click();
        }
    }

    std::deque<Step> steps_;
    std::vector<Box> boxes_;
    QTimer timer_;
};

inline QString QtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// A file chosen in Qt's file dialog (open or save) as a user would: the
// path typed, then the dialog's accept. A dialog still busy reading its
// folder may not take it yet: then it is tried again.
inline ModalAnswers::Step ChooseFile(const std::filesystem::path& path) {
    return [file = QtPath(path)](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) return false;
        dialog->selectFile(file);
        QMetaObject::invokeMethod(dialog, "accept");
        return !dialog->isVisible();
    };
}

// The set dialog's type list set to a position, then its button 1.
inline ModalAnswers::Step ChooseSetType(int position) {
    return [position](QWidget* modal) {
        auto* dialog = qobject_cast<SetDialog*>(modal);
        if (dialog == nullptr) return false;
        dialog->typeList()->setCurrentIndex(position);
        dialog->applyButton()->click();
        return true;
    };
}

// The New Path dialog: Road of a width, then OK. Its type list and width
// field carry the panel's control ids as object names.
inline ModalAnswers::Step ChooseRoad(int width) {
    return [width](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr || dialog->windowTitle() != "New Path") return false;
        auto* types = dialog->findChild<QComboBox*>(QString::number(kPanelPathList));
        auto* widthText = dialog->findChild<QLineEdit*>(QString::number(kPanelWidth));
        auto* ok = dialog->findChild<QPushButton*>(QString::number(kIdOk));
        if (types == nullptr || widthText == nullptr || ok == nullptr) return false;
        types->setCurrentIndex(types->findText("Road"));
        widthText->setText(QString::number(width));
        ok->click();
        return true;
    };
}

// A question's button pressed by its text; the box text is kept in asked.
inline ModalAnswers::Step PressButton(const QString& text, QString* asked = nullptr) {
    return [text, asked](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return false;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() != text) continue;
            if (asked != nullptr) *asked = box->text();
            button->click();
            return true;
        }
        return false;
    };
}

}  // namespace lorvane::testing
