#pragma once
// View ▸ Messages: what the program told the user, time-stamped with its
// kind, newest last; Clear empties it. It does not stop the user: it stays
// open beside the main window and follows each new message.

#include <QWidget>

#include "shell/message_history.h"

class QListWidget;

namespace lorvane {

class MessagesWindow : public QWidget {
    Q_OBJECT
  public:
    MessagesWindow(MessageHistory& history, QWidget* parent);

    // Shows the history as it is now.
    void Refresh();
    QListWidget* list() const { return list_; }

  private:
    MessageHistory& history_;
    QListWidget* list_ = nullptr;
};

}  // namespace lorvane
