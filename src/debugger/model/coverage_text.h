// The code coverage dialog without a window: the module and function rows
// of the driver's coverage tree and a function's coverage text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"

namespace pm2 {

// Records walked per list (a looping or endless driver list is cut here).
constexpr int kCoverageMaxRecords = 65536;

// "%d%% of %d instructions" or, with jumps open, the long form; "" for a
// record that is not a function.
std::string CoverageText(const DbgCoverageRecord& r);
bool CoverageIsFunction(const DbgCoverageRecord& r);

struct CoverageRow {
  DbgCoverageRecord* record = nullptr;
  int level = 0;  // 0 module (or a function at the root), 1 function under a module
};

// The modules that have functions, every top-level record's in order.
std::vector<DbgCoverageRecord*> CoverageModules(DbgCoverageRecord* first);
// The rows of the tree for a module choice: 0 all modules (module rows with
// their functions below), n the n-th module's functions at the root.
std::vector<CoverageRow> CoverageRows(DbgCoverageRecord* first, int choice);
std::string CoverageName(const DbgCoverageRecord& r);

// The colours of a row (0xRRGGBB): the focused row white on dark blue, a
// fully executed function white on green, any other row black on white.
struct CoverageColors {
  uint32_t text = 0;
  uint32_t back = 0;
};
CoverageColors CoverageRowColors(const DbgCoverageRecord* r, bool focused);

}  // namespace pm2
