#include "shell/windows/notification_queue.h"

#include <iterator>

namespace pm2 {

bool NotificationQueue::PushLine(int code, const char* text) {
  Entry e;
  e.code = code;
  if (text) e.text = std::string(text);
  return Push(std::move(e));
}

bool NotificationQueue::PushPosted(int code, intptr_t arg) {
  Entry e;
  e.code = code;
  e.posted = PostedArgument(code, arg);
  return Push(std::move(e));
}

bool NotificationQueue::Push(Entry e) {
  std::lock_guard<std::mutex> g(m_lock);
  const bool wasEmpty = m_entries.empty();
  m_entries.push_back(std::move(e));
  return wasEmpty;
}

std::vector<NotificationQueue::Entry> NotificationQueue::TakeAll() {
  std::lock_guard<std::mutex> g(m_lock);
  std::vector<Entry> out(std::make_move_iterator(m_entries.begin()), std::make_move_iterator(m_entries.end()));
  m_entries.clear();
  return out;
}

std::size_t NotificationQueue::Waiting() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_entries.size();
}

}  // namespace pm2
