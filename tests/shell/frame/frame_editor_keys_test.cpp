// The editor's own commands at the frame, reached the way a user reaches
// them: their default keys in an editor window, the keyboard's way to the
// context menu, Alt+F4 in the Go to Line dialog, Exit given just before a
// right click in the text, and the shortcuts page that lets a key be given
// to any command the frame carries out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "editor/engine/edit_engine.h"
#include "editor/ide/editor_printer.h"
#include "editor/ide/editor_view.h"
#include "editor/wizard_ui/editor_config_sheet.h"
#include "editor/wizard_ui/shortcuts_page.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_options_command.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/frame_keys.h"
#include "shell/windows/goto_line_dialog.h"

namespace pm2 {
namespace frame_editor_keys_test {

class FrameEditorKeysTest : public test::ExampleFrameTest {};

struct KeyRow {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers mods;
  unsigned command;
};
const KeyRow kEditorKeys[] = {
    {"cut the whole line", Qt::Key_L, Qt::ControlModifier, 35086},
    {"find the word forward", Qt::Key_F3, Qt::ControlModifier, 35087},
    {"find the word backward", Qt::Key_F3, Qt::ControlModifier | Qt::ShiftModifier, 35088},
    {"definition of the word", Qt::Key_F12, Qt::NoModifier, 35099},
    {"reference to the word", Qt::Key_F12, Qt::ShiftModifier, 35100},
};

std::string LineText(EditorView* v, int line) {
  std::string t = v->Document().Text().GetLine(line)->m_text;
  while (!t.empty() && (t.back() == '\r' || t.back() == '\n')) t.pop_back();
  return t;
}

// In an editor window each key reaches its command through the frame (the
// editor's own key table leaves them alone), and the two that change the
// text or the selection do what they say.
TEST_F(FrameEditorKeysTest, TheWordAndLineCommandsHaveTheirKeysInAnEditor) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "LED.h", 2);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  for (const KeyRow& r : kEditorKeys) {
    QKeyEvent press(QEvent::KeyPress, r.key, r.mods);
    EXPECT_EQ(f->Keys()->CommandOfKey(v, press), r.command) << r.name;
  }
  // Ctrl+L takes the caret's line out, onto the clipboard (Home first
  // leaves the line that the opening selected).
  QTest::keyClick(v, Qt::Key_Home);
  const int caretLine = v->Engine().State().nCaretLine;
  const int lines = v->Document().Text().GetLineCount();
  const std::string cut = LineText(v, caretLine);
  const std::string next = LineText(v, caretLine + 1);
  ASSERT_FALSE(cut.empty());
  QTest::keyClick(v, Qt::Key_L, Qt::ControlModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(v->Document().Text().GetLineCount(), lines - 1);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), cut);
  EXPECT_EQ(LineText(v, caretLine), next);
  // Ctrl+F3 in "void" of "void LED_Init(void);" selects the next "void",
  // the one in the parentheses.
  const int voidLine = caretLine + 2;
  ASSERT_EQ(LineText(v, voidLine), "void LED_Init(void);");
  v->Engine().GotoLine(voidLine, 1);
  QTest::keyClick(v, Qt::Key_F3, Qt::ControlModifier);
  QCoreApplication::processEvents();
  bool column = false;
  EXPECT_EQ(v->Engine().GetSelectedText(&column), "void");
  EXPECT_EQ(v->Engine().State().nCaretLine, voidLine);
  EXPECT_GE(v->Engine().State().nCaretCol, 14);
}

