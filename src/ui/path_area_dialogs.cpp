#include "ui/path_area_dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "base/command_ids.h"
#include "ui/dialog_units.h"
#include "ui/qt_platform.h"

namespace lorvane {

namespace {

// A dialog of the given caption and size in dialog units, with a fixed size.
DialogUnits SetUpDialog(QDialog& dialog, const char* caption, int width, int height) {
    dialog.setFont(TemplateFont(dialog.font()));
    dialog.setWindowTitle(caption);
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const DialogUnits units(dialog.font());
    dialog.setFixedSize(units.X(width), units.Y(height));
    return units;
}

QPushButton* AddButton(QDialog& dialog, const DialogUnits& units, int id, const char* text, int x,
                       int y, bool isDefault) {
    auto* button = new QPushButton(text, &dialog);
    button->setObjectName(QString::number(id));
    button->setGeometry(units.Rect(x, y, 50, 14));
    button->setDefault(isDefault);
    button->setAutoDefault(isDefault);
    QObject::connect(button, &QPushButton::clicked, &dialog,
                     id == kIdOk ? &QDialog::accept : &QDialog::reject);
    return button;
}

void AddLabel(QDialog& dialog, const char* text, QRect place) {
    auto* label = new QLabel(text, &dialog);
    label->setGeometry(place);
}

QComboBox* AddTypeList(QDialog& dialog, int id, const std::vector<std::string>& names,
                       QRect place) {
    auto* list = new QComboBox(&dialog);
    list->setObjectName(QString::number(id));
    for (const std::string& name : names) list->addItem(ToQt(name));
    list->setGeometry(place.x(), place.y(), place.width(), list->sizeHint().height());
    return list;
}

}  // namespace

NewPathDialog::NewPathDialog(EditorPanel& panel, QWidget* owner) : QDialog(owner), panel_(panel) {
    const DialogUnits units = SetUpDialog(*this, "New Path", 187, 45);
    AddButton(*this, units, kIdOk, "OK", 130, 7, true);
    AddButton(*this, units, kIdCancel, "Cancel", 130, 24, false);
    AddLabel(*this, "Path Type:", units.Rect(9, 10, 60, 8));
    AddLabel(*this, "Path Width (feet):", units.Rect(9, 26, 60, 8));
    types_ = AddTypeList(*this, kPanelPathList, NewPathTypeNames(), units.Rect(72, 7, 48, 59));
    width_ = new QLineEdit(this);
    width_->setObjectName(QString::number(kPanelWidth));
    width_->setAlignment(Qt::AlignCenter);
    width_->setMaxLength(256);
    width_->setGeometry(units.Rect(72, 23, 40, 14));
    const NewPathForm form = panel_.OpenNewPath();
    types_->setCurrentIndex(form.selected);
    width_->setText(ToQt(form.widthText));
    // A type chosen in the list becomes the current one at once.
    connect(types_, &QComboBox::currentIndexChanged, this, [this](int position) {
        width_->setText(ToQt(panel_.ChangeNewPathType(position).widthText));
    });
}

void NewPathDialog::accept() {
    if (!panel_.AcceptNewPath({types_->currentIndex(), FromQt(width_->text())})) return;
    QDialog::accept();
}

NewAreaDialog::NewAreaDialog(EditorPanel& panel, QWidget* owner) : QDialog(owner), panel_(panel) {
    const DialogUnits units = SetUpDialog(*this, "New Area", 187, 45);
    AddButton(*this, units, kIdOk, "OK", 130, 7, true);
    AddButton(*this, units, kIdCancel, "Cancel", 130, 24, false);
    AddLabel(*this, "Area Type:", units.Rect(7, 17, 56, 10));
    types_ = AddTypeList(*this, kPanelAreaList, NewAreaTypeNames(), units.Rect(67, 16, 57, 96));
    types_->setCurrentIndex(panel_.OpenNewArea());
}

void NewAreaDialog::accept() {
    panel_.AcceptNewArea(types_->currentIndex());
    QDialog::accept();
}

DeleteEntryDialog::DeleteEntryDialog(EditorPanel& panel, PanelList list, QWidget* owner)
    : QDialog(owner), panel_(panel), list_(list) {
    const bool paths = list == PanelList::Paths;
    const DialogUnits units = paths ? SetUpDialog(*this, "Delete a Path Segment", 214, 53)
                                    : SetUpDialog(*this, "Delete an Area", 187, 51);
    const int buttonX = paths ? 157 : 130;
    AddButton(*this, units, kIdOk, paths ? "OK" : "Delete", buttonX, 7, true);
    AddButton(*this, units, kIdCancel, "Cancel", buttonX, 24, false);
    AddLabel(*this, paths ? "Enter Path Segment Number:" : "Enter Area Number:",
             paths ? units.Rect(7, 16, 101, 14) : units.Rect(7, 16, 73, 14));
    number_ = new QLineEdit(this);
    number_->setObjectName(QString::number(paths ? kDeletePathNumber : kDeleteAreaNumber));
    number_->setAlignment(Qt::AlignCenter);
    number_->setMaxLength(255);
    number_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), number_));
    number_->setGeometry(paths ? units.Rect(109, 17, 40, 12) : units.Rect(83, 17, 40, 12));
}

void DeleteEntryDialog::accept() {
    const std::string text = FromQt(number_->text());
    const bool removed =
        list_ == PanelList::Paths ? panel_.DeletePathNumber(text) : panel_.DeleteAreaNumber(text);
    if (removed) QDialog::accept();
}

}  // namespace lorvane
