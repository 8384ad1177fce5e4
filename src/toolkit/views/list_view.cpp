#include "toolkit/views/list_view.h"

namespace pm2 {

SECListView::SECListView(QWidget* parent, unsigned style, unsigned exStyle) : ListViewHost(parent, style, exStyle) {
  setObjectName("SECListView");
}

SECListView::~SECListView() = default;

SECTreeView::SECTreeView(QWidget* parent, unsigned style, unsigned exStyle) : ListViewHost(parent, style, exStyle) {
  setObjectName("SECTreeView");
}

SECTreeView::~SECTreeView() = default;

}  // namespace pm2
