#pragma once
// The caption buttons of a maximised MDI child, drawn by the main frame in
// its menu row: the frame's filter tree serves a window that takes its
// place and size from the frame and its styles, state and commands from
// the maximised child, so the ordinary caption-button rules (restore
// instead of maximise, close greyed with the child's close item) hold.
// The frame declares 257 ScxMsgFilter, 256 the caption-button list, 260
// the placement button of a child that has one, 261 the right double
// click on the menu row.

#include <functional>

#include "toolkit/filters/syscommand_ex.h"

namespace pm2 {

// Where the frame's maximised child is.
class MaxChildSource {
 public:
  virtual ~MaxChildSource() = default;
  // The active child when it is maximised; null otherwise.
  virtual FilterWindow* MaximisedChild() const = 0;
  // The child's own filter tree; null for a child without filters.
  virtual SECMsgFilter* ChildFilters(FilterWindow* child) const = 0;
};

// Geometry, painting, capture and timers of `place`; styles, state and
// messages of the maximised child. Without one it has no system menu, so
// no caption button shows.
class MaxChildFilterWindow : public FilterWindow {
 public:
  MaxChildFilterWindow(FilterWindow* place, const MaxChildSource* source) : m_place(place), m_source(source) {}
  FilterWindow* Child() const { return m_source ? m_source->MaximisedChild() : nullptr; }

  std::uint32_t Style() const override { return Child() ? Child()->Style() : 0; }
  std::uint32_t ExStyle() const override { return Child() ? Child()->ExStyle() : 0; }
  bool IsIconic() const override { return Child() && Child()->IsIconic(); }
  bool IsZoomed() const override { return Child() && Child()->IsZoomed(); }
  bool IsCloseDisabled() const override { return Child() && Child()->IsCloseDisabled(); }
  bool Exists() const override { return Child() != nullptr; }
  Size WindowSize() const override { return m_place->WindowSize(); }
  Point WindowOrigin() const override { return m_place->WindowOrigin(); }
  Point ClientOrigin() const override { return m_place->ClientOrigin(); }
  const CaptionMetrics& Metrics() const override { return m_place->Metrics(); }
  void DrawFrameControl(const Rect& r, unsigned type, unsigned state) override {
    m_place->DrawFrameControl(r, type, state);
  }
  void SetCapture(bool on) override { m_place->SetCapture(on); }
  void PostMessage(unsigned msg, std::uintptr_t w, std::intptr_t l) override {
    if (FilterWindow* c = Child()) c->PostMessage(msg, w, l);
  }
  std::intptr_t SendMessage(unsigned msg, std::uintptr_t w, std::intptr_t l) override {
    FilterWindow* c = Child();
    return c ? c->SendMessage(msg, w, l) : 0;
  }
  std::unique_ptr<FilterTimer> StartTimer(int ms, std::function<void()> fire) override {
    return m_place->StartTimer(ms, std::move(fire));
  }

 private:
  FilterWindow* m_place;
  const MaxChildSource* m_source;
};

// The placement button of the maximised child, in the frame's menu row:
// shown only while the child's own placement button (258) is on; presses
// come with the menu-row hit code and the command goes to the child.
class ScxButtonMDIMaxChildMsgFilter : public ScxButtonMsgFilter {
 public:
  explicit ScxButtonMDIMaxChildMsgFilter(const MaxChildSource* source = nullptr, FilterWindow* wnd = nullptr,
                                         int id = 5120)
      : ScxButtonMsgFilter(wnd, id), m_source(source) {}
  std::unique_ptr<SECMsgFilter> Clone() const override {
    return std::make_unique<ScxButtonMDIMaxChildMsgFilter>(*this);
  }
  const char* ClassName() const override { return "ScxButtonMDIMaxChildMsgFilter"; }
  bool IsVisible(bool* disabled) const override;
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;

 private:
  const MaxChildSource* m_source;
};

// A right double click on the menu row of a frame whose maximised child
// has its own double-click filter (259) on: the child's default placement.
class ScxNCRDBLClkMDIMaxChildMsgFilter : public SECNcMsgFilter {
 public:
  explicit ScxNCRDBLClkMDIMaxChildMsgFilter(const MaxChildSource* source = nullptr, FilterWindow* wnd = nullptr,
                                            int id = -1)
      : SECNcMsgFilter(wnd, id), m_source(source) {}
  std::unique_ptr<SECMsgFilter> Clone() const override {
    return std::make_unique<ScxNCRDBLClkMDIMaxChildMsgFilter>(*this);
  }
  const char* ClassName() const override { return "ScxNCRDBLClkMDIMaxChildMsgFilter"; }
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;

 private:
  const MaxChildSource* m_source;
};

// The frame's table: 257, 256 (the maximised child's list), 260 under
// 256, 261.
SECMsgFilter::DescriptorTable MdiFrameDescriptors(PlacementHost* host, const MaxChildSource* source);

}  // namespace pm2
