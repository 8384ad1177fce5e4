#pragma once
// SECToolBarsDlg: the toolbars dialog. It lists every control bar of the
// frame with a check box for its visibility, renames user toolbars, resets
// a predefined bar to its default buttons or deletes a user toolbar, makes
// a new toolbar by name, and sets the manager's three switches (tips, cool
// look, large buttons). While it is open the toolbars are in customise
// mode, so buttons can be dragged between them; Cancel (Escape) puts the
// switches back as they were. Show it with show(), not exec(): a modal
// dialog would keep the mouse from the toolbars being customised.

#include <QDialog>

#include "toolkit/customize/toolbar_list_model.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pm2 {

class SECCheckListBox;
class SECControlBar;
class SECToolBarManager;

class SECToolBarsDlg : public QDialog {
 public:
  explicit SECToolBarsDlg(SECToolBarManager* manager, QWidget* parent = nullptr);
  ~SECToolBarsDlg() override;

  const ToolBarListModel& Model() const { return m_model; }
  SECCheckListBox* List() const { return m_list; }
  QLineEdit* NameEdit() const { return m_name; }
  QPushButton* NewButton() const { return m_new; }
  QPushButton* ResetButton() const { return m_reset; }
  QCheckBox* CoolLookCheck() const { return m_cool; }
  QCheckBox* LargeButtonsCheck() const { return m_large; }

  // The list's actions, also reachable from tests.
  void SetChecked(int row);
  void ResetOrDelete();
  // Creates a user toolbar named `name`, floated under the top dock bar;
  // what New does once its dialog returned a name.
  SECControlBar* NewToolBar(const std::string& name);
  void Rename(const std::string& name);
  // Rereads the frame's bars into the list.
  void Reload();

 protected:
  void showEvent(QShowEvent*) override;
  void done(int result) override;

 private:
  void Refill();
  void SelectionChanged();
  void OnNew();
  SECControlBar* BarOfRow(int row) const;

  SECToolBarManager* m_manager;
  ToolBarListModel m_model;
  SECCheckListBox* m_list;
  QLabel* m_nameLabel;
  QLineEdit* m_name;
  QPushButton* m_new;
  QPushButton* m_reset;
  QCheckBox* m_tips;
  QCheckBox* m_cool;
  QCheckBox* m_large;
  bool m_startTips = true, m_startCool = true, m_startLarge = false;
};

}  // namespace pm2
