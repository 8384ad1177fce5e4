#pragma once
// A resource module with small drawn strips, and a button host that records
// what its buttons ask of it.
#include <string>
#include <utility>
#include <vector>

#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/button_host.h"
#include "toolkit/toolbars/std_btn.h"
#include "toolkit/toolbars/toolbar_resource.h"

namespace pm2::test {

// A strip of `n` images of cx x cy; image i is filled with colour 0x10 * (i + 1)
// (red channel) and has a black pixel at its top-left corner.
inline PixelBuffer Strip(int n, int cx, int cy) {
  PixelBuffer p(n * cx, cy);
  for (int i = 0; i < n; ++i)
    for (int y = 0; y < cy; ++y)
      for (int x = 0; x < cx; ++x) p.Set(i * cx + x, y, (x == 0 && y == 0) ? 0 : Color(0x10 * (i + 1)) << 16);
  return p;
}

inline void AddStrip(MemoryResourceModule& m, unsigned id, int cx, int cy, const std::vector<unsigned>& ids) {
  m.AddResource(id, kRtToolbar, WriteToolbarResource(cx, cy, ids));
  int images = 0;
  for (unsigned i : ids) images += i != 0;
  m.AddBitmap(id, Strip(images, cx, cy));
}

class FakeHost : public ButtonHost {
 public:
  explicit FakeHost(SECBmpMgr* mgr = nullptr) : mgr(mgr) {}
  SECBmpMgr* BmpMgr() const override { return mgr; }
  ButtonMetrics Metrics() const override { return ButtonMetrics::FromImage(16, 15); }
  BarLook Look() const override { return look; }
  void InvalidateButton(const Rect& r) override { invalidated.push_back(r); }
  void SendNotify(const ToolbarNotify& n) override {
    notes.push_back(n);
    runningDuringNotify = SECIsRunningCommand();
    pressedDuringNotify = n.index >= 0 && (buttons[std::size_t(n.index)]->m_nStyle & TBBS_PRESSED) != 0;
  }
  int IndexOf(const SECStdBtn& b) const override {
    for (std::size_t i = 0; i < buttons.size(); ++i)
      if (buttons[i] == &b) return int(i);
    return -1;
  }
  std::vector<SECStdBtn*> ButtonsWithId(unsigned id) override {
    std::vector<SECStdBtn*> out;
    for (FakeHost* h : bars)
      for (SECStdBtn* b : h->buttons)
        if (b->m_nID == id) out.push_back(b);
    return out;
  }
  std::vector<SECStdBtn*> CheckGroupOf(const SECStdBtn& b) override {
    std::vector<SECStdBtn*> out;
    if ((b.m_nStyle & TBBS_CHECKGROUP) != TBBS_CHECKGROUP) return out;
    for (SECStdBtn* o : buttons)
      if ((o->m_nStyle & TBBS_CHECKGROUP) == TBBS_CHECKGROUP) out.push_back(o);
    return out;
  }
  void RaiseLargestButton(int cx, int cy) override {
    largest.cx = std::max(largest.cx, cx);
    largest.cy = std::max(largest.cy, cy);
  }

  Size MeasureMenuText(const std::string& text) const override { return {int(text.size()) * 6, 13}; }
  void DrawMenuText(PixelBuffer&, int x, int y, const std::string& text, Color color) const override {
    drawnText.push_back({x, y, text, color});
  }
  void OpenButtonPopup(SECStdBtn& b, unsigned menu1, unsigned menu2) override {
    popups.push_back({menu1, menu2});
    pressedDuringPopup = (b.m_nStyle & TBBS_PRESSED) != 0;
  }

  struct DrawnText {
    int x, y;
    std::string text;
    Color color;
  };
  mutable std::vector<DrawnText> drawnText;
  std::vector<std::pair<unsigned, unsigned>> popups;
  bool pressedDuringPopup = false;
  SECBmpMgr* mgr;
  BarLook look;
  std::vector<SECStdBtn*> buttons;
  std::vector<FakeHost*> bars{this};  // the bars of the same manager
  std::vector<Rect> invalidated;
  std::vector<ToolbarNotify> notes;
  bool runningDuringNotify = false;
  bool pressedDuringNotify = false;
  Size largest;
};

}  // namespace pm2::test
