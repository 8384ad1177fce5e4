// Records of a target's debug session and of the editor windows that the
// options file keeps (".Opt"): breakpoints, watch expressions, memory
// windows, tool-box buttons, analyser ranges, the symbols window, and the
// list of other open editor files. The debug windows give the fields their
// meaning; here only their order, widths and pool are fixed.
//
// Debug-session records and their strings live in pool 9
// (kPoolDebugLists); the open-file list lives with the project (pool 1).
// Lists are singly linked in the order they were read or added.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "project/text/opt_string.h"

namespace pm2 {

struct FileRec;
struct TargetRec;

// Bits of BreakpointRec::flags.
inline constexpr uint8_t kBreakKindMask = 0x07;  // 3-bit kind
inline constexpr uint8_t kBreakFlag3 = 0x08;
inline constexpr uint8_t kBreakFlag4 = 0x10;

// The kind of a line breakpoint set in an editor's margin: text1 names its
// file.
inline constexpr uint8_t kBreakKindLine = 0;

struct BreakpointRec {
  BreakpointRec* next = nullptr;
  uint8_t flags = 0;      // kind in bits 0-2, kBreakFlag3, kBreakFlag4
  uint32_t value1 = 0;    // first value
  uint32_t value2 = 0;    // second value
  uint32_t value3 = 0;    // further values
  uint32_t value4 = 0;
  uint16_t value16 = 0;
  uint32_t value5 = 0;    // last value
  OptString inlineText;
  OptString text1;
  OptString text2;
};

struct WatchRec {
  WatchRec* next = nullptr;
  OptString expression;
};

struct MemWindowRec {
  MemWindowRec* next = nullptr;
  uint16_t value = 0;
  OptString expression;
};

struct ToolboxButtonRec {
  ToolboxButtonRec* next = nullptr;
  OptString text1;
  OptString text2;
};

struct PerfRangeRec {
  PerfRangeRec* next = nullptr;
  OptString text;
};

struct SymbolsWindowRec {
  uint32_t value = 0;
  uint16_t value16 = 0;
  OptString text;
};

// Size of a stored window placement (a Windows WINDOWPLACEMENT image).
inline constexpr int kPlacementSize = 44;

// One open editor file that is no member of the project ("ExtF").
struct EditorFileRec {
  EditorFileRec* next = nullptr;
  OptString path;
  int32_t number1 = 0;
  int32_t number2 = 0;
  uint8_t placement[kPlacementSize] = {};
};

// The last record of a list (null for an empty list).
template <class R>
R* LastOf(R* list) {
  while (list && list->next) list = list->next;
  return list;
}

// The last record of each list a reader appended to, so that a file with
// hundreds of thousands of list lines reads in linear time. Valid for one
// read: nothing else changes the lists meanwhile, and the pools are not
// freed while it lives.
class ListTails {
 public:
  // Links rec (next null) at the end of the list.
  template <class R>
  void Link(R*& head, R* rec) {
    auto it = last_.find(&head);
    R* last = it != last_.end() ? static_cast<R*>(it->second) : LastOf(head);
    if (last) last->next = rec; else head = rec;
    last_[&head] = rec;
  }
  // The list's last record (null for an empty list).
  template <class R>
  R* Last(R*& head) {
    auto it = last_.find(&head);
    if (it != last_.end()) return static_cast<R*>(it->second);
    R* last = LastOf(head);
    if (last) last_[&head] = last;
    return last;
  }

 private:
  std::unordered_map<const void*, void*> last_;  // list head's address -> its last record
};

// How the options file keeps breakpoints ("OPTBB ...,<inline>(text1)(text2)"):
// every field of a record, whatever its kind (the debug session's kinds
// and what their fields hold are in debugger/session/session_breakpoints.h),
// so a row of a kind this reader does not use is written back as read;
// a line breakpoint flagged kBreakFlag4 is one the user removed from the
// editor (or killed) and is not written; the other kinds keep the bit as
// a field of their own.
// A line breakpoint's file is written in its first string; a file name
// that could not read back from between parentheses (an unmatched
// bracket, "x)y.c", which the project holds between angle brackets) takes
// the inline text's place with the first string left empty, and reads back
// into text1. So every file the project can hold keeps its breakpoints.
bool IsWrittenBreakpoint(const BreakpointRec& b);
// Whether a line breakpoint's file goes in the inline text's place.
bool BreakpointFileInInlinePlace(const BreakpointRec& b);
// Why a line breakpoint on the file cannot be kept ("" when it can),
// naming the file.
std::string BreakpointFileRefusal(std::string_view fileName);

// Appending keeps list order; each returns the new record. With tails the
// append takes constant time.
BreakpointRec* AppendBreakpoint(TargetRec* target, ListTails* tails = nullptr);
WatchRec* AppendWatch(TargetRec* target, int list, OptString expression,
                      ListTails* tails = nullptr);  // list 0 or 1
MemWindowRec* AppendMemWindowEntry(TargetRec* target, int window, OptString expression,
                                   ListTails* tails = nullptr);  // 0..3
ToolboxButtonRec* AppendToolboxButton(TargetRec* target, OptString text1, OptString text2,
                                      ListTails* tails = nullptr);
PerfRangeRec* AppendPerfRange(TargetRec* target, OptString text, ListTails* tails = nullptr);
EditorFileRec* AppendEditorFile(EditorFileRec** list, ListTails* tails = nullptr);

// The editor shell's hook that brings a file's editor fields (placement,
// top line, caret line and column, flag bit 7 for the active window) up to
// date from its open editor window before the options file is written.
// Returns 0 when no editor exists; then the fields are left as they are.
using SyncFileHook = int (*)(FileRec* file);
void SetSyncFileHook(SyncFileHook hook);
int SyncFileWithOpenDocuments(FileRec* file);

}  // namespace pm2
