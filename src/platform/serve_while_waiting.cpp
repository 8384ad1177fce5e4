#include "platform/serve_while_waiting.h"

#include <chrono>
#include <condition_variable>
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

void JoinServing(std::thread& thread, const GuiCallServer& serve) {
  if (!thread.joinable()) return;
  WaitServing([&thread] { thread.join(); }, serve);
}

}  // namespace pm2
