// The process-wide entry points of the event interface: one dispatcher per
// process, attached to the shared-memory transport of this user's
// namespace (see IpcNamespace::FromEnvironment) on activation.
#pragma once

#include <cstdint>
#include <string>

#include "ipc/event_dispatcher.h"

namespace pm2 {

// The process's dispatcher, created on first use.
EventDispatcher& GetEventDispatcher();
// Destroys it (program exit): the transport detaches and the handlers still
// registered are forgotten. Safe when none exists.
void DestroyEventDispatcher();

// Attaches the transport once; true while attached. A failure is tried
// again on the next call; ActivationError() says why it failed.
bool ActivateIPDispatcher();
std::string ActivationError();
// True while another process holds the lock that lets processes attach
// one at a time (an activation then fails; it may get through once that
// process lets go).
bool AttachLockHeldElsewhere();
// This process's slot, -1 without one.
int32_t GetOwnSlotIndex();
bool HasSlot();

bool RegisterEventHandler(dtc_EventHandler& handler);
// False when no dispatcher exists.
bool UnregisterEventHandler(dtc_EventHandler& handler);
// The program's one way to send an event.
bool SendEvent(dtc_EventBase& event);

}  // namespace pm2
