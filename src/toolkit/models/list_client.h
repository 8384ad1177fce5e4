#pragma once
// SECListClient: what the in-place label editor and the item tip may ask of
// the list or tree that owns them. The list engine implements it; the
// defaults here answer "nothing" so other owners override only what they
// need.

#include <string>

#include "toolkit/core/geometry.h"
#include "toolkit/core/sys_colors.h"
#include "toolkit/models/list_host.h"

namespace pm2 {

class SECListClient {
 public:
  virtual ~SECListClient() = default;
  // The owner window object (null when none).
  virtual const void* GetListWnd() const { return nullptr; }
  // True when labels may wrap onto several lines.
  virtual bool IsLabelWrap() const { return false; }
  // Ends a running label edit, keeping (true) or dropping the text; true
  // when an edit was ended.
  virtual bool EndLabelEdit(bool /*commit*/) { return false; }
  virtual int GetColumnSubItem(int /*column*/) const { return -1; }
  // Horizontal scroll offset.
  virtual int GetScrollOrigin() const { return 0; }
  // The visible area below the header and inside the scroll bars.
  virtual Rect GetInsideRect() { return {}; }
  // code 0 the whole cell, 1 the image, 2 the text; false when none.
  virtual bool GetCellRect(int /*item*/, int /*column*/, Rect* /*r*/, int /*code*/) { return false; }
  virtual std::string GetCellText(int /*item*/, int /*subItem*/) { return {}; }
  virtual Rect ClientToScreen(Rect r) { return r; }
  // Takes the mouse capture when asked; true when it had it before.
  virtual bool CaptureMouse(bool /*take*/) { return false; }
  virtual bool IsItemSelected(int /*item*/) const { return false; }
  virtual Color GetSelTextColor() const { return 0; }
  virtual Color GetSelTextBkColor() const { return 0; }
  virtual Color GetTextColor() const { return 0; }
  virtual Color GetTextBkColor() const { return 0; }
  virtual Color GetToolTipTextColor() const { return 0; }
  virtual Color GetToolTipBkColor() const { return 0; }
  virtual int GetLabelFont() const { return 0; }
  // State bits of a row: 0 for plain lists, the node's state for trees
  // (0x10 bold).
  virtual unsigned GetRowState(int /*item*/, unsigned /*mask*/) { return 0; }
};

}  // namespace pm2
