#include "toolkit/controls/list_view_impl.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleFactory>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>

#include "toolkit/core/theme.h"
#include "toolkit/models/header_layout.h"
#include "toolkit/controls/virtual_key.h"

namespace pm2 {
namespace {

struct KeyRow {
  int qt;
  unsigned vk;
};

// Qt keys the engine knows by their virtual-key codes.
constexpr KeyRow kKeys[] = {
    {Qt::Key_Backspace, vk::Back}, {Qt::Key_Tab, vk::Tab},        {Qt::Key_Backtab, vk::Tab},
    {Qt::Key_Return, vk::Return},  {Qt::Key_Enter, vk::Return},   {Qt::Key_Escape, vk::Escape},
    {Qt::Key_Space, vk::Space},    {Qt::Key_PageUp, vk::Prior},   {Qt::Key_PageDown, vk::Next},
    {Qt::Key_End, vk::End},        {Qt::Key_Home, vk::Home},      {Qt::Key_Left, vk::Left},
    {Qt::Key_Up, vk::Up},          {Qt::Key_Right, vk::Right},    {Qt::Key_Down, vk::Down},
    {Qt::Key_F2, vk::F2},          {Qt::Key_Insert, vk::Insert},  {Qt::Key_Delete, vk::Delete},
};

unsigned KeypadOrOem(QKeyEvent* e) {
  const bool keypad = e->modifiers() & Qt::KeypadModifier;
  switch (e->key()) {
    // The plus and minus keys carry '=' and '_' too.
    case Qt::Key_Minus: return keypad ? vk::Subtract : vk::OemMinus;
    case Qt::Key_Underscore: return vk::OemMinus;
    case Qt::Key_Plus: return keypad ? vk::Add : vk::OemPlus;
    case Qt::Key_Equal: return vk::OemPlus;
    case Qt::Key_Asterisk: return keypad ? vk::Multiply : 0;
    default: return 0;
  }
}

int Flags(int format) {
  switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return Qt::AlignRight;
    case LVCFMT_CENTER: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
  }
}

}  // namespace

QStyle* ClassicStyle() {
  // The classic look of scroll bars, created once for all controls.
  static QStyle* style = QStyleFactory::create("Windows");
  return style;
}

ListViewImpl::ListViewImpl(QWidget* widget, SECListBaseC* engine)
    : m_widget(widget), m_engine(engine), m_measurer(widget->font()) {
  m_widget->setFont(DefaultGuiFont());
  m_measurer.SetFont(m_widget->font());
  m_widget->setFocusPolicy(Qt::StrongFocus);
  m_widget->setMouseTracking(true);
  m_widget->setAttribute(Qt::WA_OpaquePaintEvent);
  m_vbar = new QScrollBar(Qt::Vertical, m_widget);
  m_hbar = new QScrollBar(Qt::Horizontal, m_widget);
  m_vbar->hide();
  m_hbar->hide();
  m_vbar->setFocusPolicy(Qt::NoFocus);
  m_hbar->setFocusPolicy(Qt::NoFocus);
  if (QStyle* classic = ClassicStyle()) {
    QPalette pal = m_vbar->palette();
    pal.setColor(QPalette::Button, SysQColor(SysColor::BtnFace));
    pal.setColor(QPalette::Window, SysQColor(SysColor::ScrollBar));
    pal.setColor(QPalette::Light, SysQColor(SysColor::BtnHighlight));
    pal.setColor(QPalette::Midlight, SysQColor(SysColor::Light3D));
    pal.setColor(QPalette::Dark, SysQColor(SysColor::BtnShadow));
    pal.setColor(QPalette::Shadow, SysQColor(SysColor::DkShadow3D));
    pal.setColor(QPalette::ButtonText, SysQColor(SysColor::BtnText));
    for (QScrollBar* bar : {m_vbar, m_hbar}) {
      bar->setStyle(classic);
      bar->setPalette(pal);
    }
  }
  QObject::connect(m_vbar, &QScrollBar::valueChanged, m_widget, [this](int v) {
    if (!m_syncingBars) m_engine->OnVScroll(ScrollCode::ThumbTrack, v);
  });
  QObject::connect(m_hbar, &QScrollBar::valueChanged, m_widget, [this](int v) {
    if (!m_syncingBars) m_engine->OnHScroll(ScrollCode::ThumbTrack, v);
  });
  m_tip = new SECListTip(m_engine, m_widget);
  m_engine->SetMeasurer(&m_measurer);
  m_engine->SetHost(this);
}

