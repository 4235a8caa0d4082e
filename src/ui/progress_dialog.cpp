#include "ui/progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "base/command_ids.h"
#include "ui/qt_platform.h"

namespace lorvane {

namespace {
QRect Units(int x, int y, int width, int height) {
    return {DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
            DialogUnitsToPixelsY(height)};
}
}  // namespace

ProgressDialog::ProgressDialog(QWidget* owner, std::function<void()> onCancel)
    : QDialog(owner), onCancel_(std::move(onCancel)) {
    setObjectName("progressDialog");
    setWindowTitle("Building Texture.bin File");
    // The window's cancel request must not be lost while long work runs: the
    // rest of the program waits (as it would without an event loop).
    setWindowModality(Qt::ApplicationModal);
    // The template is 226 x 62 units; a row for the Cancel button is added so
    // the keyboard and the mouse can ask to stop.
    setFixedSize(DialogUnitsToPixelsX(226), DialogUnitsToPixelsY(62 + 20));
    label_ = new QLabel("Building New Texture.bin", this);
    label_->setObjectName(QString::number(kProgressLabel));
    label_->setAlignment(Qt::AlignCenter);
    label_->setGeometry(Units(40, 13, 100, 12));
    count_ = new QLabel("0", this);
    count_->setObjectName(QString::number(kProgressCount));
    count_->setAlignment(Qt::AlignCenter);
    count_->setGeometry(Units(141, 13, 30, 12));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QString::number(kProgressBar));
    bar_->setGeometry(Units(22, 29, 183, 16));
    bar_->setTextVisible(false);
    bar_->setStyleSheet(
        "QProgressBar { border: 1px solid black; background-color: rgb(0, 96, 96); }"
        "QProgressBar::chunk { background-color: rgb(255, 255, 0); }");
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setGeometry(Units(88, 60, 50, 14));
    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::reject);
}

void ProgressDialog::OpenView(const std::string& caption, int rangeMin, int rangeMax) {
    setWindowTitle(ToQt(caption));
    label_->setText("Building New Texture.bin");
    count_->setText("0");
    bar_->setRange(rangeMin, std::max(rangeMin, rangeMax));
    bar_->setValue(rangeMin);
    if (parentWidget() != nullptr) move(parentWidget()->pos() + QPoint(75, 81));
    show();
    TakeInput();
}

void ProgressDialog::ShowSections(int count, int position) {
    label_->setText("Sections Completed:");
    count_->setText(QString::number(count));
    bar_->setValue(position);
    TakeInput();
}

void ProgressDialog::CloseView() {
    closing_ = true;
    hide();
    closing_ = false;
}

void ProgressDialog::TakeInput() {
    if (isVisible()) QCoreApplication::processEvents();
}

void ProgressDialog::reject() {
    if (onCancel_) onCancel_();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    event->ignore();
    if (onCancel_) onCancel_();
}

}  // namespace lorvane
