// A driver's own settings, shown from the form the driver describes
// (driver_abi/driver_settings_form.h): a row per field, a line edit, a
// list of choices or a switch, each with the driver's tip; a field that
// applies only under one choice of another is greyed under the others.
// OK hands the edited form to a check (the driver makes the settings
// text of it) and stays open, with the reason said, while it refuses.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "driver_abi/driver_settings_form.h"

class QWidget;

namespace pm2 {

class DriverSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // check: "" takes the edited form, else the reason it is refused, which
  // `say` shows.
  using Check = std::function<std::string(DriverSettingsForm& edited)>;
  DriverSettingsDialog(const DriverSettingsForm& form, Check check, std::function<void(const std::string&)> say,
                       QWidget* parent = nullptr);
  // The field's control (QLineEdit, QComboBox or QCheckBox), by its key.
  QWidget* Field(const std::string& key) const;
  const DriverSettingsForm& Form() const { return m_form; }
  void accept() override;

 private:
  void Collect();
  void Follow();

  DriverSettingsForm m_form;
  Check m_check;
  std::function<void(const std::string&)> m_say;
  std::vector<QWidget*> m_controls;
  std::vector<QWidget*> m_labels;
};

}  // namespace pm2