ListViewImpl::~ListViewImpl() {
  m_engine->SetHost(nullptr);
  m_engine->SetMeasurer(nullptr);
}

void ListViewImpl::SetImages(ImageListKind kind, ImageStrip strip) {
  SetImageList(std::make_shared<ImageStrip>(std::move(strip)), kind, true);
}

const ImageStrip& ListViewImpl::Images(ImageListKind kind) const {
  static const ImageStrip kNone;
  const int k = int(kind);
  return k >= 0 && k < 4 && m_images[k] ? *m_images[k] : kNone;
}

std::shared_ptr<ImageStrip> ListViewImpl::SetImageList(std::shared_ptr<ImageStrip> list, ImageListKind kind,
                                                       bool shared) {
  const int k = int(kind);
  if (k < 0 || k >= 4) return nullptr;
  std::shared_ptr<ImageStrip> previous = std::move(m_images[k]);
  m_images[k] = (shared || !list) ? std::move(list) : CopyImageList(*list);
  m_engine->SetImageList(kind, Images(kind).Info());
  m_widget->update();
  return previous;
}

std::shared_ptr<ImageStrip> ListViewImpl::GetImageStrip(ImageListKind kind) const {
  const int k = int(kind);
  return k >= 0 && k < 4 ? m_images[k] : nullptr;
}

std::shared_ptr<ImageStrip> ListViewImpl::CopyImageList(const ImageStrip& source) {
  auto copy = std::make_shared<ImageStrip>();
  for (const QPixmap& image : source.images) copy->images.push_back(image.copy());
  return copy;
}

void ListViewImpl::SyncImageSizes() {
  for (int k = 0; k < 4; ++k) {
    const ImageListInfo now = Images(ImageListKind(k)).Info();
    const ImageListInfo had = m_engine->GetImageList(ImageListKind(k));
    if (now.count != had.count || now.cx != had.cx || now.cy != had.cy) m_engine->SetImageList(ImageListKind(k), now);
  }
}

// --- ListHost ---------------------------------------------------------------------

Rect ListViewImpl::ClientRect() {
  if (m_hasDrawRect) return m_drawRect;
  return {0, 0, m_widget->width(), m_widget->height()};
}
bool ListViewImpl::HasFocus() { return m_widget->hasFocus() || (m_editor && m_editor->hasFocus()); }
bool ListViewImpl::IsEnabled() { return m_widget->isEnabled(); }
void ListViewImpl::TakeFocus() { m_widget->setFocus(Qt::MouseFocusReason); }

void ListViewImpl::Invalidate(const Rect* r, bool now) {
  if (r) {
    if (now) m_widget->repaint(ToQRect(*r));
    else m_widget->update(ToQRect(*r));
  } else if (now) {
    m_widget->repaint();
  } else {
    m_widget->update();
  }
}

void ListViewImpl::StartTimer(int id, int ms) { m_timers[id].start(ms, m_widget); }
void ListViewImpl::KillTimer(int id) {
  auto it = m_timers.find(id);
  if (it != m_timers.end()) it->second.stop();
}

void ListViewImpl::Timer(int qtTimerId) {
  for (auto& [id, t] : m_timers) {
    if (t.timerId() == qtTimerId) {
      EngineTimer(id);
      return;
    }
  }
}

void ListViewImpl::Beep() { QApplication::beep(); }

