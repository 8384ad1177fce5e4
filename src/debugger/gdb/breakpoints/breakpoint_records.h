// The breakpoint list the debug dialogs and the session read from the GDB
// driver (DbgBreakpointList op 8): a linked record per breakpoint of gdb's
// list. A record keeps its address while gdb still has its breakpoint (the
// breakpoints dialog holds them). The list ends: a record is linked once,
// whatever numbers the breakpoint list repeats.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "debugger/gdb/breakpoints/breakpoint_table.h"
#include "driver_abi/debug_records.h"

namespace pm2::gdb {

class BreakpointRecords {
 public:
  BreakpointRecords() = default;
  BreakpointRecords(const BreakpointRecords&) = delete;
  BreakpointRecords& operator=(const BreakpointRecords&) = delete;

  // The list anew from gdb's breakpoints, in their order; returns its head
  // (null for none). A number met again adds nothing. A record whose
  // enabled bit the breakpoints dialog changed since gdb listed it keeps
  // the change until ForgetChanges: the dialog asks for the list again
  // (to number it, after a definition) before it hands its changes on.
  DbgBreakpointRecord* Build(const std::vector<GdbBreakpointInfo>& list);
  // The records' enabled bits follow gdb's list again from the next Build
  // (the dialog opens, or its changes went to gdb).
  void ForgetChanges() { m_listedEnabled.clear(); }
  DbgBreakpointRecord* Head() const { return m_head; }
  // The record of gdb's number, made when there is none (not linked then).
  DbgBreakpointRecord* RecordOf(int number);
  // The record of gdb's number, or null.
  DbgBreakpointRecord* Find(int number) const;
  // The record leaves the list and its number; its memory stays.
  void Unlink(DbgBreakpointRecord* r);
  // A code breakpoint's place as the user gave it (gdb's "*0x378" as the
  // IDE's "0x378", "LED_On" as itself); "" for a watchpoint, a conditional
  // breakpoint or a record not in the list.
  std::string PlaceOf(const DbgBreakpointRecord* r) const;

 private:
  const char* Keep(const std::string& text);

  std::deque<std::string> m_texts;
  std::deque<DbgBreakpointRecord> m_bps;  // word04: gdb's number; never shrinks
  std::map<int, DbgBreakpointRecord*> m_byNumber;
  std::map<int, std::string> m_places;  // number -> a code breakpoint's place as gdb lists it
  std::map<int, bool> m_listedEnabled;  // number -> enabled as gdb listed it at the last Build
  DbgBreakpointRecord* m_head = nullptr;
};

}  // namespace pm2::gdb
