#include "shell/frame/command_strip.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/frame/shell_resources.h"
#include "toolkit/controls/pixel_image.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/menus/bmp_menu.h"
#include "toolkit/menus/menu_builder.h"
#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/qt_resource_module.h"

namespace pm2 {

namespace {

constexpr unsigned kToolbarImages = 120;
constexpr unsigned kFileToolbar = 59392, kBuildToolbar = 59398;
constexpr CommandId kTargetBoxButton = 32870, kFindBoxButton = 32750;

// The item text of a command in the main menu (without its key), for tips.
std::string MenuText(const std::vector<MenuEntry>& entries, CommandId id) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::Item && e.id == id) {
      std::string t;
      for (char c : e.text) {
        if (c == '\t') break;
        if (c != '&') t += c;
      }
      return t;
    }
    if (e.kind == MenuEntry::Kind::Popup) {
      std::string t = MenuText(e.children, id);
      if (!t.empty()) return t;
    }
  }
  return {};
}

// Strip-text items keep their keys after a tab; a renamed item keeps the key.
QString WithKey(const QString& old, const std::string& text) {
  int tab = old.indexOf('\t');
  QString t = ToQString(text);
  return tab >= 0 && !t.contains('\t') ? t + old.mid(tab) : t;
}

}  // namespace

CommandStrip::CommandStrip(CommandStripHost host, QWidget* parent)
    : QWidget(parent), m_host(std::move(host)), m_bitmaps(std::make_unique<SECBmpMenuPlugIn>(ToolkitResourceModule())) {
  setObjectName("CommandStrip");
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, SysQColor(SysColor::BtnFace));
  setPalette(pal);
  setFont(DefaultGuiFont());
  m_bitmaps->LoadToolBarBitmap(kToolbarImages);
  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(2, 1, 2, 1);
  rows->setSpacing(1);
  auto* menus = new QHBoxLayout;
  menus->setSpacing(0);
  AddMenuButtons(menus);
  rows->addLayout(menus);
  auto* tools = new QHBoxLayout;
  tools->setSpacing(0);
  AddToolButtons(tools, kFileToolbar);
  tools->addSpacing(8);
  AddToolButtons(tools, kBuildToolbar);
  tools->addStretch(1);
  rows->addLayout(tools);
}

CommandStrip::~CommandStrip() = default;

void CommandStrip::AddMenuButtons(QHBoxLayout* row) {
  const std::vector<MenuEntry>* menu = ShellResources().Menu(kMainMenuId);
  if (!menu) return;
  int index = 0;
  for (const MenuEntry& popup : *menu) {
    if (popup.kind != MenuEntry::Kind::Popup) continue;
    auto* button = new QToolButton(this);
    button->setText(ToQString(popup.text));
    button->setAutoRaise(true);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setObjectName(ToQString("Menu:" + popup.text));
    button->setStyleSheet("QToolButton::menu-indicator { image: none; width: 0px; }");
    auto* qmenu = new QMenu(button);
    FillQMenu(qmenu, popup.children);
    m_bitmaps->Track(qmenu);
    const int i = index++;
    connect(qmenu, &QMenu::aboutToShow, this, [this, qmenu, i] {
      if (m_host.aboutToShow) m_host.aboutToShow(qmenu, i);
      UpdateMenu(qmenu);
    });
    connect(qmenu, &QMenu::triggered, this, [this](QAction* a) {
      bool ok = false;
      CommandId id = a->data().toUInt(&ok);
      if (ok && id && m_host.execute) m_host.execute(id);
    });
    button->setMenu(qmenu);
    m_popups.push_back(qmenu);
    row->addWidget(button);
  }
  row->addStretch(1);
}

void CommandStrip::AddToolButtons(QHBoxLayout* row, unsigned toolbar) {
  const std::vector<CommandId>* ids = ToolkitResources().Toolbar(toolbar);
  if (!ids) return;
  const SECBmpMgr* images = m_bitmaps->BmpMgr();
  const std::vector<MenuEntry>* menu = ShellResources().Menu(kMainMenuId);
  for (CommandId id : *ids) {
    if (id == 0) {
      auto* sep = new QFrame(this);
      sep->setFrameShape(QFrame::VLine);
      sep->setFrameShadow(QFrame::Sunken);
      sep->setFixedWidth(6);
      row->addWidget(sep);
      continue;
    }
    if (id == kFindBoxButton) {
      m_find = new QComboBox(this);
      m_find->setObjectName("FindBox");
      m_find->setEditable(true);
      m_find->setInsertPolicy(QComboBox::NoInsert);
      m_find->setMinimumWidth(100);
      QFont bold = DefaultGuiFont();
      bold.setBold(true);
      m_find->setFont(bold);
      connect(m_find->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (m_host.findEntered) m_host.findEntered(FromQString(m_find->currentText()));
      });
      row->addWidget(m_find);
      continue;
    }
    if (id == kTargetBoxButton) {
      m_targets = new QComboBox(this);
      m_targets->setObjectName("TargetBox");
      m_targets->setMinimumWidth(120);
      QFont bold = DefaultGuiFont();
      bold.setBold(true);
      m_targets->setFont(bold);
      row->addWidget(m_targets);
      continue;
    }
    auto* b = new QToolButton(this);
    b->setAutoRaise(true);
    b->setObjectName(QString("Button:%1").arg(id));
    b->setIconSize(QSize(16, 15));
    StripHandle strip;
    int image = 0;
    if (images && images->GetBitmap(id, &strip, &image) && strip) {
      QImage all = ToQImage(*strip, GetSysColor(SysColor::BtnFace));
      int w = 16;
      b->setIcon(QIcon(QPixmap::fromImage(all.copy(image * w, 0, w, all.height()))));
    } else {
      b->setText(QString::number(id));
    }
    std::string tip = menu ? MenuText(*menu, id) : std::string();
    b->setToolTip(ToQString(tip));
    connect(b, &QToolButton::clicked, this, [this, id] {
      if (m_host.execute) m_host.execute(id);
    });
    m_buttons.push_back({id, b});
    row->addWidget(b);
  }
}

void CommandStrip::SetFindHistory(const std::vector<std::string>& entries) {
  if (!m_find) return;
  m_find->clear();
  for (const std::string& e : entries) m_find->addItem(ToQString(e));
  if (!entries.empty()) m_find->setCurrentIndex(0);
}

QToolButton* CommandStrip::Button(CommandId id) const {
  for (const auto& [bid, b] : m_buttons)
    if (bid == id) return b;
  return nullptr;
}

void CommandStrip::UpdateButtons() {
  if (!m_host.query) return;
  for (const auto& [id, b] : m_buttons) {
    CommandState s = m_host.query(id);
    b->setEnabled(s.enabled);
    b->setCheckable(s.check != 0);
    b->setChecked(s.check != 0);
  }
  if (m_find) m_find->setEnabled(m_host.query(1000).enabled);
}

void CommandStrip::UpdateMenu(QMenu* menu) {
  if (!m_host.query) return;
  for (QAction* a : menu->actions()) {
    bool ok = false;
    CommandId id = a->data().toUInt(&ok);
    if (!ok || id == 0) continue;
    CommandState s = m_host.query(id);
    a->setEnabled(s.enabled);
    a->setCheckable(s.check != 0);
    a->setChecked(s.check != 0);
    if (s.textSet) a->setText(WithKey(a->text(), s.text));
  }
}

}  // namespace pm2
