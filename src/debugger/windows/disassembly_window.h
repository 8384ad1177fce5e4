// The disassembly window: the driver's listing (assembly, with the source
// lines between in mixed mode), a gutter with breakpoint boxes, bookmarks
// and the arrow at the program counter; keys, mouse, scroll bars and the
// context menu's commands.
#pragma once

#include <QColor>
#include <QWidget>
#include <QtGlobal>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "debugger/model/disasm_cache.h"
#include "debugger/windows/operation_progress.h"
#include "toolkit/core/window_fonts.h"

class QIcon;
class QMenu;
class QRawFont;
class QScrollBar;
class QTimer;

namespace pm2 {

class ValueTip;

// The window's own icon (its frame and its tab): a listing with the
// program counter's arrow, 16 x 16, drawn once.
const QIcon& DisassemblyWindowIcon();

struct DisassemblyHost {
  std::function<DebugInterface*()> record;
  std::function<bool()> active;
  std::function<void()> beep;
  std::function<void(uint32_t address)> runToCursor;
  std::function<void()> breakpointsChanged;  // every view that shows breakpoints
  std::function<bool(const std::string& title, const std::string& label, std::string* text)> askText;
  std::function<bool(std::string* path)> askFile;
  std::function<void(const std::string& command)> execute;
  std::function<void(const std::string& text)> message;
  std::function<bool(const std::string& text)> question;
  std::function<void(const std::string& text)> copy;  // to the clipboard
  // The main frame's commands the menu carries (show source, set the
  // program counter, inline assembly...): whether one is enabled, and
  // running it.
  std::function<bool(int id)> frameCommandEnabled;
  std::function<void(int id)> runFrameCommand;
  // The bookmarks of the project (kept by the owner so that a new window
  // of the same project finds them); null: the window keeps its own.
  std::vector<uint32_t>* bookmarks = nullptr;
  // The find dialog (text, direction, match case, whole word).
  std::function<void()> openFind;
  std::function<void(bool on)> waitCursor;
  // The progress of a long copy or search (none given: they run without).
  OperationProgressFactory progress;
  // The register pane: highlight a register item (a cursor line that
  // refers to one), or -1: refresh it whole (the cursor left such a line).
  std::function<void(int64_t item)> registerTie;
};

// The display modes (bits 7..9 of the record's window flags).
enum DisasmMode { kDisasmModeTrace = 0, kDisasmModeMixed = 1, kDisasmModeAssembly = 2 };

class DisassemblyView : public QWidget {
 public:
  DisassemblyView(const DisassemblyHost& host, QWidget* parent = nullptr);
  ~DisassemblyView() override;

  // The program counter in view (the target stopped).
  void GotoAddress(uint32_t address);
  void ScrollToAddress(uint32_t address);
  // The address a third of the way down with the scroll thumb following it
  // (mode 0); mode 2 fills the view again where it is.
  void ScrollToAddressAndSelect(uint32_t address, int mode);
  // The program counter in view; when its line is already shown the view
  // stays where it is and only the line states are read again.
  void GotoAddressIfCached(uint32_t address);
  bool ScrollToCodeAddress(uint32_t address);
  // Re-reads the breakpoint and PC states of the shown lines; the view stays.
  void UpdateLineStates();
  // The cursor line's class for the frame's breakpoint commands: 0 none,
  // 1 state 0x40, 2 state 0x100 alone.
  int CursorLineKind() const;
  // The frame's breakpoint commands on the cursor line: op 1 enables or
  // disables, op 2 inserts or removes; false without a code cursor line
  // or when the driver refuses.
  bool CursorLineBreakpoint(int op);
  // The cursor line is a code line with a breakpoint (enabled or not).
  bool CursorHasBreakpoint() const;
  // The arrow at the program counter is navy after the view followed the
  // PC, yellow once the user moved the view.
  bool PcFollow() const { return m_pcFollow; }
  void SetMode(int mode);
  int Mode() const;
  // The recorded history, its last entry (the program counter) a third of
  // the way down; beeps when the target runs or there is none.
  void ShowTraceRecords();
  bool InTraceView() const { return m_trace; }
  // The address range of the vertical scroll bar (0..6).
  void SetRange(int index);
  int Range() const { return m_range; }
  QScrollBar* VerticalBar() const { return m_vbar; }
  // A drag's auto-scroll: mouse moves with the left button arm the timer,
  // each tick follows the pointer (DragTick is what the timer runs).
  QTimer* DragTimer() const { return m_dragTimer; }
  void DragTick();

