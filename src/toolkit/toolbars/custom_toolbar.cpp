#include "toolkit/toolbars/custom_toolbar.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "platform/settings_store.h"
#include "toolkit/controls/pixel_image.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/color_math.h"
#include "toolkit/core/persistent_tree.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/drag_overlay.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/xp_look.h"
#include "toolkit/toolbars/menu_button_text.h"

namespace pm2 {
namespace {

Point ToPoint(const QPoint& p) { return {p.x(), p.y()}; }

constexpr int kGripper = 8;   // the gripper's side of a docked bar
constexpr int kEdge = 2;      // every other side
constexpr int kUpdateMs = 250;  // how often button states are reread

}  // namespace

// ---- saved form ------------------------------------------------------------

bool SECCustomToolBarInfoEx::LoadFromProfile(const SettingsStore& store, const std::string& section) {
  std::string block;
  if (!store.GetProfileBinary(section, "Buttons", &block)) return false;
  title = store.GetProfileString(section, "Title", "");
  DecodeToolbarButtons(block, &buttons);  // a cut-off tail keeps the whole records
  filled = true;
  return true;
}

bool SECCustomToolBarInfoEx::SaveToProfile(SettingsStore& store, const std::string& section) {
  if (!filled) return false;
  if (!title.empty()) store.WriteProfileString(section.c_str(), "Title", title.c_str());
  store.WriteProfileBinary(section, "Buttons", EncodeToolbarButtons(buttons));
  return true;
}

bool SECCustomToolBarInfoEx::LoadFromNode(const SECPersistentTreeNode* node) {
  const SECPersistentTreeNode* child = node ? node->FindChild("ToolBarInfoEx") : nullptr;
  if (!child) return false;
  std::vector<std::uint8_t> block;
  child->GetKeyValueBinary("Buttons", &block);
  std::string text;
  child->GetKeyValue("Title", &text);
  title = text;
  DecodeToolbarButtons(std::string(block.begin(), block.end()), &buttons);
  filled = true;
  return true;
}

bool SECCustomToolBarInfoEx::SaveToNode(SECPersistentTreeNode* node) {
  if (!node || !filled) return false;
  SECPersistentTreeNode* child = node->FindChild("ToolBarInfoEx");
  if (!child) child = node->CreateChild("ToolBarInfoEx");
  if (!child) return false;
  const std::string block = EncodeToolbarButtons(buttons);
  child->SetKeyValue("Title", std::string_view(title));
  child->SetKeyValueBinary("Buttons", reinterpret_cast<const std::uint8_t*>(block.data()), block.size());
  return true;
}

// ---- the bar ----------------------------------------------------------------

SECCustomToolBar::SECCustomToolBar(SECToolBarManager* manager, SECBmpMgr* bmp) {
  SetManager(manager);
  if (!manager && bmp) SetBmpMgr(bmp);
  setAttribute(Qt::WA_OpaquePaintEvent);
  State().fitToLength = [this](int length, bool vertical) { return FitToLength(length, vertical); };
  m_updateTimer = new QTimer(this);
  m_updateTimer->setInterval(kUpdateMs);
  QObject::connect(m_updateTimer, &QTimer::timeout, this, [this] { UpdateCmdUI(); });
}

SECCustomToolBar::~SECCustomToolBar() {
  if (m_drag.active) releaseMouse();
  m_btns.clear();
  if (m_pBmpMgr) m_pBmpMgr->Release();
}

void SECCustomToolBar::SetManager(SECToolBarManager* m) {
  m_pManager = m;
  SetInfoExSource(m);  // the dock state stores the buttons through it
  if (m) {
    SetBmpMgr(m->BmpMgr());
    m_tbFlags = m->ToolBarFlags();
  }
}

void SECCustomToolBar::SetBmpMgr(SECBmpMgr* mgr) {
  if (mgr == m_pBmpMgr) return;
  if (mgr) mgr->AddRef();
  if (m_pBmpMgr) m_pBmpMgr->Release();
  m_pBmpMgr = mgr;
}

bool SECCustomToolBar::CreateToolBar(SECMDIFrameWnd* frame, const std::string& title, unsigned id,
                                     std::uint32_t barStyle, std::uint32_t tbFlags) {
  if (!Create(frame, title, barStyle | CBRS_SIZE_DYNAMIC, SECBAR_EX_FIXEDSIZE, id)) return false;
  m_tbFlags = tbFlags;
  EnableDocking(CBRS_ALIGN_ANY);
  RecalcSizes();
  return true;
}

void SECCustomToolBar::SetToolBarFlags(std::uint32_t flags) {
  m_tbFlags = flags;
  SetHot(-1);
  update();
}

ButtonMetrics SECCustomToolBar::Metrics() const {
  if (!m_pBmpMgr) return {};
  return m_pBmpMgr->m_bSmall ? ButtonMetrics::FromImage(m_pBmpMgr->m_cxSmall, m_pBmpMgr->m_cySmall)
                             : ButtonMetrics::FromImage(m_pBmpMgr->m_cxLarge, m_pBmpMgr->m_cyLarge);
}

BarLook SECCustomToolBar::Look() const {
  BarLook look;
  look.cool = IsCoolLook();
  look.vertical = IsVerticalDock();
  look.customizing = m_bCustomize;
  return look;
}

bool SECCustomToolBar::IsVerticalDock() const { return IsDocked() && State().IsVertColumn(); }

Rect SECCustomToolBar::InsideMargins() const {
  if (!IsDocked()) return {kEdge, kEdge, kEdge, kEdge};
  if (IsVerticalDock()) return {kEdge, kGripper, kEdge, kEdge};
  return {kGripper, kEdge, kEdge, kEdge};
}

// ---- buttons ----------------------------------------------------------------

std::unique_ptr<SECStdBtn> SECCustomToolBar::CreateButton(unsigned id) {
  std::unique_ptr<SECStdBtn> b;
  const ToolBarButtonMapEntry* row = m_pManager ? m_pManager->FindButtonMapEntry(id) : nullptr;
  if (row && row->buttonClass && row->buttonClass->create) {
    b.reset(row->buttonClass->create());
    b->m_nStyle = row->style;
  } else {
    b = std::make_unique<SECStdBtn>();
  }
  b->m_nID = id;
  int image = 0;
  StripHandle strip;
  if (b->m_nType != kBtnMenuText && m_pBmpMgr && m_pBmpMgr->GetBitmap(id, &strip, &image)) b->m_nImage = image;
  if (row) {
    const unsigned extra[5] = {row->controlId, row->controlStyle,
                               unsigned(row->width & 0xFFFF) | (unsigned(row->minWidth & 0xFFFF) << 16),
                               unsigned(row->height), 0};
    b->Init(this, extra);
  } else {
    b->Init(this, nullptr);
  }
  b->SetVertical(IsVerticalDock());
  return b;
}

std::unique_ptr<SECStdBtn> SECCustomToolBar::CreateSeparator() {
  auto b = std::make_unique<SECStdBtn>();
  b->m_nStyle = TBBS_SEPARATOR;
  b->Init(this, nullptr);
  return b;
}

void SECCustomToolBar::RemoveAllButtons() {
  m_btns.clear();
  m_nPressed = m_nHot = m_nSelected = -1;
}

void SECCustomToolBar::SetButtons(const std::vector<unsigned>& ids) {
  RemoveAllButtons();
  for (unsigned id : ids) m_btns.push_back(id ? CreateButton(id) : CreateSeparator());
  Changed();
}

std::vector<unsigned> SECCustomToolBar::ButtonIds() const {
  std::vector<unsigned> ids;
  for (const auto& b : m_btns) ids.push_back((b->m_nStyle & TBBS_SEPARATOR) ? 0 : b->m_nID);
  return ids;
}

int SECCustomToolBar::FindButton(unsigned id) const {
  for (int i = 0; i < ButtonCount(); ++i)
    if (m_btns[std::size_t(i)]->m_nID == id && !(m_btns[std::size_t(i)]->m_nStyle & TBBS_SEPARATOR)) return i;
  return -1;
}

void SECCustomToolBar::InsertButtonObject(int index, std::unique_ptr<SECStdBtn> b, bool noRecalc) {
  index = std::clamp(index, 0, ButtonCount());
  m_btns.insert(m_btns.begin() + index, std::move(b));
  if (m_nSelected >= index) ++m_nSelected;
  if (m_nHot >= index) ++m_nHot;
  if (!noRecalc) Changed();
}

void SECCustomToolBar::InsertButton(int index, unsigned id, bool noRecalc) {
  InsertButtonObject(index, id ? CreateButton(id) : CreateSeparator(), noRecalc);
}

void SECCustomToolBar::TidySeparators() {
  // No separator first or last, never two in a row.
  for (int i = 0; i < ButtonCount();) {
    const bool sep = m_btns[std::size_t(i)]->m_nStyle & TBBS_SEPARATOR;
    const bool prevSep = i > 0 && (m_btns[std::size_t(i - 1)]->m_nStyle & TBBS_SEPARATOR);
    if (sep && (i == 0 || i == ButtonCount() - 1 || prevSep)) {
      m_btns.erase(m_btns.begin() + i);
      if (i > 0) --i;
      continue;
    }
    ++i;
  }
}

bool SECCustomToolBar::RemoveButton(int index, bool noRecalc) {
  if (index < 0 || index >= ButtonCount()) return true;
  m_btns.erase(m_btns.begin() + index);
  TidySeparators();
  m_nPressed = -1;
  if (m_nSelected == index) m_nSelected = -1;
  else if (m_nSelected > index) --m_nSelected;
  m_nHot = -1;
  // Only user toolbars close when emptied; the menu bar never does.
  if (m_btns.empty() && BarId() >= kFirstUserToolBarId && BarId() < kMenuBarId) {
    if (m_pManager) m_pManager->ToolBarClosing(this);
    if (SECMDIFrameWnd* f = DockSite()) f->RemoveControlBar(this);
    hide();
    deleteLater();
    return false;
  }
  if (!noRecalc) Changed();
  return true;
}

int SECCustomToolBar::WidestMenuText() const {
  // Docked at a side, menu titles stand one under the other, each as wide
  // as the widest, as the items of a menu do.
  int widest = 0;
  for (const auto& b : m_btns)
    if (b->m_nType == kBtnMenuText && !(b->m_nStyle & TBBS_HIDDEN)) widest = std::max(widest, b->m_cx);
  return widest;
}

std::vector<LayoutItem> SECCustomToolBar::Items(bool vertical, std::vector<int>* indices) const {
  std::vector<LayoutItem> items;
  const ButtonMetrics m = Metrics();
  const int titleCx = vertical ? WidestMenuText() : 0;
  for (int i = 0; i < ButtonCount(); ++i) {
    const SECStdBtn& b = *m_btns[std::size_t(i)];
    if (b.m_nStyle & TBBS_HIDDEN) continue;
    LayoutItem it;
    it.separator = (b.m_nStyle & TBBS_SEPARATOR) != 0;
    // Window buttons take their control's width only in a row and a plain
    // button's in a column, whichever form they have now.
    it.cx = b.m_nType == kBtnWindow ? (vertical ? m.buttonCx : b.RowCx()) : b.m_cx;
    if (vertical && b.m_nType == kBtnMenuText) it.cx = titleCx;
    it.cy = b.m_cy;
    it.vcenter = (b.m_nStyle & TBBS_VCENTER) != 0;
    items.push_back(it);
    if (indices) indices->push_back(i);
  }
  return items;
}

void SECCustomToolBar::RecalcSizes() {
  m_cxMax = m_cyMax = 0;
  for (auto& b : m_btns) b->CalcSize();
  const ButtonMetrics m = Metrics();
  const ToolbarMetricsIn in{m.buttonCx, m.buttonCy, m.separatorCx};
  const auto withBorders = [&](Size s, const Rect& margins) {
    if (s.cx == 0 || s.cy == 0) s = {m.buttonCx, m.buttonCy};
    return Size{s.cx + margins.left + margins.right, s.cy + margins.top + margins.bottom};
  };
  const auto plus = [](Rect a, const Rect& b) {
    return Rect{a.left + b.left, a.top + b.top, a.right + b.right, a.bottom + b.bottom};
  };
  const Rect inRow = ExtraMargins(false), inColumn = ExtraMargins(true);
  ControlBarState& st = State();
  const std::vector<LayoutItem> horz = Items(false, nullptr);
  st.szHorz = withBorders(WrapToFit(horz, 0x7FFF, false, in).size, plus({kGripper, kEdge, kEdge, kEdge}, inRow));
  st.szVert =
      withBorders(WrapToFit(Items(true, nullptr), 0, true, in).size, plus({kEdge, kGripper, kEdge, kEdge}, inColumn));
  // The room beside the buttons comes on top of the width the user gave
  // the floating bar, so that its buttons do not wrap when it appears.
  const int floatWidth = st.mruWidth > 0 && st.mruWidth < 0x7FFF ? st.mruWidth - 2 * kEdge : 0x7FFF;
  st.szFloat = withBorders(WrapToFit(horz, floatWidth, false, in).size, plus({kEdge, kEdge, kEdge, kEdge}, inRow));
}

Size SECCustomToolBar::FitToLength(int length, bool vertical) const {
  const ButtonMetrics m = Metrics();
  const ToolbarMetricsIn in{m.buttonCx, m.buttonCy, m.separatorCx};
  const Rect margins = vertical ? Rect{kEdge, kGripper, kEdge, kEdge} : Rect{kGripper, kEdge, kEdge, kEdge};
  const Rect extra = ExtraMargins(vertical);
  const int acrossMargins = margins.left + margins.right + extra.left + extra.right;
  const int downMargins = margins.top + margins.bottom + extra.top + extra.bottom;
  const int inside = std::max(1, length - (vertical ? downMargins : acrossMargins));
  const ToolbarFit fit = WrapToFit(Items(vertical, nullptr), inside, vertical, in);
  if (fit.rows.empty()) return vertical ? State().szVert : State().szHorz;
  return {fit.size.cx + acrossMargins, fit.size.cy + downMargins};
}

void SECCustomToolBar::LayoutButtons() {
  const bool vertical = IsVerticalDock();
  for (auto& b : m_btns) {
    b->SetVertical(vertical);
    b->CalcSize();
  }
  const ButtonMetrics m = Metrics();
  const ToolbarMetricsIn in{m.buttonCx, m.buttonCy, m.separatorCx};
  const Rect margins = InsideMargins();
  std::vector<int> indices;
  const std::vector<LayoutItem> items = Items(vertical, &indices);
  ToolbarFit fit;
  // Docked in a line shorter than the bar (the dock bar wrapped it, see
  // FitToLength) its buttons wrap at the length they have.
  const int natural = vertical ? State().szVert.cy : State().szHorz.cx;
  const int actual = vertical ? height() : width();
  const bool squeezed = IsDocked() && actual > 0 && actual < natural;
  const int squeezedTo = vertical ? actual - margins.top - margins.bottom : actual - margins.left - margins.right;
  if (IsFloating()) fit = WrapToFit(items, std::max(1, width() - margins.left - margins.right), false, in);
  else if (squeezed) fit = WrapToFit(items, std::max(1, squeezedTo), vertical, in);
  else fit = WrapToFit(items, vertical ? 0 : 0x7FFF, vertical, in);
  const std::vector<PlacedButton> placed = PlaceRows(items, fit.rows, {margins.left, margins.top}, vertical, m.separatorCx);
  for (std::size_t k = 0; k < indices.size(); ++k) {
    SECStdBtn& b = *m_btns[std::size_t(indices[k])];
    if (placed[k].wrapped) b.m_nStyle |= TBBS_WRAPPED;
    else b.m_nStyle &= ~TBBS_WRAPPED;
    if (vertical && placed[k].wrapped && (b.m_nStyle & TBBS_SEPARATOR)) {
      b.m_cx = fit.size.cx;
      b.m_cy = m.separatorCx * 2 / 3;
    }
    if (vertical && b.m_nType == kBtnMenuText) b.m_cx = items[k].cx;
    b.SetPos(placed[k].pos.x, placed[k].pos.y);
  }
  update();
}

void SECCustomToolBar::Changed() {
  RecalcSizes();
  if (SECDockBar* d = DockBar()) {
    if (d->IsFloatingBar()) {
      if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d->parentWidget())) mf->RecalcLayout();
    }
  }
  if (SECMDIFrameWnd* f = DockSite()) f->RecalcLayout();
  LayoutButtons();
}

