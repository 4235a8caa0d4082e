#include "ui/messages_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/qt_platform.h"

namespace lorvane {

namespace {

QIcon KindIcon(const QStyle* style, MessageKind kind) {
    switch (kind) {
        case MessageKind::Done:
            return style->standardIcon(QStyle::SP_DialogApplyButton);
        case MessageKind::Information:
            return style->standardIcon(QStyle::SP_MessageBoxInformation);
        case MessageKind::Warning:
            return style->standardIcon(QStyle::SP_MessageBoxWarning);
        case MessageKind::Error:
            return style->standardIcon(QStyle::SP_MessageBoxCritical);
        case MessageKind::Question:
            return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    }
    return {};
}

}  // namespace

MessagesWindow::MessagesWindow(MessageHistory& history, QWidget* parent)
    : QWidget(parent, Qt::Window), history_(history) {
    setObjectName("messagesWindow");
    setWindowTitle("Messages");
    list_ = new QListWidget(this);
    list_->setObjectName("messageList");
    list_->setToolTip("What the program did and said, newest last");
    list_->setWordWrap(true);
    auto* clear = new QPushButton("&Clear", this);
    clear->setObjectName("clearMessages");
    clear->setToolTip("Empty the list");
    auto* close = new QPushButton("Close", this);
    close->setToolTip("Close this window; the messages are kept");
    connect(clear, &QPushButton::clicked, this, [this] {
        history_.Clear();
        Refresh();
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(640, 300);
    Refresh();
}

void MessagesWindow::Refresh() {
    list_->clear();
    for (const LoggedMessage& entry : history_.entries()) {
        auto* item = new QListWidgetItem(KindIcon(style(), entry.kind), ToQt(MessageLine(entry)));
        item->setToolTip(ToQt(entry.message.text));
        list_->addItem(item);
    }
    list_->scrollToBottom();
}

}  // namespace lorvane
