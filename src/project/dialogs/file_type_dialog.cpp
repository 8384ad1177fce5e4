#include "project/dialogs/file_type_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "project/dialogs/dialog_services.h"
#include "project/edit/filter_text.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

struct TypeEntry {
  const char* text;
  uint8_t type;
};
constexpr TypeEntry kTypeEntries[] = {
    {"C Source file", kFileC},      {"Asm Source file", kFileAsm}, {"Object file", kFileObject},
    {"Library file", kFileLibrary}, {"Text Document file", kFileText}, {"Custom file", kFileCustom},
    {"C++ Source file", kFileCpp},
};

}  // namespace

FileTypeDialog::FileTypeDialog(const std::string& fileName, const std::string& secondText,
                               uint8_t initialType, bool is166, QWidget* parent)
    : QDialog(parent), m_type(initialType) {
  UseDialogFont(this);
  setWindowTitle(FromLocal("Select File Type for '" + fileName + "'"));
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(FromLocal(secondText), this);
  text->setWordWrap(true);
  layout->addWidget(text);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel("File &Type:", this);
  row->addWidget(label);
  m_types = new QComboBox(this);
  label->setBuddy(m_types);
  const int count = is166 ? 7 : 6;
  for (int i = 0; i < count; ++i) m_types->addItem(kTypeEntries[i].text, int(kTypeEntries[i].type));
  m_types->setCurrentIndex(-1);
  row->addWidget(m_types, 1);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_types, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (i >= 0) m_type = uint8_t(m_types->itemData(i).toInt());
  });
  for (QPushButton* b : buttons->findChildren<QPushButton*>()) b->setAutoDefault(false);
  m_types->setFocus();
  setMinimumWidth(380);
}

void FileTypeDialog::keyPressEvent(QKeyEvent* e) {
  // The dialog ends only through its buttons.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
    Beep();
    return;
  }
  QDialog::keyPressEvent(e);
}

uint8_t FileTypeDialog::Ask(const std::string& fullPath, bool is166, QWidget* parent) {
  FileTypeDialog dlg(GetFileNamePart(fullPath.c_str()),
                     "The file '" + fullPath + "' matches no file type of the project. Choose its type:",
                     kFileUnknown, is166, parent);
  if (dlg.exec() != QDialog::Accepted) return kFileUnknown;
  return dlg.ChosenType();
}

// ---------------------------------------------------------------- page

const FileTypeFilterRow kFileTypeFilterRows[7] = {
    {"C Source:", kFilterC, "*.c"},          {"Assembler Source:", kFilterAsm, "*.asm"},
    {"Text Document:", kFilterText, "*.txt"}, {"Library:", kFilterLibrary, "*.lib"},
    {"Object:", kFilterObject, "*.obj"},      {"PL/M-51 Source:", kFilterPlm, "*.plm"},
    {"C++ Source:", kFilterCpp, "*.cpp"},
};

FileTypesPage::FileTypesPage(ProjectRec* project, QWidget* parent) : QWidget(parent), m_project(project) {
  UseDialogFont(this);
  auto* outer = new QVBoxLayout(this);
  auto* box = new QGroupBox("File Extensions", this);
  auto* grid = new QGridLayout(box);
  for (int i = 0; i < 7; ++i) {
    const FileTypeFilterRow& r = kFileTypeFilterRows[i];
    grid->addWidget(new QLabel(r.label, box), i, 0);
    m_edits[i] = new QLineEdit(box);
    m_edits[i]->setMaxLength(40);
    const OptString stored = project ? project->filters[r.projectFilter] : OptString();
    m_edits[i]->setText(FromLocal(stored.empty() ? r.defaultPattern : stored.str()));
    grid->addWidget(m_edits[i], i, 1);
    connect(m_edits[i], &QLineEdit::textEdited, this, [this, i] { m_modified |= 1u << i; });
  }
  outer->addWidget(box);
  outer->addStretch(1);
}

bool FileTypesPage::Confirm() {
  for (int i = 0; i < 7; ++i) {
    if (!(m_modified & (1u << i))) continue;
    std::string label = kFileTypeFilterRows[i].label;
    if (!label.empty() && label.back() == ':') label.pop_back();
    if (const std::string why = FilterTextRefusal(label, ToLocal(m_edits[i]->text())); !why.empty()) {
      RefuseWithMessage(why);
      m_edits[i]->setFocus();
      return false;
    }
  }
  if (!m_project) return true;
  for (int i = 0; i < 7; ++i) {
    OptString& f = m_project->filters[kFileTypeFilterRows[i].projectFilter];
    if ((m_modified & (1u << i)) || f.empty()) f = PoolStrDupOrEmpty(ToLocal(m_edits[i]->text()).c_str(), kPoolProject);
  }
  m_modified = 0;
  return true;
}

void FileTypesPage::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
    Beep();
    return;
  }
  QWidget::keyPressEvent(e);
}

}  // namespace pm2
