// The coverage records of the GDB driver: the program's modules and
// functions as the scope tree has them, with the counts of what qemu's
// exec log saw run.
#include <algorithm>
#include <iterator>
#include <map>

#include "debugger/gdb/records/gdb_dialog_records.h"

namespace pm2::gdb {

DbgCoverageRecord* GdbDialogRecords::Coverage() {
  if (!m_coverage.empty()) return &m_coverage.front();
  const DbgScopeRecord* app = Scopes();
  if (!app) return nullptr;
  // A function's address is its public symbol's (the scope tree shares the name).
  std::map<const char*, uint32_t> addressOfName;
  for (const DbgSymbolRecord& s : m_publics) addressOfName[s.name] = s.value;
  m_coverage.push_back(DbgCoverageRecord{});
  DbgCoverageRecord* top = &m_coverage.back();
  top->name = app->name;
  top->kind = uint8_t(app->kind);
  DbgCoverageRecord** module = &top->child;
  for (const DbgScopeRecord* m = app->children; m; m = m->next) {
    m_coverage.push_back(DbgCoverageRecord{});
    DbgCoverageRecord* mod = &m_coverage.back();
    mod->name = m->name;
    mod->kind = uint8_t(m->kind);
    *module = mod;
    module = &mod->next;
    DbgCoverageRecord** function = &mod->child;
    for (const DbgScopeRecord* f = m->children; f; f = f->next) {
      const auto at = addressOfName.find(f->name);
      if (f->kind != kDbgScopeFunction || at == addressOfName.end()) continue;
      m_coverage.push_back(DbgCoverageRecord{});
      DbgCoverageRecord* fn = &m_coverage.back();
      fn->name = f->name;
      fn->kind = kDbgCovFunction;
      m_coverageAddress[fn] = at->second;
      *function = fn;
      function = &fn->next;
    }
  }
  return top;
}

const std::vector<CoveredInstruction>* GdbDialogRecords::FunctionCodeAt(uint32_t start,
                                                                      const std::function<bool(uint32_t)>& isData) {
  auto code = m_functionCode.find(start);
  if (code != m_functionCode.end()) return &code->second;
  std::vector<CoveredInstruction> instructions;
  // Asked again later when gdb cannot answer now (the target runs); a
  // function gdb has no code for counts nothing.
  if (!m_target.FunctionCode(start, &instructions) && !m_target.CodeMayBeAsked()) return nullptr;
  // gdb shows a literal pool's words as instructions too.
  if (isData)
    instructions.erase(std::remove_if(instructions.begin(), instructions.end(),
                                      [&](const CoveredInstruction& i) { return isData(i.address); }),
                       instructions.end());
  return &m_functionCode.emplace(start, std::move(instructions)).first->second;
}

void GdbDialogRecords::UpdateCoverage(DbgCoverageRecord* function, const CoverageLog& log,
                                      const std::function<bool(uint32_t)>& isData) {
  const auto at = m_coverageAddress.find(function);
  if (at == m_coverageAddress.end()) return;
  if (const std::vector<CoveredInstruction>* code = FunctionCodeAt(at->second, isData))
    StoreCoverage(CountCoverage(*code, log), function);
}

const CoveredInstruction* GdbDialogRecords::CoveredAt(uint32_t address, const std::function<bool(uint32_t)>& isData) {
  if (m_functionStarts.empty())
    for (const auto& [record, start] : m_coverageAddress) m_functionStarts.insert(start);
  // The function that starts last at or before the address.
  auto start = m_functionStarts.upper_bound(address);
  if (start == m_functionStarts.begin()) return nullptr;
  const std::vector<CoveredInstruction>* code = FunctionCodeAt(*std::prev(start), isData);
  if (!code) return nullptr;
  for (const CoveredInstruction& i : *code)
    if (i.address == address) return &i;
  return nullptr;
}

}  // namespace pm2::gdb
