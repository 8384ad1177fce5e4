// Any bytes as a shortcut file and as a toolbar resource: each is refused or
// read without reading past its end, and an accepted shortcut file writes
// back to the same records.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "toolkit/menus/shortcut_file.h"
#include "toolkit/toolbars/toolbar_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pm2::AccelTable table;
  if (pm2::DecodeShortcutFile(bytes, "fuzz.Mac", &table, nullptr)) {
    pm2::AccelTable again;
    if (!pm2::DecodeShortcutFile(pm2::EncodeShortcutFile(table), "again.Mac", &again, nullptr) || again != table)
      std::abort();
  }
  pm2::ToolbarResource resource;
  (void)pm2::ReadToolbarResource(std::vector<std::uint8_t>(data, data + size), 1, true, &resource, nullptr);
  return 0;
}
