// One tool run as the build steps, the lint thread and the user-tool
// threads describe it, completed by the tool runner (run failed, counts,
// exit code, process id). Empty texts stand for the original's null
// pointers.
#pragma once

#include <cstdint>
#include <string>

namespace pm2 {

class EnvOverlay;

constexpr uint32_t kNoProcessId = 0xFFFFFFFF;
constexpr uint32_t kRunFailedExitCode = 254;
constexpr uint32_t kToolFlagHexOutput = 0x80;  // codes 34, 39: hex, else ELF/bin

struct ToolRunRequest {
  uint16_t toolCode = 0;          // 0 to 44 (tool_table.h)
  std::string controlString;      // arguments for the forms without a command file
  std::string file;               // source file of a translation (announcements)
  std::string projectFileName;    // as the project stores it; not read by the runner
  std::string toolFolder;         // toolset's program folder with its final separator;
                                  // PC-Lint: the lint program
  std::string runThrough;         // the spawn helper or a user program; empty: none
  std::string commandFile;        // "@" / "-Via" input file; PC-Lint: its options file
  std::string objectFile;         // output of hex and object conversion steps
  const EnvOverlay* environment = nullptr;  // null: the IDE's own environment
  std::string altProgram;         // code 29: replaces the table's name when set
  uint32_t runFailed = 0;         // non-zero when the tool could not be run
  int32_t errors = 0;
  int32_t warnings = 0;
  uint32_t exitCode = 0;          // 254 when the run failed
  uint32_t processId = kNoProcessId;
  uint32_t flags = 0;             // bit 7 kToolFlagHexOutput; others: build steps
  uint32_t extra = 0;             // used by the build steps
};

}  // namespace pm2
