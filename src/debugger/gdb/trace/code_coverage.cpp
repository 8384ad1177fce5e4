#include "debugger/gdb/trace/code_coverage.h"

#include <cctype>
#include <cstdlib>

namespace pm2::gdb {

namespace {

// The condition suffixes of a jump ("al", always, is none).
const char* const kJumpConditions[] = {"eq", "ne", "cs", "hs", "cc", "lo", "mi", "pl",
                                       "vs", "vc", "hi", "ls", "ge", "lt", "gt", "le"};

bool CoverageIsCondition(const std::string& s) {
  for (const char* c : kJumpConditions)
    if (s == c) return true;
  return false;
}

// The first hexadecimal number "0x..." at or after `from`.
bool CoverageHexAfter(const std::string& text, std::size_t from, uint32_t* value) {
  const std::size_t at = text.find("0x", from);
  if (at == std::string::npos || at + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[at + 2])))
    return false;
  *value = uint32_t(std::strtoul(text.c_str() + at + 2, nullptr, 16));
  return true;
}

}  // namespace

bool ConditionalJumpTarget(const std::string& instruction, uint32_t* target) {
  std::size_t begin = 0;
  while (begin < instruction.size() && std::isspace(static_cast<unsigned char>(instruction[begin]))) ++begin;
  std::size_t end = begin;
  while (end < instruction.size() && !std::isspace(static_cast<unsigned char>(instruction[end]))) ++end;
  std::string mnemonic = instruction.substr(begin, end - begin);
  for (char& c : mnemonic) c = char(std::tolower(static_cast<unsigned char>(c)));
  // A width qualifier of Thumb code: "beq.n", "bne.w".
  if (mnemonic.size() > 2 && mnemonic[mnemonic.size() - 2] == '.') mnemonic.resize(mnemonic.size() - 2);
  if (mnemonic == "cbz" || mnemonic == "cbnz") {
    // The register comes first, the target after the comma.
    const std::size_t comma = instruction.find(',', end);
    return comma != std::string::npos && CoverageHexAfter(instruction, comma, target);
  }
  if (mnemonic.size() != 3 || mnemonic[0] != 'b' || !CoverageIsCondition(mnemonic.substr(1))) return false;
  return CoverageHexAfter(instruction, end, target);
}

std::vector<CoveredInstruction> CoveredCode(const MiValue& asmInsns) {
  std::vector<CoveredInstruction> out;
  for (const auto& [name, item] : asmInsns.items) {
    const std::string inst = item.Str("inst");
    const std::size_t first = inst.find_first_not_of(" \t");
    // A directive in place of an instruction is data the code reads.
    if (first == std::string::npos || inst[first] == '.') continue;
    CoveredInstruction i;
    i.address = uint32_t(std::strtoul(item.Str("address").c_str(), nullptr, 0));
    std::size_t digits = 0;
    for (char c : item.Str("opcodes")) digits += std::isxdigit(static_cast<unsigned char>(c)) ? 1 : 0;
    i.size = digits ? uint32_t(digits / 2) : 4;
    i.conditional = ConditionalJumpTarget(inst, &i.target);
    out.push_back(i);
  }
  return out;
}

void CoverageLog::Add(uint32_t address) {
  m_executed.insert(address);
  if (m_hasLast) m_steps.insert(uint64_t(m_last) << 32 | address);
  m_last = address;
  m_hasLast = true;
}

void CoverageLog::Clear() {
  m_executed.clear();
  m_steps.clear();
  m_hasLast = false;
}

CoverageCounts CountCoverage(const std::vector<CoveredInstruction>& code, const CoverageLog& log) {
  CoverageCounts counts;
  for (const CoveredInstruction& i : code) {
    ++counts.instructions;
    if (log.Executed(i.address)) ++counts.executed;
    // A jump to the next instruction has one way only: it goes there.
    if (i.conditional && i.target != i.address + i.size &&
        !(log.Went(i.address, i.target) && log.Went(i.address, i.address + i.size)))
      ++counts.jumpsOpen;
  }
  return counts;
}

uint32_t CoverageMarks(uint32_t address, const CoveredInstruction* instruction, const CoverageLog& log) {
  if (!log.Executed(address)) return 0;
  if (!instruction || !instruction->conditional || instruction->target == address + instruction->size) return 0x0C;
  const bool taken = log.Went(address, instruction->target);
  const bool onward = log.Went(address, address + instruction->size);
  if (taken == onward) return 0x0C;  // both ways, or the program stopped right after it
  return taken ? 0x04 : 0x08;
}

void StoreCoverage(const CoverageCounts& counts, DbgCoverageRecord* record) {
  record->instructions = counts.instructions;
  record->executed = counts.executed;
  record->jumpsOpen = counts.jumpsOpen;
  record->kind = kDbgCovFunction;
  if (counts.instructions && counts.executed == counts.instructions) record->kind |= kDbgCovFull;
}

}  // namespace pm2::gdb
