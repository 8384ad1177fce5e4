#include "shell/tools/ui/svcs_template_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/settings_store.h"

namespace pm2 {
namespace {

std::string Trimmed(const QLineEdit* e) { return e->text().trimmed().toStdString(); }

}  // namespace

SvcsListEditor::SvcsListEditor(SvcsTemplateDialog* dialog, QWidget* parent)
    : SECListBoxEditor(parent), m_dialog(dialog) {}

void SvcsListEditor::OnItemRenamed(int index, std::string oldText, std::string newText) {
  std::string t = newText;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  if (!t.empty()) m_dialog->Model().Rename(index, t);
  SECListBoxEditor::OnItemRenamed(index, std::move(oldText), std::move(newText));
}

void SvcsListEditor::OnItemAdded(int index, std::string text) {
  std::string t = text;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  m_dialog->StoreEntry();
  if (!t.empty()) m_dialog->Model().Insert(index, t);
  m_dropping = t.empty();
  SECListBoxEditor::OnItemAdded(index, std::move(text));
  m_dropping = false;
  m_dialog->ShowEntry();
}

void SvcsListEditor::OnItemMoved(int oldIndex, int newIndex, std::string text, bool dragged) {
  m_dialog->StoreEntry();
  m_dialog->Model().Move(oldIndex, newIndex);
  SECListBoxEditor::OnItemMoved(oldIndex, newIndex, std::move(text), dragged);
  m_dialog->ShowEntry();
}

bool SvcsListEditor::OnItemDeleting(int index, std::string) {
  if (!m_dropping) m_dialog->Model().Erase(index);
  return true;
}

SvcsTemplateDialog::SvcsTemplateDialog(SettingsStore& store, QWidget* parent, OptionBlock* targetOptions)
    : QDialog(parent), m_store(store) {
  setWindowTitle("Configure Version Control");
  m_template = new SECBrowseFileEdit(this);
  m_template->setMaxLength(256);
  m_template->SetFilter(kSvcsFilter);
  m_user = new QLineEdit(this);
  m_user->setMaxLength(64);
  m_database = new SECBrowseFileEdit(this);
  m_database->setMaxLength(256);
  m_database->SetTitle("Select DataBase");
  m_projectId = new QLineEdit(this);
  m_list = new SvcsListEditor(this, this);
  m_list->Initialize(0xF3E, this, 1544);
  m_list->SetSpacesThatEnd(kLbeBlanksInNames);  // "Check In", "Get Latest Version"
  m_list->SetCaption("&Menu Content:");
  m_list->setMinimumSize(380, 120);
  m_command = new SECBrowseFileEdit(this);
  m_command->setMaxLength(256);
  m_command->SetTitle("Select Program");
  m_arguments = new QLineEdit(this);
  m_arguments->setMaxLength(256);
  m_environment = new QLineEdit(this);
  m_environment->setMaxLength(256);
  const char* flagTexts[] = {"Run Mi&nimized", "Query &Comment", "Query &Revision", "Query Check&Point"};
  for (int i = 0; i < 4; ++i) m_flags[i] = new QCheckBox(flagTexts[i], this);

  // Each "..." button runs its edit's own file picker; a template picked
  // this way is read at once, as one typed and left.
  for (int i = 0; i < 3; ++i) {
    m_browse[i] = new QPushButton("...", this);
    m_browse[i]->setFixedWidth(28);
  }
  connect(m_browse[0], &QPushButton::clicked, this, [this] {
    m_template->OnBrowse();
    OnTemplateChange();
  });
  connect(m_browse[1], &QPushButton::clicked, m_database, &SECBrowseFileEdit::OnBrowse);
  connect(m_browse[2], &QPushButton::clicked, m_command, &SECBrowseFileEdit::OnBrowse);
  auto label = [this](const char* text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    return l;
  };
  auto* head = new QGridLayout;
  head->addWidget(label("&Template File:", m_template), 0, 0);
  head->addWidget(m_template, 0, 1);
  head->addWidget(m_browse[0], 0, 2);
  head->addWidget(label("&User Name:", m_user), 1, 0);
  head->addWidget(m_user, 1, 1, 1, 2);
  head->addWidget(label("&DataBase:", m_database), 2, 0);
  head->addWidget(m_database, 2, 1);
  head->addWidget(m_browse[1], 2, 2);
  head->addWidget(label("Project &Identifier:", m_projectId), 3, 0);
  head->addWidget(m_projectId, 3, 1, 1, 2);
  auto* fields = new QGridLayout;
  fields->addWidget(label("C&ommand:", m_command), 0, 0);
  fields->addWidget(m_command, 0, 1, 1, 2);
  fields->addWidget(m_browse[2], 0, 3);
  fields->addWidget(label("&Arguments:", m_arguments), 1, 0);
  fields->addWidget(m_arguments, 1, 1, 1, 3);
  fields->addWidget(label("&Environment:", m_environment), 2, 0);
  fields->addWidget(m_environment, 2, 1, 1, 3);
  for (int i = 0; i < 4; ++i) fields->addWidget(m_flags[i], 3 + i / 2, 1 + i % 2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &SvcsTemplateDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SvcsTemplateDialog::reject);
  auto* top = new QVBoxLayout(this);
  top->addLayout(head);
  top->addWidget(m_list, 1);
  top->addLayout(fields);
  top->addWidget(buttons);

  m_model.user = store.GetProfileString("Sccs", "SccsUser");
  m_user->setText(QString::fromStdString(m_model.user).trimmed());
  const std::string path = QString::fromStdString(store.GetProfileString("Sccs", "SccsFile")).trimmed().toStdString();
  m_template->setText(QString::fromStdString(path));
  m_model.Open(path);
  Fill();
  // Without a target there is nothing the identifier could go into. A
  // stored text longer than the field allows is shown whole, not cut.
  m_model.AttachTarget(targetOptions);
  const QString id = QString::fromStdString(m_model.projectId);
  m_projectId->setMaxLength(std::max<int>(int(kProjectIdLimit), int(id.size())));
  m_projectId->setText(id);
  m_projectId->setEnabled(m_model.HasTarget());
  connect(m_template, &QLineEdit::editingFinished, this, &SvcsTemplateDialog::OnTemplateChange);
}

SvcsTemplateDialog::~SvcsTemplateDialog() { disconnect(m_template, nullptr, this, nullptr); }

void SvcsTemplateDialog::Fill() {
  while (m_list->GetItemCount() > 0) m_list->DeleteString(0);
  int row = 0;
  for (const std::string& text : m_model.RowTexts()) m_list->InsertString(row++, text);
  m_database->setText(QString::fromStdString(m_model.database));
  m_list->SetCurSel(m_model.Count() > 0 ? 0 : -1);
  m_current = -1;
  ShowEntry();
}

void SvcsTemplateDialog::StoreEntry() {
  if (m_current < 0 || m_current >= m_model.Count()) return;
  m_model.Store(m_current, Trimmed(m_command), Trimmed(m_arguments), Trimmed(m_environment),
                m_flags[0]->isChecked(), m_flags[1]->isChecked(), m_flags[2]->isChecked(), m_flags[3]->isChecked());
}

void SvcsTemplateDialog::ShowEntry() {
  const int row = m_list->GetCurSel();
  m_current = row >= 0 && row < m_model.Count() ? row : -1;
  const SvcsEntry empty;
  const SvcsEntry& e = m_current >= 0 ? m_model.Entry(m_current) : empty;
  m_command->setText(QString::fromStdString(e.command));
  m_arguments->setText(QString::fromStdString(e.arguments));
  m_environment->setText(QString::fromStdString(e.environment));
  m_flags[0]->setChecked(e.runMinimized);
  m_flags[1]->setChecked(e.queryComment);
  m_flags[2]->setChecked(e.queryRevision);
  m_flags[3]->setChecked(e.queryCheckPoint);
}

void SvcsTemplateDialog::OnCommand(unsigned, int code, const void*) {
  if (code != kLbnSelChange) return;
  StoreEntry();
  ShowEntry();
}

void SvcsTemplateDialog::OnTemplateChange() {
  const std::string path = Trimmed(m_template);
  StoreEntry();
  m_model.database = Trimmed(m_database);
  bool save = false;
  if (m_model.NeedsSaveQuestion(path))
    save = QMessageBox::question(this, windowTitle(), QString::fromStdString(m_model.SaveQuestion()),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  std::string err;
  if (!m_model.ChangeTemplate(path, save, &err)) {
    QApplication::beep();
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(err));
  }
  Fill();
}

void SvcsTemplateDialog::accept() {
  StoreEntry();
  m_model.database = Trimmed(m_database);
  const std::string path = Trimmed(m_template);
  // Typed commands without a file to keep them in would be lost: the
  // dialog stays open until the template has a name.
  if (m_model.NeedsTemplateName(path)) {
    QApplication::beep();
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(SvcsTemplateModel::NameNeededText()));
    m_template->setFocus();
    return;
  }
  // The identifier goes into the project file, which must give it back as
  // typed; a changed one is checked where it can still be mended.
  const std::string id = m_projectId->text().toStdString();
  if (const std::string refusal = m_model.IdentifierRefusal(id); !refusal.empty()) {
    QApplication::beep();
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(refusal));
    m_projectId->setFocus();
    return;
  }
  if (path != m_model.Path()) OnTemplateChange();
  m_model.projectId = id;
  m_model.ApplyProjectIdentifier();
  m_store.WriteProfileString("Sccs", "SccsFile", path.c_str());
  m_store.WriteProfileString("Sccs", "SccsUser", Trimmed(m_user).c_str());
  std::string err;
  if (!m_model.Write(&err)) {
    QApplication::beep();
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(err));
  }
  QDialog::accept();
}

}  // namespace pm2
