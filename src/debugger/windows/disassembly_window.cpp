#include "debugger/windows/disassembly_window.h"

#include <QPointer>

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QGlyphRun>
#include <QIcon>
#include <QPixmap>
#include <QRawFont>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cctype>

#include "driver_abi/debug_records.h"
#include "debugger/model/disasm_find.h"
#include "debugger/model/disasm_range.h"
#include "toolkit/controls/value_tip.h"
#include "toolkit/controls/window_font_qt.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {

// Gutter fills of a code line by its marker bits 0x0C.
const QColor kGutterFill[4] = {QColor(192, 192, 192), QColor(255, 128, 0), QColor(0, 255, 255), QColor(0, 128, 0)};

constexpr int kHorzMax = 2500;
// The last display mode's command: the address ranges follow it on the menu.
constexpr int kCmdAssemblyMode = 35003;
// A drag beyond the first or last line scrolls a line at each tick.
constexpr int kDragTickMs = 200;

// Text and background of a line kind: entries of the window's colours.
struct KindLook {
  uint16_t kind;
  int text;
  int back;
  bool code;
};
const KindLook kKinds[] = {{kDisasmSource, kDisSourceText, kDisBack, false},
                           {kDisasmOther, kDisSourceText, kDisBack, false},
                           {kDisasmTrace1, kDisCodeText, kDisTraceBack, false},
                           {kDisasmTrace2, kDisCodeText, kDisTraceBack, false},
                           {kDisasmTrace3, kDisSourceText, kDisTraceBack, false}};

KindLook LookOf(uint16_t kind) {
  for (const KindLook& k : kKinds)
    if (k.kind == kind) return k;
  return {kind, kDisCodeText, kDisBack, true};
}

}  // namespace

const QIcon& DisassemblyWindowIcon() {
  static const QIcon icon = [] {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    // A sheet with four lines of code, the third marked by the yellow arrow.
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(3, 0, 12, 15);
    for (int row = 0; row < 4; ++row) {
      p.setPen(row % 2 ? QColor(128, 0, 0) : QColor(0, 0, 128));
      p.drawLine(6, 3 + row * 3, row % 2 ? 11 : 13, 3 + row * 3);
    }
    const QPoint arrow[] = {{0, 7}, {3, 7}, {3, 5}, {6, 9}, {3, 13}, {3, 11}, {0, 11}};
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 0));
    p.drawPolygon(arrow, 7);
    return QIcon(pm);
  }();
  return icon;
}

DisassemblyView::DisassemblyView(const DisassemblyHost& host, QWidget* parent)
    : QWidget(parent),
      m_host(host),
      m_source(std::make_unique<RecordDisasmSource>(host.record)),
      m_vbar(new QScrollBar(Qt::Vertical, this)),
      m_hbar(new QScrollBar(Qt::Horizontal, this)),
      m_dragTimer(new QTimer(this)) {
  m_bookmarks = host.bookmarks ? host.bookmarks : &m_ownBookmarks;
  setObjectName("DisassemblyView");
  setFocusPolicy(Qt::StrongFocus);
  SetListingFont(WindowFixedFont());
  const WindowFonts defaults;
  for (std::size_t i = 0; i < m_colours.size(); ++i) m_colours[i] = ColourOfRecord(defaults.disassemblyColours[i]);
  setAttribute(Qt::WA_OpaquePaintEvent);
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  // The first code address of the family.
  m_start = r ? DisasmStartAddress(r->family, r->version, r->pc) : 0;
  m_cache = std::make_unique<DisasmCache>(*m_source, m_start, DisasmCodeMask(r ? r->family : 3));
  m_tip = new ValueTip(this, font());
  m_range = r ? DisasmRangeIndex(r->windowFlags) : 0;
  ApplyRange();
  m_hbar->setRange(0, kHorzMax);
  m_dragTimer->setSingleShot(true);
  m_dragTimer->setInterval(kDragTickMs);
  connect(m_dragTimer, &QTimer::timeout, this, [this] { DragTick(); });
  connect(m_vbar, &QScrollBar::actionTriggered, this, [this](int action) {
    bool ok = true;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: ok = m_cache->LineDown(); break;
      case QAbstractSlider::SliderSingleStepSub: ok = m_cache->LineUp(); break;
      case QAbstractSlider::SliderPageStepAdd: ok = m_cache->PageDown(); break;
      case QAbstractSlider::SliderPageStepSub: ok = m_cache->PageUp(); break;
      default: return;
    }
    if (!ok) Beep();
    m_pcFollow = false;
    SetThumb();
    UpdateLines();
  });
  connect(m_vbar, &QScrollBar::sliderMoved, this, [this](int pos) {
    DebugInterface* rec = m_host.record ? m_host.record() : nullptr;
    char buf[80] = {};
    if (m_trace) return;  // a history index, not an address
    const uint32_t first = m_cache->Size() ? m_cache->Line(0).address : m_start;
    const uint32_t address = DisasmThumbAddress(Family(), 0, first, uint32_t(pos));
    if (rec && rec->DbgFormatAddress)
      rec->DbgFormatAddress(0, address, 0, buf);
    else
      std::snprintf(buf, sizeof buf, "0x%08X", address);
    m_tip->ShowText(QString("Addr=") + buf);
  });
  connect(m_vbar, &QScrollBar::sliderReleased, this, [this] { OnThumbReleased(); });
  connect(m_hbar, &QScrollBar::valueChanged, this, [this] { update(); });
}

