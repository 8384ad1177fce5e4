#pragma once
// SECBmpMenuPlugIn: draws the popup menus it tracks itself, with the toolbar
// image of each command left of its text, in the plain or the XP look.
// Popups stay QMenus; a popup is converted the first time it is about to
// open (and again for items added later): its items get our drawing through
// a proxy style, its mnemonic keys our answer through an event filter.
// A QAction's data() holds its command id. Items drawn by somebody else
// (widget actions, excluded ids) and system commands keep Qt's look.

#include <QPointer>
#include <map>
#include <memory>
#include <set>

#include "toolkit/controls/wnd_plugin.h"
#include "toolkit/menus/bmp_menu_model.h"
#include "toolkit/toolbars/bmp_mgr.h"

class QAction;
class QMenu;

namespace pm2 {

class SECBmpMenuStyle;

class SECBmpMenuPlugIn : public SECWndPlugIn {
 public:
  // With `ownBitmaps` the plug-in draws its own check mark and radio bullet.
  // `module` serves LoadToolBarBitmap and must outlive the plug-in.
  explicit SECBmpMenuPlugIn(const ResourceModule& module, bool ownBitmaps = true);
  ~SECBmpMenuPlugIn() override;

  // Adds a toolbar's images (no large strip, system colours).
  bool LoadToolBarBitmap(unsigned toolbarId);
  // Uses `mgr` instead of the own manager: takes a reference, releases the
  // old one, keeps small images.
  void SetBmpMgr(SECBmpMgr* mgr);
  SECBmpMgr* BmpMgr() const { return m_mgr; }
  // Items of this command belong to somebody else and are never touched.
  void ExcludeId(int id) { m_foreign.insert(id); }

  // Converts `menu` and its submenus whenever they are about to open.
  void Track(QMenu* menu);
  // The conversion itself (also for a caller that forwards its own popups).
  void OnInitMenuPopup(QMenu* menu);
  // Drops what belongs to destroyed menus and removed items (done at each
  // opening too: menus rebuilt on every opening, like a list of recent
  // files, and context menus made for each click would otherwise leave
  // their items here for good).
  void PurgeMenus();
  // The items converted and kept, over all menus.
  size_t ItemCount() const;

  // The converted item behind `action` of `menu`, or null.
  const SECBmpMenuItemInfo* ItemInfo(const QMenu* menu, const QAction* action) const;
  bool IsConverted(const QMenu* menu) const { return m_menus.count(menu) != 0; }

 protected:
  bool OnPlugInEvent(QEvent* event, std::intptr_t* result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct MenuInfo {
    QPointer<QMenu> menu;
    std::map<const QAction*, SECBmpMenuItemInfo> items;
  };
  bool HandleMenuChar(QMenu* menu, QEvent* event);

  [[maybe_unused]] const ResourceModule& m_module;
  bool m_ownBitmaps;
  SECBmpMgr* m_mgr;
  std::unique_ptr<SECBmpMenuStyle> m_style;
  std::map<const QMenu*, MenuInfo> m_menus;
  std::set<int> m_foreign;
};

}  // namespace pm2
