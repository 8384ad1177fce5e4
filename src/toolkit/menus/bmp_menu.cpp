#include "toolkit/menus/bmp_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QWidgetAction>

#include "toolkit/controls/pixel_image.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/color_math.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

constexpr Color kLightGrey = 0xC0C0C0;  // transparent in the images
constexpr int kXPSeparatorHeight = 7;
constexpr int kTabGap = 12;  // between a label and its shortcut text

int ActionId(const QAction* a) { return a->data().isValid() ? a->data().toInt() : 0; }

QFont MenuFont(bool bold) {
  QFont f = DefaultGuiFont();
  if (bold) f.setWeight(QFont::Bold);
  return f;
}

}  // namespace

// Our drawing of converted items; everything else goes to the base style.
class SECBmpMenuStyle : public QProxyStyle {
 public:
  explicit SECBmpMenuStyle(SECBmpMenuPlugIn* owner) : m_owner(owner) {}

  int pixelMetric(PixelMetric m, const QStyleOption* opt, const QWidget* w) const override {
    switch (m) {
      case PM_MenuPanelWidth: return SECIsXPLook() ? 1 : 3;
      case PM_MenuHMargin:
      case PM_MenuVMargin: return 0;
      case PM_SubMenuOverlap: return -3;
      default: return QProxyStyle::pixelMetric(m, opt, w);
    }
  }

