#include "toolkit/menus/assign_key_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"
#include "toolkit/menus/command_list.h"
#include "toolkit/menus/hot_key_edit.h"
#include "toolkit/menus/key_assign_model.h"
#include "toolkit/menus/shortcut_table.h"

namespace pm2 {
namespace {

constexpr unsigned kIdsUnassigned = 20529;
constexpr unsigned kIdsReserved = 20530;
constexpr unsigned kIdsNoDescription = 20678;

QString Res(unsigned id) { return ToQString(ToolkitResources().String(id)); }

}  // namespace

SECAssignKeyDlg::SECAssignKeyDlg(const SECCommandList& commands, const SECShortcutTable& table, QWidget* parent)
    : QDialog(parent), m_commands(commands), m_table(table) {
  setWindowTitle("Assign Shortcut");
  setFont(DefaultGuiFont());
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(11, 11, 11, 11);
  grid->setHorizontalSpacing(11);
  grid->setVerticalSpacing(4);
  auto* prompt = new QLabel("&Press new shortcut key:", this);
  grid->addWidget(prompt, 0, 0);
  m_edit = new SECHotKeyEdit(this);
  prompt->setBuddy(m_edit);
  grid->addWidget(m_edit, 1, 0);
  m_caption = new QLabel("Currently assigned to:", this);
  m_assigned = new QLabel(this);
  // Hidden, the two texts keep their place, as a dialog's controls do.
  for (QLabel* l : {m_caption, m_assigned}) {
    QSizePolicy keep = l->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    l->setSizePolicy(keep);
  }
  m_assigned->setMinimumWidth(200);
  grid->addWidget(m_caption, 2, 0);
  grid->addWidget(m_assigned, 3, 0);
  grid->setRowMinimumHeight(4, 6);
  auto* buttons = new QVBoxLayout;
  m_ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  m_ok->setDefault(true);
  for (QPushButton* b : {m_ok, cancel}) {
    b->setFixedSize(75, 23);
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  buttons->addStretch();
  grid->addLayout(buttons, 0, 1, 5, 1);
  connect(m_ok, &QPushButton::clicked, this, &SECAssignKeyDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &SECAssignKeyDlg::reject);

  // The control's rules come from the command list.
  m_edit->SetRules(commands.InvalidCombinations(), commands.DefaultModifiers());
  m_edit->onChanged = [this] { OnHotKeyChanged(); };
  showRefusal = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
  OnHotKeyChanged();
  m_edit->setFocus();
}

void SECAssignKeyDlg::OnHotKeyChanged() {
  const AssignKeyView v = DescribeHotKey(m_edit->HotKey(), m_table.Records(), m_commands,
                                         FromQString(Res(kIdsNoDescription)), FromQString(Res(kIdsUnassigned)));
  if (v.clearControl) m_edit->SetHotKey(0);
  m_caption->setVisible(v.showAssignment);
  m_assigned->setVisible(v.showAssignment);
  m_assigned->setText(ToQString(v.assignedTo));
  m_ok->setEnabled(v.okEnabled);
}

void SECAssignKeyDlg::accept() {
  const std::uint32_t hotKey = m_edit->HotKey();
  if (IsReservedKey(hotKey)) {
    showRefusal(Res(kIdsReserved));
    return;  // the dialog stays open
  }
  m_hotKey = hotKey;
  QDialog::accept();
}

}  // namespace pm2
