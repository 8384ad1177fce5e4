#include "toolkit/toolbars/toolbar_state.h"

#include <algorithm>

#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"

namespace pm2 {

std::string EncodeToolbarButtons(const std::vector<SavedButton>& buttons) {
  std::string out;
  for (const SavedButton& b : buttons) {
    for (int i = 0; i < 4; ++i) out.push_back(char((b.id >> (8 * i)) & 0xFF));
    const std::size_t n = std::min<std::size_t>(b.data.size(), 255);
    out.push_back(char(n));
    out.append(b.data, 0, n);
  }
  return out;
}

bool DecodeToolbarButtons(const std::string& block, std::vector<SavedButton>* out) {
  out->clear();
  std::size_t at = 0;
  while (at < block.size()) {
    if (block.size() - at < 5) return false;
    SavedButton b;
    for (int i = 0; i < 4; ++i) b.id |= unsigned(static_cast<unsigned char>(block[at + std::size_t(i)])) << (8 * i);
    const std::size_t n = static_cast<unsigned char>(block[at + 4]);
    at += 5;
    if (block.size() - at < n) return false;
    b.data = block.substr(at, n);
    at += n;
    out->push_back(std::move(b));
  }
  return true;
}

std::string ToolBarManagerSection(const std::string& profile) { return profile + "-ToolBarManager"; }

void SaveToolBarManagerSettings(SettingsStore& store, const std::string& profile, const ToolBarManagerSettings& s) {
  const std::string section = ToolBarManagerSection(profile);
  store.WriteProfileInt(section, "ToolTips", s.toolTips);
  store.WriteProfileInt(section, "CoolLook", s.coolLook);
  store.WriteProfileInt(section, "LargeButtons", s.largeButtons);
}

void LoadToolBarManagerSettings(const SettingsStore& store, const std::string& profile, ToolBarManagerSettings* s) {
  const std::string section = ToolBarManagerSection(profile);
  s->toolTips = store.GetProfileInt(section, "ToolTips", s->toolTips) != 0;
  s->coolLook = store.GetProfileInt(section, "CoolLook", s->coolLook) != 0;
  s->largeButtons = store.GetProfileInt(section, "LargeButtons", s->largeButtons) != 0;
}

bool SaveToolBarManagerNode(SECPersistentTreeNode* parent, const ToolBarManagerSettings& s) {
  if (!parent) return false;
  SECPersistentTreeNode* node = parent->FindChild("ToolBarMgr");
  if (!node) node = parent->CreateChild("ToolBarMgr");
  if (!node) return false;
  node->SetKeyValueBool("ToolTips", s.toolTips);
  node->SetKeyValueBool("CoolLook", s.coolLook);
  node->SetKeyValueBool("LargeButtons", s.largeButtons);
  return true;
}

bool LoadToolBarManagerNode(const SECPersistentTreeNode* parent, ToolBarManagerSettings* s) {
  const SECPersistentTreeNode* node = parent ? parent->FindChild("ToolBarMgr") : nullptr;
  if (!node) {
    *s = ToolBarManagerSettings{true, true, false};
    return false;
  }
  node->GetKeyValueBool("ToolTips", &s->toolTips, true);
  node->GetKeyValueBool("CoolLook", &s->coolLook, true);
  node->GetKeyValueBool("LargeButtons", &s->largeButtons, true);
  return true;
}

unsigned NextUserToolBarId(const std::vector<unsigned>& used) {
  for (unsigned id = kFirstUserToolBarId; id < kMenuBarId; ++id)
    if (std::find(used.begin(), used.end(), id) == used.end()) return id;
  return 0;
}

}  // namespace pm2
