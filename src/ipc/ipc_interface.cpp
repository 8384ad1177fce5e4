#include "ipc/ipc_interface.h"

#include <atomic>
#include <mutex>

#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"

namespace pm2 {
namespace {

// Guards creation and destruction. Once the dispatcher exists it is found
// without the lock: UnregisterEventHandler holds the lock while it waits for
// a delivery on the receiver thread, whose handler must still reach the
// dispatcher (to send its reply) without waiting for that lock.
std::mutex g_dispatcherLock;
std::atomic<EventDispatcher*> g_pDispatcher {nullptr};

std::unique_ptr<EventTransport> AttachProcessTransport(EventSink& sink, std::string* err) {
  return bs_InterProcessEventHandler::Attach(IpcNamespace::FromEnvironment(), sink, GetEventFactory(), err);
}

}  // namespace

EventDispatcher& GetEventDispatcher() {
  if (EventDispatcher* d = g_pDispatcher.load(std::memory_order_acquire)) return *d;
  std::lock_guard<std::mutex> guard(g_dispatcherLock);
  if (!g_pDispatcher.load()) {
    GetEventFactory();  // the factory outlives the dispatcher
    g_pDispatcher.store(new EventDispatcher(&AttachProcessTransport), std::memory_order_release);
  }
  return *g_pDispatcher.load();
}

void DestroyEventDispatcher() {
  EventDispatcher* d;
  {
    std::lock_guard<std::mutex> guard(g_dispatcherLock);
    d = g_pDispatcher.exchange(nullptr);
  }
  delete d;
}

EventHandlerRegistry& ProcessHandlerRegistry() { return GetEventDispatcher(); }

bool ActivateIPDispatcher() { return GetEventDispatcher().Activate(); }

bool AttachLockHeldElsewhere() { return IpcObjects::AttachLockHeld(IpcNamespace::FromEnvironment()); }

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
  EventDispatcher* d = g_pDispatcher.load();
  return d && d->Unregister(handler);
}

bool SendEvent(dtc_EventBase& event) { return GetEventDispatcher().SendEvent(event); }

}  // namespace pm2
