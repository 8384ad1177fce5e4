// The main frame on the offscreen platform, started as the program starts
// it: the example project opens in the project window, builds through the
// command routing with the real ARM tools, shows its lines, a double click
// on an error line opens the file at that line selected, and closing and
// starting again restores the layout, the placement and the project.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QPlainTextEdit>
#include <QClipboard>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "builder/commands/key_sequences.h"
#include "editor/document/editor_document.h"
#include "editor/document/view_commands.h"
#include "editor/ide/editor_view.h"
#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_bars.h"
#include "shell/app/build_port.h"
#include "builder/driver/build_driver.h"
#include "shell/frame/frame_startup.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/about_dialog.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/tool_commands.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/docking/bar_styles.h"
#include "shell/windows/qt_user_dialogs.h"
#include "shell/windows/shell_runtime.h"
#include "toolkit/controls/list_edit.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/status_bar.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/xp_look.h"
#include "toolkit/core/color_math.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/sys_colors.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {


class MainFrameTest : public test::ExampleFrameTest {};

TEST_F(MainFrameTest, OpensTheProjectInTheProjectWindow) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(f->windowTitle().toStdString(), "Blinky  - Pelmora2");
  SECTreeCtrl* tree = f->ProjectBar()->View()->Tree();
  HTREEITEM rootItem = tree->GetRootItem();
  ASSERT_NE(rootItem, nullptr);
  EXPECT_EQ(tree->GetItemText(rootItem), s.App().Project()->curTarget->name.str());
  EXPECT_GE(tree->CountItems(rootItem, true, false), 5);
  // The target box lists the target; the output pane is registered.
  EXPECT_EQ(f->Bars()->TargetBox()->currentText().toStdString(), s.App().Project()->curTarget->name.str());
  EXPECT_TRUE(s.App().m_windows.IsOpen(WindowSlot::OutputPane));
  EXPECT_FALSE(f->QueryCommand(cmd::kStopBuild).enabled);
  EXPECT_TRUE(f->QueryCommand(cmd::kBuildTarget).enabled);
}

TEST_F(MainFrameTest, DoubleClickOnAFileOpensItInAnEditorWindow) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  CPrjView* view = f->ProjectBar()->View();
  FileRec* led = FindSourceFileByName("LED.c");
  ASSERT_NE(led, nullptr);
  HTREEITEM item = view->ItemOf(led);
  ASSERT_NE(item, nullptr);
  view->Tree()->SelectItem(item);
  EXPECT_EQ(s.App().m_pSelItem, led);
  EXPECT_TRUE(f->ExecuteCommand(cmd::kOpenSelectedFile));
  EXPECT_NE(f->Editors().ActivePath().find("LED.c"), std::string::npos);
  EXPECT_EQ(f->windowTitle().toStdString(), "Blinky  - Pelmora2 - LED.c");
  // The C file is coloured: its keywords ("void", "unsigned") are painted
  // in the C files' keyword colour, taken from the installed keyword file.
  EditorView* edit = f->Editors().Active();
  ASSERT_NE(edit, nullptr);
  QCoreApplication::processEvents();
  const QImage image = edit->grab().toImage();
  int keywordPixels = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor px = image.pixelColor(x, y);
      if (px.blue() > 200 && px.red() < 80 && px.green() < 80) ++keywordPixels;
    }
  EXPECT_GT(keywordPixels, 20);
}

TEST_F(MainFrameTest, BuildShowsTheLinesAndAJumpOpensTheErrorLine) {
  if (!HaveTools()) GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
  {
    std::ofstream led(dir + "LED.c", std::ios::app);
    led << "\nint broken_value = ;\n";
  }
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  EXPECT_TRUE(s.App().HasState(kStateBusy));
  EXPECT_TRUE(f->QueryCommand(cmd::kStopBuild).enabled);
  EXPECT_FALSE(f->QueryCommand(cmd::kOpenProject).enabled);
  // The status bar shows the build and its progress while it runs.
  EXPECT_EQ(f->Status()->GetWindowText(), "Build target '" + s.App().Project()->curTarget->name.str() + "'");
  EXPECT_GE(f->Status()->ProgressPane(), 0);
  f->UpdateCommandUi();
  EXPECT_FALSE(f->Bars()->TargetBox()->isEnabled());  // no other target while it builds
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_TRUE(f->Bars()->TargetBox()->isEnabled());
  f->UpdateCommandUi();
  // The build's end reaches the status bar through the event loop.
  EXPECT_TRUE(test::WaitFor([&] { return f->Status()->GetWindowText() == "Ready"; })) << f->Status()->GetWindowText();
  EXPECT_TRUE(test::WaitFor([&] { return f->Status()->ProgressPane() < 0; }));
  std::string text = BuildText(f);
  EXPECT_NE(text.find("compiling LED.c..."), std::string::npos) << text;
  EXPECT_NE(text.find("Target not created"), std::string::npos) << text;
  EXPECT_EQ(text.find("0 Error(s)"), std::string::npos) << text;

  COutView* pane = f->Output()->BuildPane();
  const auto& lines = pane->Model().Lines();
  int index = -1;
  for (int i = 0; i < int(lines.size()); ++i)
    if (lines[i].find("LED.c(") != std::string::npos && lines[i].find("error") != std::string::npos) index = i;
  ASSERT_GE(index, 0) << text;
  pane->Model().EnsureVisible(index);
  pane->update();
  Rect lr = pane->Model().LineRect(index);
  QRect r(lr.left, lr.top, lr.right - lr.left, lr.bottom - lr.top);
  QTest::mouseDClick(pane, Qt::LeftButton, {}, r.center());
  EditorView* edit = f->Editors().Active();
  ASSERT_NE(edit, nullptr);
  EXPECT_NE(f->Editors().ActivePath().find("LED.c"), std::string::npos);
  bool column = false;
  EXPECT_NE(edit->Engine().GetSelectedText(&column).find("broken_value"), std::string::npos);
}

