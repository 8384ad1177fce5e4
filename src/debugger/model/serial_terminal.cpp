#include "debugger/model/serial_terminal.h"

#include <algorithm>
#include <cstdio>

namespace pm2 {

SerialTerminal::SerialTerminal() : m_text(kTextSize), m_hex(kHexSize) { m_lines.push_back(0); }

void SerialTerminal::Reset() {
  m_start = m_end = 0;
  m_lines.assign(1, 0);
  m_column = m_longest = 0;
  m_hexStart = m_hexEnd = 0;
  ++m_written;
}

void SerialTerminal::PutChar(uint16_t value) {
  PutHex(value);
  PutText(uint8_t(value & 0xFF));
}

void SerialTerminal::DropOldestLine() {
  // The ring is full: the oldest line goes. Lines wrap at 255 characters,
  // so a full ring always holds completed lines.
  if (m_lines.size() > 1) {
    m_lines.pop_front();
    m_start = m_lines.front();
  } else {
    // A current line as long as the ring cannot be, but stay safe.
    ++m_start;
    m_lines.front() = m_start;
    if (m_column > 0) --m_column;
  }
}

void SerialTerminal::StoreAppend(uint8_t c) {
  if (m_end - m_start >= kTextSize) DropOldestLine();
  m_text[m_end % kTextSize] = c;
  ++m_end;
}

void SerialTerminal::LineFeed() {
  const uint64_t lineStart = m_lines.back();
  if (m_column == 0 && m_end == lineStart) StoreAppend(255);
  StoreAppend('\n');
  m_column = 0;
  m_lines.push_back(m_end);
}

void SerialTerminal::PutText(uint8_t c) {
  ++m_written;
  switch (c) {
    case 7:
      return;
    case 8: {
      if (m_column > 0) {
        --m_column;
        m_text[(m_lines.back() + uint64_t(m_column)) % kTextSize] = ' ';
      }
      return;
    }
    case 10:
      LineFeed();
      return;
    case 13:
      m_column = 0;
      return;
    default:
      break;
  }
  if (m_column >= kMaxColumn) LineFeed();
  const uint64_t at = m_lines.back() + uint64_t(m_column);
  if (at >= m_end) {
    StoreAppend(c);
  } else {
    m_text[at % kTextSize] = c;
  }
  ++m_column;
  m_longest = std::max(m_longest, m_column);
}

std::string SerialTerminal::Line(int i) const {
  if (i < 0 || i >= LineCount()) return {};
  const uint64_t from = m_lines[std::size_t(i)];
  const uint64_t to = i + 1 < LineCount() ? m_lines[std::size_t(i) + 1] : m_end;
  std::string out;
  out.reserve(std::size_t(to - from));
  for (uint64_t p = from; p < to && out.size() < 256; ++p) {
    const uint8_t c = m_text[p % kTextSize];
    if (c == '\n') break;
    if (c == 255) continue;
    out += char(c);
  }
  return out;
}

void SerialTerminal::PutHex(uint16_t value) {
  ++m_written;
  if (m_hexEnd - m_hexStart >= kHexSize) m_hexStart += uint64_t(std::min<int>(m_cellsPerRow, kHexSize));
  m_hex[m_hexEnd % kHexSize] = value;
  ++m_hexEnd;
}

void SerialTerminal::SetCellsPerRow(int cells) { m_cellsPerRow = std::clamp(cells, 1, int(kHexSize)); }

int SerialTerminal::HexRowCount() const {
  const uint64_t n = m_hexEnd - m_hexStart;
  return n == 0 ? 1 : int((n + uint64_t(m_cellsPerRow) - 1) / uint64_t(m_cellsPerRow));
}

int SerialTerminal::HexColumn() const {
  const uint64_t n = m_hexEnd - m_hexStart;
  const int inRow = int(n % uint64_t(m_cellsPerRow));
  return inRow * 4;
}

std::string HexCellText(uint16_t value) {
  char buf[8];
  if (value < 256)
    std::snprintf(buf, sizeof buf, " %02X", value);
  else
    std::snprintf(buf, sizeof buf, "%03X", value & 0xFFF);
  return buf;
}

std::string SerialTerminal::HexRow(int i) const {
  std::string out;
  const uint64_t from = m_hexStart + uint64_t(i) * uint64_t(m_cellsPerRow);
  for (uint64_t p = from; p < m_hexEnd && p < from + uint64_t(m_cellsPerRow); ++p) {
    out += HexCellText(m_hex[p % kHexSize]);
    out += ' ';
  }
  return out;
}

}  // namespace pm2
