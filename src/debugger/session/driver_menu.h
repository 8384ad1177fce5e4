// A driver's menu tables turned into menu rows: the walk that numbers the
// entries (an entry's id is the table's base plus its index, pop-up starts
// and ends included) and the state of one item.
#pragma once

#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

// One row appended to a menu: a separator, a command item, or a pop-up with
// its items.
struct DllMenuRow {
  enum class Kind { Separator, Item, Popup } kind = Kind::Separator;
  unsigned id = 0;
  std::string text;
  std::vector<DllMenuRow> items;  // a pop-up's items
};

// The four tables by their base id: 32820, 32880, 33000, 35114.
constexpr unsigned kDllMenuBases[4] = {32820, 32880, 33000, 35114};
constexpr unsigned kDllMenuSizes[4] = {50, 50, 10, 10};

// The table of a record for a base id (32820 menu1, 33000 menu3, 35114
// menu4, any other base menu2).
DebugMenuEntry* DllMenuTable(const DebugInterface& record, unsigned base);

// One past the last command id of the table at base.
unsigned DllMenuRangeEnd(unsigned base);

// Walks a table: writes each entry's id and returns the rows to append,
// a separator first. A null table gives the separator alone; entries past
// the table's id range are left out.
std::vector<DllMenuRow> AppendDllMenu(DebugMenuEntry* table, unsigned base);

struct DllMenuItemState {
  bool enabled = false;
  bool checked = false;
};
// The state of the item at index of a table: enabled while a session is
// active and the table exists; checked when its state block's second word
// is non-zero.
DllMenuItemState UpdateDllMenuItem(DebugMenuEntry* table, int index, bool sessionActive);

// The tables appended to the Peripherals menu after "Reset CPU", in their
// order: 33000, 32820, 32880, then 35114, each when present; none at all
// while no session is active, and 35114 only when one of the first three
// exists.
std::vector<unsigned> PeripheralsMenuOrder(const DebugInterface& record, bool sessionActive);

// Runs the callback of the entry at index; false when it has none.
bool RunDllMenuItem(DebugMenuEntry* table, int index);

}  // namespace pm2
