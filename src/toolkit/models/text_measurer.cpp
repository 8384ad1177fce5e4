#include "toolkit/models/list_host.h"

#include <algorithm>

namespace pm2 {

Size FixedTextMeasurer::Measure(std::string_view text, FontChoice font, int maxWidth, bool singleLine) {
  const int cw = m_charWidth + (font.bold ? 1 : 0);
  if (singleLine) {
    size_t nl = text.find('\n');
    if (nl != std::string_view::npos) text = text.substr(0, nl);
  }
  int widest = 0;
  int lines = 0;
  size_t pos = 0;
  while (true) {
    size_t nl = text.find('\n', pos);
    std::string_view para = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    // Column count with tabs expanded, then word-wrapped into maxWidth.
    int col = 0;
    int lineCols = 0;
    int wordStart = 0;
    ++lines;
    for (char c : para) {
      if (c == '\r') continue;
      int nextCol = c == '\t' ? (col / 8 + 1) * 8 : col + 1;
      if (!singleLine && maxWidth > 0 && nextCol * cw > maxWidth && col > 0) {
        // Break at the last blank when there is one, else at the character.
        int carry = (wordStart > 0 && c != ' ') ? col - wordStart : 0;
        widest = std::max(widest, (col - carry) * cw);
        ++lines;
        col = carry;
        wordStart = 0;
        nextCol = c == '\t' ? (col / 8 + 1) * 8 : col + 1;
      }
      if (c == ' ' || c == '\t') wordStart = nextCol;
      col = nextCol;
      lineCols = col;
    }
    widest = std::max(widest, lineCols * cw);
    if (nl == std::string_view::npos || singleLine) break;
    pos = nl + 1;
  }
  return {widest, lines * m_lineHeight};
}

}  // namespace pm2
