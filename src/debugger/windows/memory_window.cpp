#include "debugger/windows/memory_window.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <cstring>

#include "debugger/model/memory_space.h"
#include "toolkit/controls/value_tip.h"
#include "toolkit/controls/window_font_qt.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/tab_windows.h"
#include "project/edit/stored_setters.h"

namespace pm2 {

namespace {

// The 52-byte result record of DbgControl 2: the address in the word at 12.
struct EvalResult {
  uint8_t bytes[52] = {};
  uint32_t Address() const {
    uint32_t a;
    std::memcpy(&a, bytes + 12, 4);
    return a;
  }
};

constexpr int kMenuDecimal = kMemToggleDecimal;
// The decimal flag's bit in a kept format word.
constexpr uint16_t kMemSavedDecimal = 0x100;

}  // namespace

MemoryPage::MemoryPage(const MemoryHost& host, int number, QWidget* parent)
    : QWidget(parent),
      m_host(host),
      m_number(number),
      m_edit(new QLineEdit(this)),
      m_label(new QLabel("Address:", this)),
      m_bar(new QScrollBar(Qt::Vertical, this)),
      m_tip(nullptr) {
  setObjectName(QString("MemoryPage%1").arg(number));
  setFocusPolicy(Qt::StrongFocus);
  setFont(WindowFixedFont());
  m_edit->setObjectName("MemoryAddress");
  m_edit->setMaxLength(126);
  m_tip = new ValueTip(this, font());
  connect(m_edit, &QLineEdit::returnPressed, this, [this] { EvaluateEntered(); });
  connect(m_bar, &QScrollBar::actionTriggered, this, [this](int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: ScrollBy(1); break;
      case QAbstractSlider::SliderSingleStepSub: ScrollBy(-1); break;
      case QAbstractSlider::SliderPageStepAdd: ScrollPage(true); break;
      case QAbstractSlider::SliderPageStepSub: ScrollPage(false); break;
      default: break;
    }
  });
  connect(m_bar, &QScrollBar::sliderMoved, this, [this](int pos) { ThumbTracked(pos); });
  connect(m_bar, &QScrollBar::sliderReleased, this, [this] { ThumbReleased(); });
  SetLook();
}

void MemoryPage::RefreshIfChanged(const WindowFonts& settings) {
  const QFont f = FontOfEntry(settings.memory, WindowFixedFont());
  const QColor text = ColourOfRecord(settings.memoryText), back = ColourOfRecord(settings.memoryBackground);
  if (f == font() && text == m_text && back == m_back) return;
  m_text = text;
  m_back = back;
  if (f != font()) {
    setFont(f);
    delete m_tip;
    m_tip = new ValueTip(this, font());
    ComputeColumns();
  }
  Update();
  update();
}

void MemoryPage::showEvent(QShowEvent*) {
  if (m_shared) RefreshIfChanged(*m_shared);
}

int MemoryPage::RowHeight() const { return std::max(1, fontMetrics().height()); }
int MemoryPage::CharWidth() const { return std::max(1, fontMetrics().averageCharWidth()); }

bool MemoryPage::Running() const {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!r) return false;
  return (r->flags & 0x200) && (r->flags & kDbgFlagExecuting) && !(r->flags & 0x800);
}

void MemoryPage::SetLook() {
  m_look.arm = m_host.toolset ? MemArmGroup(m_host.toolset()) : true;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  const int family = r ? r->family : 3;
  m_look.swap = MemSwapBytes(family, m_host.bigEndian && m_host.bigEndian());
}

std::string MemoryPage::AddressText(uint64_t address) const {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  char buf[80] = {};
  if (r && r->DbgFormatAddress) {
    const int n = r->DbgFormatAddress(1, address, 0, buf);
    return std::string(buf, size_t(std::clamp(n, 0, 64)));
  }
  std::snprintf(buf, sizeof buf, "%08X", unsigned(address));
  return buf;
}

void MemoryPage::resizeEvent(QResizeEvent*) {
  const int barW = m_bar->sizeHint().width();
  m_label->setGeometry(4, 6, 60, 21);
  m_edit->setGeometry(66, 6, std::max(40, width() - 72), 21);
  m_bar->setGeometry(width() - barW, kMemBarHeight, barW, std::max(0, height() - kMemBarHeight));
  ComputeColumns();
}

void MemoryPage::ComputeColumns() {
  const int addressChars = m_host.record && m_host.record() && m_host.record()->DbgFormatAddress
                               ? int(AddressText(m_base).size())
                               : 8;
  const int widthChars = (width() - m_bar->sizeHint().width()) / CharWidth();
  m_geometry = MemLayout(m_look, height(), RowHeight(), widthChars, addressChars);
  if (m_host.active && m_host.active()) ReadMemory();
  UpdateScrollRange();
  update();
}

