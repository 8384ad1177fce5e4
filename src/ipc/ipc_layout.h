// The shared mapping "ZARIzu_file_mapping", byte for byte (all numbers u32,
// little-endian):
//
//   +0 attach count   +4 layout version (1)   +8 + 32808 x n: slot n (0..15)
//
// A slot (offsets from its start):
//   +0      in-use flag (byte 0; the word's other bytes stay 0)
//   +4      ring limit, 32768
//   +8      ring data, 32768 bytes; ring offsets count from here
//   +32776  idle marker, 32769 (an offset that cannot occur)
//   +32780  write offset      +32784 writer pending
//   +32788  wrap mark         +32792 read offset
//   +32796  reader pending    +32800 overflow count
//   +32804  high-water mark
//
// A ring record at ring offset W (always a multiple of 4):
//   W: length L = event record size rounded up to 4, plus 8;  W+4: 0;
//   W+8: the event record; bytes after it up to L are padding.
//
// The words are shared with other processes and read without a lock, so
// they are accessed atomically (the host is little-endian, so a native
// u32 is the stored form).
#pragma once

#include <atomic>
#include <bit>
#include <cstdint>

namespace pm2 {

static_assert(std::endian::native == std::endian::little, "the shared layout is little-endian");

inline constexpr uint32_t kIpcMappingHeader = 8;
inline constexpr uint32_t kIpcLayoutVersion = 1;
inline constexpr uint32_t kIpcSlotSize = 32808;
inline constexpr uint32_t kIpcRingLimit = 32768;
inline constexpr uint32_t kIpcIdle = 32769;
inline constexpr uint32_t kIpcRecordHeader = 8;

namespace slot_field {
inline constexpr uint32_t kInUse = 0;
inline constexpr uint32_t kRingLimit = 4;
inline constexpr uint32_t kRing = 8;
inline constexpr uint32_t kIdleMarker = 32776;
inline constexpr uint32_t kWriteOffset = 32780;
inline constexpr uint32_t kWriterPending = 32784;
inline constexpr uint32_t kWrapMark = 32788;
inline constexpr uint32_t kReadOffset = 32792;
inline constexpr uint32_t kReaderPending = 32796;
inline constexpr uint32_t kOverflowCount = 32800;
inline constexpr uint32_t kHighWater = 32804;
}  // namespace slot_field

inline uint32_t LoadShared(const uint8_t* p) {
  return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(const_cast<uint8_t*>(p)))
      .load(std::memory_order_acquire);
}
inline void StoreShared(uint8_t* p, uint32_t v) {
  std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(p)).store(v, std::memory_order_release);
}
// True when the word still held `expected` and now holds `desired`.
inline bool CompareExchangeShared(uint8_t* p, uint32_t expected, uint32_t desired) {
  return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(p))
      .compare_exchange_strong(expected, desired, std::memory_order_acq_rel);
}
inline uint32_t AddShared(uint8_t* p, int32_t delta) {
  return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(p)).fetch_add(static_cast<uint32_t>(delta)) +
         static_cast<uint32_t>(delta);
}

// One slot of the mapping.
class SlotView {
 public:
  explicit SlotView(uint8_t* base) : m_base(base) {}
  // Slot n of a mapping that starts at `mapping`.
  static SlotView At(uint8_t* mapping, int n) { return SlotView(mapping + kIpcMappingHeader + kIpcSlotSize * n); }

  uint32_t Get(uint32_t field) const { return LoadShared(m_base + field); }
  void Set(uint32_t field, uint32_t v) { StoreShared(m_base + field, v); }
  bool InUse() const { return (Get(slot_field::kInUse) & 0xFF) != 0; }
  uint8_t* Ring() const { return m_base + slot_field::kRing; }
  uint8_t* Base() const { return m_base; }

  // The state of a freshly claimed slot (the in-use flag is left alone).
  void InitialiseRing() {
    Set(slot_field::kRingLimit, kIpcRingLimit);
    Set(slot_field::kIdleMarker, kIpcIdle);
    Set(slot_field::kWriteOffset, 0);
    Set(slot_field::kWriterPending, kIpcIdle);
    Set(slot_field::kWrapMark, kIpcIdle);
    Set(slot_field::kReadOffset, 0);
    Set(slot_field::kReaderPending, kIpcIdle);
    Set(slot_field::kOverflowCount, 0);
    Set(slot_field::kHighWater, 0);
  }

 private:
  uint8_t* m_base;
};

}  // namespace pm2