QSize SECCustomToolBar::sizeHint() const {
  const Rect m = InsideMargins();
  const Size s = State().szHorz;  // measured with the gripper's margin
  return QSize(s.cx - kGripper + m.left, s.cy - 2 * kEdge + m.top + m.bottom);
}

void SECCustomToolBar::OnBarDock() { Changed(); }
void SECCustomToolBar::OnBarFloat() { Changed(); }

void SECCustomToolBar::resizeEvent(QResizeEvent* e) {
  SECControlBar::resizeEvent(e);
  LayoutButtons();
  if (!IsFloating() || !DockBar() || !DockBar()->IsFloatingBar()) return;
  // A floating toolbar resized by its frame's border snaps to the rows its
  // buttons make at the new width.
  const ButtonMetrics m = Metrics();
  const Rect inside = InsideMargins();
  const int across = inside.left + inside.right, down = inside.top + inside.bottom;
  const ToolbarFit fit =
      WrapToFit(Items(false, nullptr), std::max(1, width() - across), false, {m.buttonCx, m.buttonCy, m.separatorCx});
  const Size want = fit.rows.empty() ? Size{m.buttonCx + across, m.buttonCy + down}
                                     : Size{fit.size.cx + across, fit.size.cy + down};
  if (want.cx == width() && want.cy == height()) return;
  State().szFloat = want;
  State().mruWidth = want.cx;
  QPointer<QWidget> host = DockBar()->parentWidget();
  QTimer::singleShot(0, this, [host] {
    if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(host.data())) mf->RecalcLayout();
  });
}

