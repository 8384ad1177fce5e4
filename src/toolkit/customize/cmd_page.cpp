#include "toolkit/customize/cmd_page.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/customize/check_list_box.h"
#include "toolkit/customize/toolbar_list_model.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"

namespace pm2 {
namespace {
constexpr int kEdge = 2;  // the group bar's edge around its rows
}  // namespace

std::vector<CommandGroup> CommandGroupsOf(const SECToolBarManager& manager) {
  std::vector<CommandGroup> groups;
  for (const ToolBarDefinition& d : manager.Definitions()) {
    CommandGroup g{d.title, {}};
    for (unsigned id : d.buttons)
      if (id && std::find(g.ids.begin(), g.ids.end(), id) == g.ids.end()) g.ids.push_back(id);
    groups.push_back(std::move(g));
  }
  return groups;
}

// ---- a group's buttons -------------------------------------------------------

SECCustomizeToolBar::SECCustomizeToolBar(SECBmpMgr* mgr, unsigned id, QWidget* parent)
    : SECButtonStrip(mgr, id, parent) {
  BarLook look;
  look.cool = false;  // raised buttons, as a customise toolbar shows them
  look.customizing = true;
  SetLook(look);
  setFocusPolicy(Qt::StrongFocus);
}

void SECCustomizeToolBar::WrapTo(int width) {
  Layout();
  int x = kEdge, y = kEdge, rowHeight = 0;
  for (int i = 0; i < ButtonCount(); ++i) {
    SECStdBtn* b = Button(i);
    if (b->m_nStyle & TBBS_HIDDEN) continue;
    if (x > kEdge && x + b->m_cx > width - kEdge) {
      x = kEdge;
      y += rowHeight;
      rowHeight = 0;
    }
    b->SetPos(x, y);
    x += b->m_cx;
    rowHeight = std::max(rowHeight, b->m_cy);
  }
  updateGeometry();
  update();
}

QSize SECCustomizeToolBar::sizeHint() const {
  int right = 0, bottom = 0;
  for (int i = 0; i < ButtonCount(); ++i) {
    const SECStdBtn* b = Button(i);
    if (b->m_nStyle & TBBS_HIDDEN) continue;
    right = std::max(right, b->m_x + b->m_cx);
    bottom = std::max(bottom, b->m_y + b->m_cy);
  }
  return {right + kEdge, bottom + kEdge};
}

int SECCustomizeToolBar::IndexAt(QPoint p) const {
  for (int i = 0; i < ButtonCount(); ++i) {
    const SECStdBtn* b = Button(i);
    if (!(b->m_nStyle & (TBBS_HIDDEN | TBBS_SEPARATOR)) && b->BtnRect().Contains({p.x(), p.y()})) return i;
  }
  return -1;
}

void SECCustomizeToolBar::Select(int index) {
  if (m_selected >= 0 && m_selected < ButtonCount()) {
    Button(m_selected)->m_nStyle &= ~TBBS_CUSTOMIZESEL;
    Button(m_selected)->Invalidate();
  }
  m_selected = index >= 0 && index < ButtonCount() ? index : -1;
  if (m_selected < 0) return;
  Button(m_selected)->m_nStyle |= TBBS_CUSTOMIZESEL;
  Button(m_selected)->Invalidate();
  if (onSelected) onSelected(Button(m_selected)->m_nID);
}

void SECCustomizeToolBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    if (m_tracker.IsTracking()) {
      m_tracker.Cancel();
      m_dragIndex = -1;
    }
    return;
  }
  const QPoint pt = e->position().toPoint();
  const int index = IndexAt(pt);
  if (index < 0) return;
  Select(index);
  const SECStdBtn* b = Button(index);
  m_dragIndex = index;
  m_tracker.BeginMove(QRect(mapToGlobal(QPoint(b->m_x, b->m_y)), QSize(b->m_cx, b->m_cy)),
                      e->globalPosition().toPoint());
}

void SECCustomizeToolBar::mouseMoveEvent(QMouseEvent* e) {
  if (m_tracker.IsTracking()) m_tracker.MoveTo(e->globalPosition().toPoint());
}

void SECCustomizeToolBar::mouseReleaseEvent(QMouseEvent* e) {
  if (!m_tracker.IsTracking() || e->button() != Qt::LeftButton) return;
  m_tracker.MoveTo(e->globalPosition().toPoint());
  QRect r;
  const bool moved = m_tracker.End(&r);
  const int index = m_dragIndex;
  m_dragIndex = -1;
  // A click without a move only selects.
  if (moved && index >= 0 && index < ButtonCount() && onDropped) onDropped(Button(index)->m_nID, r);
}

void SECCustomizeToolBar::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && m_tracker.IsTracking()) {
    m_tracker.Cancel();
    m_dragIndex = -1;
    return;
  }
  SECButtonStrip::keyPressEvent(e);
}

