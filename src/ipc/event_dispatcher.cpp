#include "ipc/event_dispatcher.h"

namespace pm2 {

EventDispatcher::EventDispatcher(TransportAttacher attacher) : m_attacher(std::move(attacher)) {}

EventDispatcher::~EventDispatcher() {
  m_pTransport = nullptr;
  m_transport.reset();
  for (auto& [key, set] : m_handlers)
    for (auto& [handler, active] : set)
      if (handler->Registry() == this) handler->SetRegistry(nullptr);
  for (dtc_EventHandler* handler : m_sideSet)
    if (handler->Registry() == this) handler->SetRegistry(nullptr);
}

bool EventDispatcher::Activate() {
  std::lock_guard<std::mutex> guard(m_activateLock);
  if (m_transport) return true;
  if (!m_attacher) {
    m_activationError = "No transport to attach";
    return false;
  }
  m_activationError.clear();
  m_transport = m_attacher(*this, &m_activationError);
  m_pTransport = m_transport.get();
  return m_transport != nullptr;
}

std::string EventDispatcher::ActivationNote() const {
  EventTransport* t = m_pTransport.load();
  return t ? t->AttachNote() : std::string();
}

bool EventDispatcher::HasSlot() const {
  EventTransport* t = m_pTransport.load();
  return t && t->HasSlot();
}

int EventDispatcher::OwnSlot() const {
  EventTransport* t = m_pTransport.load();
  return t ? t->OwnSlot() : -1;
}

bool EventDispatcher::SendEvent(dtc_EventBase& event) {
  if (event.IsRemote()) {
    EventTransport* t = m_pTransport.load();
    return t && t->HasSlot() && t->Send(event);
  }
  return Deliver(event);
}

bool EventDispatcher::SendToEveryPeer(dtc_EventBase& event) {
  EventTransport* t = m_pTransport.load();
  return event.IsRemote() && t && t->HasSlot() && t->SendToEveryPeer(event);
}

bool EventDispatcher::OnDeliveringThread() const {
  return m_delivering.load() && m_deliveringThread.load() == std::this_thread::get_id();
}

bool EventDispatcher::Register(dtc_EventHandler& handler) {
  std::unique_lock<std::mutex> lock(m_lock, std::defer_lock);
  if (!OnDeliveringThread()) lock.lock();
  EventKey key = handler.GetKey();
  HandlerSet& set = m_handlers[key];
  bool added;
  if (m_delivering && key == m_currentKey)
    added = !set.count(&handler) && m_sideSet.insert(&handler).second;
  else
    added = set.emplace(&handler, true).second;
  if (added) handler.SetRegistry(this);
  return added;
}

bool EventDispatcher::Unregister(dtc_EventHandler& handler) {
  std::unique_lock<std::mutex> lock(m_lock, std::defer_lock);
  if (!OnDeliveringThread()) lock.lock();
  EventKey key = handler.GetKey();
  // A handler that has left forgets this registry, so its destructor does
  // not come back to a dispatcher that may be gone by then.
  auto left = [&handler, this] {
    if (handler.Registry() == this) handler.SetRegistry(nullptr);
    return true;
  };
  if (m_delivering && key == m_currentKey && m_sideSet.erase(&handler)) return left();
  auto setIt = m_handlers.find(key);
  if (setIt == m_handlers.end()) return false;
  auto it = setIt->second.find(&handler);
  if (it == setIt->second.end() || !it->second) return false;
  if (m_delivering)
    it->second = false;
  else
    setIt->second.erase(it);
  return left();
}

bool EventDispatcher::Deliver(dtc_EventBase& event) {
  if (OnDeliveringThread()) {
    m_cloneQueue.push_back(event.Clone());
    return false;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  m_currentKey = event.GetKey();
  m_deliveringThread = std::this_thread::get_id();
  m_delivering = true;
  m_sideSet.clear();
  DeliverToHandlers(event);
  while (!m_cloneQueue.empty()) {
    std::unique_ptr<dtc_EventBase> clone = std::move(m_cloneQueue.front());
    m_cloneQueue.pop_front();
    m_currentKey = clone->GetKey();
    m_sideSet.clear();
    DeliverToHandlers(*clone);
  }
  m_delivering = false;
  m_deliveringThread = std::thread::id();
  return true;
}

void EventDispatcher::CallHandler(dtc_EventBase& event, dtc_EventHandler& handler) {
  // A handler that throws must not stop the others or leave the dispatcher
  // in its delivering state; the exception has nowhere useful to go.
  try {
    event.DispatchTo(handler);
  } catch (...) {
  }
}

void EventDispatcher::DeliverToHandlers(dtc_EventBase& event) {
  auto setIt = m_handlers.find(m_currentKey);
  if (setIt == m_handlers.end()) return;
  // Handlers on this thread only mark entries or fill the side set, so the
  // walk's iterators stay valid.
  for (auto& [handler, active] : setIt->second)
    if (active) CallHandler(event, *handler);
  PurgeInactiveHandlers();
  while (!m_sideSet.empty()) {
    dtc_EventHandler* handler = *m_sideSet.begin();
    m_sideSet.erase(m_sideSet.begin());
    m_handlers[m_currentKey][handler] = true;
    CallHandler(event, *handler);
  }
  PurgeInactiveHandlers();
}

void EventDispatcher::PurgeInactiveHandlers() {
  for (auto& [key, set] : m_handlers)
    std::erase_if(set, [](const auto& entry) { return !entry.second; });
}

}  // namespace pm2
