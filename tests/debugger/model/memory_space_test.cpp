// The memory window's pages at the top of the 32-bit address space: rows
// and values wrap round to address 0, and a page read over the top is read
// in two parts, never in one range a driver refuses.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "debugger/model/memory_format.h"
#include "debugger/model/memory_space.h"

namespace pm2 {
namespace {

// A driver's read as the GDB driver answers it: a range that runs past
// 4 GB (or into memory it cannot read) fails, each byte read holds the low
// byte of its address.
struct FakeSpace {
  uint64_t unreadableFrom = uint64_t(1) << 32;  // [from, to) cannot be read
  uint64_t unreadableTo = uint64_t(1) << 32;
  std::vector<std::pair<uint64_t, uint32_t>> calls;
  int32_t Read(uint64_t address, uint32_t count, uint8_t* out) {
    calls.emplace_back(address, count);
    if (address + count > (uint64_t(1) << 32)) return 1;
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t a = address + i;
      if (a >= unreadableFrom && a < unreadableTo) return 1;
      out[i] = uint8_t(a);
    }
    return 0;
  }
};

struct ReadRow {
  const char* name;
  uint32_t first;
  int count;
  uint64_t unreadableFrom, unreadableTo;
  int read;                                          // bytes that hold what was read
  std::vector<std::pair<uint64_t, uint32_t>> calls;  // the reads asked of the driver
};
class MemSpaceRead : public ::testing::TestWithParam<ReadRow> {};

TEST_P(MemSpaceRead, ReadsUpToTheTopThenOnFromZero) {
  const ReadRow& row = GetParam();
  FakeSpace space;
  space.unreadableFrom = row.unreadableFrom;
  space.unreadableTo = row.unreadableTo;
  std::vector<uint8_t> buffer(size_t(row.count), 0xEE);
  const int read = MemReadSpace([&](uint64_t a, uint32_t n, uint8_t* out) { return space.Read(a, n, out); }, row.first,
                                row.count, buffer.data());
  EXPECT_EQ(read, row.read);
  EXPECT_EQ(space.calls, row.calls);
  // What was read is each byte of its own (wrapped) address.
  for (int i = 0; i < read; ++i) EXPECT_EQ(buffer[size_t(i)], uint8_t(row.first + uint32_t(i))) << i;
}

constexpr uint64_t kEnd = uint64_t(1) << 32;
INSTANTIATE_TEST_SUITE_P(
    Rows, MemSpaceRead,
    ::testing::Values(ReadRow{"InsideTheSpace", 0x40000000u, 32, kEnd, kEnd, 32, {{0x40000000u, 32}}},
                      ReadRow{"EndingAtTheTop", 0xFFFFFFF0u, 16, kEnd, kEnd, 16, {{0xFFFFFFF0u, 16}}},
                      ReadRow{"OverTheTop", 0xFFFFFFF0u, 48, kEnd, kEnd, 48, {{0xFFFFFFF0u, 16}, {0, 32}}},
                      ReadRow{"AddressZeroUnreadable", 0xFFFFFFF8u, 24, 0, 0x100, 8, {{0xFFFFFFF8u, 8}, {0, 16}}},
                      ReadRow{"TopUnreadable", 0xFFFFFFF0u, 32, 0xFFFFFF00u, kEnd, 0, {{0xFFFFFFF0u, 16}}},
                      ReadRow{"NothingAsked", 0xFFFFFFF0u, 0, kEnd, kEnd, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct AddressRow {
  const char* name;
  uint64_t base, offset;
  uint32_t address;
};
class MemSpaceAddresses : public ::testing::TestWithParam<AddressRow> {};
TEST_P(MemSpaceAddresses, WrapRoundTheTop) {
  EXPECT_EQ(MemSpaceAddress(GetParam().base, GetParam().offset), GetParam().address);
}
INSTANTIATE_TEST_SUITE_P(Rows, MemSpaceAddresses,
                         ::testing::Values(AddressRow{"Inside", 0x40000000u, 0x10, 0x40000010u},
                                           AddressRow{"TheLastByte", 0xFFFFFFF0u, 0xF, 0xFFFFFFFFu},
                                           AddressRow{"TheRowAfterTheTop", 0xFFFFFFF0u, 0x10, 0},
                                           AddressRow{"ALaterRow", 0xFFFFFFF0u, 0x37, 0x27}),
                         [](const auto& info) { return std::string(info.param.name); });

// The value under the pointer in a row past the top is the wrapped address
// a Modify Memory writes.
TEST(MemSpaceHit, AValuePastTheTopIsAt32BitAddress) {
  const std::vector<std::pair<int, int>> spans = {{100, 120}, {130, 150}, {160, 180}, {190, 210}};
  MemHitInput in;
  in.valid = true;
  in.rowHeight = 10;
  in.base = 0xFFFFFFF0u;
  in.topRow = 3;
  in.columns = 4;
  in.rowsShown = 5;
  in.spans = &spans;
  in.x = 135;
  in.y = 45;  // the second row shown: 4 rows of 4 bytes past the base
  uint64_t a = 0;
  ASSERT_TRUE(MemHitTest({kMemUChar, false, true, false}, in, &a));
  EXPECT_EQ(a, 0x1u);
}

}  // namespace
}  // namespace pm2
