// CPgEdOpt: the editor options of C/C++ files, assembler files and other
// files: tab size and the behaviour switches, each control bound to one
// bit of one file-type record (sheet_rules.h). Changes go into the records
// as they are made.
#pragma once

#include <QWidget>
#include <map>

#include "editor/options/file_type_settings.h"

class QCheckBox;
class QSpinBox;

namespace pm2 {

class CPgEdOpt : public QWidget {
  Q_OBJECT
 public:
  CPgEdOpt(EditorTypeSettings& records, QWidget* parent = nullptr);
  // Loads the controls from the records (the page became current).
  void Activate();
  // The control of an id (a QCheckBox or a QSpinBox).
  QWidget* Control(int id) const;

 private:
  void Store(int id, int value);
  EditorTypeSettings& m_records;
  std::map<int, QWidget*> m_controls;
  bool m_loading = false;
};

}  // namespace pm2
