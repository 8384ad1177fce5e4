// Random operations on the list and tree models: every invariant of the
// selection (ascending, unique, in range) and of focus and rows must hold
// after each step.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "toolkit/models/tree_engine.h"

namespace {

void Check(const pm2::SECListBaseC& list) {
  const auto& sel = list.Selection();
  for (size_t i = 0; i < sel.size(); ++i) {
    if (sel[i] < 0 || sel[i] >= list.GetItemCount()) std::abort();
    if (i > 0 && sel[i - 1] >= sel[i]) std::abort();
  }
  if (list.GetFocusIndex() >= list.GetItemCount()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pm2::SECTreeCtrlModel tree;
  tree.Create(pm2::TVS_HASBUTTONS | pm2::TVS_LINESATROOT, pm2::TVXS_MULTISEL);
  std::vector<pm2::HTREEITEM> items;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const unsigned op = data[i] % 9;
    const unsigned arg = data[i + 1];
    pm2::HTREEITEM pick = items.empty() ? nullptr : items[arg % items.size()];
    switch (op) {
      case 0:
      case 1: items.push_back(tree.InsertItem(std::string(1, char('a' + arg % 26)), op ? pick : nullptr,
                                              arg & 1 ? pm2::TVI_SORT() : pm2::TVI_LAST()));
        break;
      case 2: if (pick) tree.Expand(pick, pm2::TVE_TOGGLE); break;
      case 3: if (pick) tree.SelectItem(pick); break;
      case 4:
        if (pick) {
          // Deleting a node deletes its subtree: forget every handle below it.
          std::vector<pm2::HTREEITEM> keep;
          for (pm2::HTREEITEM h : items) {
            if (h != pick && !pick->IsAncestorOf(h)) keep.push_back(h);
          }
          tree.DeleteItem(pick);
          items = keep;
        }
        break;
      case 5: tree.OnKeyDown(arg % 50, arg & 1, arg & 2); break;
      case 6: tree.TreeChar(char(arg)); break;
      case 7: tree.SECListBaseC::SelectItem(int(arg % 40), arg & 1); break;
      case 8: tree.OnLButtonDown(int(arg), int(arg * 3 % 200), arg & 0xC); break;
    }
    Check(tree);
  }
  return 0;
}
