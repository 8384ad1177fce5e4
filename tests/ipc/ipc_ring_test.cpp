// The ring of one slot, in ordinary memory: the write rule at its borders,
// wrap-around, refusal, a seeded random stress against a model queue, and
// a reader fed garbage.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <random>
#include <vector>

#include "ipc/ipc_ring.h"
#include "ipc/payload_codec.h"

namespace pm2 {
namespace {

using namespace slot_field;

// Event records here are opaque: a 16-byte header whose first word is a
// sequence number, then filler.
class SeqFiller final : public RecordFiller {
 public:
  SeqFiller(uint32_t seq, uint32_t size) : m_seq(seq), m_size(size) {}
  bool Fill(uint8_t* dest, size_t capacity) override {
    if (capacity < m_size) return false;
    std::memset(dest, 0x5A, m_size);
    StoreU32(dest, m_seq);
    StoreU32(dest + 4, m_size);
    return true;
  }

 private:
  uint32_t m_seq, m_size;
};

class Collect final : public RecordReceiver {
 public:
  void OnRecord(const uint8_t* rec, size_t size) override {
    seqs.push_back(LoadU32(rec));
    sizes.push_back(size);
  }
  std::vector<uint32_t> seqs;
  std::vector<size_t> sizes;
};

class RingTest : public ::testing::Test {
 protected:
  RingTest() : mem(kIpcSlotSize, 0), slot(mem.data()) {
    slot.InitialiseRing();
    slot.Set(kInUse, 1);
  }
  RingWrite Write(uint32_t seq, uint32_t recordSize) {
    SeqFiller f(seq, recordSize);
    return WriteRingRecord(slot, recordSize, f);
  }
  DrainResult Drain(Collect& c) { return DrainRing(slot, c, scratch); }
  // Ring records of length L need an event record of L - 8 bytes.
  RingWrite WriteLen(uint32_t seq, uint32_t L) { return Write(seq, L - 8); }

