// CPrjView: the project window's files page, a tree of the current
// target, its groups, their files and the include files those read,
// rebuilt from the project records after every structural change. Rename
// targets and groups in place, remove groups and files with Delete, move
// files between groups by dragging, open files by double click, and reach
// the project commands through the context menu.
#pragma once

#include <QPoint>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "shell/project_window/project_tree_model.h"
#include "toolkit/core/notify.h"
#include "toolkit/models/tree_node.h"

class QTimer;

namespace pm2 {

class SECTreeCtrl;
class ShellApp;
struct NodeRec;

// What the view asks of the main frame.
class ProjectViewOwner {
 public:
  virtual ~ProjectViewOwner() = default;
  virtual void OpenSelectedFile() = 0;                       // command 32708
  virtual void OpenIncludeFile(const std::string& localPath) = 0;
  virtual void ShowProjectContextMenu(QPoint globalPos) = 0;  // menu 143
  virtual void TargetNamesChanged() = 0;                      // refill the target box
};

class CPrjView : public QWidget, public NotifyListener {
 public:
  static constexpr unsigned kTreeId = 104;
  CPrjView(ShellApp& app, ProjectViewOwner& owner, QWidget* parent = nullptr);
  ~CPrjView() override;

  // Rebuilds the tree; flags bit 4 (16) shows an ARM target's include
  // lists as they stand.
  void FillTree(int flags = 1);
  void SetShowIncludes(bool on) { m_includes = on; }
  void SetFileProbe(FileProbe probe) { m_probe = std::move(probe); }
  // Scans a file for the include files shown under it (the build's own
  // reader); none: the lists stay as the last build left them.
  void SetIncludeScanner(std::function<void(ProjectRec*, TargetRec*, FileRec*)> scan) { m_scan = std::move(scan); }
  SECTreeCtrl* Tree() const { return m_tree; }
  // The tree item that shows a record (null when none).
  HTREEITEM ItemOf(const NodeRec* record) const;
  NodeRec* RecordOf(HTREEITEM item) const;
  // Delete key: removes the selected group or file after asking.
  void RemoveSelected();
  // Moves a dragged file onto a group or before a file; false (after a
  // beep) for any other drop target.
  bool DropFile(HTREEITEM dragged, HTREEITEM target);

  NotifyResult OnNotify(NotifyHeader& hdr) override;

 protected:
  void resizeEvent(QResizeEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Expanded(HTREEITEM item, bool open);
  void EndDrag(QPoint pos, bool drop);

  ShellApp& m_app;
  ProjectViewOwner& m_owner;
  SECTreeCtrl* m_tree = nullptr;
  FileProbe m_probe;
  std::function<void(ProjectRec*, TargetRec*, FileRec*)> m_scan;
  bool m_includes = true;
  bool m_closing = false;
  bool m_filling = false;
  std::map<HTREEITEM, std::string> m_includePaths;
  std::map<const NodeRec*, HTREEITEM> m_items;
  NodeRec* m_editRecord = nullptr;
  HTREEITEM m_dragItem = nullptr;
  HTREEITEM m_dropItem = nullptr;
  bool m_dragging = false;
  // While a file is dragged the tree scrolls when the mouse is beyond its
  // top or bottom: every 50 ms far beyond, every third tick within one
  // scroll-bar height of the edge.
  QTimer* m_dragTimer = nullptr;
  QPoint m_dragPos;   // the mouse in the tree's coordinates
  int m_dragTicks = 0;
  void DragScrollTick();
};

}  // namespace pm2
