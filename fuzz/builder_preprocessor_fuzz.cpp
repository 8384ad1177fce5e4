// Any source text through the dependency preprocessor: it must end, and
// never crash, whatever the directives and macros.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "builder/preprocessor/preprocessor.h"
#include "platform/win_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string folder = [] {
    char tmpl[] = "/tmp/pm2fuzzppXXXXXX";
    return std::string(mkdtemp(tmpl)) + "/";
  }();
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
