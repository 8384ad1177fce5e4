// "Customize Tools Menu": the user tools in menu order in a list editor,
// with the selected tool's program, start folder, arguments and options.
// OK writes the section "ToolM".
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

#include "shell/tools/user_tools_dialog_model.h"
#include "toolkit/controls/browse_edit.h"
#include "toolkit/controls/list_box_editor.h"

namespace pm2 {

class SettingsStore;
class ToolsMenuDialog;

// The list editor whose hooks keep the dialog's tools in step.
class ToolListEditor : public SECListBoxEditor {
  Q_OBJECT
 public:
  ToolListEditor(ToolsMenuDialog* dialog, QWidget* parent);
  void OnItemRenamed(int index, std::string oldText, std::string newText) override;
  void OnItemAdded(int index, std::string text) override;
  void OnItemMoved(int oldIndex, int newIndex, std::string text, bool dragged) override;
  bool OnItemDeleting(int index, std::string text) override;

 private:
  ToolsMenuDialog* m_dialog;
  bool m_dropping = false;  // a row that never became a tool is being removed
};

class ToolsMenuDialog : public QDialog, public CommandListener {
  Q_OBJECT
 public:
  ToolsMenuDialog(SettingsStore& store, QWidget* parent = nullptr);

  UserToolsDialogModel& Model() { return m_model; }
  ToolListEditor* List() const { return m_list; }
  SECBrowseFileEdit* ProgramEdit() const { return m_program; }
  QLineEdit* ArgumentsEdit() const { return m_arguments; }
  QCheckBox* IndependentBox() const { return m_independent; }

  // Shows the selected tool's fields (cleared without a selection).
  void ShowEntry();
  void accept() override;
  void OnCommand(unsigned id, int code, const void* sender) override;

 private:
  void StoreField();

  SettingsStore& m_store;
  UserToolsDialogModel m_model;
  ToolListEditor* m_list = nullptr;
  SECBrowseFileEdit* m_program = nullptr;
  SECBrowseDirEdit* m_folder = nullptr;
  QLineEdit* m_arguments = nullptr;
  QCheckBox* m_prompt = nullptr;
  QCheckBox* m_minimized = nullptr;
  QCheckBox* m_independent = nullptr;
  bool m_showing = false;
};

}  // namespace pm2
