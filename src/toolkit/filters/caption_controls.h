#pragma once
// Caption filters: the caption bar's geometry, the list filter that lays
// out one button filter per caption button from the right edge (close,
// maximise, restore, minimise, help), and the button filter that paints,
// tracks the mouse, fires after a hold delay and posts its system command.

#include "toolkit/filters/msg_filter.h"

namespace pm2 {

// Caption-button kinds (the ids of caption controls); 4096 and above: none.
enum CaptionKind : int { kCapClose = 0, kCapMinimize = 1, kCapMaximize = 2, kCapRestore = 3, kCapHelp = 4 };
constexpr int kCapNone = 4096;
constexpr unsigned DFC_CAPTION_TYPE = 1, DFCS_INACTIVE_BIT = 0x100, DFCS_PUSHED_BIT = 0x200;

class SECNcMsgFilter : public SECMsgFilter {
 public:
  using SECMsgFilter::SECMsgFilter;
  std::unique_ptr<SECMsgFilter> Clone() const override { return std::make_unique<SECNcMsgFilter>(*this); }
  const char* ClassName() const override { return "SECNcMsgFilter"; }
};

class SECCaptionMsgFilter : public SECNcMsgFilter {
 public:
  using SECNcMsgFilter::SECNcMsgFilter;
  std::unique_ptr<SECMsgFilter> Clone() const override { return std::make_unique<SECCaptionMsgFilter>(*this); }
  const char* ClassName() const override { return "SECCaptionMsgFilter"; }
  // The caption bar in window coordinates.
  virtual Rect GetCaptionRect() const;
  virtual Size GetButtonSize() const;
  virtual Point GetFirstButtonOrigin(const Rect& caption, Size button) const;
};

class SECCaptionControlMsgFilter : public SECCaptionMsgFilter {
 public:
  explicit SECCaptionControlMsgFilter(FilterWindow* wnd = nullptr, int id = -1, unsigned state = 0,
                                      unsigned type = DFC_CAPTION_TYPE)
      : SECCaptionMsgFilter(wnd, id), m_type(type), m_baseState(state) {}
  SECCaptionControlMsgFilter(const SECCaptionControlMsgFilter& o);
  std::unique_ptr<SECMsgFilter> Clone() const override { return std::make_unique<SECCaptionControlMsgFilter>(*this); }
  const char* ClassName() const override { return "SECCaptionControlMsgFilter"; }

  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;
  virtual void Draw();
  bool HitTest(Point screen) const;
  virtual void OnLButtonDown(Point screen);
  virtual void OnLButtonUp(Point screen);
  virtual void OnHold(Point screen);
  virtual void OnMouseMove(Point screen);
  virtual void Fire(int event, Point screen);
  // Only event 0 (a click) has a command: the system command of the kind.
  virtual bool GetCommand(int event, Point screen, unsigned* msg, std::uintptr_t* wParam, std::intptr_t* lParam);
  // True when the button shows for the window's styles; *disabled when
  // it shows greyed.
  virtual bool IsVisible(bool* disabled) const;

  const Rect& ButtonRect() const { return m_rect; }
  void SetButtonRect(const Rect& r) { m_rect = r; }
  // The DrawFrameControl state: the given state plus the kind. Only a
  // caption-type control takes its id as the kind: a button of another
  // type may carry a table id that would read as state bits.
  unsigned State() const {
    return m_state | unsigned(m_type == DFC_CAPTION_TYPE && m_id < kCapNone && m_id >= 0 ? m_id : 0);
  }
  void SetStateBits(unsigned bits, bool on) { m_state = on ? (m_state | bits) : (m_state & ~bits); }
  unsigned Type() const { return m_type; }
  bool IsTracking() const { return m_tracking; }
  void SetHoldDelay(int ms) { m_holdDelay = ms; }
  bool HoldPending() const { return m_timer != nullptr; }

 protected:
  void BeginTracking(bool push, bool redraw);
  void EndTracking(bool release, bool redraw);
  void StartHoldTimer(Point screen);
  void StopHoldTimer() { m_timer.reset(); }

  Rect m_rect;
  unsigned m_type;
  unsigned m_baseState;
  unsigned m_state = m_baseState;
  bool m_tracking = false;
  int m_holdDelay = -1;
  std::unique_ptr<FilterTimer> m_timer;
};

class SECCaptionControlListMsgFilter : public SECCaptionMsgFilter {
 public:
  // Creates its five controls.
  explicit SECCaptionControlListMsgFilter(FilterWindow* wnd = nullptr, int id = -1);
  SECCaptionControlListMsgFilter(const SECCaptionControlListMsgFilter&) = default;
  std::unique_ptr<SECMsgFilter> Clone() const override {
    return std::make_unique<SECCaptionControlListMsgFilter>(*this);
  }
  const char* ClassName() const override { return "SECCaptionControlListMsgFilter"; }
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;
  virtual void LayoutControls();
  // The four enable states of the close, maximise, restore and minimise
  // controls (the dockable frame's caption-button switches).
  void SetButtonStates(const std::vector<bool>& enabled);
};

// The buttons of a maximised MDI child, drawn in the frame's menu row.
class SECCapConLstMDIMaxChildMsgFilter : public SECCaptionControlListMsgFilter {
 public:
  using SECCaptionControlListMsgFilter::SECCaptionControlListMsgFilter;
  std::unique_ptr<SECMsgFilter> Clone() const override {
    return std::make_unique<SECCapConLstMDIMaxChildMsgFilter>(*this);
  }
  const char* ClassName() const override { return "SECCapConLstMDIMaxChildMsgFilter"; }
  Size GetButtonSize() const override;
  Point GetFirstButtonOrigin(const Rect& caption, Size button) const override;
  // Presses on the menu row reach the buttons as presses on a caption.
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;
};

}  // namespace pm2
