#include "ipc/ipc_interface.h"

#include <mutex>

#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"

namespace pm2 {
namespace {

std::mutex g_dispatcherLock;
EventDispatcher* g_pDispatcher = nullptr;

std::unique_ptr<EventTransport> AttachProcessTransport(EventSink& sink, std::string* err) {
  return bs_InterProcessEventHandler::Attach(IpcNamespace::FromEnvironment(), sink, GetEventFactory(), err);
}

}  // namespace

EventDispatcher& GetEventDispatcher() {
  std::lock_guard<std::mutex> guard(g_dispatcherLock);
  if (!g_pDispatcher) {
    GetEventFactory();  // the factory outlives the dispatcher
    g_pDispatcher = new EventDispatcher(&AttachProcessTransport);
  }
  return *g_pDispatcher;
}

void DestroyEventDispatcher() {
  EventDispatcher* d;
  {
    std::lock_guard<std::mutex> guard(g_dispatcherLock);
    d = g_pDispatcher;
    g_pDispatcher = nullptr;
  }
  delete d;
}

EventHandlerRegistry& ProcessHandlerRegistry() { return GetEventDispatcher(); }

bool ActivateIPDispatcher() { return GetEventDispatcher().Activate(); }

std::string ActivationError() { return GetEventDispatcher().ActivationError(); }

int32_t GetOwnSlotIndex() { return GetEventDispatcher().OwnSlot(); }

bool HasSlot() { return GetEventDispatcher().HasSlot(); }

bool RegisterEventHandler(dtc_EventHandler& handler) {
  EventDispatcher& d = GetEventDispatcher();
  handler.SetRegistry(&d);
  return d.Register(handler);
}

bool UnregisterEventHandler(dtc_EventHandler& handler) {
  std::lock_guard<std::mutex> guard(g_dispatcherLock);
  if (!g_pDispatcher) return false;
  return g_pDispatcher->Unregister(handler);
}

bool SendEvent(dtc_EventBase& event) { return GetEventDispatcher().SendEvent(event); }

}  // namespace pm2
