// One step of a text buffer's undo log and the log's fixed sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

enum UndoType : int {
  kUndoNone = 0,            // empty slot
  kUndoCharInserted = 1,    // line, column, character
  kUndoCharDeleted = 2,     // line, column, character
  kUndoTextDeleted = 3,     // start, end, text
  kUndoTextInserted = 4,    // start, end, text
  kUndoUnused = 5,
  kUndoLineSplit = 6,       // line, column
  kUndoLinesJoined = 7,     // line, column
  kUndoCharOverwritten = 8, // line, column, new and old character
  kUndoBlockDeleted = 9,    // start, end, text (column block)
  kUndoBlockInserted = 10,  // start, end, text (column block)
  kUndoLinesReplaced = 11,  // whole lines' contents (a replace-all pass)
};

// The old character of an overwrite that lengthened the line.
constexpr uint8_t kUndoOverwroteLineEnd = 13;

constexpr int kUndoSlots = 2048;  // steps kept
constexpr int kUndoDrop = 512;    // oldest steps dropped when the log is full

struct CEditUndoRecord {
  int m_nType = kUndoNone;
  int m_nLine = 0;       // 1-based line where the edit starts
  int m_nColumn = 0;     // byte index in that line
  int m_nEndLine = 0;    // ranges only
  int m_nEndColumn = 0;  // ranges only
  uint8_t m_ch = 0;      // the character (new one for overwrites)
  uint8_t m_ch2 = 0;     // the old character of an overwrite
  uint32_t m_nGroup = 0; // stamp of the group open when added; 0: none
  std::string m_text;    // text-bearing types only (3, 4, 9, 10)
  // Deleted column blocks: the byte index each row was taken from. The
  // block column may fall inside a tab, so the column alone cannot tell
  // where a row goes back.
  std::vector<int> m_rowStarts;
  // Lines replaced whole (rising numbers) and the contents they held
  // before; undo and redo swap them with the lines' contents.
  std::vector<int> m_lines;
  std::vector<std::string> m_lineTexts;
};

// True for the types whose record keeps a text.
inline bool UndoTypeHasText(int type) {
  return type == kUndoTextDeleted || type == kUndoTextInserted || type == kUndoBlockDeleted ||
         type == kUndoBlockInserted;
}

}  // namespace pm2