void MemoryPage::UpdateScrollRange() {
  int64_t size = 0x10000;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (r && r->DbgControl) size = r->DbgControl(15, intptr_t(m_base), 0);
  const int64_t max = m_valid ? MemScrollMax(m_look, m_geometry, size) : 0;
  m_top = std::clamp<int64_t>(m_top, 0, max);
  const QSignalBlocker block(m_bar);
  m_bar->setRange(0, int(std::min<int64_t>(max, 0x7FFFFFFF)));
  m_bar->setPageStep(std::max(1, m_geometry.rows));
  m_bar->setValue(int(m_top));
}

void MemoryPage::ReadMemory() {
  m_read = 0;
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!m_valid || !r || !r->DbgReadMemory || Running()) return;
  const int count = MemReadCount(m_look, m_geometry);
  if (count <= 0) return;
  const uint32_t first =
      MemSpaceAddress(m_base, uint64_t(m_look.Size()) * uint64_t(m_top) * uint64_t(m_geometry.columns));
  std::fill(m_buffer.begin(), m_buffer.end(), 0);
  // What was not read is not drawn; a page over the top of the space reads
  // on from address 0.
  m_read = MemReadSpace([r](uint64_t at, uint32_t n, uint8_t* out) { return r->DbgReadMemory(at, n, out); }, first,
                        count, m_buffer.data());
}

void MemoryPage::Update() {
  if (!(m_host.active && m_host.active()) || m_editing) return;
  SetLook();
  const QByteArray text = m_edit->text().left(126).toLocal8Bit();
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  EvalResult result;
  m_valid = !text.isEmpty() && r && r->DbgControl && r->DbgControl(kDbgCtlEvalAddress, intptr_t(text.constData()),
                                                                     intptr_t(result.bytes)) == 0;
  if (m_valid) m_base = result.Address();
  ComputeColumns();
}

void MemoryPage::EvaluateEntered() {
  // An address the project could not keep with the target is refused
  // here, and the last one it can keep comes back.
  if (const std::string why = DebugWindowTextRefusal(DebugWindowText::kMemoryAddress, m_edit->text().toStdString());
      !why.empty()) {
    if (m_host.beep) m_host.beep();
    if (m_host.say) m_host.say(why);
    m_edit->setText(QString::fromStdString(m_kept));
    return;
  }
  m_kept = m_edit->text().toStdString();
  const QByteArray text = m_edit->text().left(126).toLocal8Bit();
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  EvalResult result;
  m_valid = !text.isEmpty() && r && r->DbgControl && (!m_host.active || m_host.active()) &&
            r->DbgControl(kDbgCtlEvalAddress, intptr_t(text.constData()), intptr_t(result.bytes)) == 0;
  if (m_valid) {
    m_base = result.Address();
    m_top = 0;
  } else if (m_host.beep) {
    m_host.beep();
  }
  ComputeColumns();
}

void MemoryPage::SetFormat(int format) {
  if (format == kMemToggleDecimal) {
    m_look.decimal = !m_look.decimal;
  } else {
    if (format < 0 || format >= kMemFormatCount || format == m_look.format) return;
    m_look.format = format;
  }
  m_top = 0;
  ComputeColumns();
}

std::string MemoryPage::SavedText() const {
  // A text typed but never entered is saved when the project can keep it.
  const std::string typed = m_edit->text().toStdString();
  return DebugWindowTextRefusal(DebugWindowText::kMemoryAddress, typed).empty() ? typed : m_kept;
}

uint16_t MemoryPage::SavedFormat() const {
  return uint16_t((m_look.format & 0xFF) | (m_look.decimal ? kMemSavedDecimal : 0));
}

void MemoryPage::RestoreAddress(const std::string& text, uint16_t format) {
  m_edit->setText(QString::fromStdString(text));
  m_kept = text;
  const QByteArray typed = m_edit->text().left(126).toLocal8Bit();
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  EvalResult result;
  m_valid = !typed.isEmpty() && r && r->DbgControl &&
            r->DbgControl(kDbgCtlEvalAddress, intptr_t(typed.constData()), intptr_t(result.bytes)) == 0;
  m_base = m_valid ? result.Address() : 0;
  m_look.decimal = (format & kMemSavedDecimal) != 0;
  // A stored word may come from an edited file: an index beyond the table
  // would read past the format tables.
  const int index = format & 0xFF;
  m_look.format = index < kMemFormatCount ? index : 0;
  m_top = 0;
  ComputeColumns();
}

