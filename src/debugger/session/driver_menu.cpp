#include "debugger/session/driver_menu.h"

namespace pm2 {

DebugMenuEntry* DllMenuTable(const DebugInterface& record, unsigned base) {
  if (base == 32820) return record.menu1;
  if (base == 33000) return record.menu3;
  if (base == 35114) return record.menu4;
  return record.menu2;
}

unsigned DllMenuRangeEnd(unsigned base) {
  for (int t = 0; t < 4; ++t)
    if (base == kDllMenuBases[t]) return base + kDllMenuSizes[t];
  return base + kDllMenuSizes[1];  // any other base stands for the second table
}

std::vector<DllMenuRow> AppendDllMenu(DebugMenuEntry* table, unsigned base) {
  std::vector<DllMenuRow> rows(1);  // the separator
  if (!table) return rows;
  // An entry past the table's id range would carry the id of another
  // command (the next table's, a user tool's): the walk ends there.
  const unsigned end = DllMenuRangeEnd(base);
  unsigned id = base;
  for (DebugMenuEntry* e = table; id < end; ++e, ++id) {
    if (e->kind == kDbgMenuItem) {
      e->id = id;
      rows.push_back({DllMenuRow::Kind::Item, id, e->text ? e->text : "", {}});
      continue;
    }
    if (e->kind != kDbgMenuPopup) break;
    DllMenuRow popup{DllMenuRow::Kind::Popup, 0, e->text ? e->text : "", {}};
    while (e[1].kind == kDbgMenuItem && id + 1 < end) {
      ++e;
      ++id;
      e->id = id;
      popup.items.push_back({DllMenuRow::Kind::Item, id, e->text ? e->text : "", {}});
    }
    rows.push_back(std::move(popup));
    if (e[1].kind == kDbgMenuPopupEnd && id + 1 < end) {
      ++e;
      ++id;
    }
  }
  return rows;
}

namespace {
// Entries before the end of a table (an entry of kind -1 or another kind).
int TableLength(const DebugMenuEntry* table) {
  int n = 0;
  while (table[n].kind == kDbgMenuItem || table[n].kind == kDbgMenuPopup || table[n].kind == kDbgMenuPopupEnd) ++n;
  return n;
}
}  // namespace

DllMenuItemState UpdateDllMenuItem(DebugMenuEntry* table, int index, bool sessionActive) {
  DllMenuItemState s;
  if (!sessionActive || !table || index < 0) return s;
  s.enabled = true;
  if (index >= TableLength(table)) return s;
  s.checked = table[index].state && table[index].state[1] != 0;
  return s;
}

bool RunDllMenuItem(DebugMenuEntry* table, int index) {
  if (!table || index < 0 || index >= TableLength(table) || !table[index].callback) return false;
  table[index].callback(&table[index]);
  return true;
}

std::vector<unsigned> PeripheralsMenuOrder(const DebugInterface& record, bool sessionActive) {
  std::vector<unsigned> order;
  if (!sessionActive) return order;
  for (unsigned base : {33000u, 32820u, 32880u})
    if (DllMenuTable(record, base)) order.push_back(base);
  if (!order.empty() && DllMenuTable(record, 35114)) order.push_back(35114);
  return order;
}

}  // namespace pm2