DisassemblyView::~DisassemblyView() = default;

void DisassemblyView::SetListingFont(QFont font) {
  // Listing text needs no shaping: plain glyphs a character each draw faster.
  font.setStyleStrategy(QFont::PreferNoShaping);
  font.setKerning(false);
  setFont(font);
  BuildGlyphs();
}

void DisassemblyView::ApplySettings(const WindowFonts& settings) {
  for (std::size_t i = 0; i < m_colours.size(); ++i) m_colours[i] = ColourOfRecord(settings.disassemblyColours[i]);
  const QFont font = FontOfEntry(settings.disassembly, WindowFixedFont());
  if (font != this->font()) {
    SetListingFont(font);
    // The tip shows its text in the window's font: made again with it.
    delete m_tip;
    m_tip = new ValueTip(this, this->font());
    Relayout();
  }
  update();
}

void DisassemblyView::BuildGlyphs() {
  m_glyphs.clear();
  m_raw = std::make_unique<QRawFont>(QRawFont::fromFont(font()));
  if (!m_raw->isValid()) return;
  QString ascii;
  for (char c = 32; c < 127; ++c) ascii += QChar(c);
  const QList<quint32> glyphs = m_raw->glyphIndexesForString(ascii);
  if (glyphs.size() != ascii.size()) return;
  const QList<QPointF> advances = m_raw->advancesForGlyphIndexes(glyphs);
  for (const QPointF& a : advances)
    if (a.x() != advances[0].x() || glyphs[advances.indexOf(a)] == 0) return;  // not fixed-pitch, or a missing glyph
  m_advance = advances[0].x();
  m_glyphs.assign(glyphs.begin(), glyphs.end());
}

void DisassemblyView::DrawText(QPainter& p, int x, int baseline, const std::string& text) {
  bool ascii = !m_glyphs.empty();
  for (char c : text) ascii &= c >= 32 && c < 127;
  if (!ascii) {
    p.drawText(x, baseline, QString::fromLocal8Bit(text.c_str()));
    return;
  }
  QList<quint32> glyphs;
  QList<QPointF> positions;
  glyphs.reserve(qsizetype(text.size()));
  positions.reserve(qsizetype(text.size()));
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') continue;
    glyphs.push_back(m_glyphs[size_t(text[i] - 32)]);
    positions.push_back(QPointF(x + qreal(i) * m_advance, baseline));
  }
  if (glyphs.isEmpty()) return;
  QGlyphRun run;
  run.setRawFont(*m_raw);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  p.drawGlyphRun(QPointF(0, 0), run);
}

void DisassemblyView::UpdateLines() {
  // The lines and their gutter only: the scroll bars keep their pixels.
  const Geometry g = Layout();
  update(QRect(0, 0, g.text.right() + 1, g.text.height()));
}

void DisassemblyView::Beep() {
  if (m_host.beep) m_host.beep();
}

DisassemblyView::Geometry DisassemblyView::Layout() const {
  Geometry g;
  const QFontMetrics fm(font());
  g.lineHeight = std::max(1, fm.height());
  g.charWidth = std::max(1, fm.averageCharWidth());
  g.gutter = g.charWidth / 2 + g.charWidth + 2;
  const int w = width() - m_vbar->sizeHint().width();
  const int h = height() - m_hbar->sizeHint().height();
  g.text = QRect(g.gutter, 0, std::max(0, w - g.gutter), std::max(0, h));
  g.visible = std::max(1, h / g.lineHeight + (h % g.lineHeight ? 1 : 0));
  return g;
}

int DisassemblyView::LineAt(QPoint at) const {
  const Geometry g = Layout();
  const int i = at.y() / g.lineHeight;
  if (at.y() < 0 || (i + 1) * g.lineHeight > g.text.height() || i >= m_cache->Visible()) return -1;
  if (m_cache->Line(i).kind == kDisasmEnd || m_cache->Line(i).kind == kDisasmRequest) return -1;
  return i;
}

void DisassemblyView::Relayout() {
  const Geometry g = Layout();
  const int vw = m_vbar->sizeHint().width(), hh = m_hbar->sizeHint().height();
  m_vbar->setGeometry(width() - vw, 0, vw, height() - hh);
  m_hbar->setGeometry(0, height() - hh, width() - vw, hh);
  m_cache->Resize(g.visible);
  ApplyRange();
}

void DisassemblyView::resizeEvent(QResizeEvent*) {
  const bool empty = m_cache->Size() == 0 || m_cache->Line(0).kind == kDisasmRequest;
  Relayout();
  if (empty && m_host.active && m_host.active()) {
    DebugInterface* r = m_host.record();
    m_cache->GotoAddress(r ? r->pc : m_start);
    SetThumb();
  }
}

int DisassemblyView::Family() const {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  return r ? r->family : 3;
}

void DisassemblyView::ApplyRange() {
  const QSignalBlocker block(m_vbar);
  const int visible = std::max(1, m_cache->Visible());
  m_vbar->setRange(0, m_trace ? DisasmTraceScrollMax(m_traceEntries, visible) : DisasmScrollMax(m_range, visible));
  m_vbar->setPageStep(visible);
}

