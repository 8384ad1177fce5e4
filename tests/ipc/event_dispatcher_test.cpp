// Delivery by key, re-entrant deliveries, registration changes during a
// delivery and sending through a transport.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ipc/event_catalog.h"
#include "ipc/event_dispatcher.h"

namespace pm2 {
namespace {

// A type that stays in this process.
class LocalNote final : public dtc_Event<LocalNote> {
 public:
  static constexpr EventKey kKey {7, 1};
  std::string m_strText;
  LocalNote() = default;
  explicit LocalNote(std::string t) : m_strText(std::move(t)) {}
  template <class F>
  void ForEachField(F&& f) {
    f(m_strText);
  }
  template <class F>
  void ForEachField(F&& f) const {
    f(m_strText);
  }
};

using Log = std::vector<std::string>;

class NoteHandler : public LocalNote::Handler {
 public:
  NoteHandler(EventDispatcher& d, Log& log, std::string name, std::function<void(NoteHandler&, LocalNote&)> act = {})
      : LocalNote::Handler(d), m_log(log), m_name(std::move(name)), m_act(std::move(act)) {}
  void Handle(LocalNote& e) override {
    m_log.push_back(m_name + ":" + e.m_strText);
    if (m_act) m_act(*this, e);
  }

 private:
  Log& m_log;
  std::string m_name;
  std::function<void(NoteHandler&, LocalNote&)> m_act;
};

TEST(EventDispatcher, EventsSentFromAHandlerFollowTheCurrentDeliveryInOrder) {
  EventDispatcher d;
  Log log;
  NoteHandler h(d, log, "h", [&d](NoteHandler&, LocalNote& e) {
    if (e.m_strText == "first") {
      LocalNote a("a"), b("b");
      EXPECT_FALSE(d.SendEvent(a));  // queued, not delivered now
      EXPECT_FALSE(d.SendEvent(b));
    }
  });
  NoteHandler h2(d, log, "h2");
  LocalNote first("first");
  EXPECT_TRUE(d.SendEvent(first));
  // Both handlers see "first" before either sees the queued ones.
  std::vector<std::string> order;
  for (const std::string& s : log) order.push_back(s.substr(s.find(':') + 1));
  EXPECT_EQ(order, (std::vector<std::string> {"first", "first", "a", "a", "b", "b"}));
}

TEST(EventDispatcher, RegistrationChangesDuringADelivery) {
  EventDispatcher d;
  Log log;
  std::unique_ptr<NoteHandler> late;
  NoteHandler quitter(d, log, "quitter", [&d](NoteHandler& self, LocalNote& e) {
    if (e.m_strText == "1") {
      EXPECT_TRUE(d.Unregister(self));
      EXPECT_FALSE(d.Unregister(self));  // already inactive
      EXPECT_FALSE(d.Register(self));    // refused while its inactive entry exists
    }
  });
  NoteHandler adder(d, log, "adder", [&](NoteHandler&, LocalNote& e) {
    if (e.m_strText == "1" && !late) late = std::make_unique<NoteHandler>(d, log, "late");
  });
  LocalNote one("1"), two("2");
  d.Deliver(one);
  d.Deliver(two);
  // "late" joined during "1" and still got it, once, after the others.
  Log expected1 {"quitter:1", "adder:1", "late:1"};
  if (&adder < &quitter) expected1 = {"adder:1", "quitter:1", "late:1"};
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(Log(log.begin(), log.begin() + 3), expected1);
  Log rest(log.begin() + 3, log.end());
  std::sort(rest.begin(), rest.end());
  EXPECT_EQ(rest, (Log {"adder:2", "late:2"}));
  EXPECT_FALSE(d.Unregister(quitter));
  late.reset();
}

TEST(EventDispatcher, HandlersOfOneKeyRunInAddressOrder) {
  EventDispatcher d;
  Log log;
  std::vector<std::unique_ptr<NoteHandler>> handlers;
  for (int i = 0; i < 8; ++i) handlers.push_back(std::make_unique<NoteHandler>(d, log, std::to_string(i)));
  LocalNote n("x");
  d.Deliver(n);
  std::vector<NoteHandler*> byAddress;
  for (auto& h : handlers) byAddress.push_back(h.get());
  std::sort(byAddress.begin(), byAddress.end());
  ASSERT_EQ(log.size(), 8u);
  for (size_t i = 0; i < 8; ++i) {
    size_t idx = static_cast<size_t>(std::find_if(handlers.begin(), handlers.end(),
                                                  [&](auto& h) { return h.get() == byAddress[i]; }) -
                                     handlers.begin());
    EXPECT_EQ(log[i], std::to_string(idx) + ":x");
  }
}

TEST(EventDispatcher, ThrowingHandlerDoesNotStopTheOthersOrTheNextDelivery) {
  EventDispatcher d;
  Log log;
  NoteHandler a(d, log, "a", [](NoteHandler&, LocalNote&) { throw std::runtime_error("bad"); });
  NoteHandler b(d, log, "b", [](NoteHandler&, LocalNote&) { throw 1; });
  LocalNote n1("1"), n2("2");
  EXPECT_TRUE(d.Deliver(n1));
  EXPECT_TRUE(d.Deliver(n2));
  EXPECT_EQ(log.size(), 4u);
}

TEST(EventDispatcher, HandlerOutlivingItsDispatcherLeavesQuietly) {
  Log log;
  auto d = std::make_unique<EventDispatcher>();
  NoteHandler h(*d, log, "h");
  EXPECT_EQ(h.Registry(), d.get());
  d.reset();
  EXPECT_EQ(h.Registry(), nullptr);
}

class FakeTransport final : public EventTransport {
 public:
  explicit FakeTransport(std::vector<EventKey>& sent) : m_sent(sent) {}
  bool Send(const dtc_EventBase& e) override {
    m_sent.push_back(e.GetKey());
    return true;
  }
  bool HasSlot() const override { return true; }
  int OwnSlot() const override { return 3; }

