#pragma once
// Geometry and input rules of the two tab strips, without a window:
// SECTabControlModel is the flat strip (trapezoid tabs hanging from the top
// line, scroll buttons at the left); SEC3DTabControlModel is the 3-D strip
// (bevelled rectangles along one of four edges, shortened labels, icons,
// disabled tabs, keyboard stepping and drag reordering). The widgets derive
// from these, feed them the client rectangle and input, and override the
// repaint hooks. Text is measured through a TextMeasurer so that layouts are
// the same everywhere in tests.

#include <array>
#include <cstdint>
#include <string>

#include "toolkit/models/list_host.h"
#include "toolkit/models/tab_model.h"

namespace pm2 {

// ---------------------------------------------------------------- flat strip
constexpr unsigned kTabButtonFirst = 1, kTabButtonPrev = 2, kTabButtonNext = 4, kTabButtonLast = 8;

class SECTabControlModel : public SECTabControlBase {
 public:
  // `measure` measures labels in the bold active-tab font (FontChoice bold);
  // null: fixed 6-pixel characters.
  explicit SECTabControlModel(TextMeasurer* measure = nullptr, unsigned ctrlId = kTabStripId,
                              TabListener* parent = nullptr);

  // Style 0x1: previous and next buttons; 0x2: all four.
  void Initialize(std::uint32_t style);
  void SetClientRect(const Rect& r);
  const Rect& ClientRect() const { return m_client; }

  void RecalcLayout() override;
  SECTab* InsertTab(int index, std::string_view label, void* client = nullptr, std::uint32_t data1 = 0,
                    std::uint32_t data2 = 0) override;
  void ScrollToTab(int index) override;

  // Left edge of tab i (scroll offset included).
  int TabLeft(int index) const;
  // The hit and invalidation polygon (x,T) (x+6,B) (x+w-6,B) (x+w,T) and the
  // painted one (x,T) (x+6,B) (x+w-7,B) (x+w-1,T).
  std::array<Point, 4> TabRegion(int index) const;
  std::array<Point, 4> TabPaintPolygon(int index) const;
  Rect TabBounds(int index) const;
  virtual bool TabHit(int index, Point pt) const;
  int HitTab(Point pt) const;  // first tab by index, -1 for none

  Rect GetTabsRect() const;
  Rect GetButtonsRect() const;
  // The strip's width with every tab shown whole: its buttons and tabs.
  int FullWidth() const;
  Rect GetButtonRect(unsigned button) const;
  unsigned ButtonAt(Point pt) const;  // a shown button's bit, 0 for none

  void UpdateScrollButtons();
  // One press of an enabled button (first, previous, next, last); false
  // for a disabled or hidden one. RepeatScrollButton is the auto-repeat
  // step (previous and next only).
  bool PressScrollButton(unsigned button);
  bool RepeatScrollButton(unsigned button);
  void ReleaseButton();

  // Mouse rules; `ctrl`/`shift` are the held keys. Returns true when a
  // scroll button took the press.
  bool OnLButtonDown(Point pt, bool ctrl, bool shift);
  void OnLButtonDblClk(Point pt);

  // Repaint and scroll hooks for the widget.
  virtual void OnScrolled(int /*dx*/) {}
  virtual void InvalidateButtons() {}

  int m_nScrollOffset = 0;  // 0 or negative
  int m_nStripHeight = 0;
  bool m_bMultiSelect = true;
  unsigned m_nButtons = 0;
  unsigned m_nPressedButton = 0;
  unsigned m_nDisabledButtons = 0;
  int m_cxButton = 0;
  int m_cyButton = 0;
  int m_nOverlap = -5;
  int m_nSlant = 6;
  int m_nScrollStep = 10;
  int m_nTextPad = 20;
  int m_nScrollMargin = 20;

