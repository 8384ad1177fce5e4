#pragma once
// Window buttons: a child control on a customisable toolbar in the place of
// a button. SECWndBtn keeps the control's width (the row's value, then the
// user's), shows and moves the control with the button (vertically centred
// in its row), falls back to a plain button on a vertical bar (a click there
// pops the control's choices up: a combo box's list), lets the user
// widen it by its last 3 pixels with Alt held or while customising, saves
// its width as two bytes, and reports the control's events to the bar's
// owner: code 0x101 when it was created, 0x201 when Enter was pressed in it
// (ToolbarNotify: item the command, param1 the control id). SECComboBtn is
// the combo-box form.

#include <QPointer>
#include <QWidget>

#include "toolkit/toolbars/std_btn.h"

class QComboBox;

namespace pm2 {

constexpr int kWndNotifyCreated = 0x101, kWndNotifyEnter = 0x201;
constexpr int kWndResizeGrip = 3;  // the right-edge pixels that resize
// Combo-box types of a control style.
constexpr std::uint32_t CBS_DROPDOWN = 0x2, CBS_DROPDOWNLIST = 0x3;

class SECWndBtn : public SECStdBtn, public QObject {
 public:
  SECWndBtn() { m_nType = kBtnWindow; }
  ~SECWndBtn() override;

  // `extra`: control id, control style, width (low word) and minimum width
  // (high word), height.
  void Init(ButtonHost* host, const unsigned* extra) override;
  void SetVertical(bool vertical) override;
  void SetStyle(std::uint32_t style) override;
  void SetPos(int x, int y) override;
  void Invalidate(bool erase = false) override;
  void Paint(PixelBuffer& dc, const Rect& visible, SECBtnDrawState& state) override;
  void OnHiddenChanged() override;
  // In a column, where the control does not show, a click on the button
  // offers the control's choices instead (PopUpChoices).
  unsigned OnLButtonUp(Point p) override;
  void CalcSize() override;
  // In a row the control shows at its own width, also while the bar still
  // stands in a column (its size for a row is measured then).
  int RowCx() const override { return m_cxWnd; }
  std::string GetPersistData() const override;
  void SetPersistData(const std::uint8_t* data, std::size_t size) override;

  QWidget* GetWnd() const { return m_wnd; }
  // A width the user chose; refused when the row forbids resizing (minimum
  // 0) or below the minimum.
  bool ResizeTo(int width);

  unsigned m_controlId = 0;
  int m_cxWnd = 0;   // control width
  int m_cxMin = 0;   // 0: the user cannot resize it
  int m_cyWnd = 0;   // control height (a combo's includes its list)

 protected:
  virtual QWidget* CreateWnd(QWidget* parent, std::uint32_t style) = 0;
  // Shows the control's choices at `screenPos` (a popup the user picks
  // from, which the control then takes as if picked in it); false when the
  // control has none to offer.
  virtual bool PopUpChoices(QPoint /*screenPos*/) { return false; }
  bool eventFilter(QObject* watched, QEvent* event) override;
  void NotifyOwner(int code);

 private:
  void PlaceWnd();
  QPointer<QWidget> m_wnd;
  bool m_bWndMode = true;
  bool m_resizing = false;
  // An Alt or customising press on the control moves the button: the
  // toolbar gets the press and the mouse until the release.
  bool m_forwarding = false;
  void Forward(QEvent* event);
};

class SECComboBtn : public SECWndBtn {
 public:
  const SECButtonClass* GetButtonClass() const override;
  QComboBox* Combo() const;

 protected:
  QWidget* CreateWnd(QWidget* parent, std::uint32_t style) override;
  // The combo box's list as a menu, its current entry checked; a chosen
  // entry becomes current and is reported as activated.
  bool PopUpChoices(QPoint screenPos) override;
};

}  // namespace pm2
