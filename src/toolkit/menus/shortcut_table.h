#pragma once
// SECShortcutTable: the user's keyboard shortcuts as accelerator records.
// It reads the frame's current table, binds keys to commands, installs
// itself as the frame's accelerators, writes the key names into the menus
// (item text, a tab, the key name) and keeps the shortcut file.
//
// The frame is reached through AcceleratorFrame, so the rules run and are
// tested without a window; the main frame implements it.

#include <memory>
#include <string>
#include <vector>

#include "toolkit/menus/accel.h"
#include "toolkit/menus/menu_access.h"

namespace pm2 {

class Disk;

// What the shortcut table needs of the main frame.
class AcceleratorFrame {
 public:
  virtual ~AcceleratorFrame() = default;
  virtual bool HasMainWindow() const = 0;
  // The frame's accelerators; null when it has none.
  virtual std::shared_ptr<const AccelTable> Accelerators() const = 0;
  virtual void SetAccelerators(std::shared_ptr<const AccelTable> table) = 0;
  // The frame's default menu first, then the shared menu of every document
  // template that has one.
  virtual std::vector<MenuAccess*> Menus() = 0;

  // The accelerators as they were the first time a table read them (the
  // ones built from the resources): the default shortcuts. One per program.
  std::shared_ptr<const AccelTable> defaultTable;
};

// Where the shortcut file lies: tried first, and when that cannot be opened.
struct ShortcutFilePaths {
  std::string primary;
  std::string alternate;
};

class SECShortcutTable {
 public:
  // Starts with the frame's current shortcuts. `disk` null: the real disk.
  SECShortcutTable(AcceleratorFrame& frame, ShortcutFilePaths paths, Disk* disk = nullptr);
  virtual ~SECShortcutTable() = default;

  const AccelTable& Records() const { return m_table; }
  AccelTable& Records() { return m_table; }
  void Add(const ACCEL& a) { m_table.push_back(a); }

  // Reads the file. A missing file keeps the table; a damaged or foreign
  // one leaves the default shortcuts in it. False in both cases.
  virtual bool Load();
  // Writes the file atomically; false (LastError tells why) when neither
  // place can be written.
  virtual bool Save();
  // Installs the table as the frame's accelerators and updates the menus;
  // false without a frame window or for an empty table (the frame keeps
  // its own then).
  virtual bool CreateAccelTable();
  // Fills the table from the frame's accelerators (empty and false when it
  // has none); the first such read records the defaults.
  virtual bool LoadCurrentTable();
  // The default shortcuts.
  void LoadFromFrame();
  // Moves the key of `hotKey` to `cmd`, or adds it.
  void AssignShortcut(std::uint32_t hotKey, std::uint16_t cmd);

  virtual bool UpdateAllMenus();
  virtual void UpdateMenuShortcuts(MenuAccess& menu, bool topLevel);
  // Cuts `text` at its tab and, below the top level, appends a tab and
  // `key` when there is one.
  virtual void AppendShortcutText(std::string& text, const std::string& key, bool topLevel) const;
  // The menu text of a record's key ("Ctrl+F7", "Alt+x").
  std::string KeyText(const ACCEL& a) const;

  const std::string& LastError() const { return m_error; }
  const ShortcutFilePaths& Paths() const { return m_paths; }

 private:
  AcceleratorFrame& m_frame;
  ShortcutFilePaths m_paths;
  Disk* m_disk;
  AccelTable m_table;
  std::string m_error;
};

}  // namespace pm2
