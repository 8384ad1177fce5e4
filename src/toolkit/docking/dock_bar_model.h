#pragma once
// The rows of one dock bar without its window. The bar list keeps the
// stored form: entry 0 is always a row end, a row end closes each row, a
// placeholder holds the place of a bar that was removed or hidden, any other
// entry is a bar. In a row of sizable bars each bar owns a share (a
// fraction) of the row's length; splitters of 6 pixels separate bars, a
// 6-pixel row splitter sits on the side of each row that faces the client
// area and a 2-pixel client edge on the other side. Bars of their own size
// (toolbars) stand side by side and wrap into further lines of their row
// where the dock bar is too short for them. A bar with SECBAR_EX_OWNROW
// (the menu bar) never shares its row. A dropped bar goes where
// FindDropPlace says. All coordinates are the dock bar's own.

#include <limits>
#include <vector>

#include "toolkit/core/geometry.h"
#include "toolkit/docking/control_bar_state.h"
#include "toolkit/docking/dock_drop_place.h"

namespace pm2 {

struct DockEntry {
  ControlBarState* bar = nullptr;  // not owned
  unsigned placeholder = 0;        // id of a bar that left its place
  bool IsRowEnd() const { return bar == nullptr && placeholder == 0; }
};

// Where a bar goes: rows from the first (flag 1: from the last), columns
// from the row's start (flag 2: from its end), flag 4: a new row before.
struct DockPosition {
  int row = 0;
  int column = 0;
  unsigned flags = 0;
  friend bool operator==(const DockPosition&, const DockPosition&) = default;
};

struct DockSplitter {
  bool between = false;   // between two bars of a row, else at a row's side
  bool vertical = false;  // a vertical line, dragged left and right
  Rect rect;
  int index = 0;          // entry of the bar before it, or the row's first entry
  int rowFirst = 0;
  int rowThickness = 0;
};

struct DockClientEdge {
  bool vertical = false;
  Rect rect;
};

struct DockRowInfo {
  int first = 0;       // first entry
  int end = 0;         // its row end
  int across = 0;      // where its bars start across the dock bar
  int thickness = 0;
  bool sizable = false;
};

struct DockLayoutResult {
  Size size;  // the dock bar's own size
  std::vector<ControlBarState*> bars;
  std::vector<Rect> rects;  // one per bar
  std::vector<DockSplitter> splitters;
  std::vector<DockClientEdge> edges;
  std::vector<DockRowInfo> rows;
};

class DockBarModel {
 public:
  static constexpr int kSplitter = 6, kClientEdge = 2, kMinBarLength = 18, kMinSplitBar = 24, kMinRow = 19;
  static constexpr float kMaxShare = 0.95f;

  explicit DockBarModel(DockSide side);

  DockSide Side() const { return m_side; }
  bool IsFloating() const { return m_side == DockSide::Float; }
  const std::vector<DockEntry>& Entries() const { return m_entries; }
  std::vector<DockEntry>& MutableEntries() { return m_entries; }
  int Find(const ControlBarState* bar) const;
  bool Contains(const ControlBarState* bar) const { return Find(bar) > 0; }
  int GetDockedVisibleCount() const;
  int BarCount() const;
  float MinShare() const { return m_fMinShare; }

  // The bar takes this dock bar's alignment and borders, then goes where
  // its placeholder is, at the point of `rect` (when given) or in a new last
  // row.
  void DockControlBar(ControlBarState* bar, const Rect* rect, const Point* point = nullptr);
  int DockControlBarAt(ControlBarState* bar, const DockPosition& pos);
  int InsertAtPosition(ControlBarState* bar, const DockPosition& pos);
  int InsertBarAtRect(ControlBarState* bar, const Rect& rect, Point point);
  void InsertBar(int index, ControlBarState* bar);
  // Cuts every bar that keeps a row to itself off its neighbours by row
  // ends (a layout stored by an older version may have them share a row).
  void SeparateOwnRows();
  // The entry becomes a placeholder (when asked and the bar has an id);
  // duplicate placeholders and empty rows between bars are removed.
  void RemoveControlBar(ControlBarState* bar, bool addPlaceholder);

