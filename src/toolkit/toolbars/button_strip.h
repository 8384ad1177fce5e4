#pragma once
// SECButtonStrip: a plain widget that holds toolbar buttons in one row and
// is their ButtonHost: it forwards the mouse, tracks the hot button, paints
// the buttons into its pixels and runs the command a button returns. The
// customisable toolbar takes this role once bars dock; until then this strip
// shows the buttons (tests, gallery).

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "toolkit/toolbars/button_host.h"
#include "toolkit/toolbars/std_btn.h"
#include "toolkit/toolbars/tb_menu_btn.h"

namespace pm2 {

class SECButtonStrip : public QWidget, public ButtonHost {
 public:
  // `mgr` gets a reference for as long as the strip lives.
  SECButtonStrip(SECBmpMgr* mgr, unsigned barId, QWidget* parent = nullptr);
  ~SECButtonStrip() override;

  // Adds buttons from an id list (0 a separator) with the given style for
  // every non-separator.
  void SetButtons(const std::vector<unsigned>& ids, std::uint32_t style = 0);
  SECStdBtn* AddButton(unsigned id, std::uint32_t style);
  // A text button of the menu bar.
  SECStdBtn* AddMenuButton(const SECMenuBtnRow& row);
  SECStdBtn* Button(int index) const { return m_buttons[std::size_t(index)].get(); }
  int ButtonCount() const { return int(m_buttons.size()); }
  SECStdBtn* FindButton(unsigned id) const;
  void SetLook(const BarLook& look);
  void Layout();

  // The command a released button gives; the owner's notification handler.
  std::function<void(unsigned)> onCommand;
  std::function<void(const ToolbarNotify&)> onNotify;

  // ButtonHost
  SECBmpMgr* BmpMgr() const override { return m_mgr; }
  ButtonMetrics Metrics() const override;
  BarLook Look() const override { return m_look; }
  void InvalidateButton(const Rect& r) override;
  void UpdateWindow() override { repaint(); }
  void SendNotify(const ToolbarNotify& n) override;
  int IndexOf(const SECStdBtn& b) const override;
  void RefreshHotState() override;
  std::vector<SECStdBtn*> ButtonsWithId(unsigned id) override;
  std::vector<SECStdBtn*> CheckGroupOf(const SECStdBtn& b) override;
  Size MeasureMenuText(const std::string& text) const override;
  void DrawMenuText(PixelBuffer& into, int x, int y, const std::string& text, Color color) const override;
  void OpenButtonPopup(SECStdBtn& button, unsigned menu1, unsigned menu2) override;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent*) override;

 private:
  SECStdBtn* HitTest(Point p) const;
  void SetHot(SECStdBtn* b);

  SECBmpMgr* m_mgr;
  unsigned m_barId;
  BarLook m_look;
  std::vector<std::unique_ptr<SECStdBtn>> m_buttons;
  SECStdBtn* m_hot = nullptr;
  SECStdBtn* m_captured = nullptr;
  SECBtnDrawState m_state;
};

}  // namespace pm2