TEST_F(MainFrameTest, ClosingAndStartingAgainRestoresLayoutPlacementAndProject) {
  SettingsStore settings(dir + "settings.ini");
  QRect placed;
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    f->setGeometry(40, 30, 700, 500);  // on the offscreen platform's screen
    placed = f->geometry();
    f->ExecuteCommand(cmd::kViewOutputBar);  // hide the output bar
    EXPECT_FALSE(f->OutputBar()->IsBarVisible());
    f->ExecuteCommand(cmd::kViewBuildBar);  // hide the Build toolbar, show the Debug toolbar
    f->ExecuteCommand(cmd::kViewDebugBar);
    EXPECT_FALSE(f->Bars()->IsToolBarVisible(kBuildToolBarId));
    EXPECT_TRUE(f->Bars()->IsToolBarVisible(kDebugToolBarId));
    EXPECT_TRUE(f->close());
    EXPECT_EQ(s.App().Project(), nullptr);  // written and closed
  }
  EXPECT_EQ(settings.GetProfileInt("MFrame", "LprJ", 0), 1);
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::Session s(again, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(s.App().Project(), nullptr);  // the last project opened again
  EXPECT_EQ(s.App().Project()->name.str(), "Blinky");
  EXPECT_FALSE(f->OutputBar()->IsBarVisible());
  EXPECT_TRUE(f->ProjectBar()->IsBarVisible());
  // The toolbars come back as they were left, with their boxes.
  EXPECT_FALSE(f->Bars()->IsToolBarVisible(kBuildToolBarId));
  EXPECT_TRUE(f->Bars()->IsToolBarVisible(kDebugToolBarId));
  EXPECT_TRUE(f->Bars()->IsToolBarVisible(kFileToolBarId));
  ASSERT_NE(f->Bars()->TargetBox(), nullptr);
  EXPECT_EQ(f->Bars()->TargetBox()->currentText().toStdString(), s.App().Project()->curTarget->name.str());
  ASSERT_NE(f->Bars()->FindBox(), nullptr);
  // The toolbars' own updates keep the target box enabled, the find box
  // greyed without an editor.
  f->UpdateCommandUi();
  EXPECT_TRUE(f->Bars()->TargetBox()->isEnabled());
  EXPECT_FALSE(f->Bars()->FindBox()->isEnabled());
  EXPECT_EQ(f->geometry().size(), placed.size());
  EXPECT_NE(s.App().m_recent.At(0).find("Blinky"), std::string::npos);
}


std::vector<std::string> GroupFiles(GroupRec* g) {
  std::vector<std::string> names;
  for (FileRec* f = g->firstFile; f; f = f->next)
    if (!(f->flags & kFileRemoved)) names.push_back(f->name.str());
  return names;
}

TEST_F(MainFrameTest, DraggingAFileMovesItBetweenGroups) {
  test::ExampleSession s(dir, root);
  ASSERT_NE(s.Frame(), nullptr);
  CPrjView* view = s.Frame()->ProjectBar()->View();
  ProjectRec* p = s.App().Project();
  GroupRec* startup = FindGroupByName(p->firstGroup, "Startup");
  GroupRec* source = FindGroupByName(p->firstGroup, "Source");
  ASSERT_TRUE(startup && source);
  FileRec* led = FindSourceFileByName("LED.c");
  ASSERT_NE(led, nullptr);
  // Onto itself: nothing changes; onto the target item: refused.
  EXPECT_FALSE(view->DropFile(view->ItemOf(led), view->ItemOf(led)));
  EXPECT_FALSE(view->DropFile(view->ItemOf(led), view->ItemOf(p->curTarget)));
  EXPECT_EQ(GroupFiles(source), (std::vector<std::string>{"Blinky.c", "LED.c", "Timer.c"}));
  // Onto a group: at the head of that group.
  ASSERT_TRUE(view->DropFile(view->ItemOf(led), view->ItemOf(startup)));
  EXPECT_EQ(GroupFiles(startup), (std::vector<std::string>{"LED.c", "Startup.s"}));
  EXPECT_EQ(GroupFiles(source), (std::vector<std::string>{"Blinky.c", "Timer.c"}));
  // Onto a file: before it.
  FileRec* timer = FindSourceFileByName("Timer.c");
  FileRec* blinky = FindSourceFileByName("Blinky.c");
  ASSERT_TRUE(view->DropFile(view->ItemOf(timer), view->ItemOf(blinky)));
  EXPECT_EQ(GroupFiles(source), (std::vector<std::string>{"Timer.c", "Blinky.c"}));
  // The tree shows the records again.
  HTREEITEM startupItem = view->ItemOf(startup);
  ASSERT_NE(startupItem, nullptr);
  HTREEITEM first = view->Tree()->GetChildItem(startupItem);
  EXPECT_EQ(view->Tree()->GetItemText(first), "LED.c");
}

TEST_F(MainFrameTest, RenamingAGroupKeepsTheOldNameForAnEmptyText) {
  test::ExampleSession s(dir, root);
  ASSERT_NE(s.Frame(), nullptr);
  CPrjView* view = s.Frame()->ProjectBar()->View();
  GroupRec* source = FindGroupByName(s.App().Project()->firstGroup, "Source");
  auto rename = [&](NodeRec* rec, const std::string& text) {
    TVDISPINFO begin;
    begin.hdr.code = TVN_BEGINLABELEDIT;
    begin.item.hItem = view->ItemOf(rec);
    begin.item.param = reinterpret_cast<std::intptr_t>(rec);
    NotifyResult refused = view->OnNotify(begin.hdr);
    TVDISPINFO end = begin;
    end.hdr.code = TVN_ENDLABELEDIT;
    end.item.text = text;
    view->OnNotify(end.hdr);
    return refused == 0;
  };
  EXPECT_TRUE(rename(source, "Application"));
  EXPECT_EQ(source->name.str(), "Application");
  EXPECT_TRUE(rename(source, ""));
  EXPECT_EQ(source->name.str(), "Application");
  EXPECT_TRUE(rename(source, std::string(50, 'x')));
  EXPECT_EQ(source->name.size(), 40u);
  // 40 characters are kept whole, one of two bytes at the end too.
  const std::string forty = std::string(39, 'a') + "\xC3\xA4";
  EXPECT_TRUE(rename(source, forty + "b"));
  EXPECT_EQ(source->name.str(), forty);
  // A file cannot be renamed here.
  EXPECT_FALSE(rename(FindSourceFileByName("LED.c"), "Other.c"));
  // Typing in the name's edit stops at 40 characters.
  SECTreeCtrl* tree = view->Tree();
  ASSERT_TRUE(tree->EditLabel(0, 0));  // the target, the first row
  SECListEdit* edit = tree->GetEditControl();
  ASSERT_NE(edit, nullptr);
  QTest::keyClicks(edit, QString(50, 'y'));
  EXPECT_EQ(edit->toPlainText().size(), 40);
  QTest::keyClick(edit, Qt::Key_Escape);
  // A renamed target shows in the target box at once.
  TargetRec* t = s.App().Project()->curTarget;
  EXPECT_TRUE(rename(t, "Release"));
  EXPECT_EQ(s.Frame()->Bars()->TargetBox()->currentText().toStdString(), "Release");
}

