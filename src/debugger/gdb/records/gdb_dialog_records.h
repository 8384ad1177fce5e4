// The records the debug dialogs read from the GDB driver, built from what
// gdb answers: the breakpoint list (kept at stable addresses while the
// dialog holds them), the public symbols and the scope tree by source
// file, and the memory map from the program's sections.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"
#include "debugger/gdb/breakpoints/breakpoint_records.h"
#include "debugger/gdb/trace/code_coverage.h"
#include "debugger/gdb/elf/elf_sections.h"
#include "debugger/gdb/target/gdb_target.h"

namespace pm2::gdb {

// A type code of the symbols dialog for gdb's type text.
DbgTypeRecord TypeOfGdbText(const std::string& text);
// The element type's text of an array type's ("unsigned char [16]" ->
// "unsigned char", "int [2][3]" -> "int"); "" for another type.
std::string ArrayElementText(const std::string& text);
// The tag of a struct, union or enum type's text ("struct point" ->
// "point", "const union u" -> "u"); "" for another type or one without
// a tag.
std::string TypeTagOfGdbText(const std::string& text);

// The breakpoints dialog's commands as the user wrote them: the dialog
// writes a quote as \" (\' ), a backslash as \\ and the break between two
// commands as \\n; other escapes (\t in a string) are the command's own.
// A line end of the text itself stays in its command (which refuses it).
std::vector<std::string> DialogCommands(const std::string& request);

class GdbDialogRecords {
 public:
  GdbDialogRecords(GdbTarget& target, std::string programFile);

  // DbgBreakpointList op 8: gdb's list now; records of breakpoints gdb
  // still has keep their addresses. While gdb cannot list them (the
  // program runs, gdb does not answer) the list is the one the driver kept
  // at the last change, however it was made (the dialog, BS, a typed gdb
  // command).
  DbgBreakpointRecord* BreakpointHead();
  // A code breakpoint's place as the user gave it ("" none known).
  std::string BreakpointPlace(const DbgBreakpointRecord* r) const { return m_breakpoints.PlaceOf(r); }
  void KillBreakpoint(DbgBreakpointRecord* r);
  // op 6: the dialog opens on gdb's list as it is.
  void OpenBreakpoints() { m_breakpoints.ForgetChanges(); }
  // op 7: the enabled bits the dialog changed go to gdb.
  void ApplyEnables();
  void Define(DbgBreakpointRequest* q);

  DbgSymbolRecord* Publics();
  DbgScopeRecord* Scopes();
  void Forget();  // the program changed: symbols are read again

  // DbgEnum (5, 1): the coverage tree, the scope tree's application,
  // modules and functions; a function's counts come with UpdateCoverage.
  DbgCoverageRecord* Coverage();
  // DbgEnum 6: a function's counts from what ran (its code is asked of
  // gdb once; what isData calls data is no instruction).
  void UpdateCoverage(DbgCoverageRecord* function, const CoverageLog& log,
                      const std::function<bool(uint32_t)>& isData);
  // The instruction at an address in a function of the coverage tree (its
  // code asked of gdb once); null for an address in no such function.
  const CoveredInstruction* CoveredAt(uint32_t address, const std::function<bool(uint32_t)>& isData);

  // DbgControl 4: the attribute array of a 64 K space, or none.
  void MemorySpace(uint32_t base, DbgMemorySpaceRecord* out);

 private:
  const char* Keep(const std::string& text);
  void ReadSymbols();
  DbgSymbolRecord* SymbolList(const std::vector<BlockSymbol>& symbols);
  // A type kept for the records' life, an array's element type with it.
  const DbgTypeRecord* KeepType(const std::string& gdbText);
  void AddFunctionLocals(const std::string& file, DbgScopeRecord* module);

  GdbTarget& m_target;
  std::string m_program;
  std::deque<std::string> m_texts;
  BreakpointRecords m_breakpoints;
  bool m_symbolsRead = false;
  std::deque<DbgTypeRecord> m_types;
  std::deque<DbgSymbolRecord> m_publics;
  std::deque<DbgSymbolRecord> m_locals;
  std::deque<DbgScopeRecord> m_scopes;
  std::deque<std::vector<DbgLineRecord>> m_lines;
  bool m_regionsRead = false;
  std::vector<ElfRegion> m_regions;
  std::map<uint32_t, std::vector<uint16_t>> m_spaces;
  std::deque<DbgCoverageRecord> m_coverage;
  std::map<const DbgCoverageRecord*, uint32_t> m_coverageAddress;  // a function's address
  std::map<uint32_t, std::vector<CoveredInstruction>> m_functionCode;
  std::set<uint32_t> m_functionStarts;  // of the coverage tree's functions
  const std::vector<CoveredInstruction>* FunctionCodeAt(uint32_t start, const std::function<bool(uint32_t)>& isData);
};

}  // namespace pm2::gdb