 private:
  std::vector<EventKey>& m_sent;
};

TEST(EventDispatcher, RemoteEventsNeedAnActivatedTransportAndActivationIsRetried) {
  std::vector<EventKey> sent;
  int attempts = 0;
  EventDispatcher d([&](EventSink&, std::string* err) -> std::unique_ptr<EventTransport> {
    if (++attempts == 1) {
      *err = "Cannot open the shared memory '/x': Permission denied";
      return nullptr;
    }
    return std::make_unique<FakeTransport>(sent);
  });
  dtc_Identify::WhoIs who;
  EXPECT_FALSE(d.SendEvent(who));
  EXPECT_FALSE(d.Activate());
  EXPECT_EQ(d.ActivationError(), "Cannot open the shared memory '/x': Permission denied");
  EXPECT_EQ(d.OwnSlot(), -1);
  EXPECT_TRUE(d.Activate());
  EXPECT_TRUE(d.Activate());
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(d.OwnSlot(), 3);
  EXPECT_TRUE(d.SendEvent(who));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], dtc_Identify::WhoIs::kKey);
}

TEST(EventDispatcher, HandlerThatLeftOutlivesTheDispatcherSafely) {
  Log log;
  // Unregistered directly and inside a delivery (inactive, then purged):
  // neither may call back into the dispatcher once it is gone.
  auto d = std::make_unique<EventDispatcher>();
  NoteHandler direct(*d, log, "direct");
  NoteHandler inside(*d, log, "inside", [&d](NoteHandler& self, LocalNote&) { d->Unregister(self); });
  EXPECT_TRUE(d->Unregister(direct));
  LocalNote note("n");
  d->SendEvent(note);
  EXPECT_EQ(direct.Registry(), nullptr);
  EXPECT_EQ(inside.Registry(), nullptr);
  d.reset();  // the handlers' destructors run after this
}

}  // namespace
}  // namespace pm2
