// Toolbars beside the docked menu bar on the offscreen platform, moved as a
// user moves them (a press on the gripper, moves, a release): a drop on the
// menu bar's row gives the toolbar a row of its own above or below it, a
// drop just below the menu bar makes a row there, and the drop decides the
// place within a row. Keys typed in a floating toolbar's box still reach
// the menus; a box in a column offers its list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "menu_frame_fixture.h"
#include "platform/settings_store.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/window_button.h"

namespace pm2 {
namespace toolbar_rows_test {

const char* kRowsRc = R"(
MENU 120
POPUP "&File"
ITEM 101 "&Open"
END
POPUP "&Edit"
ITEM 201 "&Copy"
END
POPUP "&View"
ITEM 202 "&Status Bar"
END
POPUP "&Project"
ITEM 203 "&Build"
END
POPUP "&Peripherals"
ITEM 301 "&Reset"
END
POPUP "&Tools"
ITEM 302 "&Lint"
END
POPUP "&SVCS"
ITEM 303 "&Configure"
END
POPUP "&Window"
ITEM 304 "&Cascade"
END
POPUP "&Help"
ITEM 305 "&About"
END
END
)";

// A box that takes typed text and one that only offers its list.
constexpr unsigned kEditBoxButton = 400, kEditBoxControl = 1400, kListBoxButton = 401, kListBoxControl = 1401;

class ToolbarRowsTest : public test::MenuFrameTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MakeFrame(kRowsRc, "row menus", 640, 480));
    std::string err;
    manager = new SECToolBarManager(frame, ToolkitResourceModule());
    static const SECComboBtn kCombo;
    manager->SetButtonMap(
        {{kCombo.GetButtonClass(), kEditBoxButton, TBBS_NOAUTODISABLE, kEditBoxControl, CBS_DROPDOWN, 120, 70, 150},
         {kCombo.GetButtonClass(), kListBoxButton, TBBS_NOAUTODISABLE, kListBoxControl, CBS_DROPDOWNLIST, 120, 70,
          150}});
    bar = InstallMenuBar(frame, tables, {120}, manager, MenuBarPlace::Docked, &err);
    ASSERT_NE(bar, nullptr) << err;
    first = manager->CreateUserToolBar("First");
    second = manager->CreateUserToolBar("Second");
    ASSERT_TRUE(first && second);
    first->SetButtons({101, 201, 202, 203});
    second->SetButtons({301, 302, 303, 304, 305});
    frame->DockControlBar(first, Top());
    frame->DockControlBarEx(second, DockPosition{1, 1, 0}, AFX_IDW_DOCKBAR_TOP, DockSizeInfo{});
    // Wide enough for the menu bar, not for the menu bar and a toolbar.
    frame->resize(bar->State().szHorz.cx + first->State().szHorz.cx / 2, 480);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    frame->activateWindow();
    frame->RecalcLayout();
    ASSERT_EQ(Rows(), (std::vector<std::uint32_t>{kMenuBarId, 0, first->BarId(), second->BarId(), 0}));
  }
  void TearDown() override {
    MenuFrameTest::TearDown();
    delete manager;
  }

  SECDockBar* Top() const { return frame->GetDockBar(AFX_IDW_DOCKBAR_TOP); }
  std::vector<std::uint32_t> Rows() const { return Top()->StoredEntries(); }
  QPoint InFrame(const QWidget* w, QPoint local) const { return frame->mapFromGlobal(w->mapToGlobal(local)); }
  // Drags a bar by `grab` (its own coordinates) so that the cursor ends at
  // `to` (the frame's), in steps, and drops it there.
  void Drag(SECControlBar* dragged, QPoint grab, QPoint to) {
    const QPoint from = InFrame(dragged, grab);
    QTest::mousePress(dragged, Qt::LeftButton, {}, grab);
    ASSERT_TRUE(dragged->DockContext()->IsTracking());
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(frame, from + (to - from) * i / 4);
    QTest::mouseRelease(frame, Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
    frame->RecalcLayout();
  }
  // By its gripper, a docked toolbar's left edge.
  void DragByGripper(SECControlBar* dragged, QPoint to) { Drag(dragged, QPoint(3, dragged->height() / 2), to); }
  // Every title of the menu bar lies inside the main window.
  void ExpectEveryTitleShown() {
    for (int i = 0; i < bar->ButtonCount(); ++i) {
      const SECStdBtn* b = bar->Button(i);
      EXPECT_LE(InFrame(bar, QPoint(b->m_x + b->m_cx, 0)).x(), frame->width()) << "title " << i;
      EXPECT_LE(b->m_x + b->m_cx, bar->width()) << "title " << i;
    }
  }
  QMenu* Popup() const { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

  SECToolBarManager* manager = nullptr;
  SECMenuBar* bar = nullptr;
  SECCustomToolBar* first = nullptr;
  SECCustomToolBar* second = nullptr;
};

TEST_F(ToolbarRowsTest, AToolbarDroppedOnTheMenuRowGetsARowOfItsOwn) {
  SettingsStore store("/nonexistent/toolbar-rows.ini");
  manager->SaveBarState(store, "Start");
  const struct {
    const char* name;
    bool upperHalf;
  } rows[] = {
      {"lower half: a new row under the menu bar", false},
      {"upper half: a new row above it", true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    manager->LoadBarState(store, "Start");
    QCoreApplication::processEvents();
    frame->RecalcLayout();
    ASSERT_EQ(Rows(), (std::vector<std::uint32_t>{kMenuBarId, 0, first->BarId(), second->BarId(), 0}));
    const int y = r.upperHalf ? 3 : bar->height() - 3;
    ASSERT_NO_FATAL_FAILURE(DragByGripper(second, InFrame(bar, QPoint(bar->width() / 2, y))));
    const std::vector<std::uint32_t> want =
        r.upperHalf ? std::vector<std::uint32_t>{second->BarId(), 0, kMenuBarId, 0, first->BarId(), 0}
                    : std::vector<std::uint32_t>{kMenuBarId, 0, second->BarId(), 0, first->BarId(), 0};
    EXPECT_EQ(Rows(), want);
    EXPECT_EQ(second->y() < bar->y(), r.upperHalf);
    EXPECT_TRUE(second->isVisible());
    ExpectEveryTitleShown();
  }
}

// With no toolbar under the menu bar, a drop just below it still docks the
// toolbar there, in a row of its own.
TEST_F(ToolbarRowsTest, ADropJustBelowTheMenuBarAloneMakesARow) {
  frame->FloatControlBar(second, frame->mapToGlobal(QPoint(200, 300)), CBRS_ALIGN_TOP);
  frame->FloatControlBar(first, frame->mapToGlobal(QPoint(300, 200)), CBRS_ALIGN_TOP);
  QCoreApplication::processEvents();
  frame->RecalcLayout();
  ASSERT_EQ(Top()->Bars(), (std::vector<SECControlBar*>{bar}));
  auto* floating = dynamic_cast<SECMiniDockFrameWnd*>(first->window());
  ASSERT_NE(floating, nullptr);
  const QPoint caption = floating->CaptionRect().center();
  const QPoint below = InFrame(bar, QPoint(bar->width() / 2, bar->height() + 5));
  const QPoint from = frame->mapFromGlobal(floating->mapToGlobal(caption));
  QTest::mousePress(floating, Qt::LeftButton, {}, caption);
  ASSERT_TRUE(first->DockContext()->IsTracking());
  for (int i = 1; i <= 4; ++i) QTest::mouseMove(frame, from + (below - from) * i / 4);
  QTest::mouseRelease(frame, Qt::LeftButton, {}, below);
  QCoreApplication::processEvents();
  frame->RecalcLayout();
  EXPECT_FALSE(first->IsFloating());
  EXPECT_EQ(first->DockBar(), Top());
  const std::vector<std::uint32_t> rows = Rows();
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ(rows[0], kMenuBarId);
  EXPECT_EQ(rows[1], 0u);
  EXPECT_EQ(rows[2], first->BarId());
  EXPECT_GT(first->y(), bar->geometry().bottom());
  ExpectEveryTitleShown();
}

// Within a row the dropped edge decides: past the middle of the neighbour
// the bar goes after it, short of it before it; moved back left it goes to
// the front again.
TEST_F(ToolbarRowsTest, ADropWithinARowPlacesTheBarWhereItWasDropped) {
  ASSERT_EQ(first->y(), second->y());
  const int secondMiddle = InFrame(second, QPoint(second->width() / 2, 0)).x();
  const int rowY = InFrame(first, QPoint(0, first->height() / 2)).y();
  // The gripper is 3 pixels into the bar: the dropped edge is 3 left of the cursor.
  ASSERT_NO_FATAL_FAILURE(DragByGripper(first, QPoint(secondMiddle - 10, rowY)));
  EXPECT_EQ(Rows(), (std::vector<std::uint32_t>{kMenuBarId, 0, first->BarId(), second->BarId(), 0}));
  ASSERT_NO_FATAL_FAILURE(DragByGripper(first, QPoint(secondMiddle + 10, rowY)));
  EXPECT_EQ(Rows(), (std::vector<std::uint32_t>{kMenuBarId, 0, second->BarId(), first->BarId(), 0}));
  EXPECT_GT(first->x(), second->x());
  EXPECT_EQ(first->y(), second->y());
  ASSERT_NO_FATAL_FAILURE(DragByGripper(first, QPoint(5, rowY)));
  EXPECT_EQ(Rows(), (std::vector<std::uint32_t>{kMenuBarId, 0, first->BarId(), second->BarId(), 0}));
}

// Bars that together pass the frame's width wrap onto a further line of
// their row: every button stays inside the window.
TEST_F(ToolbarRowsTest, ARowWiderThanTheFrameWrapsItsBars) {
  frame->resize(first->width() + second->width() - 20, 480);
  frame->RecalcLayout();
  EXPECT_EQ(Rows(), (std::vector<std::uint32_t>{kMenuBarId, 0, first->BarId(), second->BarId(), 0}));
  EXPECT_EQ(second->x(), 0);
  EXPECT_EQ(second->y(), first->geometry().bottom() + 1);
  for (SECCustomToolBar* t : {first, second})
    for (int i = 0; i < t->ButtonCount(); ++i)
      EXPECT_LE(InFrame(t, QPoint(t->Button(i)->m_x + t->Button(i)->m_cx, 0)).x(), frame->width());
  EXPECT_GE(frame->ClientLayoutRect().top(), second->geometry().bottom());
}

// Alt and a title's letter typed in the box of a floating toolbar open that
// menu; the box does not take the letter.
TEST_F(ToolbarRowsTest, AltAndALetterInAFloatingToolbarsBoxOpenTheMenu) {
  SECCustomToolBar* boxes = manager->CreateUserToolBar("Boxes");
  ASSERT_NE(boxes, nullptr);
  boxes->SetButtons({101, kEditBoxButton});
  frame->FloatControlBar(boxes, frame->mapToGlobal(QPoint(200, 200)), CBRS_ALIGN_TOP);
  QCoreApplication::processEvents();
  QComboBox* combo = dynamic_cast<SECComboBtn*>(boxes->Button(1))->Combo();
  ASSERT_NE(combo, nullptr);
  QLineEdit* edit = combo->lineEdit();
  ASSERT_NE(edit, nullptr);
  boxes->window()->activateWindow();
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_W, Qt::AltModifier);
  QCoreApplication::processEvents();
  ASSERT_NE(Popup(), nullptr);
  EXPECT_EQ(bar->OpenIndex(), 7);  // Window
  EXPECT_TRUE(edit->text().isEmpty());
  bar->CancelMenu();
  // A plain letter is the box's.
  boxes->window()->activateWindow();
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_W);
  EXPECT_EQ(edit->text(), "w");
  EXPECT_EQ(Popup(), nullptr);
}

