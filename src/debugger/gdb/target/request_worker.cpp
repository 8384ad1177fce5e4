#include "debugger/gdb/target/request_worker.h"

#include <chrono>
#include <utility>

namespace pm2::gdb {

namespace {

// How often a thread that waits for the requests serves its own queue.
constexpr int kServeEveryMs = 10;

}  // namespace

bool RequestWorker::Post(int kind, std::function<void()> request) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Request& r : m_waiting)
      if (r.kind == kind) return false;
    m_waiting.push_back({kind, std::move(request)});
    if (!m_thread.joinable()) {
      m_stopping = false;
      m_thread = std::thread([this] { Loop(); });
    }
  }
  m_changed.notify_all();
  return true;
}

bool RequestWorker::Busy() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_running || !m_waiting.empty();
}

void RequestWorker::Loop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return m_stopping || !m_waiting.empty(); });
    if (m_stopping) break;
    Request next = std::move(m_waiting.front());
    m_waiting.pop_front();
    m_running = true;
    lock.unlock();
    next.run();
    lock.lock();
    m_running = false;
    m_changed.notify_all();
  }
  m_waiting.clear();
  m_running = false;
  m_changed.notify_all();
}

template <typename Done>
void RequestWorker::WaitServing(std::unique_lock<std::mutex>& lock, Done done, const std::function<void()>& serve) {
  if (!serve) {
    m_changed.wait(lock, done);
    return;
  }
  while (!m_changed.wait_for(lock, std::chrono::milliseconds(kServeEveryMs), done)) {
    lock.unlock();
    serve();
    lock.lock();
  }
}

void RequestWorker::Drain(const std::function<void()>& serve) {
  std::unique_lock<std::mutex> lock(m_mutex);
  WaitServing(lock, [&] { return !m_running && m_waiting.empty(); }, serve);
}

void RequestWorker::Stop(const std::function<void()>& serve) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_thread.joinable()) return;
  m_stopping = true;
  m_waiting.clear();
  m_changed.notify_all();
  WaitServing(lock, [&] { return !m_running; }, serve);
  std::thread ended = std::move(m_thread);
  lock.unlock();
  ended.join();
}

}  // namespace pm2::gdb