void DisassemblyView::SetThumb() {
  if (m_cache->Size() == 0) return;
  SyncTrace();
  const QSignalBlocker block(m_vbar);
  const DisasmLine& first = m_cache->Line(0);
  m_vbar->setValue(m_trace ? int(first.line) : int(DisasmScrollPosition(Family(), first.address)));
}

void DisassemblyView::SyncTrace() {
  bool history = false;
  uint32_t firstCode = m_start;
  for (int i = m_cache->Size() - 1; i >= 0; --i) {
    const DisasmLine& l = m_cache->Line(i);
    if (DisasmCache::IsTrace(l))
      history = true;
    else if (l.kind != kDisasmEnd && l.kind != kDisasmRequest)
      firstCode = l.address;
  }
  if (history == m_trace) return;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  const uint32_t* descriptor = nullptr;
  if (history && r && r->DbgTraceInfo)
    descriptor = reinterpret_cast<const uint32_t*>(r->DbgTraceInfo(reinterpret_cast<void*>(uintptr_t(firstCode))));
  m_trace = descriptor != nullptr;
  m_traceEntries = descriptor ? descriptor[8] : 0;
  ApplyRange();
}

void DisassemblyView::OnThumbReleased() {
  m_tip->Hide();
  const int pos = m_vbar->value();
  bool ok;
  if (m_trace) {
    ok = m_cache->GotoHistoryIndex(uint32_t(pos));
    SetThumb();
    UpdateLines();
  } else {
    const uint32_t first = m_cache->Size() ? m_cache->Line(0).address : m_start;
    ok = ScrollToCodeAddress(DisasmThumbAddress(Family(), 0, first, uint32_t(pos)));
  }
  if (!ok) Beep();
}

void DisassemblyView::SetRange(int index) {
  if (index < 0 || index >= kDisasmRangeCount || !DisasmRangeAt(index).offered) return;
  m_range = index;
  if (DebugInterface* r = m_host.record ? m_host.record() : nullptr)
    r->windowFlags = WithDisasmRange(r->windowFlags, index);
  // Leave the trace view: the listing at the base.
  m_trace = false;
  ApplyRange();
  m_cache->Refill(0);
  SetThumb();
  UpdateLines();
}

void DisassemblyView::ShowTraceRecords() {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!r || (r->flags & kDbgFlagExecuting) || !m_cache->ShowTraceRecords()) {
    Beep();
    return;
  }
  m_trace = false;  // the history may have grown: its descriptor is asked again
  SetThumb();
  UpdateLines();
}

void DisassemblyView::GotoAddress(uint32_t address) {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (r && r->DbgControl) r->DbgControl(kDbgCtlProgramCounter, 0, 0);
  m_pcFollow = false;
  m_cache->GotoAddress(address);
  SetThumb();
  UpdateLines();
}

void DisassemblyView::GotoAddressIfCached(uint32_t address) {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  const int pc = m_cache->PcLine();
  if (pc < 0 || !r) {
    GotoAddress(address);
  } else {
    if (r->DbgControl) r->DbgControl(kDbgCtlProgramCounter, 0, 0);
    // The lines are read again from the first one (the second when the PC
    // sits on the last line), so the view does not jump.
    const int from = m_cache->Visible() > 3 && pc == m_cache->Visible() - 1 ? 1 : 0;
    RefillKeepingCursor(m_cache->Line(from));
    m_cache->UpdateLineStates();
    SetThumb();
  }
  // The arrow is navy while the view follows the program counter here,
  // and takes its own colour again once the address is shown.
  m_pcFollow = true;
  repaint();
  m_pcFollow = false;
  UpdateLines();
}

void DisassemblyView::RefillKeepingCursor(DisasmLine first) {
  // The driver may list the lines differently now (a source line more):
  // the cursor stays on its line where that is still shown.
  const int cursor = m_cache->Cursor();
  const DisasmLine was = cursor >= 0 ? m_cache->Line(cursor) : DisasmLine{};
  m_cache->FillBackFrom(first, 0);
  int at = cursor;
  for (int i = 0; cursor >= 0 && i < m_cache->Visible(); ++i)
    if (m_cache->Line(i).kind == was.kind && m_cache->Line(i).address == was.address &&
        m_cache->Line(i).line == was.line) {
      at = i;
      break;
    }
  m_cache->SetCursor(at);
}

void DisassemblyView::ScrollToAddress(uint32_t address) {
  m_pcFollow = false;
  m_cache->ScrollToAddress(address);
  SetThumb();
  UpdateLines();
}

void DisassemblyView::ScrollToAddressAndSelect(uint32_t address, int mode) {
  m_pcFollow = false;
  if (mode == 2) {
    // Filled again from the first line: the view keeps its place.
    if (m_cache->Size() > 0 && m_cache->Line(0).kind != kDisasmRequest) RefillKeepingCursor(m_cache->Line(0));
  } else {
    m_cache->ScrollToAddress(address);
  }
  SetThumb();
  UpdateLines();
}

