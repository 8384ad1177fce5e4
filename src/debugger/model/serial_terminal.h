// The terminal buffer of one serial window: what the target sent, kept
// for the whole debugging run (also while the window is closed) in two
// rings side by side. The text ring holds lines ending in a line feed
// (the byte 255 stands for an empty line and is never shown); a line
// wraps at 255 characters and storing into a full ring drops the oldest
// line. The hex ring holds every value as a 16-bit cell and drops one hex
// row when full. Positions are counted from the start of the run, so a
// ring index is a position modulo the ring size.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace pm2 {

class SerialTerminal {
 public:
  static constexpr uint32_t kTextSize = 32768;
  static constexpr uint32_t kHexSize = 8192;
  static constexpr int kMaxColumn = 255;

  SerialTerminal();
  SerialTerminal(const SerialTerminal&) = delete;
  SerialTerminal& operator=(const SerialTerminal&) = delete;

  // The value into the hex ring, its low 8 bits into the text ring.
  void PutChar(uint16_t value);
  void PutText(uint8_t c);
  void PutHex(uint16_t value);
  // Empty again.
  void Reset();

  // ---- text ring
  // Lines held, the current (unfinished) one last; at least 1.
  int LineCount() const { return int(m_lines.size()); }
  // Completed lines (ended by a line feed).
  int CompletedLines() const { return int(m_lines.size()) - 1; }
  // The shown characters of line i (0 the oldest held): up to its line
  // feed, 255 bytes skipped.
  std::string Line(int i) const;
  int Column() const { return m_column; }
  int LongestLine() const { return m_longest; }
  uint32_t TextBytes() const { return uint32_t(m_end - m_start); }

  // ---- hex ring
  // Cells per hex row (the view's columns / 4); at least 1.
  void SetCellsPerRow(int cells);
  uint32_t CellCount() const { return uint32_t(m_hexEnd - m_hexStart); }
  int HexRowCount() const;
  // Row i as painted: each cell " %02X" (below 256) or "%03X", then a blank.
  std::string HexRow(int i) const;
  // The current hex row's text column (characters written in it).
  int HexColumn() const;

  // Counters a window uses to notice what changed.
  uint64_t Written() const { return m_written; }

 private:
  void StoreAppend(uint8_t c);
  void DropOldestLine();
  void LineFeed();

  std::vector<uint8_t> m_text;
  uint64_t m_start = 0, m_end = 0;  // the text ring's held range
  std::deque<uint64_t> m_lines;     // start of each held line; the last is the current line
  int m_column = 0;
  int m_longest = 0;

  std::vector<uint16_t> m_hex;
  uint64_t m_hexStart = 0, m_hexEnd = 0;
  int m_cellsPerRow = 16;
  uint64_t m_written = 0;
};

// One hex cell's text as painted in a row (" 41", "141").
std::string HexCellText(uint16_t value);

}  // namespace pm2
