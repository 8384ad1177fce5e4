#pragma once
// The list of recent workspace names (most recent first, at most eight) and
// the recent-workspace menu built from it.
//
// Stored form: one string value per name, "Workspace0", "Workspace1", ...
// in a key of the settings store named after the storage mode
// ("__MRURegList" for workspaces kept in the store, "__MRUFileList" for
// workspace files): below the base key under HKEY_CURRENT_USER, or, with
// the application-key option, below the base key inside the application's
// profile key. Writing replaces the key whole; empty values read as absent.

#include <string>
#include <vector>

namespace pm2 {

class SettingsStore;

constexpr unsigned kIdWorkspaceNew = 43007, kIdWorkspaceOpen = 43008, kIdWorkspaceSave = 43009,
                   kIdWorkspaceClose = 43012, kIdWorkspaceSaveAs = 43013, kIdWorkspaceDelete = 43014,
                   kIdWorkspaceRecentFirst = 43031, kIdWorkspaceRecentLast = 43039;
constexpr unsigned kIdsWorkspaceMore = 20664, kIdsNoRecentWorkspace = 20685;
constexpr int kWorkspaceListSize = 8;

struct WorkspaceListPlace {
  std::string baseKey;          // ends in '\'
  bool registryMode = false;    // workspaces in the store, not in files
  bool useApplicationKey = false;
};

const char* WorkspaceListSection(bool registryMode);
// The store key that holds the list.
std::string WorkspaceListKey(const SettingsStore& store, const WorkspaceListPlace& place);

// False when the key does not exist (an unreadable list).
bool ReadWorkspaceList(const SettingsStore& store, const WorkspaceListPlace& place, std::vector<std::string>* list);
bool WriteWorkspaceList(SettingsStore& store, const WorkspaceListPlace& place, const std::vector<std::string>& list);

// Moves `name` to the head (an equal entry is removed first) and drops
// entries beyond `size`.
void AddToWorkspaceList(const std::string& name, std::vector<std::string>* list, int size = kWorkspaceListSize);

// One item of the recent-workspace menu.
struct RecentMenuItem {
  unsigned id = 0;
  std::string text;
  bool enabled = true;
  bool checked = false;
};

// "&1 name" .. with ids from 43031, the current workspace checked; a
// disabled placeholder for an empty list; the "more" item when the list is
// longer than `size`. `texts` gives the placeholder and "more" texts.
std::vector<RecentMenuItem> BuildRecentWorkspaceMenu(const std::vector<std::string>& list, bool listRead,
                                                     const std::string& current, const std::string& noneText,
                                                     const std::string& moreText, int size = kWorkspaceListSize);

}  // namespace pm2
