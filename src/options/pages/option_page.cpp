#include "options/pages/option_page.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <cstring>

#include "options/core/driver_caps.h"
#include "options/core/driver_settings_text.h"
#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "project/files/project_lines.h"

namespace pm2 {

OptionPage::OptionPage(OptionsSheet& sheet, PageId id) : m_sheet(sheet), m_id(id) {}

OptionsSession& OptionPage::Session() const { return m_sheet.Session(); }

bool OptionPage::NodeLevel() const { return Session().Kind() != 2; }

void OptionPage::Activate() {
  m_active = true;
  m_loading = true;
  Load();
  m_loading = false;
  AfterLoad();
  for (TextField& f : m_textFields) f.shown = FieldText(f.edit);
}

bool OptionPage::TryLeave() { return CheckTextFields() && Leave(); }

void OptionPage::KeepsText(QWidget* edit, std::string name, FieldBrackets brackets) {
  m_textFields.push_back({edit, std::move(name), brackets, false, false, {}});
}

void OptionPage::KeepsProgram(QWidget* edit, std::string name) {
  m_textFields.push_back({edit, std::move(name), FieldBrackets::kParentheses, true, false, {}});
}

void OptionPage::KeepsOneLine(QWidget* edit, std::string name) {
  m_textFields.push_back({edit, std::move(name), FieldBrackets::kParentheses, false, true, {}});
}

bool OptionPage::KeptAsShown(const QWidget* edit) const {
  if (edit->isEnabled()) return false;
  for (const TextField& f : m_textFields)
    if (f.edit == edit) return FieldText(edit) == f.shown;
  return false;
}

std::string OptionPage::FieldText(const QWidget* edit) {
  if (auto* line = qobject_cast<const QLineEdit*>(edit)) return FromQ(line->text());
  if (auto* text = qobject_cast<const QPlainTextEdit*>(edit)) {
    QString t = text->toPlainText();
    t.replace("\n", "\r\n");
    return FromQ(t);
  }
  return std::string();
}

void OptionPage::ShowStoredText(QLineEdit* edit, const std::string& text) {
  const QString shown = ToQ(text);
  if (shown.size() > edit->maxLength()) edit->setMaxLength(int(shown.size()));
  edit->setText(shown);
}

bool OptionPage::CheckTextFields() {
  for (const TextField& f : m_textFields) {
    if (KeptAsShown(f.edit)) continue;
    const std::string text = FieldText(f.edit);
    std::string refusal = FieldTextRefusal(f.name, text, f.brackets);
    if (refusal.empty() && f.program) refusal = ProgramNameRefusal(f.name, text);
    if (refusal.empty() && f.oneLine)
      if (const std::string code = FirstControlCharacter(text); !code.empty())
        refusal = "The text of '" + f.name + "' cannot be stored: it holds the control character " + code + ".";
    if (!refusal.empty()) return Refuse(f.edit, refusal);
  }
  return true;
}

bool OptionPage::Refuse(QWidget* field, const std::string& message) {
  m_sheet.ShowRefusal(message);
  if (field) field->setFocus();
  return false;
}

void TriBox::nextCheckState() {
  const uint32_t now = OptionPage::TriOf(this);
  const uint32_t next = NextTriState(now, isTristate());
  setCheckState(next == 1 ? Qt::Checked : next == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

TriBox* OptionPage::NewTriBox(const QString& text) {
  auto* box = new TriBox(text, this);
  box->setTristate(NodeLevel());
  return box;
}

void OptionPage::SetTri(QCheckBox* box, uint32_t value) {
  box->setTristate(NodeLevel());
  box->setCheckState(value == 1 ? Qt::Checked : value == 2 && NodeLevel() ? Qt::PartiallyChecked : Qt::Unchecked);
}

uint32_t OptionPage::TriOf(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
  }
}

bool OptionPage::RunDriverDialog(const std::string& path, int code, const std::string& base) {
  std::string buffer = Session().DriverSettings(base);
  buffer.resize(kDriverSettingsSize, '\0');
  ProjectRec* p = Session().Project();
  const std::string config = DriverConfigFile(p ? p->folder.str() : "", p ? p->name.str() : "",
                                              Session().Target() ? Session().Target()->name.str() : "");
  DriverSettingsRecord record;
  record.parentWindow = this;
  record.dllPath = path.c_str();
  record.baseName = base.c_str();
  record.buffer = buffer.data();
  record.configFile = config.c_str();
  int32_t answer = 0;
  if (!Sheet().Drivers().Call(path, code, &record, &answer) || answer != 1) return false;
  // A driver that fills the whole buffer leaves no terminating zero.
  const std::string text(buffer.data(), strnlen(buffer.data(), buffer.size()));
  if (const std::string refusal = SettingsTextRefusal(base, text); !refusal.empty()) return Refuse(nullptr, refusal);
  Session().SetDriverSettings(base, text);
  return true;
}

}  // namespace pm2
