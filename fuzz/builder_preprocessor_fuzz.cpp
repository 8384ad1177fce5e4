// Any source text through the dependency preprocessor: it must end, and
// never crash, whatever the directives and macros.
#include <cstdint>
#include <cstdio>
#include <string>

#include "builder/preprocessor/preprocessor.h"
#include "platform/win_path.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The source goes through a file in a folder of the run's own.
  static const pm2::fuzz::ScratchFolder scratch("pm2fuzz_pp_", "main.c");
  const std::string& folder = scratch.Folder();
  if (folder.empty()) return 0;
  std::FILE* f = std::fopen(scratch.File().c_str(), "wb");
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