// ---- host services ------------------------------------------------------------

void SECCustomToolBar::InvalidateButton(const Rect& r) { update(ToQRect(r)); }

void SECCustomToolBar::SendNotify(const ToolbarNotify& n) {
  ToolbarNotify copy = n;
  copy.barId = BarId();
  if (onNotify) onNotify(copy);
  else if (m_pManager && m_pManager->onNotify) m_pManager->onNotify(copy);
}

int SECCustomToolBar::IndexOf(const SECStdBtn& b) const {
  for (int i = 0; i < ButtonCount(); ++i)
    if (m_btns[std::size_t(i)].get() == &b) return i;
  return -1;
}

std::vector<SECStdBtn*> SECCustomToolBar::ButtonsWithId(unsigned id) {
  if (m_pManager) return m_pManager->ButtonsWithId(id);
  std::vector<SECStdBtn*> out;
  for (auto& b : m_btns)
    if (b->m_nID == id && !(b->m_nStyle & TBBS_SEPARATOR)) out.push_back(b.get());
  return out;
}

std::vector<SECStdBtn*> SECCustomToolBar::CheckGroupOf(const SECStdBtn& b) {
  const auto member = [&](int i) {
    return (m_btns[std::size_t(i)]->m_nStyle & (TBBS_CHECKGROUP | TBBS_SEPARATOR)) == TBBS_CHECKGROUP;
  };
  const int at = IndexOf(b);
  if (at < 0 || !member(at)) return {};
  int first = at;
  while (first > 0 && member(first - 1)) --first;
  std::vector<SECStdBtn*> out;
  for (int i = first; i < ButtonCount() && member(i); ++i) out.push_back(m_btns[std::size_t(i)].get());
  return out;
}

