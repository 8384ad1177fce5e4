#pragma once
// Tab windows: a container that shows one child window per tab and a strip
// to switch between them. SECTabWnd puts a flat strip at the bottom beside a
// horizontal scroll bar (with a splitter between them) and a vertical bar at
// the right; the two bars are shared by all panes and keep each pane's
// state across switches. SEC3DTabWnd puts a 3-D strip on one edge and a
// bevelled frame round the pane. The container never owns its panes; a
// pane its owner destroys first loses its tab.

#include <QIcon>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "toolkit/models/tab_model.h"

namespace pm2 {

constexpr unsigned kTabWndHScrollId = 60416, kTabWndVScrollId = 60671, kTabWndFirstPaneId = 0xEB00;
constexpr std::uint32_t kPaneHScroll = 0x00100000, kPaneVScroll = 0x00200000;

// Panes that want the shared bars' movements implement this.
class TabPaneScrollClient {
 public:
  virtual ~TabPaneScrollClient() = default;
  virtual void OnTabWndScroll(int bar, int value) = 0;  // bar 0 horizontal, 1 vertical
};

// Makes the window of a tab created by the tab window itself (the run-time
// class of a view): called with the tab window as parent; null on failure.
using TabViewFactory = std::function<QWidget*(QWidget* parent)>;
// The id a created view gets when none is named: kTabWndFirstPaneId plus
// the number of tabs before it.
constexpr int kTabWndDefaultViewId = -1;

class SECTabWndBase : public QWidget, public TabListener {
 public:
  explicit SECTabWndBase(QWidget* parent, unsigned id = 0);
  ~SECTabWndBase() override;

  void AddTab(QWidget* pane, const std::string& label);
  void InsertTab(QWidget* pane, int index, const std::string& label);
  // A tab whose window the tab window creates (CreateView): the new
  // window, or null (and no tab) when it could not be made.
  QWidget* AddTab(const TabViewFactory& makeView, const std::string& label, int id = kTabWndDefaultViewId);
  QWidget* InsertTab(const TabViewFactory& makeView, int index, const std::string& label,
                     int id = kTabWndDefaultViewId);
  // Makes a view as a visible child of this window with the control id
  // `id` (kTabWndDefaultViewId: the next pane id); null when the factory
  // fails or throws.
  QWidget* CreateView(const TabViewFactory& makeView, int id = kTabWndDefaultViewId);
  // The control id CreateView gave a window (0 for other windows).
  static unsigned ViewId(const QWidget* view);
  virtual void SetScrollStyle(int /*index*/, std::uint32_t /*style*/) {}
  virtual void RemoveTab(int index);
  // By window: nothing when the window has no tab. The window itself is
  // neither hidden nor destroyed.
  void RemoveTab(QWidget* pane);
  void RenameTab(int index, const std::string& label);
  void RenameTab(QWidget* pane, const std::string& label);
  void ActivateTab(int index);
  bool ActivateTab(QWidget* pane);
  virtual bool ActivateTab(QWidget* pane, int index);
  void ClearSelection();
  void ScrollToTab(int index);
  void ScrollToTab(QWidget* pane);
  // The tab's icon, on strips that draw icons (the 3-D strip); a null icon
  // takes it away. False when the strip draws none or the index is bad.
  bool SetTabIcon(int index, const QIcon& icon);
  // From an image file or resource path, scaled to cx x cy.
  bool SetTabIcon(int index, const QString& resource, int cx = 16, int cy = 16);
  // Gives the active tab's window the focus again (a click on the active
  // tab, the container becoming active).
  void ActivateActiveView();

  int GetTabCount() const { return m_pTabCtrl ? m_pTabCtrl->GetTabCount() : 0; }
  bool IsValidTab(int index) const { return m_pTabCtrl && m_pTabCtrl->IsValidTab(index); }
  bool GetTabInfo(int index, std::string* label, bool* selected, QWidget** pane, std::uint32_t* data1,
                  std::uint32_t* data2) const;
  bool TabExists(const QWidget* pane) const { return m_pTabCtrl && m_pTabCtrl->TabExists(pane); }
  bool GetActiveTab(int* index) const { return m_pTabCtrl && m_pTabCtrl->GetActiveTab(index); }
  QWidget* GetActiveWnd() const;
  QWidget* PaneOf(int index) const;
  bool FindTab(const QWidget* pane, int* index) const { return m_pTabCtrl && m_pTabCtrl->FindTab(pane, index); }
  TabListener* GetNotifyWnd() const { return m_pNotify; }
  SECTabControlBase* TabCtrl() const { return m_pTabCtrl; }
  QWidget* TabWidget() const { return m_pTabWidget; }
  // Null makes the parent the listener again (when it listens to tabs).
  void SetNotifyWnd(TabListener* listener) {
    m_pNotify = listener ? listener : dynamic_cast<TabListener*>(parentWidget());
  }

