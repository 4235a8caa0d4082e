#include "ui/preferences_dialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/path_text.h"
#include "ui/qt_platform.h"

namespace lorvane {

PreferencesDialog::PreferencesDialog(const Preferences& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName("preferences");
    setWindowTitle("Preferences");
    const PreferenceTexts texts = TextsOf(current);
    auto* layout = new QVBoxLayout(this);

    auto* editing = new QGroupBox("Editing", this);
    auto* form = new QFormLayout(editing);
    gridStep_ = new QLineEdit(ToQt(texts.gridStep), editing);
    gridStep_->setObjectName("gridStep");
    form->addRow("&Grid step (feet, 0 = none):", gridStep_);
    snapPixels_ = new QLineEdit(ToQt(texts.snapPixels), editing);
    snapPixels_->setObjectName("snapPixels");
    form->addRow("&Snapping distance (screen pixels):", snapPixels_);
    layout->addWidget(editing);

    auto* paths = new QGroupBox("Path types", this);
    auto* grid = new QGridLayout(paths);
    grid->addWidget(new QLabel("Colour", paths), 0, 1, 1, 2);
    grid->addWidget(new QLabel("Starting width (feet)", paths), 0, 3);
    for (int t = 0; t < kPreferencePathTypes; ++t) {
        const size_t i = static_cast<size_t>(t);
        const QString name = PreferencePathTypeNames[i];
        grid->addWidget(new QLabel(name, paths), t + 1, 0);
        auto* colour = new QLineEdit(ToQt(texts.pathColours[i]), paths);
        colour->setObjectName("colour" + name);
        auto* pick = new QPushButton("Choose...", paths);
        pick->setObjectName("chooseColour" + name);
        connect(pick, &QPushButton::clicked, this, [this, colour, name] {
            const QColor chosen =
                QColorDialog::getColor(QColor(colour->text()), this, name + " colour");
            if (chosen.isValid()) colour->setText(chosen.name());
        });
        auto* width = new QLineEdit(ToQt(texts.startWidths[i]), paths);
        width->setObjectName("width" + name);
        colours_[i] = colour;
        widths_[i] = width;
        grid->addWidget(colour, t + 1, 1);
        grid->addWidget(pick, t + 1, 2);
        grid->addWidget(width, t + 1, 3);
    }
    layout->addWidget(paths);

    auto* recovery = new QGroupBox("Recovery journal", this);
    auto* row = new QHBoxLayout(recovery);
    journalFolder_ = new QLineEdit(ToQt(texts.journalFolder), recovery);
    journalFolder_->setObjectName("journalFolder");
    journalFolder_->setPlaceholderText(ToQt(PathToUtf8(RecoveryFolder())));
    journalFolder_->setMinimumWidth(320);
    auto* browse = new QPushButton("Browse...", recovery);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, "Recovery journal's folder",
                                                                 journalFolder_->text());
        if (!folder.isEmpty()) journalFolder_->setText(folder);
    });
    // The label's mnemonic reaches the field through its buddy; without one
    // the '&' would show.
    auto* folderLabel = new QLabel("&Folder:", recovery);
    folderLabel->setBuddy(journalFolder_);
    row->addWidget(folderLabel);
    row->addWidget(journalFolder_, 1);
    row->addWidget(browse);
    layout->addWidget(recovery);
    auto* note = new QLabel(
        "An empty folder is the one beside the program's settings; a new "
        "folder is taken at the next start.",
        this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void PreferencesDialog::accept() {
    PreferenceTexts texts;
    texts.gridStep = FromQt(gridStep_->text());
    texts.snapPixels = FromQt(snapPixels_->text());
    for (size_t i = 0; i < kPreferencePathTypes; ++i) {
        texts.pathColours[i] = FromQt(colours_[i]->text());
        texts.startWidths[i] = FromQt(widths_[i]->text());
    }
    texts.journalFolder = FromQt(journalFolder_->text());
    ReadPreferences read = ReadPreferenceTexts(texts);
    if (!read.preferences) {
        QMessageBox::warning(this, "Preferences", ToQt(read.problem));
        return;
    }
    accepted_ = std::move(read.preferences);
    QDialog::accept();
}

}  // namespace lorvane
