// What the walk ran, for a count of what it never reaches: with
// PM2_WALK_RAN=<file>, every command offered to the user (with its menu
// text) and every command and context-menu item the walk ran while it was
// enabled are appended to the file, one line each, tab-separated:
//   offered <id> <text>
//   judged  <id> <the outcome a user expects>    (walk_outcomes.h)
//   ran     <state> <id> <step>
//   item    <state> <window>:<text> <id of its command, 0 for none> <step>
//   listed  <state> <window>:<text> <id>    (shown enabled in a menu)
// Several states append to the same file at once (each line is one
// write to a file opened for appending). walk_never_ran.sh reads it and
// names what was offered and never ran.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "shell/frame/command_table.h"
#include "shell/frame/offered_commands.h"
#include "shell/frame/shell_resources.h"
#include "toolkit/core/resources.h"
#include "walk_outcomes.h"

namespace pm2::test {

class RanRecord {
 public:
  static bool On() {
    const char* path = std::getenv("PM2_WALK_RAN");
    return path && *path;
  }
  static void Line(std::vector<std::string> fields) {
    if (!On()) return;
    std::string line;
    for (std::string& f : fields) {
      for (char& c : f)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
      line += (line.empty() ? "" : "\t") + f;
    }
    line += "\n";
    const int fd = ::open(std::getenv("PM2_WALK_RAN"), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
    ::close(fd);
  }
  // Every offered command with the text a user knows it by: its menu
  // item's, else what the command table says it does.
  static void Offered() {
    if (!On()) return;
    for (CommandId id : OfferedCommands()) Line({"offered", std::to_string(id), TextOf(id)});
    for (const CommandOutcome& o : CommandOutcomes()) Line({"judged", std::to_string(o.id), o.expected});
  }
  static std::string TextOf(CommandId id) {
    std::vector<std::pair<std::string, const std::vector<MenuEntry>*>> todo;
    for (unsigned menu : {kMainMenuId, kEditorMenuId, kProjectContextMenuId})
      if (const auto* m = ShellResources().Menu(menu)) todo.push_back({"", m});
    while (!todo.empty()) {
      const auto [path, level] = todo.back();
      todo.pop_back();
      for (const MenuEntry& e : *level) {
        if (e.kind == MenuEntry::Kind::Item && e.id == id) return path + Plain(e.text);
        if (e.kind == MenuEntry::Kind::Popup) todo.push_back({path + Plain(e.text) + " > ", &e.children});
      }
    }
    for (const CommandRow& r : CommandTable())
      if (id >= r.first && id <= r.last) return std::string(r.menu) + ": " + r.what;
    return "(a toolbar button)";
  }

 private:
  static std::string Plain(const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c == '\t') break;
      if (c != '&') out += c;
    }
    return out;
  }
};

}  // namespace pm2::test