void ListViewImpl::ScrollBarsChanged() {
  const ScrollBarState& v = m_engine->VertBar();
  const ScrollBarState& h = m_engine->HorzBar();
  m_syncingBars = true;
  m_vbar->setRange(0, std::max(0, v.max - v.page + 1));
  m_vbar->setPageStep(std::max(1, v.page));
  m_vbar->setValue(v.pos);
  m_vbar->setVisible(v.shown);
  m_hbar->setRange(0, std::max(0, h.max - h.page));
  m_hbar->setPageStep(std::max(1, h.page));
  m_hbar->setSingleStep(15);
  m_hbar->setValue(h.pos);
  m_hbar->setVisible(h.shown);
  m_syncingBars = false;
  LayoutScrollBars();
}

void ListViewImpl::LayoutScrollBars() {
  const int w = m_widget->width();
  const int h = m_widget->height();
  const int cx = GetSystemMetric(SysMetric::CxVScroll);
  const int cy = GetSystemMetric(SysMetric::CyHScroll);
  const bool vs = m_engine->VertBar().shown;
  const bool hs = m_engine->HorzBar().shown;
  m_vbar->setGeometry(w - cx, 0, cx, h - (hs ? cy : 0));
  m_hbar->setGeometry(0, h - cy, w - (vs ? cx : 0), cy);
}

