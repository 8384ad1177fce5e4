// The service record: the argument of notification code 10, by which a
// thread other than the GUI thread has the GUI thread run one IDE service
// call. Every sender fills this one record type (SendServiceCall) and the
// handler reads nothing else: a record of another shape would be read past
// its end. The record carries its own size, which the handler checks.
#pragma once

#include <cstdint>

#include "platform/notification_hub.h"

namespace pm2 {

// Filled on the sender's stack: code, result (written by the GUI thread),
// two zero words, argument; then the record's size.
struct ServiceRecord {
  int32_t code = 0;
  intptr_t result = 0;
  int32_t zero[2] = {};
  intptr_t arg = 0;
  uint32_t size = sizeof(ServiceRecord);

  // The record as the handler may read it: null for none or one of another
  // size.
  static ServiceRecord* From(intptr_t notifyArg) {
    auto* r = reinterpret_cast<ServiceRecord*>(notifyArg);
    return r && r->size == sizeof(ServiceRecord) ? r : nullptr;
  }
};

// Has the hub's GUI thread run service `code` with `arg`; its result.
inline intptr_t SendServiceCall(NotificationHub& hub, int code, intptr_t arg) {
  ServiceRecord record;
  record.code = code;
  record.arg = arg;
  hub.Send(kNotifyIdeServiceCall, reinterpret_cast<intptr_t>(&record));
  return record.result;
}

}  // namespace pm2
