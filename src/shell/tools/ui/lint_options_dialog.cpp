#include "shell/tools/ui/lint_options_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/settings_store.h"
#include "project/model/project_records.h"

namespace pm2 {
namespace {

// A browse edit with its "..." button beside it in the layout.
QPushButton* BrowseButton(QWidget* owner, SECBrowseEditBase* edit) {
  auto* b = new QPushButton("...", owner);
  b->setFixedWidth(28);
  QObject::connect(b, &QPushButton::clicked, edit, [edit] { edit->OnBrowse(); });
  return b;
}

QDialogButtonBox* OkCancel(QDialog* d) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
  QObject::connect(buttons, &QDialogButtonBox::accepted, d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::reject);
  return buttons;
}

}  // namespace

bool LintFolderListEditor::Refused(const std::string& text) {
  const std::string refusal = LintFieldRefusal(kLintFoldersField, text);
  if (refusal.empty()) return false;
  QApplication::beep();
  QMessageBox::warning(this, window()->windowTitle(), QString::fromStdString(refusal));
  return true;
}

void LintFolderListEditor::OnItemRenamed(int index, std::string oldText, std::string newText) {
  if (Refused(newText)) {
    SetItemText(index, oldText);
    return;
  }
  SECListBoxDirEditor::OnItemRenamed(index, std::move(oldText), std::move(newText));
}

void LintFolderListEditor::OnItemAdded(int index, std::string text) {
  if (Refused(text)) {
    RefuseAddedRow(index);
    return;
  }
  SECListBoxDirEditor::OnItemAdded(index, std::move(text));
}

LintOptionsDialog::LintOptionsDialog(TargetRec& target, QWidget* parent) : QDialog(parent), m_target(target) {
  setWindowTitle("PC-Lint Options");
  const LintSettings s = LintSettingsOf(target);
  m_program = new SECBrowseFileEdit(this);
  m_program->setMaxLength(256);
  m_program->SetTitle("PC-Lint Executable File");
  m_program->SetFilter("Lint Executable File (*.exe)|*.exe||");
  m_program->setText(QString::fromStdString(s.program));
  m_config = new SECBrowseFileEdit(this);
  m_config->setMaxLength(256);
  m_config->SetTitle("PC-Lint Configuration File");
  m_config->SetFilter("Lint Configuration File (*.lnt)|*.lnt||");
  m_config->setText(QString::fromStdString(s.configFile));
  m_folders = new LintFolderListEditor(this);
  m_folders->Initialize(0xF3E);
  m_folders->SetSpacesAllowed(true);  // folders with blanks in their names
  m_folders->SetCaption("PC-Lint Include Folders:");
  m_folders->setMinimumSize(380, 120);
  int row = 0;
  for (const std::string& f : s.includeFolders) m_folders->InsertString(row++, f);
  auto* grid = new QGridLayout;
  auto* l1 = new QLabel("Lint &Executable:", this);
  l1->setBuddy(m_program);
  auto* l2 = new QLabel("&Configuration File:", this);
  l2->setBuddy(m_config);
  grid->addWidget(l1, 0, 0);
  grid->addWidget(m_program, 0, 1);
  grid->addWidget(BrowseButton(this, m_program), 0, 2);
  grid->addWidget(l2, 1, 0);
  grid->addWidget(m_config, 1, 1);
  grid->addWidget(BrowseButton(this, m_config), 1, 2);
  auto* top = new QVBoxLayout(this);
  top->addLayout(grid);
  top->addWidget(m_folders, 1);
  top->addWidget(OkCancel(this));
}

LintOptionsDialog::~LintOptionsDialog() = default;

void LintOptionsDialog::accept() {
  LintSettings s;
  s.program = m_program->text().toStdString();
  s.configFile = m_config->text().toStdString();
  for (int i = 0; i < m_folders->GetItemCount(); ++i) s.includeFolders.push_back(m_folders->GetText(i));
  // Taken, such a text would make every later save of the project fail;
  // here the user can still mend it.
  if (const LintRefusal r = LintSettingsRefusal(s); !r.message.empty()) {
    QApplication::beep();
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(r.message));
    if (r.field == 2) {
      m_folders->SetCurSel(r.row);
      m_folders->setFocus();
    } else {
      (r.field == 0 ? m_program : m_config)->setFocus();
    }
    return;
  }
  ApplyLintSettings(m_target, s);
  QDialog::accept();
}

AddInSetupDialog::AddInSetupDialog(SettingsStore& store, QWidget* parent) : QDialog(parent), m_store(store) {
  setWindowTitle("Setup Easy-Case");
  m_path = new SECBrowseFileEdit(this);
  m_path->setMaxLength(256);
  m_path->SetTitle("Path for Executable 'Easy-Cpp.exe'");
  m_path->setText(QString::fromStdString(store.GetProfileString("Settings\\EasyCase", "Bin")).trimmed());
  m_path->setMinimumWidth(320);
  auto* grid = new QGridLayout(this);
  auto* label = new QLabel("&Executable:", this);
  label->setBuddy(m_path);
  grid->addWidget(label, 0, 0);
  grid->addWidget(m_path, 0, 1);
  grid->addWidget(BrowseButton(this, m_path), 0, 2);
  grid->addWidget(OkCancel(this), 1, 0, 1, 3);
}

void AddInSetupDialog::accept() {
  m_written = m_path->text().trimmed().toStdString();
  m_store.WriteProfileString("Settings\\EasyCase", "Bin", m_written.c_str());
  QDialog::accept();
}

}  // namespace pm2
