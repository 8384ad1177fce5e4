// The frame's windows where the user meets them: the keyboard after the
// Output Window is hidden, the right-click menu of its Command page, the
// Window menu's list while that window floats hidden inside the main
// window, a close of the main window while a print preview shows, and the
// status bar's key indicators.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "debugger/windows/command_window.h"
#include "editor/document/editor_document.h"
#include "editor/ide/editor_view.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_fixture.h"
#include "shell/windows/qt_user_dialogs.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/status_bar.h"
#include "toolkit/menus/menu_bar.h"

namespace pm2 {
namespace {

class FrameBarWindowsTest : public test::ExampleFrameTest {
 protected:
  // The Window menu opened from the menu bar, as a click opens it.
  static QMenu* OpenWindowMenu(CMainFrame* f) {
    SECMenuBar* bar = f->Bars()->MenuBar();
    for (int i = 0; i < int(bar->Model().Rows().size()); ++i) {
      const MenuBarRow& row = bar->Model().Rows()[std::size_t(i)];
      if (!row.IsPopup() || !bar->Model().IsVisible(i)) continue;
      for (const MenuEntry& e : row.entry->children)
        if (e.kind == MenuEntry::Kind::Item && e.id == 57650) {
          bar->OpenPopup(i, false);
          QMenu* menu = bar->OpenMenu();
          return menu && test::WaitFor([menu] { return menu->isVisible(); }) ? menu : nullptr;
        }
    }
    return nullptr;
  }
  // The texts of the Window menu's window list.
  static std::vector<std::string> ListedWindows(QMenu* menu) {
    std::vector<std::string> listed;
    for (QAction* a : menu->actions()) {
      const uint id = a->data().toUInt();
      if (id >= 65280 && id <= 65288) listed.push_back(a->text().toStdString());
    }
    return listed;
  }
  static void CloseMenu(QMenu* menu) {
    menu->close();
    EXPECT_TRUE(test::WaitFor([menu] { return !menu->isVisible(); }));
  }
};

// Typed into Blinky.c, then the Output Window hidden by its close button or
// by Hide on its menu: the next keys go on into the text, as after hiding
// it through the View menu.
TEST_F(FrameBarWindowsTest, HidingTheOutputWindowLeavesTheKeysWithTheText) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 1);
  ASSERT_NE(v, nullptr);
  SECControlBar* bar = f->OutputBar();
  ASSERT_NE(bar, nullptr);
  struct Way {
    const char* name;
    std::function<void()> hide;
  };
  const Way ways[] = {
      {"CloseButton",
       [bar] {
         ASSERT_TRUE(bar->State().exStyle & SECBAR_EX_CLOSEBTN);
         const QPoint at = ToQRect(bar->Decorations().closeBtn).center();
         QTest::mouseClick(bar, Qt::LeftButton, {}, at);
       }},
      {"HideOnItsMenu",
       [bar] {
         std::unique_ptr<QMenu> menu(bar->BuildContextMenu());
         QAction* hide = nullptr;
         for (QAction* a : menu->actions())
           if (a->data().toUInt() == kIdHideBar) hide = a;
         ASSERT_NE(hide, nullptr);
         hide->trigger();
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    if (!bar->IsBarVisible()) f->ShowControlBar(bar, true, false);
    ASSERT_TRUE(test::WaitFor([bar] { return bar->isVisible(); }));
    v->setFocus();
    QTest::keyClicks(v, "ab");
    const std::string before = v->Document().Text().GetText();
    way.hide();
    EXPECT_FALSE(bar->IsBarVisible());
    EXPECT_EQ(QApplication::focusWidget(), v);
    QWidget* keys = QApplication::focusWidget();
    ASSERT_NE(keys, nullptr);
    QTest::keyClicks(keys, "cd");
    EXPECT_EQ(v->Document().Text().GetText().size(), before.size() + 2);
  }
}

// A right click on the Command page offers the Output Window's docking
// entries first, as a right click on its Build page does.
TEST_F(FrameBarWindowsTest, TheCommandPageMenuOffersTheOutputWindowsDockingEntries) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  CommandWindow* command = nullptr;
  for (QObject* o : f->Output()->CommandPage()->children())
    if (auto* w = dynamic_cast<CommandWindow*>(o)) command = w;
  ASSERT_NE(command, nullptr);
  f->Output()->SelectPage(COutWin::kCommandPage);
  QWidget* list = command->OutputList();
  ASSERT_TRUE(test::WaitFor([list] { return list->isVisible(); }));

  std::vector<unsigned> ids;
  std::vector<std::string> texts;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* a : menu->actions()) {
      ids.push_back(a->data().toUInt());
      texts.push_back(a->text().toStdString());
    }
    menu->close();
  });
  look.start(10);
  const QPoint at(10, 10);
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, list->mapToGlobal(at));
  QApplication::sendEvent(list, &click);
  look.stop();
  const auto has = [&ids](unsigned id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
  EXPECT_TRUE(has(kIdAllowDocking)) << ::testing::PrintToString(texts);
  EXPECT_TRUE(has(kIdHideBar)) << ::testing::PrintToString(texts);
  EXPECT_TRUE(has(kIdFloatInMainWindow)) << ::testing::PrintToString(texts);
  // The page's own entries follow.
  EXPECT_NE(std::find(texts.begin(), texts.end(), "C&lear window"), texts.end()) << ::testing::PrintToString(texts);

  // Hide from there hides the Output Window.
  look.disconnect();
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* a : menu->actions())
      if (a->data().toUInt() == kIdHideBar) {
        menu->close();
        a->trigger();
        return;
      }
    menu->close();
  });
  look.start(10);
  QApplication::sendEvent(list, &click);
  look.stop();
  EXPECT_FALSE(f->OutputBar()->IsBarVisible());
}

