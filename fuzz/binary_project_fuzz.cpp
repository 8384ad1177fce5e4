// Fuzzes the binary project reader; a project it gives can be written, and
// a name or text the project files could not hold refuses the project.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/files/binary_project.h"
#include "project/files/project_file.h"
#include "project/text/pool.h"

using namespace pm2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Inputs start after a valid header record, so the fuzzer reaches the
  // record readers.
  BinaryProjectWriter header;
  std::string bytes = header.Data() + std::string(reinterpret_cast<const char*>(data), size);
  ProjectRec* p = nullptr;
  int rc = ReadBinaryProject(bytes, false, &p);
  if (rc != kBinOk && rc != kBinBadHeader && rc != kBinBadChecksum && rc != kBinBadField && rc != kBinBadName)
    std::abort();
  if (p) {
    BuildProjectFileText(*p);
    BuildOptionsFileText(*p);
  }
  PoolFreeAll();
  return 0;
}
