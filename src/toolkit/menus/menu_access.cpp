#include "toolkit/menus/menu_access.h"

namespace pm2 {

EntryMenuAccess::EntryMenuAccess(std::vector<MenuEntry> entries) : m_own(std::move(entries)), m_items(&m_own) {}

int EntryMenuAccess::ItemId(int pos) const {
  const MenuEntry& e = (*m_items)[std::size_t(pos)];
  switch (e.kind) {
    case MenuEntry::Kind::Separator: return 0;
    case MenuEntry::Kind::Popup: return -1;
    case MenuEntry::Kind::Item: return int(e.id);
  }
  return 0;
}

MenuAccess* EntryMenuAccess::SubMenu(int pos) {
  MenuEntry& e = (*m_items)[std::size_t(pos)];
  if (e.kind != MenuEntry::Kind::Popup) return nullptr;
  if (m_subs.size() < m_items->size()) m_subs.resize(m_items->size());
  auto& sub = m_subs[std::size_t(pos)];
  if (!sub) sub.reset(new EntryMenuAccess(&e.children));
  return sub.get();
}

}  // namespace pm2
