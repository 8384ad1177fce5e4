#pragma once
// The menu bar's buttons without a window. Every top-level item of the
// listed menu resources becomes one row (a popup title or a plain command);
// each resource that gives rows gets the next power-of-two flag, and the bar
// shows only the rows of the current resource's flag. The frame switches the
// current resource as document windows of another kind become active.

#include <map>
#include <string>
#include <vector>

#include "toolkit/core/resources.h"

namespace pm2 {

// The command ids the bar gives its popup buttons (they run no command).
constexpr unsigned kMenuBarButtonBase = 0xF600;

struct MenuBarRow {
  unsigned id = 0;        // a popup's button id, or the item's command
  unsigned mask = 0;      // flags of the resources the row belongs to
  unsigned resource = 0;  // menu resource it came from
  const MenuEntry* entry = nullptr;  // the top-level item, in the tables
  std::string title;      // "&" before the mnemonic
  char mnemonic = 0;      // upper-case; 0 when none
  bool IsPopup() const { return entry && entry->kind == MenuEntry::Kind::Popup; }
};

class MenuBarModel {
 public:
  // Drops the old rows, then builds one row per top-level item of each
  // resource in `ids` (the tables must outlive the model). False, with
  // `err` naming the resources, when no row could be built.
  bool SetMenuInfo(const ResourceTables& tables, const std::vector<unsigned>& ids, std::string* err = nullptr);
  const std::vector<MenuBarRow>& Rows() const { return m_rows; }
  // 0 for a resource that is not listed (or gave no rows).
  unsigned FlagOf(unsigned resource) const;

  // Makes a listed resource current; false (nothing changes) otherwise.
  bool SelectMenu(unsigned resource);
  void ShowMenu(unsigned flag) { m_flag = flag; }
  unsigned CurrentFlag() const { return m_flag; }
  unsigned CurrentMenu() const { return m_menu; }
  bool IsVisible(int row) const;
  // The first visible row with that mnemonic (either case), else -1.
  int FindMnemonic(char c) const;

 private:
  std::vector<MenuBarRow> m_rows;
  std::map<unsigned, unsigned> m_flags;
  unsigned m_flag = ~0u;  // nothing selected yet: every row shows
  unsigned m_menu = 0;
};

// The character after the first "&" (not "&&"), upper-cased; 0 when none.
char MnemonicOf(const std::string& text);

}  // namespace pm2
