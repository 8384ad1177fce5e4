#include "toolkit/menus/command_list.h"

namespace pm2 {

SECCommandList::SECCommandList(AcceleratorFrame& frame, const ResourceTables& strings)
    : m_frame(frame), m_strings(strings) {}

void SECCommandList::SetHotKeyRules(std::uint16_t invalidCombinations, std::uint16_t defaultModifiers) {
  m_invalid = invalidCombinations;
  m_defaultModifiers = defaultModifiers;
}

bool SECCommandList::IsExcludedCommand(std::uint32_t id) const {
  // The MDI window list, the recent files and the system range.
  return (id >= 57616 && id <= 57631) || id == 57680 || id == 57681 || (id >= 65280 && id <= 65535);
}

bool SCmdl::IsExcludedCommand(std::uint32_t id) const {
  // Every range filled at run time: recent projects, the four driver menu
  // tables, the user tools and the source-control entries.
  return SECCommandList::IsExcludedCommand(id) || (id >= 32804 && id <= 32813) || (id >= 32820 && id <= 32869) ||
         (id >= 32880 && id <= 32929) || (id >= 33000 && id <= 33009) || (id >= 35114 && id <= 35123) ||
         (id >= 32930 && id <= 32999);
}

int SECCommandList::Find(std::uint32_t id) const {
  for (int i = 0; i < int(m_commands.size()); ++i)
    if (m_commands[std::size_t(i)].nID == id) return i;
  return -1;
}

void SECCommandList::AddNew(std::uint32_t id) {
  if (!IsExcludedCommand(id) && Find(id) < 0) m_commands.push_back({id, {}, {}});
}

bool SECCommandList::AddCommand(std::uint32_t id, std::string name, std::string description) {
  if (IsExcludedCommand(id) || Find(id) >= 0) return false;
  m_commands.push_back({id, std::move(name), std::move(description)});
  return true;
}

void SECCommandList::AddCommands(const SECCommandDefinition* defs, int count) {
  for (int i = 0; i < count; ++i) {
    SECCommand c;
    c.nID = defs[i].id;
    if (defs[i].nameId) c.strName = m_strings.String(defs[i].nameId);
    if (defs[i].descriptionId) c.strDescription = m_strings.String(defs[i].descriptionId);
    m_commands.push_back(std::move(c));
  }
  FillStrings();
}

bool SECCommandList::FillStrings() {
  FillNamesFromMenus();
  FillDescriptions();
  return true;
}

bool SECCommandList::FillNamesFromMenus() {
  for (MenuAccess* menu : m_frame.Menus())
    if (menu) AddMenuNames(*menu, "");
  return true;
}

bool SECCommandList::CommandString(std::uint32_t id, std::string* text) const {
  if (!m_strings.HasString(id)) return false;
  *text = m_strings.String(id);
  return true;
}

bool SECCommandList::FillDescriptions() {
  for (SECCommand& c : m_commands) {
    std::string s;
    if (!CommandString(c.nID, &s)) continue;
    const auto nl = s.find('\n');
    const std::string description = s.substr(0, nl);
    const std::string name = nl == std::string::npos ? std::string() : s.substr(nl + 1);
    if (c.strDescription.empty() && !description.empty()) c.strDescription = description;
    if (c.strName.empty() && !name.empty()) c.strName = name;
  }
  return true;
}

void SECCommandList::BuildFromMenus() {
  m_commands.clear();
  CollectCommands();
  FillStrings();
}

bool SECCommandList::CollectCommands() {
  const std::vector<MenuAccess*> menus = m_frame.Menus();
  // The frame's default menu, the default accelerators, then the templates'.
  if (!menus.empty() && menus[0]) AddMenuCommands(*menus[0]);
  AddAccelCommands();
  for (std::size_t i = 1; i < menus.size(); ++i)
    if (menus[i]) AddMenuCommands(*menus[i]);
  return true;
}

void SECCommandList::AddMenuCommands(MenuAccess& menu) {
  for (int pos = 0; pos < menu.ItemCount(); ++pos) {
    const int id = menu.ItemId(pos);
    if (id == 0) continue;
    if (id == -1) {
      if (MenuAccess* sub = menu.SubMenu(pos)) AddMenuCommands(*sub);
      continue;
    }
    AddNew(std::uint32_t(id));
  }
}

void SECCommandList::AddAccelCommands() {
  if (!m_frame.defaultTable) return;
  for (const ACCEL& a : *m_frame.defaultTable)
    if (a.cmd != 0) AddNew(a.cmd);
}

bool SECCommandList::AddMenuNames(MenuAccess& menu, const std::string& prefix) {
  for (int pos = 0; pos < menu.ItemCount(); ++pos) {
    std::string text = menu.ItemText(pos);
    if (text.empty()) continue;
    CleanMenuText(text);
    const int id = menu.ItemId(pos);
    if (id == -1) {
      if (MenuAccess* sub = menu.SubMenu(pos)) AddMenuNames(*sub, prefix + text + ":");
      continue;
    }
    const int at = Find(std::uint32_t(id));
    if (at >= 0 && m_commands[std::size_t(at)].strName.empty()) m_commands[std::size_t(at)].strName = prefix + text;
  }
  return true;
}

void SECCommandList::CleanMenuText(std::string& text) {
  for (const char* cut : {"...", "(&", "\t"}) {
    const auto at = text.find(cut);
    if (at != std::string::npos) text.erase(at);
  }
  const auto amp = text.find('&');
  if (amp != std::string::npos) text.erase(amp, 1);
}

}  // namespace pm2
