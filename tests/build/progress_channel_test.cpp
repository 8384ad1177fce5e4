// The 280-byte progress records: decoding at every length, and the socket
// that stands in for the mailslot.
#include <gtest/gtest.h>

#include <cstring>

#include "build/progress_channel.h"
#include "build_test_support.h"
#include "platform/notification_hub.h"

namespace pm2 {
namespace {

TEST(ProgressRecord, DecodesFieldByFieldAtEveryLength) {
  ProgressRecord rec;
  rec.kind = 5;
  rec.position = 0x01020304;
  rec.lower = 7;
  rec.upper = 0xFFFFFFF0;
  rec.textRef = 0xDEADBEEF;
  rec.text2Ref = 0x12345678;
  rec.text = "Linking module MAIN";
  unsigned char bytes[kProgressRecordSize];
  EncodeProgressRecord(rec, bytes);
  EXPECT_EQ(bytes[4], 0x04);
  EXPECT_EQ(bytes[7], 0x01);
  for (size_t n = 0; n <= kProgressRecordSize; ++n) {
    SCOPED_TRACE(n);
    ProgressRecord got;
    ASSERT_EQ(DecodeProgressRecord(bytes, n, got), n >= kProgressHeaderSize);
    if (n < kProgressHeaderSize) continue;
    EXPECT_EQ(got.position, rec.position);
    EXPECT_EQ(got.upper, rec.upper);
    EXPECT_EQ(got.text2Ref, rec.text2Ref);
    EXPECT_EQ(got.text, rec.text.substr(0, n - kProgressHeaderSize));
  }
}

TEST(ProgressRecord, UnterminatedTextStopsAtTheRecordEnd) {
  unsigned char bytes[kProgressRecordSize];
  std::memset(bytes, 'A', sizeof bytes);
  ProgressRecord got;
  ASSERT_TRUE(DecodeProgressRecord(bytes, sizeof bytes, got));
  EXPECT_EQ(got.text.size(), 255u);
}

TEST(ProgressChannel, StaleSocketIsReplacedAndLiveOneRefused) {
  test::ScratchFolder dir;
  {
    ProgressChannel first;
    ASSERT_TRUE(first.Open(dir.Path()));
    ProgressChannel second;
    EXPECT_FALSE(second.Open(dir.Path()));  // another listener is alive
  }
  // A socket file left behind by a crashed run.
  test::WriteFile(ProgressChannelPath(dir.Path()), "");
  ProgressChannel channel;
  ASSERT_TRUE(channel.Open(dir.Path()));
  ProgressRecord rec;
  rec.kind = 3;
  rec.position = 42;
  ASSERT_TRUE(SendProgressRecord(dir.Path(), rec));
  RecordingHub hub;
  EXPECT_EQ(channel.Drain(&hub), 1);
  ASSERT_EQ(hub.Entries().size(), 1u);
  EXPECT_EQ(hub.Entries()[0].code, kNotifyIdeServiceCall);
}

}  // namespace
}  // namespace pm2
