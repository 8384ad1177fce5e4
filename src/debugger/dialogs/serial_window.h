// A serial window: a terminal on one of the target's serial channels. It
// shows its terminal buffer as text (ASCII mode) or as hexadecimal values
// (hex mode), newest output at the bottom; characters typed into it go to
// the driver. The buffer outlives the window, so a window opened later
// shows what arrived before.
#pragma once

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QWidget>
#include <functional>

#include "debugger/model/serial_terminal.h"
#include "toolkit/core/window_fonts.h"

class QScrollBar;

namespace pm2 {

// The serial windows' own mark (their frames and tabs): a small terminal.
const QIcon& SerialWindowIcon();

class SerialWindow : public QWidget {
 public:
  // input: a typed character for the driver (window number, character).
  SerialWindow(int number, SerialTerminal& terminal, bool hexMode, std::function<void(int, uint16_t)> input,
               QWidget* parent = nullptr);

  int Number() const { return m_number; }
  void SetHexMode(bool hex);
  void Clear();
  // Received characters (the buffer takes them, the view follows them).
  void WriteBytes(const uint8_t* bytes, int count);
  void WriteWords(const uint16_t* chars, int count);

  // The rows as painted (for tests and the gallery): the visible rows' texts.
  std::vector<std::string> VisibleRows() const;
  int TopRow() const { return m_top; }
  int HorizontalOffset() const { return m_offset; }
  int RowCount() const;
  // Everything the window holds, scrolled out of sight or not.
  const SerialTerminal& Terminal() const { return m_terminal; }
  // The window's block of the shared window settings: font, text and
  // background colour; laid out and drawn again.
  void ApplySettings(const SerialWindowBlock& block);
  QColor TextColour() const { return m_text; }
  QColor BackColour() const { return m_back; }
  // Told when the user switches between ASCII and hex mode.
  std::function<void(bool hex)> modeChanged;
  // A bell received in ASCII mode (the session's beep in the program).
  std::function<void()> beep = [] { QApplication::beep(); };

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  bool event(QEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;
  void wheelEvent(QWheelEvent*) override;

 private:
  // The one geometry: character cell, visible rows and columns, the text
  // area left of the scroll bar.
  void Layout();
  void FollowNewest();
  void ScrollTo(int top);
  void ScrollHorizontally(int offset);
  void UpdateHorizontalBar();
  void Received();
  void Bell(uint16_t c);
  QRect TextArea() const;

  int m_number;
  SerialTerminal& m_terminal;
  bool m_hex;
  QColor m_text{0, 0, 0};
  QColor m_back{255, 255, 255};
  std::function<void(int, uint16_t)> m_input;
  QScrollBar* m_vbar;
  QScrollBar* m_hbar;  // ASCII mode: lines wider than the window
  int m_offset = 0;    // horizontal pixel offset
  int m_charWidth = 8, m_lineHeight = 16;
  int m_visibleRows = 1, m_visibleColumns = 1;
  int m_top = 0;         // first shown row
  bool m_follow = true;  // the view shows the newest rows
  bool m_pending = false;
};

}  // namespace pm2
