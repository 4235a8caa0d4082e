#pragma once
// The About box: the program's name, version and purpose. Only "OK" (or
// Enter) closes it; Esc and the close box are ignored.

#include <QDialog>

class QPushButton;

namespace lorvane {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* owner);
    QPushButton* okButton() const { return ok_; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* ok_;
};

}  // namespace lorvane
