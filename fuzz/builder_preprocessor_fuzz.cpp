// Any source text through the dependency preprocessor: it must end, and
// never crash, whatever the directives and macros.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "builder/preprocessor/preprocessor.h"
#include "platform/win_path.h"

namespace {

// The source goes through a file in a folder of the run's own, which goes
// when the run ends.
struct SourceFolder {
  std::string path = [] {
    char tmpl[] = "/tmp/pm2fuzzppXXXXXX";
    return ::mkdtemp(tmpl) ? std::string(tmpl) + "/" : std::string();
  }();
  ~SourceFolder() {
    if (path.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const SourceFolder scratch;
  const std::string& folder = scratch.path;
  if (folder.empty()) return 0;
  std::FILE* f = std::fopen((folder + "main.c").c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  pm2::PathResolver resolver;
  pm2::DepScanRequest req;
  req.sourcePath = "main.c";
  req.objectPath = "main.o";
  pm2::AddScanDefine(req, "X=1");
  pm2::PreprocessForDependencies(req, resolver, folder);
  return 0;
}
