#include "shell/frame/frame_bars.h"

#include <QComboBox>
#include <QLineEdit>
#include <QFont>

#include "shell/frame/shell_resources.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/window_button.h"

namespace pm2 {

namespace {

constexpr unsigned kFileButtons = 59392, kDebugButtons = 59397, kBuildButtons = 59398;

// The item text of a command in a menu (without '&' and its key): the
// toolbars' tips.
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

std::string TipOf(unsigned id) {
  for (unsigned menu : {kMainMenuId, kEditorMenuId})
    if (const std::vector<MenuEntry>* m = ShellResources().Menu(menu)) {
      std::string t = MenuText(*m, id);
      if (!t.empty()) return t;
    }
  return {};
}

}  // namespace

FrameBars::FrameBars(SECMDIFrameWnd* frame, FrameBarsHost host, const std::vector<unsigned>& menus, std::string* err)
    : QObject(frame), m_frame(frame), m_host(std::move(host)) {
  m_manager = new SECToolBarManager(frame, ToolkitResourceModule());
  m_manager->LoadToolBarResource(kMainToolbarImages);
  m_manager->SetTipSource(TipOf);
  // The find box takes typed text, the target box only its list; both keep
  // their state whatever the update handlers say of their commands.
  static const SECComboBtn kCombo;
  m_manager->SetButtonMap(
      {{kCombo.GetButtonClass(), kFindBoxButton, TBBS_NOAUTODISABLE, kFindBoxControl, CBS_DROPDOWN, 150, 70, 150},
       {kCombo.GetButtonClass(), kTargetBoxButton, TBBS_NOAUTODISABLE, kTargetBoxControl, CBS_DROPDOWNLIST, 120, 70,
        150}});
  const ResourceTables& tk = ToolkitResources();
  m_manager->DefineDefaultToolBar({kFileToolBarId, "File", *tk.Toolbar(kFileButtons)});
  m_manager->DefineDefaultToolBar({kDebugToolBarId, "Debug", *tk.Toolbar(kDebugButtons), CBRS_ALIGN_ANY,
                                   AFX_IDW_DOCKBAR_TOP, kFileToolBarId, true, false});
  m_manager->DefineDefaultToolBar({kBuildToolBarId, "Build", *tk.Toolbar(kBuildButtons), CBRS_ALIGN_ANY,
                                   AFX_IDW_DOCKBAR_TOP, kFileToolBarId});
  m_manager->EnableCoolLook(true);
  m_manager->onNotify = [this](const ToolbarNotify& n) {
    if (n.code == kWndNotifyCreated) BoxCreated(unsigned(n.param1));
    if (n.code == kWndNotifyEnter && unsigned(n.param1) == kFindBoxControl && m_host.findEntered)
      if (QComboBox* box = FindBox()) m_host.findEntered(FromQString(box->currentText()));
  };
  m_menuBar = InstallMenuBar(frame, ShellResources(), menus, m_manager, MenuBarPlace::Docked, err);
}

FrameBars::~FrameBars() { delete m_manager; }

SECMenuBar* FrameBars::MenuBar() const { return static_cast<SECMenuBar*>(m_menuBar.data()); }

void FrameBars::LoadState(SettingsStore& store, const std::string& profile) {
  m_manager->LoadBarState(store, profile);
  // Boxes made before anyone listened get their font and signals now.
  WireBoxes();
}

void FrameBars::WireBoxes() {
  BoxCreated(kFindBoxControl);
  BoxCreated(kTargetBoxControl);
}

void FrameBars::SaveState(SettingsStore& store, const std::string& profile) {
  ShowHeldFloatingFrames();
  m_manager->SaveBarState(store, profile);
}

void FrameBars::HoldFloatingFrames() {
  for (SECMiniDockFrameWnd* floating : m_frame->FloatingFrames())
    if (floating->isVisible()) {
      m_heldFloating.emplace_back(floating);
      floating->hide();
    }
}

void FrameBars::ShowHeldFloatingFrames() {
  for (const QPointer<QWidget>& floating : m_heldFloating)
    if (floating) {
      floating->show();
      floating->raise();
    }
  m_heldFloating.clear();
}

SECCustomToolBar* FrameBars::ToolBar(unsigned id) const { return m_manager->GetToolBar(id); }

bool FrameBars::IsToolBarVisible(unsigned id) const {
  SECCustomToolBar* bar = ToolBar(id);
  return bar && bar->IsBarVisible();
}

void FrameBars::ToggleToolBar(unsigned id) {
  if (SECCustomToolBar* bar = ToolBar(id)) m_frame->ShowControlBar(bar, !bar->IsBarVisible(), false);
}

QComboBox* FrameBars::Combo(unsigned controlId) const {
  for (SECCustomToolBar* bar : m_manager->ToolBars())
    for (int i = 0; i < bar->ButtonCount(); ++i)
      if (auto* combo = dynamic_cast<SECComboBtn*>(bar->Button(i)); combo && combo->m_controlId == controlId)
        if (QComboBox* box = combo->Combo()) return box;
  return nullptr;
}

void FrameBars::BoxCreated(unsigned controlId) {
  QComboBox* box = Combo(controlId);
  if (!box || box->property("pm2Wired").toBool()) return;
  box->setProperty("pm2Wired", true);
  QFont bold = DefaultGuiFont();
  bold.setBold(true);
  box->setFont(bold);
  if (controlId == kFindBoxControl) {
    box->setObjectName("FindBox");
    box->setInsertPolicy(QComboBox::NoInsert);
    // The history stays in the list; a typed prefix is searched as typed.
    box->setCompleter(nullptr);
    connect(box, QOverload<int>::of(&QComboBox::activated), this, [this, box](int index) {
      if (index > 0 && m_host.findChosen) m_host.findChosen(FromQString(box->itemText(index)));
    });
    if (QLineEdit* edit = box->lineEdit())
      connect(edit, &QLineEdit::editingFinished, this, [this, box] {
        if (m_host.findLeft) m_host.findLeft(FromQString(box->currentText()));
      });
  } else {
    box->setObjectName("TargetBox");
    connect(box, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
      if (m_host.targetChosen) m_host.targetChosen(index);
    });
  }
  if (m_host.boxesCreated) m_host.boxesCreated();
}

void FrameBars::UpdateButtons() {
  for (SECCustomToolBar* bar : m_manager->ToolBars()) bar->UpdateCmdUI();
  if (SECMenuBar* menu = MenuBar()) menu->UpdateCmdUI();
}

}  // namespace pm2
