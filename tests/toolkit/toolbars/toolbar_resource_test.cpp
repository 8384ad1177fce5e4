#include "toolkit/toolbars/toolbar_resource.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> b) { return {b.begin(), b.end()}; }

struct ReadRow {
  const char* name;
  std::vector<std::uint8_t> bytes;
  bool separators;
  bool ok;
  int width, height;
  std::vector<unsigned> ids;
  const char* error;
};

class ToolbarResourceRead : public testing::TestWithParam<ReadRow> {};

TEST_P(ToolbarResourceRead, Row) {
  const ReadRow& r = GetParam();
  ToolbarResource out;
  std::string err;
  ASSERT_EQ(ReadToolbarResource(r.bytes, 120, r.separators, &out, &err), r.ok) << err;
  if (!r.ok) {
    EXPECT_EQ(err, r.error);
    return;
  }
  EXPECT_EQ(out.width, r.width);
  EXPECT_EQ(out.height, r.height);
  EXPECT_EQ(out.ids, r.ids);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToolbarResourceRead,
    testing::Values(
        // version, width 16, height 15, count 3: 57600, 0, 57601
        ReadRow{"SeparatorsLeftOut", Bytes({1, 0, 16, 0, 15, 0, 3, 0, 0x00, 0xE1, 0, 0, 0x01, 0xE1}), false, true,
                16, 15, {57600, 57601}, ""},
        ReadRow{"SeparatorsKept", Bytes({1, 0, 16, 0, 15, 0, 3, 0, 0x00, 0xE1, 0, 0, 0x01, 0xE1}), true, true, 16,
                15, {57600, 0, 57601}, ""},
        ReadRow{"VersionNotRead", Bytes({9, 9, 22, 0, 24, 0, 1, 0, 0x34, 0x12}), false, true, 22, 24, {0x1234},
                ""},
        ReadRow{"Empty", Bytes({1, 0, 16, 0, 15, 0, 0, 0}), false, true, 16, 15, {}, ""},
        ReadRow{"HeaderCut", Bytes({1, 0, 16, 0, 15, 0, 3}), false, false, 0, 0, {},
                "toolbar resource 120: only 7 bytes, the header needs 8"},
        ReadRow{"CountBeyondEnd", Bytes({1, 0, 16, 0, 15, 0, 3, 0, 0x00, 0xE1, 0, 0, 0x01}), false, false, 0, 0, {},
                "toolbar resource 120: lists 3 ids but holds only 2"}),
    [](const auto& info) { return info.param.name; });

TEST(ToolbarResourceWrite, ReadsBackWhatItWrites) {
  const std::vector<unsigned> ids = {57600, 0, 35012, 65535};
  const auto bytes = WriteToolbarResource(16, 15, ids);
  ASSERT_EQ(bytes.size(), 8u + 2 * ids.size());
  EXPECT_EQ(bytes[0], 1);  // version 1
  ToolbarResource r;
  ASSERT_TRUE(ReadToolbarResource(bytes, 1, true, &r, nullptr));
  EXPECT_EQ(r.ids, ids);
}

}  // namespace
}  // namespace pm2
