// Feeds any bytes to the settings-file reader: it must not crash, and what
// it kept must survive a write and a read unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pm2::SettingsStore store("fuzz");
  store.Parse(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
  std::string once = store.Serialize();
  pm2::SettingsStore back("fuzz");
  back.Parse(once, "fuzz");
  if (!back.LoadWarnings().empty() || back.Serialize() != once) std::abort();
  return 0;
}
