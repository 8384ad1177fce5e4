// The menu bar as a bar like the others, on the offscreen platform: docked
// in a row of its own above the toolbars, floated in a frame that cannot be
// closed, docked at the left with its titles one under the other, kept
// where it was by the saved layout, and driven by the keys wherever it is.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QTest>

#include "platform/settings_store.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/menus/menu_bar.h"
#include "menu_frame_fixture.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/toolbar_manager.h"

namespace pm2 {
namespace menu_bar_docking_test {

const char* kDockingRc = R"(
MENU 120
POPUP "&File"
ITEM 101 "&Open"
END
POPUP "&Edit"
ITEM 201 "&Copy"
END
POPUP "&Peripherals"
ITEM 301 "&Build"
END
END
)";

enum class Where { Top, Left, Right, Bottom, Floating };

class MenuBarDockingTest : public test::MenuFrameTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MakeFrame(kDockingRc, "docking menus", 800, 500));
    std::string err;
    frame->OnCommandRange(100, 499, [this](CommandId id) { ran.push_back(id); });
    manager = new SECToolBarManager(frame, ToolkitResourceModule());
    bar = InstallMenuBar(frame, tables, {120}, manager, MenuBarPlace::Docked, &err);
    ASSERT_NE(bar, nullptr) << err;
    tools = manager->CreateUserToolBar("Tools");
    ASSERT_NE(tools, nullptr);
    tools->SetButtons({101, 201});
    frame->DockControlBar(tools, frame->GetDockBar(AFX_IDW_DOCKBAR_TOP));
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    frame->activateWindow();
  }
  void TearDown() override {
    MenuFrameTest::TearDown();
    delete manager;
  }

  void MoveBar(Where where) {
    static const unsigned kIds[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT,
                                    AFX_IDW_DOCKBAR_BOTTOM};
    if (where == Where::Floating)
      frame->FloatControlBar(bar, frame->mapToGlobal(QPoint(200, 200)), CBRS_ALIGN_TOP);
    else
      frame->DockControlBar(bar, frame->GetDockBar(kIds[int(where)]));
    QCoreApplication::processEvents();
  }
  // Where the bar is now, from its dock bar.
  Where Now() const {
    SECDockBar* d = bar->DockBar();
    if (!d) return Where::Top;
    if (d->IsFloatingBar()) return Where::Floating;
    static const Where kBySide[] = {Where::Top, Where::Bottom, Where::Left, Where::Right};
    return kBySide[int(d->Side())];
  }
  SECMiniDockFrameWnd* FloatingFrame() const { return dynamic_cast<SECMiniDockFrameWnd*>(bar->window()); }
  QMenu* Popup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
  void Key(QWidget* to, int key, Qt::KeyboardModifiers mods = {}) {
    if (QApplication::activePopupWidget()) to = QApplication::activePopupWidget();
    QTest::keyClick(to, Qt::Key(key), mods);
    QCoreApplication::processEvents();
  }
  QPoint Centre(int index) const {
    const SECStdBtn* b = bar->Button(index);
    return QPoint(b->m_x + b->m_cx / 2, b->m_y + b->m_cy / 2);
  }
  std::vector<std::uint32_t> TopEntries() const { return frame->GetDockBar(AFX_IDW_DOCKBAR_TOP)->StoredEntries(); }
  // The saved layout's record of a bar, or null.
  static ControlBarInfo* RecordOf(SECDockState& state, unsigned id) {
    for (auto& r : state.Records())
      if (!r->isDockBar && r->barId == id) return r.get();
    return nullptr;
  }

  SECToolBarManager* manager = nullptr;
  SECMenuBar* bar = nullptr;
  SECCustomToolBar* tools = nullptr;
  std::vector<CommandId> ran;
};

TEST_F(MenuBarDockingTest, TheMenuBarIsTheFirstRowAtTheTop) {
  EXPECT_EQ(frame->CommandBar(), nullptr);
  EXPECT_EQ(Now(), Where::Top);
  const std::vector<std::uint32_t> top = TopEntries();
  ASSERT_GE(top.size(), 4u);
  EXPECT_EQ(top[0], kMenuBarId);
  EXPECT_EQ(top[1], 0u);  // a row of its own
  EXPECT_EQ(top[2], tools->BarId());
  EXPECT_LT(bar->geometry().bottom(), tools->geometry().top());
  // The titles sit in one row after the gripper.
  EXPECT_EQ(bar->Button(0)->m_y, bar->Button(1)->m_y);
  EXPECT_LT(bar->Button(0)->m_x, bar->Button(1)->m_x);
  EXPECT_GT(bar->Button(0)->m_x, 4);
}

