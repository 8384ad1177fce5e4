// The registry of event types: per EventKey the type's serialiser and
// creator. Turns events into event records and records back into events.
//
// An event record is the 16-byte header (group, number, sender slot,
// reserved) and the payload; its size is the payload size plus 16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>

#include "ipc/event_base.h"

namespace pm2 {

using EventSerialiser = bool (*)(const dtc_EventBase& event, uint8_t* dest, size_t capacity);
using EventCreator = std::unique_ptr<dtc_EventBase> (*)(const uint8_t* payload, size_t size);

struct EventTypeEntry {
  uint32_t group = 0;
  uint32_t number = 0;
  EventSerialiser serialiser = nullptr;
  EventCreator creator = nullptr;
};

class dtc_EventFactory {
 public:
  struct AlreadyRegistered : std::logic_error {
    explicit AlreadyRegistered(EventKey key);
    EventKey key;
  };

  // Adds a copy of the entry under its key; throws AlreadyRegistered when
  // the key is present.
  bool AddEventType(const EventTypeEntry& entry);
  void RegisterEventType(EventTypeEntry& entry, uint32_t group, uint32_t number, EventSerialiser serialiser,
                         EventCreator creator);
  bool IsRegistered(EventKey key) const { return m_types.count(key) != 0; }
  size_t TypeCount() const { return m_types.size(); }

  // Payload size plus 16, or 0 when the type is not registered.
  uint32_t GetEventRecordSize(const dtc_EventBase& event) const;
  // Writes header and payload into `capacity` bytes (at least the record
  // size); the header carries `senderSlot`, the reserved word 0. False when
  // the type is not registered or the record does not fit.
  bool WriteEventRecord(const dtc_EventBase& event, uint8_t* dest, size_t capacity, int32_t senderSlot) const;
  // The event a record of `size` bytes holds, with its sender taken from the
  // header; null for a short record, an unregistered type or a payload that
  // does not decode.
  std::unique_ptr<dtc_EventBase> CreateEventFromRecord(const uint8_t* record, size_t size) const;

 private:
  std::map<EventKey, EventTypeEntry> m_types;
};

// The process's factory, with the whole catalog registered on first use.
dtc_EventFactory& GetEventFactory();

// Registers a class X derived from dtc_Event<X>.
template <class X>
void RegisterEventClass(dtc_EventFactory& factory) {
  factory.AddEventType({X::kKey.group, X::kKey.number, &X::Serialise, &X::Create});
}

}  // namespace pm2
