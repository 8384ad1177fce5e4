// The source-control popup: command 35113 (configure) followed by up to 20
// commands of the first section of the ".SVCS" file named in the profile
// (section "Sccs": "SccsFile" the file, "SccsUser" the user name), with
// command ids 32980 to 32999. A command may ask for a comment, a revision
// and a check-point first; the comment goes to a temporary file "Sccs*"
// whose path the argument line reaches as %Q. The program runs on the
// user-tool thread and ends with notification code 8.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "builder/commands/key_sequences.h"
#include "shell/tools/svcs_file.h"
#include "shell/tools/tool_frame.h"

namespace pm2 {

class EnvOverlay;
class SettingsStore;
class UserToolLauncher;

inline constexpr uint32_t kSccFirstId = 32980;
inline constexpr uint32_t kSccLastId = 32999;
inline constexpr uint32_t kCmdConfigureScc = 35113;
inline constexpr int kMaxSccCommands = 20;
inline constexpr size_t kSccEnvironmentLimit = 1016;

// The texts of the last command, read by the argument expansion.
struct SccSettings {
  std::string commentFile;  // %Q, empty when none
  std::string comment;      // at most 298 characters
  std::string revision;     // %R, at most 126
  std::string checkPoint;   // %C, at most 126
  std::string database;     // %V: DataBase of the first section
  std::string user;         // %U: "SccsUser"
};

// The "NAME=VALUE;NAME=VALUE" list of an Environment value as settings laid
// over the inherited environment (items without '=' are left out; at most
// 1016 characters of items are taken). False when the list is empty.
bool BuildSccEnvironment(std::string_view list, EnvOverlay* env);

// The key-sequence sources with the source-control texts filled in.
KeySequenceSources WithSccTexts(KeySequenceSources src, const SccSettings& scc);

class SccMenu {
 public:
  // `tempFolder` receives the comment files (empty: $TMPDIR or /tmp).
  SccMenu(ToolFrame& frame, UserToolLauncher& launcher, std::atomic<uint32_t>& state,
          std::string tempFolder = {});
  ~SccMenu();  // deletes the comment file

  // LoadSccMenu: at frame creation and after the configuration dialog.
  void Load(const SettingsStore& store);
  const std::vector<SvcsEntry>& Commands() const { return m_entries; }
  const SccSettings& Settings() const { return m_scc; }

  // The items after the fixed item 35113 when the popup opens; only with a
  // project whose current target is set.
  std::vector<ToolMenuItem> Rebuild(bool hasTarget, const KeySequenceSources& src);
  // Runs command 32980..32999; false (after a beep) when refused.
  bool Run(uint32_t commandId, const KeySequenceSources& src);
  // Deletes the comment file of the last command (also at frame close).
  void DeleteCommentFile();

 private:
  bool WriteCommentFile();

  ToolFrame& m_frame;
  UserToolLauncher& m_launcher;
  std::atomic<uint32_t>& m_state;
  std::string m_tempFolder;
  SccSettings m_scc;
  std::vector<SvcsEntry> m_entries;
};

}  // namespace pm2
