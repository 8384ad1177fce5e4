#include "toolkit/customize/toolbars_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"
#include "toolkit/customize/check_list_box.h"
#include "toolkit/customize/new_toolbar_dlg.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"

namespace pm2 {
namespace {
constexpr int kFloatOffset = 5;  // a new toolbar floats this far right of and below the top dock bar
}  // namespace

SECToolBarsDlg::SECToolBarsDlg(SECToolBarManager* manager, QWidget* parent) : QDialog(parent), m_manager(manager) {
  setWindowTitle("Toolbars");
  setFont(DefaultGuiFont());
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(11, 11, 11, 11);
  grid->setHorizontalSpacing(11);
  grid->setVerticalSpacing(4);
  auto* listLabel = new QLabel("&Toolbars:", this);
  m_list = new SECCheckListBox(true, this);
  m_list->setMinimumSize(190, 196);
  listLabel->setBuddy(m_list);
  m_nameLabel = new QLabel("Toolbar &name:", this);
  m_name = new QLineEdit(this);
  m_nameLabel->setBuddy(m_name);
  grid->addWidget(listLabel, 0, 0);
  grid->addWidget(m_list, 1, 0);
  grid->addWidget(m_nameLabel, 2, 0);
  grid->addWidget(m_name, 3, 0);
  m_tips = new QCheckBox("Show Tool&Tips", this);
  m_cool = new QCheckBox("&Cool Look", this);
  m_large = new QCheckBox("&Large Buttons", this);
  auto* checks = new QHBoxLayout;
  for (QCheckBox* c : {m_tips, m_cool, m_large}) checks->addWidget(c);
  checks->addStretch();
  grid->addLayout(checks, 4, 0, 1, 2);
  auto* buttons = new QVBoxLayout;
  auto* close = new QPushButton("Close", this);
  m_new = new QPushButton("&New...", this);
  m_reset = new QPushButton(ToQString(ToolkitResources().String(kIdsResetToolBar)), this);
  for (QPushButton* b : {close, m_new, m_reset}) {
    b->setFixedSize(75, 23);
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  close->setDefault(true);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 1, 4, 1);
  grid->setRowStretch(1, 1);

  if (m_manager) {
    const ToolBarManagerSettings& s = m_manager->Settings();
    m_startTips = s.toolTips;
    m_startCool = s.coolLook;
    m_startLarge = s.largeButtons;
  }
  m_tips->setChecked(m_startTips);
  m_cool->setChecked(m_startCool);
  m_large->setChecked(m_startLarge);
  QObject::connect(m_tips, &QCheckBox::toggled, this, [this](bool on) {
    if (m_manager) m_manager->EnableToolTips(on);
  });
  QObject::connect(m_cool, &QCheckBox::toggled, this, [this](bool on) {
    if (m_manager) m_manager->EnableCoolLook(on);
  });
  QObject::connect(m_large, &QCheckBox::toggled, this, [this](bool on) {
    if (m_manager) m_manager->EnableLargeButtons(on);
  });
  QObject::connect(close, &QPushButton::clicked, this, &QDialog::accept);
  QObject::connect(m_new, &QPushButton::clicked, this, [this] { OnNew(); });
  QObject::connect(m_reset, &QPushButton::clicked, this, [this] { ResetOrDelete(); });
  QObject::connect(m_name, &QLineEdit::editingFinished, this, [this] {
    if (m_name->isModified()) Rename(FromQString(m_name->text()));
    m_name->setModified(false);
  });
  m_list->onCheckClicked = [this](int row) { SetChecked(row); };
  m_list->onSelected = [this](int row) {
    m_model.Select(row);
    SelectionChanged();
  };
  Reload();
}

SECToolBarsDlg::~SECToolBarsDlg() = default;

void SECToolBarsDlg::showEvent(QShowEvent* e) {
  if (m_manager) m_manager->SetCustomizeMode(true, this);
  QDialog::showEvent(e);
}

void SECToolBarsDlg::done(int result) {
  if (m_manager) {
    m_manager->SetCustomizeMode(false);
    if (result == QDialog::Rejected) {
      m_manager->EnableToolTips(m_startTips);
      m_manager->EnableCoolLook(m_startCool);
      m_manager->EnableLargeButtons(m_startLarge);
    }
  }
  QDialog::done(result);
}

void SECToolBarsDlg::Reload() {
  std::vector<ToolBarListRow> rows;
  SECMDIFrameWnd* frame = m_manager ? m_manager->Frame() : nullptr;
  if (frame)
    for (SECControlBar* b : frame->ControlBars()) rows.push_back({b->BarId(), b->Title(), b->IsBarVisible()});
  m_model.Reset(std::move(rows));
  Refill();
}

void SECToolBarsDlg::Refill() {
  std::vector<SECCheckListBox::Item> items;
  for (const ToolBarListRow& r : m_model.Rows()) items.push_back({r.title, r.checked});
  m_list->SetItems(std::move(items), m_model.Selected());
  SelectionChanged();
}

SECControlBar* SECToolBarsDlg::BarOfRow(int row) const {
  if (!m_manager || !m_manager->Frame() || row < 0 || row >= int(m_model.Rows().size())) return nullptr;
  return m_manager->Frame()->GetControlBar(m_model.Rows()[std::size_t(row)].id);
}

void SECToolBarsDlg::SelectionChanged() {
  const int row = m_model.Selected();
  const unsigned id = row >= 0 ? m_model.Rows()[std::size_t(row)].id : 0;
  m_name->setText(row >= 0 ? ToQString(m_model.Rows()[std::size_t(row)].title) : QString());
  m_name->setModified(false);
  m_reset->setText(ToQString(ToolkitResources().String(ResetDeleteLabel(id))));
  m_reset->setEnabled(row >= 0);
  const bool user = row >= 0 && IsUserToolBarId(id);
  m_name->setEnabled(user);
  m_nameLabel->setEnabled(user);
}

void SECToolBarsDlg::SetChecked(int row) {
  SECControlBar* bar = BarOfRow(row);
  const bool show = m_model.ToggleCheck(row);
  if (bar && bar->BarId() != kMenuBarId) {
    m_manager->Frame()->ShowControlBar(bar, show, false);
    m_manager->Frame()->RecalcLayout();
  }
  Refill();
}

void SECToolBarsDlg::ResetOrDelete() {
  const int row = m_model.Selected();
  SECControlBar* bar = BarOfRow(row);
  auto* tb = dynamic_cast<SECCustomToolBar*>(bar);
  if (!tb) return;
  if (IsUserToolBarId(tb->BarId())) {
    const unsigned id = tb->BarId();
    if (m_manager->DestroyUserToolBar(tb)) m_model.Notify(BarNotify::Removed, id);
  } else if (auto* menu = dynamic_cast<SECMenuBar*>(tb)) {
    menu->ResetButtons();
  } else {
    m_manager->ResetToolBar(tb);
  }
  Refill();
}

SECControlBar* SECToolBarsDlg::NewToolBar(const std::string& name) {
  SECMDIFrameWnd* frame = m_manager ? m_manager->Frame() : nullptr;
  if (!frame || !NewToolBarNameAcceptable(name)) return nullptr;
  std::string title = name;
  ClipToolBarName(&title);
  SECCustomToolBar* bar = m_manager->CreateUserToolBar(title);
  if (!bar) return nullptr;
  QPoint at;
  if (SECDockBar* top = frame->GetDockBar(AFX_IDW_DOCKBAR_TOP)) {
    at = top->mapToGlobal(QPoint(kFloatOffset, top->height() + kFloatOffset));
  } else {
    at = frame->mapToGlobal(frame->ClientLayoutRect().topLeft() + QPoint(kFloatOffset, kFloatOffset));
  }
  frame->FloatControlBar(bar, at, CBRS_ALIGN_TOP);
  m_model.Notify(BarNotify::Added, bar->BarId(), bar->Title());
  m_model.Select(m_model.Find(bar->BarId()));
  Refill();
  return bar;
}

void SECToolBarsDlg::OnNew() {
  SECNewToolBar dlg(this);
  if (dlg.exec() == QDialog::Accepted) NewToolBar(dlg.Name());
}

void SECToolBarsDlg::Rename(const std::string& name) {
  const int row = m_model.Selected();
  SECControlBar* bar = BarOfRow(row);
  if (!bar || !IsUserToolBarId(bar->BarId())) return;
  m_model.Rename(row, name);
  const std::string& title = m_model.Rows()[std::size_t(row)].title;
  bar->State().title = title;
  bar->setWindowTitle(ToQString(title));
  if (SECDockBar* d = bar->DockBar(); d && d->IsFloatingBar()) {
    d->parentWidget()->setWindowTitle(ToQString(title));
    d->parentWidget()->update();
  }
  Refill();
}

}  // namespace pm2
