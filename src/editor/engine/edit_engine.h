// The editor window engine: turns commands, keys and mouse input into caret
// moves, selections and edits of a CEditTextBuffer, and keeps the scroll
// position. It owns no text and knows no window toolkit: the window comes
// in as an EditHost, the text as a buffer pointer.
//
// Sources by concern: edit_engine.cpp (state, set-up, selection basics),
// caret_moves.cpp (movement and keyboard selection), mouse_input.cpp,
// edit_typing.cpp (typing, new line, indent, deletion), edit_clipboard.cpp
// (copy, cut, paste, drop, undo commands), edit_find.cpp (find, bookmarks,
// the selection interface), edit_scroll.cpp (caret placement, scrolling),
// line_layout.cpp (rows for painting and the selection span).
#pragma once

#include <string>

#include "editor/engine/comment_cache.h"
#include "editor/engine/edit_commands.h"
#include "editor/engine/edit_host.h"
#include "editor/text/text_buffer.h"

namespace pm2 {

class LineSearch;

// Status codes of the engine beyond the text engine's (message ids).
enum EditEngineStatus : int {
  kEditClipboardEmpty = 22576,
  kEditStartOfText = 22583,
  kEditNoText = 22584,
  kEditStreamOnly = 22585,
  kEditNotFound = 22586,
  kEditSearchDone = 22588,
  kEditBadExpression = 22587,  // an invalid regular expression; the whole text is the argument
};

// The message text of an engine or text-engine status ("" when unknown);
// kEditNotFound and kEditSearchDone hold one "%s".
const char* EditEngineStatusText(int code);

enum EditSelMode : int { kSelStream = 1, kSelColumn = 2 };

// The search the Find Next command repeats.
struct EditFindOptions {
  std::string text;
  bool regex = false;
  bool matchCase = false;
  bool forward = true;
  bool wrap = true;
};

// What all windows of one text share: the bookmark count, the window that
// had the focus last (only it shows the selection), the find options.
struct EditShared {
  int nBookmarks = 0;
  const void* pLastFocus = nullptr;
  EditFindOptions find;
  std::string replacement;  // the replace template ("\\1" and "&" with regex)
};

// The state of one window (a plain record; lines point into the text).
struct EditState {
  CEditLine* pTopLine = nullptr;   // first visible line
  int nTopLine = 1;                // its 1-based number
  CEditLine* pCaretLine = nullptr;
  int nCaretLine = 1;
  int nCaretCol = 0;               // display column
  int nLeftCol = 0;                // first visible display column
  CEditLine* pAnchorLine = nullptr;  // fixed end of the selection being made
  int nAnchorCol = 0;
  int nSelMode = kSelStream;
  bool bSelActive = false;
  // The selection in text order (stream) or the block's corners (column).
  CEditLine* pSelStart = nullptr;
  int nSelStartCol = 0;
  CEditLine* pSelEnd = nullptr;
  int nSelEndCol = 0;
  int nTextWidth = 0;              // text rectangle, client pixels
  int nTextHeight = 0;
  int nCharWidth = 0;              // pixels; 0 until a font is measured
  int nLineHeight = 15;
  int nLeftMargin = 0;             // x where column 0 begins
  int nScrollFactor = 1;           // lines per vertical scroll-bar step
  bool bRedraw = true;             // paint, place the caret, show messages
  bool bFreeColumn = false;        // the caret may stay beyond a line's end
  bool bFound = false;             // Find Next selected a match
  bool bCapture = false;           // the left button drags a selection
  bool bSkipTick = false;          // the next drag-timer tick is ignored
  int nLastX = 0, nLastY = 0;      // last mouse point handled while dragging
  // The find dialog's rectangle in client pixels; the next UpdateCaret
  // keeps the caret row out from under it, then empties it.
  int nDialogTop = 0, nDialogBottom = 0;  // empty when equal
};

constexpr int kDragTimerMs = 100;
// The column-block marker that leads a column block on the clipboard.
inline constexpr const char kColumnBlockMarker[] = "*SECEdit Column Block*";

class EditEngine {
 public:
  EditEngine(CEditTextBuffer* pText, EditShared* pShared, EditHost* pHost);
  EditEngine(const EditEngine&) = delete;
  EditEngine& operator=(const EditEngine&) = delete;

