// Writing records into a slot's ring and draining them.
//
// Write rule, with W the write offset, R the read offset and L the ring
// record's length:
//  - W < R (the writer is behind the reader after a wrap): fits only when
//    W + L < R, so a full ring never looks empty;
//  - W >= R and W + L <= 32768: the record goes at W;
//  - W >= R and W + L > 32768: the ring wraps: fits only when L < R; the
//    record goes at 0 and the wrap mark takes W.
// The record bytes are in place before the write offset moves.
//
// The reader trusts nothing in the ring: a length that is not a multiple of
// 4, shorter than a record header, or reaching past the written part is
// corruption, and the reader then drops everything up to the write offset.
// A write offset that is itself impossible asks the owner to reset the ring.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ipc/ipc_layout.h"

namespace pm2 {

enum class RingWrite { Written, Full, Busy, TooLarge, Corrupt };

// Fills the event record of a ring record in place.
class RecordFiller {
 public:
  virtual bool Fill(uint8_t* dest, size_t capacity) = 0;

 protected:
  ~RecordFiller() = default;
};

// Writes one ring record holding an event record of `recordSize` bytes.
// The caller holds the slot's access guard.
RingWrite WriteRingRecord(SlotView slot, uint32_t recordSize, RecordFiller& filler);

// Receives each event record the reader finds; `size` may include up to 3
// padding bytes after the record.
class RecordReceiver {
 public:
  virtual void OnRecord(const uint8_t* record, size_t size) = 0;

 protected:
  ~RecordReceiver() = default;
};

struct DrainResult {
  int records = 0;       // records handed on
  int dropped = 0;       // times corrupt contents were skipped
  bool needsReset = false;  // the write offset is impossible: reset the ring
};

// Reads every record between the read and the write offset. `scratch` holds
// a private copy of each record while it is decoded, so a writer that
// changes the ring meanwhile cannot change what is decoded.
DrainResult DrainRing(SlotView slot, RecordReceiver& receiver, std::vector<uint8_t>& scratch);

}  // namespace pm2
