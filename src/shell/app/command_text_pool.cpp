#include "shell/app/command_text_pool.h"

#include <cstring>

namespace pm2 {

const char* CommandTextPool::Get(const char* text, bool echo) {
  if (!text) return nullptr;
  std::size_t length = std::strlen(text);
  if (length < kBufferSize)
    for (int i = 0; i < kBuffers; ++i) {
      bool expected = false;
      if (m_used[i].compare_exchange_strong(expected, true)) {
        std::memcpy(m_text[i], text, length + 1);
        m_echo[i] = echo;
        return m_text[i];
      }
    }
  Spill spill{std::make_unique<char[]>(length + 1), echo};
  std::memcpy(spill.text.get(), text, length + 1);
  const char* copy = spill.text.get();
  std::lock_guard<std::mutex> lock(m_spillMutex);
  m_spilled.emplace(copy, std::move(spill));
  return copy;
}

bool CommandTextPool::Owns(const char* text) const {
  for (int i = 0; i < kBuffers; ++i)
    if (text == m_text[i]) return true;
  std::lock_guard<std::mutex> lock(m_spillMutex);
  return m_spilled.count(text) != 0;
}

bool CommandTextPool::IsEcho(const char* text) const {
  for (int i = 0; i < kBuffers; ++i)
    if (text == m_text[i]) return m_echo[i];
  std::lock_guard<std::mutex> lock(m_spillMutex);
  auto it = m_spilled.find(text);
  return it != m_spilled.end() && it->second.echo;
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
  std::lock_guard<std::mutex> lock(m_spillMutex);
  return m_spilled.erase(text) != 0;
}

int CommandTextPool::InUse() const {
  int n = 0;
  for (const auto& u : m_used) n += u.load() ? 1 : 0;
  return n;
}

}  // namespace pm2
