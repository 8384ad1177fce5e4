#include "ipc/event_catalog.h"

#include "ipc/event_factory.h"

namespace pm2 {

void RegisterEventCatalog(dtc_EventFactory& factory) {
  ForEachEventType([&factory]<class X>() { RegisterEventClass<X>(factory); });
}

}  // namespace pm2
