// Fuzzes the options-file reader against a small project with every
// toolset's target, a group and files.
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
  std::string project = std::string(kProjectHeader) +
                        "Target (A), 0x0000\r\nTarget (B), 0x0002\r\nTarget (C), 0x0003\r\n"
                        "Target (D), 0x0004\r\nTarget (E), 0x0001\r\nGroup (G)\r\n"
                        "File 1,1,<a.c><a.c> 0\r\nFile 1,2,<b.s><b.s> 0\r\n"
                        "Options 1,0,0\r\nEndOpt\r\nOptions 2,0,0\r\nEndOpt\r\nOptions 3,0,0\r\nEndOpt\r\n"
                        "Options 4,0,0\r\nEndOpt\r\nOptions 5,0,0\r\nEndOpt\r\n";
  std::string options =
      std::string(kProjectHeader) + std::string(reinterpret_cast<const char*>(data), size);
  std::string_view view(options);
  ProjectFileIo io;
  int rc = ReadProjectText(io, "/fuzz/p.pm2", project, &view);
  if (rc != 0) {
    // A damaged options file is refused, and the refusal names the file.
    if (io.message.find("p.") == std::string::npos) std::abort();
    PoolFreeAll();
    return 0;
  }
  // Whatever was read can be written.
  std::string out = BuildOptionsFileText(*io.project);
  if (out.compare(0, kProjectHeaderSize, kProjectHeader) != 0) std::abort();
  PoolFreeAll();
  return 0;
}