void SECCustomToolBar::RaiseLargestButton(int cx, int cy) {
  m_cxMax = std::max(m_cxMax, cx);
  m_cyMax = std::max(m_cyMax, cy);
}

Size SECCustomToolBar::MeasureMenuText(const std::string& text) const { return MeasureMenuButtonText(text); }

void SECCustomToolBar::DrawMenuText(PixelBuffer& into, int x, int y, const std::string& text, Color color) const {
  DrawMenuButtonText(into, x, y, text, color);
}

// ---- states -----------------------------------------------------------------

void SECCustomToolBar::UpdateCmdUI() {
  SECMDIFrameWnd* f = DockSite();
  if (!f) return;
  for (auto& bp : m_btns) {
    SECStdBtn& b = *bp;
    if ((b.m_nStyle & TBBS_SEPARATOR) || b.m_nType == kBtnMenuText || b.m_nID == 0) continue;
    const CommandState s = f->QueryCommandState(b.m_nID);
    std::uint32_t style = b.m_nStyle;
    const bool disabled = !s.enabled && !(style & TBBS_NOAUTODISABLE && !s.enableSet);
    style = disabled ? (style | TBBS_DISABLED) : (style & ~TBBS_DISABLED);
    if (s.handled && s.check != 0) {
      style = (style & ~(TBBS_CHECKED | TBBS_INDETERMINATE)) | TBBS_CHECKBOX |
              (s.check == 1 ? TBBS_CHECKED : TBBS_INDETERMINATE);
    } else if (s.checkSet) {
      // Unchecked by its handler: a button pressed before comes up again.
      style &= ~(TBBS_CHECKED | TBBS_INDETERMINATE);
    }
    if (style != b.m_nStyle) {
      b.SetStyle(style);
      b.Invalidate();
    }
  }
}