  // ---- set-up ----
  // Caret and top to the first line, bookmarks counted, state reset.
  void InitView();
  // The font's metrics: character width, line height (the left margin is
  // one line height wide).
  void SetMetrics(int charWidth, int lineHeight);
  void SetClientSize(int width, int height);
  CEditTextBuffer* Text() const { return m_pText; }
  const EditState& State() const { return m_s; }
  EditShared& Shared() const { return *m_pShared; }
  void SetFreeColumn(bool b) { m_s.bFreeColumn = b; }
  void SetRedraw(bool b) { m_s.bRedraw = b; }
  int Rows() const;            // whole rows in the window
  int VisibleColumns() const;  // whole columns in the window

  // ---- commands ----
  bool RunCommand(int id);
  bool IsCommandEnabled(int id) const;
  // A key with modifiers: runs its command; false when no command is bound.
  bool OnKey(EditKey key, uint32_t mods);
  // A typed character (Enter is 13, Escape 27).
  void OnChar(int ch);

  // Movement (45000..45011).
  void MoveDown();
  void MoveUp();
  void MoveLeft();
  void MoveRight();
  void PageUp();
  void PageDown();
  void MoveHome();
  void MoveToLineEnd();
  void MoveTop();
  void MoveBottom();
  void WordLeft();
  void WordRight();
  // Keyboard selection (45013..45022, 45032..45034).
  void SelUp();
  void SelDown();
  void SelLeft();
  void SelRight();
  void SelLineEnd();
  void SelLineStart();
  void SelPageDown();
  void SelPageUp();
  void SelWordLeft();
  void SelWordRight();
  void SelBottom();
  void SelTop();
  void SelectAll();
  // Editing.
  void Backspace();
  void Tab();
  void BackTab();
  void Delete();
  void Paste();
  void Copy();
  void Cut();
  void Undo();
  void Redo();
  void ToggleOverwrite();
  void FindNext();
  // The Find Next command: as FindNext, but with the Find dialog open it
  // only brings that dialog forward.
  void FindNextCommand();
  void ToggleBookmark();
  void NextBookmark();
  void PrevBookmark();
  void ClearBookmarks();
  void Find() { m_pHost->RequestDialog(kCmdEditFind); }
  void Replace() { m_pHost->RequestDialog(kCmdEditReplace); }

  // Enable rules.
  bool CanCopy() const;
  bool CanCut() const;
  bool CanPaste() const;
  bool CanUndo() const;
  bool CanRedo() const;
  bool CanFindNext() const;
  bool HasBookmarks() const;
  bool IsWritable() const;

  // ---- operations with status codes ----
  int NewLine(bool recordUndo);
  int ShiftBlock(int direction, bool recordUndo);
  int DeleteSelection(bool recordUndo);
  int DeleteAtCaret(bool recordUndo);
  int JoinLineAtCaret(bool recordUndo);
  int InsertAtCaret(const std::string& text, bool recordUndo);
  int PasteColumnBlock(bool recordUndo);
  int CopySelection();
  // Text dropped at the caret (a column block when it carries the marker).
  int InsertDroppedText(const std::string& text);
  // A drop at a client point: moves (`move`, taking the text away from the
  // selection of `source`, the editor window the drag began in, which may
  // be this one or another window of the same or another text) or copies
  // the text there. The source's text is deleted first, by positions taken
  // before the insert. False when refused (onto the selection itself).
  bool DropText(int x, int y, const std::string& text, bool move, EditEngine* source);

  // ---- selection ----
  void ClearSelection();
  void BeginSelection();
  void UpdateSelection();
  // The selected span of a line (display columns), or false.
  bool GetLineSelection(const CEditLine* pLine, int lineEndCol, int* pStart, int* pWidth) const;
  bool HasSelection() const { return m_s.bSelActive && m_s.pSelStart && m_s.pSelEnd; }
  // Positions as (line, byte index); without a selection both are the caret.
  bool GetSelection(EditPos* pStart, EditPos* pEnd, bool* pColumn) const;
  void SetSelection(EditPos start, EditPos end, bool column);
  std::string GetSelectedText(bool* pColumn) const;
  // Selects length columns from a position and shows them.
  void SelectText(EditPos pos, int length);
  // The selection on one line, or the word at the caret.
  bool GetFindText(std::string* pOut) const;

