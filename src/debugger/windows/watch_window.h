// A variable window of the debug bar (Locals, Watch #1, Watch #2): the
// watch model's rows in a two-column tree of our own control. F2 or a
// double click on the name edits a watch expression, a double click on the
// value (or F2 on it with Ctrl) assigns a new value through the driver,
// Delete removes an expression, the context menu sets the radix.
#pragma once

#include <functional>

#include "debugger/model/watch_model.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

class WatchWindow : public SECTreeCtrl {
  Q_OBJECT
 public:
  static constexpr unsigned kTreeId = 117;
  static constexpr int kCmdRadixHex = 35124, kCmdRadixDecimal = 35125;

  WatchWindow(bool locals, DebugInterface* const* record, WatchEnvironment env, QWidget* parent = nullptr);

  WatchModel& Model() { return m_model; }
  // The service calls: the model's, then the rows shown again.
  void Attach();
  void Refresh();
  void ClearValues();
  void Rebuild();
  // False, the reason said, for a text the project could not keep.
  bool AddExpression(const std::string& expression);
  void SetRadix(int radix);
  // The tree item of a model row (null when not shown).
  HTREEITEM ItemOf(const WatchItem* row);
  WatchItem* RowOf(HTREEITEM item);
  // Starts an edit of the selected row's name (column 0) or value (1);
  // false (after a beep) when refused.
  bool EditSelected(int column);
  // Where the radix commands of the context menu go (the frame's routing);
  // unset: straight to SetRadix.
  void SetCommandSink(std::function<void(int)> sink) { m_sink = std::move(sink); }

 protected:
  NotifyResult NotifyBeginLabelEdit(int item, int subItem) override;
  NotifyResult NotifyEndLabelEdit(int item, int subItem, std::string* text, bool commit) override;
  NotifyResult NotifyItemExpanding(TreeNode* node, unsigned code) override;
  NotifyResult NotifyItemExpanded(TreeNode* node, unsigned code) override;
  NotifyResult NotifyTreeGetDispInfo(TreeItemDesc& desc) override;
  void OnKeyEditLabel(int focus) override;
  void PickItemColors(SECListPaintContext& ctx) override;
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  // Rows added or removed: the tree is filled again; otherwise the value
  // texts are written.
  void Sync();
  void Fill(const std::vector<std::unique_ptr<WatchItem>>& rows, HTREEITEM parent);
  void WriteValues();
  HTREEITEM Insert(WatchItem* row, HTREEITEM parent);
  void Beep();

  WatchModel m_model;
  WatchEnvironment m_env;
  uint64_t m_shownStructure = 0;
  bool m_filling = false;
  std::function<void(int)> m_sink;
};

}  // namespace pm2
