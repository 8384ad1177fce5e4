#include "toolkit/workspace/workspace_names.h"

#include <cctype>

namespace pm2 {

bool SameWorkspaceName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

unsigned WorkspaceNameRefusal(const std::string& name) {
  if (name.find('\\') != std::string::npos) return kIdsWsNameNests;
  if (name.size() > kWorkspaceNameMax) return kIdsWsNameTooLong;
  // The recent lists' sections (workspace_list.cpp) sit beside the
  // workspaces' keys.
  if (SameWorkspaceName(name, "__MRURegList") || SameWorkspaceName(name, "__MRUFileList")) return kIdsWsNameReserved;
  return 0;
}

}  // namespace pm2