bool DisassemblyView::ScrollToCodeAddress(uint32_t address) {
  m_pcFollow = false;
  const bool ok = m_cache->ScrollToCodeAddress(address);
  SetThumb();
  UpdateLines();
  return ok;
}

void DisassemblyView::UpdateLineStates() {
  m_cache->UpdateLineStates();
  UpdateLines();
}

int DisassemblyView::CursorLineKind() const {
  const int c = m_cache->Cursor();
  if (c < 0) return 0;
  const uint16_t state = m_cache->Line(c).state;
  if (state & kDisasmClass1) return 1;
  return state & kDisasmClass2 ? 2 : 0;
}

bool DisassemblyView::CursorHasBreakpoint() const {
  uint32_t at = 0;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!CursorAddress(&at) || !r || !r->DbgBreakpoint) return false;
  const uint32_t state = r->DbgBreakpoint(at, 1);
  return state == 1 || state == 2;
}

bool DisassemblyView::CursorLineBreakpoint(int op) {
  uint32_t at = 0;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!CursorAddress(&at) || !r || !r->DbgBreakpoint) return false;
  const bool ok = r->DbgBreakpoint(at, op == 1 ? 2 : 3) != uint32_t(-1);
  UpdateLineStates();
  return ok;
}

int DisassemblyView::Mode() const {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  return r ? int((r->windowFlags >> 7) & 7) : kDisasmModeMixed;
}

void DisassemblyView::SetMode(int mode) {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!r) return;
  if (Mode() == mode) return;
  r->windowFlags = (r->windowFlags & ~(7u << 7)) | (uint32_t(mode & 7) << 7);
  if (mode == kDisasmModeTrace && !(r->flags & kDbgFlagExecuting) && m_cache->ShowTraceRecords()) {
    m_trace = false;
    SetThumb();
    UpdateLines();
    return;
  }
  // The program's listing around the first line that is not history.
  uint32_t at = r->pc;
  for (int i = 0; i < m_cache->Size(); ++i) {
    const DisasmLine& l = m_cache->Line(i);
    if (!DisasmCache::IsTrace(l) && l.kind != kDisasmEnd && l.kind != kDisasmRequest) {
      at = l.address;
      break;
    }
  }
  m_cache->ScrollToAddress(at);
  SetThumb();
  UpdateLines();
}

// ------------------------------------------------------------------ painting

void DisassemblyView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.save();
  const Geometry g = Layout();
  p.fillRect(QRect(0, 0, g.text.right() + 1, g.text.height()), m_colours[kDisBack]);
  p.setFont(font());
  const int ascent = QFontMetrics(font()).ascent();
  for (int i = 0; i < m_cache->Visible() && i < m_cache->Size(); ++i) PaintLine(p, g, i, ascent);
  p.restore();
}

