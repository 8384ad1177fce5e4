// What worker threads hand to the GUI thread without waiting for it: the
// build-page lines (code 6, their text copied, a null text the page's
// clear) and the posted notifications among them, in the order the
// workers gave them. The build thread goes on while the window paints, and
// the GUI thread takes everything queued so far in one go. What a posted
// notification's argument points at is copied when it is queued
// (posted_argument.h): its poster may free it before the GUI thread comes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "shell/app/posted_argument.h"

namespace pm2 {

class NotificationQueue {
 public:
  // Beyond this many waiting entries a worker waits for the GUI thread, so
  // a tool that writes faster than the window shows holds no unbounded
  // queue.
  static constexpr std::size_t kMaxWaiting = 4096;

  struct Entry {
    int code = 0;
    PostedArgument posted;            // a posted notification's argument
    std::optional<std::string> text;  // a line's copy; none for a null line
    // The argument to hand the handler: the copy for a line.
    intptr_t Arg() const { return text ? reinterpret_cast<intptr_t>(text->c_str()) : posted.Arg(); }
  };

  // Queue a line (a copy of text; null: the clear) or a posted
  // notification. True when the queue was empty before: the caller then
  // tells the GUI thread once for the lot.
  bool PushLine(int code, const char* text);
  bool PushPosted(int code, intptr_t arg);
  // Everything queued so far, oldest first; the queue is empty after.
  std::vector<Entry> TakeAll();
  std::size_t Waiting() const;

 private:
  bool Push(Entry e);
  mutable std::mutex m_lock;
  std::deque<Entry> m_entries;
};

}  // namespace pm2
