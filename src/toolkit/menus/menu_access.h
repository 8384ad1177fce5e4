#pragma once
// One level of a menu as the shortcut table and the command list walk it:
// items by position with their text and command, popups with their
// submenus. The GUI adapts its popups; the resource tables' menus adapt
// here too, so the walks run without a window.

#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/resources.h"

namespace pm2 {

class MenuAccess {
 public:
  virtual ~MenuAccess() = default;
  virtual int ItemCount() const = 0;
  // The item's text, tab part included; empty for a separator.
  virtual std::string ItemText(int pos) const = 0;
  // The command; 0 for a separator, -1 for a popup.
  virtual int ItemId(int pos) const = 0;
  // The popup's submenu, null for other items.
  virtual MenuAccess* SubMenu(int pos) = 0;
  virtual void SetItemText(int pos, const std::string& text) = 0;
};

// A menu of the resource tables (a copy the walks may change).
class EntryMenuAccess : public MenuAccess {
 public:
  explicit EntryMenuAccess(std::vector<MenuEntry> entries);
  EntryMenuAccess(const EntryMenuAccess&) = delete;
  EntryMenuAccess& operator=(const EntryMenuAccess&) = delete;
  int ItemCount() const override { return int(m_items->size()); }
  std::string ItemText(int pos) const override { return (*m_items)[std::size_t(pos)].text; }
  int ItemId(int pos) const override;
  MenuAccess* SubMenu(int pos) override;
  void SetItemText(int pos, const std::string& text) override { (*m_items)[std::size_t(pos)].text = text; }
  const std::vector<MenuEntry>& Entries() const { return *m_items; }

 private:
  explicit EntryMenuAccess(std::vector<MenuEntry>* items) : m_items(items) {}
  std::vector<MenuEntry> m_own;     // the root's copy; submenus look into it
  std::vector<MenuEntry>* m_items;  // this level
  std::vector<std::unique_ptr<EntryMenuAccess>> m_subs;  // by position, made when asked
};

}  // namespace pm2