// The project file holds target and group names in brackets: a name with
// a bracket without its partner is refused with the reason, the record and
// its tree label keep the old name.
TEST_F(MainFrameTest, RenamingInPlaceRefusesANameTheProjectFileCannotHold) {
  test::ExampleSession s(dir, root);
  ASSERT_NE(s.Frame(), nullptr);
  CPrjView* view = s.Frame()->ProjectBar()->View();
  GroupRec* source = FindGroupByName(s.App().Project()->firstGroup, "Source");
  TargetRec* target = s.App().Project()->curTarget;
  ASSERT_TRUE(source && target);
  const std::string targetName = target->name.str();
  const struct {
    const char* name;
    NodeRec* rec;
    const char* text;
    const char* message;
  } rows[] = {
      {"GroupClosing", source, "x)y", "The group name 'x)y' cannot be stored: it holds a ')' without its '('."},
      {"TargetClosing", target, "T)1", "The target name 'T)1' cannot be stored: it holds a ')' without its '('."},
      {"TargetOpening", target, "T(1", "The target name 'T(1' cannot be stored: it holds a '(' without its ')'."},
      // The build names its dependency file after the target.
      {"TargetWithAFolder", target, "a/b",
       "The target name 'a/b' cannot be stored: it holds a '/', which would make a folder of the files the build "
       "names after it."},
      // Two groups of one name: a peer's SetFileGroup("Startup", ..)
      // would empty the first and leave the tree showing its files.
      {"GroupOfAnotherGroupsName", source, "startup", "Group item already exists"},
  };
  for (const auto& r : rows) {
    const std::string before = r.rec == target ? targetName : "Source";
    test::BoxAnswers boxes({QMessageBox::Ok});
    const int beeps = s.runtime.Dialogs().BeepCount();
    TVDISPINFO begin;
    begin.hdr.code = TVN_BEGINLABELEDIT;
    begin.item.hItem = view->ItemOf(r.rec);
    begin.item.param = reinterpret_cast<std::intptr_t>(r.rec);
    ASSERT_EQ(view->OnNotify(begin.hdr), 0) << r.name;
    TVDISPINFO end = begin;
    end.hdr.code = TVN_ENDLABELEDIT;
    end.item.text = r.text;
    end.hasText = true;
    EXPECT_EQ(view->OnNotify(end.hdr), 0) << r.name << ": the label keeps its old text";
    ASSERT_EQ(boxes.texts.size(), 1u) << r.name;
    EXPECT_EQ(boxes.texts[0], r.message) << r.name;
    EXPECT_EQ(boxes.icons[0], QMessageBox::Warning) << r.name;
    EXPECT_EQ(s.runtime.Dialogs().BeepCount(), beeps + 1) << r.name;
    EXPECT_EQ(r.rec == target ? target->name.str() : source->name.str(), before) << r.name;
  }
  EXPECT_EQ(s.Frame()->Bars()->TargetBox()->currentText().toStdString(), targetName);
}


// A user tool's "^" and "~" give the line and the column (as the status
// bar shows them) of the caret: of the active editor for E; for F of the
// window showing the file selected in the project window, else of the
// active editor. The target row stands for the project file, with no
// position; a group row for nothing, so F is the active editor's.
TEST_F(MainFrameTest, KeySequencesGiveTheCaretsLineAndColumn) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  auto moveCaret = [](EditorView* edit, int down, int right) {
    QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < down; ++i) QTest::keyClick(edit, Qt::Key_Down);
    for (int i = 0; i < right; ++i) QTest::keyClick(edit, Qt::Key_Right);
  };
  EditorView* led = f->Editors().Open(dir + "LED.c");
  ASSERT_NE(led, nullptr);
  moveCaret(led, 1, 2);
  EditorView* timer = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(timer, nullptr);
  moveCaret(timer, 1, 4);
  ASSERT_EQ(f->Editors().Active(), timer);
  ProjectRec* project = s.App().Project();
  ASSERT_NE(project, nullptr);
  const struct {
    const char* name;
    NodeRec* selected;  // the project window's selected row, null for none
    const char* expanded;
  } rows[] = {
      {"NoFileSelected", nullptr, "Timer.h 2 5 Timer.h 2 5"},
      {"SelectedFileInAWindow", FindSourceFileByName("LED.c"), "Timer.h 2 5 LED.c 2 3"},
      {"SelectedFileInNoWindow", FindSourceFileByName("Blinky.c"), "Timer.h 2 5 Blinky.c 0 0"},
      {"TargetSelected", project->curTarget, "Timer.h 2 5 Blinky.pm2 0 0"},
      {"GroupSelected", project->firstGroup, "Timer.h 2 5 Timer.h 2 5"},
  };
  for (const auto& r : rows) {
    s.App().m_pSelItem = r.selected;
    std::string out;
    EXPECT_EQ(ExpandToolArguments(f->Tools()->Sources(), "%E ^E ~E %F ^F ~F", out), kExpandDone) << r.name;
    EXPECT_EQ(out, r.expanded) << r.name;
  }
  // The status bar shows the same position.
  EXPECT_EQ(CaretStatusText(timer->Engine().State().nCaretLine, timer->Engine().State().nCaretCol), "L:2 C:5");
}

