// Fuzzes the project-file reader: any bytes after the header either read
// into a project whose written text reads again, or fail with error 8.
// (Values with unbalanced brackets or comment marks do not survive a
// round trip unchanged, so only the outcome is checked.)
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/files/project_file.h"
#include "project/files/project_lines.h"
#include "project/model/app_state.h"
#include "project/text/pool.h"

using namespace pm2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ShellServices quiet;
  theApp().m_pShell = &quiet;
  std::string text = std::string(kProjectHeader) + std::string(reinterpret_cast<const char*>(data), size);
  ProjectFileIo io;
  int rc = ReadProjectText(io, "/fuzz/p.pm2", text, nullptr);
  if (rc != 0 && rc != 8) std::abort();
  if (rc == 0) {
    std::string first = BuildProjectFileText(*io.project);
    ProjectFileIo again;
    int rc2 = ReadProjectText(again, "/fuzz/p.pm2", first, nullptr);
    if (rc2 != 0 && rc2 != 8) std::abort();
  }
  PoolFreeAll();
  return 0;
}
