// g_CmdTextPool: 32 buffers of 1024 bytes that carry command-window texts
// posted from other threads (notification code 16). The sender claims a
// buffer and copies its text in; the GUI thread frees it after showing the
// text. Claims are atomic, so two senders never get the same buffer. A
// buffer also carries whether its text is the driver's echo of a command,
// so a posted echo lands as one printed on the GUI thread does.
#pragma once

#include <atomic>
#include <cstddef>

namespace pm2 {

class CommandTextPool {
 public:
  static constexpr int kBuffers = 32;
  static constexpr std::size_t kBufferSize = 1024;

  // A buffer holding a copy of text; null when the text has 1024
  // characters or more, or every buffer is in use.
  const char* Get(const char* text, bool echo = false);
  // True when text is a buffer claimed for the driver's echo.
  bool IsEcho(const char* text) const;
  // True when text is one of the pool's buffers; that buffer is then free.
  bool Release(const char* text);
  int InUse() const;

 private:
  char m_text[kBuffers][kBufferSize] = {};
  bool m_echo[kBuffers] = {};  // written by the claimer before the post
  std::atomic<bool> m_used[kBuffers] = {};
};

}  // namespace pm2