TEST_F(MainFrameTest, EditCommandsReachTheActiveEditorAndSaveWritesIt) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(f->QueryCommand(57643).enabled);  // no editor: no undo
  EditorView* edit = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(edit, nullptr);
  EXPECT_FALSE(f->QueryCommand(57643).enabled);
  QTest::keyClicks(edit, "xy");
  EXPECT_TRUE(edit->Document().IsModified());
  ASSERT_TRUE(f->QueryCommand(57643).enabled);
  EXPECT_TRUE(f->ExecuteCommand(57643));  // undo
  EXPECT_TRUE(f->QueryCommand(57644).enabled);  // redo
  QTest::keyClicks(edit, "/*z*/");
  EXPECT_TRUE(f->ExecuteCommand(cmd::kFileSave));
  EXPECT_FALSE(edit->Document().IsModified());
  std::ifstream in(dir + "Timer.h");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("/*z*/"), std::string::npos);
}


// The editor's context menu offers the current target's register header
// (the example's device names LPC213x.h) and inserts it at the caret line.
// The context menu offers the target's register header once it is found
// on the target's include paths (here the project's folder); before, the
// entry is greyed and says why.
TEST_F(MainFrameTest, EditorMenuInsertsTheTargetsRegisterHeader) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* edit = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(edit, nullptr);
  edit->Engine().GotoLine(2, 0);
  auto entry = [edit](const QString& text, QMenu& menu) -> QAction* {
    edit->BuildContextMenu(menu);
    for (QAction* a : menu.actions())
      if (a->text() == text) return a;
    return nullptr;
  };
  {
    QMenu menu;
    EXPECT_EQ(entry("Insert '#include <LPC213x.h>'", menu), nullptr);
    QMenu greyedMenu;
    QAction* greyed = entry("Insert '#include <LPC213x.h>' (not on the target's include paths)", greyedMenu);
    ASSERT_NE(greyed, nullptr);
    EXPECT_FALSE(greyed->isEnabled());
  }
  std::ofstream(dir + "LPC213x.h") << "#define REG 1\n";
  QMenu menu;
  QAction* insert = entry("Insert '#include <LPC213x.h>'", menu);
  ASSERT_NE(insert, nullptr);
  ASSERT_TRUE(insert->isEnabled());
  insert->trigger();
  const CEditLine* line = edit->Document().Text().GetLine(2);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(std::string(line->Text(), size_t(edit->Document().Text().ContentLength(line))),
            "#include <LPC213x.h>");
}

// The register header is offered when it lies in a folder of the target's
// own include paths (the C compiler page's text, a relative folder taken
// from the project folder as the build takes it), and greyed with the
// reason when the build would not find it there either.
struct TargetIncludeRow {
  const char* name;
  const char* includePaths;  // the target's text; "@" stands for the project folder
  const char* placedIn;      // folder below the project folder holding the header; "" none
  bool offered;
};

class RegisterHeaderOnTargetIncludes : public test::ExampleFrameTest,
                                       public ::testing::WithParamInterface<TargetIncludeRow> {};

TEST_P(RegisterHeaderOnTargetIncludes, IsOfferedOnlyWhereTheBuildFindsIt) {
  const TargetIncludeRow& r = GetParam();
  if (*r.placedIn) {
    fs::create_directories(dir + r.placedIn);
    std::ofstream(dir + r.placedIn + "/LPC213x.h") << "#define REG 1\n";
  }
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  TargetRec* t = s.App().Project()->curTarget;
  ASSERT_NE(t, nullptr);
  OptionBlock* own = FindTargetOptions(t->pOpts, t);
  ASSERT_NE(own, nullptr);
  std::string paths = r.includePaths;
  for (size_t at; (at = paths.find('@')) != std::string::npos;) paths.replace(at, 1, dir);
  own->cGnu.ACINCD = OptString::Pooled(paths, kPoolProject);
  EditorView* edit = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(edit, nullptr);
  QMenu menu;
  edit->BuildContextMenu(menu);
  QAction* offer = nullptr;
  QAction* greyed = nullptr;
  for (QAction* a : menu.actions()) {
    if (a->text() == "Insert '#include <LPC213x.h>'") offer = a;
    if (a->text() == "Insert '#include <LPC213x.h>' (not on the target's include paths)") greyed = a;
  }
  if (r.offered) {
    ASSERT_NE(offer, nullptr);
    EXPECT_TRUE(offer->isEnabled());
    EXPECT_EQ(greyed, nullptr);
  } else {
    EXPECT_EQ(offer, nullptr);
    ASSERT_NE(greyed, nullptr);
    EXPECT_FALSE(greyed->isEnabled());
  }
}

const TargetIncludeRow kTargetIncludeRows[] = {
    {"RelativeFolder", "inc", "inc", true},
    {"SecondOfTwoFolders", "lib; inc", "inc", true},
    {"AbsoluteFolderWithABlank", "@My Headers", "My Headers", true},
    {"ANestedRelativeFolder", "cpu/inc", "cpu/inc", true},
    {"AbsentEverywhere", "inc", "", false},
    {"BesideTheFolderNamed", "inc", "include", false},
};
INSTANTIATE_TEST_SUITE_P(Rows, RegisterHeaderOnTargetIncludes, ::testing::ValuesIn(kTargetIncludeRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFrameTest, StopBuildEndsTheBuildAndANewOneRunsAfterIt) {
  if (!HaveTools()) GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  ASSERT_TRUE(f->ExecuteCommand(cmd::kStopBuild));
  EXPECT_FALSE(s.App().HasState(kStateBusy));
  // The stopped build's end arrives.
  ASSERT_TRUE(test::WaitFor([&] { return BuildText(f).find("Target not created") != std::string::npos; }))
      << BuildText(f);
  // Its thread ends and tells its end after that line; a build asked for
  // before is refused with a beep (a user presses again), so the next waits.
  BuildDriver& driver = s.runtime.Build().Driver();
  ASSERT_TRUE(test::WaitFor([&] { return !driver.Busy() && !driver.EndPending(); }));
  // Ids of user tools and driver menus never reach the handlers.
  EXPECT_TRUE(f->ExecuteCommand(32935));
  EXPECT_TRUE(f->ExecuteCommand(32825));
  ASSERT_TRUE(f->ExecuteCommand(cmd::kRebuildAll));
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_NE(BuildText(f).find("0 Error(s), 0 Warning(s)."), std::string::npos) << BuildText(f);
}


TEST_F(MainFrameTest, FindBoxSearchesTheEditorAndKeepsItsHistory) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* edit = f->Editors().Open(dir + "LED.c");
  ASSERT_NE(edit, nullptr);
  f->UpdateCommandUi();
  QComboBox* box = f->Bars()->FindBox();
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(box->isEnabled());
  box->setEditText("LED_Off");
  QTest::keyClick(box->lineEdit(), Qt::Key_Return);
  bool column = false;
  EXPECT_EQ(edit->Engine().GetSelectedText(&column), "LED_Off");
  EXPECT_EQ(box->itemText(0).toStdString(), "LED_Off");
  EXPECT_EQ(s.settings.GetProfileString("Settings\\Find", "Find1"), "LED_Off");
}


