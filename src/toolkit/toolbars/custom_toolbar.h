#pragma once
// SECCustomToolBar: the toolkit's toolbar, a docking control bar that holds
// button objects. It wraps its buttons into rows for its shape (one row
// docked at the top or bottom, one column at the left or right, wrapped to
// its width while floating), tracks the hot button in the cool look, runs
// the command of a released button through the frame's routing, keeps the
// buttons' enabled and checked states current from the update handlers,
// shows tips, and is customised by dragging buttons with Alt (move) or Ctrl
// (copy) onto another place, another toolbar or off every toolbar. The
// layout rules are toolbar_layout.h's; the stored form toolbar_state.h's.

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/docking/dock_state.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/toolbars/button_host.h"
#include "toolkit/toolbars/std_btn.h"
#include "toolkit/toolbars/toolbar_layout.h"
#include "toolkit/toolbars/toolbar_state.h"

class QTimer;

namespace pm2 {

class DragOverlay;
class SECToolBarManager;

// Flags of the toolbar's own look (kept apart from the control bar's
// extended style, whose bits mean other things).
constexpr std::uint32_t kTbCoolLook = 0x300;

// Type ids of the saved bar records.
constexpr std::uint32_t kToolBarTypeId = 14946, kMenuBarTypeId = 14947;

// The saved form of one toolbar in a dock-state record: its title and its
// buttons (toolbar_state.h). Records of other bars carry it empty and store
// nothing.
class SECCustomToolBarInfoEx : public ControlBarInfoEx {
 public:
  bool filled = false;
  std::string title;
  std::vector<SavedButton> buttons;

  bool LoadFromNode(const SECPersistentTreeNode* node) override;
  bool LoadFromProfile(const SettingsStore& store, const std::string& section) override;
  bool SaveToNode(SECPersistentTreeNode* node) override;
  bool SaveToProfile(SettingsStore& store, const std::string& section) override;
};

class SECCustomToolBar : public SECControlBar, public ButtonHost {
 public:
  // Without a manager the bar keeps `bmp` (or none) itself.
  explicit SECCustomToolBar(SECToolBarManager* manager = nullptr, SECBmpMgr* bmp = nullptr);
  ~SECCustomToolBar() override;

  // Creates the bar in `frame` with the toolbar's own control-bar styles
  // (fixed size, dynamic, tips as asked) and docking on every side.
  bool CreateToolBar(SECMDIFrameWnd* frame, const std::string& title, unsigned id, std::uint32_t barStyle,
                     std::uint32_t tbFlags);
  std::string ClassName() const override { return "SECCustomToolBar"; }
  SECToolBarManager* Manager() const { return m_pManager; }
  void SetManager(SECToolBarManager* m);
  void SetBmpMgr(SECBmpMgr* mgr);

  // Buttons. Ids of 0 are separators.
  void SetButtons(const std::vector<unsigned>& ids);
  std::vector<unsigned> ButtonIds() const;
  int ButtonCount() const { return int(m_btns.size()); }
  SECStdBtn* Button(int i) const { return m_btns[std::size_t(i)].get(); }
  int FindButton(unsigned id) const;
  void InsertButton(int index, unsigned id, bool noRecalc = false);
  // Drops a button and tidies the separators around it. An emptied user
  // toolbar closes itself (answering false); predefined bars and the menu
  // bar stay, empty.
  bool RemoveButton(int index, bool noRecalc = false);
  void RemoveAllButtons();
  virtual std::unique_ptr<SECStdBtn> CreateButton(unsigned id);
  std::unique_ptr<SECStdBtn> CreateSeparator();

  // Index of the visible, non-separator button at a point, else -1.
  int HitTestIndex(QPoint p) const;
  int HotIndex() const { return m_nHot; }

  // Look and modes.
  std::uint32_t ToolBarFlags() const { return m_tbFlags; }
  void SetToolBarFlags(std::uint32_t flags);
  bool IsCoolLook() const { return (m_tbFlags & 0x100) != 0; }
  void SetCustomizeMode(bool on);
  bool IsCustomizing() const { return m_bCustomize; }
  int Selected() const { return m_nSelected; }
  void ClearSelection();
  void SelectButton(int index);
  // Bit 0: no button leaves this bar by dragging (the menu bar's).
  std::uint32_t m_dwLockFlags = 0;
  virtual bool AcceptsDrop() const { return true; }

