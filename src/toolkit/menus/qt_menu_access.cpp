#include "toolkit/menus/qt_menu_access.h"

#include <QAction>
#include <QMenu>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

int QMenuAccess::ItemCount() const { return int(m_menu->actions().size()); }

std::string QMenuAccess::ItemText(int pos) const {
  const QAction* a = m_menu->actions()[pos];
  return a->isSeparator() ? std::string() : FromQString(a->text());
}

int QMenuAccess::ItemId(int pos) const {
  const QAction* a = m_menu->actions()[pos];
  if (a->isSeparator()) return 0;
  if (a->menu()) return -1;
  return a->data().toInt();
}

MenuAccess* QMenuAccess::SubMenu(int pos) {
  QMenu* sub = m_menu->actions()[pos]->menu();
  if (!sub) return nullptr;
  auto& access = m_subs[sub];
  if (!access) access = std::make_unique<QMenuAccess>(sub);
  return access.get();
}

void QMenuAccess::SetItemText(int pos, const std::string& text) { m_menu->actions()[pos]->setText(ToQString(text)); }

}  // namespace pm2
