// CDirSetupDlg: a folder list (include paths and the like) edited as one
// folder per row. The list text splits at any separator character; OK
// joins the trimmed, non-empty rows with the first one.
#pragma once

#include <QDialog>
#include <string>

namespace pm2 {

class SECListBoxDirEditor;

class FolderListDialog : public QDialog {
  Q_OBJECT
 public:
  FolderListDialog(const QString& caption, const std::string& listText, const std::string& separators,
                   QWidget* parent = nullptr);
  SECListBoxDirEditor* List() const { return m_list; }
  // The joined rows after OK.
  const std::string& Result() const { return m_result; }
  void accept() override;

 private:
  SECListBoxDirEditor* m_list = nullptr;
  std::string m_separators;
  std::string m_result;
};

}  // namespace pm2