// The documents' questions, recorded and answered from a script.
using test::ScriptedQuestions;

std::string PaneText(CMainFrame* f, CommandId pane) {
  int index = f->Status()->CommandToIndex(pane);
  return index >= 0 ? f->Status()->GetPaneText(index) : "<no pane>";
}

SECStdBtn* ToolButton(CMainFrame* f, unsigned bar, CommandId id) {
  SECCustomToolBar* tb = f->Bars()->ToolBar(bar);
  if (!tb) return nullptr;
  for (int i = 0; i < tb->ButtonCount(); ++i)
    if (tb->Button(i)->m_nID == id) return tb->Button(i);
  return nullptr;
}

TEST_F(MainFrameTest, AltThenDownOpensTheFileMenuOfTheMenuBar) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECMenuBar* bar = f->Bars()->MenuBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->DockBar(), f->GetDockBar(AFX_IDW_DOCKBAR_TOP));
  QTest::keyClick(f, Qt::Key_Alt);
  QCoreApplication::processEvents();
  QTest::keyClick(f, Qt::Key_Down);
  QCoreApplication::processEvents();
  QMenu* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(bar->OpenIndex(), 0);
  ASSERT_FALSE(popup->actions().isEmpty());
  EXPECT_EQ(popup->actions()[0]->data().toUInt(), 57600u);  // File: New first
  // The items follow the command table: Save is greyed without an editor,
  // Save All is enabled.
  for (QAction* a : popup->actions()) {
    if (a->data().toUInt() == cmd::kFileSave) {
      EXPECT_FALSE(a->isEnabled());
    }
    if (a->data().toUInt() == cmd::kSaveAll) {
      EXPECT_TRUE(a->isEnabled());
    }
  }
  QTest::keyClick(popup, Qt::Key_Escape);
  QCoreApplication::processEvents();
  // The Project menu lists the recent projects, the open one checked.
  ASSERT_FALSE(s.App().m_recent.At(0).empty());
  const int project = bar->FindMnemonic('p');
  ASSERT_GE(project, 0);
  bar->OpenPopup(project, true);
  QCoreApplication::processEvents();
  QMenu* projectMenu = bar->OpenMenu();
  ASSERT_NE(projectMenu, nullptr);
  QAction* recent = nullptr;
  for (QAction* a : projectMenu->actions())
    if (a->data().toUInt() == cmd::kRecentFirst) recent = a;
  ASSERT_NE(recent, nullptr);
  EXPECT_TRUE(recent->text().contains("Blinky"));
  EXPECT_TRUE(recent->isChecked());
  bar->CancelMenu();
  QCoreApplication::processEvents();
  // With an editor window the menu bar shows the editor's menu.
  ASSERT_NE(f->Editors().Open(dir + "LED.c"), nullptr);
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->Model().CurrentMenu(), kEditorMenuId);
}

TEST_F(MainFrameTest, TheToolbarsShowTheirButtonsAndAClickOnBuildBuilds) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->Bars()->IsToolBarVisible(kFileToolBarId));
  ASSERT_TRUE(f->Bars()->IsToolBarVisible(kBuildToolBarId));
  EXPECT_FALSE(f->Bars()->IsToolBarVisible(kDebugToolBarId));
  EXPECT_TRUE(f->QueryCommand(cmd::kViewBuildBar).check);
  EXPECT_FALSE(f->QueryCommand(cmd::kViewDebugBar).check);
  f->UpdateCommandUi();
  // Stop Build is greyed while nothing builds.
  SECStdBtn* stop = ToolButton(f, kBuildToolBarId, cmd::kStopBuild);
  ASSERT_NE(stop, nullptr);
  EXPECT_TRUE(stop->m_nStyle & TBBS_DISABLED);
  SECStdBtn* build = ToolButton(f, kBuildToolBarId, cmd::kBuildTarget);
  ASSERT_NE(build, nullptr);
  SECCustomToolBar* bar = f->Bars()->ToolBar(kBuildToolBarId);
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(build->m_x + build->m_cx / 2, build->m_y + build->m_cy / 2));
  QCoreApplication::processEvents();
  EXPECT_TRUE(s.App().HasState(kStateBusy));
  EXPECT_FALSE(f->Bars()->TargetBox()->isEnabled());
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_NE(BuildText(f).find("Build target"), std::string::npos) << BuildText(f);
}

std::size_t PixelsOf(const PixelBuffer& strip, Color c) {
  std::size_t n = 0;
  for (int y = 0; y < strip.height; ++y)
    for (int x = 0; x < strip.width; ++x) n += strip.At(x, y) == c;
  return n;
}