  void CalcMinShare(int rowLength);
  void NormalizeRow(int first, ControlBarState* newBar, int* sizable = nullptr, int* fixed = nullptr);
  float AdjustShare(float delta, ControlBarState* bar);

  // Lays the rows out for an available size and commits the bars' sizes.
  // A dock bar thicker than maxAcross (across its rows) shows its rows of
  // sizable bars thinner, the thickest first and none below kMinRow, but
  // keeps their sizes: the frame gives it what its client area can spare.
  DockLayoutResult Layout(Size available, int maxAcross = std::numeric_limits<int>::max());
  const DockLayoutResult& LastLayout() const { return m_last; }

  // Splitter limits given the frame's free client area in dock-bar
  // coordinates: the splitter's leading coordinate may move within
  // [min, max - 6]. A row splitter leaves the free area kMinRow, however
  // many rows lie between it and the free area (they move with it).
  void GetSplitterLimits(const DockSplitter& s, const Rect& freeArea, int* min, int* max) const;
  void ApplySplitterDelta(const DockSplitter& s, int delta);
  // The row's bars take the thickness `from` less delta (at least kMinRow).
  void ResizeRow(int first, int from, int delta);

  bool IsBarExpanded(const ControlBarState* bar) const;
  bool IsExpandDisabled(const ControlBarState* bar) const;
  // nHow 1 gives the bar its whole row, 2 shares the row equally again.
  void ToggleExpand(ControlBarState* bar, int how);
  std::vector<ControlBarState*> GetRowBars(const ControlBarState* bar) const;
  bool GetBarRowInfo(const ControlBarState* bar, int* row, int* column, int* thickness) const;

  // The place a dragged bar would take (drag rectangle and cursor in
  // dock-bar coordinates), from the last layout; the same rule as
  // InsertBarAtRect (FindDropPlace).
  Rect CalcDropRect(const ControlBarState* bar, const Rect& drag, Point point) const;

  void MarkBarChanged(ControlBarState* bar);
  std::vector<ControlBarState*> TakeRedrawList();

 private:
  int RowStart(int index) const;
  int RowEnd(int index) const;
  std::vector<int> RowEnds() const;
  int Length(Size available) const;
  int BarLength(const ControlBarState* b) const;
  int BarThickness(const ControlBarState* b) const;
  std::uint32_t DockMode() const;
  void CleanUp();
  // Lays out a row of bars of their own sizes from `across`, wrapping it
  // into lines at `length`; answers the row's thickness.
  // One pass of Layout: rows of sizable bars shown no thicker than cap
  // (0: as thick as they are).
  DockLayoutResult LayOut(Size available, int cap);
  int LayOutFixedRow(const std::vector<ControlBarState*>& vis, int length, int across, DockLayoutResult* res,
                     int* maxAlong) const;
  // The rows as last laid out, without `except`: rows whose bars are all
  // hidden, held places or `except` are left out.
  struct LaidRow {
    int first = 0, end = 0;    // entries of the row and its row end
    DropRow drop;
    std::vector<int> entries;  // one per bar of drop.bars
  };
  std::vector<LaidRow> LaidOutRows(const ControlBarState* except) const;
  DropPlace DropPlaceOf(const std::vector<LaidRow>& rows, const ControlBarState* bar, int across, int lead) const;
  bool RowsAreHorizontal() const { return IsHorzSide(m_side) || IsFloating(); }

  DockSide m_side;
  std::vector<DockEntry> m_entries{DockEntry{}};
  float m_fMinShare = 0.05f;
  ControlBarState* m_pNewBar = nullptr;
  std::vector<ControlBarState*> m_redraw;
  DockLayoutResult m_last;
  int m_lastLength = 0;
};

}  // namespace pm2
