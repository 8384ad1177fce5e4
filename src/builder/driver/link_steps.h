// The steps that make a target's output after the translation loop: the
// ARM linkers over the build's items (command input file "lnp", kept for
// the next up-to-date test), the librarian (command file "__b"), and the
// hex conversions of every toolset. Each step fills the build's request,
// runs it, adds its counts to the totals and records its item; failures
// set bits of BuildFlags, never throw.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "builder/runner/tool_environment.h"
#include "builder/runner/tool_run_request.h"

namespace pm2 {

class BatchFile;
class CommandContext;
class Disk;
class ShellServices;
class TraceFile;
struct BuildState;
struct OptionBlock;
struct TargetRec;

// What the steps work with; dependencies come in here so tests can fake
// the runner and the output window.
struct LinkStepEnv {
  CommandContext* cmd = nullptr;
  BuildState* state = nullptr;
  std::function<void(ToolRunRequest&)> run;  // RunBuildStep
  ShellServices* shell = nullptr;            // output lines; null: the application's
  std::string projectFolder;                 // stored relative paths are taken against it
  ToolEnvInput envInput;                     // the target's tool environment
  EnvOverlay* overlay = nullptr;             // receives the environment; may be null
  BatchFile* batch = nullptr;
  TraceFile* trace = nullptr;                // ADS link preparation
  Disk* disk = nullptr;                      // command input files; null: the real disk
  // Told the temporary name of each command file's write before it is made.
  std::function<void(const std::string&)> onTempFile;
  // The modification time (ns) of a stored path, nullopt when it is
  // missing, with its local path; null: LocalPath and a stat call. The
  // up-to-date test of the link takes the times of its output, command file
  // and objects through it.
  std::function<std::optional<int64_t>(std::string_view stored, std::string* local)> storedFileTime;
};

// Shared by the steps of every family.
// One text to the output window (the env's shell, else the application's).
void PrintStepText(const LinkStepEnv& env, const std::string& text);
// The toolset's program folder; fills env.overlay (ARM-ADS: the ADS form).
std::string StepToolFolder(LinkStepEnv& env, bool ads);
// Writes a command input file atomically; on failure prints "error - can't
// create command input file '%s'\n" and sets bits 0 and 1.
bool WriteStepCommandFile(LinkStepEnv& env, const std::string& path, std::string_view text);
// Runs the current request and adds its counts; errors set bit 0.
void RunCountedStep(LinkStepEnv& env);

// "%s%s" of the output folder (nothing for the project folder) and name.
std::string OutputBase(const OptionBlock& options);

// A stored path (".\x", "x\y", absolute) as a path of this machine, taken
// against the project folder.
std::string LocalPath(const LinkStepEnv& env, std::string_view stored);

// The librarian's command text: "TRANSFER\r\n", one "%s%c\r\n" line per
// item (',' between items, ' ' after the last), then "TO \"%s\"\n".
std::string LibraryCommandText(const BuildState& state, const std::string& libraryPath);

// Archives the build's objects into "%s%s.LIB"; the librarian always runs.
// Returns 1 when it ran.
uint8_t CreateTargetLibrary(LinkStepEnv& env, const OptionBlock& options, TargetRec* target);

// 0 when the ARM linker output is up to date: it and the old command file
// exist, the extra file (ARM-ADS scatter file; empty for none) and every
// input object exist and are not newer than the output, and the old
// command file (at most 32767 bytes) holds exactly the new text. 1 link.
// reason (may be null) tells which of these decided.
int IsGnuLinkUpToDate(const LinkStepEnv& env, const std::string& output,
                      const std::string& commandFile, std::string_view newText,
                      const std::string& extraFile, std::string* reason = nullptr);

// The ARM-GNU link (tool code 33) into "%s%s.elf". Returns 1 when it ran.
uint8_t LinkGnuTarget(LinkStepEnv& env, TargetRec* target);
// objcopy to Intel hex (tool code 34) after a successful link. When nothing
// was linked it runs only to remake a missing hex file.
void MakeGnuHexFile(LinkStepEnv& env, TargetRec* target, const OptionBlock& options, bool linked);
// fromelf to Intel hex (tool code 39) of the ADS image, on the same terms.
void MakeAdsHexFile(LinkStepEnv& env, const OptionBlock& options, bool linked);
// The ARM-ADS link (tool code 38) into "%s%s.axf", traced.
uint8_t LinkAdsTarget(LinkStepEnv& env, TargetRec* target);

// ---------------------------------------------------------------- hex steps
enum class HexStep : uint8_t { k51, k251, k51Extended, k166 };

// The converter's settings (from the target's options by the caller).
struct HexOptions {
  uint8_t hexSel = 0;           // HEXSEL
  uint32_t rangeStart = 0, rangeEnd = 0;
  int32_t offset = 0;
  uint32_t recordLength = 16;   // 166 only: written when not 16
  uint32_t flashFill = 0xFFFF;  // 166 only: written when below 0xFFFF
  bool mergeBanks = false;      // extended 51: merge option on, banking on,
                                // bank area 0x8000 to 0xFFFF
};

// The control string of a hex step; *offsetDropped tells that a range and
// an offset were both given and the offset was left out.
std::string HexControlString(HexStep step, const HexOptions& options, bool* offsetDropped);
int HexToolCode(HexStep step);

// Runs the hex step when BuildFlags is 0, the create-hex option is on and
// the list's head is the link item; does nothing when nothing was linked
// and the hex file exists.
void MakeHexFile(LinkStepEnv& env, HexStep step, const OptionBlock& options,
                 const HexOptions& hex, bool linked);

// The banked 51 output: the object converter (tool code 22), then one
// HZ51 run per existing bank file ".B00" to ".B31".
void MakeBankedHexFiles(LinkStepEnv& env, const OptionBlock& options, bool symbolsOnly);

}  // namespace pm2