// View > Visual Style switches the menus and toolbars between the classic
// and the XP look: the bars are drawn again in the new look, the button
// images keep their own grey for the XP look's transparency, and the switch
// is what the program writes at exit.
TEST_F(MainFrameTest, VisualStyleSwitchesTheLookOfTheBarsAndIsWrittenAtExit) {
  SettingsStore settings(dir + "settings.ini");
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    CommandState state = f->QueryCommand(cmd::kViewVisualStyle);
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(state.check, 0);
    EXPECT_FALSE(SECIsXPLook());
    SECCustomToolBar* bar = f->Bars()->ToolBar(kBuildToolBarId);
    ASSERT_NE(bar, nullptr);
    SECBmpMgr* images = f->Bars()->Manager()->BmpMgr();
    ASSERT_NE(images, nullptr);
    StripHandle strip;
    int image = -1;
    ASSERT_TRUE(images->GetBitmap(cmd::kBuildTarget, &strip, &image));
    EXPECT_EQ(PixelsOf(*strip, 0xC0C0C0), 0u);  // mapped to the button face
    EXPECT_EQ(bar->grab().toImage().pixelColor(0, 0), ToQColor(GetSysColor(SysColor::BtnFace)));

    ASSERT_TRUE(f->ExecuteCommand(cmd::kViewVisualStyle));
    EXPECT_TRUE(SECIsXPLook());
    EXPECT_EQ(f->QueryCommand(cmd::kViewVisualStyle).check, 1);
    ASSERT_TRUE(images->GetBitmap(cmd::kBuildTarget, &strip, &image));
    EXPECT_GT(PixelsOf(*strip, 0xC0C0C0), 0u);
    EXPECT_EQ(bar->grab().toImage().pixelColor(0, 0), ToQColor(SECGetXPColor(0)));

    ASSERT_TRUE(f->ExecuteCommand(cmd::kViewVisualStyle));
    EXPECT_FALSE(SECIsXPLook());
    EXPECT_EQ(bar->grab().toImage().pixelColor(0, 0), ToQColor(GetSysColor(SysColor::BtnFace)));
    ASSERT_TRUE(f->ExecuteCommand(cmd::kViewVisualStyle));
    EXPECT_TRUE(f->close());
  }
  SECSetXPLook(false);
  EXPECT_EQ(settings.GetProfileInt("MFrame", "XpStyle", -1), 1);
}

// The start opens the project after the window is shown: the window's first
// drawing (the frame's, before the bars in it) already shows the buttons as
// the project allows them (Build on, Stop Build greyed), not as they stand
// without a project.
TEST_F(MainFrameTest, TheFirstDrawingShowsTheBuildButtonsReady) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(ToolButton(f, kBuildToolBarId, cmd::kBuildTarget), nullptr);
  ASSERT_NE(ToolButton(f, kBuildToolBarId, cmd::kStopBuild), nullptr);
  struct FirstPaint : QObject {
    std::function<void()> seen;
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint && !painted) {
        painted = true;
        seen();
      }
      return false;
    }
  } watch;
  bool buildOn = false, stopOn = true;
  watch.seen = [&] {
    buildOn = !(ToolButton(f, kBuildToolBarId, cmd::kBuildTarget)->m_nStyle & TBBS_DISABLED);
    stopOn = !(ToolButton(f, kBuildToolBarId, cmd::kStopBuild)->m_nStyle & TBBS_DISABLED);
  };
  f->installEventFilter(&watch);
  ASSERT_TRUE(test::WaitFor([&] { return watch.painted; }));
  f->removeEventFilter(&watch);
  EXPECT_TRUE(buildOn);
  EXPECT_FALSE(stopOn);
}

TEST_F(MainFrameTest, F7Builds) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  // The frame's keys work while it is the active window.
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  QTest::keyClick(f, Qt::Key_F7);
  QCoreApplication::processEvents();
  EXPECT_TRUE(s.App().HasState(kStateBusy));
  ASSERT_TRUE(WaitIdle(s.App()));
}

TEST_F(MainFrameTest, AJumpShowsTheLineAThirdDownAndTheStatusPanesFollow) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(PaneText(f, 118), "");
  f->OpenFileAndShow(dir + "Timer.c", 16, 0);
  EditorView* v = f->Editors().Active();
  ASSERT_NE(v, nullptr);
  const EditState& st = v->Engine().State();
  EXPECT_EQ(st.nCaretLine, 16);
  ASSERT_GT(v->Engine().Rows(), 3);
  // A third down the window, unless the whole text fits: then from line 1.
  const bool fits = v->Engine().Rows() >= v->Document().Text().GetLineCount();
  EXPECT_EQ(st.nTopLine, fits ? 1 : std::max(1, 16 - v->Engine().Rows() / 3));
  bool column = false;
  EXPECT_FALSE(v->Engine().GetSelectedText(&column).empty());
  EXPECT_EQ(PaneText(f, 118), "L:16 C:1");
  EXPECT_EQ(PaneText(f, 395), "R/W");
  // A caret move is shown at once.
  QTest::keyClick(v, Qt::Key_End);
  ASSERT_GT(st.nCaretCol, 0);
  EXPECT_EQ(PaneText(f, 118), "L:" + std::to_string(st.nCaretLine) + " C:" + std::to_string(st.nCaretCol + 1));
  // Without an editor window the panes are empty again.
  f->SaveAndCloseTextDocuments(true, false);
  f->UpdateCommandUi();
  EXPECT_EQ(PaneText(f, 118), "");
}

TEST_F(MainFrameTest, ClosingAModifiedEditorAsksAndCancelKeepsIt) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ScriptedQuestions questions;
  f->SetDocumentQuestions(&questions);
  EditorView* v = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(v, nullptr);
  QTest::keyClicks(v, "/*q*/");
  QMdiSubWindow* sheet = f->MdiClient()->activeSubWindow();
  ASSERT_NE(sheet, nullptr);
  // Cancel: the window stays with its edit.
  EXPECT_FALSE(sheet->close());
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0], "Save changes to 'Timer.h' ?");
  EXPECT_EQ(f->Editors().Count(), 1);
  // No: the window closes, the file keeps its old text.
  questions.saveAnswer = DocumentQuestions::kNo;
  EXPECT_TRUE(sheet->close());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(f->Editors().Count(), 0);
  std::ifstream in(dir + "Timer.h");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().find("/*q*/"), std::string::npos);
  f->SetDocumentQuestions(nullptr);
}