// Shift+F10 opens the editor's context menu as the Menu key does, at the
// caret (below its line), and leaves the caret where it was.
TEST_F(FrameEditorKeysTest, ShiftF10AndTheMenuKeyOpenTheEditorsContextMenuAtTheCaret) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 3);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  // A caret well inside the text, away from its top-left corner.
  v->Engine().GotoLine(6, 12);
  QCoreApplication::processEvents();
  const EditState& st = v->Engine().State();
  const int caretLine = st.nCaretLine, caretCol = st.nCaretCol;
  ASSERT_GT(caretLine - st.nTopLine, 1);
  ASSERT_GT(caretCol - st.nLeftCol, 4);
  // The caret's line in global coordinates, from the text's own measures.
  const QPoint lineTopLeft = v->viewport()->mapToGlobal(
      QPoint((caretCol - st.nLeftCol) * st.nCharWidth + st.nLeftMargin, (caretLine - st.nTopLine) * st.nLineHeight));
  struct Shown {
    std::vector<unsigned> items;
    QPoint at;
  };
  // The items and the place of the menu that `ask` opens; the menu is
  // closed while it shows.
  auto menuOf = [](const std::function<void()>& ask) {
    Shown shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || !shown.items.empty()) return;
      for (QAction* a : menu->actions()) shown.items.push_back(a->data().toUInt());
      shown.at = menu->geometry().topLeft();
      menu->close();
    });
    closer.start(0);
    ask();
    QCoreApplication::processEvents();
    return shown;
  };
  struct Road {
    const char* name;
    std::function<void()> ask;
  };
  const Road roads[] = {
      // The platform turns the Menu key into a context-menu event for the
      // view, at the view's corner.
      {"Menu key",
       [v] {
         QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(), v->mapToGlobal(QPoint()));
         QApplication::sendEvent(v, &e);
       }},
      {"Shift+F10", [v] { QTest::keyClick(v, Qt::Key_F10, Qt::ShiftModifier); }},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    const Shown shown = menuOf(road.ask);
    EXPECT_NE(std::find(shown.items.begin(), shown.items.end(), unsigned(cmd::kEditCopy)), shown.items.end());
    // At the caret's column, just below its line.
    EXPECT_GE(shown.at.x(), lineTopLeft.x() - st.nCharWidth);
    EXPECT_LE(shown.at.x(), lineTopLeft.x() + st.nCharWidth);
    EXPECT_GE(shown.at.y(), lineTopLeft.y() + st.nLineHeight / 2);
    EXPECT_LE(shown.at.y(), lineTopLeft.y() + 2 * st.nLineHeight);
    EXPECT_EQ(v->Engine().State().nCaretLine, caretLine);
    EXPECT_EQ(v->Engine().State().nCaretCol, caretCol);
  }
}

// Exit, and a right click in the text before the close it posts is taken
// up: the close comes while the editor's context menu is open, and closes
// the window the menu belongs to. The menu goes with it (it lived on the
// stack of the click's handler and was freed there a second time: the
// program crashed), and the program closes.
TEST_F(FrameEditorKeysTest, ExitJustBeforeARightClickInTheTextCloses) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 3);
  ASSERT_NE(v, nullptr);
  QPointer<QWidget> text = v->viewport();
  // A menu still open once the window has closed is closed (and counted),
  // so the test goes on whatever the close did.
  bool menuOutlived = false;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&menuOutlived, f] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu && !f->isVisible()) {
      menuOutlived = true;
      menu->close();
    }
  });
  closer.start(0);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kAppExit));
  const QPoint at(text->width() / 2, text->height() / 2);
  QContextMenuEvent e(QContextMenuEvent::Mouse, at, text->mapToGlobal(at));
  QApplication::sendEvent(text, &e);
  EXPECT_TRUE(test::WaitFor([&] { return !f->isVisible(); }));
  EXPECT_TRUE(text.isNull()) << "the editor window outlived the close";
  EXPECT_FALSE(menuOutlived) << "the menu stayed open after the close had taken its window";
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

