// Code coverage of the simulation: which instructions qemu's exec log saw
// executed and which conditional jumps it saw go both ways, counted per
// function for the coverage records the dialog reads.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "driver_abi/debug_records.h"
#include "debugger/gdb/mi/mi_parser.h"

namespace pm2::gdb {

// One instruction of a function as the disassembler gives it.
struct CoveredInstruction {
  uint32_t address = 0;
  uint32_t size = 0;          // bytes; the next instruction follows
  bool conditional = false;   // a conditional jump
  uint32_t target = 0;        // where a conditional jump goes when taken
};

// The target of a conditional jump in gdb's text of an ARM or Thumb
// instruction ("beq.n\t0x1a4 <main+12>", "cbz\tr3, 0x1b0 <f+8>"); false for
// any other instruction (an unconditional or a register jump included).
bool ConditionalJumpTarget(const std::string& instruction, uint32_t* target);

// The instructions of a -data-disassemble answer in mode 2 (with the
// bytes): each one's size from its bytes (4 when gdb gives none); data
// between the code (".word" of a literal pool) is left out.
std::vector<CoveredInstruction> CoveredCode(const MiValue& asmInsns);

// What ran: every executed address and every pair of addresses executed
// one after the other. Its size is bound by the program, not by how long
// it ran.
class CoverageLog {
 public:
  // The next executed address.
  void Add(uint32_t address);
  // Execution did not go on from the last address (the log was off).
  void Break() { m_hasLast = false; }
  void Clear();
  bool Executed(uint32_t address) const { return m_executed.count(address) != 0; }
  bool Went(uint32_t from, uint32_t to) const { return m_steps.count(uint64_t(from) << 32 | to) != 0; }

 private:
  std::unordered_set<uint32_t> m_executed;
  std::unordered_set<uint64_t> m_steps;
  uint32_t m_last = 0;
  bool m_hasLast = false;
};

struct CoverageCounts {
  uint32_t instructions = 0;
  uint32_t executed = 0;
  uint32_t jumpsOpen = 0;  // conditional jumps not seen going both ways
};
CoverageCounts CountCoverage(const std::vector<CoveredInstruction>& code, const CoverageLog& log);

// The gutter colour bits of an instruction in the disassembly window:
// 0x0C executed (and a conditional jump seen going both ways), 0x04 a
// conditional jump only seen taken, 0x08 one only seen going on, 0 never
// executed. `instruction` may be null (its function's code not known).
uint32_t CoverageMarks(uint32_t address, const CoveredInstruction* instruction, const CoverageLog& log);

// Writes the counts into a function's coverage record: its kind says
// "function", with the fully-executed bit when every instruction ran.
void StoreCoverage(const CoverageCounts& counts, DbgCoverageRecord* record);

}  // namespace pm2::gdb
