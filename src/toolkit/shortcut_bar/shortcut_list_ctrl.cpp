#include "toolkit/shortcut_bar/shortcut_list_ctrl.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QUuid>
#include <QWheelEvent>
#include <cstring>

#include "toolkit/core/resources.h"
#include "toolkit/shortcut_bar/shortcut_bar_paint.h"

namespace pm2 {
namespace {

const QString kMimeFormat = QString::fromLatin1(kShortcutDragFormat);

// The bar's window half: the hover timer goes to the bar's state machine.
class ShortcutViewImpl : public ListViewImpl {
 public:
  ShortcutViewImpl(QWidget* w, SECShortcutListBase* bar) : ListViewImpl(w, bar), m_bar(bar) {}
  void EngineTimer(int id) override {
    if (id != kShortcutHoverTimer) {
      ListViewImpl::EngineTimer(id);
      return;
    }
    const QPoint global = QCursor::pos();
    const QPoint local = m_widget->mapFromGlobal(global);
    m_bar->BarTimer({local.x(), local.y()}, m_widget->rect().contains(local));
  }

 private:
  SECShortcutListBase* m_bar;
};

std::string MimeBlock(const QMimeData* data) {
  const QByteArray bytes = data->data(kMimeFormat);
  return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace

SECShortcutListCtrl::SECShortcutListCtrl(QWidget* parent, unsigned style, unsigned exStyle) : ListWindow(parent) {
  setObjectName("SECShortcutListCtrl");
  m_view = std::make_unique<ShortcutViewImpl>(this, this);
  Create(style, exStyle);
  // Every bar of the process takes drops in the bar format.
  ProcessId();
  setAcceptDrops(true);
  RecalcLayout();
}

SECShortcutListCtrl::~SECShortcutListCtrl() {
  DeleteAllItems();
  m_view.reset();
}

const ShortcutProcessId& SECShortcutListCtrl::ProcessId() {
  static const ShortcutProcessId id = [] {
    ShortcutProcessId out{};
    const QByteArray raw = QUuid::createUuid().toRfc4122();
    std::memcpy(out.data(), raw.constData(), std::min<std::size_t>(out.size(), std::size_t(raw.size())));
    return out;
  }();
  return id;
}

// --- painting ---------------------------------------------------------------------

void SECShortcutListCtrl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ToQColor(GetBkColor()));
  const bool large = IsLargeIcons();
  const ImageStrip& strip = m_view->Images(large ? ImageListKind::Normal : ImageListKind::Small);
  const QFont font = m_view->Measurer().FontFor({});
  const int format = GetColumnFormat(0);
  const bool singleLine = GetListStyle() & LVS_NOLABELWRAP;
  const int bottom = height();
  for (const ShortcutItemGeometry& g : VisibleItems()) {
    SECListItem* rec = GetItemRecord(g.index);
    if (!rec) continue;
    const QPixmap* image = nullptr;
    if (!strip.images.empty()) {
      const int idx = rec->image >= 0 && rec->image < int(strip.images.size()) ? rec->image : 0;
      image = &strip.images[idx];
    }
    DrawShortcutIcon(p, g.icon, GetItemHotState(g.index), GetBkColor(), image);
    DrawShortcutLabel(p, g.label, bottom, large, format, singleLine, font, GetTextColor(),
                      ToQString(GetItemText(g.index, 0)));
  }
  if (UpButtonShown()) DrawShortcutScrollButton(p, window(), UpButton());
  if (DownButtonShown()) DrawShortcutScrollButton(p, window(), DownButton());
  DrawShortcutInsertMarker(p, m_marker, m_markerCode);
}

// --- mouse ------------------------------------------------------------------------------

void SECShortcutListCtrl::mousePressEvent(QMouseEvent* e) {
  // Only the left button acts; the middle one never reaches the list.
  if (e->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  const QPoint pt = e->position().toPoint();
  BarLButtonDown(pt.x(), pt.y());
}

void SECShortcutListCtrl::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void SECShortcutListCtrl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pt = e->position().toPoint();
  BarLButtonUp(pt.x(), pt.y());
}

void SECShortcutListCtrl::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  const int drag = BarMouseMove(pt.x(), pt.y(), e->buttons() & Qt::LeftButton);
  if (drag >= 0) StartDrag(drag);
}

void SECShortcutListCtrl::wheelEvent(QWheelEvent* e) {
  BarWheel(e->angleDelta().y(), rect().contains(e->position().toPoint()));
  e->accept();
}

void SECShortcutListCtrl::focusOutEvent(QFocusEvent* e) {
  ListWindow::focusOutEvent(e);
  BarKillFocus();
}

void SECShortcutListCtrl::resizeEvent(QResizeEvent* e) {
  ListWindow::resizeEvent(e);
  RecalcLayout();
  update();
}

void SECShortcutListCtrl::changeEvent(QEvent* e) {
  ListWindow::changeEvent(e);
  if (IsSysColorChange(e)) ApplyBarColors();
}