void ListViewImpl::MoveToNextControl(bool previous) {
  QWidget* next = previous ? m_widget->previousInFocusChain() : m_widget->nextInFocusChain();
  while (next && next != m_widget && !(next->focusPolicy() & Qt::TabFocus)) {
    next = previous ? next->previousInFocusChain() : next->nextInFocusChain();
  }
  if (next && next != m_widget) next->setFocus(previous ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

void ListViewImpl::CancelDialog() {
  for (QWidget* w = m_widget->parentWidget(); w; w = w->parentWidget()) {
    if (auto* dlg = qobject_cast<QDialog*>(w)) {
      dlg->reject();
      return;
    }
  }
}

void ListViewImpl::CreateEditor(const Rect& r, const std::string& text, bool wrap, FontChoice font) {
  m_editorReady = false;
  m_editor = new SECListEdit(m_engine, m_widget);
  m_editor->setFont(m_measurer.FontFor(font));
  m_editor->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  // At least one line of the font plus the frame, centred on the label.
  QRect g = ToQRect(r);
  const int need = QFontMetrics(m_editor->font()).height() + 6;
  if (g.height() < need) g.adjust(0, -(need - g.height()) / 2, 0, need - g.height() - (need - g.height()) / 2);
  m_editor->setGeometry(g);
  m_editor->setPlainText(ToQString(text));
  m_editor->selectAll();
  QObject::connect(m_editor, &QPlainTextEdit::textChanged, m_widget, [this] {
    if (m_editorReady && m_editor) m_engine->OnEditorUpdate(FromQString(m_editor->toPlainText()));
  });
  m_editor->hide();
}

void ListViewImpl::ShowEditor() {
  if (!m_editor) return;
  m_editor->show();
  m_editor->setFocus(Qt::OtherFocusReason);
  m_editorReady = true;
}

void ListViewImpl::ResizeEditor(int width, int height) {
  if (m_editor) m_editor->resize(width, std::max(height, QFontMetrics(m_editor->font()).height() + 6));
}

void ListViewImpl::DestroyEditor() {
  if (!m_editor) return;
  SECListEdit* e = m_editor;
  m_editor = nullptr;
  m_editorReady = false;
  const bool hadFocus = e->hasFocus();
  e->hide();
  e->deleteLater();
  if (hadFocus) m_widget->setFocus(Qt::OtherFocusReason);
}

std::string ListViewImpl::EditorText() { return m_editor ? FromQString(m_editor->toPlainText()) : std::string(); }

void ListViewImpl::TipShow(unsigned hitFlags, int item, int column, Point pt) { m_tip->Show(hitFlags, item, column, pt); }
void ListViewImpl::TipHide() { m_tip->Hide(); }
void ListViewImpl::TipRefresh() { m_tip->Refresh(); }

Point ListViewImpl::CursorPos() {
  QPoint p = m_widget->mapFromGlobal(QCursor::pos());
  return {p.x(), p.y()};
}

Rect ListViewImpl::ClientToScreen(Rect r) {
  const QPoint p = m_widget->mapToGlobal(QPoint(r.left, r.top));
  r.Offset(p.x() - r.left, p.y() - r.top);
  return r;
}

bool ListViewImpl::CaptureMouse(bool take) {
  const bool had = QWidget::mouseGrabber() == m_widget;
  if (take) m_widget->grabMouse();
  else if (had) m_widget->releaseMouse();
  return had;
}

// --- painting -----------------------------------------------------------------------

void ListViewImpl::Paint(QPainter& p, const QRect& clip) {
  SyncImageSizes();
  p.fillRect(ToQRect(ClientRect()), ToQColor(m_engine->GetBkColor()));
  if (m_engine->IsReport() && m_engine->IsHeaderVisible()) PaintHeader(p);
  const Rect inside = m_engine->GetInsideRect();
  p.save();
  p.setClipRect(ToQRect(inside).intersected(clip));
  PaintRows(p, clip);
  p.restore();
  if (m_printing) return;
  if (m_engine->HeaderDragActive() && !m_headerDragImage.isNull()) {
    // The dragged button follows the pointer along the header.
    p.save();
    p.setOpacity(0.6);
    p.drawPixmap(m_pointerX - m_headerGrabX, 0, m_headerDragImage);
    p.restore();
  }
  if (m_engine->ResizeActive()) {
    // The tracking line of a column resize.
    p.fillRect(QRect(m_engine->ResizeTrackX(), 0, 1, m_widget->height()), SysQColor(SysColor::WindowText));
  }
  if (m_engine->VertBar().shown && m_engine->HorzBar().shown) {
    const int cx = GetSystemMetric(SysMetric::CxVScroll);
    const int cy = GetSystemMetric(SysMetric::CyHScroll);
    p.fillRect(QRect(m_widget->width() - cx, m_widget->height() - cy, cx, cy), ToQColor(SECListBaseC::HeaderFaceColor()));
  }
}

void ListViewImpl::PaintForPrint(QPainter& p) {
  m_printing = true;
  Paint(p, ToQRect(ClientRect()));
  m_printing = false;
}

QPixmap ListViewImpl::CreateHeaderDragImage(int column) {
  if (column < 0 || column >= m_engine->GetColumnCount()) return {};
  const int w = m_engine->GetColumnWidth(column);
  QPixmap pm(std::max(1, w), m_engine->GetHeaderHeight());
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setFont(m_widget->font());
  PaintHeaderButton(p, column, QRect(0, 0, w, m_engine->GetHeaderHeight()), false);
  return pm;
}

bool ListViewImpl::DrawThemedHeaderPart(QPainter& p, int part, int state, const QRect& b) {
  return m_headerTheme && SECThemeDrawThemeBackground(m_headerTheme, &p, part, state, FromQRect(b), nullptr) >= 0;
}

void ListViewImpl::PaintHeaderButton(QPainter& p, int c, const QRect& b, bool pressed) {
  constexpr int kHeaderItem = 1, kNormal = 1, kHot = 2, kPressed = 3;
  const bool hot = c == m_engine->GetHotColumn() && !pressed;
  const bool themed = DrawThemedHeaderPart(p, kHeaderItem, pressed ? kPressed : hot ? kHot : kNormal, b);
  if (themed) {
  } else if (pressed) {
    p.setPen(SysQColor(SysColor::BtnShadow));
    p.drawRect(b.adjusted(0, 0, -1, -1));
  } else {
    p.fillRect(b, ToQColor(SECListBaseC::HeaderFaceColor()));
    DrawClassicFrame(p, b, false);
  }
  if (hot && !themed) {
    p.fillRect(QRect(b.left() + 2, b.bottom() - 2, b.width() - 4, 2), SysQColor(SysColor::HotLight));
  }
  const SECListColumn* col = m_engine->GetColumnRecord(c);
  const QString text = ToQString(col->text);
  const ImageStrip& images = Images(ImageListKind::Header);
  const bool hasImage = !images.images.empty() && col->image >= 0;
  const HeaderButtonLayout l =
      LayoutHeaderButton(FromQRect(b), col->format, p.fontMetrics().horizontalAdvance(text), hasImage);
  const QPoint shift = pressed ? QPoint(1, 1) : QPoint();
  if (!l.image.IsEmpty()) {
    const int idx = col->image < int(images.images.size()) ? col->image : 0;
    p.drawPixmap(ToQRect(l.image).translated(shift), images.images[idx]);
  }
  QRect tr = ToQRect(l.text).translated(shift);
  p.setPen(SysQColor(SysColor::BtnText));
  // Ellipsis only for a text wider than its room (the layout may give a
  // text exactly its own width).
  const bool fits = p.fontMetrics().horizontalAdvance(text) <= tr.width();
  p.drawText(tr, Flags(l.textFormat) | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
             fits ? text : p.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, tr.width())));
}

