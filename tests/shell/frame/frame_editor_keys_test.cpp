// The editor's own commands at the frame, reached the way a user reaches
// them: their default keys in an editor window, the keyboard's way to the
// context menu, and the shortcuts page that lets a key be given to any
// command the frame carries out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "editor/engine/edit_engine.h"
#include "editor/ide/editor_view.h"
#include "editor/wizard_ui/editor_config_sheet.h"
#include "editor/wizard_ui/shortcuts_page.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_options_command.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/frame_keys.h"

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

// Shift+F10 opens the editor's context menu as the Menu key does, and
// leaves the caret where it was.
TEST_F(FrameEditorKeysTest, ShiftF10OpensTheEditorsContextMenu) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 3);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  const int caretLine = v->Engine().State().nCaretLine;
  // The items of the menu that `ask` opens; the menu is closed while it
  // shows.
  auto menuOf = [](const std::function<void()>& ask) {
    std::vector<unsigned> shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || !shown.empty()) return;
      for (QAction* a : menu->actions()) shown.push_back(a->data().toUInt());
      menu->close();
    });
    closer.start(0);
    ask();
    QCoreApplication::processEvents();
    return shown;
  };
  // The platform turns the Menu key into a context-menu event for the view.
  const std::vector<unsigned> byMenuKey = menuOf([v] {
    QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(), v->mapToGlobal(QPoint()));
    QApplication::sendEvent(v, &e);
  });
  const std::vector<unsigned> byShiftF10 = menuOf([v] { QTest::keyClick(v, Qt::Key_F10, Qt::ShiftModifier); });
  EXPECT_FALSE(byMenuKey.empty());
  EXPECT_NE(std::find(byShiftF10.begin(), byShiftF10.end(), unsigned(cmd::kEditCopy)), byShiftF10.end());
  EXPECT_EQ(byShiftF10, byMenuKey);
  EXPECT_EQ(v->Engine().State().nCaretLine, caretLine);
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
