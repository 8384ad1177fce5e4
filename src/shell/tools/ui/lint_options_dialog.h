// "PC-Lint Options" of the current target: the lint program, the
// configuration file and the include folders. OK stores them in the target.
#pragma once

#include <QDialog>

#include "shell/tools/lint_run.h"
#include "toolkit/controls/browse_edit.h"

namespace pm2 {

// The include-folder list: a row whose text the options file could not
// give back is refused as it is typed (or picked), and the row goes back
// to what it held.
class LintFolderListEditor : public SECListBoxDirEditor {
  Q_OBJECT
 public:
  using SECListBoxDirEditor::SECListBoxDirEditor;
  void OnItemRenamed(int index, std::string oldText, std::string newText) override;
  void OnItemAdded(int index, std::string text) override;

 private:
  bool Refused(const std::string& text);
};

class LintOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  LintOptionsDialog(TargetRec& target, QWidget* parent = nullptr);
  ~LintOptionsDialog() override;
  SECBrowseFileEdit* ProgramEdit() const { return m_program; }
  SECBrowseFileEdit* ConfigEdit() const { return m_config; }
  LintFolderListEditor* Folders() const { return m_folders; }
  void accept() override;

 private:
  TargetRec& m_target;
  SECBrowseFileEdit* m_program = nullptr;
  SECBrowseFileEdit* m_config = nullptr;
  LintFolderListEditor* m_folders = nullptr;
};

// "Setup Easy-Case": the add-in program's path ("Settings\EasyCase" /
// "Bin"); OK writes it back trimmed.
class AddInSetupDialog : public QDialog {
  Q_OBJECT
 public:
  AddInSetupDialog(class SettingsStore& store, QWidget* parent = nullptr);
  SECBrowseFileEdit* PathEdit() const { return m_path; }
  // The path written by OK.
  const std::string& Path() const { return m_written; }
  void accept() override;

 private:
  SettingsStore& m_store;
  SECBrowseFileEdit* m_path = nullptr;
  std::string m_written;
};

}  // namespace pm2
