#include "ui/set_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "base/command_ids.h"
#include "ui/qt_platform.h"

namespace lorvane {

SetDialog::SetDialog(const SetDialogView& view, SetDialogApply apply, QWidget* owner)
    : QDialog(owner), onApply_(std::move(apply)) {
    setObjectName("EditSetDialog");
    setWindowTitle(ToQt(view.caption));

    number_ = new QLineEdit(ToQt(view.numberText), this);
    number_->setObjectName(QString::number(kPanelSetNumber));
    number_->setAlignment(Qt::AlignCenter);
    number_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), number_));
    number_->setEnabled(view.numberEnabled);

    types_ = new QComboBox(this);
    types_->setObjectName(QString::number(kPanelTerrainType));
    for (const std::string& name : view.typeNames) types_->addItem(ToQt(name));
    types_->setCurrentIndex(view.typePosition);

    apply_ = new QPushButton(ToQt(view.applyText), this);
    apply_->setObjectName(QString::number(kIdOk));
    apply_->setDefault(true);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName(QString::number(kIdCancel));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Set Number", this), 0, 0);
    grid->addWidget(number_, 0, 1);
    if (view.showsType) {
        grid->addWidget(new QLabel("Terrain Type", this), 1, 0);
        grid->addWidget(types_, 1, 1);
    } else {
        types_->hide();  // kept for its position, which adding tiles ignores
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(apply_, &QPushButton::clicked, this, &SetDialog::ApplyPressed);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void SetDialog::ApplyPressed() {
    const std::string number = FromQt(number_->text());
    if (onApply_ && onApply_(number, types_->currentIndex())) accept();
}

}  // namespace lorvane