void DisassemblyView::PaintLine(QPainter& p, const Geometry& g, int i, int ascent) {
  const DisasmLine& line = m_cache->Line(i);
  if (line.kind == kDisasmEnd || line.kind == kDisasmRequest) return;  // the background stays
  const int top = i * g.lineHeight;
  const KindLook look = LookOf(line.kind);
  QColor back = m_colours[std::size_t(look.back)];
  unsigned marks = 0;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (look.code) marks = (r && r->DbgBreakpoint ? r->DbgBreakpoint(line.address, 7) & 0x0F : 0) | 0x40;
  if (i == m_cache->Cursor()) back = m_colours[kDisCursorBack];
  if (line.state & kDisasmPc) marks |= 0x80;
  const QRect text(g.gutter, top, g.text.width(), g.lineHeight);
  if (back != m_colours[kDisBack]) p.fillRect(text, back);
  p.setPen(m_colours[std::size_t(look.text)]);
  // The gutter is painted after the text, over what scrolled left of it.
  DrawText(p, g.gutter - m_hbar->value() * g.charWidth, top + ascent, m_cache->Text(i));
  if (Selected(line)) {
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.fillRect(text, Qt::black);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  PaintGutter(p, QRect(0, top, g.gutter, g.lineHeight), i, marks);
}

void DisassemblyView::PaintGutter(QPainter& p, const QRect& r, int i, unsigned marks) {
  const int w = r.width(), h = r.height(), L = r.left(), T = r.top();
  if (marks & 0x40)
    p.fillRect(r, kGutterFill[(marks >> 2) & 3]);
  else {
    p.fillRect(r, QColor(192, 192, 192));
    p.fillRect(r, QBrush(QColor(160, 160, 160), Qt::Dense5Pattern));
  }
  if (marks & 0x03) {
    p.setPen(Qt::black);
    p.setBrush(marks & 0x01 ? QColor(255, 0, 0) : QColor(255, 255, 255));
    p.drawRoundedRect(QRect(L + 3, T, w - 4, h - 1), 2, 2);
  }
  // A bookmark inside the line's addresses.
  const DisasmLine& line = m_cache->Line(i);
  if (line.kind == kDisasmCode && !m_bookmarks->empty()) {
    const uint32_t end = NextCodeAddress(line);
    for (uint32_t b : *m_bookmarks)
      if (b >= line.address && (end == 0 || b < end)) {
        const int d = std::max(2, w - 3);
        p.setPen(Qt::black);
        p.setBrush(QColor(0, 255, 255));
        p.drawEllipse(QRect(L + 3, T + (h - d) / 2, d, d));
        break;
      }
  }
  if (marks & 0x80) {
    const int M = T + h / 2;
    const QPoint arrow[] = {{L + 1, M + 5 * h / 36},          {L + 1, M - 5 * h / 36},
                            {L + 5 * w / 9, M - 5 * h / 36},  {L + 5 * w / 9, M - 7 * h / 18},
                            {L + 5 * w / 9 + 7 * h / 18, M},  {L + 5 * w / 9, M + 7 * h / 18},
                            {L + 5 * w / 9, M + 5 * h / 36},  {L + 1, M + 5 * h / 36}};
    p.setPen(Qt::black);
    p.setBrush(m_pcFollow ? QColor(0, 0, 128) : QColor(255, 255, 0));
    p.drawPolygon(arrow, 8);
  }
}

uint32_t DisassemblyView::NextCodeAddress(const DisasmLine& line) const {
  DisasmLine next = line;
  for (int guard = 0; guard < 64; ++guard) {
    m_source->Next(next);
    if (next.kind == kDisasmEnd || next.kind == kDisasmRequest) return 0;
    if (next.kind == kDisasmCode && next.address != line.address) return next.address;
  }
  return 0;
}

// ------------------------------------------------------------------ input

void DisassemblyView::keyPressEvent(QKeyEvent* e) {
  bool ok = true;
  switch (e->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_Home: ok = m_cache->PageUp(); break;
    case Qt::Key_PageDown:
    case Qt::Key_End: ok = m_cache->PageDown(); break;
    case Qt::Key_Up: ok = m_cache->LineUp(); break;
    case Qt::Key_Down: ok = m_cache->LineDown(); break;
    case Qt::Key_Left: m_hbar->setValue(m_hbar->value() - 1); return;
    case Qt::Key_Right: m_hbar->setValue(m_hbar->value() + 1); return;
    case Qt::Key_Escape: return;
    default: QWidget::keyPressEvent(e); return;
  }
  if (!ok) Beep();
  m_pcFollow = false;
  FollowSelection(e->modifiers() & Qt::ShiftModifier);
  SetThumb();
  UpdateLines();
}

void DisassemblyView::TieRegister() {
  const int c = m_cache->Cursor();
  const bool onItem = c >= 0 && (m_cache->Line(c).state & kDisasmRegister);
  if (!m_host.registerTie) return;
  if (onItem) {
    m_host.registerTie(int64_t(m_cache->Line(c).item));
    m_registerTied = true;
  } else if (m_registerTied) {
    m_host.registerTie(-1);
    m_registerTied = false;
  }
}

void DisassemblyView::FollowSelection(bool extend) {
  TieRegister();
  const int c = m_cache->Cursor();
  if (c < 0) return;
  const DisasmLine& line = m_cache->Line(c);
  if (extend) {
    if (m_anchor.kind == kDisasmRequest) m_anchor = line;
    m_end = line;
  } else {
    m_anchor = line;
    m_end = DisasmLine{};
  }
}

bool DisassemblyView::Selected(const DisasmLine& line) const {
  if (m_anchor.kind == kDisasmRequest || m_end.kind == kDisasmRequest || CompareLines(m_anchor, m_end) == 0) return false;
  return CompareLines(m_end, line) * CompareLines(m_anchor, line) <= 0;
}

void DisassemblyView::mouseMoveEvent(QMouseEvent* e) {
  if (!(e->buttons() & Qt::LeftButton) || !m_dragging) return;
  // The drag follows the pointer on the timer, not on every move.
  m_dragAt = e->position().toPoint();
  if (!m_dragTimer->isActive()) m_dragTimer->start();
}

void DisassemblyView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) m_dragging = false;
}

void DisassemblyView::DragTick() {
  m_dragTimer->stop();
  const Geometry g = Layout();
  const QRect client(0, 0, g.text.right() + 1, g.text.height());
  if (!m_dragging || !client.contains(m_dragAt)) return;
  const int y = m_dragAt.y();
  const int last = std::max(0, std::min(m_cache->Visible(), g.text.height() / g.lineHeight) - 1);
  if (y >= g.lineHeight && y < g.text.height() - g.lineHeight) {
    // Inside: the line under the pointer ends the selection.
    const int i = LineAt(QPoint(g.gutter, y));
    if (i >= 0) {
      m_cache->SetCursor(i);
      FollowSelection(true);
      UpdateLines();
    }
    return;
  }
  // At the top or bottom edge: a line further each tick.
  const bool up = y < g.lineHeight;
  m_cache->SetCursor(up ? 0 : last);
  if (up)
    m_cache->LineUp();
  else
    m_cache->LineDown();
  m_cache->SetCursor(up ? 0 : last);
  FollowSelection(true);
  SetThumb();
  UpdateLines();
  m_dragTimer->start();
}

void DisassemblyView::mousePressEvent(QMouseEvent* e) {
  setFocus();
  if (e->button() != Qt::LeftButton) return;
  const int i = LineAt(e->position().toPoint());
  if (i < 0) {
    Beep();
    return;
  }
  m_dragging = true;
  m_cache->SetCursor(i);
  FollowSelection(e->modifiers() & Qt::ShiftModifier);
  UpdateLines();
}

