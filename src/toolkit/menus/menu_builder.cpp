#include "toolkit/menus/menu_builder.h"

#include <QMenu>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

void FillQMenu(QMenu* menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& e : entries) {
    switch (e.kind) {
      case MenuEntry::Kind::Separator: menu->addSeparator(); break;
      case MenuEntry::Kind::Popup: FillQMenu(menu->addMenu(ToQString(e.text)), e.children); break;
      case MenuEntry::Kind::Item: menu->addAction(ToQString(e.text))->setData(int(e.id)); break;
    }
  }
}

}  // namespace pm2
