#include "options/pages/option_page.h"

#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/pages/options_sheet.h"

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

}  // namespace pm2
