// The build's side of output_names.h: a link planted at a name a tool is
// about to write is removed before the tool runs.
#include <filesystem>
#include <system_error>

#include "builder/driver/build_driver_impl.h"
#include "builder/driver/output_names.h"
#include "platform/atomic_file.h"

namespace pm2 {

namespace {

std::string Normal(const std::string& path) {
  std::string n = std::filesystem::path(path).lexically_normal().string();
  if (!n.empty() && n.back() != '/') n += '/';
  return n;
}

}  // namespace

void BuildDriver::Impl::ReplaceLinksAtOutputs(const ToolRunRequest& r) {
  if (outputFolders_.empty()) return;
  std::string text = r.controlString;
  if (!r.commandFile.empty()) {
    std::string file;
    if (ReadWholeFile(r.commandFile, file, nullptr)) text += " " + file;
  }
  std::vector<std::string> folders;
  for (const std::string& f : outputFolders_)
    if (!f.empty()) folders.push_back(Normal(f));
  for (const std::string& name : NamesInToolArguments(text)) {
    const std::string local = Local(name);
    if (local.empty()) continue;
    const std::filesystem::path path(local);
    const std::string folder = Normal(path.parent_path().string());
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) continue;
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (ec || std::filesystem::is_directory(status) || !std::filesystem::exists(status)) continue;
    // A link to a folder is no output; a file of the project (a source, a
    // linker script a link shares between projects) is never removed.
    if (std::filesystem::is_directory(path, ec) || IsProjectFile(local)) continue;
    ReplacedName what;
    if (int e = MakeNameOwn(local, &what)) {
      Print("*** WARNING: %s\n", FileErrorText("replace the link", name, e).c_str());
      continue;
    }
    if (what.replaced) Print("%s\n", ReplacedNameText(name, what).c_str());
  }
}

}  // namespace pm2