void DisassemblyView::mouseDoubleClickEvent(QMouseEvent* e) {
  const int i = LineAt(e->position().toPoint());
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (i < 0 || !r || !r->DbgBreakpoint) {
    Beep();
    return;
  }
  const DisasmLine& line = m_cache->Line(i);
  if (line.kind == kDisasmOther || line.kind == kDisasmEnd ||
      (line.kind == kDisasmSource &&
       !(r->DbgCanBreakOnSourceLine && r->DbgCanBreakOnSourceLine(int32_t(line.file), intptr_t(line.line), 0)))) {
    Beep();
    return;
  }
  if (r->DbgBreakpoint(line.address, 3) == uint32_t(-1)) {
    Beep();
    return;
  }
  m_cache->UpdateLineStates();
  m_cache->SetCursor(i);
  if (m_host.breakpointsChanged) m_host.breakpointsChanged();
  UpdateLines();
}

void DisassemblyView::wheelEvent(QWheelEvent* e) {
  const bool down = e->angleDelta().y() < 1;
  bool ok;
  if (e->modifiers() == Qt::ControlModifier)
    ok = down ? m_cache->PageDown() : m_cache->PageUp();
  else
    ok = down ? (m_cache->LineDown() && m_cache->LineDown()) : (m_cache->LineUp() && m_cache->LineUp());
  if (!ok) Beep();
  m_pcFollow = false;
  SetThumb();
  UpdateLines();
}

void DisassemblyView::contextMenuEvent(QContextMenuEvent* e) {
  const int i = LineAt(e->pos());
  if (i >= 0) m_cache->SetCursor(i);
  UpdateLines();
  QMenu* menu = BuildContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

bool DisassemblyView::CursorAddress(uint32_t* address) const {
  const int c = m_cache->Cursor();
  if (c < 0 || m_cache->Line(c).kind != kDisasmCode) return false;
  *address = m_cache->Line(c).address;
  return true;
}

// ------------------------------------------------------------------ commands

bool DisassemblyView::FrameEnabled(int id) const {
  return m_host.frameCommandEnabled && m_host.frameCommandEnabled(id);
}

void DisassemblyView::RunFrame(int id) {
  if (m_host.runFrameCommand) m_host.runFrameCommand(id);
}

QMenu* DisassemblyView::BuildContextMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName("DisassemblyMenu");
  uint32_t at = 0;
  const bool code = CursorAddress(&at);
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  const bool running = r && (r->flags & kDbgFlagExecuting);
  const bool hasBreak = CursorHasBreakpoint();
  // The command table: text, id, enabled, checked (-1: not checkable), action.
  struct Row {
    const char* text;
    int id;
    bool enabled;
    int checked;
    std::function<void()> run;
  };
  const int mode = Mode();
  const Row rows[] = {
      {"Trace Mode", 35001, true, mode == 0, [this] { SetMode(kDisasmModeTrace); }},
      {"Mixed Mode", 35002, true, mode == 1, [this] { SetMode(kDisasmModeMixed); }},
      {"Assembly Mode", 35003, true, mode == 2, [this] { SetMode(kDisasmModeAssembly); }},
      {nullptr, 0, false, -1, {}},
      {"View &Trace Records", 35043, FrameEnabled(35043), -1, [this] { RunFrame(35043); }},
      {"T&race Recording", 35019, FrameEnabled(35019), FrameEnabled(35019) && r && (r->traceOn & 1), [this] { RunFrame(35019); }},
      {nullptr, 0, false, -1, {}},
      {"Load Hex or Object file...", 32703, true, -1, [this] { LoadFile(); }},
      {"Run till Cursor line", 32796, code && !running, -1, [this] { RunToCursor(); }},
      {"Insert/Remove Breakpoint", 32765, code, -1, [this] { ToggleBreakpoint(); }},
      {"Enable/Disable Breakpoint", 35017, hasBreak, -1, [this] { EnableBreakpoint(); }},
      {nullptr, 0, false, -1, {}},
      {"Copy", 57634, CanCopy(), -1, [this] { Copy(); }},
      {"Find...", 57636, true, -1, [this] { FindText(std::string()); }},
      {nullptr, 0, false, -1, {}},
      {"Set/Clear Bookmark", 45027, code, -1, [this] { ToggleBookmark(); }},
      {"Next Bookmark", 45028, !m_bookmarks->empty(), -1, [this] { NextBookmark(true); }},
      {"Previous Bookmark", 45029, !m_bookmarks->empty(), -1, [this] { NextBookmark(false); }},
      {"Clear All Bookmarks", 45030, !m_bookmarks->empty(), -1, [this] { ClearBookmarks(); }},
      {nullptr, 0, false, -1, {}},
      {"Clear Code Coverage", 317, true, -1, [this] { ClearCoverage(); }},
      {nullptr, 0, false, -1, {}},
      {"Show Code at Address...", 35403, true, -1, [this] { ShowCodeAt(); }},
      {"Show Next Statement", 35072, FrameEnabled(35072), -1, [this] { RunFrame(35072); }},
      {"Show Source Code", 35411, FrameEnabled(35411), -1, [this] { RunFrame(35411); }},
      {"Set Program Counter", 35413, FrameEnabled(35413), -1, [this] { RunFrame(35413); }},
      {"Inline Assembly...", 35082, FrameEnabled(35082), -1, [this] { RunFrame(35082); }},
  };
  for (const Row& row : rows) {
    if (!row.text) {
      menu->addSeparator();
      continue;
    }
    QAction* a = menu->addAction(row.text);
    a->setData(row.id);
    a->setEnabled(row.enabled);
    if (row.checked >= 0) {
      a->setCheckable(true);
      a->setChecked(row.checked != 0);
    }
    connect(a, &QAction::triggered, this, row.run);
    if (row.id != kCmdAssemblyMode) continue;
    // The scroll bar's address ranges.
    QMenu* ranges = menu->addMenu("Address Range");
    for (int i = 0; i < kDisasmRangeCount; ++i) {
      const DisasmRange& range = DisasmRangeAt(i);
      QAction* item = ranges->addAction(range.text);
      item->setData(range.command);
      item->setEnabled(range.offered);
      item->setCheckable(true);
      item->setChecked(i == m_range);
      connect(item, &QAction::triggered, this, [this, i] { SetRange(i); });
    }
  }
  return menu;
}

