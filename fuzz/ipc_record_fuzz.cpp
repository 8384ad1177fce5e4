// Any bytes as an event record: decoding must stay inside them, and an
// event that decodes must encode again
// and decode back to the same event.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ipc/event_factory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pm2::dtc_EventFactory& f = pm2::GetEventFactory();
  std::unique_ptr<pm2::dtc_EventBase> e = f.CreateEventFromRecord(data, size);
  if (!e) return 0;
  std::vector<uint8_t> rec(f.GetEventRecordSize(*e));
  if (rec.empty() || !f.WriteEventRecord(*e, rec.data(), rec.size(), e->m_nSender)) std::abort();
  std::unique_ptr<pm2::dtc_EventBase> again = f.CreateEventFromRecord(rec.data(), rec.size());
  if (!again || !(*again == *e)) std::abort();
  return 0;
}
