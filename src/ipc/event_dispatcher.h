// The per-process switchboard of the event interface: handlers register for
// one event key each; incoming and local events are delivered to the
// handlers of their key; remote events are sent through the transport.
//
// Delivery is re-entrant-safe. The thread that is delivering never takes
// the lock again: events it delivers meanwhile are queued as clones and
// delivered after the current one, in the order sent; handlers it registers
// for the key being delivered go to a side set and still receive the
// current event, after the others; handlers it unregisters are marked
// inactive and erased when the delivery to handlers ends.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "ipc/event_base.h"

namespace pm2 {

// Receives the events that arrive from other processes.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual bool Deliver(dtc_EventBase& event) = 0;
};

// The dispatcher's road to other processes.
class EventTransport {
 public:
  virtual ~EventTransport() = default;
  virtual bool Send(const dtc_EventBase& event) = 0;
  // An event for every other process (destination -1): true when it reached
  // at least one of them (Send tells only how the write to the last one
  // went).
  virtual bool SendToEveryPeer(const dtc_EventBase& event) { return Send(event); }
  virtual bool HasSlot() const = 0;
  virtual int OwnSlot() const = 0;  // -1 without a slot
  // What the user should know of an attach that succeeded (another user
  // blocks the usual names, say); "" when nothing.
  virtual std::string AttachNote() const { return {}; }
};

// Attaches a transport that delivers into the sink; null (with *err) when
// it cannot.
using TransportAttacher = std::function<std::unique_ptr<EventTransport>(EventSink& sink, std::string* err)>;

class EventDispatcher final : public EventSink, public EventHandlerRegistry {
 public:
  explicit EventDispatcher(TransportAttacher attacher = {});
  // Detaches the transport first (its receiver thread ends), then forgets
  // the handlers so that their destructors do not come back here.
  ~EventDispatcher() override;
  EventDispatcher(const EventDispatcher&) = delete;
  EventDispatcher& operator=(const EventDispatcher&) = delete;

  // Attaches the transport once; a failure is tried again on the next call.
  bool Activate();
  // True once a transport is attached (without waiting for an activation
  // under way on another thread).
  bool Active() const { return m_pTransport.load() != nullptr; }
  const std::string& ActivationError() const { return m_activationError; }
  // The transport's note on its attach (EventTransport::AttachNote); "" when
  // none or not active.
  std::string ActivationNote() const;
  bool HasSlot() const;
  int OwnSlot() const;

  // Remote events go to the transport (false without a slot); local ones
  // are delivered here.
  bool SendEvent(dtc_EventBase& event);
  // A remote event for every other process (destination -1): true when at
  // least one took it (false without a slot or without another process).
  bool SendToEveryPeer(dtc_EventBase& event);

  bool Register(dtc_EventHandler& handler) override;
  bool Unregister(dtc_EventHandler& handler) override;
  // True when the event was delivered now; false when it was queued behind
  // the running delivery of this thread.
  bool Deliver(dtc_EventBase& event) override;

 private:
  // handler -> active; ordered by the handler's address.
  using HandlerSet = std::map<dtc_EventHandler*, bool>;

  bool OnDeliveringThread() const;
  void DeliverToHandlers(dtc_EventBase& event);
  void PurgeInactiveHandlers();
  static void CallHandler(dtc_EventBase& event, dtc_EventHandler& handler);

  std::map<EventKey, HandlerSet> m_handlers;
  std::set<dtc_EventHandler*> m_sideSet;
  std::deque<std::unique_ptr<dtc_EventBase>> m_cloneQueue;
  std::mutex m_lock;
  EventKey m_currentKey;
  std::atomic<std::thread::id> m_deliveringThread {};
  std::atomic<bool> m_delivering {false};

  TransportAttacher m_attacher;
  std::mutex m_activateLock;
  std::unique_ptr<EventTransport> m_transport;
  std::atomic<EventTransport*> m_pTransport {nullptr};
  std::string m_activationError;
};

}  // namespace pm2
