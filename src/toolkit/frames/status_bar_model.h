#pragma once
// The status bar's panes without a window: indicator set-up, pane styles,
// texts that are sent to the window once, and the pane layout with stretch
// panes. The widget (status_bar.h) owns one, feeds it the window size and
// paints what it says; tests drive it with a fake sink.
//
// Layout of one row of panes in a window of width W (after the insets and
// the size grip): every pane is 6 + its text width wide plus the gap before
// it; the width left over goes to the stretch panes in pane order, each
// taking (what is left) / (stretch panes left), so an odd remainder falls
// to the later panes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/commands.h"
#include "toolkit/core/geometry.h"

namespace pm2 {

class ResourceTables;
class TextMeasurer;

// Pane styles. The low 16 bits are the window's drawing flags.
namespace sbps {
constexpr std::uint32_t kNormal = 0x0000;
constexpr std::uint32_t kNoBorders = 0x0100;   // drawn flat
constexpr std::uint32_t kPopout = 0x0200;      // raised; a checked pane
constexpr std::uint32_t kOwnerDraw = 0x1000;   // the bar's DrawItem draws it
constexpr std::uint32_t kDrawMask = 0xFFFF;
constexpr std::uint32_t kDisabled = 0x04000000;  // keeps its text, shows none
constexpr std::uint32_t kStretch = 0x08000000;   // takes the free width
}  // namespace sbps

// Room around a pane's text: its borders and a margin on each side.
constexpr int kStatusPanePadding = 6;

// One pane. Invariant: `shown` is what the window displays; it equals
// `text` (or is empty for a disabled pane) unless `needsSend` is set.
struct StatusPane {
  CommandId id = 0;          // 0: a separator pane (the message pane)
  int cxText = 0;            // text width in pixels
  std::uint32_t style = sbps::kNormal;
  bool needsSend = false;    // the text must still be sent to the window
  std::string text;          // stored text
  std::string shown;         // text the window shows
  std::uint32_t shownStyle = 0;  // drawing flags the window shows it with
  Rect rect;                 // pane rectangle of the last layout
};

// The status window's own borders: left border, top and bottom border,
// gap between panes.
struct StatusBorders {
  int horizontal = 0;
  int vertical = 2;
  int gap = 2;
};

// Fixed metrics of the bar; the defaults are the classic look's.
struct StatusBarMetrics {
  StatusBorders borders;
  int cxBorder = 1;    // one-pixel border width and height
  int cyBorder = 1;
  int cxVScroll = 16;  // a vertical scroll bar's width: the size grip's size
  // Insets of the bar around the status window (top border 2 only).
  int insetLeft = 0;
  int insetTop = 2;
  int insetRight = 0;
  int insetBottom = 0;
};

// What the window is told; the widget repaints, tests count.
class StatusBarSink {
 public:
  virtual ~StatusBarSink() = default;
  virtual void TextSent(int /*index*/) {}
  virtual void PartsSet(const std::vector<int>& /*rightEdges*/) {}
};

class SECStatusBarModel {
 public:
  explicit SECStatusBarModel(StatusBarSink* sink = nullptr, StatusBarMetrics metrics = {});
  SECStatusBarModel(const SECStatusBarModel&) = delete;
  SECStatusBarModel& operator=(const SECStatusBarModel&) = delete;

  // One pane per id, in order. A non-zero id takes its string as text and
  // the text's width; id 0 is a quarter of `screenWidth` wide, and when it
  // is the first pane it stretches and has no borders. With `ids` null,
  // `count` empty panes. Texts are marked, not yet sent.
  bool SetIndicators(const CommandId* ids, int count, const ResourceTables& strings, TextMeasurer& measurer,
                     int screenWidth);

  int GetCount() const { return int(m_panes.size()); }
  const StatusPane& Pane(int index) const { return m_panes.at(std::size_t(index)); }
  // Index of the first pane with `id`, -1 when none.
  int CommandToIndex(CommandId id) const;

  std::uint32_t GetPaneStyle(int index) const;
  // A changed style re-sends the pane's text; a changed stretch bit lays
  // the panes out again first.
  void SetPaneStyle(int index, std::uint32_t style);
  // Stores the text; with `update` it is sent at once, else only marked.
  // The same text again (not marked) sends nothing. False for a bad index.
  bool SetPaneText(int index, std::string_view text, bool update = true);
  const std::string& GetPaneText(int index) const;

  // The window's text is the text of the pane with id 0: 0 when set, -1
  // when there is no such pane.
  int SetWindowText(std::string_view text);
  std::string GetWindowText() const;
  int GetWindowTextLength() const;

  // Size of the window and whether it shows a size grip now (a grip of a
  // maximised window takes no room).
  void SetWindow(Size size, bool sizeGrip);
  Size WindowSize() const { return m_window; }
  // Window rectangle less the insets and the room of the size grip.
  Rect InsideRect() const;
  // Bottom-right square of the size grip; empty without one.
  Rect GripRect() const;

  // With `rects` the panes are laid out again; with `texts` every marked
  // text is sent.
  void UpdateAllPanes(bool rects, bool texts);
  // Rectangle of a pane of the last layout; empty for a bad index.
  Rect GetItemRect(int index) const;

  void SetMinHeight(int height) { m_minHeight = height; }
  // The bar's size when docked horizontally: full width, the height of one
  // line of the font plus borders and insets, at least the minimum height.
  // Other orientations get 0 x 0.
  Size CalcFixedLayout(bool horizontal, int fontHeight, int internalLeading) const;

  // Asks `router` for the state of every pane's command (id 0 excepted):
  // enable sets or clears the disabled bit, a handled check the pop-out
  // bit, a set text the pane text. With `disableIfNoHandler` a command
  // nobody runs and no handler enables disables its pane.
  void UpdateCmdUI(const CommandRouter& router, bool disableIfNoHandler);

  const StatusBarMetrics& Metrics() const { return m_metrics; }

 private:
  void Send(int index);
  StatusPane* At(int index);

  StatusBarSink* m_sink;
  StatusBarMetrics m_metrics;
  std::vector<StatusPane> m_panes;
  Size m_window;
  bool m_sizeGrip = false;
  int m_minHeight = 0;
};

}  // namespace pm2
