#include "toolkit/menus/assign_key_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "platform/fault_disk.h"
#include "toolkit/menus/command_list.h"
#include "toolkit/menus/fake_frame.h"
#include "toolkit/menus/hot_key_edit.h"
#include "toolkit/menus/menu_builder.h"
#include "toolkit/menus/qt_keys.h"
#include "toolkit/menus/qt_menu_access.h"
#include "toolkit/menus/shortcut_table.h"

namespace pm2 {
namespace {

void EnsureApp() {
  static int argc = 1;
  static char arg0[] = "test";
  static char* argv[] = {arg0, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

struct QtKeyRow {
  const char* name;
  int key;
  Qt::KeyboardModifiers modifiers;
  std::uint32_t hotKey;
};

class QtHotKeys : public testing::TestWithParam<QtKeyRow> {};

TEST_P(QtHotKeys, Row) { EXPECT_EQ(HotKeyOf(GetParam().key, GetParam().modifiers), GetParam().hotKey); }

INSTANTIATE_TEST_SUITE_P(
    Rows, QtHotKeys,
    testing::Values(QtKeyRow{"Letter", Qt::Key_B, Qt::ControlModifier, 0x200 | 'B'},
                    QtKeyRow{"Function", Qt::Key_F7, Qt::AltModifier | Qt::ShiftModifier, 0x500 | 118},
                    QtKeyRow{"ArrowIsExtended", Qt::Key_Up, Qt::AltModifier, 0xC00 | 38},
                    QtKeyRow{"KeypadDigit", Qt::Key_7, Qt::KeypadModifier, 103},
                    QtKeyRow{"KeypadDivideIsExtended", Qt::Key_Slash, Qt::KeypadModifier, 0x800 | 111},
                    QtKeyRow{"ModifierAlone", Qt::Key_Control, Qt::ControlModifier, 0}),
    [](const auto& info) { return info.param.name; });

// A frame for the shortcuts: its menu shows the keys and its key presses
// run the commands of its accelerators.
class TestFrame : public QWidget, public test::FakeFrame {
 public:
  explicit TestFrame(AccelTable table) : FakeFrame(std::move(table)), access(&menu) {
    ResourceTables t;
    std::string err;
    t.Load("MENU 1\nPOPUP \"&Project\"\nITEM 32720 \"&Build target\"\nITEM 35051 \"&Options...\"\nEND\nEND\n", "t",
           &err);
    FillQMenu(&menu, *t.Menu(1));
    setFocusPolicy(Qt::StrongFocus);
  }
  std::vector<MenuAccess*> Menus() override { return {&access}; }
  QString ItemText(int id) const {
    for (QAction* a : menu.actions()[0]->menu()->actions())
      if (a->data().toInt() == id) return a->text();
    return {};
  }
  void keyPressEvent(QKeyEvent* e) override {
    const QString text = e->text();
    if (const auto cmd = MatchKeyPress(*current, e->key(), e->modifiers(), text.isEmpty() ? 0 : text[0].toLatin1()))
      ran.push_back(cmd);
  }
  QMenu menu;
  QMenuAccess access;
  std::vector<unsigned> ran;
};

const AccelTable kResource = {{FVIRTKEY | FNOINVERT, 118, 32720}, {FVIRTKEY | FNOINVERT | FALT, 118, 35051}};

class AssignKeyTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    std::string err;
    ASSERT_TRUE(strings.Load("", "t", &err));
  }
  ResourceTables strings;
  FaultDisk disk;
  const ShortcutFilePaths paths{"/cfg/pelmora2.Mac", "/cfg/pelmora2.Mac"};
};

TEST_F(AssignKeyTest, ShowsTheCurrentAssignment) {
  TestFrame frame(kResource);
  SECShortcutTable table(frame, paths, &disk);
  SECCommandList list(frame, strings);
  list.BuildFromMenus();
  SECAssignKeyDlg dlg(list, table);
  dlg.show();
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
  EXPECT_FALSE(dlg.AssignmentText()->isVisible());
  QTest::keyClick(dlg.HotKeyControl(), Qt::Key_F7, Qt::AltModifier);
  EXPECT_TRUE(dlg.OkButton()->isEnabled());
  EXPECT_TRUE(dlg.AssignmentText()->isVisible());
  EXPECT_EQ(dlg.AssignmentText()->text(), "Project:Options");
  QTest::keyClick(dlg.HotKeyControl(), Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(dlg.AssignmentText()->text(), "Unassigned");
  QTest::keyClick(dlg.HotKeyControl(), Qt::Key_Pause);
  EXPECT_EQ(dlg.HotKeyControl()->HotKey(), 0u);
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
}

struct RefusalRow {
  const char* name;
  int key;
  Qt::KeyboardModifiers modifiers;
  bool refused;
};

class AssignKeyRefusal : public AssignKeyTest, public testing::WithParamInterface<RefusalRow> {};

TEST_P(AssignKeyRefusal, Row) {
  TestFrame frame(kResource);
  SECShortcutTable table(frame, paths, &disk);
  SECCommandList list(frame, strings);
  SECAssignKeyDlg dlg(list, table);
  QStringList refusals;
  dlg.showRefusal = [&](const QString& text) { refusals << text; };
  dlg.show();
  QTest::keyClick(dlg.HotKeyControl(), static_cast<Qt::Key>(GetParam().key), GetParam().modifiers);
  QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
  if (GetParam().refused) {
    EXPECT_EQ(refusals, QStringList{"This key combination is reserved and cannot be reassigned."});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.HotKey(), 0u);
  } else {
    EXPECT_TRUE(refusals.isEmpty());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.HotKey(), HotKeyOf(GetParam().key, GetParam().modifiers));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, AssignKeyRefusal,
                         testing::Values(RefusalRow{"F1", Qt::Key_F1, Qt::NoModifier, true},
                                         RefusalRow{"F4", Qt::Key_F4, Qt::NoModifier, false},
                                         RefusalRow{"CtrlF4", Qt::Key_F4, Qt::ControlModifier, true},
                                         RefusalRow{"ShiftF6", Qt::Key_F6, Qt::ShiftModifier, true},
                                         RefusalRow{"CtrlB", Qt::Key_B, Qt::ControlModifier, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(AssignKeyTest, AssignedKeyRunsItsCommandAndSurvivesARestart) {
  {
    TestFrame frame(kResource);
    SECShortcutTable startup(frame, paths, &disk);
    EXPECT_FALSE(startup.Load());  // first start: no file yet
    SECShortcutTable table(frame, paths, &disk);
    SECCommandList list(frame, strings);
    list.BuildFromMenus();
    SECAssignKeyDlg dlg(list, table);
    dlg.show();
    QTest::keyClick(dlg.HotKeyControl(), Qt::Key_B, Qt::ControlModifier);
    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    table.AssignShortcut(dlg.HotKey(), 32720);
    ASSERT_TRUE(table.Save()) << table.LastError();
    ASSERT_TRUE(table.CreateAccelTable());
    EXPECT_EQ(frame.ItemText(32720), "&Build target\tF7");  // the first key of the command shows
    frame.show();
    QTest::keyClick(&frame, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(frame.ran, std::vector<unsigned>{32720});
  }
  TestFrame restarted(kResource);
  SECShortcutTable startup(restarted, paths, &disk);
  ASSERT_TRUE(startup.Load());
  ASSERT_TRUE(startup.CreateAccelTable());
  restarted.show();
  QTest::keyClick(&restarted, Qt::Key_B, Qt::ControlModifier);
  QTest::keyClick(&restarted, Qt::Key_F7, Qt::AltModifier);
  EXPECT_EQ(restarted.ran, (std::vector<unsigned>{32720, 35051}));
  EXPECT_EQ(restarted.ItemText(35051), "&Options...\tAlt+F7");
}

}  // namespace
}  // namespace pm2
