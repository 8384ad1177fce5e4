// Another program's text, any bytes taken for UTF-8, into the editor's
// Windows-1252 bytes: never more bytes than came in; and any bytes out as
// text and in again come back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "editor/text/windows_1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (pm2::Utf8ToWindows1252(bytes).size() > bytes.size()) __builtin_trap();
  if (pm2::Utf8ToWindows1252(pm2::Windows1252ToUtf8(bytes)) != bytes) __builtin_trap();
  return 0;
}