// Floated, its frame has no close button and a close request leaves it
// shown; the keys and the mouse open its menus under the titles.
TEST_F(MenuBarDockingTest, FloatingItKeepsTheMenus) {
  MoveBar(Where::Floating);
  SECMiniDockFrameWnd* floating = FloatingFrame();
  ASSERT_NE(floating, nullptr);
  EXPECT_TRUE(floating->isVisible());
  EXPECT_FALSE(floating->HasSysMenu());
  EXPECT_TRUE(floating->CloseButtonRect().isEmpty());
  floating->close();
  QCoreApplication::processEvents();
  EXPECT_TRUE(floating->isVisible());
  EXPECT_TRUE(bar->IsBarVisible());
  // Alt+P from the main window.
  frame->activateWindow();
  Key(frame, Qt::Key_P, Qt::AltModifier);
  ASSERT_NE(Popup(), nullptr);
  EXPECT_EQ(bar->OpenIndex(), 2);
  const SECStdBtn* b = bar->Button(2);
  EXPECT_EQ(Popup()->pos(), bar->mapToGlobal(QPoint(b->m_x, b->m_y + b->m_cy)));
  // Left goes on to the Edit menu.
  Key(frame, Qt::Key_Left);
  ASSERT_NE(Popup(), nullptr);
  EXPECT_EQ(bar->OpenIndex(), 1);
  Key(frame, Qt::Key_Escape);
  Key(frame, Qt::Key_Escape);
  EXPECT_EQ(Popup(), nullptr);
  // The keys of the floating frame reach the bar too: F10, then Down.
  Key(floating, Qt::Key_F10);
  EXPECT_EQ(bar->Tracker().Mode(), MenuMode::Keyboard);
  Key(floating, Qt::Key_Down);
  ASSERT_NE(Popup(), nullptr);
  EXPECT_EQ(bar->OpenIndex(), 0);
  Key(floating, Qt::Key_Return);
  QTRY_COMPARE(ran.size(), 1u);
  EXPECT_EQ(ran[0], 101u);
  // Docked again, the frame without the close button goes.
  QPointer<SECMiniDockFrameWnd> gone(floating);
  MoveBar(Where::Top);
  EXPECT_EQ(Now(), Where::Top);
  QTRY_VERIFY(!gone || !gone->isVisible());
}

// At the left or right the titles stand one under the other and the popups
// open beside them; Right goes on to the next title.
TEST_F(MenuBarDockingTest, DockedAtASideTheTitlesStandInAColumn) {
  for (Where side : {Where::Left, Where::Right}) {
    SCOPED_TRACE(side == Where::Left ? "left" : "right");
    MoveBar(side);
    ASSERT_EQ(Now(), side);
    ASSERT_TRUE(bar->IsVerticalDock());
    // One title a row, each as wide as the widest.
    EXPECT_EQ(bar->Button(0)->m_x, bar->Button(1)->m_x);
    EXPECT_LT(bar->Button(0)->m_y, bar->Button(1)->m_y);
    EXPECT_LT(bar->Button(1)->m_y, bar->Button(2)->m_y);
    EXPECT_EQ(bar->Button(0)->m_cx, bar->Button(2)->m_cx);
    EXPECT_EQ(bar->Button(1)->m_cx, bar->Button(2)->m_cx);
    EXPECT_GE(bar->width(), bar->Button(0)->m_cx);
    EXPECT_LT(bar->width(), frame->width() / 3);
    QTest::mouseClick(bar, Qt::LeftButton, {}, Centre(1));
    ASSERT_NE(Popup(), nullptr);
    EXPECT_EQ(bar->OpenIndex(), 1);
    // Beside the title, level with it, away from the frame's edge.
    const SECStdBtn* b = bar->Button(1);
    const QRect title(bar->mapToGlobal(QPoint(b->m_x, b->m_y)), QSize(b->m_cx, b->m_cy));
    EXPECT_EQ(Popup()->y(), title.top());
    if (side == Where::Left) {
      EXPECT_EQ(Popup()->x(), title.right() + 1);
    } else {
      EXPECT_EQ(Popup()->geometry().right() + 1, title.left());
    }
    Key(frame, Qt::Key_Right);
    ASSERT_NE(Popup(), nullptr);
    EXPECT_EQ(bar->OpenIndex(), 2);
    Key(frame, Qt::Key_Escape);
    Key(frame, Qt::Key_Escape);
    ASSERT_EQ(Popup(), nullptr);
  }
}

