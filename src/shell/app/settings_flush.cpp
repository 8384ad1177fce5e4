#include "shell/app/settings_flush.h"

#include <fstream>
#include <iterator>

#include "platform/settings_store.h"

namespace pm2 {

bool SaveSettingsIfChanged(SettingsStore& store, std::string* err) {
  if (!store.IsDirty()) return true;
  std::ifstream in(store.FilePath(), std::ios::binary);
  if (in) {
    const std::string onDisk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.bad() && onDisk == store.Serialize()) return true;
  }
  return store.Save(err);
}

}  // namespace pm2
