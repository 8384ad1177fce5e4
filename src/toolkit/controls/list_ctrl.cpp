#include "toolkit/controls/list_ctrl.h"

#include "toolkit/controls/list_widget_events.h"

namespace pm2 {

SECListCtrl::SECListCtrl(QWidget* parent, unsigned style, unsigned exStyle) : QWidget(parent) {
  setObjectName("SECListCtrl");
  m_view = std::make_unique<ListViewImpl>(this, this);
  Create(style, exStyle);
}

SECListCtrl::~SECListCtrl() {
  // Items go while the window half still answers the engine.
  DeleteAllItems();
  m_view.reset();
}

PM2_LIST_WIDGET_EVENTS(SECListCtrl)

}  // namespace pm2
