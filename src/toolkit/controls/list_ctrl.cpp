#include "toolkit/controls/list_ctrl.h"


namespace pm2 {

SECListCtrl::SECListCtrl(QWidget* parent, unsigned style, unsigned exStyle) : ListWindow(parent) {
  setObjectName("SECListCtrl");
  m_view = std::make_unique<ListViewImpl>(this, this);
  Create(style, exStyle);
}

SECListCtrl::~SECListCtrl() {
  // Items go while the window half still answers the engine.
  DeleteAllItems();
  m_view.reset();
}

}  // namespace pm2
