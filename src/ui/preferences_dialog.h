#pragma once
// Edit ▸ Preferences: the fields of the preferences (shell/preferences.h)
// as text, a colour button beside each path type's colour and a folder
// button beside the journal's folder. OK reads them through the shell's
// rules: a value that breaks one is refused with its sentence and the
// dialog stays open; Cancel changes nothing.

#include <QDialog>
#include <array>
#include <optional>

#include "shell/preferences.h"

class QLineEdit;

namespace lorvane {

class PreferencesDialog : public QDialog {
    Q_OBJECT
  public:
    PreferencesDialog(const Preferences& current, QWidget* parent);
    // The values OK accepted; nullopt until then.
    const std::optional<Preferences>& accepted() const { return accepted_; }

    void accept() override;

  private:
    QLineEdit* AddField(const QString& name, const std::string& text);

    QLineEdit* gridStep_ = nullptr;
    QLineEdit* snapPixels_ = nullptr;
    std::array<QLineEdit*, kPreferencePathTypes> colours_{};
    std::array<QLineEdit*, kPreferencePathTypes> widths_{};
    QLineEdit* journalFolder_ = nullptr;
    std::optional<Preferences> accepted_;
};

}  // namespace lorvane
