// The thread that runs the IDE's run control (a run, a step, a stop
// request) for the driver, so that the caller, the GUI thread, never waits
// on gdb or its server: a request is queued and the call returns at once;
// what it comes to is said when it comes (the target's stop, the command
// page's words when a wait on gdb reaches its bound).
// Requests run one at a time in the order they came, so a stop request
// asked for right after a run goes to gdb after the run has gone.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pm2::gdb {

class RequestThread {
 public:
  RequestThread() = default;
  ~RequestThread();
  RequestThread(const RequestThread&) = delete;
  RequestThread& operator=(const RequestThread&) = delete;

  // Queues a request; false once the thread was closed.
  bool Post(std::function<void()> request);
  // Requests queued or under way.
  int Standing() const;
  // Whether the calling thread is this one.
  bool OnThisThread() const;
  // Waits until every request has run and the thread has ended. A request
  // may hand work to the caller's thread meanwhile (a blocking call into
  // the GUI thread): `serve` runs it while the close waits.
  void Close(const std::function<void()>& serve = nullptr);

 private:
  void Run();

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<std::function<void()>> m_queue;
  int m_standing = 0;
  bool m_closing = false;
  bool m_ended = false;
  std::thread m_thread;
  std::thread::id m_id;
};

}  // namespace pm2::gdb
