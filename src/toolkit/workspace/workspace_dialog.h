#pragma once
// SECWsMgrDialogEx: the workspace dialog. It lists the stored workspaces
// in an editable list (SECWSLBEditorEx) where names are changed, added,
// moved and deleted by the rules of WorkspaceNameEditorT; Open and Save
// take the selected name, Done keeps the chosen name. The caller applies
// the recorded changes after OK.

#include <QDialog>
#include <string>

#include "toolkit/controls/list_box_editor.h"
#include "toolkit/workspace/workspace_names.h"

class QLabel;
class QPushButton;

namespace pm2 {

constexpr unsigned kIdWsList = 43072, kIdWsCurrent = 43105, kIdWsOpenButton = 43001, kIdWsSaveButton = 43000,
                   kIdWsDoneButton = 43053;

using SECWSLBEditorEx = WorkspaceNameEditorT<SECListBoxEditor>;

// "%s" in the text of `id` replaced by `arg`.
std::string WorkspaceText(unsigned id, const std::string& arg = {});

class SECWsMgrDialogEx : public QDialog, public WorkspaceNameDialog {
 public:
  SECWsMgrDialogEx(WorkspaceNameLists* lists, std::string* chosen, bool opening, bool saving,
                   QWidget* parent = nullptr);
  ~SECWsMgrDialogEx() override;

  SECWSLBEditorEx* Editor() const { return m_editor; }
  QPushButton* Button(unsigned id) const;
  QLabel* CurrentLabel() const { return m_current; }
  // Open and Save: the selected row's name becomes the chosen one.
  void OnOpenOrSave();
  void OnDone();

  // WorkspaceNameDialog. Message boxes go through `Ask` so tests can
  // answer them; by default a QMessageBox.
  void Inform(unsigned id, const std::string& arg) override;
  bool AskYesNo(unsigned id, const std::string& arg) override;
  void PostSave() override;
  void EditingStarted() override;
  void EditingStopped() override;
  using Asker = std::function<bool(const std::string& text, bool yesNo)>;
  void SetAsker(Asker a) { m_ask = std::move(a); }

 private:
  WorkspaceNameLists* m_lists;
  std::string* m_chosen;
  bool m_opening, m_saving;
  SECWSLBEditorEx* m_editor = nullptr;
  QLabel* m_current = nullptr;
  QPushButton* m_open = nullptr;
  QPushButton* m_save = nullptr;
  QPushButton* m_done = nullptr;
  QPushButton* m_cancel = nullptr;
  QPushButton* m_help = nullptr;
  Asker m_ask;
};

}  // namespace pm2
