// The coverage records of the GDB driver: the program's modules and
// functions as the scope tree has them, with the counts of what qemu's
// exec log saw run.
#include <algorithm>
#include <map>

#include "debugger/gdb/gdb_dialog_records.h"

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

void GdbDialogRecords::UpdateCoverage(DbgCoverageRecord* function, const CoverageLog& log,
                                      const std::function<bool(uint32_t)>& isData) {
  const auto at = m_coverageAddress.find(function);
  if (at == m_coverageAddress.end()) return;
  auto code = m_functionCode.find(at->second);
  if (code == m_functionCode.end()) {
    std::vector<CoveredInstruction> instructions;
    // Asked again later when gdb cannot answer now (the target runs); a
    // function gdb has no code for counts nothing.
    if (!m_target.FunctionCode(at->second, &instructions) && !m_target.Halted()) return;
    // gdb shows a literal pool's words as instructions too.
    if (isData)
      instructions.erase(std::remove_if(instructions.begin(), instructions.end(),
                                        [&](const CoveredInstruction& i) { return isData(i.address); }),
                         instructions.end());
    code = m_functionCode.emplace(at->second, std::move(instructions)).first;
  }
  StoreCoverage(CountCoverage(code->second, log), function);
}

const CoveredInstruction* GdbDialogRecords::CoveredAt(uint32_t address) const {
  auto code = m_functionCode.upper_bound(address);
  if (code == m_functionCode.begin()) return nullptr;
  --code;
  for (const CoveredInstruction& i : code->second)
    if (i.address == address) return &i;
  return nullptr;
}

}  // namespace pm2::gdb
