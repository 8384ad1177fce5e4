#pragma once
// SECShortcutListBase: the icon bar of an outlook-style shortcut bar,
// without a window. Items are list-engine rows shown as a large icon with
// the label centred below it (with a 12-pixel gap above each item) or as a
// small icon with the label beside it. Two scroll buttons stand in for a
// scroll bar. The model keeps the hot and pressed item states, the press
// point, the scroll position and the hover timer, and answers hit tests
// and drop positions from one geometry (VisibleItems) that the widget
// paints from as well.

#include <vector>

#include "toolkit/core/commands.h"
#include "toolkit/models/list_engine.h"

namespace pm2 {

// Item state bits on top of the list engine's: hot (mouse over the icon or
// label) and pressed; always changed together through the mask.
constexpr unsigned kShortcutHot = 0x0400;
constexpr unsigned kShortcutPressed = 0x0800;
constexpr unsigned kShortcutHotMask = 0x0C00;

constexpr int kShortcutItemSpacing = 12;
constexpr int kShortcutHoverTimer = 0xF0F0;
constexpr int kShortcutHoverMs = 250;
// Hit-test results of the scroll buttons.
constexpr int kShortcutHitUp = -10;
constexpr int kShortcutHitDown = -11;
// Notification codes to the owner (besides NM_CLICK).
constexpr int kShortcutNotifyDrop = 1100;
constexpr int kShortcutNotifyItemClick = 1101;
// The context menu and its commands.
constexpr unsigned kShortcutMenuId = 20620;
constexpr CommandId kIdShortcutLargeIcons = 43054;
constexpr CommandId kIdShortcutSmallIcons = 43055;
// A press turns into a drag once the mouse leaves the square of this
// half-width around the press point.
constexpr int kShortcutDragSlop = 5;

// The record of the bar's notifications.
struct NMSHORTCUT {
  NotifyHeader hdr;
  int item = -1;  // -1 when the notification concerns no item
};

struct ShortcutScrollButton {
  Rect rect;
  bool pressed = false;
  bool up = true;
};

// One visible item as painting, hit tests and drops see it (client
// coordinates). `gap` is the free band above the row (empty in small-icon
// mode, where rows touch).
struct ShortcutItemGeometry {
  int index = -1;
  Rect gap;
  Rect row;
  Rect icon;
  Rect label;
};

// Where a drop at a point would insert: before `insertBefore` (the item
// count appends), with the marker in the gap there. `code` places the
// marker's triangles: -1 at the bottom of the rectangle, -2 at the top,
// 0 in the middle.
struct ShortcutDropSpot {
  int insertBefore = 0;
  Rect marker;
  int code = 0;
};

class SECShortcutListBase : public SECListBaseC {
 public:
  SECShortcutListBase() = default;

  // The bar's own style bits are added to the caller's: no column header,
  // no engine scroll bars, shared image lists, a label column filling the
  // width; then the bar's colours.
  void Create(unsigned style, unsigned exStyle) override;
  // WM_SYSCOLORCHANGE: dark grey bar, white labels.
  void ApplyBarColors();

  bool IsLargeIcons() const { return ViewKind() == int(LVS_ICON); }
  void SetLargeIcons(bool large);
  // The context menu's commands; false for another id.
  bool OnBarCommand(CommandId id);
  // Check marks of the menu: the current mode's item is checked.
  void UpdateBarCommand(CommandState& state) const;

  // --- layout ---
  virtual int GetItemSpacing() const { return kShortcutItemSpacing; }
  // The client area changed size: the scroll buttons and the label
  // column follow it, rows are measured again.
  void RecalcLayout();
  const ShortcutScrollButton& UpButton() const { return m_up; }
  const ShortcutScrollButton& DownButton() const { return m_down; }
  int FirstVisible() const { return m_first; }
  // The up button shows when the first visible item is not item 0; the
  // down button while the last item is not wholly in view.
  bool UpButtonShown() const { return m_first > 0; }
  bool DownButtonShown();
  // Items from the first visible one down to the client bottom.
  std::vector<ShortcutItemGeometry> VisibleItems();

  // --- hit tests ---
  // -10 / -11 on the up / down button; an item index with LVHT_ flags
  // (icon, label, left or right of the label); -1 with LVHT_NOWHERE or
  // an outside flag.
  int BarHitTest(int x, int y, unsigned* flags);
  static bool OnIconOrLabel(unsigned flags) { return flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL); }
  ShortcutDropSpot DropSpotAt(int y);

  // --- hot and pressed states ---
  int HotItem() const { return m_hot; }
  unsigned GetItemHotState(int index);
  void SetItemHotState(int index, unsigned state);

  // --- input (client coordinates) ---
  void BarLButtonDown(int x, int y);
  void BarLButtonUp(int x, int y);
  // Returns the item whose drag starts now, else -1.
  int BarMouseMove(int x, int y, bool leftDown);
  // A hover-timer tick with the cursor where it is now.
  void BarTimer(Point cursor, bool cursorInWindow);
  void BarKillFocus();
  // Scrolls one line when the cursor is inside the bar; always handled.
  bool BarWheel(int delta, bool cursorInWindow);
  int LastWheelDelta() const { return m_wheelDelta; }
  bool PressPending() const { return m_pressPoint.x != -1 || m_pressPoint.y != -1; }
  void ForgetPress() {
    m_pressPoint = {-1, -1};
    m_pressedItem = -1;
  }
  virtual void ScrollUp();
  virtual void ScrollDown();

  // --- items ---
  void DeleteAllItems() override;
  bool RemoveItem(int index);
  // Removes a row found by its record (a move inside one bar shifts
  // indices, the record stays the same); false when it is gone.
  bool RemoveItemRecord(const SECListItem* rec);
  // Inserts a dropped item before `before`; an image index outside the
  // current view's image list becomes 0. Returns the new index.
  int InsertDroppedItem(int before, const std::string& text, int image, std::intptr_t param);

  NotifyResult NotifyParent(int code, int item);

 protected:
  // The large-icon row geometry of one item whose row starts at `top`.
  ShortcutItemGeometry LargeGeometry(int index, int top);
  void StartHoverTimer();

 private:
  int ClampedFirst();

  int m_first = 0;
  int m_hot = -1;
  bool m_hoverTimer = false;
  ShortcutScrollButton m_up{{}, false, true};
  ShortcutScrollButton m_down{{}, false, false};
  // The button a press started on (only it may look pressed).
  int m_heldButton = 0;  // 0 none, kShortcutHitUp, kShortcutHitDown
  int m_pressedItem = -1;
  unsigned m_pressFlags = 0;
  Point m_pressPoint{-1, -1};
  int m_wheelDelta = 0;
};

}  // namespace pm2