TEST_F(MainFrameTest, AFileChangedOnDiskIsOfferedForReload) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ScriptedQuestions questions;
  questions.yes = true;
  f->SetDocumentQuestions(&questions);
  EditorView* v = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(v, nullptr);
  // Nothing changed: no question.
  f->CheckChangedSourceFiles();
  EXPECT_TRUE(questions.asked.empty());
  {
    std::ofstream out(dir + "Timer.h", std::ios::app);
    out << "/* from outside */\n";
  }
  fs::last_write_time(dir + "Timer.h", fs::last_write_time(dir + "Timer.h") + std::chrono::seconds(5));
  // Coming back to the program checks the files once, a moment later; a
  // second activation meanwhile adds no second check.
  emit qApp->applicationStateChanged(Qt::ApplicationActive);
  emit qApp->applicationStateChanged(Qt::ApplicationActive);
  // The check keeps the deferred command's place free for what the user
  // asks with the same click.
  EXPECT_FALSE(s.App().Deferred().Pending());
  EXPECT_TRUE(questions.asked.empty());
  EXPECT_TRUE(test::WaitFor([&] { return !questions.asked.empty(); }));
  QTest::qWait(200);  // room for a second question, which must not come
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_NE(questions.asked[0].find("File has been changed outside the editor, reload ?"), std::string::npos);
  std::string all;
  for (int i = 1; i <= v->Document().Text().GetLineCount(); ++i) all += v->Document().Text().GetLine(i)->m_text;
  EXPECT_NE(all.find("from outside"), std::string::npos);
  f->SetDocumentQuestions(nullptr);
}


TEST_F(MainFrameTest, FindAndGoToLineOfTheEditMenuReachTheActiveEditor) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(f->QueryCommand(cmd::kEditFind).enabled);  // no editor
  EditorView* v = f->Editors().Open(dir + "Timer.c");
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kEditFind));
  EXPECT_TRUE(v->IsFindDialogOpen());
  // Save waits while the find dialog is open.
  EXPECT_FALSE(f->QueryCommand(cmd::kFileSave).enabled);
  auto* findDialog = v->findChild<QDialog*>();
  ASSERT_NE(findDialog, nullptr);
  findDialog->close();
  EXPECT_TRUE(f->QueryCommand(cmd::kFileSave).enabled);
  // Go To Line: one dialog, jumping in the active view; a line past the
  // end is refused.
  ASSERT_TRUE(f->ExecuteCommand(kCmdGoToLine));
  ASSERT_TRUE(s.App().m_windows.IsOpen(WindowSlot::GotoLineDlg));
  auto* dlg = f->findChild<GotoLineDialog*>();
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(f->Editors().GoToLine(12));
  EXPECT_EQ(v->Engine().State().nCaretLine, 12);
  EXPECT_FALSE(f->Editors().GoToLine(1000));
  ASSERT_TRUE(f->ExecuteCommand(kCmdGoToLine));
  EXPECT_EQ(f->findChildren<GotoLineDialog*>().size(), 1);
}

// The texts of the project window's tree, top-level rows and their children
// in order.
std::vector<std::string> OpenTreeTexts(CMainFrame* f) {
  std::vector<std::string> texts;
  SECTreeCtrl* tree = f->ProjectBar()->View()->Tree();
  for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextItemInOrder(i)) texts.push_back(tree->GetItemText(i));
  return texts;
}

// Project > Open Project of a file that does not open closes the open
// project, says why, and leaves the project window showing nothing of it;
// a project opened then shows again.
TEST_F(MainFrameTest, AFailedOpenLeavesTheProjectWindowShowingWhatIsOpen) {
  std::ofstream(dir + "Damaged.pm2", std::ios::binary) << "\x01\x02 not a project\n";
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(s.App().Project(), nullptr);
  const std::vector<std::string> blinky = OpenTreeTexts(f);
  ASSERT_NE(std::find(blinky.begin(), blinky.end(), "Blinky.c"), blinky.end());
  struct Row {
    const char* name;
    std::string file;
  };
  const Row rows[] = {{"missing", dir + "Gone.pm2"}, {"damaged", dir + "Damaged.pm2"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    f->m_chooseProjectFile = [&](const std::string&) { return r.file; };
    {
      test::BoxAnswers answers({QMessageBox::Ok});
      f->ExecuteCommand(cmd::kOpenProject);
      ASSERT_EQ(answers.texts.size(), 1u);
      EXPECT_EQ(answers.texts[0].rfind("Cannot open project file '" + r.file + "'", 0), 0u) << answers.texts[0];
    }
    EXPECT_EQ(s.App().Project(), nullptr);
    EXPECT_EQ(OpenTreeTexts(f), std::vector<std::string>{});
    // The example opened again shows as it did.
    f->m_chooseProjectFile = [&](const std::string&) { return dir + "Blinky.pm2"; };
    f->ExecuteCommand(cmd::kOpenProject);
    ASSERT_NE(s.App().Project(), nullptr);
    EXPECT_EQ(OpenTreeTexts(f), blinky);
  }
}

TEST_F(MainFrameTest, TheIncludeFileOfTheCaretLineOpensFromTheProjectFolder) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = f->Editors().Open(dir + "Blinky.c");
  ASSERT_NE(v, nullptr);
  v->GotoLineCentered(2, 3);  // #include "LED.h"
  std::string written;
  EXPECT_NE(v->ResolveIncludeAtCaret(&written).find("LED.h"), std::string::npos);
  EXPECT_EQ(written, "\"LED.h\"");
  ASSERT_TRUE(v->RunViewCommand(kCmdOpenIncludeFile));
  EXPECT_EQ(f->Editors().ActiveTitle(), "LED.h");
  EXPECT_EQ(f->Editors().Count(), 2);
}


