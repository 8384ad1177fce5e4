// Saving the settings when the program ends: only when something changed,
// and no rewrite of a file that already holds the same bytes. Values
// written again with what they held (the frame's layout, the recent list,
// the editor's defaults) leave the store dirty; the atomic write and its
// flushes to disk would then cost every exit for nothing.
#pragma once

#include <string>

namespace pm2 {

class SettingsStore;

// True when the file holds the store's contents afterwards (written or
// already so); false with *err when the write failed.
bool SaveSettingsIfChanged(SettingsStore& store, std::string* err);

}  // namespace pm2
