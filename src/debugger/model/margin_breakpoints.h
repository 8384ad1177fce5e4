// The editor's stored breakpoints: line breakpoints set in an editor
// outside a debug session, kept in the current target's breakpoint list as
// breakpoint records of kind 0 (value1 the line's debugger word, text1 the
// file name, kBreakFlag3 enabled, kBreakFlag4 removed from the editor).
#pragma once

#include <string>

#include "editor/text/edit_line.h"

namespace pm2 {

struct BreakpointRec;
struct TargetRec;

inline constexpr uint8_t kStoredBreakKind = 0;

// True for an editor line breakpoint of the file that is still set.
bool IsStoredLineBreakpoint(const BreakpointRec& b, const std::string& fileName);
// Marks the lines of the file's stored breakpoints (0x100, and 0x80 when
// enabled); returns how many were applied.
int ApplyStoredBreakpoints(CEditLine* first, const TargetRec* target, const std::string& fileName);
// Toggles a stored breakpoint on a line: a new record at the head of the
// list (enabled) or the line's record marked removed. A file whose name
// the options file cannot keep (debug_lists.h) gets no breakpoint: the
// refusal is returned ("" otherwise), so that no later save fails on it.
std::string ToggleStoredBreakpoint(CEditLine* line, TargetRec* target, const std::string& fileName);
// Flips the line's enabled bit and the record's; false when the line has
// no stored breakpoint.
bool ToggleStoredEnable(CEditLine* line, TargetRec* target, const std::string& fileName);
// Once the text is saved: every record of the file takes the number of the
// line that now carries its debugger word (the line it marks, wherever
// lines were inserted or deleted above it); a record whose line was
// deleted is marked removed. Returns how many were marked removed. The
// view then numbers its lines again, so the words equal the new numbers.
int SettleStoredBreakpoints(const CEditLine* first, TargetRec* target, const std::string& fileName);
// Disable all and kill all outside a session: true when any record changed.
bool DisableAllStored(TargetRec* target);
bool KillAllStored(TargetRec* target);

}  // namespace pm2
