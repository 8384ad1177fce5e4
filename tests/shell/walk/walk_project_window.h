// What the walk does in the project window, the Build toolbar's target box
// and the menu bar, as a user does it there: rows listed and clicked, a
// target chosen by its keys, a menu opened by a click on its title.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QTest>

#include <string>
#include <vector>

#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/main_frame.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/std_btn.h"
#include "walk_answers.h"

namespace pm2::test {

struct WalkProjectWindow {
  CMainFrame* frame;
  ShellApp* app;

  // The texts of the project window's rows of the target, its groups and
  // their files.
  std::vector<std::string> ProjectRows() const {
    std::vector<std::string> out;
    if (!app->Project() || !frame->ProjectBar()) return out;
    CPrjView* view = frame->ProjectBar()->View();
    SECTreeCtrl* tree = view->Tree();
    for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextItemInOrder(i))
      if (const NodeRec* r = view->RecordOf(i);
          r && (r->kind != kKindFile || static_cast<const FileRec*>(r)->group)) {
        // A text a road cannot carry (it ends a step, or a line) is left out.
        const std::string text = SECTreeCtrl::DisplayLabel(tree->GetItemText(i));
        if (!text.empty() && text.find_first_of(";\r\n") == std::string::npos) out.push_back(text);
      }
    return out;
  }
  // Whether the project window's tree is there to be clicked.
  bool TreeShown() const {
    return app->Project() && frame->ProjectBar() && frame->ProjectBar()->View()->Tree()->isVisible();
  }
  // The project window's item whose text is `text`, or null.
  HTREEITEM ItemWithText(const std::string& text) const {
    if (!app->Project() || !frame->ProjectBar()) return nullptr;
    SECTreeCtrl* tree = frame->ProjectBar()->View()->Tree();
    for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextItemInOrder(i))
      if (SECTreeCtrl::DisplayLabel(tree->GetItemText(i)) == text) return i;
    return nullptr;
  }
  // The project window's row of a kind: "target" the target's, "file" the
  // file the road selected (`selected`) (else the first file of a group), "group" that
  // file's group (else the first group).
  HTREEITEM Row(const std::string& kind, const std::string& selected) const {
    if (!app->Project() || !frame->ProjectBar()) return nullptr;
    CPrjView* view = frame->ProjectBar()->View();
    SECTreeCtrl* tree = view->Tree();
    auto isFile = [view](HTREEITEM i) {
      const NodeRec* r = view->RecordOf(i);
      return r && r->kind == kKindFile && static_cast<const FileRec*>(r)->group;
    };
    HTREEITEM file = ItemWithText(selected);
    if (file && !isFile(file)) file = nullptr;
    HTREEITEM group = nullptr;
    for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextItemInOrder(i)) {
      const NodeRec* r = view->RecordOf(i);
      if (!r) continue;
      if (kind == "target" && r->kind == kKindTarget) return i;
      if (!file && isFile(i)) file = i;
      if (!group && r->kind == kKindGroup) group = i;
    }
    if (kind == "file") return file;
    if (kind == "group") return file ? tree->GetParentItem(file) : group;
    return nullptr;
  }
  // A click on the item's label (the right button: its context menu), its
  // group opened first as a user opens it to see the item.
  bool Click(HTREEITEM item, bool right) const {
    if (!item) return false;
    SECTreeCtrl* tree = frame->ProjectBar()->View()->Tree();
    tree->EnsureVisible(item);
    QApplication::processEvents();
    Rect r;
    if (!tree->GetItemRect(tree->GetRowOfItem(item), &r, 2 /* the label */)) return false;
    const QPoint at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (!right) {
      QTest::mouseClick(tree, Qt::LeftButton, {}, at);
      return tree->GetCaretItem() == item;
    }
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, tree->mapToGlobal(at));
    QApplication::sendEvent(tree, &e);
    return true;
  }
  // The Build toolbar's target box while a user can choose in it.
  QComboBox* TargetBox() const {
    QComboBox* box = frame->Bars() ? frame->Bars()->TargetBox() : nullptr;
    return box && box->isVisible() && box->isEnabled() ? box : nullptr;
  }
  // The targets the box offers besides the current one (none a road
  // cannot carry).
  std::vector<std::string> OtherTargets() const {
    std::vector<std::string> out;
    if (QComboBox* box = TargetBox())
      for (int i = 0; i < box->count(); ++i) {
        const std::string name = box->itemText(i).toStdString();
        if (i != box->currentIndex() && !name.empty() && name.find_first_of(";\r\n") == std::string::npos)
          out.push_back(name);
      }
    return out;
  }
  // The target chosen in the box by the arrow keys (each target passed on
  // the way is chosen in turn, as the keys choose it).
  bool ChooseTarget(const std::string& name) const {
    QComboBox* box = TargetBox();
    const int index = box ? box->findText(QString::fromStdString(name)) : -1;
    if (index < 0) return false;
    box->setFocus();
    while (TargetBox() == box && box->currentIndex() != index) {
      const int before = box->currentIndex();
      QTest::keyClick(box, box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
      if (box->currentIndex() == before) return false;
    }
    return true;
  }
  // A menu of the menu bar opened by a click on its title ('&' left out).
  bool OpenBarMenu(const std::string& title, WalkAnswers& answers) const {
    SECMenuBar* bar = frame->Bars() ? frame->Bars()->MenuBar() : nullptr;
    if (!bar) return false;
    const std::vector<MenuBarRow>& rows = bar->Model().Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
      std::string plain;
      for (char c : rows[i].title)
        if (c != '&') plain += c;
      if (plain != title || !rows[i].IsPopup()) continue;
      const Rect r = bar->Button(int(i))->BtnRect();
      QTest::mousePress(bar, Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
      answers.AnswerShownMenu();
      QApplication::processEvents();
      return true;
    }
    return false;
  }

};

}  // namespace pm2::test
