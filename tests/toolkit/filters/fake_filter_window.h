#pragma once
// A window for filter tests: styles and state set by the test; paints,
// posted and sent messages and timers are recorded.

#include <string>
#include <vector>

#include "toolkit/filters/msg_filter.h"

namespace pm2 {

class FakeFilterWindow : public FilterWindow {
 public:
  std::uint32_t Style() const override { return style; }
  std::uint32_t ExStyle() const override { return exStyle; }
  bool IsIconic() const override { return iconic; }
  bool IsZoomed() const override { return zoomed; }
  Size WindowSize() const override { return size; }
  Point WindowOrigin() const override { return origin; }
  Point ClientOrigin() const override { return Point{origin.x + 4, origin.y + 23}; }
  bool IsCloseDisabled() const override { return closeDisabled; }
  const CaptionMetrics& Metrics() const override { return metrics; }
  void DrawFrameControl(const Rect& r, unsigned type, unsigned state) override {
    draws.push_back({r, type, state});
  }
  void SetCapture(bool on) override { captured = on; }
  void PostMessage(unsigned msg, std::uintptr_t w, std::intptr_t l) override { posted.push_back({msg, w, l}); }
  std::intptr_t SendMessage(unsigned msg, std::uintptr_t w, std::intptr_t l) override {
    sent.push_back({msg, w, l});
    return onSend ? onSend(msg, w, l) : 0;
  }
  struct Timer : FilterTimer {
    explicit Timer(FakeFilterWindow* o) : owner(o) {}
    ~Timer() override { owner->timer = {}; }
    FakeFilterWindow* owner;
  };
  std::unique_ptr<FilterTimer> StartTimer(int ms, std::function<void()> fire) override {
    timerMs = ms;
    timer = std::move(fire);
    return std::make_unique<Timer>(this);
  }
  void FireTimer() {
    auto f = timer;
    if (f) f();
  }

  struct Draw {
    Rect r;
    unsigned type, state;
  };
  struct Msg {
    unsigned msg;
    std::uintptr_t w;
    std::intptr_t l;
  };
  std::uint32_t style = WS_CAPTION_BITS | WS_SYSMENU_BIT | WS_THICKFRAME_BIT | WS_MINIMIZEBOX_BIT | WS_MAXIMIZEBOX_BIT;
  std::uint32_t exStyle = 0;
  bool iconic = false, zoomed = false, closeDisabled = false, captured = false;
  Size size{300, 200};
  Point origin{100, 50};
  CaptionMetrics metrics;
  std::vector<Draw> draws;
  std::vector<Msg> posted, sent;
  std::function<void()> timer;
  int timerMs = -1;
  std::function<std::intptr_t(unsigned, std::uintptr_t, std::intptr_t)> onSend;
};

}  // namespace pm2