void DisassemblyView::ToggleBreakpoint() {
  uint32_t at = 0;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!CursorAddress(&at) || !r || !r->DbgBreakpoint) return;
  if (r->DbgBreakpoint(at, 3) == uint32_t(-1)) Beep();
  if (m_host.breakpointsChanged) m_host.breakpointsChanged();
  UpdateLineStates();
}

void DisassemblyView::EnableBreakpoint() {
  uint32_t at = 0;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!CursorAddress(&at) || !r || !r->DbgBreakpoint) return;
  if (r->DbgBreakpoint(at, 2) == uint32_t(-1)) Beep();
  if (m_host.breakpointsChanged) m_host.breakpointsChanged();
  UpdateLineStates();
}

void DisassemblyView::RunToCursor() {
  uint32_t at = 0;
  if (CursorAddress(&at) && m_host.runToCursor) m_host.runToCursor(at);
}

bool DisassemblyView::CanCopy() const { return m_cache->Cursor() >= 0; }

void DisassemblyView::Copy() {
  if (!m_host.copy) return;
  const int c = m_cache->Cursor();
  if (m_anchor.kind == kDisasmRequest || m_end.kind == kDisasmRequest) {
    // No selection: the cursor line alone.
    if (c >= 0) m_host.copy(m_cache->Text(c));
    return;
  }
  DisasmLine line = CompareLines(m_anchor, m_end) <= 0 ? m_anchor : m_end;
  const DisasmLine last = CompareLines(m_anchor, m_end) <= 0 ? m_end : m_anchor;
  // Collected in blocks; a long walk shows its progress and can be cancelled.
  std::string result;
  std::string block;
  block.reserve(100000);
  QElapsedTimer clock;
  clock.start();
  std::unique_ptr<OperationProgress> progress =
      m_host.progress ? m_host.progress("Prepare clipboard content", "Cancel") : nullptr;
  bool first = true;
  while (line.kind != kDisasmEnd && line.kind != kDisasmRequest && CompareLines(line, last) <= 0) {
    const std::string text = m_source->Text(line);
    if (block.size() + text.size() + 2 >= 99995) {
      result += block;
      block.clear();
    }
    if (!first) block += "\r\n";
    first = false;
    block += text;
    if (progress) {
      char label[80];
      std::snprintf(label, sizeof label, "Adding content at address 0x%06X ...", line.address);
      progress->SetText(label);
      if (!progress->Update(int(clock.elapsed() / 1000 % 60), 60)) return;
    }
    m_source->Next(line);
  }
  result += block;
  m_host.copy(result);
}

void DisassemblyView::FindText(const std::string& text) {
  if (text.empty()) {
    if (m_host.openFind) m_host.openFind();
    return;
  }
  Find(text, m_search.down, m_search.matchCase, m_search.wholeWord);
}

void DisassemblyView::ClearCoverage() {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (m_host.waitCursor) m_host.waitCursor(true);
  if (r && r->DbgEnum) r->DbgEnum(7, 0, 0);
  if (m_host.waitCursor) m_host.waitCursor(false);
  if (m_host.breakpointsChanged) m_host.breakpointsChanged();
  UpdateLineStates();
}