void ListViewImpl::PaintHeader(QPainter& p) {
  const int hh = m_engine->GetHeaderHeight();
  const int off = m_engine->GetScrollOffset();
  const int total = std::max(m_engine->GetTotalWidth(), ClientRect().Width() + 1);
  QRect band(-off, 0, total, hh);
  p.save();
  p.fillRect(band, ToQColor(SECListBaseC::HeaderFaceColor()));
  p.setFont(m_widget->font());
  // The visual style's header, when the desktop has one on; it is opened
  // for this paint and closed after it.
  m_headerTheme = (SECThemeUseThemedPath() && !m_printing) ? SECThemeOpenThemeData(m_widget->window(), L"HEADER")
                                                            : nullptr;
  int x = -off;
  for (int c = 0; c < m_engine->GetColumnCount(); ++c) {
    const int w = m_engine->GetColumnWidth(c);
    const bool pressed = c == m_engine->GetPressedColumn() && !m_engine->HeaderDragActive();
    PaintHeaderButton(p, c, QRect(x, 0, w, hh), pressed);
    x += w;
  }
  if (x < band.right()) {
    const QRect rest(x, 0, band.right() - x + 1, hh);
    constexpr int kHeaderRest = 3, kNormal = 1;
    if (!DrawThemedHeaderPart(p, kHeaderRest, kNormal, rest)) DrawClassicFrame(p, rest, false);
  }
  if (m_headerTheme) SECThemeCloseThemeData(m_headerTheme);
  m_headerTheme = nullptr;
  if (m_engine->HeaderDragActive() && m_engine->GetHeaderDropPos() >= 0) {
    const int pos = m_engine->GetHeaderDropPos();
    const int mx = pos >= m_engine->GetColumnCount() ? m_engine->GetColumnRight(m_engine->GetColumnCount() - 1)
                                                     : m_engine->GetColumnLeft(pos);
    p.fillRect(QRect(mx, 0, 1, hh), QColor(0, 0, 255));
  }
  p.restore();
}

void ListViewImpl::PaintIconCells(QPainter& p, const QRect& clip) {
  const Rect inside = m_engine->GetInsideRect();
  const int n = m_engine->GetItemCount();
  const ImageStrip& strip = Images(ImageListKind::Normal);
  auto ctx = m_engine->CreatePaintContext();
  for (int r = m_engine->GetTopIndex(); r < n; ++r) {
    Rect cellRect;
    if (!m_engine->GetRowRect(r, &cellRect) || cellRect.top >= inside.bottom) break;
    const QRect cell = ToQRect(cellRect);
    if (!cell.intersects(clip) || !m_engine->InitPaintContext(*ctx, r, 0)) continue;
    ctx->cell = cellRect;
    p.fillRect(cell, ToQColor(ctx->fillColor));
    const SECListItem* rec = ctx->record;
    if (!rec->imageRect.IsEmpty() && !strip.images.empty()) {
      const int idx = ctx->item.image < 0 || ctx->item.image >= int(strip.images.size()) ? 0 : ctx->item.image;
      p.drawPixmap(ToQRect(rec->imageRect).translated(cell.topLeft()).topLeft(), strip.images[idx]);
    }
    if (r == m_engine->GetEditItem()) continue;
    const QRect text = ToQRect(rec->labelRect).translated(cell.topLeft()).intersected(cell.adjusted(2, 0, -2, 0));
    const QRect hl = text.adjusted(-2, 0, 2, 0);
    PaintLabel(p, *ctx, hl, text, ToQString(ctx->item.text));
    if (r == m_engine->GetFocusIndex() && HasFocus() && m_engine->GetEditItem() < 0) PaintFocusRect(p, hl);
  }
}

