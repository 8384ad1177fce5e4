// The connection of a test client process of the event interface: the
// names of one test run (name suffix and runtime folder), a dispatcher on
// the real transport, an inbox its handlers fill, requests sent until the
// ring takes them, and the WhoIs asked until the IDE answers with its
// identity (which un-mutes the IDE).
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "ipc/client_inbox.h"
#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"

namespace pm2::test {

class IpcTestClient {
 public:
  IpcTestClient(const char* suffix, const char* runtimeFolder)
      : m_ns(IpcNamespace::ForTest(suffix, runtimeFolder)),
        m_dispatcher([this](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
          return bs_InterProcessEventHandler::Attach(m_ns, sink, GetEventFactory(), err);
        }) {}

  EventDispatcher& Dispatcher() { return m_dispatcher; }
  ClientInbox& Inbox() { return m_inbox; }
  bool Activate() { return m_dispatcher.Activate(); }
  std::string Next(int ms = 10000) { return m_inbox.Next(ms); }

  // To every other process (destination -1) unless the event names one;
  // a full ring is tried again for up to two seconds.
  bool Send(dtc_EventBase& e, int32_t destination = -1) {
    e.m_nDestination = destination;
    for (int i = 0; i < 2000; ++i) {
      if (m_dispatcher.SendEvent(e)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  bool Send(dtc_EventBase&& e, int32_t destination = -1) { return Send(e, destination); }

  // WhoIs until an "identity <name>" text arrives (the handler of
  // dtc_Identify::Identity must make it); that text, else the last one.
  std::string Identify(int tries) {
    std::string s = "timeout";
    for (int i = 0; i < tries && s.rfind("identity ", 0) != 0; ++i) {
      Send(dtc_Identify::WhoIs());
      s = Next(200);
    }
    return s;
  }

  static void Say(const std::string& s) {
    std::printf("%s\n", s.c_str());
    std::fflush(stdout);
  }

 private:
  IpcNamespace m_ns;
  ClientInbox m_inbox;
  EventDispatcher m_dispatcher;
};

// A handler of event X on the client that notes each event as `fn`'s text.
template <class X>
struct On : Collect<X, EventHandlerRegistry> {
  On(IpcTestClient& c, std::function<std::string(X&)> f)
      : Collect<X, EventHandlerRegistry>(c.Dispatcher(), c.Inbox(), std::move(f)) {}
};

}  // namespace pm2::test
