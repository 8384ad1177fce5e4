// Merging a later browse section (another module linked into the same
// output file) into the table built from the first one.
#pragma once

#include <memory>
#include <vector>

#include "browser/browse_table.h"

namespace pm2 {

// One section as read, before it joins the module. Its symbol numbers are
// closed (BrowseModule::CloseNumbers), so its call and member references
// resolve to its own symbol records.
struct BrowseSection {
  std::unique_ptr<BrowseModule> table;
};

// Files are matched by full path (exactly) and appended when new; names
// by text; a known name's symbol records are matched by class:
//   1: the first record of class 1;
//   2, 256: same class, kind and type when the new kind is 3, else same
//           class and type;
//   4, 8: same class and type;
//   16, 32, 64, 128: same class, memory space and type.
// For classes 2, 4, 8 and 256 a matched record of kind 2 takes kind 1 from a
// new record of kind 1. An unmatched record is added in front of the name's
// records. A matched record takes the new occurrences except those equal to
// one it has (same kind; for kinds 1 and 2 the same file and line; for 5 and
// 6 also the same tag name; 3 and 4 never equal), whose access flags are
// ORed into the one it has. References are carried over to the module's
// records.
void MergeBrowseSection(BrowseModule& module, const BrowseSection& section);

}  // namespace pm2
