#include "shell/tools/ui/find_in_files_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/settings_store.h"

namespace pm2 {
namespace {

QComboBox* HistoryCombo(QWidget* parent, const std::vector<std::string>& items, int limit) {
  auto* c = new QComboBox(parent);
  c->setEditable(true);
  // What is typed is what is searched: the history stays in the drop-down
  // list and never completes a typed prefix (case-insensitively at that).
  c->setCompleter(nullptr);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->lineEdit()->setMaxLength(limit);
  for (const std::string& s : items) c->addItem(QString::fromStdString(s));
  c->setCurrentIndex(items.empty() ? -1 : 0);
  c->setMinimumWidth(300);
  return c;
}

// Enter in a combo's edit: its text to the top of the list, selected.
void MoveToTop(QComboBox* c) {
  const QString text = c->currentText();
  if (text.isEmpty()) return;
  int found = c->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (found >= 0) c->removeItem(found);
  c->insertItem(0, text);
  c->setCurrentIndex(0);
}

}  // namespace

FindInFilesDialog::FindInFilesDialog(SettingsStore& store, const std::string& preset,
                                     const std::string& projectFolder, QWidget* parent)
    : QDialog(parent), m_store(store) {
  setWindowTitle("Find in Files");
  m_state.Load(store, preset, projectFolder);
  m_find = HistoryCombo(this, m_state.findTexts, 80);
  m_types = HistoryCombo(this, m_state.fileTypes, 80);
  m_folder = HistoryCombo(this, m_state.folders, 260);
  auto* browse = new QPushButton("...", this);
  browse->setFixedWidth(28);
  m_subfolders = new QCheckBox("Look in &subfolders", this);
  m_regex = new QCheckBox("Regular &expression", this);
  m_matchCase = new QCheckBox("Match &case", this);
  m_wholeWord = new QCheckBox("Match &whole word only", this);
  m_subfolders->setChecked(m_state.includeSubfolders);
  m_regex->setChecked(m_state.regularExpression);
  m_matchCase->setChecked(m_state.matchCase);
  m_wholeWord->setChecked(m_state.wholeWord);

  auto label = [this](const char* text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    return l;
  };
  auto* grid = new QGridLayout;
  grid->addWidget(label("Fi&nd what:", m_find), 0, 0);
  grid->addWidget(m_find, 0, 1, 1, 2);
  grid->addWidget(label("In file &types:", m_types), 1, 0);
  grid->addWidget(m_types, 1, 1, 1, 2);
  grid->addWidget(label("In &folder:", m_folder), 2, 0);
  grid->addWidget(m_folder, 2, 1);
  grid->addWidget(browse, 2, 2);
  auto* options = new QGridLayout;
  options->addWidget(m_subfolders, 0, 0);
  options->addWidget(m_regex, 0, 1);
  options->addWidget(m_matchCase, 1, 0);
  options->addWidget(m_wholeWord, 1, 1);
  auto* buttons = new QDialogButtonBox(this);
  m_ok = buttons->addButton("Find", QDialogButtonBox::AcceptRole);
  m_ok->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &FindInFilesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FindInFilesDialog::reject);
  auto* top = new QVBoxLayout(this);
  top->addLayout(grid);
  top->addLayout(options);
  top->addWidget(buttons);

  for (QComboBox* c : {m_find, m_types, m_folder}) {
    connect(c, &QComboBox::editTextChanged, this, [this] { UpdateState(); });
    connect(c->lineEdit(), &QLineEdit::returnPressed, this, [c] { MoveToTop(c); });
  }
  connect(m_regex, &QCheckBox::toggled, this, [this] { UpdateState(); });
  connect(browse, &QPushButton::clicked, this, &FindInFilesDialog::Browse);
  UpdateState();
}

void FindInFilesDialog::UpdateState() {
  const bool regex = m_regex->isChecked();
  m_matchCase->setEnabled(!regex);
  m_wholeWord->setEnabled(!regex);
  m_ok->setEnabled(FindDialogState::CanAccept(m_find->currentText().toStdString(),
                                              m_types->currentText().toStdString(),
                                              m_folder->currentText().toStdString()));
}

void FindInFilesDialog::Browse() {
  QString dir = QFileDialog::getExistingDirectory(this, "Select Folder", m_folder->currentText());
  if (dir.isEmpty()) return;
  m_folder->setEditText(dir);
  MoveToTop(m_folder);
}

void FindInFilesDialog::accept() {
  if (!m_ok->isEnabled()) return;
  m_state.includeSubfolders = m_subfolders->isChecked();
  m_state.regularExpression = m_regex->isChecked();
  m_state.matchCase = m_matchCase->isChecked();
  m_state.wholeWord = m_wholeWord->isChecked();
  m_request = m_state.Accept(m_store, m_find->currentText().toStdString(), m_types->currentText().toStdString(),
                             m_folder->currentText().toStdString());
  QDialog::accept();
}

}  // namespace pm2
