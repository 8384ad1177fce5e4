#include "project/edit/filter_text.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

struct FilterRow {
  const char* name;
  const char* text;
  bool valid;
  const char* normal;
};

const FilterRow kRows[] = {
    {"empty", "", true, ""},
    {"the message's example", "*.asm; *.a; *.s", true, "*.asm;*.a;*.s"},
    {"no asterisk", ".asm", false, nullptr},
    {"second item without asterisk", "*.c; c", false, nullptr},
    {"ends in a blank", "*.c ", false, nullptr},
    {"blank before a semicolon", "*.c ;*.h", true, "*.c ;*.h"},
    {"two blanks before a semicolon", "*.c  ;*.h", false, nullptr},
    {"blank inside a name", "*.my file", true, "*.my file"},
    {"blank before a dot", "*.a .b", false, nullptr},
    {"trailing semicolon", "*.c;", true, "*.c"},
    {"several blanks after semicolon", "*.c;   *.h", true, "*.c;*.h"},
};

TEST(FilterText, Rows) {
  for (const FilterRow& r : kRows) {
    EXPECT_EQ(IsValidFilterText(r.text), r.valid) << r.name;
    if (r.normal) {
      EXPECT_EQ(NormalizeFilterText(r.text), r.normal) << r.name;
    }
  }
}

}  // namespace
}  // namespace pm2
