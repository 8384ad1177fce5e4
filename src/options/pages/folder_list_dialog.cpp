#include "options/pages/folder_list_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QVBoxLayout>

#include "options/core/tool_command.h"
#include "toolkit/controls/browse_edit.h"

namespace pm2 {

FolderRowsEditor::FolderRowsEditor(std::string separators, QWidget* parent)
    : SECListBoxDirEditor(parent), m_separators(std::move(separators)) {}

bool FolderRowsEditor::Refused(const std::string& text) {
  m_lastRefusal = FolderRowRefusal(text, m_separators);
  if (m_lastRefusal.empty()) return false;
  QApplication::beep();
  QMessageBox::warning(this, window()->windowTitle(), QString::fromStdString(m_lastRefusal));
  return true;
}

void FolderRowsEditor::OnItemRenamed(int index, std::string oldText, std::string newText) {
  if (Refused(newText)) {
    SetItemText(index, oldText);
    return;
  }
  SECListBoxDirEditor::OnItemRenamed(index, std::move(oldText), std::move(newText));
}

void FolderRowsEditor::OnItemAdded(int index, std::string text) {
  if (Refused(text)) {
    RefuseAddedRow(index);
    return;
  }
  SECListBoxDirEditor::OnItemAdded(index, std::move(text));
}

FolderListDialog::FolderListDialog(const QString& caption, const std::string& listText,
                                   const std::string& separators, QWidget* parent)
    : QDialog(parent), m_separators(separators) {
  setWindowTitle("Folder Setup");
  auto* layout = new QVBoxLayout(this);
  m_list = new FolderRowsEditor(separators, this);
  m_list->SetCaption(caption);
  // A typed character starts editing the row, as in the other folder lists.
  m_list->Initialize(LBE_TYPETOEDIT | LBE_BUTTONS | LBE_TOOLTIPS | LBE_SHORTCUTS | LBE_DRAG);
  m_list->SetSpacesThatEnd(kLbeBlanksInNames);  // folders such as "Program Files"
  m_list->setMinimumSize(420, 220);
  layout->addWidget(m_list, 1);
  int row = 0;
  for (const std::string& folder : SplitFolderList(listText, separators)) m_list->InsertString(row++, folder);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &FolderListDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void FolderListDialog::accept() {
  std::vector<std::string> rows;
  for (int i = 0; i < m_list->GetItemCount(); ++i) rows.push_back(m_list->GetText(i));
  m_result = JoinFolderList(rows, m_separators);
  QDialog::accept();
}

}  // namespace pm2
