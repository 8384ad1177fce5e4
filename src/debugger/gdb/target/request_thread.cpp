#include "debugger/gdb/target/request_thread.h"

#include <chrono>
#include <utility>

namespace pm2::gdb {

namespace {

// How often a close that waits for the thread serves the caller's work.
constexpr int kServeEveryMs = 20;

}  // namespace

RequestThread::~RequestThread() { Close(); }

bool RequestThread::Post(std::function<void()> request) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_closing) return false;
  m_queue.push_back(std::move(request));
  ++m_standing;
  // The thread starts with the first request: a session that never runs
  // the target has none.
  if (!m_thread.joinable()) {
    m_thread = std::thread([this] { Run(); });
    m_id = m_thread.get_id();
  }
  m_changed.notify_all();
  return true;
}

int RequestThread::Standing() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_standing;
}

bool RequestThread::OnThisThread() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_thread.joinable() && m_id == std::this_thread::get_id();
}

void RequestThread::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_closing || !m_queue.empty(); });
    if (m_queue.empty()) break;
    std::function<void()> request = std::move(m_queue.front());
    m_queue.pop_front();
    lock.unlock();
    request();
    lock.lock();
    --m_standing;
    m_changed.notify_all();
  }
  m_ended = true;
  m_changed.notify_all();
}

void RequestThread::Close(const std::function<void()>& serve) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_closing = true;
  m_changed.notify_all();
  if (!m_thread.joinable()) return;
  if (m_thread.get_id() == std::this_thread::get_id()) {
    // A request that ends the session itself: the thread ends after it.
    m_thread.detach();
    return;
  }
  while (!m_changed.wait_for(lock, std::chrono::milliseconds(kServeEveryMs), [this] { return m_ended; })) {
    if (!serve) continue;
    lock.unlock();
    serve();
    lock.lock();
  }
  lock.unlock();
  m_thread.join();
}

}  // namespace pm2::gdb
