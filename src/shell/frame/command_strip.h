// The main frame's command strip until the menu bar and the toolbars take
// its place: a row of flat buttons that open the main menu's popups as
// bitmap menus, and a row of image buttons of the "File" and "Build"
// toolbars with the target box. Every item asks the frame for its state
// and sends its command id to the frame.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/commands.h"

class QComboBox;
class QHBoxLayout;
class QMenu;
class QToolButton;

namespace pm2 {

class SECBmpMenuPlugIn;

struct CommandStripHost {
  std::function<CommandState(CommandId)> query;
  std::function<void(CommandId)> execute;
  // Called before a popup opens (the frame adds its recent projects).
  std::function<void(QMenu*, int popupIndex)> aboutToShow;
  // The find box's text was entered (Enter).
  std::function<void(const std::string&)> findEntered;
};

class CommandStrip : public QWidget {
 public:
  CommandStrip(CommandStripHost host, QWidget* parent = nullptr);
  ~CommandStrip() override;

  QComboBox* TargetBox() const { return m_targets; }
  QComboBox* FindBox() const { return m_find; }
  // Fills the find box with the history, the first entry shown.
  void SetFindHistory(const std::vector<std::string>& entries);
  QMenu* Popup(int index) const { return index >= 0 && index < int(m_popups.size()) ? m_popups[index] : nullptr; }
  int PopupCount() const { return int(m_popups.size()); }
  QToolButton* Button(CommandId id) const;
  // Enables and checks the buttons as the frame's update handlers say (the
  // target box follows the build instead: EnableTargetBox).
  void UpdateButtons();
  // Enables and checks (and renames) the items of a popup.
  void UpdateMenu(QMenu* menu);

 private:
  void AddMenuButtons(QHBoxLayout* row);
  void AddToolButtons(QHBoxLayout* row, unsigned toolbar);

  CommandStripHost m_host;
  std::unique_ptr<SECBmpMenuPlugIn> m_bitmaps;
  std::vector<QMenu*> m_popups;
  std::vector<std::pair<CommandId, QToolButton*>> m_buttons;
  QComboBox* m_targets = nullptr;
  QComboBox* m_find = nullptr;
};

}  // namespace pm2
