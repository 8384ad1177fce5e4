#include "shell/frame/unbuilt_commands.h"

namespace pm2 {

const std::vector<UnbuiltCommands>& UnbuiltCommandTable() {
  static const std::vector<UnbuiltCommands> rows = {
      // The debug session and its windows.
      {35041, 35041, "debugger", "breakpoint dialog"},
      {35043, 35043, "debugger", "view trace records"},
      {35069, 35069, "debugger", "memory map dialog"},
      {35079, 35079, "debugger", "performance analyser setup"},
      {35082, 35083, "debugger", "inline assembler, debug-function editor"},
      {35058, 35067, "debugger", "memory window display format"},
      {35407, 35408, "debugger", "memory window display format"},
      {35090, 35090, "debugger", "modify memory"},
      {32735, 32735, "debugger", "serial window 1"},
      {32728, 32728, "debugger", "serial window 2"},
      {35418, 35418, "debugger", "serial window 3"},
      {32732, 32732, "debugger", "performance analyser"},
      {35047, 35047, "debugger", "code coverage"},
      {35048, 35048, "debugger", "symbols window"},
      {35073, 35073, "debugger", "tool box"},
  };
  return rows;
}

const char* UnbuiltArea(CommandId id) {
  for (const UnbuiltCommands& r : UnbuiltCommandTable())
    if (id >= r.first && id <= r.last) return r.area;
  return nullptr;
}

const std::vector<UnbuiltService>& UnbuiltServiceTable() {
  static const std::vector<UnbuiltService> rows = {
      {"RefreshWatch", "debugger"},
      {"WriteSerial", "debugger"},
  };
  return rows;
}

const char* UnbuiltServiceArea(const std::string& name) {
  for (const UnbuiltService& r : UnbuiltServiceTable())
    if (name == r.name) return r.area;
  return nullptr;
}

}  // namespace pm2
