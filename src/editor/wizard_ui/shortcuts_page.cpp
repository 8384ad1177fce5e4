#include "editor/wizard_ui/shortcuts_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/menus/assign_key_dialog.h"
#include "toolkit/menus/command_list.h"
#include "toolkit/menus/shortcut_table.h"

namespace pm2 {

CPgScut::CPgScut(const SECShortcutTable* table, const SECCommandList* commands, QWidget* parent)
    : QWidget(parent),
      m_table(table),
      m_commands(commands),
      m_commandList(new QListWidget(this)),
      m_keys(new QListWidget(this)),
      m_description(new QLabel(this)),
      m_remove(new QPushButton("&Remove", this)),
      m_assign(new QPushButton("&Assign...", this)),
      m_reset(new QPushButton("Reset A&ll", this)) {
  if (m_table) m_records = m_table->Records();
  m_commandList->setObjectName("Commands");
  m_keys->setObjectName("Keys");
  m_description->setWordWrap(true);
  m_description->setMinimumHeight(40);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Commands:", this), 0, 0);
  grid->addWidget(m_commandList, 1, 0, 4, 1);
  grid->addWidget(new QLabel("Keys:", this), 0, 1);
  grid->addWidget(m_keys, 1, 1);
  grid->addWidget(m_assign, 2, 1);
  grid->addWidget(m_remove, 3, 1);
  grid->addWidget(m_reset, 4, 1, Qt::AlignTop);
  grid->addWidget(new QLabel("Description:", this), 5, 0);
  grid->addWidget(m_description, 6, 0, 1, 2);
  if (m_commands) {
    for (const SECCommand& c : m_commands->Commands()) {
      std::string name = c.strName;
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
      if (name.empty()) continue;
      m_commandList->addItem(ToQString(name));
      m_ids.push_back(c.nID);
    }
  }
  captureKey = [this]() -> uint32_t {
    if (!m_commands || !m_table) return 0;
    SECAssignKeyDlg dlg(*m_commands, *m_table, this);
    return dlg.exec() == QDialog::Accepted ? dlg.HotKey() : 0;
  };
  showMessage = [this](const std::string& text) { QMessageBox::warning(this, QString(), ToQString(text)); };
  askOkCancel = [this](const std::string& text) {
    return QMessageBox::question(this, QString(), ToQString(text), QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
  };
  connect(m_commandList, &QListWidget::currentRowChanged, this, &CPgScut::CommandChosen);
  connect(m_commandList, &QListWidget::itemDoubleClicked, this, [this] { AssignKey(); });
  connect(m_remove, &QPushButton::clicked, this, &CPgScut::RemoveKey);
  connect(m_assign, &QPushButton::clicked, this, &CPgScut::AssignKey);
  connect(m_reset, &QPushButton::clicked, this, &CPgScut::ResetAll);
}

int CPgScut::RowOfCommand(uint32_t id) const {
  for (size_t i = 0; i < m_ids.size(); ++i)
    if (m_ids[i] == id) return int(i);
  return -1;
}

uint32_t CPgScut::ChosenCommand() const {
  const int row = m_commandList->currentRow();
  return row >= 0 && size_t(row) < m_ids.size() ? m_ids[size_t(row)] : 0;
}

void CPgScut::CommandChosen(int row) {
  m_keys->clear();
  m_keyRecords.clear();
  m_description->clear();
  const uint32_t id = ChosenCommand();
  if (row < 0 || !id) return;
  if (m_commands) {
    const int i = m_commands->Find(id);
    if (i >= 0) m_description->setText(ToQString(m_commands->Commands()[size_t(i)].strDescription));
  }
  for (size_t k = 0; k < m_records.size(); ++k) {
    if (m_records[k].cmd != id) continue;
    m_keys->addItem(ToQString(m_table ? m_table->KeyText(m_records[k]) : std::to_string(m_records[k].key)));
    m_keyRecords.push_back(k);
  }
}

void CPgScut::RemoveKey() {
  const int row = m_keys->currentRow();
  if (row < 0 || size_t(row) >= m_keyRecords.size()) {
    showMessage("No shortcut selected !");
    return;
  }
  m_records.erase(m_records.begin() + std::ptrdiff_t(m_keyRecords[size_t(row)]));
  m_modified = true;
  CommandChosen(m_commandList->currentRow());
}

void CPgScut::AssignKey() {
  const uint32_t id = ChosenCommand();
  if (!id) {
    showMessage("Select Item first !");
    return;
  }
  const uint32_t hotKey = captureKey ? captureKey() : 0;
  if (!hotKey) return;
  ACCEL fresh;
  HotKeyToAccel(hotKey, &fresh);
  fresh.cmd = uint16_t(id);
  // The key moves to this command when another one had it.
  bool moved = false;
  for (ACCEL& a : m_records)
    if (uint8_t(a.fVirt | FVIRTKEY | FNOINVERT) == fresh.fVirt && a.key == fresh.key) {
      a = fresh;
      moved = true;
    }
  if (!moved) m_records.push_back(fresh);
  m_modified = true;
  CommandChosen(m_commandList->currentRow());
}

void CPgScut::ResetAll() {
  if (!askOkCancel("Sure to kill all shortcuts ?")) return;
  m_records.clear();
  m_modified = true;
  CommandChosen(m_commandList->currentRow());
}

}  // namespace pm2
