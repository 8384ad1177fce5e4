// A file dragged in the project window, as the mouse drags it: held beyond
// the tree's bottom or top, the tree scrolls towards it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/main_frame.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {
namespace {

using test::WaitFor;

class ProjectDragTest : public test::ExampleFrameTest {};

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

TEST_F(ProjectDragTest, ADraggedFileHeldBeyondTheTreesEdgeScrollsIt) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  CPrjView* view = f->ProjectBar()->View();
  SECTreeCtrl* tree = view->Tree();
  // Every include list open, in a tree a few rows high: more rows than show.
  for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextItemInOrder(i)) tree->Expand(i, TVE_EXPAND);
  tree->resize(tree->width(), 70);
  QCoreApplication::processEvents();
  ASSERT_GT(tree->GetItemCount(), tree->GetCountPerPage() + 2);
  ASSERT_EQ(tree->GetTopIndex(), 0);
  // The press on the first file (the third row), a move that starts the
  // drag, then the mouse held far below the tree.
  FileRec* startup = FindSourceFileByName("Startup.s");
  ASSERT_NE(startup, nullptr);
  Rect r;
  ASSERT_TRUE(tree->GetItemRect(tree->GetRowOfItem(view->ItemOf(startup)), &r, 2 /* the label */));
  const QPoint on((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Send(tree, QEvent::MouseButtonPress, on, Qt::LeftButton, Qt::LeftButton);
  Send(tree, QEvent::MouseMove, on + QPoint(0, 8), Qt::NoButton, Qt::LeftButton);
  Send(tree, QEvent::MouseMove, QPoint(on.x(), tree->height() + 80), Qt::NoButton, Qt::LeftButton);
  EXPECT_TRUE(WaitFor([&] { return tree->GetTopIndex() >= 2; })) << tree->GetTopIndex();
  // Back above the top, it scrolls up again.
  Send(tree, QEvent::MouseMove, QPoint(on.x(), -80), Qt::NoButton, Qt::LeftButton);
  EXPECT_TRUE(WaitFor([&] { return tree->GetTopIndex() == 0; })) << tree->GetTopIndex();
  // Let go above the tree: nothing is dropped, the project is as it was.
  Send(tree, QEvent::MouseButtonRelease, QPoint(on.x(), -80), Qt::LeftButton, Qt::NoButton);
  EXPECT_FALSE(startup->flags & kFileRemoved);
}

}  // namespace
}  // namespace pm2
