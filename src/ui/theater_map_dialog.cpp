#include "ui/theater_map_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "base/command_ids.h"
#include "ui/qt_platform.h"

namespace lorvane {

namespace {
constexpr int kLatitudeControl = 31271;
constexpr int kFirstLevelControl = 31257;
}  // namespace

TheaterMapDialog::TheaterMapDialog(const TheaterMapTexts& texts, QWidget* owner) : QDialog(owner) {
    setObjectName("EditMapFileDialog");
    setWindowTitle(kTheaterMapDialogTitle);

    auto* fields = new QFormLayout;
    auto* group = new QGroupBox(kTheaterMapGroupTitle, this);
    auto* levels = new QFormLayout(group);
    for (const TheaterMapField& field : TheaterMapFields) {
        QLineEdit* edit = AddEdit(field, texts);
        if (field.controlId >= kFirstLevelControl && field.controlId < kFirstLevelControl + 12) {
            levels->addRow(field.label, edit);
            continue;
        }
        fields->addRow(field.label, edit);
        if (field.controlId == kLatitudeControl) {
            auto* note = new QLabel(kHemisphereNote, this);
            note->setObjectName("hemisphereNote");
            fields->addRow(note);
        }
    }

    apply_ = new QPushButton(kApplyChangesText, this);
    apply_->setObjectName(QString::number(kIdOk));
    apply_->setDefault(true);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName(QString::number(kIdCancel));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(group);
    layout->addLayout(buttons);
    connect(apply_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* TheaterMapDialog::AddEdit(const TheaterMapField& field, const TheaterMapTexts& texts) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(field.controlId));
    edit->setAlignment(Qt::AlignCenter);
    edit->setMaxLength(static_cast<int>(kDialogTextLength));
    if (field.format == FieldFormat::Integer)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    const auto text = texts.find(field.controlId);
    if (text != texts.end()) edit->setText(ToQt(text->second));
    edits_[field.controlId] = edit;
    return edit;
}

QLineEdit* TheaterMapDialog::edit(int controlId) const {
    const auto found = edits_.find(controlId);
    return found == edits_.end() ? nullptr : found->second;
}

TheaterMapTexts TheaterMapDialog::Texts() const {
    TheaterMapTexts texts;
    for (const auto& [id, edit] : edits_) texts[id] = FromQt(edit->text());
    return texts;
}

}  // namespace lorvane