 private:
  void ApplyOffsetChange(int oldOffset);
  TextMeasurer* m_measure;
  Rect m_client;
};

// ------------------------------------------------------------ 3-D strip
namespace tab3d {
constexpr std::uint32_t kFlat = 0x8, kBottom = 0x10, kTop = 0x20, kLeft = 0x40, kRight = 0x80,
                        kNoGrow = 0x100, kClassic = 0x200, kNoOuter = 0x400, kDrag = 0x800;
constexpr int kTabDepth = 22;
constexpr int kIconSize = 16, kIconStep = 19, kTextInset = 6;
}  // namespace tab3d

// Where one 3-D tab's parts stand, in strip coordinates. Painting, hit
// tests, tips and invalidation all read this one description.
struct Tab3DGeometry {
  Rect hit;            // the tab's rectangle: clicks, tips, invalidation
  Rect body;           // filled and bevelled: hit, one pixel narrower along
                       // the bottom edge, two shorter along the right edge
  Rect icon;           // 16 x 16; empty without an icon
  Rect text;           // where the label runs; empty without labels
  Rect focus;          // the focus rectangle inside the tab
  int textAngle = 0;   // 0, 90 (left edge: reads upwards) or -90 (right edge)
};

// Font sizes of the 3-D strip: the classic font is a 15-pixel cell; the
// flat look's is 8.5 points at the screen's vertical resolution (dots per
// inch), as a character height in pixels.
constexpr int kTab3DClassicFontCell = 15;
constexpr int Tab3DFlatFontPixels(int logPixelsY) { return logPixelsY * 85 / 720; }

class SEC3DTabControlModel : public SECTabControlBase {
 public:
  explicit SEC3DTabControlModel(TextMeasurer* measure = nullptr, unsigned ctrlId = kTabStripId,
                                TabListener* parent = nullptr);

  void Initialize(std::uint32_t style) { m_dwStyle = style; }
  std::uint32_t Style() const { return m_dwStyle; }
  // Changes the style bits; an orientation change re-lays out.
  void ModifyStyle(std::uint32_t remove, std::uint32_t add);
  bool IsHorizontal() const { return (m_dwStyle & (tab3d::kBottom | tab3d::kTop)) != 0; }
  void SetClientRect(const Rect& r);
  const Rect& ClientRect() const { return m_client; }

  std::unique_ptr<SECTab> CreateNewTab() override { return std::make_unique<SEC3DTab>(); }
  void RecalcLayout() override;
  void OnActivateTab(int) override { RecalcLayout(); }
  SECTab* InsertTab(int index, std::string_view label, void* client = nullptr, std::uint32_t data1 = 0,
                    std::uint32_t data2 = 0) override;
  SECTab* AddTab(std::string_view label, void* client = nullptr, std::uint32_t data1 = 0,
                 std::uint32_t data2 = 0) override;
  void RenameTab(int index, std::string_view label) override;
  void SetTabIcon(int index, const void* icon);

  SEC3DTab& Tab3D(int index) { return static_cast<SEC3DTab&>(GetTab(index)); }
  const SEC3DTab& Tab3D(int index) const { return static_cast<const SEC3DTab&>(GetTab(index)); }
  Rect GetTabRect(int index) const { return Tab3D(index).m_rect; }

  void EnableTab(int index, bool enable);
  bool IsTabEnabled(int index) const { return IsValidTab(index) && Tab3D(index).m_bEnabled; }

  void FitLabels(int fullLength, int iconsLength, int available);
  void CalcTabRect(int index, int x, int y);
  // Sum over the tabs of 6 + 19 (icon) + label width + 6, for the full or
  // the displayed labels.
  int MeasuredLength(bool fullLabels) const;
  int TextWidth(std::string_view text) const;

  // Input. OnLButtonDown: activation of the first enabled tab under the
  // point, or the active-click notice. OnKeyDown: arrow stepping; true when
  // it moved. DragTo: with style 0x800 while the button is held; true when
  // the active tab moved to a new place.
  Tab3DGeometry TabGeometry(int index) const;
  int TabAt(Point pt, bool enabledOnly) const;
  void OnLButtonDown(Point pt);
  void OnLButtonDblClk(Point pt);
  bool OnKeyDown(unsigned vkey);
  bool DragTo(Point pt);
  // The tab whose full label the tip shows at `pt`, -1 for none.
  int ToolTipTab(Point pt) const;

  bool m_bFitLabels = true;
  bool m_bShowLabels = true;
  int m_cyTab = tab3d::kTabDepth;
  int m_cxTab = tab3d::kTabDepth;
  int m_nFirstX = 7;
  int m_nFirstY = 7;
  // The blank before a tab's content and after its label. An owner whose
  // strip is narrow for its labels (a bar at its default width) may take
  // less, so that the labels are not shortened.
  int m_nTextInset = tab3d::kTextInset;

 private:
  TextMeasurer* m_measure;
  Rect m_client;
  std::uint32_t m_dwStyle = tab3d::kBottom;
};

}  // namespace pm2
