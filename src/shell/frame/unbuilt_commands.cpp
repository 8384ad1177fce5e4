#include "shell/frame/unbuilt_commands.h"

namespace pm2 {

const std::vector<UnbuiltCommands>& UnbuiltCommandTable() {
  static const std::vector<UnbuiltCommands> rows = {
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

  };
  return rows;
}

const char* UnbuiltServiceArea(const std::string& name) {
  for (const UnbuiltService& r : UnbuiltServiceTable())
    if (name == r.name) return r.area;
  return nullptr;
}

}  // namespace pm2
