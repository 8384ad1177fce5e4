// Resource sources of any content: the parser must either load them or
// refuse them with a message naming the source, and never keep half a load.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "toolkit/core/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  pm2::ResourceTables t;
  std::string err;
  if (!t.Load("STRING 1 \"kept\"\n", "seed.rc", &err)) std::abort();
  if (!t.Load(text, "fuzz.rc", &err)) {
    if (err.rfind("'fuzz.rc' line ", 0) != 0) std::abort();
    if (t.String(1) != "kept") std::abort();  // a refused load changes nothing
  }
  return 0;
}
