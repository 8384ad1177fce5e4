// The lines of one output pane as the window shows them, apart from the
// window: the line list with its extended selection (anchor, caret, one
// flag per line), the scroll positions and the one geometry function shared
// by painting, hit tests and the scroll bars. What a line is (the 1024-byte
// cut, the redraw texts, the log) is decided before a line arrives here, by
// OutputPane in builder/runner/output_lines.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/geometry.h"

namespace pm2 {

// One scroll bar's state: positions min..max, page the visible part.
struct OutputScrollRange {
  int min = 0;
  int max = 0;
  int page = 0;
  int pos = 0;
  int singleStep = 1;
  friend bool operator==(const OutputScrollRange&, const OutputScrollRange&) = default;
};

// The font's measures and the client area, in pixels.
struct OutputListMetrics {
  int lineHeight = 16;  // > 0
  int charWidth = 7;    // average character width, > 0: the scroll steps
  int clientWidth = 0;
  int clientHeight = 0;
  // The character width unrounded (0: charWidth): the width of the longest
  // line, so its end can be scrolled into view exactly.
  double exactCharWidth = 0;
};

// Keyboard movements of the caret.
enum class OutputCaretMove { kUp, kDown, kPageUp, kPageDown, kHome, kEnd };

class OutputListModel {
 public:
  static constexpr int kTextMargin = 3;  // pixels left of a line's text

  OutputListModel() = default;
  OutputListModel(const OutputListModel&) = delete;
  OutputListModel& operator=(const OutputListModel&) = delete;

  // ---- lines
  const std::vector<std::string>& Lines() const { return lines_; }
  int Count() const { return static_cast<int>(lines_.size()); }
  // Forgets lines, selection, longest line and the horizontal position.
  void Clear();
  // Appends a line; when the lines no longer fit, the last one becomes the
  // last visible one.
  void AddLine(std::string text);
  // The longest line so far, in characters (the horizontal range).
  void SetLongest(size_t chars) { longest_ = chars; ClampHorz(); }
  size_t Longest() const { return longest_; }

  // ---- layout
  void SetMetrics(const OutputListMetrics& m);
  const OutputListMetrics& Metrics() const { return metrics_; }
  int VisibleLines() const;  // whole lines that fit, at least 1
  int TopIndex() const { return top_; }
  void SetTopIndex(int top);  // clamped to the vertical range
  int HorzPos() const { return horz_; }
  void SetHorzPos(int px);    // clamped to the horizontal range
  OutputScrollRange VertRange() const;
  OutputScrollRange HorzRange() const;
  // Scrolls the least needed to show line `index` whole.
  void EnsureVisible(int index);

  // The geometry: the rectangle of line `index` in client coordinates
  // (it may lie outside the client area), the lines that intersect the
  // client area [first, last), and the line under client y (-1 past the
  // last line; y above the area gives the line above the top).
  Rect LineRect(int index) const;
  void VisibleRange(int* first, int* last) const;
  int HitTest(int y) const;

  // ---- selection (a list with extended selection)
  bool IsSelected(int index) const;
  int SelectedCount() const { return selectedCount_; }
  int FirstSelected() const;          // -1 when none
  std::vector<int> Selection() const;  // in line order
  int Caret() const { return caret_; }  // -1 when the list is empty
  // The line the jump and help commands act on: the caret's line when it
  // is selected, else -1.
  int CurrentLine() const;
  // A click: plain selects only the line; Shift selects anchor..line
  // (with Ctrl added to the selection); Ctrl toggles the line.
  void Click(int index, bool shift, bool ctrl);
  // The mouse moved with the button down: the range from the anchor.
  void DragTo(int index);
  // A movement key: plain selects only the new caret line; Shift selects
  // anchor..caret; Ctrl moves the caret alone.
  void MoveCaret(OutputCaretMove move, bool shift, bool ctrl);
  // Space: selects the caret line (Ctrl toggles it).
  void SpaceAtCaret(bool ctrl);
  void SelectOnly(int index);
  // The selected lines joined with a line feed between them.
  std::string SelectedText() const;

 private:
  void SetSel(int index, bool on);
  void ClearSelection();
  void SelectRange(int a, int b, bool keepOthers);
  void ClampTop();
  void ClampHorz();
  int MaxTop() const;
  int MaxHorz() const;

  std::vector<std::string> lines_;
  std::vector<std::uint8_t> selected_;  // one flag per line, same size as lines_
  int selectedCount_ = 0;               // number of set flags
  int caret_ = -1;                      // -1 or a valid index
  int anchor_ = -1;                     // -1 or a valid index
  int top_ = 0;                         // 0..MaxTop()
  int horz_ = 0;                        // pixels, 0..MaxHorz()
  size_t longest_ = 0;
  OutputListMetrics metrics_;
};

}  // namespace pm2