// ---- the dialog ----------------------------------------------------------------

SECToolBarCmdPage::SECToolBarCmdPage(SECToolBarManager* manager, std::vector<CommandGroup> groups, QWidget* parent)
    : QDialog(parent), m_manager(manager), m_groups(std::move(groups)) {
  setWindowTitle("Customize Toolbars");
  setFont(DefaultGuiFont());
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(11, 11, 11, 11);
  outer->setSpacing(7);
  auto* top = new QHBoxLayout;
  top->setSpacing(11);
  auto* left = new QVBoxLayout;
  left->setSpacing(3);
  auto* catLabel = new QLabel("Ca&tegories:", this);
  m_list = new SECCheckListBox(false, this);
  m_list->setFixedWidth(130);
  catLabel->setBuddy(m_list);
  left->addWidget(catLabel);
  left->addWidget(m_list, 1);
  top->addLayout(left);
  auto* box = new QGroupBox("Buttons", this);
  auto* boxLayout = new QVBoxLayout(box);
  boxLayout->setContentsMargins(8, 6, 8, 8);
  m_area = new QWidget(box);
  m_area->setMinimumSize(230, 90);
  boxLayout->addWidget(m_area);
  top->addWidget(box, 1);
  auto* close = new QPushButton("Close", this);
  close->setFixedSize(75, 23);
  close->setDefault(true);
  QObject::connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* right = new QVBoxLayout;
  right->addSpacing(catLabel->sizeHint().height() + 3);
  right->addWidget(close);
  right->addStretch();
  top->addLayout(right);
  outer->addLayout(top, 1);
  outer->addWidget(new QLabel("Select a category, then drag a button onto any toolbar.", this));
  auto* descBox = new QGroupBox("Description", this);
  auto* descLayout = new QVBoxLayout(descBox);
  m_desc = new QLabel(descBox);
  m_desc->setMinimumHeight(18);
  descLayout->addWidget(m_desc);
  outer->addWidget(descBox);

  const std::vector<unsigned> windowIds = CommandGroupWindowIds(m_groups.size());
  std::vector<SECCheckListBox::Item> names;
  for (std::size_t i = 0; i < m_groups.size(); ++i) {
    auto* bar = new SECCustomizeToolBar(m_manager ? m_manager->BmpMgr() : nullptr, windowIds[i], m_area);
    bar->SetButtons(m_groups[i].ids);
    bar->WrapTo(230);
    bar->resize(bar->sizeHint());
    bar->hide();
    bar->onSelected = [this](unsigned id) { ShowDescription(id); };
    bar->onDropped = [this](unsigned id, const QRect& r) { DropCommand(id, r); };
    m_groupBars.push_back(bar);
    names.push_back({m_groups[i].name, false});
  }
  m_list->SetItems(std::move(names), -1);
  m_list->onSelected = [this](int row) { ShowGroup(row); };
  if (!m_groups.empty()) m_list->SetSelected(0);
}

SECToolBarCmdPage::~SECToolBarCmdPage() = default;

void SECToolBarCmdPage::ShowGroup(int index) {
  if (index < 0 || index >= int(m_groupBars.size())) return;
  if (m_nCurGroup >= 0) m_groupBars[std::size_t(m_nCurGroup)]->hide();
  m_nCurGroup = index;
  SECCustomizeToolBar* bar = m_groupBars[std::size_t(index)];
  bar->WrapTo(std::max(m_area->width(), m_area->minimumWidth()));
  bar->setGeometry(QRect(QPoint(0, 0), bar->sizeHint()));
  bar->show();
  if (m_list->Selected() != index) m_list->SetSelected(index);
  ShowDescription(0);
}

void SECToolBarCmdPage::ShowDescription(unsigned id) {
  m_desc->setText(id && m_manager ? ToQString(m_manager->DescriptionText(id)) : QString());
}

SECCustomToolBar* SECToolBarCmdPage::DropCommand(unsigned id, const QRect& screenRect) {
  if (!m_manager || !id) return nullptr;
  SECCustomToolBar* target = ToolBarAtScreenPoint(screenRect.center());
  if (!target) target = m_manager->FindToolBarAt(screenRect);
  if (!target || !target->AcceptsDrop()) return nullptr;
  const int at = target->DropIndex(screenRect);
  target->InsertButton(at, id);
  target->SelectButton(at);
  return target;
}

void SECToolBarCmdPage::showEvent(QShowEvent* e) {
  if (m_manager) m_manager->SetCustomizeMode(true, this);
  QDialog::showEvent(e);
  ShowGroup(m_nCurGroup < 0 ? 0 : m_nCurGroup);
}

void SECToolBarCmdPage::done(int result) {
  if (m_manager) m_manager->SetCustomizeMode(false);
  if (m_nCurGroup >= 0) m_groupBars[std::size_t(m_nCurGroup)]->hide();
  QDialog::done(result);
}

}  // namespace pm2
