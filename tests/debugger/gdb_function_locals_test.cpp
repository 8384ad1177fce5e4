// The symbols dialog's locals tree through the GDB driver: each function
// of the example lists its parameters and locals, those of its inner
// braces in a block of their own, with their types; on the example
// program under qemu. And the forms of gdb's printed blocks the driver reads.
#include <string>
#include <vector>

#include "debugger/gdb/elf/block_symbols.h"
#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

struct LocalsRow {
  const char* name;
  const char* module;
  const char* function;
  // "name:type code" of the function's own block, then of its inner blocks.
  std::vector<std::string> own, inner;
};

void PrintTo(const LocalsRow& row, std::ostream* out) { *out << row.name; }

class GdbFunctionLocals : public GdbSessionTest, public ::testing::WithParamInterface<LocalsRow> {};

std::vector<std::string> Listed(const DbgSymbolRecord* s) {
  std::vector<std::string> out;
  for (; s; s = s->next) out.push_back(std::string(s->name) + ":" + std::to_string(s->type ? s->type->code : -1));
  return out;
}

TEST_P(GdbFunctionLocals, ListsTheLocalsOfEachFunction) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DbgScopeRecord* scopes = nullptr;
  session->Record()->DbgEnum(kDbgEnumScopes, 0, reinterpret_cast<intptr_t>(&scopes));
  ASSERT_NE(scopes, nullptr);
  const DbgScopeRecord* function = nullptr;
  for (const DbgScopeRecord* m = scopes->children; m; m = m->next)
    if (std::string(m->name) == GetParam().module)
      for (const DbgScopeRecord* f = m->children; f; f = f->next)
        if (f->kind == kDbgScopeFunction && std::string(f->name) == GetParam().function) function = f;
  ASSERT_NE(function, nullptr);
  EXPECT_EQ(Listed(function->symbols), GetParam().own);
  std::vector<std::string> inner;
  for (const DbgScopeRecord* b = function->children; b; b = b->next) {
    EXPECT_EQ(b->kind, uint32_t(kDbgScopeBlock));
    EXPECT_EQ(b->parent, function);
    for (const std::string& s : Listed(b->symbols)) inner.push_back(s);
  }
  EXPECT_EQ(inner, GetParam().inner);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbFunctionLocals,
    ::testing::Values(LocalsRow{"MainAndItsLoop", "Blinky.c", "main", {"n:5"}, {"key:4"}},
                      LocalsRow{"Parameter", "Blinky.c", "Serial_PutChar", {"c:2"}, {}},
                      LocalsRow{"PointerParameter", "Blinky.c", "Serial_PutString", {"s:12"}, {}},
                      LocalsRow{"ParameterAndLocal", "Timer.c", "Timer_Delay", {"n:9", "start:9"}, {}},
                      LocalsRow{"NoLocals", "Timer.c", "Timer_Ticks", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// gdb's printed forms of a variable's line: the name apart from its type
// (arrays, pointers to functions), a static local's address, and lines
// that are no variables.
TEST(FunctionBlocks, ReadsEachFormOfGdbsPrintedBlocks) {
  const std::string printed =
      "Blockvector:\n"
      "\n"
      "block #000, object at 0x1 in 0x0..0x400\n"
      " int f(int); block object 0x2, 0x100..0x200 section .text\n"
      "  block #001, object at 0x3 under 0x1, 2 syms/buckets in 0x0..0x400\n"
      "   unsigned int shared; static at 0x40000000 section .bss\n"
      "    block #002, object at 0x4 under 0x3, 4 syms/buckets in 0x100..0x200, function f\n"
      "     int x; computed at runtime\n"
      "     char buf[16][2]; computed at runtime\n"
      "     void (*done)(int); computed at runtime\n"
      "     int calls; static at 0x40000010 section .bss\n"
      "     struct point p; optimized out\n"
      "     int helper(void); block object 0x9, 0x180..0x190 section .text\n"
      "     typedef int count_t; \n"
      "      block #003, object at 0x5 under 0x4, 1 syms/buckets in 0x120..0x180\n"
      "       long inner; register $r4\n"
      "        block #004, object at 0x6 under 0x5, 1 syms/buckets in 0x130..0x140\n"
      "         char deepest; computed at runtime\n"
      "      block #005, object at 0x7 under 0x4, 0 syms/buckets in 0x180..0x190\n"
      "    block #006, object at 0x8 under 0x3, 0 syms/buckets in 0x200..0x210, function g\n";
  const std::vector<gdb::FunctionBlock> blocks = gdb::ParseFunctionBlocks(printed);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].function, "f");
  std::vector<std::string> own;
  for (const gdb::BlockSymbol& s : blocks[0].symbols)
    own.push_back(s.name + "|" + s.type + "|" + (s.isStatic ? std::to_string(s.address) : "-"));
  EXPECT_EQ(own, (std::vector<std::string>{"x|int|-", "buf|char [16][2]|-", "done|void (*)(int)|-",
                                           "calls|int|1073741840", "p|struct point|-"}));
  ASSERT_EQ(blocks[0].blocks.size(), 2u);
  ASSERT_EQ(blocks[0].blocks[0].size(), 1u);
  EXPECT_EQ(blocks[0].blocks[0][0].name, "inner");
  ASSERT_EQ(blocks[0].blocks[1].size(), 1u);
  EXPECT_EQ(blocks[0].blocks[1][0].name, "deepest");
  EXPECT_EQ(blocks[1].function, "g");
  EXPECT_TRUE(blocks[1].symbols.empty());
  EXPECT_TRUE(blocks[1].blocks.empty());
}

}  // namespace
}  // namespace pm2
