#pragma once
// SECStatusBar: the main frame's status bar, a row of panes each bound to a
// command id whose string gives its first text and its width, with a size
// grip in the bottom-right corner. It stands alone as a plain widget: the
// frame lays it out at its bottom (height from sizeHint()). On request it
// lays the progress control over one pane.
//
// Pane texts reach the screen once: a text set with `update` shows at
// once, one set without it when the bar next paints; the same text again
// repaints nothing. The pane layout is SECStatusBarModel's.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/frames/status_bar_model.h"

namespace pm2 {

class SECProgressCtrl;

class SECStatusBar : public QWidget, private StatusBarSink {
 public:
  // The size grip is on unless the parent's window cannot be resized.
  explicit SECStatusBar(QWidget* parent = nullptr);
  ~SECStatusBar() override;

  bool SizeGripStyle() const { return m_sizeGripStyle; }

  // See SECStatusBarModel::SetIndicators; widths are measured in the bar's
  // font and id-0 panes take a quarter of the screen's width.
  bool SetIndicators(const CommandId* ids, int count, const ResourceTables& strings);
  int GetCount() const { return m_model.GetCount(); }
  int CommandToIndex(CommandId id) const { return m_model.CommandToIndex(id); }
  // A pane's rectangle in the bar's coordinates; empty for a bad index.
  QRect GetItemRect(int index) const;
  std::uint32_t GetPaneStyle(int index) const { return m_model.GetPaneStyle(index); }
  void SetPaneStyle(int index, std::uint32_t style) { m_model.SetPaneStyle(index, style); }
  bool SetPaneText(int index, std::string_view text, bool update = true) {
    return m_model.SetPaneText(index, text, update);
  }
  const std::string& GetPaneText(int index) const { return m_model.GetPaneText(index); }
  void UpdateAllPanes(bool rects, bool texts) { m_model.UpdateAllPanes(rects, texts); }

  // The message pane (id 0): 0 when set, -1 when the bar has none.
  int SetWindowText(std::string_view text) { return m_model.SetWindowText(text); }
  std::string GetWindowText() const { return m_model.GetWindowText(); }

  void SetMinHeight(int height);
  // Pane states from the command update handlers; see the model.
  void UpdateCmdUI(const CommandRouter& router, bool disableIfNoHandler = true) {
    m_model.UpdateCmdUI(router, disableIfNoHandler);
  }

  // The progress control laid over pane `index` (made on first use, kept
  // over the pane when the bar is laid out again); null for a bad index.
  SECProgressCtrl* ShowProgress(int index);
  void HideProgress();
  SECProgressCtrl* Progress() const { return m_progress; }
  // Pane under the progress control, -1 while it is hidden.
  int ProgressPane() const { return m_progressPane; }

  const SECStatusBarModel& Model() const { return m_model; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  // Draws an owner-drawn pane (style sbps::kOwnerDraw) inside its borders;
  // the bar itself draws nothing there.
  virtual void DrawItem(QPainter& /*p*/, int /*index*/, const QRect& /*rect*/) {}
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  bool event(QEvent*) override;

 private:
  void TextSent(int index) override;
  void PartsSet(const std::vector<int>& rightEdges) override;
  void Relayout();
  void PlaceProgress();
  bool GripShown() const;

  SECStatusBarModel m_model;
  bool m_sizeGripStyle = true;
  QPointer<SECProgressCtrl> m_progress;
  int m_progressPane = -1;
  bool m_painting = false;  // texts sent while painting need no repaint
};

}  // namespace pm2
