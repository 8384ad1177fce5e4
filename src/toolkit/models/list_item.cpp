#include "toolkit/models/list_item.h"

namespace pm2 {

int SECListItem::AddSubItem() {
  int before = int(subItems.size());
  subItems.push_back(std::make_unique<SECListSubItem>());
  return before;
}

int SECListItem::InsertSubItem(int pos) {
  if (pos < 0) pos = 0;
  if (pos > int(subItems.size())) pos = int(subItems.size());
  subItems.insert(subItems.begin() + pos, std::make_unique<SECListSubItem>());
  return pos;
}

int SECListItem::RemoveSubItem(int n) {
  if (n >= 1 && n <= int(subItems.size())) subItems.erase(subItems.begin() + (n - 1));
  return 1;
}

SECListSubItem* SECListItem::GetSubItem(int n) const {
  if (n < 1 || n > int(subItems.size())) return nullptr;
  return subItems[n - 1].get();
}

}  // namespace pm2
