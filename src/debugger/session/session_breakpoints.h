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

// How a breakpoint is stored in the target's list (the options file's
// OPTBB rows), one record for each breakpoint the driver lists, so the
// next session defines each again as it was defined:
//  kind 0, a code breakpoint kept by its source line: text1 the file's
//    name, value1 the line, text2 its condition, value5 its pass count
//    (0 or 1: the first pass), inlineText its command; value2
//    kStoredByLine when it was defined by that line ("LED.c:13") and is
//    defined by it again, else it is set at the line's address (the
//    editor's margin, "0x240").
//  kind 1, a conditional breakpoint: text2 its expression, value5, inlineText.
//  kind 2, a code breakpoint kept by the place it was defined at (a
//    function, an expression: "LED_On"): text1 the place, text2 its
//    condition, value5, inlineText.
//  kind 3, an access breakpoint: text2 the watched expression, value2 its
//    access (1 read, 2 write, 3 both), value3 its size, value5, inlineText.
// kBreakFlag3 enabled. Readers that know only kinds 0 and 1 keep the
// others' rows as they are and write them back.
inline constexpr uint8_t kStoredConditionalKind = 1;
inline constexpr uint8_t kStoredPlaceKind = 2;
inline constexpr uint8_t kStoredAccessKind = 3;
inline constexpr uint32_t kStoredByLine = 1;

// The local path of a source file of the project named by its file name;
// "" when the project has no such file.
using SourcePathFn = std::function<std::string(const std::string& fileName)>;

// Defines each stored breakpoint of the target in the driver, disabled
// where the stored one is, with its condition, count and command: a line
// breakpoint at the code address of its line (or of the next line with
// code; through the driver's breakpoint definition "0x200 if cond" when it
// carries more than its place) or, defined by its line, as "file:line"; a
// file the project has is asked for by its path, any other (a header) by
// its stored name. The other kinds are defined again from their place or
// expression. Returns the records that were set; those the driver could
// not set stay as they are.
// A stored command the driver refuses (the options file comes with the
// project: one that would reach this computer) is dropped: the breakpoint
// is set without it, and `say` gets a line for the command page that names
// the breakpoint's file and line.
// Two stored line breakpoints that come to one address (two addresses of
// one line, kept by their line) are one breakpoint in the driver: the
// first sets it, the second, with nothing of its own but its enable, is
// left out of the driver and returned in `covered` (so that it keeps its
// own enable rather than turning the first's).
using SayFn = std::function<void(const std::string& text)>;
std::vector<const BreakpointRec*> SetStoredBreakpoints(DebugInterface& record, const TargetRec* target,
                                                       const SourcePathFn& sourcePath, const SayFn& say = {},
                                                       std::vector<const BreakpointRec*>* covered = nullptr);

// A breakpoint of the driver's list with what the user gave it.
struct SourceBreakpoint {
  bool conditional = false;  // a conditional breakpoint: no place, `condition` its expression
  int access = 0;            // an access breakpoint (1 read, 2 write, 3 both): `condition` its expression
  uint32_t size = 0;         // and the size it watches
  std::string place;         // a code breakpoint's place as defined ("" the driver does not say)
  std::string fileName;      // a code breakpoint's source line ("" none known)
  uint32_t line = 0;
  bool enabled = true;
  std::string condition;  // "" none
  uint32_t passCount = 1;  // 1: stops at the first pass
  std::string command;    // in the breakpoints dialog's request form ("" none)
};
// Every breakpoint of the driver's list, in its order, two at one place
// and two with one expression each; but a watched expression the driver
// says does more than read (kDbgCtlReadOnlyFault), which no definition
// would take again.
std::vector<SourceBreakpoint> DriverSourceBreakpoints(DebugInterface& record);

// Stores the driver's breakpoints in the target as the kinds above say:
// the records set at the start (`applied`) are replaced by `found`; a
// stored one the driver never had is kept, and takes the place of one
// found that is the same breakpoint (each stored record once), so a
// session that could not set it does not double it. A breakpoint whose
// texts the options file cannot hold is not kept (the places that define
// breakpoints refuse those). Returns the number of breakpoints the target
// keeps. The records `covered` at the start are kept as they are: none
// of the breakpoints found takes their place.
int KeepSessionBreakpoints(TargetRec* target, const std::vector<const BreakpointRec*>& applied,
                           const std::vector<SourceBreakpoint>& found,
                           const std::vector<const BreakpointRec*>& covered = {});

}  // namespace pm2
