// The modeless find and replace dialog of an editor window (the IDE's
// view or the editor control of another window): the last ten
// search and replace texts in drop-down lists, match case, regular
// expression, wrap around and (find only) the direction; Find Next, Mark
// All, Replace and Replace All run the engine's operations. It opens where
// it keeps the caret's row visible.
#pragma once

#include <QDialog>
#include <functional>

#include "editor/engine/edit_engine.h"
#include "editor/engine/find_settings.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace pm2 {

class EditView;
class SettingsStore;

class EditFindDialog : public QDialog {
  Q_OBJECT
 public:
  // `settings` (may be null) keeps the options and histories; `searched`
  // (may be empty) is told after each search, so the owner's status follows.
  EditFindDialog(EditView* view, bool replace, SettingsStore* settings, std::function<void()> searched = {});

  bool IsReplace() const { return m_replace; }
  // Before showing: options and histories from the profile, the find text
  // from the selection or the word at the caret (else the newest entry),
  // and the position; the focus goes to the find field with its text
  // selected.
  void Prepare();
  // The focus in the find field, its text selected (an open dialog brought
  // forward again).
  void TakeFocus();

  // The buttons.
  void FindNext();
  void ReplaceOne();
  void ReplaceAll();
  void MarkAll();

  QComboBox* FindCombo() const { return m_find; }
  QComboBox* ReplaceCombo() const { return m_replaceWith; }
  QCheckBox* MatchCaseBox() const { return m_matchCase; }
  QCheckBox* RegexBox() const { return m_regex; }
  QCheckBox* WrapBox() const { return m_wrap; }
  QRadioButton* UpButton() const { return m_up; }
  QPushButton* ReplaceButton() const { return m_replaceButton; }
  QPushButton* ReplaceAllButton() const { return m_replaceAllButton; }

 protected:
  // Closed by its Cancel, its closing button, Escape or the engine: the
  // pass of its search ends with it.
  void hideEvent(QHideEvent* e) override;

 private:
  // The controls into the engine's search, the texts into the histories.
  bool Apply();
  void Place();
  void KeepCaretVisible();
  // The buttons and the focus after a search from the dialog.
  void ShowOutcome(EditEngine::FindOutcome outcome);

  EditView* m_view;
  std::function<void()> m_searched;
  bool m_replace;
  SettingsStore* m_settings;
  FindHistory m_history;
  QComboBox* m_find = nullptr;
  QComboBox* m_replaceWith = nullptr;
  QCheckBox* m_matchCase = nullptr;
  QCheckBox* m_regex = nullptr;
  QCheckBox* m_wrap = nullptr;
  QRadioButton* m_up = nullptr;
  QRadioButton* m_down = nullptr;
  QPushButton* m_replaceButton = nullptr;
  QPushButton* m_replaceAllButton = nullptr;
};

}  // namespace pm2
