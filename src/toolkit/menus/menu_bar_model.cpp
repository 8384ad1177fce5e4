#include "toolkit/menus/menu_bar_model.h"

#include <cctype>

namespace pm2 {

char MnemonicOf(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return char(std::toupper(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

bool MenuBarModel::SetMenuInfo(const ResourceTables& tables, const std::vector<unsigned>& ids, std::string* err) {
  m_rows.clear();
  m_flags.clear();
  m_flag = ~0u;
  m_menu = 0;
  unsigned flag = 1;
  std::string missing;
  for (unsigned res : ids) {
    const std::vector<MenuEntry>* menu = tables.Menu(res);
    bool any = false;
    if (menu) {
      for (const MenuEntry& e : *menu) {
        if (e.kind == MenuEntry::Kind::Separator) continue;
        MenuBarRow row;
        row.id = e.kind == MenuEntry::Kind::Popup ? kMenuBarButtonBase + unsigned(m_rows.size()) : e.id;
        row.mask = flag;
        row.resource = res;
        row.entry = &e;
        row.title = e.text;
        row.mnemonic = MnemonicOf(e.text);
        m_rows.push_back(row);
        any = true;
      }
    }
    if (any) {
      m_flags[res] = flag;
      flag <<= 1;
    } else {
      missing += (missing.empty() ? "" : ", ") + std::to_string(res);
    }
  }
  if (m_rows.empty() && err) *err = "no menu bar items in menu resource(s) " + missing;
  return !m_rows.empty();
}

unsigned MenuBarModel::FlagOf(unsigned resource) const {
  const auto it = m_flags.find(resource);
  return it == m_flags.end() ? 0 : it->second;
}

bool MenuBarModel::SelectMenu(unsigned resource) {
  const unsigned flag = FlagOf(resource);
  if (!flag) return false;
  m_menu = resource;
  m_flag = flag;
  return true;
}

bool MenuBarModel::IsVisible(int row) const {
  return row >= 0 && row < int(m_rows.size()) && (m_rows[std::size_t(row)].mask & m_flag) != 0;
}

int MenuBarModel::FindMnemonic(char c) const {
  const char up = char(std::toupper(static_cast<unsigned char>(c)));
  if (!up) return -1;
  for (int i = 0; i < int(m_rows.size()); ++i)
    if (IsVisible(i) && m_rows[std::size_t(i)].mnemonic == up) return i;
  return -1;
}

}  // namespace pm2