// The Output Window floating inside the main window and hidden is no
// window the Window menu lists; the list's first number goes to the first
// window it shows.
TEST_F(FrameBarWindowsTest, TheWindowMenuLeavesOutAHiddenOutputWindow) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  f->OpenFileAndShow(dir + "Timer.c", 0, 0);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  SECControlBar* bar = f->OutputBar();
  bar->OnFloatInMainWindow();
  ASSERT_TRUE(bar->IsMDIChildFloat());
  QMenu* menu = OpenWindowMenu(f);
  ASSERT_NE(menu, nullptr);
  std::vector<std::string> shown = ListedWindows(menu);
  CloseMenu(menu);
  EXPECT_EQ(shown.size(), 3u) << ::testing::PrintToString(shown);

  bar->OnHide();
  ASSERT_FALSE(bar->IsBarVisible());
  menu = OpenWindowMenu(f);
  ASSERT_NE(menu, nullptr);
  shown = ListedWindows(menu);
  CloseMenu(menu);
  ASSERT_EQ(shown.size(), 2u) << ::testing::PrintToString(shown);
  for (const std::string& t : shown) EXPECT_EQ(t.find("Output Window"), std::string::npos) << t;
  EXPECT_EQ(shown[0].rfind("&1 ", 0), 0u) << shown[0];
  EXPECT_EQ(shown[1].rfind("&2 ", 0), 0u) << shown[1];
  // Each number opens the window it names.
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(f->ExecuteCommand(65280 + CommandId(i)));
    QMdiSubWindow* active = f->MdiClient()->activeSubWindow();
    ASSERT_NE(active, nullptr);
    EXPECT_TRUE(active->isVisible());
    EXPECT_NE(shown[std::size_t(i)].find(active->windowTitle().toStdString()), std::string::npos)
        << shown[std::size_t(i)];
  }
}

QPrintPreviewDialog* ShownPreview() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* p = qobject_cast<QPrintPreviewDialog*>(w); p && p->isVisible()) return p;
  return nullptr;
}
// The preview bit of the state word the views read (the main window's
// close reads it from there too).
bool PreviewBit(EditorView* v) { return (v->Document().AppState() & kAppPrintPreview) != 0; }
int ShownPreviews() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<QPrintPreviewDialog*>(w) && w->isVisible()) ++n;
  return n;
}

