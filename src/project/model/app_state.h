// The application's shared state as the project model and the build read it:
// the open project, the state bits, the per-toolset environment values and
// the installation paths. The shell's application object owns the one
// instance later; until then (and in tests) it lives here.
//
// Messages for the user go through ShellServices, so the Qt-free libraries
// can report without a window and tests can record what was said.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace pm2 {

struct ProjectRec;
struct OptionBlock;
struct ToolsetInfo;      // defined with the environment file
struct EnvironmentInfo;  // likewise

// Bits of AppState::m_nState.
enum AppStateBit : uint32_t {
  kStateBusy = 0x1,             // a build or a tool run is under way
  kStateDebugOnStart = 0x10,    // -d
  kStateRebuildOnStart = 0x20,  // -r
  kStateBuildOnStart = 0x40,    // -b
  kStateInstanceChannel = 0x100,  // -x or -y
  kStateReadingProject = 0x4000,
};

// Message-box flags of ShellServices::MessageBox.
enum MessageBoxKind : int {
  kMbOk = 0,
  kMbYesNo = 1,
  kMbOkCancel = 2,
  kMbYesNoCancel = 3,
  kMbIconExclamation = 0x30,
  kMbIconQuestion = 0x20,
  kMbIconStop = 0x10,
  // The second button (No, Cancel) is the default: Enter does not say yes
  // to a question whose yes cannot be undone.
  kMbDefButton2 = 0x100,
};
enum MessageBoxAnswer : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// What the core asks of the user interface. The default implementation
// writes to standard error and answers Yes/OK.
class ShellServices {
 public:
  virtual ~ShellServices() = default;
  virtual void Beep() {}
  virtual int MessageBox(const std::string& text, int kind);
  // One finished line for the build output pane.
  virtual void PostOutputText(const std::string& line);
};

constexpr int kToolsetCount = 5;

struct AppState {
  ProjectRec* m_pProject = nullptr;
  OptionBlock* m_pEditTargetOpts = nullptr;
  OptionBlock* m_pEditGroupOpts = nullptr;
  OptionBlock* m_pEditFileOpts = nullptr;
  std::atomic<uint32_t> m_nState{0};
  ToolsetInfo* m_pToolsetInfo[kToolsetCount] = {};
  // The environment file as read at start-up: device databases, ARMSEL, books.
  EnvironmentInfo* m_pEnvironment = nullptr;

  // Installation paths fixed at start-up (SetupInstallPaths).
  std::string m_programDir;   // folder of the executable, ends in '/'
  std::string m_installRoot;  // two folders above it, ends in '/'
  std::string m_vspawnPath;   // "VSPAWN.EXE" beside the program
  std::string m_toolsIniPath; // "TOOLS.INI" in the root

  ShellServices* m_pShell = nullptr;  // never null through Shell()
  ShellServices& Shell();
};

// The process's one application state. Tests reset it with ResetAppState.
AppState& theApp();
void ResetAppState();

// printf-style output of at most 1024 characters: flag 0 sends the line to
// the build output pane; any other flag beeps and shows a message box.
void PrintToOutput(int flag, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

}  // namespace pm2
