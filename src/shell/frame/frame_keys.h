// The main frame's keys: the shortcut table (the user's file, else the
// defaults) installed as the frame's accelerators, and the F1 and Esc
// rules. Keys reach it before the window that has the focus: a text field
// keeps its editing keys and an editor view the keys of its own table; any
// other key of the table runs its command through the frame's routing.
// The frame's modeless windows (tool box, debug dialogs) pass on only the
// keys that run and step the target.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <memory>
#include <vector>

#include "toolkit/menus/shortcut_table.h"

class QKeyEvent;

namespace pm2 {

class CMainFrame;

class FrameKeys : public QObject, public AcceleratorFrame {
 public:
  // The shortcut file lies beside the settings ("pelmora2.Mac").
  FrameKeys(CMainFrame& frame, const std::string& settingsFile);
  const ShortcutFilePaths& FilePaths() const { return m_paths; }
  ~FrameKeys() override;

  // Reads the shortcut file and installs its table, or the defaults.
  void Install();
  SECShortcutTable* Shortcuts() const { return m_shortcuts.get(); }
  // A table the options sheet edited becomes the frame's: written to the
  // shortcut file and installed (the menus show its keys); false when the
  // file could not be written (the table is installed all the same).
  bool TakeShortcuts(const SECShortcutTable& edited);
  // The help viewer is ready for F1 look-ups.
  void SetHelpReady(bool ready) { m_helpReady = ready; }

  // ---- AcceleratorFrame
  bool HasMainWindow() const override { return true; }
  std::shared_ptr<const AccelTable> Accelerators() const override { return m_table; }
  void SetAccelerators(std::shared_ptr<const AccelTable> table) override { m_table = std::move(table); }
  std::vector<MenuAccess*> Menus() override;

  // Told of every key the table took, with its command, before the
  // command's state decides whether it runs (tests watch the keys).
  std::function<void(unsigned command)> onCommandKey;

  // The command a key press runs here, 0 when it goes to its window.
  unsigned CommandOfKey(QObject* target, const QKeyEvent& key) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool HandleF1();
  bool HandleEscape(QObject* target);

  CMainFrame& m_frame;
  ShortcutFilePaths m_paths;
  std::shared_ptr<const AccelTable> m_table;
  std::unique_ptr<SECShortcutTable> m_shortcuts;
  std::vector<std::unique_ptr<MenuAccess>> m_menus;
  bool m_helpReady = false;
};

}  // namespace pm2
