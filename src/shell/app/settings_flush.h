// Saving the settings when the program ends: only when something changed,
// and no rewrite of a file that already holds the same bytes. A value
// written again as it was leaves the store clean, but the dock layout and
// the workspace lists are stored by deleting their keys and writing them
// anew, which marks the store changed even when they come out the same; the
// atomic write and its flushes to disk would then cost every exit for
// nothing.
#pragma once

#include <string>

namespace pm2 {

class SettingsStore;

// True when the file holds the store's contents afterwards (written or
// already so); false with *err when the write failed.
bool SaveSettingsIfChanged(SettingsStore& store, std::string* err);

}  // namespace pm2
