// A file's code lines from every compilation unit's table, as gdb-multiarch
// 13 prints them: a header's line has a copy in each file that uses it.
#include "debugger/gdb/elf/line_tables.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace pm2::gdb {
namespace {

// "maint info line-table LED\.h$" on the example with a static inline
// function in LED.h that LED.c and Timer.c call (Blinky.c includes LED.h
// without code from it).
const char kPrinted[] =
    "objfile: /b/Obj/Blinky.elf ((struct objfile *) 0x55935f10a350)\n"
    "compunit_symtab: Timer.c ((struct compunit_symtab *) 0x55935f163e30)\n"
    "symtab: /b/LED.h ((struct symtab *) 0x55935f163ef0)\n"
    "linetable: ((struct linetable *) 0x55935edc2b30):\n"
    "INDEX  LINE   ADDRESS            IS-STMT PROLOGUE-END \n"
    "0      10     0x00000454         Y                    \n"
    "1      11     0x00000468         Y                    \n"
    "2      12     0x00000470         Y                    \n"
    "3      END    0x00000480         Y                    \n"
    "\n"
    "objfile: /b/Obj/Blinky.elf ((struct objfile *) 0x55935f10a350)\n"
    "compunit_symtab: LED.c ((struct compunit_symtab *) 0x55935f187380)\n"
    "symtab: /b/LED.h ((struct symtab *) 0x55935f187440)\n"
    "linetable: ((struct linetable *) 0x55935f163c80):\n"
    "INDEX  LINE   ADDRESS            IS-STMT PROLOGUE-END \n"
    "0      10     0x00000320         Y                    \n"
    "1      11     0x00000334         Y                    \n"
    "2      12     0x0000033c         Y                    \n"
    "3      END    0x0000034c         Y                    \n"
    "\n"
    "objfile: /b/Obj/Blinky.elf ((struct objfile *) 0x55935f10a350)\n"
    "compunit_symtab: Blinky.c ((struct compunit_symtab *) 0x55935f108260)\n"
    "symtab: /b/LED.h ((struct symtab *) 0x55935f108320)\n"
    "linetable: ((struct linetable *) 0x0):\n"
    "No line table.\n"
    "\n"
    "objfile: /b/Obj/Blinky.elf ((struct objfile *) 0x55935f10a350)\n"
    "compunit_symtab: OldLED.c ((struct compunit_symtab *) 0x55935f108990)\n"
    "symtab: /b/old/OLDLED.h ((struct symtab *) 0x55935f108a20)\n"
    "linetable: ((struct linetable *) 0x55935f163d00):\n"
    "INDEX  LINE   ADDRESS            IS-STMT PROLOGUE-END \n"
    "0      4      0x00000500         Y                    \n";

struct LineTableRow {
  const char* name;
  std::string file;
  std::vector<std::pair<uint32_t, uint32_t>> rows;  // (line, address)
};

void PrintTo(const LineTableRow& row, std::ostream* out) { *out << row.name; }

class LineTables : public ::testing::TestWithParam<LineTableRow> {};

TEST_P(LineTables, EveryUnitsTableOfTheFile) {
  std::vector<std::pair<uint32_t, uint32_t>> got;
  for (const DbgLinePair& p : ParseLineTables(kPrinted, GetParam().file)) got.emplace_back(p.line, p.address);
  EXPECT_EQ(got, GetParam().rows);
}

// Each unit's END row is a pair of line 0.
const std::vector<std::pair<uint32_t, uint32_t>> kLedH = {{10, 0x454}, {11, 0x468}, {12, 0x470}, {0, 0x480},
                                                          {10, 0x320}, {11, 0x334}, {12, 0x33c}, {0, 0x34c}};

INSTANTIATE_TEST_SUITE_P(
    Rows, LineTables,
    ::testing::Values(LineTableRow{"FullPath", "/b/LED.h", kLedH}, LineTableRow{"FileName", "LED.h", kLedH},
                      LineTableRow{"RelativePath", "./LED.h", kLedH},
                      LineTableRow{"SameEndingIsAnotherFile", "ED.h", {}},
                      LineTableRow{"OtherFolder", "/c/LED.h", {}},
                      LineTableRow{"FileOfItsOwnFolder", "old/OLDLED.h", {{4, 0x500}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineTables, FilterNamesTheFileByItsName) {
  EXPECT_EQ(LineTableFilter("/b/LED.h"), "LED\\.h$");
  EXPECT_EQ(LineTableFilter("C:\\src\\a+b[1].h"), "a\\+b\\[1\\]\\.h$");
}

}  // namespace
}  // namespace pm2::gdb
