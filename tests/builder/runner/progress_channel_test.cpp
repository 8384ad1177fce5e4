// The 280-byte progress records: decoding at every length, and the socket
// that stands in for the mailslot.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "builder/build_test_support.h"
#include "builder/progress_shown.h"
#include "builder/runner/progress_channel.h"
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
    EXPECT_EQ(got.kind, rec.kind);
    EXPECT_EQ(got.position, rec.position);
    EXPECT_EQ(got.lower, rec.lower);
    EXPECT_EQ(got.upper, rec.upper);
    EXPECT_EQ(got.textRef, rec.textRef);
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

// Copies the progress record of each service call while it is alive: the
// channel hands out a pointer that is valid only during the call.
class ProgressCopyHub : public NotificationHub {
 public:
  intptr_t Send(int code, intptr_t arg) override {
    ProgressRecord shown;
    if (test::ProgressShown(code, arg, &shown)) records.push_back(shown);
    return 0;
  }
  void Post(int, intptr_t) override {}
  std::vector<ProgressRecord> records;
};

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
  rec.text = "Translating main.c";
  ASSERT_TRUE(SendProgressRecord(dir.Path(), rec));
  RecordingHub hub;
  EXPECT_EQ(channel.Drain(&hub), 2);
  ASSERT_EQ(hub.Entries().size(), 2u);
  EXPECT_EQ(hub.Entries()[0].code, kNotifyIdeServiceCall);

  // What arrives is what was sent, in order.
  rec.position = 43;
  ASSERT_TRUE(SendProgressRecord(dir.Path(), rec));
  rec.kind = 4;
  rec.text = "";
  ASSERT_TRUE(SendProgressRecord(dir.Path(), rec));
  ProgressCopyHub copies;
  EXPECT_EQ(channel.Drain(&copies), 2);
  ASSERT_EQ(copies.records.size(), 2u);
  EXPECT_EQ(copies.records[0].kind, 3u);
  EXPECT_EQ(copies.records[0].position, 43u);
  EXPECT_EQ(copies.records[0].text, "Translating main.c");
  EXPECT_EQ(copies.records[1].kind, 4u);
  EXPECT_EQ(copies.records[1].text, "");
}

}  // namespace
}  // namespace pm2