// --- context menu -----------------------------------------------------------------

QMenu* SECShortcutListCtrl::CreateContextMenu() {
  auto* menu = new QMenu(this);
  const std::vector<MenuEntry>* entries = ToolkitResources().Menu(kShortcutMenuId);
  if (!entries || entries->empty() || (*entries)[0].kind != MenuEntry::Kind::Popup) return menu;
  for (const MenuEntry& item : (*entries)[0].children) {
    if (item.kind == MenuEntry::Kind::Separator) {
      menu->addSeparator();
      continue;
    }
    if (item.kind != MenuEntry::Kind::Item) continue;
    QAction* a = menu->addAction(ToQString(item.text));
    a->setData(item.id);
    CommandState state;
    state.id = item.id;
    UpdateBarCommand(state);
    a->setCheckable(state.handled);
    a->setChecked(state.check == 1);
    const CommandId id = item.id;
    connect(a, &QAction::triggered, this, [this, id] {
      OnBarCommand(id);
      update();
    });
  }
  return menu;
}

void SECShortcutListCtrl::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = CreateContextMenu();
  OnExtendContextMenu(menu);
  menu->exec(e->globalPos());
  menu->deleteLater();
}

// --- drag and drop ------------------------------------------------------------------

std::unique_ptr<QMimeData> SECShortcutListCtrl::PrepareDragData(int item) {
  SECListItem* rec = GetItemRecord(item);
  if (!rec) return nullptr;
  SetItemHotState(item, 0);
  update();
  ShortcutDragItem drag;
  drag.source = ProcessId();
  drag.text = GetItemText(item, 0);
  drag.image = rec->image;
  drag.param = rec->param;
  const std::string block = EncodeShortcutDrag(drag);
  auto data = std::make_unique<QMimeData>();
  data->setData(kMimeFormat, QByteArray(block.data(), qsizetype(block.size())));
  return data;
}

Qt::DropAction SECShortcutListCtrl::DoDragDrop(QMimeData* data) {
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  return drag->exec(Qt::MoveAction);
}

void SECShortcutListCtrl::StartDrag(int item) {
  // The source row is found again by its record afterwards: a drop into
  // this same bar may have shifted its index.
  const SECListItem* source = GetItemRecord(item);
  std::unique_ptr<QMimeData> data = PrepareDragData(item);
  ForgetPress();
  if (!data) return;
  const Qt::DropAction done = DoDragDrop(data.release());
  if (done & Qt::MoveAction) {
    RemoveItemRecord(source);
    RecalcLayout();
    update();
  }
}

void SECShortcutListCtrl::EraseMarker() {
  if (m_marker.IsEmpty()) return;
  update(ToQRect(m_marker).adjusted(-1, -1, 1, 1));
  m_marker = {};
}

void SECShortcutListCtrl::dragEnterEvent(QDragEnterEvent* e) {
  m_dragSource = {};
  if (!e->mimeData()->hasFormat(kMimeFormat) || !PeekShortcutDragSource(MimeBlock(e->mimeData()), &m_dragSource) ||
      !SameProcess()) {
    e->ignore();
    return;
  }
  e->setDropAction(Qt::MoveAction);
  e->accept();
}

void SECShortcutListCtrl::dragMoveEvent(QDragMoveEvent* e) {
  EraseMarker();
  const QPoint pt = e->position().toPoint();
  unsigned flags = 0;
  BarHitTest(pt.x(), pt.y(), &flags);
  if (!SameProcess() || flags != LVHT_NOWHERE || !e->mimeData()->hasFormat(kMimeFormat)) {
    e->ignore(QRect(pt, QSize(1, 1)));
    return;
  }
  const ShortcutDropSpot spot = DropSpotAt(pt.y());
  m_marker = spot.marker;
  m_markerCode = spot.code;
  update(ToQRect(m_marker).adjusted(-1, -1, 1, 1));
  e->setDropAction(Qt::MoveAction);
  e->accept(QRect(pt, QSize(1, 1)));
}

void SECShortcutListCtrl::dragLeaveEvent(QDragLeaveEvent*) { EraseMarker(); }

void SECShortcutListCtrl::dropEvent(QDropEvent* e) {
  EraseMarker();
  const QPoint pt = e->position().toPoint();
  unsigned flags = 0;
  BarHitTest(pt.x(), pt.y(), &flags);
  ShortcutDragItem item;
  if (flags != LVHT_NOWHERE || !SameProcess() || !e->mimeData()->hasFormat(kMimeFormat) ||
      !DecodeShortcutDrag(MimeBlock(e->mimeData()), &item, nullptr) || item.source != ProcessId()) {
    e->ignore();
    return;
  }
  const ShortcutDropSpot spot = DropSpotAt(pt.y());
  InsertDroppedItem(spot.insertBefore, item.text, item.image, item.param);
  m_dragSource = {};
  update();
  NotifyParent(kShortcutNotifyDrop, -1);
  e->setDropAction(Qt::MoveAction);
  e->accept();
}

}  // namespace pm2
