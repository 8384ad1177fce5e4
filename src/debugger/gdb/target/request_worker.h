// The thread that does the driver's run requests (a run, a step, a stop
// request). The IDE calls the driver on its window's thread; a request
// that waits for gdb or its server (held, or slow on a busy machine) would
// hold the window for as long. The call hands the request over and returns
// at once, the request under way; its outcome reaches the IDE as every
// stop of the target does, posted. One request at a time, in the order
// they came, as gdb would have taken them from one caller.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pm2::gdb {

class RequestWorker {
 public:
  RequestWorker() = default;
  ~RequestWorker() { Stop(); }
  RequestWorker(const RequestWorker&) = delete;
  RequestWorker& operator=(const RequestWorker&) = delete;

  // Hands over a request of a kind (the caller's numbering). A request of
  // the same kind that still waits for its turn has it already: this one
  // is dropped (a second Esc while the first is not yet asked for), and
  // false said so. The thread starts with the first request.
  bool Post(int kind, std::function<void()> request);
  // A request is under way or waits for its turn.
  bool Busy() const;
  // Ends the thread once the request under way has ended; those still
  // waiting are dropped. The request under way may wait for the calling
  // thread (a text handed to the window's queue): `serve` runs on it
  // meanwhile, every few milliseconds. A later Post starts it again.
  void Stop(const std::function<void()>& serve = nullptr);
  // Waits until no request is under way or waiting, serving as Stop does.
  void Drain(const std::function<void()>& serve = nullptr);

 private:
  struct Request {
    int kind;
    std::function<void()> run;
  };
  void Loop();
  // Waits under `lock` until `done`, running `serve` unlocked between looks.
  template <typename Done>
  void WaitServing(std::unique_lock<std::mutex>& lock, Done done, const std::function<void()>& serve);

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<Request> m_waiting;
  bool m_running = false;   // a request is under way
  bool m_stopping = false;  // the thread ends after the request under way
  std::thread m_thread;
};

}  // namespace pm2::gdb
