// Every command id a user can reach: the rows of the command table, the
// items of the frame's menus (the main menu, the editor's and the project
// window's) and the buttons of its default toolbars.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "shell/frame/command_table.h"
#include "shell/frame/shell_resources.h"
#include "toolkit/core/resources.h"

namespace pm2::test {

inline std::set<CommandId> OfferedCommands() {
  std::set<CommandId> ids;
  for (const CommandRow& r : CommandTable()) {
    // The status panes are rows of the table but no commands.
    if (std::string(r.menu) == "status bar") continue;
    for (CommandId id = r.first; id <= r.last; ++id) ids.insert(id);
  }
  std::vector<const std::vector<MenuEntry>*> todo;
  for (unsigned menu : {kMainMenuId, kEditorMenuId, kProjectContextMenuId})
    if (const auto* m = ShellResources().Menu(menu)) todo.push_back(m);
  while (!todo.empty()) {
    const std::vector<MenuEntry>* level = todo.back();
    todo.pop_back();
    for (const MenuEntry& e : *level) {
      if (e.kind == MenuEntry::Kind::Item && e.id != 0) ids.insert(e.id);
      if (e.kind == MenuEntry::Kind::Popup) todo.push_back(&e.children);
    }
  }
  for (unsigned bar : {59392u, 59397u, 59398u})
    if (const auto* buttons = ToolkitResources().Toolbar(bar))
      for (CommandId id : *buttons)
        if (id != 0) ids.insert(id);
  return ids;
}

}  // namespace pm2::test
