#pragma once
// SECCommandList: every command a user may bind to a key, gathered from the
// frame's menus, the document templates' menus and the default
// accelerators, each with a display name (its menu path, "Project:Build
// target") and a description (its status-bar prompt from the string
// table). Ids are unique; the order is the order of discovery.

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/resources.h"
#include "toolkit/menus/menu_access.h"
#include "toolkit/menus/shortcut_table.h"

namespace pm2 {

struct SECCommand {
  std::uint32_t nID = 0;
  std::string strName;         // menu path
  std::string strDescription;  // status-bar prompt
};

// Input of AddCommands: string ids 0 mean none.
struct SECCommandDefinition {
  std::uint32_t id = 0;
  std::uint32_t nameId = 0;
  std::uint32_t descriptionId = 0;
};

class SECCommandList {
 public:
  // `frame` gives the menus and the default accelerators; `strings` the
  // names and descriptions. Both must outlive the list.
  SECCommandList(AcceleratorFrame& frame, const ResourceTables& strings);
  virtual ~SECCommandList() = default;

  const std::vector<SECCommand>& Commands() const { return m_commands; }
  // The two rules of the hot-key control, handed to it as they are.
  void SetHotKeyRules(std::uint16_t invalidCombinations, std::uint16_t defaultModifiers);
  std::uint16_t InvalidCombinations() const { return m_invalid; }
  std::uint16_t DefaultModifiers() const { return m_defaultModifiers; }

  void RemoveAll() { m_commands.clear(); }
  void AddCommands(const SECCommandDefinition* defs, int count);
  // One command with its name and description, unless it is excluded or
  // listed already; true when it was added.
  bool AddCommand(std::uint32_t id, std::string name, std::string description);
  virtual bool IsExcludedCommand(std::uint32_t id) const;
  bool FillStrings();
  bool FillNamesFromMenus();
  bool FillDescriptions();
  void BuildFromMenus();
  int Find(std::uint32_t id) const;
  bool CollectCommands();
  bool AddMenuNames(MenuAccess& menu, const std::string& prefix);
  void AddMenuCommands(MenuAccess& menu);
  void AddAccelCommands();
  // Cuts at "...", at "(&" and at the tab, then drops the first "&".
  static void CleanMenuText(std::string& text);

 protected:
  // The string the list reads for a command id (its description, then a
  // newline and a name); false when there is none. The string table by
  // default; a program that keeps its commands' prompts elsewhere answers
  // from there.
  virtual bool CommandString(std::uint32_t id, std::string* text) const;

 private:
  void AddNew(std::uint32_t id);

  AcceleratorFrame& m_frame;
  const ResourceTables& m_strings;
  std::vector<SECCommand> m_commands;
  std::uint16_t m_invalid = 0;
  std::uint16_t m_defaultModifiers = 0;
};

// The IDE's list: the recent projects and the debugger driver's menu
// tables change at run time and are never offered either.
class SCmdl : public SECCommandList {
 public:
  using SECCommandList::SECCommandList;
  bool IsExcludedCommand(std::uint32_t id) const override;
};

}  // namespace pm2