  // Sizes for every shape, from the buttons; then lays the buttons out for
  // the current shape and tells the frame.
  void RecalcSizes();
  void LayoutButtons();
  bool IsVerticalDock() const;
  // Rereads every button's enabled and checked state from the frame.
  void UpdateCmdUI();
  // Runs a command as a released button does.
  void RunCommand(unsigned id);

  // ButtonHost
  SECBmpMgr* BmpMgr() const override { return m_pBmpMgr; }
  ButtonMetrics Metrics() const override;
  BarLook Look() const override;
  void InvalidateButton(const Rect& r) override;
  void UpdateWindow() override { repaint(); }
  void SendNotify(const ToolbarNotify& n) override;
  int IndexOf(const SECStdBtn& b) const override;
  void RefreshHotState() override;
  std::vector<SECStdBtn*> ButtonsWithId(unsigned id) override;
  std::vector<SECStdBtn*> CheckGroupOf(const SECStdBtn& b) override;
  void RaiseLargestButton(int cx, int cy) override;
  void ButtonSizeChanged() override { Changed(); }
  void* NativeParent() const override { return const_cast<QWidget*>(static_cast<const QWidget*>(this)); }
  Size MeasureMenuText(const std::string& text) const override;
  void DrawMenuText(PixelBuffer& into, int x, int y, const std::string& text, Color color) const override;

  // Notifications of buttons (drop-downs, window buttons) for the owner.
  std::function<void(const ToolbarNotify&)> onNotify;

  // Persistence through the dock state.
  std::vector<SavedButton> SavedButtons() const;
  void RestoreButtons(const std::vector<SavedButton>& saved);
  void OnGetBarInfoEx(ControlBarInfo* info) const override;
  void OnSetBarInfoEx(const ControlBarInfo& info, SECMDIFrameWnd* frame) override;
  void OnBarDock() override;
  void OnBarFloat() override;

  // In the frame's command slot the bar asks for its one-row size.
  QSize sizeHint() const override;

  // Customisation by dragging, also reachable from tests: the button at
  // `index` dropped with its top-left at `screenTopLeft`.
  void DropDraggedButton(int index, QPoint screenTopLeft, bool copy);
  // Where a button dropped as `screenRect` goes among this bar's buttons:
  // the row holding the drop's centre, before the first button reaching
  // past the drop's left edge.
  int DropIndex(const QRect& screenRect) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  bool event(QEvent*) override;
  void showEvent(QShowEvent*) override;
  void hideEvent(QHideEvent*) override;

  // The inside borders of the current shape (the gripper's side is wider);
  // the menu bar keeps room for a maximised child's buttons in them.
  virtual Rect InsideMargins() const;
  // Room a derived bar keeps beside its buttons, in a row or in a column
  // (the menu bar's buttons of a maximised document); counted in its sizes.
  virtual Rect ExtraMargins(bool /*vertical*/) const { return {}; }
  bool IsDocked() const { return DockBar() && !IsFloating(); }
  void SetHot(int index);
  void Changed();  // sizes, frame layout and repaint after a button change
  std::vector<std::unique_ptr<SECStdBtn>> m_btns;
  // Layout items of the visible buttons and their indices.
  std::vector<LayoutItem> Items(bool vertical, std::vector<int>* indices) const;
  // Docked in a line shorter than the bar: its buttons wrapped to that
  // length (the dock bar asks, through the state's fitToLength).
  Size FitToLength(int length, bool vertical) const;
  int WidestMenuText() const;

 private:
  void EndDrag(bool drop, QPoint global);
  void InsertButtonObject(int index, std::unique_ptr<SECStdBtn> b, bool noRecalc);
  void TidySeparators();

  SECToolBarManager* m_pManager = nullptr;
  SECBmpMgr* m_pBmpMgr = nullptr;
  std::uint32_t m_tbFlags = 0;
  int m_nPressed = -1;
  int m_nHot = -1;
  unsigned m_promptId = 0;  // the command whose prompt the status line shows
  void ShowPrompt(unsigned id);
  int m_nSelected = -1;
  bool m_bCustomize = false;
  int m_cxMax = 0, m_cyMax = 0;
  SECBtnDrawState m_drawState;
  QTimer* m_updateTimer = nullptr;
  // Button drag.
  struct Drag {
    bool active = false;
    int index = -1;
    bool copy = false;
    QPoint grabOffset;
  } m_drag;
  std::unique_ptr<DragOverlay> m_overlay;
};

// The custom toolbar under a screen point (its own window or its floating
// frame), else null.
SECCustomToolBar* ToolBarAtScreenPoint(QPoint global);

}  // namespace pm2
