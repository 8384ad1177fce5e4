#pragma once
// Message filters: small objects a window hands some of its messages to
// before (or after) its own handling. Filters form a tree; a message goes
// to the enabled children in order until one answers "stop". Descriptor
// tables (id, parent id, class, flags) declare which filters a window has;
// applying a table with an enable flag per row creates the filters and
// switches them on or off.
//
// Result flags of Filter: 1 handled (the window skips its own handling),
// 8 stop (later siblings do not see the message); 2 and 4 are passed up as
// they are (the caption buttons answer 7 for mouse messages they take).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/geometry.h"

namespace pm2 {

// Window messages, styles and codes the filters read (Windows numbering).
namespace wm {
constexpr unsigned SetText = 0x000C, SetCursor = 0x0020, NcPaint = 0x0085, NcActivate = 0x0086,
                   NcLButtonDown = 0x00A1, NcRButtonDown = 0x00A4, NcRButtonUp = 0x00A5, NcRButtonDblClk = 0x00A6,
                   SysCommand = 0x0112, MouseMove = 0x0200, LButtonUp = 0x0202;
}
constexpr std::uint32_t WS_CAPTION_BITS = 0x00C00000, WS_BORDER_BIT = 0x00800000, WS_DLGFRAME_BIT = 0x00400000,
                        WS_SYSMENU_BIT = 0x00080000, WS_THICKFRAME_BIT = 0x00040000,
                        WS_MINIMIZEBOX_BIT = 0x00020000, WS_MAXIMIZEBOX_BIT = 0x00010000,
                        WS_EX_TOOLWINDOW_BIT = 0x80, WS_EX_CONTEXTHELP_BIT = 0x400;
constexpr int kHitCaption = 2, kHitMenu = 5;
constexpr unsigned SC_MOVE_CMD = 0xF010, SC_CLOSE_CMD = 0xF060, SC_MINIMIZE_CMD = 0xF020, SC_MAXIMIZE_CMD = 0xF030,
                   SC_RESTORE_CMD = 0xF120, SC_CONTEXTHELP_CMD = 0xF180;
constexpr unsigned kFilterHandled = 1, kFilterStop = 8;

// The metrics of caption layout, Windows-classic by default.
struct CaptionMetrics {
  int cxSize = 18, cySize = 18;      // caption buttons
  int cxSmSize = 12, cySmSize = 15;  // tool-window caption buttons
  int cxMenuSize = 18, cyMenuSize = 18;
  int cxFrame = 4, cyFrame = 4;      // sizing border
  int cxDlgFrame = 3, cyDlgFrame = 3;
  int cxBorder = 1, cyBorder = 1;
  int cyCaption = 19, cySmCaption = 15;
};

// The window a filter serves: its styles and state, and the few actions
// filters take on it. Points are in screen coordinates unless said.
class FilterWindow {
 public:
  virtual ~FilterWindow() = default;
  virtual std::uint32_t Style() const = 0;
  virtual std::uint32_t ExStyle() const = 0;
  virtual bool IsIconic() const { return false; }
  virtual bool IsZoomed() const { return false; }
  virtual Size WindowSize() const = 0;
  // Where the window's top-left corner is on the screen.
  virtual Point WindowOrigin() const { return {}; }
  // Screen minus window coordinates of the client area's origin.
  virtual Point ClientOrigin() const { return WindowOrigin(); }
  // The system menu's close item is greyed or disabled.
  virtual bool IsCloseDisabled() const { return false; }
  virtual const CaptionMetrics& Metrics() const = 0;
  virtual bool Exists() const { return true; }
  // Paints a caption button (window coordinates, DrawFrameControl form).
  virtual void DrawFrameControl(const Rect&, unsigned /*type*/, unsigned /*state*/) {}
  virtual void SetCapture(bool /*on*/) {}
  virtual void PostMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  virtual std::intptr_t SendMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // A one-shot timer after `ms`; the returned handle cancels it when
  // destroyed. Null when no timer can be set.
  virtual std::unique_ptr<struct FilterTimer> StartTimer(int ms, std::function<void()> fire) = 0;
};

struct FilterTimer {
  virtual ~FilterTimer() = default;
};

// One message as a filter sees it: lParam of the mouse messages carries
// the point (screen for non-client messages, client for the others).
struct FilterMessage {
  unsigned msg = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  Point point;
};

class SECMsgFilter;
using FilterFactory = std::function<std::unique_ptr<SECMsgFilter>()>;

class SECMsgFilter {
 public:
  struct Descriptor {
    int id = -1;
    int parentId = -1;  // -1: a child of the filter the table is applied to
    FilterFactory create;
    unsigned flags = 0;  // bit 0: not disabled when applied with enable false
  };
  using DescriptorTable = std::vector<Descriptor>;

  explicit SECMsgFilter(FilterWindow* wnd = nullptr, int id = -1) : m_wnd(wnd), m_id(id) {}
  SECMsgFilter(const SECMsgFilter& other);
  SECMsgFilter& operator=(const SECMsgFilter&) = delete;
  virtual ~SECMsgFilter();
  virtual std::unique_ptr<SECMsgFilter> Clone() const { return std::make_unique<SECMsgFilter>(*this); }
  virtual const char* ClassName() const { return "SECMsgFilter"; }

  int Id() const { return m_id; }
  void SetId(int id) { m_id = id; }
  bool IsEnabled() const { return m_enabled; }
  void Enable(bool on) { m_enabled = on; }
  FilterWindow* GetWnd() const { return m_wnd; }
  void SetWnd(FilterWindow* wnd, bool recursive);
  const std::vector<std::unique_ptr<SECMsgFilter>>& Children() const { return m_children; }
  void AddChild(std::unique_ptr<SECMsgFilter> child);

  unsigned Filter(const FilterMessage& m, std::intptr_t* result);
  virtual unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) { return FilterChildren(m, result); }
  unsigned FilterChildren(const FilterMessage& m, std::intptr_t* result);
  // `create` given: made and appended when no filter of that id is found.
  SECMsgFilter* FindFilter(int id, const FilterFactory* create, int depth);
  void ApplyDescriptor(const Descriptor& d, bool enable);
  void ApplyDescriptors(const DescriptorTable& table, const std::vector<bool>& enable);
  void ApplyDescriptors(const DescriptorTable& table, bool enable);

 protected:
  FilterWindow* m_wnd = nullptr;
  int m_id = -1;
  bool m_enabled = true;
  std::vector<std::unique_ptr<SECMsgFilter>> m_children;
};

// A factory of filters of class T with their defaults.
template <class T>
FilterFactory MakeFilter() {
  return [] { return std::make_unique<T>(); };
}

}  // namespace pm2
