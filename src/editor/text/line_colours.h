// The colour of every character cell of a line, as the painting code
// draws it: tabs expanded, then keywords, comments and quoted strings
// marked, a comment winning over a string and a string over a keyword.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/text/text_buffer.h"

namespace pm2 {

enum CellAttribute : uint8_t {
  kCellPlain = 0x02,
  kCellKeyword = 0x04,
  kCellString = 0x08,
  kCellComment = 0x10,
};

struct LineColours {
  std::string row;             // the line with tabs expanded, line end dropped
  std::vector<uint8_t> cells;  // CellAttribute bits per column of row
  // The colour a cell is drawn in.
  EditColour ColourAt(const CEditTextBuffer& buf, size_t column) const;
};

// Comment state carried from one line to the next when lines are coloured
// in order: unknown (work it out from the lines above), none, or the kind
// of the block comment still open.
enum CommentCarry : int { kCarryUnknown = -1, kCarryNone = 0 };

// Colours one line. With pCarry, *pCarry tells whether the line starts in
// a block comment (kCarryUnknown: looked up from the lines above) and
// receives the state at the line's end, so colouring a whole text in order
// costs one pass.
LineColours ColourLine(CEditTextBuffer& buf, const CEditLine* pLine, int* pCarry = nullptr);

}  // namespace pm2
