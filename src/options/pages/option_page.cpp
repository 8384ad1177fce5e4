#include "options/pages/option_page.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <cstring>

#include "options/core/driver_caps.h"
#include "options/core/driver_settings_text.h"
#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/pages/edit_limit.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "project/files/project_lines.h"

namespace pm2 {

OptionPage::OptionPage(OptionsSheet& sheet, PageId id) : m_sheet(sheet), m_id(id) {}

OptionsSession& OptionPage::Session() const { return m_sheet.Session(); }

bool OptionPage::NodeLevel() const { return Session().Kind() != 2; }

void OptionPage::Activate() {
  if (!m_guarded) GuardLimits();
  m_given.clear();
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

namespace {

QString ShownText(const QWidget* edit) {
  if (auto* line = qobject_cast<const QLineEdit*>(edit)) return line->text();
  if (auto* text = qobject_cast<const QPlainTextEdit*>(edit)) return text->toPlainText();
  return QString();
}

}  // namespace

void OptionPage::ShowStoredText(QLineEdit* edit, const std::string& text) {
  const QString shown = ToQ(text);
  if (EditLimit* limit = EditLimit::Of(edit))
    limit->FitTo(shown);
  else if (shown.size() > edit->maxLength())
    edit->setMaxLength(int(shown.size()));
  edit->setText(shown);
  std::erase_if(m_given, [edit](const Given& g) { return g.edit == edit; });
  m_given.push_back({edit, text, edit->text()});
}

void OptionPage::ShowStoredText(QPlainTextEdit* edit, const std::string& text) {
  QString shown = ToQ(text);
  shown.replace("\r\n", "\n");
  edit->setPlainText(shown);
  std::erase_if(m_given, [edit](const Given& g) { return g.edit == edit; });
  m_given.push_back({edit, text, edit->toPlainText()});
}

bool OptionPage::Edited(const QWidget* edit) const {
  for (const Given& g : m_given)
    if (g.edit == edit) return ShownText(edit) != g.shown;
  return true;
}

std::string OptionPage::TextToStore(const QWidget* edit, std::string typed) const {
  for (const Given& g : m_given)
    if (g.edit == edit && ShownText(edit) == g.shown) return g.stored;
  return typed;
}

std::string OptionPage::FieldNameOf(const QWidget* edit) const {
  for (const TextField& f : m_textFields)
    if (f.edit == edit) return f.name;
  for (const QLabel* label : findChildren<QLabel*>())
    if (label->buddy() == edit) return FieldNameOfLabel(FromQ(label->text()));
  if (!edit->accessibleName().isEmpty()) return FromQ(edit->accessibleName());
  // In a grid the field's label stands to its left in its row.
  for (const QGridLayout* grid : findChildren<QGridLayout*>()) {
    const int at = grid->indexOf(edit);
    if (at < 0) continue;
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(at, &row, &column, &rows, &columns);
    for (int c = column - 1; c >= 0; --c)
      if (const QLayoutItem* item = grid->itemAtPosition(row, c))
        if (auto* label = qobject_cast<const QLabel*>(item->widget())) return FieldNameOfLabel(FromQ(label->text()));
  }
  return FromQ(edit->objectName());
}

bool OptionPage::PutText(QLineEdit* edit, const QString& text) {
  if (EditLimit* limit = EditLimit::Of(edit)) return limit->Put(text);
  edit->setText(text);
  return true;
}

void OptionPage::GuardLimits() {
  m_guarded = true;
  for (QLineEdit* edit : findChildren<QLineEdit*>()) {
    // A combo box's own edit and a read-only view take no typing; a spin
    // box's edit takes only its numbers.
    if (edit->isReadOnly() || qobject_cast<QComboBox*>(edit->parent()) ||
        qobject_cast<QAbstractSpinBox*>(edit->parent()) || EditLimit::Of(edit))
      continue;
    // Told at the field: a box would take the keys typed after the one
    // refused. A text the page puts in (PutText) is refused with a box.
    new EditLimit(
        edit, [this, edit](int limit) { Sheet().ShowNotice(edit, TooLongRefusal(FieldNameOf(edit), limit)); },
        [this, edit](int limit) { Refuse(edit, TooLongRefusal(FieldNameOf(edit), limit)); });
  }
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