void SECCustomToolBar::showEvent(QShowEvent* e) {
  SECControlBar::showEvent(e);
  UpdateCmdUI();
  m_updateTimer->start();
}

void SECCustomToolBar::hideEvent(QHideEvent* e) {
  m_updateTimer->stop();
  SECControlBar::hideEvent(e);
}

void SECCustomToolBar::RunCommand(unsigned id) {
  if (SECMDIFrameWnd* f = DockSite()) f->RouteCommand(id);
  UpdateCmdUI();
}

void SECCustomToolBar::SetCustomizeMode(bool on) {
  m_bCustomize = on;
  ClearSelection();
  update();
}

void SECCustomToolBar::ClearSelection() {
  if (m_nSelected >= 0 && m_nSelected < ButtonCount()) {
    m_btns[std::size_t(m_nSelected)]->m_nStyle &= ~TBBS_CUSTOMIZESEL;
    m_btns[std::size_t(m_nSelected)]->Invalidate();
  }
  m_nSelected = -1;
}

void SECCustomToolBar::SelectButton(int index) {
  if (m_pManager) m_pManager->SetSelectionOwner(this);
  ClearSelection();
  if (index < 0 || index >= ButtonCount()) return;
  m_nSelected = index;
  m_btns[std::size_t(index)]->m_nStyle |= TBBS_CUSTOMIZESEL;
  m_btns[std::size_t(index)]->Invalidate();
}

// ---- painting ---------------------------------------------------------------

void SECCustomToolBar::paintEvent(QPaintEvent* e) {
  const bool xp = SECIsXPLook();
  const Color face = xp ? SECGetXPColor(0) : GetSysColor(SysColor::BtnFace);
  PixelBuffer pixels(width(), height(), face);
  if (IsDocked()) {
    // The gripper: two raised ridges along the bar's leading side.
    const Color hl = GetSysColor(SysColor::BtnHighlight), sh = GetSysColor(SysColor::BtnShadow);
    for (int k = 0; k < 2; ++k) {
      if (IsVerticalDock()) {
        const int y = 2 + 3 * k;
        FramePixels(pixels, 2, y, width() - 4, 3, hl, sh);
      } else {
        const int x = 2 + 3 * k;
        FramePixels(pixels, x, 2, 3, height() - 4, hl, sh);
      }
    }
  }
  const Rect visible = FromQRect(e->rect());
  for (auto& b : m_btns)
    if (!(b->m_nStyle & TBBS_HIDDEN)) b->Paint(pixels, visible, m_drawState);
  QPainter p(this);
  p.drawImage(0, 0, ToQImage(pixels, 0xFF000000u));
}

// ---- mouse ------------------------------------------------------------------

int SECCustomToolBar::HitTestIndex(QPoint p) const {
  for (int i = 0; i < ButtonCount(); ++i) {
    const SECStdBtn& b = *m_btns[std::size_t(i)];
    if (b.m_nStyle & (TBBS_HIDDEN | TBBS_SEPARATOR)) continue;
    if (b.BtnRect().Contains(ToPoint(p))) return i;
  }
  return -1;
}