void ListViewImpl::PaintRows(QPainter& p, const QRect& clip) {
  if (m_engine->IsIconLayout()) {
    PaintIconCells(p, clip);
    return;
  }
  const Rect inside = m_engine->GetInsideRect();
  const int n = m_engine->GetItemCount();
  const int off = m_engine->GetScrollOffset();
  const int totalWidth = m_engine->GetTotalWidth();
  const int cols = std::max(1, m_engine->GetColumnCount());
  auto ctx = m_engine->CreatePaintContext();
  int y = inside.top;
  for (int r = m_engine->GetTopIndex(); r < n && y < inside.bottom; ++r) {
    if (m_engine->HasCallbacks(r)) {
      if (SECListItem* rec = m_engine->GetItemRecord(r)) rec->needsMeasuring = true;
    }
    const int h = m_engine->RowHeight(r);
    QRect row(-off, y, totalWidth, h);
    if (row.intersects(clip)) {
      for (int c = 0; c < cols; ++c) {
        const int left = m_engine->GetColumnLeft(c);
        int right = left + m_engine->GetColumnWidth(c);
        if (cols == 1) right = std::max(right, inside.right);
        QRect cell(left, y, right - left, h);
        if (!cell.intersects(clip) || !m_engine->InitPaintContext(*ctx, r, c)) continue;
        ctx->cell = FromQRect(cell);
        PaintCell(p, *ctx, cell);
      }
      const unsigned ex = m_engine->GetListStyleEx();
      if ((ex & LVXS_FULLROWSELECT) && r == m_engine->GetFocusIndex() && HasFocus() && m_engine->GetColumnCount() > 1) {
        Rect lr;
        m_engine->GetItemRect(r, &lr, 2);
        PaintFocusRect(p, QRect(QPoint(lr.left - 3, y), QPoint(row.right(), y + h - 1)));
      }
      if (ex & (LVXS_GRIDLINES | LVXS_GRIDLINES_ROW)) {
        p.setPen(SysQColor(SysColor::BtnShadow));
        if (ex & LVXS_GRIDLINES) {
          const int realCols = (ex & LVXS_FILLLABELCOLUMN) ? cols - 1 : cols;
          for (int c = 0; c < realCols; ++c) {
            const int x = m_engine->GetColumnRight(c) - 1;
            p.drawLine(x, y, x, y + h - 1);
          }
        }
        // Column grid lines close the grid below the last row only; row
        // lines separate every row.
        if ((ex & LVXS_GRIDLINES_ROW) || r == m_engine->GetItemCount() - 1)
          p.drawLine(row.left(), y + h - 1, row.right(), y + h - 1);
      }
    }
    y += h;
  }
}

void ListViewImpl::PaintCell(QPainter& p, SECListPaintContext& ctx, const QRect& cell) {
  p.fillRect(cell, ToQColor(ctx.fillColor));
  if (ctx.item.subItem == 0) {
    PaintLabelCell(p, ctx, cell);
    return;
  }
  if (ctx.item.text.empty()) return;
  QRect textRect = cell.adjusted(6, 0, -5, 0);
  QRect hl = cell;
  if (!(m_engine->GetListStyleEx() & LVXS_FULLROWSELECT)) {
    hl = QRect();
  }
  PaintLabel(p, ctx, hl, textRect, ToQString(ctx.item.text));
}

