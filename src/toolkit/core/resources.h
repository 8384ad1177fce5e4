#pragma once
// Resource tables: strings by id, menus, toolbar id lists and accelerators,
// read from a readable text source (src/resources/*.rc.txt). Source format,
// one statement a line, '#' starts a comment line:
//   STRING <id> "<text>"            text uses \" \\ \t \n escapes
//   MENU <id> ... END               with POPUP "<text>" ... END,
//                                   ITEM <command id> "<text>", SEPARATOR
//   TOOLBAR <id> <cmd> <cmd> ...    0 stands for a separator
//   ACCEL <id> ... END              with "<keys>" <command id>, keys like
//                                   "Ctrl+Shift+F5", "Alt+Up", "Insert"
// A malformed line is refused with an error naming the source and line.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/commands.h"

namespace pm2 {

struct MenuEntry {
  enum class Kind { Item, Separator, Popup };
  Kind kind = Kind::Item;
  CommandId id = 0;       // Item only
  std::string text;       // Item and Popup
  std::vector<MenuEntry> children;  // Popup only
};

struct Accelerator {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
  std::string key;   // key name as written, e.g. "F5", "Up", "N"
  CommandId command = 0;
};

class ResourceTables {
 public:
  // Parses `text`; on error returns false, sets `error` and keeps what
  // the tables held before (parsing happens into a fresh copy).
  bool Load(std::string_view text, std::string_view sourceName, std::string* error);

  // Empty string for an unknown id.
  const std::string& String(unsigned id) const;
  bool HasString(unsigned id) const { return m_strings.count(id) != 0; }
  const std::vector<MenuEntry>* Menu(unsigned id) const;
  const std::vector<CommandId>* Toolbar(unsigned id) const;
  const std::vector<Accelerator>* Accelerators(unsigned id) const;

 private:
  std::map<unsigned, std::string> m_strings;
  std::map<unsigned, std::vector<MenuEntry>> m_menus;
  std::map<unsigned, std::vector<CommandId>> m_toolbars;
  std::map<unsigned, std::vector<Accelerator>> m_accels;
};

// The toolkit's own resources (compiled in from src/resources/toolkit.rc.txt).
const ResourceTables& ToolkitResources();
// The raw text of those resources; defined in generated code.
std::string_view ToolkitResourceText();

// String ids of the toolkit's controls.
constexpr unsigned kIdsListEditNew = 20531;
constexpr unsigned kIdsListEditDelete = 20532;
constexpr unsigned kIdsListEditUp = 20533;
constexpr unsigned kIdsListEditDown = 20534;
constexpr unsigned kIdsNoClose = 20624;
constexpr unsigned kIdsSelectFolder = 20625;
constexpr unsigned kIdsSelectFile = 20626;
constexpr unsigned kIdsBrowseFolder = 20634;

}  // namespace pm2