void SECCustomToolBar::SetHot(int index) {
  if (index == m_nHot) return;

  if (m_nHot >= 0 && m_nHot < ButtonCount()) {
    m_btns[std::size_t(m_nHot)]->m_nStyle &= ~TBBS_HOT;
    m_btns[std::size_t(m_nHot)]->Invalidate();
  }
  m_nHot = -1;
  if (index >= 0 && index < ButtonCount() && !(m_btns[std::size_t(index)]->m_nStyle & TBBS_DISABLED)) {
    m_nHot = index;
    m_btns[std::size_t(index)]->m_nStyle |= TBBS_HOT;
    m_btns[std::size_t(index)]->Invalidate();
  }
}

void SECCustomToolBar::RefreshHotState() {
  if (!IsCoolLook() || m_nPressed >= 0 || m_drag.active) return;
  const QPoint local = mapFromGlobal(QCursor::pos());
  SetHot(rect().contains(local) ? HitTestIndex(local) : -1);
}

void SECCustomToolBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    SECControlBar::mousePressEvent(e);
    return;
  }
  const QPoint pt = e->position().toPoint();
  const int idx = HitTestIndex(pt);
  const bool alt = e->modifiers() & Qt::AltModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  // Alt (with Ctrl: a copy) moves a button; in customise mode any press
  // does. A plain Ctrl+click is a click: it runs the command.
  if (idx >= 0 && (alt || m_bCustomize) && m_pManager && m_btns[std::size_t(idx)]->CanDrag()) {
    // Customising: the button follows the mouse until it is dropped.
    SelectButton(idx);
    m_drag = Drag{true, idx, ctrl, pt - QPoint(m_btns[std::size_t(idx)]->m_x, m_btns[std::size_t(idx)]->m_y)};
    if (!m_overlay) m_overlay = std::make_unique<DragOverlay>();
    grabKeyboard();
    return;
  }
  if (idx < 0 || (m_btns[std::size_t(idx)]->m_nStyle & TBBS_DISABLED)) {
    // Drags the bar, unless it sits in a slot of the frame.
    if (DockBar()) SECControlBar::mousePressEvent(e);
    return;
  }
  UpdateCmdUI();
  SECStdBtn& b = *m_btns[std::size_t(idx)];
  if (b.OnLButtonDown(ToPoint(pt))) {
    m_nPressed = idx;
    b.Invalidate();
  }
}

void SECCustomToolBar::mouseDoubleClickEvent(QMouseEvent* e) {
  if (HitTestIndex(e->position().toPoint()) >= 0) {
    mousePressEvent(e);  // a quick second click is a click
    return;
  }
  if (DockBar()) SECControlBar::mouseDoubleClickEvent(e);
}

void SECCustomToolBar::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (m_drag.active) {
    const SECStdBtn& b = *m_btns[std::size_t(m_drag.index)];
    const QPoint topLeft = e->globalPosition().toPoint() - m_drag.grabOffset;
    m_overlay->ShowRect(QRect(topLeft, QSize(b.m_cx, b.m_cy)), DragOverlay::Look::Float);
    return;
  }
  if (m_nPressed >= 0) {
    m_btns[std::size_t(m_nPressed)]->OnMouseMove(ToPoint(pt));
    m_btns[std::size_t(m_nPressed)]->Invalidate();
    return;
  }
  const int hit = HitTestIndex(pt);
  if (IsCoolLook()) SetHot(hit);
  ShowPrompt(hit >= 0 ? m_btns[std::size_t(hit)]->m_nID : 0);
  SECControlBar::mouseMoveEvent(e);
}

void SECCustomToolBar::mouseReleaseEvent(QMouseEvent* e) {
  if (m_drag.active) {
    EndDrag(e->button() == Qt::LeftButton, e->globalPosition().toPoint());
    return;
  }
  if (m_nPressed >= 0 && e->button() == Qt::LeftButton) {
    const int idx = m_nPressed;
    m_nPressed = -1;
    const unsigned id = m_btns[std::size_t(idx)]->OnLButtonUp(ToPoint(e->position().toPoint()));
    update();
    if (id != 0) RunCommand(id);
    return;
  }
  SECControlBar::mouseReleaseEvent(e);
}

// The status line tells what the button under the mouse does.
void SECCustomToolBar::ShowPrompt(unsigned id) {
  if (id == m_promptId) return;
  m_promptId = id;
  SECMDIFrameWnd::ShowCommandPromptFrom(this, id);
}

void SECCustomToolBar::leaveEvent(QEvent* e) {
  ShowPrompt(0);
  if (m_nPressed < 0) SetHot(-1);
  SECControlBar::leaveEvent(e);
}

void SECCustomToolBar::keyPressEvent(QKeyEvent* e) {
  if (m_drag.active && e->key() == Qt::Key_Escape) {
    EndDrag(false, {});
    return;
  }
  SECControlBar::keyPressEvent(e);
}