  std::vector<uint8_t> mem;
  SlotView slot;
  std::vector<uint8_t> scratch;
};

TEST_F(RingTest, RecordEndingExactlyAtTheLimitDoesNotWrapOneMoreDoes) {
  // Move the ring so that the free tail is 64 bytes.
  slot.Set(kWriteOffset, kIpcRingLimit - 64);
  slot.Set(kReadOffset, kIpcRingLimit - 64);
  ASSERT_EQ(WriteLen(1, 64), RingWrite::Written);
  EXPECT_EQ(slot.Get(kWriteOffset), kIpcRingLimit);
  EXPECT_EQ(slot.Get(kWrapMark), kIpcIdle);
  Collect c;
  EXPECT_EQ(Drain(c).records, 1);

  slot.Set(kWriteOffset, kIpcRingLimit - 64);
  slot.Set(kReadOffset, kIpcRingLimit - 64);
  ASSERT_EQ(WriteLen(2, 68), RingWrite::Written);
  EXPECT_EQ(slot.Get(kWriteOffset), 68u);
  EXPECT_EQ(slot.Get(kWrapMark), kIpcRingLimit - 64);
  ASSERT_EQ(WriteLen(3, 32), RingWrite::Written);
  Collect c2;
  EXPECT_EQ(Drain(c2).records, 2);
  EXPECT_EQ(c2.seqs, (std::vector<uint32_t> {2, 3}));
  EXPECT_EQ(slot.Get(kReadOffset), 100u);
  EXPECT_EQ(slot.Get(kWrapMark), kIpcRingLimit);
}

TEST_F(RingTest, WriterBehindReaderNeedsRoomStrictlyBelowIt) {
  slot.Set(kWriteOffset, 100);
  slot.Set(kReadOffset, 200);
  slot.Set(kWrapMark, 4000);
  EXPECT_EQ(WriteLen(1, 100), RingWrite::Full);  // would end exactly at R
  EXPECT_EQ(slot.Get(kWriterPending), kIpcIdle);
  EXPECT_EQ(WriteLen(1, 96), RingWrite::Written);
  EXPECT_EQ(slot.Get(kWriteOffset), 196u);
  EXPECT_EQ(slot.Get(kHighWater), kIpcRingLimit - 200 + 196);
}

TEST_F(RingTest, FullRingRefusesUntilTheReaderDrains) {
  int written = 0;
  while (Write(static_cast<uint32_t>(written), 1000) == RingWrite::Written) ++written;
  EXPECT_EQ(written, static_cast<int>(kIpcRingLimit / 1008));
  EXPECT_EQ(Write(99, 1000), RingWrite::Full);
  EXPECT_EQ(Write(99, kIpcRingLimit), RingWrite::TooLarge);
  Collect c;
  EXPECT_EQ(Drain(c).records, written);
  EXPECT_EQ(Write(100, 1000), RingWrite::Written);
}

TEST_F(RingTest, RingBusyWhileAnotherWriteIsPending) {
  slot.Set(kWriterPending, 40);
  EXPECT_EQ(Write(1, 16), RingWrite::Busy);
}

TEST_F(RingTest, SeededRandomTrafficArrivesInOrderAndWhole) {
  std::mt19937 rng(20240611);
  std::deque<std::pair<uint32_t, uint32_t>> model;  // seq, size
  uint32_t seq = 0;
  int wraps = 0;
  for (int step = 0; step < 20000; ++step) {
    if (rng() % 3 != 0) {
      uint32_t size = 16 + rng() % 3000;
      uint32_t before = slot.Get(kWriteOffset);
      RingWrite r = Write(seq, size);
      if (r == RingWrite::Written) {
        model.push_back({seq, size});
        if (slot.Get(kWriteOffset) < before) ++wraps;
      } else {
        ASSERT_EQ(r, RingWrite::Full);
      }
      ++seq;
    } else {
      Collect c;
      DrainResult d = Drain(c);
      ASSERT_EQ(d.dropped, 0);
      for (size_t i = 0; i < c.seqs.size(); ++i) {
        ASSERT_FALSE(model.empty());
        EXPECT_EQ(c.seqs[i], model.front().first);
        EXPECT_EQ(c.sizes[i], (model.front().second + 3) & ~3u);
        model.pop_front();
      }
      ASSERT_TRUE(model.empty());
    }
  }
  EXPECT_GT(wraps, 100);
}

struct GarbageRow {
  const char* name;
  uint32_t length;     // stored record length
  uint32_t published;  // write offset the bad writer published
};

TEST_F(RingTest, ReaderSurvivesGarbageAndGoesOn) {
  const GarbageRow rows[] = {
      {"length 0", 0, 64},
      {"length not a multiple of 4", 30, 64},
      {"length shorter than a header", 16, 64},
      {"length past the write offset", 128, 64},
      {"length far outside the ring", 0xFFFFFFF0u, 64},
      {"write offset not a multiple of 4", 24, 62},
  };
  for (const GarbageRow& row : rows) {
    SCOPED_TRACE(row.name);
    slot.InitialiseRing();
    std::memset(slot.Ring(), 0, 256);
    StoreU32(slot.Ring(), row.length);
    slot.Set(kWriteOffset, row.published);
    Collect c;
    DrainResult d = Drain(c);
    EXPECT_TRUE(c.seqs.empty());
    if (row.published % 4 != 0) {
      EXPECT_TRUE(d.needsReset);
      slot.InitialiseRing();
    } else {
      EXPECT_EQ(d.dropped, 1);
      EXPECT_EQ(slot.Get(kReadOffset), row.published);
    }
    // A good record after the damage arrives.
    ASSERT_EQ(Write(7, 40), RingWrite::Written);
    Collect after;
    Drain(after);
    EXPECT_EQ(after.seqs, (std::vector<uint32_t> {7}));
  }
}

TEST_F(RingTest, WrappedWriterWithoutWrapMarkIsDroppedNotFollowed) {
  slot.Set(kReadOffset, 1000);
  slot.Set(kWriteOffset, 200);  // behind the reader, but no wrap mark
  Collect c;
  DrainResult d = Drain(c);
  EXPECT_EQ(d.dropped, 1);
  EXPECT_EQ(slot.Get(kReadOffset), 200u);
  EXPECT_EQ(slot.Get(kWrapMark), kIpcRingLimit);
}

TEST_F(RingTest, CorruptOffsetsRefuseWritesInsteadOfWritingOutside) {
  slot.Set(kWriteOffset, kIpcRingLimit + 400);
  EXPECT_EQ(Write(1, 16), RingWrite::Corrupt);
  slot.Set(kWriteOffset, 0);
  slot.Set(kReadOffset, 3);
  EXPECT_EQ(Write(1, 16), RingWrite::Corrupt);
}

}  // namespace
}  // namespace pm2