void ListViewImpl::PaintLabelCell(QPainter& p, SECListPaintContext& ctx, const QRect& cell) {
  SECListItem* rec = ctx.record;
  QRect textRect = cell.adjusted(6, 0, -5, 0);
  QRect hl(cell.left(), cell.top(), rec->labelRect.Width() + 12, cell.height());
  const ImageStrip& strip = Images(m_engine->ViewKind() == 0 ? ImageListKind::Normal : ImageListKind::Small);
  if (!rec->imageRect.IsEmpty()) {
    QRect img = ToQRect(rec->imageRect).translated(cell.topLeft());
    if (!strip.images.empty()) {
      int idx = ctx.item.image < 0 || ctx.item.image >= int(strip.images.size()) ? 0 : ctx.item.image;
      p.drawPixmap(img.topLeft(), strip.images[idx]);
    }
    textRect = QRect(img.right() + 5, cell.top(), rec->labelRect.Width() + 2, cell.height());
    hl = QRect(QPoint(img.right() + 3, cell.top() + 1), QPoint(textRect.right() + 2, cell.bottom() - 1));
    textRect.setRight(std::min(textRect.right(), cell.right() - 5));
  }
  if (m_engine->GetListStyleEx() & LVXS_FULLROWSELECT) hl.setRight(cell.right());
  hl.setRight(std::min(hl.right(), cell.right()));
  if (ctx.item.item == m_engine->GetEditItem() && m_engine->GetEditColumn() == ctx.column) return;
  PaintLabel(p, ctx, hl, textRect, ToQString(ctx.item.text));
  if (ctx.item.item == m_engine->GetFocusIndex() && HasFocus() && m_engine->GetEditItem() < 0 &&
      !((m_engine->GetListStyleEx() & LVXS_FULLROWSELECT) && m_engine->GetColumnCount() > 1)) {
    PaintFocusRect(p, hl);
  }
}

void ListViewImpl::PaintLabel(QPainter& p, SECListPaintContext& ctx, const QRect& highlight, const QRect& textRect,
                              const QString& text) {
  p.save();
  if (!highlight.isNull()) p.fillRect(highlight, ToQColor(ctx.bkColor));
  p.setFont(m_measurer.FontFor(ctx.font));
  p.setPen(ToQColor(ctx.textColor));
  const int align = ctx.columnRecord ? Flags(ctx.columnRecord->format) : Qt::AlignLeft;
  if (!m_engine->IsLabelWrap()) {
    QString line = text.section('\n', 0, 0).left(259);
    p.drawText(textRect, align | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs,
               p.fontMetrics().elidedText(line, Qt::ElideRight, textRect.width()));
  } else {
    p.drawText(textRect, align | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextExpandTabs, text);
  }
  p.restore();
}

void ListViewImpl::PaintFocusRect(QPainter& p, const QRect& r) {
  p.save();
  QPen pen(SysQColor(SysColor::WindowText));
  pen.setStyle(Qt::DotLine);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.restore();
}

// --- input --------------------------------------------------------------------------------

unsigned ListViewImpl::KeyFlags(Qt::KeyboardModifiers m, Qt::MouseButtons b) const {
  unsigned f = 0;
  if (m & Qt::ShiftModifier) f |= MK_SHIFT;
  if (m & Qt::ControlModifier) f |= MK_CONTROL;
  if (b & Qt::LeftButton) f |= MK_LBUTTON;
  if (b & Qt::RightButton) f |= MK_RBUTTON;
  return f;
}

void ListViewImpl::MousePress(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  const unsigned kf = KeyFlags(e->modifiers(), e->buttons());
  m_headerDragImage = QPixmap();
  m_pressX = pt.x();
  if (e->button() == Qt::LeftButton) LeftButtonDown(pt.x(), pt.y(), kf);
  else if (e->button() == Qt::RightButton) m_engine->OnRButtonDown(pt.x(), pt.y(), kf);
}

void ListViewImpl::MouseRelease(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  const unsigned kf = KeyFlags(e->modifiers(), e->buttons());
  if (e->button() == Qt::LeftButton) m_engine->OnLButtonUp(pt.x(), pt.y(), kf);
  else if (e->button() == Qt::RightButton) m_engine->OnRButtonUp(pt.x(), pt.y(), kf);
}

