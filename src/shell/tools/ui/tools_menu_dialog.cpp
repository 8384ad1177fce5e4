#include "shell/tools/ui/tools_menu_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/settings_store.h"

namespace pm2 {

ToolListEditor::ToolListEditor(ToolsMenuDialog* dialog, QWidget* parent)
    : SECListBoxEditor(parent), m_dialog(dialog) {}

void ToolListEditor::OnItemRenamed(int index, std::string oldText, std::string newText) {
  std::string t = newText;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  if (!t.empty()) m_dialog->Model().Rename(index, t);
  SECListBoxEditor::OnItemRenamed(index, std::move(oldText), std::move(newText));
  m_dialog->ShowEntry();
}

void ToolListEditor::OnItemAdded(int index, std::string text) {
  std::string t = text;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  if (!t.empty() && !m_dialog->Model().Insert(index, t)) {
    // Fifty tools: the new row goes again.
    QApplication::beep();
    m_dropping = true;
    DeleteItem(index);
    m_dropping = false;
    return;
  }
  m_dropping = t.empty();
  SECListBoxEditor::OnItemAdded(index, std::move(text));
  m_dropping = false;
  m_dialog->ShowEntry();
}

void ToolListEditor::OnItemMoved(int oldIndex, int newIndex, std::string text, bool dragged) {
  m_dialog->Model().Move(oldIndex, newIndex);
  SECListBoxEditor::OnItemMoved(oldIndex, newIndex, std::move(text), dragged);
  m_dialog->ShowEntry();
}

bool ToolListEditor::OnItemDeleting(int index, std::string) {
  if (!m_dropping) m_dialog->Model().Erase(index);
  return true;
}

ToolsMenuDialog::ToolsMenuDialog(SettingsStore& store, QWidget* parent) : QDialog(parent), m_store(store) {
  setWindowTitle("Customize Tools Menu");
  m_list = new ToolListEditor(this, this);
  m_list->Initialize(0xF3E, this, 1524);
  m_list->SetSpacesAllowed(true);  // "Run Grep", "Open in Editor"
  m_list->SetCaption("&Menu Content:");
  m_list->setMinimumSize(360, 150);
  m_program = new SECBrowseFileEdit(this);
  m_program->setMaxLength(256);
  m_program->SetTitle("Select Program");
  m_folder = new SECBrowseDirEdit(this);
  m_folder->setMaxLength(256);
  m_folder->SetTitle("Select Initial Folder");
  m_arguments = new QLineEdit(this);
  m_arguments->setMaxLength(256);
  m_prompt = new QCheckBox("&Prompt for Arguments", this);
  m_minimized = new QCheckBox("Run Mi&nimized", this);
  m_independent = new QCheckBox("Run In&dependent", this);

  // The browse buttons sit in the layout beside their edits and run the
  // edits' own browse dialogs.
  auto browseButton = [this](SECBrowseEditBase* edit) {
    auto* b = new QPushButton("...", this);
    b->setFixedWidth(28);
    connect(b, &QPushButton::clicked, edit, [edit] {
      edit->OnBrowse();
      emit edit->textEdited(edit->text());
    });
    return b;
  };
  auto* grid = new QGridLayout;
  auto label = [this](const char* text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    return l;
  };
  grid->addWidget(label("&Command:", m_program), 0, 0);
  grid->addWidget(m_program, 0, 1);
  grid->addWidget(browseButton(m_program), 0, 2);
  grid->addWidget(label("&Initial Folder:", m_folder), 1, 0);
  grid->addWidget(m_folder, 1, 1);
  grid->addWidget(browseButton(m_folder), 1, 2);
  grid->addWidget(label("&Arguments:", m_arguments), 2, 0);
  grid->addWidget(m_arguments, 2, 1, 1, 2);
  auto* checks = new QHBoxLayout;
  checks->addWidget(m_prompt);
  checks->addWidget(m_minimized);
  checks->addWidget(m_independent);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ToolsMenuDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ToolsMenuDialog::reject);
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_list, 1);
  top->addLayout(grid);
  top->addLayout(checks);
  top->addWidget(buttons);

  m_model.Load(store);
  int row = 0;
  for (const std::string& text : m_model.RowTexts()) m_list->InsertString(row++, text);
  m_list->SetCurSel(m_model.Count() > 0 ? 0 : -1);
  ShowEntry();

  connect(m_program, &QLineEdit::textEdited, this, [this] { StoreField(); });
  connect(m_folder, &QLineEdit::textEdited, this, [this] { StoreField(); });
  connect(m_arguments, &QLineEdit::textEdited, this, [this] { StoreField(); });
  for (QCheckBox* b : {m_prompt, m_minimized, m_independent})
    connect(b, &QCheckBox::toggled, this, [this] { StoreField(); });
}

void ToolsMenuDialog::ShowEntry() {
  m_showing = true;
  const int row = m_list->GetCurSel();
  const bool has = row >= 0 && row < m_model.Count();
  const UserToolEntry empty;
  const UserToolEntry& e = has ? m_model.Tool(row) : empty;
  m_program->setText(QString::fromStdString(e.program));
  m_folder->setText(QString::fromStdString(e.folder));
  m_arguments->setText(QString::fromStdString(e.arguments));
  m_prompt->setChecked(e.options & kToolPrompt);
  m_minimized->setChecked(e.options & kToolMinimized);
  m_independent->setChecked(e.options & kToolIndependent);
  m_showing = false;
}

void ToolsMenuDialog::StoreField() {
  if (m_showing) return;
  const int row = m_list->GetCurSel();
  m_model.SetProgram(row, m_program->text().toStdString());
  m_model.SetFolder(row, m_folder->text().toStdString());
  m_model.SetArguments(row, m_arguments->text().toStdString());
  m_model.SetOption(row, kToolPrompt, m_prompt->isChecked());
  m_model.SetOption(row, kToolMinimized, m_minimized->isChecked());
  m_model.SetOption(row, kToolIndependent, m_independent->isChecked());
}

void ToolsMenuDialog::OnCommand(unsigned, int code, const void*) {
  if (code == kLbnSelChange) ShowEntry();
}

void ToolsMenuDialog::accept() {
  m_model.Save(m_store);
  QDialog::accept();
}

}  // namespace pm2