  // ---- find, replace and jump ----
  // What a search from the find or replace dialog came to: a match is
  // selected; nothing was found (reported); or a replace pass has seen
  // every match (reported as finished; the window is asked to close the
  // dialog).
  enum class FindOutcome { kFound, kNotFound, kPassDone };
  // Stores the text as the search and searches as Find Next does.
  bool FindText(const std::string& text, bool matchCase);
  // The dialog's Find Next: searches with the shared options; a match
  // found leaves a replacement pending.
  FindOutcome FindFromDialog();
  // Searches with the shared options as they stand (a word search).
  FindOutcome FindAgain() { return SearchNext(false); }
  // The Replace button: when the selection still holds the match found
  // last, it is replaced by what the Replace box holds now (substituted
  // for a regular expression); then the next match is found and selected.
  FindOutcome ReplaceNext();
  // The find or replace dialog closed: its pass is over, so a search from
  // the dialog opened again begins one of its own (nothing is pending).
  void FindDialogClosed();
  // Replaces every match from the start of the text, in one undo step;
  // returns the number replaced (0: reported as not found).
  int ReplaceAll();
  // Bookmarks every line that holds a match and goes to the first;
  // returns the number of lines marked, or -1 for an invalid regular
  // expression (reported as Find reports it; nothing marked).
  int MarkAll();
  void GotoLine(int lineNumber, int column);

  // ---- mouse and focus (client pixels) ----
  // Returns true when the press lies in the selection and a drag of it
  // may start (the window then runs the drag and calls DragFinished).
  bool OnLButtonDown(int x, int y, bool shift, bool alt);
  void DragFinished(bool dropped, int x, int y);
  void OnMouseMove(int x, int y);
  void OnLButtonUp(int x, int y);
  void OnLButtonDblClk(int x, int y);
  // A drag-timer tick with the cursor's client position.
  void OnTimerTick(int x, int y);
  bool IsPointInSelection(int x, int y) const;
  bool IsPointInMargin(int x) const;
  void OnSetFocus();
  void OnKillFocus();
  // Moves the caret to a client point (the context menu's and a drop's).
  void PointToCaretNearest(int x, int y);

  // ---- scrolling ----
  void UpdateCaret();
  void PlaceCaret();
  // The caret's top-left in client pixels, whether or not it is shown; x is
  // left of the text (below the margin) when the caret's column is
  // scrolled out to the left.
  struct ClientPoint {
    int x = 0, y = 0;
  };
  ClientPoint CaretClientPoint() const;
  // Vertical and horizontal scroll-bar requests: 0 line up/left, 1 line
  // down/right, 2 page up/left, 3 page down/right, 4/5 thumb at position.
  void OnVScroll(int code, int position);
  void OnHScroll(int code, int position);
  int ScrollLineUp();
  int ScrollLineDown();
  void SetTopLine(int n);
  int SyncLineCount();
  void ScrollBackWhenTextFits();
  void RepairLinePointers();
  // No line was taken out of the text since this window last checked its
  // line pointers.
  bool LinesUnchangedSinceCheck() const;
  // Scroll-bar values as the bar shows them (divided by the factor).
  int VScrollMax() const;
  int VScrollPage() const;
  int VScrollPos() const;
  static int ScrollFactor(int lineCount);
  // The find dialog covers client rows from top to bottom (pixels).
  void SetDialogRect(int top, int bottom);
  // Scrolling while a drag hovers near an edge: horizontal and vertical
  // requests, each -1 (none), 0 (towards the start) or 1 (towards the
  // end). Returns whether the last direction asked for can scroll; scrolls
  // it by one when `doScroll`.
  bool OnDragScroll(int horizontal, int vertical, bool doScroll);

  // Another window of the same text sent a hint (EditHost::Notify): this
  // window repaints, and after deleted lines finds its caret, top line and
  // selection again.
  void OnOtherViewChanged(int hint);