  QSize sizeFromContents(ContentsType type, const QStyleOption* opt, const QSize& contents,
                         const QWidget* w) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(opt);
    if (type != CT_MenuItem || !item) return QProxyStyle::sizeFromContents(type, opt, contents, w);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
      return SECIsXPLook() ? QSize(contents.width(), kXPSeparatorHeight)
                           : QProxyStyle::sizeFromContents(type, opt, contents, w);
    }
    const QString text = item->text;
    const QFontMetrics fm(MenuFont(item->menuItemType == QStyleOptionMenuItem::DefaultItem));
    const QString label = text.section('\t', 0, 0);
    const int textCx = fm.horizontalAdvance(ToQString(MenuShownText(FromQString(label)))) +
                       (text.contains('\t') ? kTabGap : 0);
    const SECBmpMgr* mgr = m_owner->BmpMgr();
    const Size s = MeasureMenuItem({textCx, fm.height()}, {mgr->m_cxSmall, mgr->m_cySmall},
                                   GetSystemMetric(SysMetric::CyMenu));
    return {s.cx, s.cy};
  }

  void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
    if (pe == PE_PanelMenu) {
      p->fillRect(opt->rect, ToQColor(SECIsXPLook() ? SECGetXPColor(15) : GetSysColor(SysColor::Menu)));
      return;
    }
    if (pe == PE_FrameMenu) {
      const QRect r = opt->rect;
      if (SECIsXPLook()) {
        p->setPen(SysQColor(SysColor::BtnShadow));
        p->drawRect(r.adjusted(0, 0, -1, -1));
        return;
      }
      DrawClassicFrame(*p, r, false);
      p->setPen(SysQColor(SysColor::Menu));
      p->drawRect(r.adjusted(2, 2, -3, -3));
      return;
    }
    QProxyStyle::drawPrimitive(pe, opt, p, w);
  }

  void drawControl(ControlElement ce, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(opt);
    const auto* menu = qobject_cast<const QMenu*>(w);
    if (ce == CE_MenuEmptyArea) {
      p->fillRect(opt->rect, ToQColor(SECIsXPLook() ? SECGetXPColor(15) : GetSysColor(SysColor::Menu)));
      return;
    }
    if (ce != CE_MenuItem || !item || !menu) return QProxyStyle::drawControl(ce, opt, p, w);
    const QAction* action = menu->actionAt(opt->rect.center());
    const SECBmpMenuItemInfo* info = action ? m_owner->ItemInfo(menu, action) : nullptr;
    if (!info) return QProxyStyle::drawControl(ce, opt, p, w);
    p->save();
    DrawItem(*item, *info, p);
    p->restore();
  }

 private:
  void DrawItem(const QStyleOptionMenuItem& item, const SECBmpMenuItemInfo& info, QPainter* p) const {
    const bool xp = SECIsXPLook();
    const SysColorTable& colors = SysColors();
    SECBmpMgr* mgr = m_owner->BmpMgr();
    const int imageCx = mgr->m_cxSmall;
    const QRect r = item.rect;
    if (info.nID == -1) {
      // The image column as wide as the items' cells, so it runs straight.
      p->fillRect(QRect(r.left(), r.top(), imageCx + 4, r.height()), ToQColor(SECGetXPColor(25)));
      p->fillRect(QRect(r.left() + imageCx + 4, r.top(), r.width() - imageCx - 4, r.height()),
                  ToQColor(SECGetXPColor(15)));
      p->setPen(ToQColor(SECGetXPColor(27)));
      const int y = r.top() + r.height() / 2;
      p->drawLine(r.left() + imageCx + 8, y, r.right(), y);
      return;
    }
    const bool selected = item.state & State_Selected;
    const bool disabled = !(item.state & State_Enabled);
    const bool checked = item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
    const int cellW = imageCx + 4;
    if (xp) {
      p->fillRect(QRect(r.left(), r.top(), cellW, r.height()), ToQColor(SECGetXPColor(25)));
      p->fillRect(QRect(r.left() + cellW, r.top(), r.width() - cellW, r.height()), ToQColor(SECGetXPColor(15)));
    }
    // The image: the command's own, else the check mark or bullet of a
    // checked item.
    PixelBuffer image;
    StripHandle strip;
    int index = 0;
    if (mgr->GetBitmap(unsigned(info.nID), &strip, &index, true) && strip) {
      image = StretchPixels(*strip, index * imageCx, imageCx, mgr->m_cySmall, imageCx, mgr->m_cySmall);
    } else if (checked) {
      image = item.checkType == QStyleOptionMenuItem::Exclusive ? MenuBulletImage() : MenuCheckImage();
    }
    const bool ownImage = strip != nullptr;
    PixelBuffer cell(cellW, r.height());
    const Color transparent = xp || !ownImage ? kLightGrey : colors.Get(SysColor::BtnFace);
    DrawMenuItemImage(cell, image, transparent, {selected, disabled, checked && ownImage, xp}, colors);
    p->drawImage(r.left(), r.top(), ToQImage(cell, 0xFF000000u));

    const MenuItemColors c = MenuItemColorsFor(selected, disabled, xp, colors);
    QRect text(r.left() + cellW + 1 + (xp ? 4 : 0), r.top(), 0, r.height());
    text.setRight(r.right() - 23);
    if (!xp) {
      const bool highlightStrip = selected && image.width == 0;
      if (highlightStrip) p->fillRect(QRect(r.left(), r.top(), cellW, r.height()), ToQColor(c.background));
      p->fillRect(QRect(r.left() + cellW, r.top(), r.width() - cellW, r.height()), ToQColor(c.background));
    } else if (selected && !disabled) {
      p->fillRect(QRect(r.left() + cellW, r.top(), r.width() - cellW, r.height()), ToQColor(c.background));
    }
    const QString label = item.text.section('\t', 0, 0);
    const QString shortcut = item.text.contains('\t') ? item.text.section('\t', 1) : QString();
    p->setFont(MenuFont(item.menuItemType == QStyleOptionMenuItem::DefaultItem));
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    const auto drawTexts = [&](const QRect& at, const QColor& colour) {
      p->setPen(colour);
      p->drawText(at, flags | Qt::AlignLeft, label);
      p->drawText(at, flags | Qt::AlignRight, shortcut);
    };
    if (c.embossed) {
      drawTexts(text.translated(1, 1), SysQColor(SysColor::BtnHighlight));
      drawTexts(text, SysQColor(SysColor::BtnShadow));
    } else {
      drawTexts(text, ToQColor(c.text));
    }
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
      // The arrow of a popup item, four pixels high each way.
      const int x = r.right() - 10, y = r.top() + r.height() / 2;
      p->setPen(ToQColor(c.embossed ? GetSysColor(SysColor::BtnShadow) : c.text));
      for (int i = 0; i < 4; ++i) p->drawLine(x + i, y - 3 + i, x + i, y + 3 - i);
    }
    if (xp && selected && !disabled) {
      p->setPen(ToQColor(SECGetXPColor(20)));
      p->drawRect(r.adjusted(0, 0, -1, -1));
    }
  }

  SECBmpMenuPlugIn* m_owner;
};

SECBmpMenuPlugIn::SECBmpMenuPlugIn(const ResourceModule& module, bool ownBitmaps)
    : m_module(module), m_ownBitmaps(ownBitmaps), m_mgr(new SECBmpMgr(module)),
      m_style(std::make_unique<SECBmpMenuStyle>(this)) {
  m_mgr->SetKeepSmall(true);
}

SECBmpMenuPlugIn::~SECBmpMenuPlugIn() {
  // Living menus get Qt's own drawing back before the style goes.
  for (auto& [key, info] : m_menus) {
    if (info.menu) {
      info.menu->removeEventFilter(this);
      info.menu->setStyle(nullptr);
    }
  }
  m_mgr->Release();
}

bool SECBmpMenuPlugIn::LoadToolBarBitmap(unsigned toolbarId) { return m_mgr->AddToolBarResource(toolbarId, 0, true) > 0; }

void SECBmpMenuPlugIn::SetBmpMgr(SECBmpMgr* mgr) {
  if (!mgr || mgr == m_mgr) return;
  mgr->AddRef();
  m_mgr->Release();
  m_mgr = mgr;
  m_mgr->SetKeepSmall(true);
}

