// One line of an editor text and the helpers of the doubly linked list the
// text is made of. Engines hold line pointers across edits, so a record
// never moves; only its text changes.
#pragma once

#include <cstdint>
#include <string>

namespace pm2 {

// Bits of CEditLine::m_nFlags. The buffer itself only reads and moves the
// bookmark; the others belong to the editor view and the debugger.
enum EditLineFlag : uint32_t {
  kLineBookmark = 0x4,
  kLineBreakEnabled = 0x80,  // meaningful with kLineBreakSet
  kLineBreakSet = 0x100,
  kLineDebugWordValid = 0x200,
  kLineHasCode = 0x400,
  kLineMarkA = 0x800,
  kLineMarkB = 0x1000,
};

struct CEditLine {
  CEditLine* m_pNext = nullptr;  // null at the last line
  CEditLine* m_pPrev = nullptr;  // null at the first line
  // The characters followed by the line-end bytes when the line has them.
  // Bytes are kept as read (NUL included); never re-encoded.
  std::string m_text;
  int m_nLine = 1;               // 1-based; read through CEditTextBuffer::LineNumber
  uint64_t m_nNumberStamp = 0;   // the text's line-list generation m_nLine was set in
  uint32_t m_nDisplay = 0;       // low half: engine; high half: engine's view
  uint32_t m_nFlags = 0;         // EditLineFlag bits
  uint32_t m_nCodeAddress = 0;   // valid with kLineHasCode
  uint32_t m_nDebugWord = 0;     // valid with kLineDebugWordValid

  int Length() const { return static_cast<int>(m_text.size()); }
  const char* Text() const { return m_text.c_str(); }
};

// A new unlinked record whose text reserves room for n bytes.
CEditLine* NewEditLine(int n);
void FreeEditLine(CEditLine* pLine);
// Frees the whole list the line belongs to, from its first line.
void FreeEditLineList(CEditLine* pLine);
// Walks back to the first line; *pCount (when given) receives the number
// of lines walked, the start included.
CEditLine* FirstEditLine(CEditLine* pLine, int* pCount = nullptr);
CEditLine* LastEditLine(CEditLine* pLine);
// Numbers the whole list 1..n from its first line; returns n (0: no list).
int NumberEditLines(CEditLine* pLine);
int GetEditLineNumber(const CEditLine* pLine);
// Links pNew (one line) before pLine.
void InsertEditLineBefore(CEditLine* pNew, CEditLine* pLine);
// Links the whole list that pList starts after pLine. When pLine is an
// empty bookmarked line ("\r\n" alone), the bookmark moves to the list's
// last line, so the mark stays with the text.
void InsertEditLinesAfter(CEditLine* pList, CEditLine* pLine);
// Takes the line out of its list; its neighbours are joined.
void UnlinkEditLine(CEditLine* pLine);

// The debugger's marks of a line (breakpoint, numbered, code; the debugger
// word and the code address) belong to its text: when a split leaves the
// text on the new line, or a join keeps the next line's text, the marks go
// with it, so a breakpoint stays on its code whatever is inserted or
// deleted above it. `from` loses them.
inline constexpr uint32_t kLineDebuggerMarks = kLineBreakEnabled | kLineBreakSet | kLineDebugWordValid | kLineHasCode;
void MoveDebuggerMarks(CEditLine* from, CEditLine* to);
// Which line of a join keeps its marks: the next line's go to the joined
// line when the first has no text, no debugger word, or no breakpoint
// where the next has one.
bool JoinTakesNextMarks(const CEditLine& line, int contentLength, const CEditLine& next);

}  // namespace pm2
