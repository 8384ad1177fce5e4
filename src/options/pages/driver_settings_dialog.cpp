#include "options/pages/driver_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "options/pages/page_text.h"

namespace pm2 {

namespace {

std::string FieldText(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

QStringList FieldChoices(const DriverSettingsField& f) {
  QStringList out;
  const std::string all = FieldText(f.choices, sizeof f.choices);
  std::size_t start = 0;
  while (start < all.size()) {
    const std::size_t end = all.find('\n', start);
    out << ToQ(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return out;
}

}  // namespace

DriverSettingsDialog::DriverSettingsDialog(const DriverSettingsForm& form, Check check,
                                           std::function<void(const std::string&)> say, QWidget* parent)
    : QDialog(parent), m_form(form), m_check(std::move(check)), m_say(std::move(say)) {
  setWindowTitle(ToQ(FieldText(m_form.title, sizeof m_form.title)));
  auto* layout = new QVBoxLayout(this);
  auto* rows = new QFormLayout;
  layout->addLayout(rows);
  const uint32_t count = std::min<uint32_t>(m_form.count, kDrvFormFields);
  for (uint32_t i = 0; i < count; ++i) {
    const DriverSettingsField& f = m_form.fields[i];
    const QString value = ToQ(FieldText(f.value, sizeof f.value));
    QWidget* control = nullptr;
    if (f.kind == kDrvFieldChoice) {
      auto* box = new QComboBox(this);
      box->addItems(FieldChoices(f));
      box->setCurrentIndex(std::max(0, box->findText(value)));
      connect(box, &QComboBox::currentIndexChanged, this, [this] { Follow(); });
      control = box;
    } else if (f.kind == kDrvFieldSwitch) {
      auto* box = new QCheckBox(this);
      box->setChecked(value == "1");
      connect(box, &QCheckBox::toggled, this, [this] { Follow(); });
      control = box;
    } else {
      auto* edit = new QLineEdit(value, this);
      edit->setMaxLength(int(sizeof f.value) - 1);
      edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(32, 'x')));
      control = edit;
    }
    control->setObjectName(ToQ(FieldText(f.key, sizeof f.key)));
    control->setToolTip(ToQ(FieldText(f.tip, sizeof f.tip)));
    auto* label = new QLabel(ToQ(FieldText(f.label, sizeof f.label)), this);
    label->setBuddy(control);
    label->setToolTip(control->toolTip());
    rows->addRow(label, control);
    m_controls.push_back(control);
    m_labels.push_back(label);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  Follow();
}

QWidget* DriverSettingsDialog::Field(const std::string& key) const {
  for (QWidget* c : m_controls)
    if (c->objectName() == ToQ(key)) return c;
  return nullptr;
}

void DriverSettingsDialog::Collect() {
  for (std::size_t i = 0; i < m_controls.size(); ++i) {
    DriverSettingsField& f = m_form.fields[i];
    QString value;
    if (auto* box = qobject_cast<QComboBox*>(m_controls[i]))
      value = box->currentText();
    else if (auto* check = qobject_cast<QCheckBox*>(m_controls[i]))
      value = check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    else if (auto* edit = qobject_cast<QLineEdit*>(m_controls[i]))
      value = edit->text().trimmed();
    std::snprintf(f.value, sizeof f.value, "%s", FromQ(value).c_str());
  }
}

void DriverSettingsDialog::Follow() {
  for (std::size_t i = 0; i < m_controls.size(); ++i) {
    const DriverSettingsField& f = m_form.fields[i];
    const int with = f.appliesWithField - 1;
    if (with < 0 || with >= int(m_controls.size())) continue;
    bool applies = true;
    if (auto* box = qobject_cast<QComboBox*>(m_controls[std::size_t(with)]))
      applies = box->currentIndex() + 1 == f.appliesWithChoice;
    else if (auto* check = qobject_cast<QCheckBox*>(m_controls[std::size_t(with)]))
      applies = check->isChecked() == (f.appliesWithChoice == 1);
    m_controls[i]->setEnabled(applies);
    m_labels[i]->setEnabled(applies);
  }
}

void DriverSettingsDialog::accept() {
  Collect();
  DriverSettingsForm edited = m_form;
  const std::string why = m_check ? m_check(edited) : std::string();
  if (!why.empty()) {
    if (m_say) m_say(why);
    return;
  }
  m_form = edited;
  QDialog::accept();
}

}  // namespace pm2