// The saved layout holds the menu bar's record and brings it back where it
// was, whatever the frame did with it meanwhile.
TEST_F(MenuBarDockingTest, TheSavedLayoutKeepsItsPlace) {
  struct Row {
    const char* name;
    Where where;
  };
  const Row rows[] = {{"left", Where::Left}, {"right", Where::Right}, {"bottom", Where::Bottom},
                      {"floating", Where::Floating}, {"top", Where::Top}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MoveBar(row.where);
    ASSERT_EQ(Now(), row.where);
    SettingsStore store("/nonexistent/menu-bar-layout.ini");
    manager->SaveBarState(store, "Layout");
    SECDockState saved(manager);
    saved.LoadState(store, "Layout");
    ControlBarInfo* record = RecordOf(saved, kMenuBarId);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->typeId, kMenuBarTypeId);
    EXPECT_EQ(record->className, "SECMenuBar");
    MoveBar(row.where == Where::Left ? Where::Bottom : Where::Left);
    manager->LoadBarState(store, "Layout");
    QCoreApplication::processEvents();
    EXPECT_EQ(Now(), row.where);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(frame->GetControlBar(kMenuBarId), bar);  // the same bar, not a second one
    if (row.where == Where::Floating) {
      ASSERT_NE(FloatingFrame(), nullptr);
      EXPECT_FALSE(FloatingFrame()->HasSysMenu());
    }
  }
}