void DisassemblyView::Find(const std::string& what, bool down, bool matchCase, bool wholeWord) {
  m_search = Search{down, matchCase, wholeWord};
  if (what.empty() || m_cache->Size() == 0) return;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  // The program's own code: qemu's address space has no end to search to.
  std::vector<MapRun> code;
  if (r && r->DbgControl)
    code = ProgramCodeRuns(r->family, r->version, [r](uint32_t base, uint32_t* count) -> const uint16_t* {
      DbgMemorySpaceRecord space{};
      r->DbgControl(4, intptr_t(base), reinterpret_cast<intptr_t>(&space));
      *count = space.count;
      return space.attributes;
    });
  // A long search shows where it is and can be cancelled. The progress
  // holds the main window, so it goes while a question or a message stands
  // open (they belong to the main window), and starts again after.
  QElapsedTimer clock;
  clock.start();
  const std::string title = "Find '" + what + "'";
  // The progress, a question and a message let events run: the window may
  // go meanwhile (the session ends, a modeless Find dialog outlives it), and
  // the search then ends at once without touching it again.
  const QPointer<DisassemblyView> self(this);
  const auto startProgress = [&]() -> std::unique_ptr<OperationProgress> {
    return self && m_host.progress ? m_host.progress(title, "Cancel") : nullptr;
  };
  std::unique_ptr<OperationProgress> progress = startProgress();
  DisasmFindHooks hooks;
  hooks.ask = [&](const std::string& question) {
    progress.reset();
    const bool yes = self && m_host.question && m_host.question(question);
    if (!self) return false;
    clock.restart();  // the time the question stood open is no search time
    progress = startProgress();
    return yes;
  };
  hooks.message = [&](const std::string& text) {
    progress.reset();
    if (self && m_host.message) m_host.message(text);
  };
  hooks.compare = [this, &self](const DisasmLine& a, const DisasmLine& b) { return self ? CompareLines(a, b) : 0; };
  hooks.tick = [&](uint32_t address) {
    if (!self) return false;
    if (!progress) return true;
    char label[80];
    std::snprintf(label, sizeof label, "Searching at address 0x%06X ...", address);
    progress->SetText(label);
    const bool goOn = progress->Update(int(clock.elapsed() / 64 % 60), 60);
    return goOn && self;
  };
  const DisasmLine origin = m_cache->Line(std::max(0, m_cache->Cursor()));
  DisasmLine hit{};
  const DisasmFindText text{what, down, matchCase, wholeWord};
  const DisasmFindEnd found = FindInListing(*m_source, origin, code, m_start, text, hooks, &hit);
  if (!self || found != DisasmFindEnd::Found) return;
  m_cache->FillBackFrom(hit, 0);
  m_cache->SetCursor(0);
  FollowSelection(false);
  SetThumb();
  UpdateLines();
}

void DisassemblyView::LoadFile() {
  std::string path;
  if (!m_host.askFile || !m_host.askFile(&path)) return;
  std::string doubled;
  for (char c : path) {
    doubled += c;
    if (c == '\\') doubled += '\\';
  }
  if (m_host.execute) m_host.execute("Load \"" + doubled + "\" \n");
  m_cache->Refill(m_start);
  UpdateLines();
}

void DisassemblyView::ToggleBookmark() {
  uint32_t at = 0;
  if (!CursorAddress(&at)) return;
  const uint32_t end = NextCodeAddress(m_cache->Line(m_cache->Cursor()));
  auto inside = std::find_if(m_bookmarks->begin(), m_bookmarks->end(),
                             [&](uint32_t b) { return b >= at && (end == 0 || b < end); });
  if (inside != m_bookmarks->end())
    m_bookmarks->erase(inside);
  else
    m_bookmarks->insert(std::upper_bound(m_bookmarks->begin(), m_bookmarks->end(), at), at);
  UpdateLines();
}

void DisassemblyView::NextBookmark(bool forward) {
  while (!m_bookmarks->empty()) {
    const int c = std::clamp(m_cache->Cursor(), 0, m_cache->Visible() - 1);
    const uint32_t here = m_cache->Line(c).address;
    uint32_t target;
    if (forward) {
      auto it = std::upper_bound(m_bookmarks->begin(), m_bookmarks->end(), here);
      target = it == m_bookmarks->end() ? m_bookmarks->front() : *it;
    } else {
      auto it = std::lower_bound(m_bookmarks->begin(), m_bookmarks->end(), here);
      target = it == m_bookmarks->begin() ? m_bookmarks->back() : *(it - 1);
    }
    if (m_cache->ScrollToCodeAddress(target)) {
      m_cache->SetCursor(0);
      SetThumb();
      UpdateLines();
      return;
    }
    // A bookmark the listing no longer has goes.
    m_bookmarks->erase(std::find(m_bookmarks->begin(), m_bookmarks->end(), target));
  }
}

void DisassemblyView::ClearBookmarks() {
  m_bookmarks->clear();
  UpdateLines();
}

void DisassemblyView::ShowCodeAt() {
  std::string text;
  if (!m_host.askText || !m_host.askText("Show Code at Address", "Address:", &text) || text.empty()) return;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  uint8_t result[52] = {};
  if (r && r->DbgControl && r->DbgControl(kDbgCtlEvalAddress, intptr_t(text.c_str()), intptr_t(result)) == 0) {
    uint32_t address;
    std::memcpy(&address, result + 12, 4);
    if (!ScrollToCodeAddress(address)) Beep();
    return;
  }
  // A text the driver cannot evaluate goes to it as its own command, which
  // reports the address it names. A driver that names none (a typo, a
  // command it does not know) leaves the view where it was: no position to
  // walk the listing to.
  if (!r || !m_host.execute) return Beep();
  constexpr uint32_t kNoneReported = 0xFFFFFFFFu;
  const uint32_t before = r->shownAddress;
  r->shownAddress = kNoneReported;
  m_host.execute("U " + text + "\n");
  const uint32_t reported = r->shownAddress;
  if (reported == kNoneReported) {
    r->shownAddress = before;
    return Beep();
  }
  if (!ScrollToCodeAddress(reported)) Beep();
}

}  // namespace pm2
