#pragma once
// The stored forms of toolbars and of their manager.
//
// A toolbar's "Buttons" block: per button in order, a 32-bit little-endian
// command id (0 for a separator), one byte n, then n bytes of the button's
// own data (a window button's width). A reader takes whole records up to
// the block's end; a record cut short ends the list there, so a damaged
// block never makes a reader run past it. Its "Title" is text.
//
// The manager's switches live in the profile section "<profile>-ToolBarManager"
// as integers "ToolTips", "CoolLook", "LargeButtons" (in that order).

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

class SettingsStore;

struct SavedButton {
  unsigned id = 0;
  std::string data;  // at most 255 bytes
  friend bool operator==(const SavedButton&, const SavedButton&) = default;
};

std::string EncodeToolbarButtons(const std::vector<SavedButton>& buttons);
// False when the block ends inside a record (the complete ones are kept).
bool DecodeToolbarButtons(const std::string& block, std::vector<SavedButton>* out);

struct ToolBarManagerSettings {
  bool toolTips = true;
  bool coolLook = true;
  bool largeButtons = false;
  friend bool operator==(const ToolBarManagerSettings&, const ToolBarManagerSettings&) = default;
};

std::string ToolBarManagerSection(const std::string& profile);
void SaveToolBarManagerSettings(SettingsStore& store, const std::string& profile, const ToolBarManagerSettings& s);
// Missing entries keep what `s` held.
void LoadToolBarManagerSettings(const SettingsStore& store, const std::string& profile, ToolBarManagerSettings* s);

// Tree-node form: a child "ToolBarMgr" of `parent` with the Booleans
// "ToolTips", "CoolLook", "LargeButtons" ("True"/"False"). Loading a
// present child reads a missing value as true; without the child (or a
// parent) the switches become tips on, cool look on, large buttons off and
// the answer is false.
class SECPersistentTreeNode;
bool SaveToolBarManagerNode(SECPersistentTreeNode* parent, const ToolBarManagerSettings& s);
bool LoadToolBarManagerNode(const SECPersistentTreeNode* parent, ToolBarManagerSettings* s);

// User toolbars take ids from 0xE820 up to one below the menu bar's 0xE8FF.
constexpr unsigned kFirstUserToolBarId = 0xE820;
constexpr unsigned kMenuBarId = 0xE8FF;
// The first free user id, 0 when every one is taken.
unsigned NextUserToolBarId(const std::vector<unsigned>& used);

}  // namespace pm2