  // Commands of the context menu.
  void ToggleBreakpoint();
  void EnableBreakpoint();
  void RunToCursor();
  void Copy();
  // Copy has a line to take (the Edit menu's and Ctrl+C's rule too).
  bool CanCopy() const;
  void Find(const std::string& text, bool down, bool matchCase, bool wholeWord);
  // The frame's find box: the text with the last search's direction and
  // switches; an empty text opens the find dialog.
  void FindText(const std::string& text);
  // Clears the driver's code coverage and redraws every view's marks.
  void ClearCoverage();
  void LoadFile();
  void ToggleBookmark();
  void NextBookmark(bool forward);
  void ClearBookmarks();
  void ShowCodeAt();
  // The colours and font of the shared window settings; a new font lays
  // the window out again and makes its value tip again.
  void ApplySettings(const WindowFonts& settings);
  const QColor& Colour(int index) const { return m_colours[std::size_t(index)]; }

  DisasmCache& Cache() { return *m_cache; }
  int CursorLine() const { return m_cache->Cursor(); }
  bool CursorAddress(uint32_t* address) const;
  bool FrameEnabled(int id) const;
  void RunFrame(int id);
  const std::vector<uint32_t>& Bookmarks() const { return *m_bookmarks; }
  QMenu* BuildContextMenu();
  // The order of two lines of the listing: -1, 0, 1.
  int CompareLines(const DisasmLine& a, const DisasmLine& b) const { return m_cache->CompareRecords(a, b); }
  bool HasSelection() const { return m_anchor.kind != 0 && m_end.kind != 0; }
  // Where each line's gutter marks and text lie (one geometry for paint and hits).
  struct Geometry {
    int lineHeight = 1;
    int charWidth = 1;
    int gutter = 1;
    int visible = 1;
    QRect text;
  };
  Geometry Layout() const;
  int LineAt(QPoint at) const;  // -1: no whole line there
  // Repaints the lines (not the scroll bars).
  void UpdateLines();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;

 private:
  void PaintLine(QPainter& p, const Geometry& g, int i, int ascent);
  void PaintGutter(QPainter& p, const QRect& r, int i, unsigned marks);
  void Relayout();
  // The selection follows the cursor line (extend: Shift held or a drag).
  void FollowSelection(bool extend);
  // Fills the view from the line again, the cursor on the line it was on.
  void RefillKeepingCursor(DisasmLine first);
  // The register pane follows the cursor line's register item.
  void TieRegister();
  bool Selected(const DisasmLine& line) const;
  // Draws a line's text; plain ASCII as glyphs straight from the font.
  void DrawText(QPainter& p, int x, int baseline, const std::string& text);
  void BuildGlyphs();
  void SetThumb();
  // The scroll bar's range: the history in the trace view, else the address range.
  void ApplyRange();
  // Enters the trace view when the cache shows history lines and the driver
  // has a history, and leaves it when they are gone.
  void SyncTrace();
  void OnThumbReleased();
  int Family() const;
  uint32_t NextCodeAddress(const DisasmLine& line) const;
  void Beep();

  DisassemblyHost m_host;
  std::unique_ptr<RecordDisasmSource> m_source;
  std::unique_ptr<DisasmCache> m_cache;
  QScrollBar* m_vbar;
  QScrollBar* m_hbar;
  ValueTip* m_tip;
  std::array<QColor, kDisColours> m_colours;
  void SetListingFont(QFont font);
  std::vector<uint32_t> m_ownBookmarks;
  std::vector<uint32_t>* m_bookmarks;  // the host's list, else m_ownBookmarks
  struct Search {
    bool down = true, matchCase = false, wholeWord = false;
  } m_search;  // the last Find's switches
  bool m_pcFollow = false;
  bool m_registerTied = false;  // the pane highlights the cursor line's item
  DisasmLine m_anchor{}, m_end{};  // the selection; kind 0: not set
  // The glyphs of the printable ASCII characters of a fixed-pitch font
  // (listing text is ASCII): drawn without text layout. Empty: lay out.
  std::vector<quint32> m_glyphs;
  qreal m_advance = 0;
  std::unique_ptr<QRawFont> m_raw;
  uint32_t m_start = 0;
  int m_range = 0;
  bool m_trace = false;
  uint32_t m_traceEntries = 0;
  QTimer* m_dragTimer;
  QPoint m_dragAt;         // the pointer at the last move of a drag
  bool m_dragging = false;  // the left button is held since a press in the view
};

}  // namespace pm2
