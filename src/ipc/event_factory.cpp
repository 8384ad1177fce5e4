#include "ipc/event_factory.h"

#include <string>

#include "ipc/event_catalog.h"

namespace pm2 {

dtc_EventFactory::AlreadyRegistered::AlreadyRegistered(EventKey k)
    : std::logic_error("The event type (" + std::to_string(k.group) + ", " + std::to_string(k.number) +
                       ") is registered already"),
      key(k) {}

bool dtc_EventFactory::AddEventType(const EventTypeEntry& entry) {
  EventKey key {entry.group, entry.number};
  if (!m_types.emplace(key, entry).second) throw AlreadyRegistered(key);
  return true;
}

void dtc_EventFactory::RegisterEventType(EventTypeEntry& entry, uint32_t group, uint32_t number,
                                         EventSerialiser serialiser, EventCreator creator) {
  entry = {group, number, serialiser, creator};
  AddEventType(entry);
}

uint32_t dtc_EventFactory::GetEventRecordSize(const dtc_EventBase& event) const {
  if (!IsRegistered(event.GetKey())) return 0;
  return event.GetPayloadSize() + kEventHeaderSize;
}

bool dtc_EventFactory::WriteEventRecord(const dtc_EventBase& event, uint8_t* dest, size_t capacity,
                                        int32_t senderSlot) const {
  EventKey key = event.GetKey();
  auto it = m_types.find(key);
  if (it == m_types.end() || capacity < kEventHeaderSize) return false;
  StoreU32(dest, key.group);
  StoreU32(dest + 4, key.number);
  StoreU32(dest + 8, static_cast<uint32_t>(senderSlot));
  StoreU32(dest + 12, 0);
  return it->second.serialiser(event, dest + kEventHeaderSize, capacity - kEventHeaderSize);
}

std::unique_ptr<dtc_EventBase> dtc_EventFactory::CreateEventFromRecord(const uint8_t* record, size_t size) const {
  if (size < kEventHeaderSize) return nullptr;
  auto it = m_types.find(EventKey {LoadU32(record), LoadU32(record + 4)});
  if (it == m_types.end()) return nullptr;
  std::unique_ptr<dtc_EventBase> event = it->second.creator(record + kEventHeaderSize, size - kEventHeaderSize);
  if (event) event->m_nSender = static_cast<int32_t>(LoadU32(record + 8));
  return event;
}

dtc_EventFactory& GetEventFactory() {
  static dtc_EventFactory* factory = [] {
    auto* f = new dtc_EventFactory;  // lives to the process's end, after every user
    RegisterEventCatalog(*f);
    return f;
  }();
  return *factory;
}

}  // namespace pm2
