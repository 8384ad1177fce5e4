// CFtypDlg: asks the type of a file whose name matches no filter, and
// CFtypPg: the page that edits the project's seven file-type filters.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <string>

#include "project/model/project_records.h"

namespace pm2 {

class FileTypeDialog : public QDialog {
  Q_OBJECT
 public:
  // `is166`: the C++ entry is offered (166/167 targets only).
  FileTypeDialog(const std::string& fileName, const std::string& secondText, uint8_t initialType,
                 bool is166, QWidget* parent = nullptr);
  uint8_t ChosenType() const { return m_type; }
  QComboBox* Types() const { return m_types; }
  // The dialog for fullPath: the chosen FileType after OK, else 0.
  static uint8_t Ask(const std::string& fullPath, bool is166, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QComboBox* m_types = nullptr;
  uint8_t m_type = 0;
};

// The page's rows: control order, modified bit, project filter, default.
struct FileTypeFilterRow {
  const char* label;
  int projectFilter;  // FilterIndex
  const char* defaultPattern;
};
extern const FileTypeFilterRow kFileTypeFilterRows[7];

class FileTypesPage : public QWidget {
  Q_OBJECT
 public:
  explicit FileTypesPage(ProjectRec* project, QWidget* parent = nullptr);
  // OK/Apply: false (beep, message, focus on the edit) for an invalid
  // edited filter; otherwise edited and unset filters are stored.
  bool Confirm();
  void Cancel() { m_modified = 0; }
  QLineEdit* Edit(int row) const { return m_edits[row]; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  ProjectRec* m_project;
  QLineEdit* m_edits[7] = {};
  unsigned m_modified = 0;
};

}  // namespace pm2
