// The debugger's side of an editor window: the margin's marks (code lines,
// breakpoints, executed code, the program counter's arrow, the shown
// position), breakpoints set from the editor with and without a debug
// session, and value tips of the word under the mouse. Everything about
// the session and the project comes through an EditorDebugLink.
#pragma once

#include <QObject>
#include <QPoint>
#include <string>

#include <functional>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "editor/document/code_lines.h"
#include "editor/text/edit_line.h"

class QPainter;
class QTimer;
class QRect;

namespace pm2 {

class EditorView;
class ValueTip;

// What the margin needs of the program: the session's record and the
// project's stored breakpoints. The frame implements it.
class EditorDebugLink {
 public:
  virtual ~EditorDebugLink() = default;
  // The active driver record during a session, else null.
  virtual DebugInterface* SessionRecord() = 0;
  // The record's shown position (also outside a session).
  virtual uint32_t ShownPosition() = 0;
  // The file is a source file of the project.
  virtual bool InProject(const std::string& path) = 0;
  // The current target exists and creates debug information.
  virtual bool DebugInfoOn() = 0;
  virtual void ApplyStored(CEditLine* first, const std::string& fileName) = 0;
  virtual void ToggleStored(CEditLine* line, const std::string& fileName) = 0;
  virtual bool ToggleStoredEnable(CEditLine* line, const std::string& fileName) = 0;
  // The text was saved: the file's stored breakpoints take the lines they
  // now mark (those of deleted lines are removed).
  virtual void SettleStored(const CEditLine* first, const std::string& fileName) = 0;
  virtual void ClearShownPosition() = 0;
  // A breakpoint changed from an editor (other windows redraw their marks).
  virtual void BreakpointsChanged() = 0;
  // The context menu's debugger entries, on the code address of its line.
  // The disassembly window shows the address (opened when needed).
  virtual void ShowDisassemblyAt(uint32_t address) = 0;
  // The program counter is set to the address and shown as at a stop.
  virtual void SetProgramCounter(uint32_t address) = 0;
  // The target runs until it reaches the address.
  virtual void RunToAddress(uint32_t address) = 0;
  // The driver forgets the executed code; the marks are drawn again.
  virtual void ClearCoverage() = 0;
  // The expression goes to watch page 1 or 2; false when it cannot.
  virtual bool AddToWatch(int page, const std::string& expression) = 0;
};

class EditorMargin : public QObject {
 public:
  EditorMargin(EditorView& view, EditorDebugLink* const* link);

  // The marks again: in a session the driver's line table, outside one
  // the stored breakpoints. `renumber` (a text just loaded or saved) gives
  // every line its number as debugger word; otherwise the words stay with
  // the lines they were given to, wherever those moved.
  void LoadMarks(bool renumber);
  // The text was saved under another name: the marks of the file it is
  // now, one of the project's or not (the file it was read from keeps its
  // stored breakpoints where they were).
  void Renamed();
  // The program counter's line in this file (0: none), found again.
  uint32_t FindPcLine();
  uint32_t PcLine() const { return m_pcLine; }
  bool InProject() const { return m_inProject; }
  // The driver's line table of the file was not empty at the last load.
  bool HasLineInfo() const { return !m_code.Empty(); }
  // The caret line lies inside the window's whole rows.
  bool CaretLineVisible() const;
  // An update hint; true when the margin handled it.
  bool OnHint(uint32_t hint);

  bool CanInsertBreakpoint() const;
  bool CanEnableBreakpoint() const;
  // Commands 35012 and 35017 at the caret line; false (after a beep) when
  // the line takes none.
  bool ToggleBreakpoint();
  bool ToggleBreakpointEnable();
  // The caret line's code address; false when it has none.
  bool CaretLineAddress(uint32_t* address) const;

  // The value tip's text for the word at a viewport point ("" none).
  std::string TipAt(const QPoint& point);

  void Paint(QPainter& p, const QRect& cell, const CEditLine& line);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  EditorDebugLink* Link() const { return *m_link; }
  DebugInterface* Record() const;
  std::string FileName() const;
  // The file is one of the project's as the breakpoint commands take it:
  // in a session as its line table was loaded, outside one as the project
  // has it now (a file taken out of it since the marks were loaded is no
  // longer one).
  bool InProjectNow() const;
  CEditLine* CaretLine() const;
  void Repaint();
  // The saved text: stored breakpoints take their lines' numbers, the
  // lines are numbered again.
  void Settle();
  void ShowTipAt(QPoint viewportPoint);
  // Hints 0x12341001 and 0x12341003: the program counter's line in view.
  void ShowPcLine();
  // Hint 0x12348000: the debugger's shown address in view, when its source
  // line lies in this file.
  void ShowShownPosition();
  // The code of a line with code: its ranges in the line table.
  std::vector<CodeRange> CodeOf(const CEditLine& line) const;
  static std::function<uint32_t(uint32_t, int32_t)> Query(DebugInterface* r);

  EditorView& m_view;
  EditorDebugLink* const* m_link;
  bool m_inProject = false;
  uint32_t m_pcLine = 0;
  CodeLines m_code;  // the driver's line table of the file in a session
  uint32_t m_numberedLines = 0;  // lines of the text when it was last numbered
  QPoint m_lastTip{-1, -1};
  ValueTip* m_tip = nullptr;  // the value bubble, made on first use
  QTimer* m_tipTimer = nullptr;  // the rest before a tip shows
  QTimer* m_tipPop = nullptr;    // how long a shown tip stays
  QPoint m_restAt{-1, -1};
};

}  // namespace pm2
