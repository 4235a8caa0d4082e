#pragma once
// The modeless progress dialog of long operations: a caption by mode, the
// label "Sections Completed:" with the count, and a yellow bar on dark teal.
// Its cancel request (Cancel, Esc, the close box) sets the abort flag and the
// dialog stays open until the operation closes it.

#include <QDialog>
#include <functional>

#include "shell/shell_state.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace lorvane {

class ProgressDialog : public QDialog, public ProgressView {
    Q_OBJECT
public:
    ProgressDialog(QWidget* owner, std::function<void()> onCancel);

    void OpenView(const std::string& caption, int rangeMin, int rangeMax) override;
    void ShowSections(int count, int position) override;
    void CloseView() override;
    void TakeInput() override;

    QProgressBar* bar() const { return bar_; }
    QLabel* label() const { return label_; }
    QLabel* count() const { return count_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void reject() override;  // a cancel request: the dialog stays

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> onCancel_;
    QProgressBar* bar_;
    QLabel* label_;
    QLabel* count_;
    QPushButton* cancel_;
    bool closing_ = false;
};

}  // namespace lorvane