std::vector<std::string> MemoryPage::Rows() const {
  std::vector<std::string> rows;
  if (!m_valid) return rows;
  const int size = m_look.Size();
  const int perRow = size * m_geometry.columns;
  const int shown = m_geometry.rows + (m_geometry.partial ? 1 : 0);
  for (int row = 0; row < shown; ++row) {
    const int offset = row * perRow;
    const int available = std::max(0, std::min(m_read, kMemReadBuffer) - offset);
    const uint32_t address = MemSpaceAddress(m_base, uint64_t(perRow) * uint64_t(m_top + row));
    std::string line = AddressText(address) + ": ";
    if (available > 0) line += FormatMemRow(m_look, m_buffer.data() + offset, available, m_geometry.columns).text;
    rows.push_back(line);
  }
  return rows;
}

void MemoryPage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.save();
  p.fillRect(QRect(0, kMemBarHeight, width() - m_bar->width(), height() - kMemBarHeight), m_back);
  p.fillRect(QRect(0, 0, width(), kMemBarHeight), SysQColor(SysColor::BtnFace));
  if (m_valid) {
    p.setPen(m_text);
    p.setFont(font());
    const std::vector<std::string> rows = Rows();
    const int h = RowHeight();
    for (size_t i = 0; i < rows.size(); ++i)
      p.drawText(QRect(2, kMemBarHeight + int(i) * h, width(), h), Qt::AlignLeft | Qt::AlignVCenter,
                 QString::fromLatin1(rows[i].c_str()));
  }
  p.restore();
}

std::vector<std::pair<int, int>> MemoryPage::ValueSpans() const {
  // Every value of a format has its column's width (floats are padded to it).
  std::vector<std::pair<int, int>> spans;
  const int cw = CharWidth();
  const int w = m_look.Width();
  const int shown = m_look.format == kMemAscii ? w : w - 1;  // the trailing blank is no part of it
  const int first = 2 + int(AddressText(m_base).size() + 2) * cw;
  for (int c = 0; c < m_geometry.columns; ++c) spans.emplace_back(first + c * w * cw, first + (c * w + shown) * cw);
  return spans;
}

bool MemoryPage::HitTest(QPoint at, uint64_t* address) const {
  const std::vector<std::pair<int, int>> spans = ValueSpans();
  MemHitInput in;
  in.valid = m_valid;
  in.x = at.x();
  in.y = at.y();
  in.rowHeight = RowHeight();
  in.charWidth = CharWidth();
  in.base = m_base;
  in.topRow = m_top;
  in.columns = m_geometry.columns;
  in.rowsShown = m_geometry.rows + (m_geometry.partial ? 1 : 0) - 1;
  in.spans = &spans;
  return MemHitTest(m_look, in, address);
}

QPoint MemoryPage::FirstValueCentre() const {
  const std::vector<std::pair<int, int>> spans = ValueSpans();
  return QPoint((spans[0].first + spans[0].second) / 2, kMemBarHeight + RowHeight() / 2);
}

void MemoryPage::ScrollBy(int rows) {
  const int64_t before = m_top;
  m_top = std::clamp<int64_t>(m_top + rows, 0, m_bar->maximum());
  if (m_top == before) return;
  {
    const QSignalBlocker block(m_bar);
    m_bar->setValue(int(m_top));
  }
  if (m_host.active && m_host.active()) ReadMemory();
  update();
}

void MemoryPage::ScrollPage(bool down) {
  const int page = std::max(1, m_geometry.rows - (m_geometry.partial ? 0 : 0));
  ScrollBy(down ? page : -page);
}

void MemoryPage::ThumbTracked(int position) {
  const uint32_t address =
      MemSpaceAddress(m_base, uint64_t(m_look.Size()) * uint64_t(m_geometry.columns) * uint64_t(position));
  m_tip->ShowText(QString::fromStdString("Addr=" + AddressText(address)));
}

void MemoryPage::ThumbReleased() {
  m_tip->Hide();
  ScrollBy(m_bar->value() - int(m_top));
}

void MemoryPage::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_Home: ScrollPage(false); return;
    case Qt::Key_PageDown:
    case Qt::Key_End: ScrollPage(true); return;
    case Qt::Key_Up: ScrollBy(-1); return;
    case Qt::Key_Down: ScrollBy(1); return;
    default: QWidget::keyPressEvent(e);
  }
}