bool SECCustomToolBar::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* he = static_cast<QHelpEvent*>(e);
    const int idx = HitTestIndex(he->pos());
    if (idx >= 0 && (State().style & CBRS_TOOLTIPS) && m_btns[std::size_t(idx)]->m_nType != kBtnMenuText) {
      const std::string tip = m_pManager ? m_pManager->TipText(m_btns[std::size_t(idx)]->m_nID) : std::string();
      if (!tip.empty()) {
        QToolTip::showText(he->globalPos(), ToQString(tip), this, ToQRect(m_btns[std::size_t(idx)]->BtnRect()));
        return true;
      }
    }
  }
  return SECControlBar::event(e);
}

// ---- customising ----------------------------------------------------------------

SECCustomToolBar* ToolBarAtScreenPoint(QPoint global) {
  QWidget* w = QApplication::widgetAt(global);
  for (; w; w = w->parentWidget()) {
    if (auto* tb = dynamic_cast<SECCustomToolBar*>(w)) return tb;
    if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(w)) {
      for (SECControlBar* b : mf->FloatDockBar()->Bars())
        if (auto* tb = dynamic_cast<SECCustomToolBar*>(b)) return tb;
    }
  }
  return nullptr;
}

void SECCustomToolBar::EndDrag(bool drop, QPoint global) {
  const Drag d = m_drag;
  m_drag = Drag{};
  releaseKeyboard();
  if (m_overlay) m_overlay->hide();
  if (drop) DropDraggedButton(d.index, global - d.grabOffset, d.copy);
  if (m_pManager && !m_pManager->IsCustomizing()) ClearSelection();
}

int SECCustomToolBar::DropIndex(const QRect& drop) const {
  const QRect local(mapFromGlobal(drop.topLeft()), drop.size());
  // Where in the target: the row whose band holds the drop's centre, then
  // the first button whose right edge lies beyond the drop's left edge.
  int at = ButtonCount();
  int rowTop = -1, rowBottom = -1;
  for (const auto& b : m_btns) {
    if (b->m_nStyle & TBBS_HIDDEN) continue;
    if (local.center().y() >= b->m_y && local.center().y() < b->m_y + b->m_cy) {
      rowTop = b->m_y;
      rowBottom = b->m_y + b->m_cy;
      break;
    }
  }
  if (rowTop >= 0) {
    int lastInRow = -1;
    for (int i = 0; i < ButtonCount(); ++i) {
      const SECStdBtn& b = *m_btns[std::size_t(i)];
      if ((b.m_nStyle & TBBS_HIDDEN) || b.m_y >= rowBottom || b.m_y + b.m_cy <= rowTop) continue;
      lastInRow = i;
      if (b.m_x + b.m_cx > local.left()) {
        at = i;
        break;
      }
      at = lastInRow + 1;
    }
  } else if (local.center().y() < height() / 2) {
    at = 0;
  }
  return at;
}

