// Compiles the first line of the input as a pattern and runs it over the
// rest, then substitutes a template: no crash, no read past the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "editor/text/regexp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string all(reinterpret_cast<const char*>(data), size);
  size_t nl = all.find('\n');
  std::string pattern = all.substr(0, nl);
  std::string text = nl == std::string::npos ? std::string() : all.substr(nl + 1);
  pattern = pattern.c_str();  // patterns are NUL-terminated
  pm2::CEditRegExp re;
  if (!re.Compile(pattern.c_str())) return 0;
  int at = re.Exec(text);
  if (at >= 0) {
    if (size_t(at) > text.size()) __builtin_trap();
    (void)re.Substitute("<&\\1\\9\\\\>");
  }
  return 0;
}
