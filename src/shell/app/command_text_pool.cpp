#include "shell/app/command_text_pool.h"

#include <cstring>

namespace pm2 {

const char* CommandTextPool::Get(const char* text, bool echo) {
  if (!text) return nullptr;
  std::size_t length = std::strlen(text);
  if (length >= kBufferSize) return nullptr;
  for (int i = 0; i < kBuffers; ++i) {
    bool expected = false;
    if (m_used[i].compare_exchange_strong(expected, true)) {
      std::memcpy(m_text[i], text, length + 1);
      m_echo[i] = echo;
      return m_text[i];
    }
  }
  return nullptr;
}

bool CommandTextPool::IsEcho(const char* text) const {
  for (int i = 0; i < kBuffers; ++i)
    if (text == m_text[i]) return m_echo[i];
  return false;
}

bool CommandTextPool::Release(const char* text) {
  for (int i = 0; i < kBuffers; ++i) {
    if (text == m_text[i]) {
      m_text[i][0] = '\0';
      m_echo[i] = false;
      m_used[i].store(false);
      return true;
    }
  }
  return false;
}

int CommandTextPool::InUse() const {
  int n = 0;
  for (const auto& u : m_used) n += u.load() ? 1 : 0;
  return n;
}

}  // namespace pm2
