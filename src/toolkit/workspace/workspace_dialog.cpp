#include "toolkit/workspace/workspace_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"

namespace pm2 {

std::string WorkspaceText(unsigned id, const std::string& arg) {
  std::string text = ToolkitResources().String(id);
  if (auto p = text.find("%s"); p != std::string::npos) text.replace(p, 2, arg);
  return text;
}

SECWsMgrDialogEx::SECWsMgrDialogEx(WorkspaceNameLists* lists, std::string* chosen, bool opening, bool saving,
                                   QWidget* parent)
    : QDialog(parent), m_lists(lists), m_chosen(chosen), m_opening(opening), m_saving(saving) {
  setWindowTitle(ToQString(WorkspaceText(opening ? kIdsWsOpenTitle : saving ? kIdsWsSaveTitle : kIdsWsMgrCaption)));
  auto* label = new QLabel(ToQString(WorkspaceText(kIdsWsLabel)), this);
  m_editor = new SECWSLBEditorEx(this);
  label->setBuddy(m_editor);
  m_current = new QLabel(this);
  m_current->setText(ToQString(m_chosen->empty() ? WorkspaceText(kIdsWsNoCurrent) : *m_chosen));
  m_open = new QPushButton(tr("&Open"), this);
  m_save = new QPushButton(tr("&Save"), this);
  m_done = new QPushButton(tr("&Done"), this);
  m_cancel = new QPushButton(tr("Cancel"), this);
  m_help = new QPushButton(tr("&Help"), this);
  m_help->setEnabled(false);
  m_open->setEnabled(opening);
  m_save->setEnabled(saving);
  m_open->setDefault(opening);
  m_save->setDefault(saving && !opening);

  auto* left = new QVBoxLayout;
  left->addWidget(label);
  left->addWidget(m_editor, 1);
  left->addWidget(m_current);
  auto* right = new QVBoxLayout;
  for (QPushButton* b : {m_open, m_save, m_done, m_cancel, m_help}) right->addWidget(b);
  right->addStretch(1);
  auto* top = new QHBoxLayout(this);
  top->addLayout(left, 1);
  top->addLayout(right);

  // A new name is typed only where a workspace is saved: in the other
  // dialogs the list has no New button and no empty last row, so that a
  // name typed there renames a row and never asks to save.
  const unsigned options = LBE_TYPETOEDIT | LBE_BUTTONS | LBE_TOOLTIPS | LBE_SHORTCUTS | LBE_DRAG;
  m_editor->Initialize(saving ? options : options | LBE_NOEMPTYROW, nullptr, kIdWsList);
  m_editor->SetButtons(saving ? 0xF00 : 0xE00);
  m_editor->SetSpacesThatEnd(kLbeBlanksInNames);  // "Debug layout" is one name
  for (const std::string& n : lists->stored) m_editor->InsertString(m_editor->GetItemCount(), n);
  m_editor->Attach(lists, this);
  m_editor->setMinimumSize(220, 180);
  for (int i = 0; i < m_editor->GetItemCount(); ++i)
    if (m_editor->GetText(i) == *m_chosen) m_editor->SetCurSel(i);

  connect(m_open, &QPushButton::clicked, this, [this] { OnOpenOrSave(); });
  connect(m_save, &QPushButton::clicked, this, [this] { OnOpenOrSave(); });
  connect(m_done, &QPushButton::clicked, this, [this] { OnDone(); });
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

SECWsMgrDialogEx::~SECWsMgrDialogEx() = default;

QPushButton* SECWsMgrDialogEx::Button(unsigned id) const {
  switch (id) {
    case kIdWsOpenButton: return m_open;
    case kIdWsSaveButton: return m_save;
    case kIdWsDoneButton: return m_done;
    case 2: return m_cancel;
    case 9: return m_help;
    default: return nullptr;
  }
}

void SECWsMgrDialogEx::OnOpenOrSave() {
  const int row = m_editor->GetCurSel();
  if (row < 0 || m_editor->IsEmptyLastRow(row)) {
    Inform(kIdsWsSelectOne, "");
    return;
  }
  const std::string name = m_editor->GetText(row);
  if (name.empty()) {
    Inform(kIdsWsInvalidRename, "");
    return;
  }
  *m_chosen = name;
  accept();
}

void SECWsMgrDialogEx::OnDone() { accept(); }

void SECWsMgrDialogEx::Inform(unsigned id, const std::string& arg) {
  const std::string text = WorkspaceText(id, arg);
  if (m_ask) {
    m_ask(text, false);
    return;
  }
  QMessageBox::information(this, ToQString(WorkspaceText(kIdsWsMgrCaption)), ToQString(text));
}

bool SECWsMgrDialogEx::AskYesNo(unsigned id, const std::string& arg) {
  const std::string text = WorkspaceText(id, arg);
  if (m_ask) return m_ask(text, true);
  return QMessageBox::question(this, ToQString(WorkspaceText(kIdsWsMgrCaption)), ToQString(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void SECWsMgrDialogEx::PostSave() {
  QMetaObject::invokeMethod(this, [this] { OnOpenOrSave(); }, Qt::QueuedConnection);
}

void SECWsMgrDialogEx::EditingStarted() {
  m_open->setEnabled(false);
  m_save->setEnabled(false);
  m_done->setEnabled(false);
}

void SECWsMgrDialogEx::EditingStopped() {
  m_open->setEnabled(m_opening);
  m_save->setEnabled(m_saving);
  m_done->setEnabled(true);
}

}  // namespace pm2
