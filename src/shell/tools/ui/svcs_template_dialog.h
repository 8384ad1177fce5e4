// "Configure Version Control": the template file, the user name, the
// section's DataBase, and its commands in a list editor with the selected
// command's program, arguments, environment and four flags, and the current
// target's project identifier. OK writes the template, the profile keys
// "SccsFile" and "SccsUser" and the identifier into the target.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "shell/tools/svcs_template_model.h"
#include "toolkit/controls/browse_edit.h"
#include "toolkit/controls/list_box_editor.h"

namespace pm2 {

class SettingsStore;
class SvcsTemplateDialog;
struct OptionBlock;

class SvcsListEditor : public SECListBoxEditor {
  Q_OBJECT
 public:
  SvcsListEditor(SvcsTemplateDialog* dialog, QWidget* parent);
  void OnItemRenamed(int index, std::string oldText, std::string newText) override;
  void OnItemAdded(int index, std::string text) override;
  void OnItemMoved(int oldIndex, int newIndex, std::string text, bool dragged) override;
  bool OnItemDeleting(int index, std::string text) override;

 private:
  SvcsTemplateDialog* m_dialog;
  bool m_dropping = false;
};

class SvcsTemplateDialog : public QDialog, public CommandListener {
  Q_OBJECT
 public:
  // targetOptions: the current target's block when a project with a target
  // is open (its project identifier is shown and edited), else null.
  SvcsTemplateDialog(SettingsStore& store, QWidget* parent = nullptr, OptionBlock* targetOptions = nullptr);
  // Disconnects first: the template edit reports losing the focus while
  // the children are deleted, after the model has gone.
  ~SvcsTemplateDialog() override;

  SvcsTemplateModel& Model() { return m_model; }
  SvcsListEditor* List() const { return m_list; }
  SECBrowseFileEdit* TemplateEdit() const { return m_template; }
  QLineEdit* UserEdit() const { return m_user; }
  SECBrowseFileEdit* DataBaseEdit() const { return m_database; }
  SECBrowseFileEdit* CommandEdit() const { return m_command; }
  // The "..." buttons beside the template, DataBase and Command edits.
  QPushButton* BrowseButton(int i) const { return m_browse[i]; }
  QLineEdit* ArgumentsEdit() const { return m_arguments; }
  QLineEdit* ProjectIdEdit() const { return m_projectId; }
  QCheckBox* FlagBox(int i) const { return m_flags[i]; }  // minimized, comment, revision, check-point

  // The selected row's fields into the model, and back.
  void StoreEntry();
  void ShowEntry();
  // The template name was edited: ask to save the current file, then load.
  void OnTemplateChange();
  void accept() override;
  void OnCommand(unsigned id, int code, const void* sender) override;

 private:
  void Fill();

  SettingsStore& m_store;
  SvcsTemplateModel m_model;
  SvcsListEditor* m_list = nullptr;
  SECBrowseFileEdit* m_template = nullptr;
  QLineEdit* m_user = nullptr;
  SECBrowseFileEdit* m_database = nullptr;
  SECBrowseFileEdit* m_command = nullptr;
  QPushButton* m_browse[3] = {};
  QLineEdit* m_arguments = nullptr;
  QLineEdit* m_environment = nullptr;
  QLineEdit* m_projectId = nullptr;
  QCheckBox* m_flags[4] = {};
  int m_current = -1;  // the row whose fields are shown
};

}  // namespace pm2
