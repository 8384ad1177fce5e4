#pragma once
// The extended system command: one message that a caption button, a right
// double click or a right click on the caption send to a frame hosting a
// dockable view, carrying a record that asks for a placement (docked at a
// side, floating, MDI child minimised / maximised / restored), for the
// menu of placements, or for that menu to be shown. ScxMsgFilter answers
// it through the frame's PlacementHost; the other filters send it.

#include <string>
#include <vector>

#include "toolkit/filters/caption_controls.h"

namespace pm2 {

// The message number in this process (the name-registered message).
unsigned SysCommandExMessage();
constexpr unsigned kScxExecute = 0xC000, kScxQueryMenu = 0xC010, kScxShowMenu = 0xC020;

enum Placement : int {
  kPlaceDefault = -1, kPlaceMdiChild = 1, kPlaceMdiMin = 2, kPlaceMdiMax = 3, kPlaceMdiRestored = 4,
  kPlaceDocked = 5, kPlaceLeft = 6, kPlaceTop = 7, kPlaceRight = 8, kPlaceBottom = 9, kPlaceFloating = 10,
};
// 1 for the MDI-child placements, 5 for the docked ones, 10 floating.
int PlacementGroup(int placement);

// One item of the placement menu; a popup has children and no command.
struct PlacementMenuItem {
  unsigned textId = 0;  // 0: a separator
  int command = 0;
  bool checked = false;
  std::vector<PlacementMenuItem> children;
};
std::vector<PlacementMenuItem> BuildPlacementMenu(int current);

struct DockParams {
  int pos1 = 0, pos2 = 0;
  float share = 1.0f;
  int length = 150;
};

// The command record (the 108-byte record of the message, as a struct).
struct SysCommandExRecord {
  class FilterWindow* window = nullptr;
  unsigned flags = 0;  // bit 0 position given, bit 1 size given
  int x = 0, y = 0, cx = 0, cy = 0;
  Rect button;
  std::vector<PlacementMenuItem> menu;  // filled by a query
  int command = kPlaceDefault;
  const DockParams* dockPos = nullptr;   // used with flag bit 0
  const DockParams* dockSize = nullptr;  // used with flag bit 1
  bool succeeded = false;
};

// The frame's operations on a window hosting a dockable view.
class PlacementHost {
 public:
  virtual ~PlacementHost() = default;
  virtual bool Exists(FilterWindow* w) const = 0;
  // The current placement (2/3/4 for an MDI child, 6..9 docked, 10 floating).
  virtual int CurrentPlacement(FilterWindow* w) const = 0;
  virtual bool ToMdiChild(FilterWindow* w, int showPlacement) = 0;
  // side 0: back to the last docking; else 6..9. Alignment bits follow.
  virtual bool ToDocked(FilterWindow* w, int side, const DockParams& params) = 0;
  virtual bool ToFloating(FilterWindow* w, const Point* pos, const Size* size) = 0;
  // The chosen command, 0 when the menu was dismissed.
  virtual int TrackMenu(const std::vector<PlacementMenuItem>& menu, Point screen, FilterWindow* owner) = 0;
  virtual void RepaintFrame(FilterWindow*) {}
};

// Default docking values of each side.
DockParams DefaultDockParams(int side);

class ScxMsgFilter : public SECMsgFilter {
 public:
  explicit ScxMsgFilter(PlacementHost* host = nullptr, FilterWindow* wnd = nullptr, int id = -1)
      : SECMsgFilter(wnd, id), m_host(host) {}
  std::unique_ptr<SECMsgFilter> Clone() const override { return std::make_unique<ScxMsgFilter>(*this); }
  const char* ClassName() const override { return "ScxMsgFilter"; }
  void SetHost(PlacementHost* h) { m_host = h; }
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;
  // The message's record; result 15 when handled.
  unsigned Handle(unsigned code, SysCommandExRecord* rec);

 private:
  bool Execute(SysCommandExRecord* rec);
  PlacementHost* m_host;
};

// The extra caption button: a click asks for the default placement, a
// right press or a hold shows the menu below the button.
class ScxButtonMsgFilter : public SECCaptionControlMsgFilter {
 public:
  explicit ScxButtonMsgFilter(FilterWindow* wnd = nullptr, int id = 5120)
      : SECCaptionControlMsgFilter(wnd, id, 2, 3) {
    SetHoldDelay(400);
  }
  std::unique_ptr<SECMsgFilter> Clone() const override { return std::make_unique<ScxButtonMsgFilter>(*this); }
  const char* ClassName() const override { return "ScxButtonMsgFilter"; }
  bool IsVisible(bool* disabled) const override {
    *disabled = false;
    return m_wnd != nullptr;
  }
  void Draw() override;
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;
  void Fire(int event, Point screen) override;
};

class ScxCaptionNCRDBLClkFilter : public SECCaptionMsgFilter {
 public:
  using SECCaptionMsgFilter::SECCaptionMsgFilter;
  std::unique_ptr<SECMsgFilter> Clone() const override { return std::make_unique<ScxCaptionNCRDBLClkFilter>(*this); }
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;
};

class ScxContextMenuFilter : public SECMsgFilter {
 public:
  using SECMsgFilter::SECMsgFilter;
  std::unique_ptr<SECMsgFilter> Clone() const override { return std::make_unique<ScxContextMenuFilter>(*this); }
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* result) override;
};

// The dockable frame's filters: 257 ScxMsgFilter, 256 the caption-button
// list (kept when switched off), 258 the extra button in it, 259 the right
// double click, 262 the context menu.
SECMsgFilter::DescriptorTable DockableFrameDescriptors(PlacementHost* host);

}  // namespace pm2