// A layout saved without the menu bar, with it hidden, or by a frame that
// kept it in its command line (no side to dock at, no docking) still gives
// the menus: above the toolbars, shown, and free to move.
TEST_F(MenuBarDockingTest, AnOlderOrDamagedLayoutStillShowsTheMenus) {
  enum class Damage { Without, Hidden, CommandLine };
  struct Row {
    const char* name;
    Damage damage;
  };
  for (const Row& row : {Row{"saved without it", Damage::Without}, Row{"saved hidden", Damage::Hidden},
                         Row{"saved in the command line", Damage::CommandLine}}) {
    SCOPED_TRACE(row.name);
    MoveBar(Where::Top);
    SettingsStore store("/nonexistent/menu-bar-old.ini");
    if (row.damage == Damage::CommandLine) {
      auto* older = new SECMDIFrameWnd;
      older->resize(800, 500);
      older->EnableDocking(CBRS_ALIGN_ANY);
      auto* olderBars = new SECToolBarManager(older, ToolkitResourceModule());
      std::string err;
      ASSERT_NE(InstallMenuBar(older, tables, {120}, olderBars, MenuBarPlace::CommandSlot, &err), nullptr) << err;
      SECCustomToolBar* olderTools = olderBars->CreateUserToolBar("Tools");
      ASSERT_NE(olderTools, nullptr);
      ASSERT_EQ(olderTools->BarId(), tools->BarId());
      olderTools->SetButtons({101, 201});
      older->DockControlBar(olderTools, older->GetDockBar(AFX_IDW_DOCKBAR_TOP));
      olderBars->SaveBarState(store, "Old");
      delete older;
      delete olderBars;
    } else {
      SECDockState state(manager);
      ASSERT_TRUE(state.GetFrameState(frame));
      auto& records = state.Records();
      for (std::size_t i = 0; i < records.size(); ++i) {
        ControlBarInfo& r = *records[i];
        if (r.isDockBar) {
          if (row.damage == Damage::Without)
            std::erase_if(r.bars, [](std::uint32_t id) { return (id & 0xFFFF) == kMenuBarId; });
        } else if (r.barId == kMenuBarId) {
          r.visible = false;
        }
      }
      if (row.damage == Damage::Without)
        std::erase_if(records, [](const auto& r) { return !r->isDockBar && r->barId == kMenuBarId; });
      state.RemoveStaleBarIDs();
      state.SaveState(store, "Old");
    }
    manager->LoadBarState(store, "Old");
    QCoreApplication::processEvents();
    EXPECT_EQ(Now(), Where::Top);
    EXPECT_TRUE(bar->IsBarVisible());
    EXPECT_TRUE(bar->isVisible());
    const std::vector<std::uint32_t> top = TopEntries();
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(top[0], kMenuBarId);
    EXPECT_EQ(top[1], 0u);
    EXPECT_EQ(top[2], tools->BarId());
    EXPECT_EQ(bar->State().dockStyle & CBRS_ALIGN_ANY, CBRS_ALIGN_ANY);
    // A double click on its gripper floats it, another docks it back.
    QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(3, bar->height() / 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(Now(), Where::Floating);
    ASSERT_NE(FloatingFrame(), nullptr);
    bar->DockContext()->ToggleDocking();
    QCoreApplication::processEvents();
    EXPECT_EQ(Now(), Where::Top);
    EXPECT_EQ(TopEntries()[0], kMenuBarId);
  }
}

// A maximised document's icon and caption buttons find room on the bar
// wherever it is: at the ends of its row, above and below its column; the
// bar grows by them and no title goes under them. A click on the close part
// closes the document, and the bar gives the room back.
TEST_F(MenuBarDockingTest, AMaximisedDocumentsButtonsFitWhereverItIs) {
  struct Row {
    const char* name;
    Where where;
  };
  for (const Row& row : {Row{"top", Where::Top}, Row{"left", Where::Left}, Row{"floating", Where::Floating},
                         Row{"right", Where::Right}}) {
    SCOPED_TRACE(row.name);
    MoveBar(row.where);
    const QSize before = bar->size();
    auto* child = new SECMDIChildWnd(frame);
    child->setWidget(new QWidget);
    child->setWindowTitle("a.c");
    frame->MdiClient()->addSubWindow(child);
    child->showMaximized();
    QTRY_VERIFY(bar->ChildButtonsShown());
    QCoreApplication::processEvents();
    const QRect icon = bar->ChildIconRect(), caption = bar->ChildCaptionRect();
    EXPECT_TRUE(bar->rect().contains(icon));
    EXPECT_TRUE(bar->rect().contains(caption));
    for (int i = 0; i < bar->ButtonCount(); ++i) {
      const SECStdBtn* b = bar->Button(i);
      if (b->m_nStyle & TBBS_HIDDEN) continue;
      const QRect title(b->m_x, b->m_y, b->m_cx, b->m_cy);
      EXPECT_TRUE(bar->rect().contains(title)) << i;
      EXPECT_FALSE(title.intersects(icon)) << i;
      EXPECT_FALSE(title.intersects(caption)) << i;
    }
    if (row.where == Where::Left || row.where == Where::Right) {
      EXPECT_GT(bar->height(), before.height());
    } else {
      EXPECT_GT(bar->width(), before.width());
      EXPECT_EQ(bar->height(), before.height());  // still one row
    }
    // Alt+- opens the document's window menu off the bar, by its icon.
    Key(frame, Qt::Key_Minus, Qt::AltModifier);
    ASSERT_NE(Popup(), nullptr);
    EXPECT_EQ(Popup(), child->systemMenu());
    const QRect onScreen(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    const QRect iconOnScreen(bar->mapToGlobal(icon.topLeft()), icon.size());
    if (bar->IsVerticalDock()) {
      EXPECT_FALSE(Popup()->geometry().intersects(onScreen));
      EXPECT_EQ(Popup()->y(), iconOnScreen.top());
    } else {
      EXPECT_EQ(Popup()->x(), iconOnScreen.left());
      EXPECT_GT(Popup()->y(), iconOnScreen.bottom());
    }
    Key(frame, Qt::Key_Escape);
    Key(frame, Qt::Key_Escape);
    ASSERT_EQ(Popup(), nullptr);
    const QRect close = ToQRect(bar->ChildCaption().PartRect(2, FromQRect(caption)));
    QTest::mouseClick(bar, Qt::LeftButton, {}, close.center());
    QTRY_VERIFY(frame->MdiClient()->subWindowList().isEmpty());
    QTRY_VERIFY(!bar->ChildButtonsShown());
    EXPECT_EQ(bar->size(), before);
  }
}

}  // namespace menu_bar_docking_test
}  // namespace pm2
