#pragma once
// Help ▸ User Guide: the guide of the README shipped inside the program,
// shown as formatted text; Help ▸ Keyboard Shortcuts: the shortcuts table
// the menus take theirs from. Both stay open beside the main window.

#include <QString>
#include <QWidget>

class QTextBrowser;
class QTreeWidget;

namespace lorvane {

// The user guide in Markdown: the README's sections from "Using the editor"
// up to those for developers; the whole README when those are not found.
QString UserGuideMarkdown();
// The part of a README's text that is the guide (as UserGuideMarkdown).
QString GuidePart(const QString& readme);

class UserGuideWindow : public QWidget {
    Q_OBJECT
  public:
    explicit UserGuideWindow(QWidget* parent);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_ = nullptr;
};

class ShortcutsWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ShortcutsWindow(QWidget* parent);
    QTreeWidget* table() const { return table_; }

  private:
    QTreeWidget* table_ = nullptr;
};

}  // namespace lorvane
