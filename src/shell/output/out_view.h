// COutView: one page of the output window (the build page or the
// find-in-files page). A self-painted list of lines with extended
// selection, its own font and horizontal scrolling; the page's scroll bars
// belong to the tab window it sits in and are kept in step by the pane.
// What a line is comes from OutputPane (builder/runner/output_lines.h):
// the 1024-byte cut, the redraw-off (0xFF) and redraw-on (0xFE) texts, the
// null text that clears, and the build log.
#pragma once

#include <QFont>
#include <QWidget>
#include <string>

#include "builder/runner/output_lines.h"
#include "shell/output/output_list_model.h"
#include "toolkit/controls/tab_windows.h"

namespace pm2 {

class BuildLog;
class ShellServices;

class COutView : public QWidget, public OutputLineSink, public TabPaneScrollClient {
 public:
  // `log` is written only by the build pane and may be null. `shell`
  // beeps and asks the find questions; it must outlive the pane.
  COutView(PaneKind kind, BuildLog* log, ShellServices& shell, QWidget* parent = nullptr);
  // The build pane closes an open log without its trailer.
  ~COutView() override;

  // A line as the build prints it: null clears, 0xFF/0xFE switch redrawing.
  void AppendOutputLine(const char* text) { rules_.AppendOutputLine(text); }

  // Double click, Enter and F1 go here; without a target a jump beeps.
  void SetJumpTarget(MessageJumpTarget* target) { jump_ = target; }
  // Mode 0 opens the source of the line, mode 1 its help topic.
  void JumpToMessageSource(int index, int mode);

  // The output font (null or an empty family: the pane's default) and a
  // new layout with its measures.
  void ApplyFont(const QFont* font);
  static QFont DefaultFont();

  // Copy: the selected lines onto the clipboard; false when none is selected.
  bool Copy();
  // Find next from the first selected line; true on a hit (then the only
  // selected line).
  bool FindNext(const std::string& text, const FindOptions& options);

  PaneKind Kind() const { return kind_; }
  const OutputListModel& Model() const { return model_; }
  OutputListModel& Model() { return model_; }
  bool IsRedrawOn() const { return redraw_; }

  // Puts the model's positions into the tab window's bars when this pane
  // is the active one.
  void SyncScrollBars();
  // True while arriving lines have moved the model and the bars are still
  // to follow (at the next turn of the event loop).
  bool BarsPending() const { return barsPending_; }

  // OutputLineSink. Clearing also turns redrawing back on, so a tool run
  // that ended without its redraw-on text can't hide the next build.
  void Clear() override;
  void SetRedraw(bool on) override;
  void AddLine(std::string text) override;
  void LongestLineChanged(size_t chars) override;
  // TabPaneScrollClient
  void OnTabWndScroll(int bar, int value) override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void showEvent(QShowEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void keyReleaseEvent(QKeyEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  void focusOutEvent(QFocusEvent*) override;

 private:
  void Relayout();
  void Changed();  // repaint and bars, unless redrawing is off
  // Lines arrive one call each, often thousands in a row: the bars are set
  // once for the lot when the event loop next turns, as the repaint is.
  void SyncScrollBarsLater();
  QScrollBar* Bar(int bar) const;

  PaneKind kind_;
  BuildLog* log_;
  ShellServices& shell_;
  OutputPane rules_;
  OutputListModel model_;
  MessageJumpTarget* jump_ = nullptr;
  QFont font_;
  bool redraw_ = true;
  bool dirty_ = false;     // lines changed while redrawing was off
  bool syncing_ = false;   // the bars are being set from the model
  bool barsPending_ = false;  // a sync is queued for the next event-loop turn
  bool dragging_ = false;
};

}  // namespace pm2