// The print preview holds the main window disabled while it is open; once
// it closes, the keyboard is back in the editor window it showed (not in
// the first window of the frame that takes it, the project window), and a
// typed key lands in the text.
TEST_F(FrameEditorKeysTest, AfterThePrintPreviewTheKeyboardIsBackInTheEditorItShowed) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(OpenActive(f, dir + "LED.c", 1), nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 3);
  ASSERT_NE(v, nullptr);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  v->setFocus();
  ASSERT_TRUE(test::WaitFor([&] { return v->hasFocus(); }));
  ASSERT_TRUE(f->ExecuteCommand(kCmdPrintPreview));
  QPointer<QWidget> preview = OpenPrintPreview();
  ASSERT_NE(preview, nullptr);
  EXPECT_FALSE(f->isEnabled()) << "the preview holds the main window";
  ASSERT_TRUE(QTest::qWaitForWindowActive(preview));
  qobject_cast<QDialog*>(preview.data())->reject();
  EXPECT_TRUE(test::WaitFor([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return preview.isNull() && f->isActiveWindow();
  }));
  ASSERT_TRUE(f->isEnabled());
  QWidget* focus = QApplication::focusWidget();
  EXPECT_TRUE(focus == v || (focus && v->isAncestorOf(focus)))
      << "the keyboard is in " << (focus ? focus->metaObject()->className() : "no window") << " "
      << (focus ? focus->objectName().toStdString() : "");
  EXPECT_EQ(f->Editors().Active(), v);
  const std::string before = LineText(v, 3);
  if (focus) QTest::keyClick(focus, Qt::Key_X);
  EXPECT_TRUE(v->Document().IsModified()) << "the typed key did not reach the text";
  EXPECT_NE(LineText(v, 3), before);
}

// Alt+F4 closes the window that has the keyboard: in the modeless Go to
// Line dialog it closes the dialog, and the program goes on.
TEST_F(FrameEditorKeysTest, AltF4InTheGoToLineDialogClosesOnlyTheDialog) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(OpenActive(f, dir + "Blinky.c", 3), nullptr);
  ASSERT_TRUE(f->ExecuteCommand(kCmdGoToLine));
  QPointer<GotoLineDialog> dialog = f->findChild<GotoLineDialog*>();
  ASSERT_NE(dialog, nullptr);
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
  std::vector<unsigned> commands;
  f->Keys()->onCommandKey = [&commands](unsigned id) { commands.push_back(id); };
  QTest::keyClick(dialog->Edit(), Qt::Key_F4, Qt::AltModifier);
  f->Keys()->onCommandKey = nullptr;
  EXPECT_TRUE(test::WaitFor([&] { return dialog.isNull() || !dialog->isVisible(); }));
  EXPECT_EQ(commands, std::vector<unsigned>{});
  EXPECT_TRUE(f->isVisible());
  EXPECT_FALSE(s.App().m_windows.IsOpen(WindowSlot::GotoLineDlg));
  // In the frame itself Alt+F4 is still the way out (its command).
  QKeyEvent press(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
  EXPECT_EQ(f->Keys()->CommandOfKey(f->Editors().Active(), press), 57665u);
}

// View > Options, Shortcuts lists every command the frame carries out and
// can describe, the editor's word and line commands among them, so that a
// key can be given to each.
TEST_F(FrameEditorKeysTest, TheShortcutsPageListsEveryCommandTheFrameCarriesOut) {
  std::vector<unsigned> missing;
  std::vector<unsigned> checked;
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SetEditorOptionsSheet([&](CColFnt& sheet) {
    CPgScut* page = sheet.ShortcutsPage();
    for (const CommandRow& row : CommandTable()) {
      if (!std::isupper(static_cast<unsigned char>(row.menu[0]))) continue;  // windows', bars' own
      for (CommandId id = row.first; id <= row.last; ++id) {
        if (ClassifyRuntimeId(id, nullptr) != RuntimeRange::None) continue;
        if (!f->HasHandler(id) || CommandPrompt(id).empty()) continue;
        checked.push_back(id);
        if (page->RowOfCommand(id) < 0) missing.push_back(id);
      }
    }
    return false;
  });
  f->ExecuteCommand(32763);
  SetEditorOptionsSheet(nullptr);
  for (const KeyRow& r : kEditorKeys)
    EXPECT_NE(std::find(checked.begin(), checked.end(), r.command), checked.end()) << r.name;
  EXPECT_EQ(missing, std::vector<unsigned>{});
}

}  // namespace frame_editor_keys_test
}  // namespace pm2