// The preview of Blinky.c stays open while the program goes on, and holds
// the main window meanwhile: a request to close it is refused with a beep,
// its keys run nothing (F7 would build), Print Preview asked again brings
// the same preview forward. Closed, it gives the main window back.
TEST_F(FrameBarWindowsTest, ThePrintPreviewHoldsTheMainWindowUntilItCloses) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 1);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  const int beeps = s.runtime.Dialogs().BeepCount();
  EXPECT_TRUE(f->ExecuteCommand(57609));
  QPrintPreviewDialog* preview = ShownPreview();
  ASSERT_NE(preview, nullptr);
  const QPointer<QPrintPreviewDialog> alive(preview);
  EXPECT_FALSE(f->isEnabled());
  EXPECT_TRUE(PreviewBit(v));
  f->close();  // the main window's close button
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(s.runtime.Dialogs().BeepCount() - beeps, 1);
  // The keys reach the frame's filter before the held window drops them.
  QTest::keyClick(v, Qt::Key_F7);
  EXPECT_FALSE(s.App().HasState(kStateBusy)) << "F7 built under the preview";
  EXPECT_TRUE(f->ExecuteCommand(57609));
  EXPECT_EQ(ShownPreviews(), 1);
  EXPECT_EQ(ShownPreview(), preview);
  // Closed: the main window takes input again and closes when asked.
  preview->reject();
  EXPECT_TRUE(f->isEnabled());
  EXPECT_FALSE(PreviewBit(v));
  EXPECT_TRUE(test::WaitFor([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return alive.isNull();
  }));
  EXPECT_TRUE(f->QueryCommand(57609).enabled);
}

// The view the preview prints closing beneath it (the program closing its
// windows) takes the preview along and gives the main window back.
TEST_F(FrameBarWindowsTest, ThePreviewGoesWithItsView) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 1);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  EXPECT_TRUE(f->ExecuteCommand(57609));
  const QPointer<QPrintPreviewDialog> preview(ShownPreview());
  ASSERT_FALSE(preview.isNull());
  f->Editors().CloseAll();
  EXPECT_TRUE(test::WaitFor([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return preview.isNull();
  }));
  EXPECT_TRUE(f->isEnabled());
  v = OpenActive(f, dir + "LED.c", 1);
  ASSERT_NE(v, nullptr);
  EXPECT_FALSE(PreviewBit(v));
}

// The CAP, NUM and SCRL panes show their text while their lock is on, and
// none while it is off or cannot be read; a lock key shows at once.
TEST_F(FrameBarWindowsTest, TheKeyIndicatorsFollowTheLockKeys) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  // Shared with the frame, which may still ask while it goes.
  auto locks = std::make_shared<std::optional<KeyLocks>>();
  f->m_readKeyLocks = [locks] { return *locks; };
  const auto shown = [f] {
    std::vector<std::string> texts;
    for (unsigned id : {59137u, 59138u, 59139u}) {
      const int index = f->Status()->CommandToIndex(id);
      texts.push_back(index < 0 ? "<no pane>" : f->Status()->Model().Pane(index).shown);
    }
    return texts;
  };
  struct Row {
    const char* name;
    std::optional<KeyLocks> locks;
    std::vector<std::string> shown;
  };
  const Row rows[] = {
      {"Unreadable", std::nullopt, {"", "", ""}},
      {"AllOff", KeyLocks{}, {"", "", ""}},
      {"Caps", KeyLocks{true, false, false}, {"CAP", "", ""}},
      {"NumAndScroll", KeyLocks{false, true, true}, {"", "NUM", "SCRL"}},
      {"AllOn", KeyLocks{true, true, true}, {"CAP", "NUM", "SCRL"}},
      {"OffAgain", KeyLocks{}, {"", "", ""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    *locks = row.locks;
    f->UpdateCommandUi();
    EXPECT_EQ(shown(), row.shown);
  }
  // Caps Lock let go in the text: the pane follows before any idle update.
  EditorView* v = OpenActive(f, dir + "Blinky.c", 1);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  *locks = KeyLocks{true, false, false};
  QTest::keyRelease(v, Qt::Key_CapsLock);
  EXPECT_EQ(shown(), (std::vector<std::string>{"CAP", "", ""}));
}

}  // namespace
}  // namespace pm2
