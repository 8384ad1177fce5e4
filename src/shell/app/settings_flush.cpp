#include "shell/app/settings_flush.h"

#include "platform/atomic_file.h"
#include "platform/settings_store.h"

namespace pm2 {

bool SaveSettingsIfChanged(SettingsStore& store, std::string* err) {
  if (!store.IsDirty() || !store.Writable()) return true;
  // Read as every stored file is: regular files only, so that a folder,
  // pipe or device put in the file's place meanwhile can't hang or abort
  // the exit.
  std::string onDisk;
  if (ReadWholeFile(store.FilePath(), onDisk, nullptr) && onDisk == store.Serialize()) return true;
  return store.Save(err);
}

}  // namespace pm2
