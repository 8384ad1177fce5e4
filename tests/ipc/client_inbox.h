// The inbox of a test client of the event interface: its handlers push one
// text per event received, the client's main thread takes them in order.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace pm2::test {

class ClientInbox {
 public:
  void Push(std::string s) {
    std::lock_guard<std::mutex> g(m_lock);
    m_texts.push_back(std::move(s));
    m_cv.notify_all();
  }
  // The next text, or "timeout" when none comes within `ms`.
  std::string Next(int ms = 10000) {
    std::unique_lock<std::mutex> g(m_lock);
    if (!m_cv.wait_for(g, std::chrono::milliseconds(ms), [this] { return !m_texts.empty(); })) return "timeout";
    std::string s = m_texts.front();
    m_texts.pop_front();
    return s;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_cv;
  std::deque<std::string> m_texts;
};

// A handler of event X that notes each event as the text `fn` makes of it.
template <class X, class Registry>
struct Collect : X::Handler {
  Collect(Registry& r, ClientInbox& inbox, std::function<std::string(X&)> f)
      : X::Handler(r), box(inbox), fn(std::move(f)) {}
  void Handle(X& e) override { box.Push(fn(e)); }
  ClientInbox& box;
  std::function<std::string(X&)> fn;
};

}  // namespace pm2::test