  // The system colours changed: the colour record is reloaded, the strip is
  // told and the window repaints.
  void OnSysColorChange();

  virtual Rect GetInsideRect() const { return {0, 0, width(), height()}; }
  virtual void RecalcLayout() {}

  std::intptr_t OnTabMessage(unsigned message, std::intptr_t wParam, TabActivateInfo* info) override;

 protected:
  void resizeEvent(QResizeEvent*) override { RecalcLayout(); }
  bool event(QEvent*) override;
  // Focus to the container, then to the pane (or the first child of it
  // that takes the focus).
  void FocusPane(QWidget* pane);
  // The variant's strip: the model and its widget (one object).
  SECTabControlBase* m_pTabCtrl = nullptr;
  QWidget* m_pTabWidget = nullptr;
  QWidget* m_pActiveWnd = nullptr;
  TabListener* m_pNotify = nullptr;
  unsigned m_nID;
  bool m_bForward = false;  // the variants pass activations on

 private:
  void WatchPane(QWidget* pane);
  void UnwatchPane(const void* pane);
  void OnPaneDestroyed(QObject* pane);
  // Each pane's destroyed() connection, by the pane's address.
  std::map<const void*, QMetaObject::Connection> m_paneWatches;
};

class SECTabWnd : public SECTabWndBase {
 public:
  // Style 0x1: previous/next buttons on the strip, 0x2: all four.
  SECTabWnd(QWidget* parent, std::uint32_t style = 0x2, unsigned id = 0);

  void SetScrollStyle(int index, std::uint32_t style) override;
  void RemoveTab(int index) override;
  using SECTabWndBase::RemoveTab;
  bool ActivateTab(QWidget* pane, int index) override;
  using SECTabWndBase::ActivateTab;
  Rect GetInsideRect() const override;
  void RecalcLayout() override;
  // The shared bar a pane uses (0 horizontal, 1 vertical), null when the
  // pane's style has none.
  QScrollBar* GetScrollBar(int bar, QWidget* pane = nullptr) const;
  Rect GetSplitterRect() const;
  // The window's width that shows every tab whole beside a usable shared
  // scroll bar (a floating bar's width).
  int FullStripWidth() const;
  int m_nSplitterPos = 0;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  struct ScrollInfo {
    int min = 0, max = 0, page = 0, pos = 0;
  };
  struct PaneState {
    std::uint32_t style = 0;
    ScrollInfo h, v;
  };
  bool Has(int index, std::uint32_t bit) const;
  void Forward(int bar, int value);
  std::vector<PaneState> m_panes;  // index = tab index
  QScrollBar* m_pHBar;
  QScrollBar* m_pVBar;
  int m_cyStrip, m_cxVScroll, m_cyHScroll;
  int m_cxSplitter = 5;
  int m_nDragOffset = 0;
  bool m_bTracking = false;
  bool m_bFirstSize = true;
  // Where the user wants the splitter: a narrow window moves it left, a
  // wider one again brings it back to here.
  int m_nWantedSplitterPos = -1;
};

// The window style bit that makes a 3-D tab window a keyboard stop.
constexpr std::uint32_t kTabWndTabStop = 0x00010000;
// Asked of a 3-D tab window before it acts on Ctrl+Tab, Ctrl+PageUp or
// Ctrl+PageDown; a non-zero answer consumes the key.
constexpr unsigned kWmTabWndCtrlKey = 0x475;

class SEC3DTabWnd : public SECTabWndBase {
 public:
  // Style bits: 0x8 flat, 0x10 bottom, 0x20 top, 0x40 left, 0x80 right,
  // 0x100 no enlarged active tab, 0x400 no outer light lines, 0x800 drag;
  // kTabWndTabStop: the window takes part in keyboard navigation.
  SEC3DTabWnd(QWidget* parent, std::uint32_t style = 0x10, unsigned id = 0);
  ~SEC3DTabWnd() override;
  Rect GetInsideRect() const override;
  void RecalcLayout() override;
  Rect StripRect() const;

  // The keyboard rules of the window as a keyboard stop, for a key pressed
  // while `focus` (this window, its strip or something in a pane) has the
  // focus. True when the key was consumed. Without the tab-stop style
  // nothing is consumed.
  bool PreTranslateKey(QWidget* focus, int qtKey, Qt::KeyboardModifiers mods);

 protected:
  // Message kWmTabWndCtrlKey: `vkey` is the Windows key code (Tab, Prior or
  // Next). Nothing in the toolkit answers it; 0 lets the key go on.
  virtual std::intptr_t OnCtrlNavigationKey(unsigned vkey, bool shift);
  void paintEvent(QPaintEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PaintClassicFrame(QPainter& p, const Rect& i);
  std::uint32_t m_dwTabStyle;
  bool m_bTabStop;
  int m_cyTabs = 30;
  int m_cxTabs = 30;
};

}  // namespace pm2
