#include "toolkit/controls/list_ctrl.h"

#include "toolkit/controls/dialog_item.h"


namespace pm2 {

SECListCtrl::SECListCtrl(QWidget* parent, unsigned style, unsigned exStyle) : ListWindow(parent) {
  setObjectName("SECListCtrl");
  m_view = std::make_unique<ListViewImpl>(this, this);
  Create(style, exStyle);
}

SECListCtrl::~SECListCtrl() {
  // Items go while the window half still answers the engine, and without a
  // word to the listener: most often the parent whose destruction takes
  // this control along, no longer whole.
  SetNotifyListener(nullptr);
  DeleteAllItems();
  m_view.reset();
}

SECListCtrl* SECListCtrl::CreateFromCtrl(QWidget* placeholder) {
  DialogItem item;
  if (!TakeDialogItem(placeholder, &item)) return nullptr;
  unsigned style = item.style | kWsBorder, ex = item.exStyle;
  unsigned listStyle = 0, listEx = 0;
  SplitStyleBits(&style, &ex, &listStyle, &listEx);
  auto* list = new SECListCtrl(item.parent, listStyle, listEx);
  list->SetControlId(item.id);
  PutInPlace(list, item);
  return list;
}

}  // namespace pm2
