#include "debugger/dialogs/serial_window.h"

#include <QPixmap>

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include <QApplication>

#include "toolkit/controls/window_font_qt.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

const QIcon& SerialWindowIcon() {
  // A terminal screen with a prompt, 16 x 16, drawn once.
  static const QIcon icon = [] {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(0, 1, 15, 11);
    p.fillRect(2, 3, 12, 8, Qt::black);
    p.fillRect(5, 13, 6, 2, QColor(128, 128, 128));
    p.setPen(QColor(0, 255, 0));
    p.drawLine(3, 5, 4, 6);
    p.drawLine(4, 6, 3, 7);
    p.drawLine(6, 8, 9, 8);
    return QIcon(pm);
  }();
  return icon;
}

SerialWindow::SerialWindow(int number, SerialTerminal& terminal, bool hexMode, std::function<void(int, uint16_t)> input,
                           QWidget* parent)
    : QWidget(parent), m_number(number), m_terminal(terminal), m_hex(hexMode), m_input(std::move(input)),
      m_vbar(new QScrollBar(Qt::Vertical, this)), m_hbar(new QScrollBar(Qt::Horizontal, this)) {
  setObjectName(QString("SerialWindow%1").arg(number + 1));
  setWindowTitle(QString("Serial #%1").arg(number + 1));
  setFocusPolicy(Qt::StrongFocus);
  setFont(WindowFixedFont());
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(m_vbar, &QScrollBar::valueChanged, this, [this](int v) {
    if (v == m_top) return;
    m_top = v;
    m_follow = m_top >= RowCount() - m_visibleRows;
    update();
  });
  connect(m_hbar, &QScrollBar::valueChanged, this, [this](int v) {
    m_offset = v;
    update();
  });
  Layout();
}

void SerialWindow::ApplySettings(const SerialWindowBlock& block) {
  m_text = ColourOfRecord(block.text);
  m_back = ColourOfRecord(block.background);
  setFont(FontOfEntry(block.font, WindowFixedFont()));
  Layout();
  update();
}

int SerialWindow::RowCount() const { return m_hex ? m_terminal.HexRowCount() : m_terminal.LineCount(); }

QRect SerialWindow::TextArea() const {
  const int barH = m_hex ? 0 : m_hbar->sizeHint().height();
  return QRect(0, 0, std::max(0, width() - m_vbar->sizeHint().width()), std::max(0, height() - barH));
}

void SerialWindow::Layout() {
  const QFontMetrics fm(font());
  m_charWidth = std::max(1, std::max(fm.averageCharWidth(), fm.horizontalAdvance('W')));
  m_lineHeight = std::max(1, fm.height() + fm.leading());
  const int barW = m_vbar->sizeHint().width();
  const QRect area = TextArea();
  m_vbar->setGeometry(width() - barW, 0, barW, area.height());
  m_hbar->setVisible(!m_hex);
  m_hbar->setGeometry(0, area.height(), area.width(), height() - area.height());
  m_visibleColumns = std::max(1, area.width() / m_charWidth);
  m_visibleRows = std::clamp(area.height() / m_lineHeight, 1, 256);
  int cells = m_visibleColumns / 4 + (m_visibleColumns % 4 == 3 ? 1 : 0);
  m_terminal.SetCellsPerRow(std::max(1, cells));
  FollowNewest();
  UpdateHorizontalBar();
}

// ASCII mode: the bar runs over what the longest line is wider than the window.
void SerialWindow::UpdateHorizontalBar() {
  const int range = m_hex ? 0 : std::max(0, (m_terminal.LongestLine() - m_visibleColumns) * m_charWidth);
  const QSignalBlocker block(m_hbar);
  m_hbar->setRange(0, range);
  m_hbar->setPageStep(5 * m_charWidth);
  m_hbar->setSingleStep(1);
  m_hbar->setEnabled(range > 0);
  m_offset = std::clamp(m_offset, 0, range);
  m_hbar->setValue(m_offset);
}

void SerialWindow::ScrollHorizontally(int offset) {
  if (m_hex) return;
  m_offset = std::clamp(offset, 0, m_hbar->maximum());
  const QSignalBlocker block(m_hbar);
  m_hbar->setValue(m_offset);
  update();
}

void SerialWindow::FollowNewest() {
  const int maxTop = std::max(0, RowCount() - m_visibleRows);
  if (m_follow || m_top > maxTop) m_top = maxTop;
  const QSignalBlocker block(m_vbar);
  m_vbar->setRange(0, maxTop);
  m_vbar->setPageStep(m_visibleRows);
  m_vbar->setValue(m_top);
  m_vbar->setEnabled(maxTop > 0);
}

void SerialWindow::ScrollTo(int top) {
  const int maxTop = std::max(0, RowCount() - m_visibleRows);
  m_top = std::clamp(top, 0, maxTop);
  m_follow = m_top >= maxTop;
  FollowNewest();
  update();
}

