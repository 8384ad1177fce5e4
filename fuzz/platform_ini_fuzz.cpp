// Feeds any bytes to the INI reader: it must keep them byte for byte, and a
// write on the parsed document must read back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pm2::IniDocument doc = pm2::IniDocument::Parse(bytes);
  if (doc.Serialize() != bytes) std::abort();
  std::vector<std::string> sections = doc.SectionNames();
  for (const std::string& s : sections)
    for (const std::string& k : doc.KeyNames(s)) (void)doc.GetInt(s, k, 0);
  char buf[32];
  doc.GetString(nullptr, nullptr, "", buf, sizeof buf);
  // The char* calls cannot name a section with a NUL byte in it.
  std::string section = sections.empty() || sections.front().find('\0') != std::string::npos
                            ? "S"
                            : sections.front();
  if (doc.Write(section.c_str(), "FuzzKey", "v=1")) {
    pm2::IniDocument again = pm2::IniDocument::Parse(doc.Serialize());
    if (again.GetString(section, "fuzzkey") != "v=1") std::abort();
  }
  doc.Write(section.c_str(), nullptr, nullptr);
  return 0;
}
