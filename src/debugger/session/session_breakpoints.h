// Breakpoints that outlast a session: the editor's stored line breakpoints
// of the current target are set in the driver when a session starts, and
// the driver's breakpoints on source lines are stored back when it ends
// (both only with the debug options' "Breakpoints" restore option).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

struct BreakpointRec;
struct TargetRec;

// The settings' option bit "Breakpoints" (restore them in the next session).
inline constexpr uint32_t kDbgSettingsKeepBreakpoints = 0x8;

// The stored kind of a conditional breakpoint (a line breakpoint's is 0).
inline constexpr uint8_t kStoredConditionalKind = 1;

// The local path of a source file of the project named by its file name;
// "" when the project has no such file.
using SourcePathFn = std::function<std::string(const std::string& fileName)>;

// Sets each stored line breakpoint of the target at the code address of
// its line (or of the next line with code) in the driver, disabled where
// the stored one is, with its condition, count and command (defined
// through the driver's breakpoint definition: "0x200 if cond"). A file the project has is asked for by its path, any
// other (a header) by its stored name. Each stored conditional breakpoint
// is defined again from its expression, count and command, disabled where
// the stored one is. Returns the records that were set; those the driver
// could not set stay as they are. A stored command the driver refuses
// (the options file comes with the project: one that would reach this
// computer) is dropped: the breakpoint is set without it, and `say` gets
// a line for the command page that names the breakpoint's file and line.
using SayFn = std::function<void(const std::string& text)>;
std::vector<const BreakpointRec*> SetStoredBreakpoints(DebugInterface& record, const TargetRec* target,
                                                       const SourcePathFn& sourcePath, const SayFn& say = {});

// The driver's breakpoints a session keeps, with what the user gave them:
// its execution breakpoints on source lines (a condition, a pass count, a
// command) and its conditional breakpoints (an expression that stops the
// target while it holds, a pass count, a command).
struct SourceBreakpoint {
  bool conditional = false;  // a conditional breakpoint: no place, `condition` its expression
  std::string fileName;
  uint32_t line = 0;
  bool enabled = true;
  std::string condition;  // "" none
  uint32_t passCount = 1;  // 1: stops at the first pass
  std::string command;    // in the breakpoints dialog's request form ("" none)
};
std::vector<SourceBreakpoint> DriverSourceBreakpoints(DebugInterface& record);

// Stores the driver's breakpoints in the target (a line breakpoint keeps
// its pass count in value5, its condition in text2 and its command in
// inlineText; a conditional one, of kind kStoredConditionalKind, its
// expression in text2, its count in value5 and its command in
// inlineText): the records set at the start (`applied`) are replaced by `found`; stored ones the driver never
// had are kept, without doubling one at the same place. Returns the
// number of breakpoints the target keeps.
int KeepSessionBreakpoints(TargetRec* target, const std::vector<const BreakpointRec*>& applied,
                           const std::vector<SourceBreakpoint>& found);

}  // namespace pm2
