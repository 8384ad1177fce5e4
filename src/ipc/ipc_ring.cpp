#include "ipc/ipc_ring.h"

#include <cstring>

#include "ipc/payload_codec.h"

namespace pm2 {
namespace {

constexpr uint32_t kMinRingRecord = kIpcRecordHeader + 16;  // ring header + event header

bool ValidOffset(uint32_t off) { return off <= kIpcRingLimit && off % 4 == 0; }

}  // namespace

RingWrite WriteRingRecord(SlotView slot, uint32_t recordSize, RecordFiller& filler) {
  using namespace slot_field;
  if (recordSize > kIpcRingLimit) return RingWrite::TooLarge;
  uint32_t L = ((recordSize + 3) & ~3u) + kIpcRecordHeader;
  if (L > kIpcRingLimit) return RingWrite::TooLarge;
  if (slot.Get(kWriterPending) != kIpcIdle) return RingWrite::Busy;
  uint32_t W = slot.Get(kWriteOffset);
  uint32_t R = slot.Get(kReadOffset);
  if (!ValidOffset(W) || !ValidOffset(R)) return RingWrite::Corrupt;

  uint32_t place, end, fill;
  bool wraps = false;
  if (W < R) {
    if (W + L >= R) return RingWrite::Full;
    place = W;
    end = W + L;
    fill = kIpcRingLimit - R + W + L;
  } else if (W + L <= kIpcRingLimit) {
    place = W;
    end = W + L;
    fill = W + L - R;
  } else {
    if (L >= R) return RingWrite::Full;
    place = 0;
    end = L;
    wraps = true;
    fill = kIpcRingLimit - R + L;
  }
  slot.Set(kWriterPending, end);

  uint8_t* rec = slot.Ring() + place;
  StoreU32(rec, L);
  StoreU32(rec + 4, 0);
  if (!filler.Fill(rec + kIpcRecordHeader, L - kIpcRecordHeader)) {
    slot.Set(kWriterPending, kIpcIdle);
    return RingWrite::Corrupt;
  }
  // The padding after the event record is zeroed so no stale bytes leak.
  std::memset(rec + kIpcRecordHeader + recordSize, 0, L - kIpcRecordHeader - recordSize);
  if (wraps) slot.Set(kWrapMark, W);
  if (fill > slot.Get(kHighWater)) slot.Set(kHighWater, fill);
  slot.Set(kWriteOffset, end);
  slot.Set(kWriterPending, kIpcIdle);
  return RingWrite::Written;
}

DrainResult DrainRing(SlotView slot, RecordReceiver& receiver, std::vector<uint8_t>& scratch) {
  using namespace slot_field;
  DrainResult result;
  for (;;) {
    uint32_t W = slot.Get(kWriteOffset);
    if (!ValidOffset(W)) {
      result.needsReset = true;
      return result;
    }
    uint32_t Q = slot.Get(kReadOffset);
    if (Q == W) return result;
    uint32_t wrap = slot.Get(kWrapMark);
    auto dropToWrite = [&] {
      // Everything between here and the write offset is unusable.
      slot.Set(kReaderPending, kIpcIdle);
      if (Q > W) slot.Set(kWrapMark, kIpcRingLimit);
      slot.Set(kReadOffset, W);
      ++result.dropped;
    };
    if (!ValidOffset(Q)) {
      dropToWrite();
      continue;
    }
    if (Q >= wrap) {
      // Wrap mark first: once the writer sees R = 0 it may wrap again.
      slot.Set(kWrapMark, kIpcRingLimit);
      slot.Set(kReadOffset, 0);
      continue;
    }
    // The written part runs from Q to the write offset, or to the wrap mark
    // when the writer has wrapped behind us.
    uint32_t end = Q < W ? W : wrap;
    if (end > kIpcRingLimit || end - Q < kMinRingRecord) {
      dropToWrite();
      continue;
    }
    uint32_t L = LoadU32(slot.Ring() + Q);
    if (L % 4 != 0 || L < kMinRingRecord || L > end - Q) {
      dropToWrite();
      continue;
    }
    slot.Set(kReaderPending, Q + L);
    scratch.assign(slot.Ring() + Q + kIpcRecordHeader, slot.Ring() + Q + L);
    receiver.OnRecord(scratch.data(), scratch.size());
    ++result.records;
    slot.Set(kReadOffset, Q + L);
    slot.Set(kReaderPending, kIpcIdle);
  }
}

}  // namespace pm2
