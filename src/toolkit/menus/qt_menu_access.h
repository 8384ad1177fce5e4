#pragma once
// A QMenu as the shortcut table and the command list walk it: actions by
// position, the command id in data(), submenus of popup actions.

#include <map>
#include <memory>

#include "toolkit/menus/menu_access.h"

class QMenu;

namespace pm2 {

class QMenuAccess : public MenuAccess {
 public:
  explicit QMenuAccess(QMenu* menu) : m_menu(menu) {}
  int ItemCount() const override;
  std::string ItemText(int pos) const override;
  int ItemId(int pos) const override;
  MenuAccess* SubMenu(int pos) override;
  void SetItemText(int pos, const std::string& text) override;

 private:
  QMenu* m_menu;
  std::map<const QMenu*, std::unique_ptr<QMenuAccess>> m_subs;
};

}  // namespace pm2
