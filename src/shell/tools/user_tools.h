// The user tools at the end of the Tools menu: up to 50 programs with a
// start folder and an argument line whose key sequences are filled in when
// the command runs.
//
// Stored in the profile section "ToolM", tool n (from 0, no gaps) under
//   "Mfg%d" integer: 0x100 always, 0x200 prompt for arguments, 0x400 run
//           minimised, 0x800 run independent, bits 0..7 carried unchanged;
//           0 (or missing) ends the list
//   "Mtx%d" menu text, "Mid%d" start folder, "Mex%d" program,
//   "Mag%d" argument line.
// Writing ends the list with "Mfg%d" = 0 for the next number, so a longer
// list stored earlier is cut there.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "builder/commands/key_sequences.h"
#include "shell/tools/tool_frame.h"

namespace pm2 {

class SettingsStore;
class UserToolLauncher;

inline constexpr int kMaxUserTools = 50;
inline constexpr uint32_t kUserToolFirstId = 32930;
inline constexpr uint32_t kUserToolLastId = 32979;
inline constexpr uint32_t kCmdCustomizeTools = 35095;
inline constexpr int kToolsMenuFixedItems = 9;  // dynamic items start here

enum UserToolOption : uint32_t {
  kToolPrompt = 0x1,
  kToolMinimized = 0x2,
  kToolIndependent = 0x4,
};

struct UserToolEntry {
  bool used = false;
  uint32_t options = 0;     // UserToolOption bits
  uint32_t profileLow = 0;  // low byte of "Mfg%d", written back unchanged
  uint32_t commandId = 0;   // assigned when the menu is rebuilt
  std::string menuText;
  std::string folder;
  std::string program;
  std::string arguments;
};

// Expands the key sequences of a menu text or argument line; false when a
// sequence names something missing or the result passes 1023 characters,
// and then *why (when given) says which sequence or the limit.
bool ExpandToolText(const KeySequenceSources& src, std::string_view text, std::string* out,
                    std::string* why = nullptr);

// The stored tools in order (each marked used).
std::vector<UserToolEntry> ReadUserTools(const SettingsStore& store);
// Writes the used entries with a non-empty menu text, numbered from 0.
void WriteUserTools(SettingsStore& store, const std::vector<UserToolEntry>& tools);

// The frame's table and its commands.
class UserToolsMenu {
 public:
  UserToolsMenu(ToolFrame& frame, UserToolLauncher& launcher, std::atomic<uint32_t>& state)
      : m_frame(frame), m_launcher(launcher), m_state(state) {}

  // LoadToolsMenu: at frame creation and after the customise dialog's OK.
  void Load(const SettingsStore& store) { m_tools = ReadUserTools(store); }
  const std::vector<UserToolEntry>& Tools() const { return m_tools; }

  // Whether command 35095 is enabled (not while busy).
  bool CustomizeEnabled() const;
  // The items to append after the nine fixed items when the Tools popup
  // opens; assigns the command ids (32930 + k for the k-th used tool).
  std::vector<ToolMenuItem> Rebuild(const KeySequenceSources& src);
  // Runs the tool of a command id 32930..32979; false (after a beep) when
  // refused: busy, unknown id, argument line that can't be expanded, or the
  // prompt cancelled.
  bool Run(uint32_t commandId, const KeySequenceSources& src);

 private:
  ToolFrame& m_frame;
  UserToolLauncher& m_launcher;
  std::atomic<uint32_t>& m_state;
  std::vector<UserToolEntry> m_tools;
};

}  // namespace pm2
