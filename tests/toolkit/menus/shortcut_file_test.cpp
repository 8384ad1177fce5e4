#include "toolkit/menus/shortcut_file.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

const AccelTable kSmall = {{FVIRTKEY | FNOINVERT | FCONTROL, 118, 32719}, {FALT, 'x', 0xE141}};

TEST(ShortcutFile, BytesOfASmallTable) {
  const std::string want("MACR\x01\x00\x02\x00"
                         "\x0B\x00\x76\x00\xCF\x7F"
                         "\x10\x00\x78\x00\x41\xE1",
                         20);
  EXPECT_EQ(EncodeShortcutFile(kSmall), want);
  AccelTable back;
  ASSERT_TRUE(DecodeShortcutFile(want, "x.Mac", &back, nullptr));
  EXPECT_EQ(back, kSmall);
}

TEST(ShortcutFile, PaddingIgnoredOnReading) {
  std::string bytes = EncodeShortcutFile(kSmall);
  bytes[9] = '\x5A';
  AccelTable back;
  ASSERT_TRUE(DecodeShortcutFile(bytes, "x.Mac", &back, nullptr));
  EXPECT_EQ(back, kSmall);
}

TEST(ShortcutFile, LongCountForm) {
  const AccelTable many(0xFFFF, ACCEL{FVIRTKEY, 65, 1});
  const std::string bytes = EncodeShortcutFile(many);
  EXPECT_EQ(bytes.substr(6, 6), std::string("\xFF\xFF\xFF\xFF\x00\x00", 6));
  EXPECT_EQ(bytes.size(), 12u + 6 * 0xFFFF);
  AccelTable back;
  ASSERT_TRUE(DecodeShortcutFile(bytes, "x.Mac", &back, nullptr));
  EXPECT_EQ(back.size(), many.size());
}

struct BadRow {
  const char* name;
  std::string bytes;
  const char* error;
};

class ShortcutFileBad : public testing::TestWithParam<BadRow> {};

TEST_P(ShortcutFileBad, Row) {
  AccelTable t = kSmall;
  std::string err;
  EXPECT_FALSE(DecodeShortcutFile(GetParam().bytes, "pelmora2.Mac", &t, &err));
  EXPECT_EQ(err, GetParam().error);
  EXPECT_EQ(t, kSmall);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ShortcutFileBad,
    testing::Values(BadRow{"ForeignTag", std::string("MACX\x01\x00\x00\x00", 8), "'pelmora2.Mac' is not a shortcut file"},
                    BadRow{"Version2", std::string("MACR\x02\x00\x00\x00", 8),
                           "'pelmora2.Mac' has shortcut file version 2, not 1"},
                    BadRow{"NoCount", std::string("MACR\x01\x00", 6), "'pelmora2.Mac' ends before its record count"},
                    BadRow{"HugeCount", std::string("MACR\x01\x00\xFF\xFF\xFF\xFF\xFF\x7F", 12),
                           "'pelmora2.Mac' counts 2147483647 shortcuts but holds only 0"}),
    [](const auto& info) { return info.param.name; });

TEST(ShortcutFile, EveryCutIsRefusedOrComplete) {
  const std::string whole = EncodeShortcutFile(kSmall);
  for (std::size_t n = 0; n < whole.size(); ++n) {
    AccelTable t;
    EXPECT_FALSE(DecodeShortcutFile(whole.substr(0, n), "x", &t, nullptr)) << "cut at " << n;
    EXPECT_TRUE(t.empty());
  }
}

TEST(ShortcutFile, EmptyTable) {
  AccelTable t = kSmall;
  ASSERT_TRUE(DecodeShortcutFile(std::string("MACR\x01\x00\x00\x00", 8), "x", &t, nullptr));
  EXPECT_TRUE(t.empty());
}

}  // namespace
}  // namespace pm2
