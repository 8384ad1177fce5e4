#include "debugger/model/coverage_text.h"

#include <cstdio>
#include <cstring>

namespace pm2 {

bool CoverageIsFunction(const DbgCoverageRecord& r) { return (r.kind & kDbgCovKindMask) == kDbgCovFunction; }

std::string CoverageName(const DbgCoverageRecord& r) {
  if (!r.name) return {};
  const void* nul = std::memchr(r.name, 0, 255);
  return std::string(r.name, nul ? std::size_t(static_cast<const char*>(nul) - r.name) : 255);
}

std::string CoverageText(const DbgCoverageRecord& r) {
  if (!CoverageIsFunction(r)) return {};
  // 64-bit arithmetic: executed × 100 cannot overflow, and a driver that
  // reports more executed than present is shown as it is.
  const unsigned pct = r.instructions ? unsigned(uint64_t(r.executed) * 100 / r.instructions) : 0;
  char buf[160];
  const std::string name = CoverageName(r);
  if ((name.empty() || name[0] != '{') && r.jumpsOpen && pct)
    std::snprintf(buf, sizeof buf, "%u%% of %u instructions, %u condjump(s) not fully executed", pct, r.instructions,
                  r.jumpsOpen);
  else
    std::snprintf(buf, sizeof buf, "%u%% of %u instructions", pct, r.instructions);
  return buf;
}

CoverageColors CoverageRowColors(const DbgCoverageRecord* r, bool focused) {
  constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kDarkBlue = 0x00007D, kGreen = 0x008000;
  if (focused) return {kWhite, kDarkBlue};
  if (r && (r->kind & kDbgCovFull)) return {kWhite, kGreen};
  return {kBlack, kWhite};
}

namespace {

bool HasFunctions(const DbgCoverageRecord* module) {
  int n = 0;
  for (const DbgCoverageRecord* f = module->child; f && n < kCoverageMaxRecords; f = f->next, ++n)
    if (CoverageIsFunction(*f)) return true;
  return false;
}

}  // namespace

std::vector<DbgCoverageRecord*> CoverageModules(DbgCoverageRecord* first) {
  std::vector<DbgCoverageRecord*> out;
  int n = 0;
  for (DbgCoverageRecord* top = first; top && n < kCoverageMaxRecords; top = top->next)
    for (DbgCoverageRecord* m = top->child; m && n < kCoverageMaxRecords; m = m->next, ++n)
      if (HasFunctions(m)) out.push_back(m);
  return out;
}

std::vector<CoverageRow> CoverageRows(DbgCoverageRecord* first, int choice) {
  std::vector<CoverageRow> rows;
  const std::vector<DbgCoverageRecord*> modules = CoverageModules(first);
  auto functions = [&](DbgCoverageRecord* m, int level) {
    int n = 0;
    for (DbgCoverageRecord* f = m->child; f && n < kCoverageMaxRecords; f = f->next, ++n)
      if (CoverageIsFunction(*f)) rows.push_back(CoverageRow{f, level});
  };
  if (choice == 0) {
    for (DbgCoverageRecord* m : modules) {
      rows.push_back(CoverageRow{m, 0});
      functions(m, 1);
    }
  } else if (choice >= 1 && std::size_t(choice) <= modules.size()) {
    functions(modules[std::size_t(choice) - 1], 0);
  }
  return rows;
}

}  // namespace pm2
