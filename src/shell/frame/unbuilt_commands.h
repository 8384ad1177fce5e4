// Commands and frame services whose windows or dialogs belong to parts of
// the program that are not built yet. The frame greys such a command (it
// has no handler); the test that walks the command table accepts exactly
// these and fails for any other command without a handler, and for a row
// listed here that has meanwhile got one, so this list only shrinks.
#pragma once

#include <string>
#include <vector>

#include "toolkit/core/commands.h"

namespace pm2 {

struct UnbuiltCommands {
  CommandId first = 0;
  CommandId last = 0;  // equals first for a single id
  const char* area = "";  // "debugger", "options sheet", ...
  const char* what = "";
};

// One row per command or range, by area.
const std::vector<UnbuiltCommands>& UnbuiltCommandTable();
// The area of an id listed above, or null.
const char* UnbuiltArea(CommandId id);

// Frame services (hook and start-up operations) of unbuilt parts, by name
// as the interfaces call them, with their area.
struct UnbuiltService {
  const char* name = "";
  const char* area = "";
};
const std::vector<UnbuiltService>& UnbuiltServiceTable();
const char* UnbuiltServiceArea(const std::string& name);

}  // namespace pm2