void SECBmpMenuPlugIn::Track(QMenu* menu) {
  if (!menu) return;
  QObject::connect(menu, &QMenu::aboutToShow, this, [this, menu] { OnInitMenuPopup(menu); });
  for (QAction* a : menu->actions())
    if (a->menu()) Track(a->menu());
}

void SECBmpMenuPlugIn::OnInitMenuPopup(QMenu* menu) {
  if (!menu) return;
  // An item of an action deleted since would be taken for a new action made
  // where the old one lived.
  PurgeMenus();
  auto [it, fresh] = m_menus.try_emplace(menu);
  MenuInfo& info = it->second;
  if (!fresh && !info.menu) {
    // A menu made where a destroyed one lived: nothing of the old one holds.
    info.items.clear();
    fresh = true;
  }
  if (fresh) {
    info.menu = menu;
    menu->setStyle(m_style.get());
    menu->setFont(MenuFont(false));  // Qt measures shortcut columns with it
    menu->installEventFilter(this);
  }
  const bool xp = SECIsXPLook();
  int previousId = 0;
  for (QAction* a : menu->actions()) {
    const int id = a->menu() ? 0 : ActionId(a);
    MenuItemFacts facts;
    facts.id = a->isSeparator() ? 0 : id;
    facts.separator = a->isSeparator();
    facts.ownerDrawnByOther = qobject_cast<QWidgetAction*>(a) != nullptr;
    facts.previousIsSysCommand = IsSysCommand(previousId);
    previousId = id;
    if (info.items.count(a)) continue;  // converted when it first opened
    if (!ConvertsItem(facts, xp, m_foreign.count(id) != 0)) continue;
    SECBmpMenuItemInfo item;
    item.nID = facts.separator ? -1 : id;
    if (!facts.separator) {
      item.strText = FromQString(a->text());
      item.mnemonic = MenuMnemonic(item.strText);
    }
    info.items.emplace(a, std::move(item));
  }
}

void SECBmpMenuPlugIn::PurgeMenus() {
  for (auto it = m_menus.begin(); it != m_menus.end();) {
    if (!it->second.menu) {
      it = m_menus.erase(it);
      continue;
    }
    const QList<QAction*> actions = it->second.menu->actions();
    auto& items = it->second.items;
    for (auto item = items.begin(); item != items.end();)
      item = actions.contains(const_cast<QAction*>(item->first)) ? std::next(item) : items.erase(item);
    ++it;
  }
}

size_t SECBmpMenuPlugIn::ItemCount() const {
  size_t n = 0;
  for (const auto& [menu, info] : m_menus) n += info.items.size();
  return n;
}

const SECBmpMenuItemInfo* SECBmpMenuPlugIn::ItemInfo(const QMenu* menu, const QAction* action) const {
  const auto it = m_menus.find(menu);
  if (it == m_menus.end()) return nullptr;
  const auto item = it->second.items.find(action);
  return item == it->second.items.end() ? nullptr : &item->second;
}

bool SECBmpMenuPlugIn::OnPlugInEvent(QEvent* event, std::intptr_t*) {
  // The frame's colours or settings changed: images follow the new colours
  // and items are measured again at their next opening.
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
    m_mgr->ReloadBitmaps();
    PurgeMenus();
  }
  return false;
}

bool SECBmpMenuPlugIn::eventFilter(QObject* watched, QEvent* event) {
  if (auto* menu = qobject_cast<QMenu*>(watched); menu && m_menus.count(menu)) {
    if (event->type() == QEvent::KeyPress && HandleMenuChar(menu, event)) return true;
    return false;
  }
  return SECWndPlugIn::eventFilter(watched, event);
}

bool SECBmpMenuPlugIn::HandleMenuChar(QMenu* menu, QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString text = key->text();
  if (text.size() != 1 || !text[0].isPrint() || text[0].isSpace()) return false;
  const QList<QAction*> actions = menu->actions();
  std::vector<char> mnemonics;
  int highlighted = -1;
  for (int i = 0; i < actions.size(); ++i) {
    const SECBmpMenuItemInfo* info = ItemInfo(menu, actions[i]);
    const bool usable = info && actions[i]->isVisible() && actions[i]->isEnabled();
    mnemonics.push_back(usable ? info->mnemonic : 0);
    if (actions[i] == menu->activeAction()) highlighted = i;
  }
  const MenuCharResult r = MatchMenuChar(mnemonics, highlighted, text[0].toLatin1());
  if (r.action == MenuCharResult::None) return false;
  QAction* target = actions[r.position];
  menu->setActiveAction(target);
  if (r.action == MenuCharResult::Execute) {
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    menu->removeEventFilter(this);
    QApplication::sendEvent(menu, &enter);
    if (m_menus.count(menu) && m_menus[menu].menu) menu->installEventFilter(this);
  }
  return true;
}

}  // namespace pm2
