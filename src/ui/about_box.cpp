#include "ui/about_box.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/shell_state.h"

namespace lorvane {

AboutBox::AboutBox(QWidget* owner) : QDialog(owner) {
    setObjectName("aboutBox");
    setWindowTitle("About Lorvane");
    setFixedSize(DialogUnitsToPixelsX(251), DialogUnitsToPixelsY(176));
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(DialogUnitsToPixelsX(17), DialogUnitsToPixelsY(19), DialogUnitsToPixelsX(212),
                       DialogUnitsToPixelsY(118));
    auto* layout = new QVBoxLayout(frame);
    for (const char* text : {"Lorvane", "Version 1.55",
                             "A tool to generate \"paths\" and \"areas\" for new tiles in "
                             "Texture.bin."}) {
        auto* label = new QLabel(text, frame);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    ok_ = new QPushButton("OK", this);
    ok_->setDefault(true);
    ok_->setGeometry(DialogUnitsToPixelsX(95), DialogUnitsToPixelsY(147), DialogUnitsToPixelsX(50),
                     DialogUnitsToPixelsY(14));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::reject() {}

void AboutBox::closeEvent(QCloseEvent* event) {
    // Only OK ends the box; accept() closes it without a close event.
    event->ignore();
}

}  // namespace lorvane