  // ---- painting support ----
  // Whether this window shows the selection (it had the focus last).
  bool ShowsSelection() const;
  // The comment state at the start of a line (kCarryNone or the kind).
  int CommentCarryAt(const CEditLine* pLine);
  // The line starts whose colouring state is known (for tests).
  int CommentStatesKnown() const { return m_comments.Known(); }
  // Lines from `lineNumber` on changed: colouring state is recomputed.
  void TextChangedFrom(int lineNumber);

  // ---- helpers shared by the concern files ----
  int FixCaretColumn(int column) const;
  int LineEndColumn(const CEditLine* pLine) const;
  int CaretIndex() const;
  EditPos CaretPos() const { return {m_s.pCaretLine, CaretIndex()}; }
  void SetCaret(CEditLine* pLine, int column);

 private:
  friend class EditEngineTestAccess;
  void Report(int code, const std::string& arg = {});
  void Invalidate();
  void InvalidateCaretRow();
  void InvalidateRowsFrom(int row);
  void Notify(int hint);
  void EndSelectionForMove();
  // Runs a move as a selection extension.
  void Extend(void (EditEngine::*move)());
  void PointToCaret(int x, int y);
  int PointColumn(int x, bool withLeft) const;
  CEditLine* RowLine(int row) const;
  bool IsDelimiterChar(uint8_t ch) const;
  // Whether the caret line begins inside a block comment.
  bool InBlockComment();
  void RepaintAfterCharChange(uint8_t ch, bool inBlockComment);
  int MoveRightAfterInsert();
  void ShowUndoneStep(EditPos pos);
  void GoToBookmark(CEditLine* p);
  void AutoIndent(bool recordUndo);
  // A search from pos; the match's length and, for a regular expression,
  // the replacement template substituted with the match.
  bool SearchFrom(EditPos& pos, const EditFindOptions& opt, int* pLength,
                  std::string* pSubstituted = nullptr);
  // The replacement of a match: the substituted template for a regular
  // expression, the template itself otherwise.
  std::string ReplacementFor(const std::string& substituted) const;
  // Replace All's request (forward, the shared options and template).
  SearchRequest PassRequest() const;
  int ReplaceAllLines(LineSearch& search);
  int ReplaceAllByMatch(LineSearch& search);
  // The replacement of the match at `at` from the template as it is now.
  std::string CurrentReplacement(EditPos at, int length);
  // Find Next's search from the caret, wrapping when asked; `replacing`:
  // a replacement is pending, so finding nothing more (or wrapping past
  // the starting point) finishes the pass.
  FindOutcome SearchNext(bool replacing);
  // Says that a regular-expression search text does not compile, and why
  // and where; true when it said so (nothing is searched then).
  bool ReportInvalidExpression(const EditFindOptions& opt);
  // Repaints the rows of lines a..b (in either order) that are visible.
  void InvalidateLines(int a, int b);
  // One line down or up, scrolling by one line when the caret leaves the
  // window; false at the end or start of the text.
  bool StepDown();
  bool StepUp();
  // The line numbered n reached from a live line (numbers are kept in list
  // order by the text engine).
  CEditLine* WalkTo(CEditLine* pFrom, int n) const;
  // After lines were added or removed: the caret is live, the top line is
  // found again by its number.
  void ResolveTop();
  int LineWidth(const CEditLine* pLine) const;
  int IndexOfColumn(const CEditLine* pLine, int column) const;

  CEditTextBuffer* m_pText;
  EditShared* m_pShared;
  EditHost* m_pHost;
  EditState m_s;
  CommentCache m_comments;
  uint64_t m_nCommentsSeen = 0;     // the text's edit serial the cache follows
  uint64_t m_nRemovedSeen = 0;      // the removal serial at the last pointer check
  int m_nShownLineCount = 0;        // the count the scroll bars were given
  bool m_bExtending = false;  // a move runs as a selection extension
  // The match Find Next selected last and its replacement; Replace acts
  // only while the selection still holds that text.
  std::string m_matchText;
  bool m_bReplacePending = false;
  // Where the current find or replace pass began, and whether its search
  // has wrapped round since.
  int m_nPassLine = 1;
  int m_nPassIndex = 0;
  bool m_bPassWrapped = false;
  std::string m_passText;  // the search text of that pass
};

}  // namespace pm2