void SerialWindow::SetHexMode(bool hex) {
  if (hex == m_hex) return;
  m_hex = hex;
  m_follow = true;
  if (modeChanged) modeChanged(hex);
  Layout();
  update();
}

void SerialWindow::Clear() {
  m_terminal.Reset();
  m_follow = true;
  m_offset = 0;
  Layout();
  update();
}

void SerialWindow::Received() {
  // A received character returns the view to the newest output; painting
  // waits for the event loop so that a burst costs one repaint.
  m_follow = true;
  if (m_pending) return;
  m_pending = true;
  QTimer::singleShot(0, this, [this] {
    m_pending = false;
    FollowNewest();
    UpdateHorizontalBar();
    update();
  });
}

void SerialWindow::WriteBytes(const uint8_t* bytes, int count) {
  for (int i = 0; i < count; ++i) {
    Bell(bytes[i]);
    m_terminal.PutChar(bytes[i]);
  }
  Received();
}

void SerialWindow::WriteWords(const uint16_t* chars, int count) {
  for (int i = 0; i < count; ++i) {
    Bell(chars[i]);
    m_terminal.PutChar(chars[i]);
  }
  Received();
}

// ASCII mode shows the low 8 bits of a character, a bell among them.
void SerialWindow::Bell(uint16_t c) {
  if (!m_hex && (c & 0xFF) == 7 && beep) beep();
}

std::vector<std::string> SerialWindow::VisibleRows() const {
  std::vector<std::string> rows;
  for (int r = 0; r < m_visibleRows && m_top + r < RowCount(); ++r)
    rows.push_back(m_hex ? m_terminal.HexRow(m_top + r) : m_terminal.Line(m_top + r));
  return rows;
}

void SerialWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.save();
  const QColor back = m_back, text = m_text;
  const QRect area = TextArea();
  p.fillRect(area, back);
  p.setPen(text);
  p.setFont(font());
  const QFontMetrics fm(font());
  const std::vector<std::string> rows = VisibleRows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int y = int(i) * m_lineHeight;
    p.drawText(QPoint(area.left() - (m_hex ? 0 : m_offset), y + fm.ascent()),
               QString::fromLatin1(rows[i].data(), int(rows[i].size())));
  }
  if (hasFocus() && m_follow) {
    // The caret at the current column of the newest row.
    const int row = int(rows.size()) - 1;
    const int col = m_hex ? m_terminal.HexColumn() : m_terminal.Column();
    const int x = area.left() + col * m_charWidth - (m_hex ? 0 : m_offset);
    if (row >= 0 && x >= area.left()) p.fillRect(QRect(x, row * m_lineHeight, 2, m_lineHeight), text);
  }
  p.restore();
}

void SerialWindow::resizeEvent(QResizeEvent*) { Layout(); }

bool SerialWindow::event(QEvent* e) {
  // A terminal: a plain key that types a character is the driver's, not a
  // shortcut of the frame; keys without one (F5), the Ctrl and Alt
  // shortcuts and Esc (Stop Running's key, as the menu shows it) stay the
  // frame's. An Esc the frame does not use (no run to stop, no editor to
  // go back to) still reaches the terminal.
  if (e->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (!key->text().isEmpty() && key->key() != Qt::Key_Escape &&
        !(key->modifiers() & (Qt::AltModifier | Qt::ControlModifier))) {
      e->accept();
      return true;
    }
  }
  return QWidget::event(e);
}

void SerialWindow::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_PageUp: return ScrollTo(m_top - m_visibleRows);
    case Qt::Key_PageDown: return ScrollTo(m_top + m_visibleRows);
    case Qt::Key_Up: return ScrollTo(m_top - 1);
    case Qt::Key_Down: return ScrollTo(m_top + 1);
    case Qt::Key_Left: return ScrollHorizontally(m_offset - 1);  // one pixel, as the bar's arrows
    case Qt::Key_Right: return ScrollHorizontally(m_offset + 1);
    case Qt::Key_Home: return ScrollTo(0);
    case Qt::Key_End:
      m_follow = true;
      FollowNewest();
      update();
      return;
    default:
      break;
  }
  const QByteArray chars = e->text().toLatin1();
  for (char c : chars)
    if (m_input) m_input(m_number, uint16_t(uint8_t(c)));
  if (chars.isEmpty()) QWidget::keyPressEvent(e);
}

void SerialWindow::wheelEvent(QWheelEvent* e) { ScrollTo(m_top - e->angleDelta().y() / 40); }

void SerialWindow::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  QAction* ascii = menu.addAction("ASCII mode");
  ascii->setCheckable(true);
  ascii->setChecked(!m_hex);
  QAction* hex = menu.addAction("Hex mode");
  hex->setCheckable(true);
  hex->setChecked(m_hex);
  menu.addSeparator();
  QAction* clear = menu.addAction("Clear window");
  QAction* chosen = menu.exec(e->globalPos());
  if (chosen == ascii) SetHexMode(false);
  if (chosen == hex) SetHexMode(true);
  if (chosen == clear) Clear();
}

}  // namespace pm2
