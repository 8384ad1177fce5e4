// CDirSetupDlg: a folder list (include paths and the like) edited as one
// folder per row. The list text splits at any separator character; OK
// joins the trimmed, non-empty rows with the first one.
#pragma once

#include <QDialog>
#include <string>

#include "toolkit/controls/browse_edit.h"

namespace pm2 {

// The rows of the list: a typed row that holds one of the list's
// separators is refused where it is typed, with a message naming it.
class FolderRowsEditor : public SECListBoxDirEditor {
  Q_OBJECT
 public:
  FolderRowsEditor(std::string separators, QWidget* parent);
  void OnItemRenamed(int index, std::string oldText, std::string newText) override;
  void OnItemAdded(int index, std::string text) override;
  // The last refusal said ("" none); the box is shown as well.
  const std::string& LastRefusal() const { return m_lastRefusal; }

 private:
  bool Refused(const std::string& text);
  std::string m_separators;
  std::string m_lastRefusal;
};

class FolderListDialog : public QDialog {
  Q_OBJECT
 public:
  FolderListDialog(const QString& caption, const std::string& listText, const std::string& separators,
                   QWidget* parent = nullptr);
  FolderRowsEditor* List() const { return m_list; }
  // The joined rows after OK.
  const std::string& Result() const { return m_result; }
  void accept() override;

 private:
  FolderRowsEditor* m_list = nullptr;
  std::string m_separators;
  std::string m_result;
};

}  // namespace pm2
