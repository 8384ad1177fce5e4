// The memory window: four pages ("Memory #1".."Memory #4"), each showing
// target memory from an address expression typed into its address bar, in
// one of eleven formats; values are changed through the page's context menu.
#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "debugger/model/memory_format.h"
#include "toolkit/core/window_fonts.h"

class QLineEdit;
class QLabel;
class QScrollBar;
class QMenu;

namespace pm2 {

class SEC3DTabWnd;
class ValueTip;

// What the pages need of the session.
struct MemoryHost {
  std::function<DebugInterface*()> record;  // null: no session
  std::function<bool()> active;
  std::function<int()> toolset;             // the current target's toolset
  std::function<bool()> bigEndian;          // the device is big-endian
  std::function<void()> beep;
  // A refusal's reason for the user (an address the project could not keep).
  std::function<void(const std::string&)> say;
  // The entry dialog: title, example, the text entered; false on Cancel.
  std::function<bool(const std::string& title, const std::string& example, std::string* text)> askValues;
  // The target's memory was written here: every window that shows the
  // target reads it again (the watch windows too).
  std::function<void()> written;
};

class MemoryPage : public QWidget {
 public:
  MemoryPage(const MemoryHost& host, int number, QWidget* parent);

  // Re-evaluates the address and redraws (the target stopped).
  void Update();
  // 0..10 a format; kMemToggleDecimal toggles decimal.
  void SetFormat(int format);
  // Enter in the address bar.
  void EvaluateEntered();
  // The modify entry of the context menu, at an address.
  void ModifyMemory(uint64_t address);
  void ScrollBy(int rows);   // lines; pages are rows * visible
  void ScrollPage(bool down);

  QLineEdit* AddressEdit() const { return m_edit; }
  bool Valid() const { return m_valid; }
  uint64_t Base() const { return m_base; }
  int64_t TopRow() const { return m_top; }
  const MemLook& Look() const { return m_look; }
  const MemGeometry& Geometry() const { return m_geometry; }
  int BytesRead() const { return m_read; }
  // The row texts as drawn (address and values).
  std::vector<std::string> Rows() const;
  bool HitTest(QPoint at, uint64_t* address) const;
  // Where the values of a row lie: [start, end) in pixels, one per column.
  std::vector<std::pair<int, int>> ValueSpans() const;
  // The middle of the first value shown (the page's coordinates).
  QPoint FirstValueCentre() const;
  std::string AddressText(uint64_t address) const;
  void ThumbTracked(int position);
  void ThumbReleased();
  QMenu* BuildContextMenu(QPoint at);
  // The memory window's font and colours of the shared window settings:
  // when they differ from the page's, the page takes them and is laid out,
  // read and drawn again (its value tip made again in the new font).
  void RefreshIfChanged(const WindowFonts& settings);
  QColor TextColour() const { return m_text; }
  QColor BackColour() const { return m_back; }
  // The settings the page compares with whenever it comes to the front.
  void ShareSettings(const WindowFonts* settings) { m_shared = settings; }

  // What the page keeps between sessions: its address text and its format
  // word (low byte the format, bit 8 decimal).
  std::string SavedText() const;
  uint16_t SavedFormat() const;
  // Puts a kept text and format back: the text is evaluated quietly (base 0
  // when it fails) and the format applied even when it is the one shown; a
  // format outside the table falls back to the first.
  void RestoreAddress(const std::string& text, uint16_t format);

 protected:
  void paintEvent(QPaintEvent*) override;
  void showEvent(QShowEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;

 private:
  void ComputeColumns();
  void ReadMemory();
  void UpdateScrollRange();
  bool Running() const;
  void SetLook();
  int RowHeight() const;
  int CharWidth() const;

  MemoryHost m_host;
  int m_number;
  QLineEdit* m_edit;
  QLabel* m_label;
  QScrollBar* m_bar;
  ValueTip* m_tip;
  MemLook m_look;
  MemGeometry m_geometry;
  bool m_valid = false;
  // The last address text entered or restored that the project can keep:
  // what the page is saved with.
  std::string m_kept;
  uint64_t m_base = 0;
  int64_t m_top = 0;
  bool m_editing = false;
  std::vector<uint8_t> m_buffer = std::vector<uint8_t>(kMemReadBuffer);
  int m_read = 0;  // bytes of the buffer that hold what was read
  QColor m_text{0, 0, 0};
  QColor m_back{255, 255, 255};
  const WindowFonts* m_shared = nullptr;
};

class MemoryWindow : public QWidget {
 public:
  MemoryWindow(const MemoryHost& host, QWidget* parent = nullptr);
  ~MemoryWindow() override;
  MemoryPage* Page(int n) const { return m_pages[size_t(n)]; }
  MemoryPage* ActivePage() const;
  void ActivatePage(int n);
  void UpdateAll();
  // The page in front takes the settings now, the others when they come
  // to the front (their tab's change).
  void ApplySettings(const WindowFonts& settings);
  // Service 29's end: the page in front reads again.
  void RefreshActive();

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  SEC3DTabWnd* m_tabs;
  std::array<MemoryPage*, 4> m_pages{};
  WindowFonts m_settings;
};

}  // namespace pm2
