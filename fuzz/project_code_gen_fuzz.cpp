// Fuzzes the code-generator project reader: any bytes read without a fault
// and give at most 256 C files.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/import/code_gen_project.h"

using namespace pm2;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const CodeGenProject d = ParseCodeGenProject(std::string(reinterpret_cast<const char*>(data), size));
  if (d.cFiles.size() > 256) std::abort();
  (void)ParseFrequencyMHz(d.device);
  return 0;
}
