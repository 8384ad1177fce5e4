#include "debugger/model/command_output.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace pm2 {

std::string DriverRefusal(std::string_view printed) {
  for (const char* marker : {"*** error: ", "*** Error: "}) {
    const std::size_t at = printed.find(marker);
    if (at == std::string_view::npos) continue;
    std::string_view reason = printed.substr(at + std::strlen(marker));
    reason = reason.substr(0, reason.find_first_of("\r\n"));
    if (!reason.empty()) return std::string(reason);
  }
  return {};
}

std::string CommandHelpWord(const std::string& line) {
  const std::string head = line.substr(0, 128);
  size_t i = head.find_first_not_of(' ');
  std::string word;
  for (; i < head.size() && word.size() < 64; ++i) {
    const char c = head[i];
    if (!(std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '?')) break;
    word.push_back(c);
  }
  return word;
}

bool CommandErrorLine(const std::string& line, uint32_t* number) {
  if (line.size() < 10 || line.size() > 254 || line.compare(0, 4, "*** ") != 0) return false;
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return false;
  size_t start = colon;
  while (start > 0 && std::isdigit(static_cast<unsigned char>(line[start - 1]))) --start;
  uint32_t n = 0;
  for (size_t i = start; i < colon && i < start + 9; ++i) n = n * 10 + uint32_t(line[i] - '0');
  *number = n;
  return true;
}

size_t CommandOutput::Append(const char* text) {
  if (!text) {
    m_lines.clear();
    m_pending.clear();
    m_chars = 0;
    m_longest = 0;
    m_cursor = 0;
    return 0;
  }
  size_t n = 0;
  for (; text[n]; ++n) {
    const char c = text[n];
    if (c == '\r') continue;
    if (c == '\n') {
      AddLine(std::move(m_pending));
      m_pending.clear();
      continue;
    }
    if (m_pending.size() >= kMaxLine) {
      AddLine(std::move(m_pending));
      m_pending.clear();
    }
    m_pending.push_back(c == '\t' ? ' ' : c);
  }
  return n;
}

void CommandOutput::DropFront() {
  m_chars -= m_lines.front().text.size() + 1;
  m_lines.pop_front();
  ++m_dropped;
}

void CommandOutput::AddLine(std::string line) {
  if (line.size() > kMaxLine) line.resize(kMaxLine);
  m_longest = std::max(m_longest, line.size() + 1);
  if (m_lines.size() >= kMaxLines)
    for (size_t i = 0; i < kDropLines && !m_lines.empty(); ++i) DropFront();
  while (!m_lines.empty() && m_chars + line.size() + 1 >= kMaxChars) DropFront();
  m_chars += line.size() + 1;
  const bool selected = m_echo && !line.empty();
  m_echo = false;
  m_lines.push_back({std::move(line), selected, false});
  m_cursor = m_lines.size();
}

void CommandOutput::Select(size_t line, bool on) {
  if (line < m_lines.size()) m_lines[line].selected = on;
}

void CommandOutput::Pick(size_t line, bool on) {
  if (line < m_lines.size()) m_lines[line].picked = on;
}

bool CommandOutput::Enter(const std::string& typed, std::string* line) {
  std::string text = typed.substr(0, kMaxTyped);
  SetEcho();
  AddLine(text);
  if (text.empty() || text.back() != '\n') text.push_back('\n');
  if (RequestPending()) {
    // The copy stays inside the requester's buffer, whatever the line's length.
    const size_t room = m_request.capacity ? m_request.capacity - 1 : 0;
    const size_t n = std::min(text.size(), room);
    if (m_request.capacity) {
      std::memcpy(m_request.buffer, text.data(), n);
      m_request.buffer[n] = '\0';
    }
    if (m_request.length) *m_request.length = static_cast<uint32_t>(n);
    m_request = {};
    return false;
  }
  *line = std::move(text);
  return true;
}

bool CommandOutput::HistoryUp(std::string* text) {
  if (m_cursor > m_lines.size()) m_cursor = m_lines.size();
  while (m_cursor > 0) {
    --m_cursor;
    if (m_lines[m_cursor].selected) {
      *text = m_lines[m_cursor].text;
      return true;
    }
  }
  return false;
}

bool CommandOutput::HistoryDown(std::string* text) {
  if (m_lines.empty() || m_cursor + 1 >= m_lines.size()) {
    m_cursor = m_lines.size();
    return false;
  }
  while (++m_cursor < m_lines.size()) {
    if (m_lines[m_cursor].selected) {
      *text = m_lines[m_cursor].text;
      return true;
    }
  }
  m_cursor = m_lines.size();
  return false;
}

void CommandOutput::SetPrompt(const char* text) {
  if (!text) {
    m_prompt = ">";
    m_request = {};
    return;
  }
  m_prompt = text;
  if (m_prompt.size() > kMaxPrompt) m_prompt = m_prompt.substr(m_prompt.size() - kMaxPrompt);
}

void CommandOutput::Request(const CommandInputRequest& request) {
  m_request = request;
  if (request.prompt && *request.prompt) SetPrompt(request.prompt);
}

}  // namespace pm2