void SECCustomToolBar::DropDraggedButton(int index, QPoint topLeft, bool copy) {
  if (index < 0 || index >= ButtonCount()) return;
  SECStdBtn& src = *m_btns[std::size_t(index)];
  const QRect drop(topLeft, QSize(src.m_cx, src.m_cy));
  SECCustomToolBar* target = ToolBarAtScreenPoint(drop.center());
  if (!target && m_pManager) target = m_pManager->FindToolBarAt(drop);
  const bool locked = (m_dwLockFlags & 1) != 0;
  if (target && target != this && (locked || !target->AcceptsDrop())) {
    if (locked || !copy) return;
    target = nullptr;
  }
  const unsigned id = src.m_nID;
  SavedButton saved = SavedButtons()[std::size_t(index)];
  const auto placeCopy = [&](SECCustomToolBar* bar, int at) {
    auto b = bar->CreateButton(id);
    b->SetPersistData(reinterpret_cast<const std::uint8_t*>(saved.data.data()), saved.data.size());
    bar->InsertButtonObject(at, std::move(b), false);
  };
  if (!target) {
    if (locked) return;
    // Dropped back on the customise dialog: nothing happens.
    if (m_pManager)
      if (QWidget* dialog = m_pManager->CustomizeDialog(); dialog && dialog->isVisible() &&
                                                           dialog->frameGeometry().intersects(drop))
        return;
    if (copy) {
      // A copy dropped on no toolbar starts a new one where it fell.
      if (!m_pManager) return;
      SECCustomToolBar* bar = m_pManager->CreateUserToolBar();
      if (!bar) return;
      placeCopy(bar, 0);
      if (SECMDIFrameWnd* f = DockSite()) f->FloatControlBar(bar, topLeft, CBRS_ALIGN_TOP);
    } else {
      RemoveButton(index);
    }
    return;
  }
  const QRect local(target->mapFromGlobal(drop.topLeft()), drop.size());
  // Dropped above the buttons: the button goes first, a separator after
  // it; below them: a separator goes last, the button after it.
  const Rect inside = target->InsideMargins();
  const bool above = local.center().y() < inside.top;
  const bool below = local.center().y() >= target->height() - inside.bottom;
  if (above || below) {
    std::unique_ptr<SECStdBtn> b;
    if (target == this && !copy) {
      b = std::move(m_btns[std::size_t(index)]);
      m_btns.erase(m_btns.begin() + index);
      m_nSelected = -1;
    } else {
      b = target->CreateButton(id);
      b->SetPersistData(reinterpret_cast<const std::uint8_t*>(saved.data.data()), saved.data.size());
    }
    if (above) {
      target->InsertButton(0, 0, true);
      target->InsertButtonObject(0, std::move(b), false);
    } else {
      target->InsertButton(target->ButtonCount(), 0, true);
      target->InsertButtonObject(target->ButtonCount(), std::move(b), false);
    }
    if (target == this && !copy) {
      TidySeparators();
      Changed();
    } else if (!copy) {
      RemoveButton(index);
    }
    return;
  }
  int at = target->DropIndex(drop);
  // A separator (not a row's break) under the dropped button gives way to it.
  const auto replacesSeparator = [&](int i) {
    if (i < 0 || i >= target->ButtonCount() || (target == this && i == index)) return false;
    const SECStdBtn& sep = *target->m_btns[std::size_t(i)];
    return (sep.m_nStyle & TBBS_SEPARATOR) && !(sep.m_nStyle & TBBS_WRAPPED) &&
           QRect(sep.m_x, sep.m_y, sep.m_cx, sep.m_cy).intersects(local);
  };
  // A short drag of a button within its own place: its slot, the slot
  // after it, or a drop whose centre still lies on the button itself (a
  // move left always names the neighbour's slot).
  const bool nudge = target == this && !copy &&
                     (at == index || at == index + 1 ||
                      QRect(src.m_x, src.m_y, src.m_cx, src.m_cy).contains(local.center()));
  if (!nudge && target == this && !copy && at != index && at != index + 1 && replacesSeparator(at)) {
    RemoveButton(at, true);
    if (at < index) --index;
  } else if ((target != this || copy) && replacesSeparator(at)) {
    target->RemoveButton(at, true);
  }
  if (target == this && !copy) {
    if (nudge) {
      // A nudge edits the separators beside the button, alike in both
      // directions: it opens a gap behind the button, or, when that gap
      // is already there, closes the one ahead of it.
      const int dx = local.left() - src.m_x;
      const auto isSep = [&](int i) {
        return i >= 0 && i < ButtonCount() && (m_btns[std::size_t(i)]->m_nStyle & TBBS_SEPARATOR);
      };
      if (dx >= 2) {
        if (isSep(index - 1)) {
          if (isSep(index + 1)) RemoveButton(index + 1);
        } else {
          InsertButton(index, 0);
        }
      } else if (dx <= -2) {
        if (isSep(index + 1)) {
          if (isSep(index - 1)) RemoveButton(index - 1);
        } else {
          InsertButton(index + 1, 0);
        }
      }
      return;
    }
    std::unique_ptr<SECStdBtn> moving = std::move(m_btns[std::size_t(index)]);
    m_btns.erase(m_btns.begin() + index);
    if (at > index) --at;
    m_nSelected = -1;
    InsertButtonObject(at, std::move(moving), true);
    TidySeparators();
    Changed();
    SelectButton(IndexOf(*m_btns[std::size_t(std::min(at, ButtonCount() - 1))]));
    return;
  }
  placeCopy(target, at);
  if (!copy) RemoveButton(index);
}

// ---- persistence ------------------------------------------------------------

std::vector<SavedButton> SECCustomToolBar::SavedButtons() const {
  std::vector<SavedButton> out;
  for (const auto& b : m_btns) {
    SavedButton s;
    s.id = (b->m_nStyle & TBBS_SEPARATOR) ? 0 : b->m_nID;
    s.data = b->GetPersistData();
    out.push_back(std::move(s));
  }
  return out;
}

void SECCustomToolBar::RestoreButtons(const std::vector<SavedButton>& saved) {
  RemoveAllButtons();
  for (const SavedButton& s : saved) {
    auto b = s.id ? CreateButton(s.id) : CreateSeparator();
    b->SetPersistData(reinterpret_cast<const std::uint8_t*>(s.data.data()), s.data.size());
    m_btns.push_back(std::move(b));
  }
  Changed();
}

void SECCustomToolBar::OnGetBarInfoEx(ControlBarInfo* info) const {
  info->typeId = BarId() == kMenuBarId ? kMenuBarTypeId : kToolBarTypeId;
  if (auto* ext = dynamic_cast<SECCustomToolBarInfoEx*>(info->ext.get())) {
    ext->filled = true;
    ext->title = Title();
    ext->buttons = SavedButtons();
  }
}

void SECCustomToolBar::OnSetBarInfoEx(const ControlBarInfo& info, SECMDIFrameWnd*) {
  auto* ext = dynamic_cast<SECCustomToolBarInfoEx*>(info.ext.get());
  if (!ext || !ext->filled) return;
  if (!ext->title.empty()) {
    State().title = ext->title;
    setWindowTitle(ToQString(ext->title));
  }
  RestoreButtons(ext->buttons);
}

}  // namespace pm2
