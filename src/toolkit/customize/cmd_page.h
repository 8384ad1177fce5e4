#pragma once
// SECToolBarCmdPage: the commands dialog of toolbar customisation. The
// commands are shown in groups (categories), each a small customise
// toolbar of its buttons; a button dragged from a group onto a toolbar of
// the frame is added there, at the place it is dropped. Selecting a button
// shows its command's description. While the dialog is open the frame's
// toolbars are in customise mode. Show it with show(), not exec(), so the
// drops reach the frame's toolbars.

#include <QDialog>
#include <string>
#include <vector>

#include "toolkit/customize/rect_tracker.h"
#include "toolkit/toolbars/button_strip.h"

class QLabel;

namespace pm2 {

class SECCheckListBox;
class SECCustomToolBar;
class SECToolBarManager;

struct CommandGroup {
  std::string name;
  std::vector<unsigned> ids;  // separators (0) are left out
};

// One group per default toolbar of the manager, named after the toolbar.
std::vector<CommandGroup> CommandGroupsOf(const SECToolBarManager& manager);

// A group's buttons, wrapped to the group area's width. A press selects a
// button and starts dragging it; nothing runs.
class SECCustomizeToolBar : public SECButtonStrip {
 public:
  SECCustomizeToolBar(SECBmpMgr* mgr, unsigned id, QWidget* parent);
  void WrapTo(int width);
  QSize sizeHint() const override;
  int SelectedIndex() const { return m_selected; }
  void Select(int index);
  int IndexAt(QPoint p) const;

  std::function<void(unsigned id)> onSelected;
  // The button was dropped as `screenRect`.
  std::function<void(unsigned id, const QRect& screenRect)> onDropped;

 protected:
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  int m_selected = -1;
  int m_dragIndex = -1;
  SECToolBarRectTracker m_tracker;
};

class SECToolBarCmdPage : public QDialog {
 public:
  SECToolBarCmdPage(SECToolBarManager* manager, std::vector<CommandGroup> groups, QWidget* parent = nullptr);
  ~SECToolBarCmdPage() override;

  int CurrentGroup() const { return m_nCurGroup; }
  void ShowGroup(int index);
  SECCustomizeToolBar* Group(int index) const { return m_groupBars[std::size_t(index)]; }
  SECCheckListBox* GroupList() const { return m_list; }
  QLabel* Description() const { return m_desc; }
  // Adds command `id` to the toolbar under `screenRect`; the bar it went to,
  // or null when the drop fell on no toolbar that takes buttons.
  SECCustomToolBar* DropCommand(unsigned id, const QRect& screenRect);

 protected:
  void showEvent(QShowEvent*) override;
  void done(int result) override;

 private:
  void ShowDescription(unsigned id);

  SECToolBarManager* m_manager;
  std::vector<CommandGroup> m_groups;
  std::vector<SECCustomizeToolBar*> m_groupBars;
  SECCheckListBox* m_list;
  QWidget* m_area;
  QLabel* m_desc;
  int m_nCurGroup = -1;
};

}  // namespace pm2
