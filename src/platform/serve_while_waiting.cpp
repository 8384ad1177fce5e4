#include "platform/serve_while_waiting.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

namespace pm2 {

void WaitServing(const std::function<void()>& wait, const GuiCallServer& serve) {
  if (!serve) {
    wait();
    return;
  }
  std::mutex lock;
  std::condition_variable ended;
  bool done = false;
  std::thread waiter([&] {
    wait();
    std::lock_guard<std::mutex> guard(lock);
    done = true;
    ended.notify_all();
  });
  std::unique_lock<std::mutex> guard(lock);
  while (!done) {
    guard.unlock();
    serve();
    guard.lock();
    // A worker's call is queued without waking this thread: look again soon.
    ended.wait_for(guard, std::chrono::milliseconds(2), [&] { return done; });
  }
  guard.unlock();
  waiter.join();
}

namespace {
// A join under way on this thread: its holder, and the end of the thread
// it joins.
struct Joining {
  std::mutex lock;
  std::condition_variable ended;
  bool done = false;
};
std::map<const std::thread*, std::shared_ptr<Joining>>& JoinsUnderWay() {
  thread_local std::map<const std::thread*, std::shared_ptr<Joining>> joins;
  return joins;
}
}  // namespace

void JoinServing(std::thread& thread, const GuiCallServer& serve) {
  // A call served while this thread joins may ask to join the same holder
  // again (a peer's request that ends the runs): two joins of one thread
  // are an error that ends the program, so the second waits for the
  // first's end instead, serving as well.
  auto& joins = JoinsUnderWay();
  if (const auto under = joins.find(&thread); under != joins.end()) {
    const std::shared_ptr<Joining> first = under->second;
    WaitServing(
        [first] {
          std::unique_lock<std::mutex> guard(first->lock);
          first->ended.wait(guard, [&] { return first->done; });
        },
        serve);
    return;
  }
  if (!thread.joinable()) return;
  const auto joining = std::make_shared<Joining>();
  joins[&thread] = joining;
  WaitServing(
      [&thread, joining] {
        thread.join();
        std::lock_guard<std::mutex> guard(joining->lock);
        joining->done = true;
        joining->ended.notify_all();
      },
      serve);
  joins.erase(&thread);
}

}  // namespace pm2
