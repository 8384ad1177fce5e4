// A watch row naming a function shows the function's address as gdb writes
// it, in the row's radix, and has nothing to expand: it is no struct. On
// the example program under qemu.
#include <cstdio>
#include <string>

#include "debugger/model/watch_model.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

struct FunctionRow {
  const char* name;
  const char* expression;
  const char* function;
  const char* value;  // "%x" the function's address in hexadecimal, "%d" in decimal
};

void PrintTo(const FunctionRow& row, std::ostream* out) { *out << row.name; }

class GdbWatchFunction : public GdbSessionTest, public ::testing::WithParamInterface<FunctionRow> {};

TEST_P(GdbWatchFunction, ShowsItsAddressAndDoesNotExpand) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const uint32_t address = Evaluate(("&" + std::string(GetParam().function)).c_str());
  std::string expected = GetParam().value;
  char number[32];
  for (const char* key : {"%x", "%d"})
    if (const std::size_t at = expected.find(key); at != std::string::npos) {
      std::snprintf(number, sizeof number, key[1] == 'x' ? "0x%x" : "%u", address);
      expected.replace(at, 2, number);
    }

  DebugInterface* record = r;
  WatchModel watch(false, &record);
  watch.Attach();
  watch.AddExpression(GetParam().expression);
  ASSERT_GE(watch.Rows().size(), 1u);
  const WatchItem& row = *watch.Rows()[0];
  EXPECT_EQ(row.value, expected);
  EXPECT_FALSE(row.flags & kWatchFailed) << row.value;
  EXPECT_FALSE(row.flags & kWatchExpandable);
  EXPECT_NE(row.type.code, kDbgTypeStruct);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbWatchFunction,
    ::testing::Values(FunctionRow{"Function", "main", "main", "{int (void)} %x <main>"},
                      FunctionRow{"FunctionInHex", "main,0x10", "main", "{int (void)} %x <main>"},
                      FunctionRow{"FunctionInDecimal", "main,0x0A", "main", "{int (void)} %d <main>"},
                      FunctionRow{"FunctionWithArguments", "LED_On", "LED_On", "{void (unsigned int)} %x <LED_On>"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
