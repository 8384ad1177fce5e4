// The main frame's menu bar and toolbars: the menu bar across the frame
// showing the frame's menu or the editor window's, and the "File", "Build"
// and "Debug" toolbars of the toolbar manager, whose find box and target
// box are combo-box window buttons. The toolbars' layout is kept with the
// frame's dock state. Commands of both go through the frame's routing.
#pragma once

#include <QObject>
#include <QWidget>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;

namespace pm2 {

class SECCustomToolBar;
class SECMDIFrameWnd;
class SECMenuBar;
class SECToolBarManager;
class SettingsStore;

// Window-button commands and their controls' ids.
inline constexpr unsigned kFindBoxButton = 32750, kTargetBoxButton = 32870;
inline constexpr unsigned kFindBoxControl = 1000, kTargetBoxControl = 1088;

struct FrameBarsHost {
  // The find box's text was entered (Enter).
  std::function<void(const std::string&)> findEntered;
  // An entry other than the first was chosen from the find box's list.
  std::function<void(const std::string&)> findChosen;
  // The find box's edit was left (or its text finished) with this text.
  std::function<void(const std::string&)> findLeft;
  // The target box's selection changed (an index among the listed targets).
  std::function<void(int)> targetChosen;
  // A box was created (the toolbar makes its window buttons when it shows).
  std::function<void()> boxesCreated;
};

class FrameBars : public QObject {
 public:
  // Installs the manager, the toolbars' definitions and the menu bar with
  // the listed menus (the frame's first); `err` says why it failed.
  FrameBars(SECMDIFrameWnd* frame, FrameBarsHost host, const std::vector<unsigned>& menus, std::string* err);
  ~FrameBars() override;
  bool Ok() const { return m_menuBar != nullptr; }

  // The dock state (the frame's bars and the toolbars) and the manager's switches.
  void LoadState(SettingsStore& store, const std::string& profile);
  // Floating bars shown before the frame are held off the screen until it
  // is up (a window manager took them for windows of their own, not the
  // frame's transients kept above it); saved as shown while held.
  void SaveState(SettingsStore& store, const std::string& profile);
  void HoldFloatingFrames();
  void ShowHeldFloatingFrames();
  // The find and target boxes of toolbars made again (a restored layout)
  // get their font, signals and contents.
  void WireBoxes();

  SECMenuBar* MenuBar() const;
  SECToolBarManager* Manager() const { return m_manager; }
  // A default toolbar by its id (kFileToolBarId...), null when gone.
  SECCustomToolBar* ToolBar(unsigned id) const;
  bool IsToolBarVisible(unsigned id) const;
  void ToggleToolBar(unsigned id);
  // The combo box of a window button, null while none exists.
  QComboBox* FindBox() const { return Combo(kFindBoxControl); }
  QComboBox* TargetBox() const { return Combo(kTargetBoxControl); }
  // Refreshes every toolbar's buttons from the update handlers now.
  void UpdateButtons();
  // The frame is going: the boxes' signals (a focus lost as its windows
  // are deleted) tell it nothing more.
  void ForgetHost() { m_host = {}; }

 private:
  QComboBox* Combo(unsigned controlId) const;
  void BoxCreated(unsigned controlId);

  SECMDIFrameWnd* m_frame;
  FrameBarsHost m_host;
  SECToolBarManager* m_manager = nullptr;
  QPointer<QWidget> m_menuBar;
  std::vector<QPointer<QWidget>> m_heldFloating;
};

}  // namespace pm2
