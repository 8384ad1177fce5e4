// The process-wide entry points: a handler running on one thread reaches the
// dispatcher while another thread waits to unregister a handler.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include "ipc/event_base.h"
#include "ipc/ipc_interface.h"

namespace pm2 {
namespace {

// A type that stays in this process, so nothing is attached.
class Ping final : public dtc_Event<Ping> {
 public:
  static constexpr EventKey kKey {9, 1};
  uint32_t m_nRound = 0;
  Ping() = default;
  explicit Ping(uint32_t r) : m_nRound(r) {}
  template <class F>
  void ForEachField(F&& f) {
    f(m_nRound);
  }
  template <class F>
  void ForEachField(F&& f) const {
    f(m_nRound);
  }
};

class Pong final : public dtc_Event<Pong> {
 public:
  static constexpr EventKey kKey {9, 2};
  template <class F>
  void ForEachField(F&&) const {}
  template <class F>
  void ForEachField(F&&) {}
};

TEST(IpcInterface, HandlerReachesTheDispatcherWhileAnotherThreadUnregisters) {
  std::promise<void> entered;
  std::atomic<bool> unregistering {false};
  struct Replier : Ping::Handler {
    std::promise<void>* entered;
    std::atomic<bool>* unregistering;
    void Handle(Ping&) override {
      entered->set_value();
      while (!*unregistering) std::this_thread::yield();
      // Give the other thread time to block inside UnregisterEventHandler.
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      Pong reply;
      SendEvent(reply);  // a local event sent from a handler is queued
    }
  } replier;
  replier.entered = &entered;
  replier.unregistering = &unregistering;
  struct Bystander : Pong::Handler {
    void Handle(Pong&) override { ++pongs; }
    int pongs = 0;
  } bystander;

  auto delivery = std::async(std::launch::async, [] {
    Ping ping(1);
    return SendEvent(ping);
  });
  entered.get_future().wait();
  auto unregister = std::async(std::launch::async, [&bystander, &unregistering] {
    unregistering = true;
    return UnregisterEventHandler(bystander);
  });
  if (delivery.wait_for(std::chrono::seconds(10)) != std::future_status::ready ||
      unregister.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    std::fputs("deadlock between a delivery and UnregisterEventHandler\n", stderr);
    std::_Exit(1);  // the blocked threads cannot be joined
  }
  EXPECT_TRUE(delivery.get());
  EXPECT_TRUE(unregister.get());
  // The reply was queued behind the delivery; whether the bystander got it
  // depends on which thread won, but it is unregistered now.
  int before = bystander.pongs;
  Pong again;
  SendEvent(again);
  EXPECT_EQ(bystander.pongs, before);
  DestroyEventDispatcher();
}

}  // namespace
}  // namespace pm2