void MemoryPage::wheelEvent(QWheelEvent* e) { ScrollBy(e->angleDelta().y() > 0 ? -3 : 3); }

QMenu* MemoryPage::BuildContextMenu(QPoint at) {
  auto* menu = new QMenu(this);
  menu->setObjectName("MemoryMenu");
  auto add = [this](QMenu* m, const char* text, int format) {
    QAction* a = m->addAction(text);
    a->setCheckable(true);
    a->setChecked(format == kMenuDecimal ? m_look.decimal : m_look.format == format);
    connect(a, &QAction::triggered, this, [this, format] { SetFormat(format); });
  };
  add(menu, "&Decimal", kMenuDecimal);
  QMenu* u = menu->addMenu("&Unsigned");
  add(u, "&Char", kMemUChar);
  add(u, "&Int", kMemUInt);
  add(u, "&Short", kMemUShort);
  add(u, "&Long", kMemULong);
  QMenu* s = menu->addMenu("&Signed");
  add(s, "&Char", kMemSChar);
  add(s, "&Int", kMemSInt);
  add(s, "&Short", kMemSShort);
  add(s, "&Long", kMemSLong);
  add(menu, "&Ascii", kMemAscii);
  add(menu, "&Float", kMemFloat);
  add(menu, "D&ouble", kMemDouble);
  uint64_t address = 0;
  if (HitTest(at, &address)) {
    menu->addSeparator();
    QAction* a = menu->addAction(QString::fromStdString("&Modify Memory at " + AddressText(address)));
    connect(a, &QAction::triggered, this, [this, address] { ModifyMemory(address); });
  }
  return menu;
}

void MemoryPage::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = BuildContextMenu(e->pos());
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

void MemoryPage::ModifyMemory(uint64_t address) {
  DebugInterface* r = m_host.record ? m_host.record() : nullptr;
  if (!r || !m_host.askValues) return;
  std::string text;
  const std::string at = AddressText(address);
  if (!m_host.askValues(MemEntryTitle(m_look.format, at), MemEntryExample(m_look.format), &text)) return;
  if (text.size() > 128) text.resize(128);
  m_editing = true;
  int result = 1;
  if (m_look.format == kMemAscii) {
    const std::string bytes = MemAsciiBytes(text);
    result = r->DbgWriteMemory ? int(r->DbgWriteMemory(address, uint32_t(bytes.size()), bytes.data())) : 1;
  } else {
    const std::string command = MemWriteCommand(m_look.format, at, text);
    result = r->DbgControl ? int(r->DbgControl(3, intptr_t(command.c_str()), 0)) : 1;
  }
  if (result != 0 && m_host.beep) m_host.beep();
  m_editing = false;
  // A refused write may have written part of its values.
  if (m_host.written)
    m_host.written();
  else
    Update();
}

MemoryWindow::MemoryWindow(const MemoryHost& host, QWidget* parent)
    : QWidget(parent), m_tabs(new SEC3DTabWnd(this)) {
  setObjectName("MemoryWindow");
  for (int i = 0; i < 4; ++i) {
    m_pages[size_t(i)] = new MemoryPage(host, i + 1, m_tabs);
    m_pages[size_t(i)]->ShareSettings(&m_settings);
    m_tabs->AddTab(m_pages[size_t(i)], "Memory #" + std::to_string(i + 1));
  }
  m_tabs->ActivateTab(0);
}

// The tab window lets go of its pages when it goes (they belong to their
// owners): this window deletes the ones it made while the tabs are whole.
MemoryWindow::~MemoryWindow() {
  for (MemoryPage*& page : m_pages) {
    delete page;
    page = nullptr;
  }
}

void MemoryWindow::resizeEvent(QResizeEvent*) { m_tabs->setGeometry(rect()); }

MemoryPage* MemoryWindow::ActivePage() const {
  int index = 0;
  if (!m_tabs->GetActiveTab(&index) || index < 0 || index > 3) index = 0;
  return m_pages[size_t(index)];
}

void MemoryWindow::ActivatePage(int n) {
  if (n < 0 || n > 3) return;
  m_tabs->ActivateTab(n);
  m_pages[size_t(n)]->Update();
}

void MemoryWindow::ApplySettings(const WindowFonts& settings) {
  m_settings = settings;
  ActivePage()->RefreshIfChanged(m_settings);
}

void MemoryWindow::UpdateAll() {
  for (MemoryPage* p : m_pages) p->Update();
}

void MemoryWindow::RefreshActive() {
  ActivePage()->RefreshIfChanged(m_settings);
  ActivePage()->Update();
}

}  // namespace pm2