// Docked in a column, a box becomes a button; a click on it offers the
// box's list beside it, and the entry picked is the box's choice.
TEST_F(ToolbarRowsTest, ABoxInAColumnOffersItsListFromItsButton) {
  SECCustomToolBar* boxes = manager->CreateUserToolBar("Boxes");
  ASSERT_NE(boxes, nullptr);
  boxes->SetButtons({101, kListBoxButton});
  auto* button = dynamic_cast<SECComboBtn*>(boxes->Button(1));
  QComboBox* combo = button->Combo();
  ASSERT_NE(combo, nullptr);
  combo->addItems({"Simulator", "Target Board"});
  QSignalSpy chosen(combo, QOverload<int>::of(&QComboBox::activated));
  frame->DockControlBar(boxes, frame->GetDockBar(AFX_IDW_DOCKBAR_LEFT));
  QCoreApplication::processEvents();
  frame->RecalcLayout();
  ASSERT_TRUE(boxes->IsVerticalDock());
  EXPECT_FALSE(combo->isVisible());
  const QPoint centre(button->m_x + button->m_cx / 2, button->m_y + button->m_cy / 2);
  QTest::mouseClick(boxes, Qt::LeftButton, {}, centre);
  QMenu* list = Popup();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->actions().size(), 2);
  EXPECT_EQ(list->actions()[0]->text(), "Simulator");
  EXPECT_TRUE(list->actions()[0]->isChecked());
  EXPECT_EQ(list->pos(), boxes->mapToGlobal(QPoint(button->m_x + button->m_cx, button->m_y)));
  list->actions()[1]->trigger();
  list->close();
  EXPECT_EQ(combo->currentIndex(), 1);
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen[0][0].toInt(), 1);
}

}  // namespace toolbar_rows_test
}  // namespace pm2
