#include "ui/help_windows.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/keyboard_shortcuts.h"
#include "ui/qt_platform.h"

namespace lorvane {

QString GuidePart(const QString& readme) {
    const qsizetype start = readme.indexOf("\n## Using the editor");
    if (start < 0) return readme;
    const qsizetype end = readme.indexOf("\n## For developers", start);
    return readme.mid(start + 1, end < 0 ? -1 : end - start - 1);
}

QString UserGuideMarkdown() {
    QFile file(":/lorvane/README.md");
    if (!file.open(QIODevice::ReadOnly))
        return "# User Guide\n\nThe guide is not part of this build of the program.";
    return "# Lorvane User Guide\n\n" + GuidePart(QString::fromUtf8(file.readAll()));
}

namespace {

QPushButton* AddCloseButton(QWidget* window, QVBoxLayout* layout) {
    auto* close = new QPushButton("Close", window);
    close->setToolTip("Close this window");
    QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    return close;
}

}  // namespace

UserGuideWindow::UserGuideWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("userGuideWindow");
    setWindowTitle("Lorvane User Guide");
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("guideText");
    browser_->setOpenExternalLinks(true);
    browser_->setMarkdown(UserGuideMarkdown());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    AddCloseButton(this, layout);
    resize(760, 640);
}

ShortcutsWindow::ShortcutsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("shortcutsWindow");
    setWindowTitle("Keyboard Shortcuts");
    table_ = new QTreeWidget(this);
    table_->setObjectName("shortcutTable");
    table_->setRootIsDecorated(false);
    table_->setHeaderLabels({"Keys", "What they do"});
    for (const KeyboardShortcut& shortcut : KeyboardShortcuts()) {
        auto* item = new QTreeWidgetItem(table_);
        item->setText(0, ToQt(KeysText(shortcut)));
        item->setText(1, ToQt(shortcut.what));
    }
    table_->resizeColumnToContents(0);
    table_->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    AddCloseButton(this, layout);
    resize(560, 520);
}

}  // namespace lorvane
