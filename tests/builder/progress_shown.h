// What the status bar is asked to show when a builder hands a progress
// record to the notification hub: the service call's request, read back as
// the record it came from (the label is the record's text). False for any
// other notification.
#pragma once

#include <cstdint>

#include "builder/runner/progress_channel.h"
#include "platform/notification_hub.h"
#include "platform/progress_request.h"
#include "platform/service_record.h"

namespace pm2::test {

inline bool ProgressShown(int code, intptr_t arg, ProgressRecord* out) {
  const ServiceRecord* call = code == kNotifyIdeServiceCall ? ServiceRecord::From(arg) : nullptr;
  if (!call || call->code != kServiceProgress || !call->arg) return false;
  const auto* r = reinterpret_cast<const ProgressRequest*>(call->arg);
  out->kind = static_cast<uint32_t>(r->kind);
  out->position = static_cast<uint32_t>(r->position);
  out->lower = static_cast<uint32_t>(r->low);
  out->upper = static_cast<uint32_t>(r->high);
  out->text = r->label ? r->label : "";
  return true;
}

}  // namespace pm2::test
