// The editor margin's marks without a window: the line flags from the
// driver's line table (read as code_lines.h says: a line's address is its
// first statement address), the marks' reset, what one margin cell shows, the arrow's polygon, the
// code address range of a line and the table of update hints the view
// answers.
#pragma once

#include <array>
#include <cstdint>

#include "driver_abi/debug_interface.h"
#include "editor/document/code_lines.h"
#include "editor/text/edit_line.h"

namespace pm2 {

// Every line: debugger word = its number, 0x200 set, 0x80, 0x100 and 0x400
// cleared.
void ResetMarginMarks(CEditLine* first);
// 0x80, 0x100 and 0x400 cleared; the debugger words stay, so marks applied
// again find the lines they were set on, wherever those moved since.
void ClearBreakMarks(CEditLine* first);
// A debugger word for a line typed since the text was last numbered (it has
// none): above every word in use and every line number the numbered text
// had, so it names no line of the file as loaded or saved.
uint32_t FreshDebugWord(const CEditLine* first, uint32_t numberedLines);
// The line number now of the line whose debugger word is `word` (the
// driver's lines name the text as it was numbered); 0 when none.
int LineOfDebugWord(const CEditLine* first, uint32_t word);
// Applies the driver's line table after a reset: each line with code gets
// 0x400 and its code address (its first statement address). Returns the
// number of lines marked.
int ApplyLineTable(CEditLine* first, const CodeLines& lines);
int ApplyLineTable(CEditLine* first, const DbgLineTableRecord* table);

// The code address range of a code line: its own address up to the next
// code line's (exclusive), counted only while the code line after that has
// no lower address; *end = 0 when open.
void CodeLineRange(const CEditLine* line, uint32_t* begin, uint32_t* end);

// What one margin cell shows.
enum class MarginArrow { None, ProgramCounter, Shown };
struct MarginCell {
  bool codeFill = false;      // grey, or green for executed code
  bool executed = false;
  bool box = false;           // the breakpoint box
  bool boxEnabled = false;    // red, else white
  bool bookmark = false;      // cyan circle
  MarginArrow arrow = MarginArrow::None;
};
// In a session: `state` is DbgBreakpoint(address, 7) for a code line,
// `pcLine` the line number of the program counter in this file (0: none),
// `shown` the record's shown position.
MarginCell SessionMarginCell(const CEditLine& line, uint32_t state, uint32_t pcLine, uint32_t shown);
// Outside a session: the stored breakpoints' flags.
MarginCell StoredMarginCell(const CEditLine& line, uint32_t shown);

// The arrow: 8 points (x, y) for a row at `top` of height h in a margin of
// width w.
std::array<std::array<int, 2>, 8> MarginArrowPolygon(int top, int h, int w);

// The update hints of the editor view and what each does.
enum class MarginHintAction {
  None,              // not a margin hint: the view base's update
  Repaint,           // margin repaint
  ProgramCounter,    // the PC moved into the file
  LoadLineInfo,      // the driver's line information (with the request)
  RememberPosition,  // top and caret line before a reload
  ResetMarks,        // line information without the request
  ReloadStored,      // stored breakpoints again, then repaint
  BeforeSave,        // shown position cleared; a saved text settles its marks
  BeforeClose,       // outside a session: shown position cleared, repaint
  SettingsChanged,
  ShowAddress,
  ShowLine,
};
struct MarginHint {
  uint32_t hint;
  MarginHintAction action;
  bool activate;  // the frame is activated
};
MarginHint LookUpMarginHint(uint32_t hint);

}  // namespace pm2
