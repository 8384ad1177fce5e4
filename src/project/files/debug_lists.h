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

#include "project/text/opt_string.h"

namespace pm2 {

struct FileRec;
struct TargetRec;

// Bits of BreakpointRec::flags.
inline constexpr uint8_t kBreakKindMask = 0x07;  // 3-bit kind
inline constexpr uint8_t kBreakFlag3 = 0x08;
inline constexpr uint8_t kBreakFlag4 = 0x10;

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

// Appending keeps list order; each returns the new record.
BreakpointRec* AppendBreakpoint(TargetRec* target);
WatchRec* AppendWatch(TargetRec* target, int list, OptString expression);  // list 0 or 1
MemWindowRec* AppendMemWindowEntry(TargetRec* target, int window, OptString expression);  // 0..3
ToolboxButtonRec* AppendToolboxButton(TargetRec* target, OptString text1, OptString text2);
PerfRangeRec* AppendPerfRange(TargetRec* target, OptString text);
EditorFileRec* AppendEditorFile(EditorFileRec** list);

// The last record of a list (null for an empty list).
template <class R>
R* LastOf(R* list) {
  while (list && list->next) list = list->next;
  return list;
}

// The editor shell's hook that brings a file's editor fields (placement,
// top line, caret line and column, flag bit 7 for the active window) up to
// date from its open editor window before the options file is written.
// Returns 0 when no editor exists; then the fields are left as they are.
using SyncFileHook = int (*)(FileRec* file);
void SetSyncFileHook(SyncFileHook hook);
int SyncFileWithOpenDocuments(FileRec* file);

}  // namespace pm2