TEST_F(MainFrameTest, DocumentsAreFoundByNameAndTheActiveFileTellsItsCaret) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SourcePosition pos;
  EXPECT_EQ(f->GetActiveSourceFile(&pos), 0u);
  EXPECT_EQ(f->RunDocumentAction(kDocAnySourceOpen, {}), 0);

  f->OpenFileAndShow(dir + "Timer.c", 16, 0);
  EditorDocument* doc = f->FindTextDocument(dir + "Timer.c");
  ASSERT_NE(doc, nullptr);
  struct Row {
    const char* name;
    std::string path;
    bool found;
  };
  const Row rows[] = {
      {"bare_name_other_case", "tIMER.C", true},
      {"full_path_other_case", dir + "TIMER.c", true},
      {"file_not_open", "LED.c", false},
      {"other_folder_full_path", "/elsewhere/Timer.c", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(f->FindTextDocument(r.path), r.found ? doc : nullptr);
  }

  // A C file is open: the source test and the debugger's file match.
  EXPECT_EQ(f->RunDocumentAction(kDocAnySourceOpen, {}), 1);
  EXPECT_EQ(f->RunDocumentAction(kDocShowDebuggerPosition, "C:\\Src\\TIMER.C"), 1);
  EXPECT_EQ(f->RunDocumentAction(kDocShowDebuggerPosition, "LED.c"), 0);

  // The active file: path, line, column; type above, length below.
  uint32_t id = f->GetActiveSourceFile(&pos);
  EXPECT_EQ(pos.path, doc->Path());
  EXPECT_EQ(pos.line, 16);
  EXPECT_EQ(pos.column, 0);
  EXPECT_EQ(int(id >> 16), doc->FileType());
  EXPECT_EQ(id & 0xFFFF, doc->Path().size());
  QTest::keyClick(f->Editors().Active(), Qt::Key_Down);
  QTest::keyClick(f->Editors().Active(), Qt::Key_End);
  f->GetActiveSourceFile(&pos);
  EXPECT_EQ(pos.line, 17);
  EXPECT_EQ(pos.column, f->Editors().Active()->Engine().State().nCaretCol);
  EXPECT_GT(pos.column, 0);
}

TEST_F(MainFrameTest, OpenFileStartsInTheProjectsFolderAndKeepsFolderAndFilter) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::vector<std::string> folders, firstFilters;
  std::vector<int> indexes;
  std::string answer = dir + "LED.c";
  f->m_chooseSourceFile = [&](const std::string& folder, const std::vector<std::string>& filters, int* index) {
    folders.push_back(folder);
    indexes.push_back(*index);
    if (firstFilters.empty()) firstFilters = filters;
    *index = 3;
    return answer;
  };
  ASSERT_TRUE(f->ExecuteCommand(cmd::kFileOpen));
  ASSERT_NE(f->Editors().Active(), nullptr);
  EXPECT_EQ(f->Editors().ActiveDocument()->FileName(), "LED.c");
  ASSERT_EQ(firstFilters.size(), 8u);
  EXPECT_EQ(firstFilters.front(), "Source (*.c *.h *.a* *.inc *.src)");
  EXPECT_EQ(firstFilters.back(), "All Files (*)");
  // Cancel keeps what was chosen before.
  answer.clear();
  f->ExecuteCommand(cmd::kFileOpen);
  f->ExecuteCommand(cmd::kFileOpen);
  ASSERT_EQ(folders.size(), 3u);
  std::error_code ec;
  EXPECT_TRUE(fs::equivalent(folders[0], dir, ec)) << "the project's folder first, not " << folders[0];
  EXPECT_EQ(indexes[0], 0);
  EXPECT_EQ(fs::path(folders[1]), fs::path(dir).parent_path());
  EXPECT_EQ(indexes[1], 3);
  EXPECT_EQ(folders[2], folders[1]);
  EXPECT_EQ(f->Editors().Count(), 1);
}

// A source file opened with no project open takes the editor settings of
// its language (the C keywords and colours), as it does in a project; a
// file of no known language keeps the default ones.
TEST_F(MainFrameTest, AFileOpenedWithoutAProjectIsColouredAsItsLanguage) {
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(s.App().Project(), nullptr);
  std::ofstream(dir + "notes.txt") << "plain\n";
  const struct {
    const char* file;
    const char* section;
  } rows[] = {{"LED.c", "Editor\\CArmC"}, {"Startup.s", "Editor\\CArmA"}, {"notes.txt", "Editor\\Default Files"}};
  for (const auto& r : rows) {
    f->OpenFileAndShow(dir + r.file, 0, 0);
    const EditorDocument* doc = f->Editors().Find(dir + r.file);
    ASSERT_NE(doc, nullptr) << r.file;
    EXPECT_EQ(doc->Section(), r.section) << r.file;
  }
}

TEST_F(MainFrameTest, ToolHelpShowsTheHelpFileOrBeeps) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::vector<std::string> shown;
  f->m_showHelp = [&](const ToolHelpRequest& r) { shown.push_back(r.file + "|" + r.keyword); };
  f->ShowToolHelp(kHelpFile, "/doc/book.chm");
  f->ShowToolHelp(7, "ignored");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "/doc/book.chm|");
}

TEST_F(MainFrameTest, TheAboutBoxOpensFromTheHelpMenuAndCloses) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->QueryCommand(cmd::kAppAbout).enabled);
  QGuiApplication::clipboard()->setText("earlier text");
  std::string seen;
  bool grabbed = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->objectName(), "AboutDialog");
    if (auto* text = box->findChild<QPlainTextEdit*>("AboutText")) seen = text->toPlainText().toStdString();
    std::string gallery = std::string(std::getenv("PM2_TEST_BIN") ? std::getenv("PM2_TEST_BIN") : ".") + "/gallery/ide";
    fs::create_directories(gallery);
    grabbed = box->grab().save(QString::fromStdString(gallery + "/about_box.png"));
    QTest::keyClick(box, Qt::Key_Return);
  });
  ASSERT_TRUE(f->ExecuteCommand(cmd::kAppAbout));
  EXPECT_TRUE(grabbed);
  EXPECT_EQ(seen, f->AboutBoxText());
  EXPECT_EQ(seen.rfind("Pelmora2 V", 0), 0u);
  EXPECT_NE(seen.find("Toolchain Path:    "), std::string::npos);
  EXPECT_EQ(seen.find('\t'), std::string::npos);
  // The tools the build really runs, with the versions they tell.
  if (HaveTools()) {
    const std::size_t gcc = seen.find("arm-none-eabi-gcc ");
    ASSERT_NE(gcc, std::string::npos) << seen;
    EXPECT_EQ(seen.find(".Exe"), std::string::npos) << seen;
    // The folder the tools run from, where the compiler is.
    const std::size_t at = seen.find("Toolchain Path:    ") + 19;
    const std::string folder = seen.substr(at, seen.find('\n', at) - at);
    EXPECT_TRUE(fs::exists(folder + "arm-none-eabi-gcc")) << seen;
    const std::string line = seen.substr(gcc, seen.find('\n', gcc) - gcc);
    EXPECT_NE(line.find(" V"), std::string::npos) << line;
  }
  // Text on the clipboard was replaced by the box's text.
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), seen);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace pm2