void ListViewImpl::MouseDoubleClick(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (e->button() == Qt::LeftButton) LeftDoubleClick(pt.x(), pt.y(), KeyFlags(e->modifiers(), e->buttons()));
}

void ListViewImpl::MouseMove(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  const bool wasDragging = m_engine->HeaderDragActive();
  const int pressed = m_engine->GetPressedColumn();
  m_engine->OnMouseMove(pt.x(), pt.y(), KeyFlags(e->modifiers(), e->buttons()));
  m_pointerX = pt.x();
  if (m_engine->HeaderDragActive()) {
    // The image is made once, when the drag starts; a failed image leaves
    // the drag without one.
    if (!wasDragging) {
      m_headerDragImage = CreateHeaderDragImage(pressed);
      m_headerGrabX = m_pressX - m_engine->GetColumnLeft(pressed);
    }
    m_widget->update(0, 0, m_widget->width(), m_engine->GetHeaderHeight());
  }
  const bool divider = m_engine->DividerCursorWanted() || m_engine->ResizeActive();
  m_widget->setCursor(divider ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void ListViewImpl::Leave() { m_engine->OnMouseLeave(); }

void ListViewImpl::Wheel(QWheelEvent* e) { m_engine->OnMouseWheel(e->angleDelta().y()); }

bool ListViewImpl::KeyPress(QKeyEvent* e) {
  if (m_engine->ResizeActive() && e->key() == Qt::Key_Escape) {
    m_engine->CancelColumnResize();
    return true;
  }
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  if (e->modifiers() & Qt::AltModifier) {
    if (const int pressed = PressedVirtualKey(e->key(), e->modifiers())) m_engine->OnSysKeyDown(unsigned(pressed));
    return false;
  }
  unsigned key = KeypadOrOem(e);
  if (!key) {
    for (const KeyRow& row : kKeys) {
      if (row.qt == e->key()) key = row.vk;
    }
  }
  if (e->key() == Qt::Key_Backtab) key = vk::Tab;
  // '+', '-' and '*' go to the expand keys (and then to the tree's char
  // filter); other printable keys go to type-ahead.
  if (key && m_engine->OnKeyDown(key, shift || e->key() == Qt::Key_Backtab, ctrl, e->count())) {
    if (key != vk::OemPlus && key != vk::OemMinus && key != vk::Add && key != vk::Subtract && key != vk::Multiply) {
      return true;
    }
  } else if (!key) {
    // Every other key is told to the owner too (a letter or digit before
    // its type-ahead moves the selection), and otherwise left alone.
    if (const int pressed = PressedVirtualKey(e->key(), e->modifiers()))
      m_engine->OnKeyDown(unsigned(pressed), shift, ctrl, e->count());
  }
  const QString t = e->text();
  if (t.size() == 1 && t[0].unicode() >= 0x20 && t[0].unicode() < 0x7F) return Char(char(t[0].unicode())) || key;
  // A letter beyond ASCII reaches the type-ahead as the bytes of its text.
  if (t.size() == 1 && t[0].isPrint() && !ctrl) return m_engine->OnTypeAhead(FromQString(t)) || key;
  return key != 0;
}

std::string ListViewImpl::FoldCase(std::string_view text) {
  return FromQString(ToQString(std::string(text)).toUpper());
}

void ListViewImpl::FocusIn() { m_engine->OnSetFocus(); }

void ListViewImpl::FocusOut() {
  // Losing the focus takes the mouse away too: the window that took it
  // gets the next presses.
  m_engine->OnCaptureLost();
  QWidget* f = QApplication::focusWidget();
  m_engine->OnKillFocus(f && m_editor && f == m_editor.data());
}

void ListViewImpl::Resized() {
  LayoutScrollBars();
  m_engine->OnSize();
}

void ListViewImpl::EnabledChanged() { m_engine->OnEnable(m_widget->isEnabled()); }

}  // namespace pm2
