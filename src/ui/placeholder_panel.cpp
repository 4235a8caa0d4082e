#include "ui/placeholder_panel.h"

#include <QLabel>
#include <QVBoxLayout>

#include "base/command_ids.h"
#include "shell/shell_state.h"
#include "ui/qt_platform.h"

namespace lorvane {

PlaceholderPanel::PlaceholderPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("editorPanel");
    setFrameShape(QFrame::Box);
    setFixedSize(kEditorPanelWidth, kEditorPanelHeight);
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel("Editor panel", this);
    status_->setAlignment(Qt::AlignCenter);
    status_->setWordWrap(true);
    layout->addWidget(status_);
}

void PlaceholderPanel::HandleCommand(int id) {
    commands.push_back(id);
    QString text = QString("Editor panel: command %1").arg(id);
    if (id == kPanelLoadTexturePath) text += "\n" + ToQt(texturePath);
    if (id == kPanelLoadTileImage) text += "\n" + ToQt(tileImagePath);
    if (id == kPanelLoadTile) text += "\n" + ToQt(proposedFileName);
    status_->setText(text);
}

bool PlaceholderPanel::SaveForClose() {
    commands.push_back(kPanelSave);
    if (saveSucceeds) unsavedChanges = false;
    return saveSucceeds;
}

}  // namespace lorvane
