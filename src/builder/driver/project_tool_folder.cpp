#include "builder/driver/project_tool_folder.h"

#include <filesystem>
#include <system_error>

#include "builder/driver/output_folders.h"
#include "platform/win_path.h"

namespace pm2 {

namespace fs = std::filesystem;

namespace {

fs::path Real(std::string text) {
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  std::error_code ec;
  fs::path real = fs::weakly_canonical(fs::path(text), ec);
  return ec ? fs::path(text).lexically_normal() : real;
}

}  // namespace

std::string ProjectToolFolderFault(std::string_view stored, const std::string& projectFolder,
                                   const DriveMap& drives) {
  if (stored.empty()) return "";
  std::string local, err;
  // A folder the path layer cannot place is refused by the run that needs it.
  if (!ToLocalPath(stored, projectFolder, drives, &local, &err) || local.empty()) return "";
  const fs::path home = Real(projectFolder);
  const fs::path real = Real(local);
  // The project's folder named through a link is the project's too.
  if (!PathIsWithin(real, home) && !PathIsWithin(fs::path(local).lexically_normal(), fs::path(projectFolder).lexically_normal()))
    return "";
  return "the folder of the tools '" + std::string(stored) + "' lies in the project's folder ('" + home.string() +
         "'): a program the project brings is never run as a tool (the tools' folder is set on the Folders page)";
}

}  // namespace pm2
