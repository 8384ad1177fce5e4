// Any contents of a slot: the first 16 bytes set the write offset, read
// offset, wrap mark and writer-pending word; the rest fills the ring. The
// reader must neither crash nor loop, and must leave consistent offsets;
// a write afterwards must stay inside the ring.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_ring.h"

namespace {

class Decode final : public pm2::RecordReceiver {
 public:
  void OnRecord(const uint8_t* rec, size_t size) override { pm2::GetEventFactory().CreateEventFromRecord(rec, size); }
};

class StatusFill final : public pm2::RecordFiller {
 public:
  bool Fill(uint8_t* dest, size_t capacity) override {
    pm2::dtc_Debug::StatusText t("after");
    return pm2::GetEventFactory().WriteEventRecord(t, dest, capacity, 1);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pm2::slot_field;
  if (size < 16) return 0;
  static std::vector<uint8_t> mem(pm2::kIpcSlotSize);
  std::memset(mem.data(), 0, mem.size());
  pm2::SlotView slot(mem.data());
  slot.InitialiseRing();
  auto word = [&](int i) {
    uint32_t v;
    std::memcpy(&v, data + 4 * i, 4);
    return v % (pm2::kIpcRingLimit + 64);  // mostly near the ring, sometimes outside
  };
  slot.Set(kWriteOffset, word(0));
  slot.Set(kReadOffset, word(1));
  slot.Set(kWrapMark, word(2));
  slot.Set(kWriterPending, (data[12] & 1) ? pm2::kIpcIdle : word(3));
  std::memcpy(slot.Ring(), data + 16, std::min<size_t>(size - 16, pm2::kIpcRingLimit));

  Decode decode;
  std::vector<uint8_t> scratch;
  pm2::DrainResult d = pm2::DrainRing(slot, decode, scratch);
  if (d.needsReset) slot.InitialiseRing();
  if (slot.Get(kReadOffset) != slot.Get(kWriteOffset)) std::abort();
  slot.Set(kWriterPending, pm2::kIpcIdle);
  StatusFill fill;
  if (pm2::WriteRingRecord(slot, pm2::dtc_Debug::StatusText("after").GetPayloadSize() + 16, fill) ==
      pm2::RingWrite::Written) {
    if (slot.Get(kWriteOffset) > pm2::kIpcRingLimit) std::abort();
  }
  return 0;
}
