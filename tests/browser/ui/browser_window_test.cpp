// The source browser on a 51-family project built with the stand-in tools
// (their objects carry browse records), and its window driven by QTest on
// the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTest>

#include <algorithm>

#include "browser/browse_file_name.h"
#include "browser/browse_results.h"
#include "browser/browse_symbol_list.h"
#include "browser/browse_navigation.h"
#include "project/model/option_block.h"
#include "browser/ui/browse_result_dialog.h"
#include "browser/ui/browser_window.h"
#include "browser/browse_sample_file.h"
#include "builder/driver/tools_project.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/qt_test_app.h"

namespace pm2 {
namespace {

const char kMain[] =
    "sfr P1 = 0x90;\n"                              // 1
    "sbit LED = P1^0;\n"                            // 2
    "unsigned char counter;\n"                      // 3
    "int total = 0;\n"                              // 4
    "extern int util_add(int a, int b);\n"          // 5
    "\n"                                            // 6
    "void delay(unsigned int n) {\n"                // 7
    "  while (n--) ;\n"                             // 8
    "}\n"                                           // 9
    "\n"                                            // 10
    "void main(void) {\n"                           // 11
    "  counter = 0;\n"                              // 12
    "  while (1) {\n"                               // 13
    "    LED = !LED;\n"                             // 14
    "    total += util_add(counter, 1);\n"          // 15
    "    counter++;\n"                              // 16
    "    delay(100);\n"                             // 17
    "  }\n"                                         // 18
    "}\n";                                          // 19
const char kUtil[] =
    "#define STEP 2\n"                              // 1
    "int util_add(int a, int b) {\n"                // 2
    "  return a + b + STEP;\n"                      // 3
    "}\n";                                          // 4

class FakeHost : public BrowserHost, public BrowseViewer, public BrowseChooser {
 public:
  std::vector<std::string> log;
  void ShowSourceLocation(const std::string& path, uint32_t line, const std::string& name) override {
    log.push_back(path.substr(path.find_last_of('/') + 1) + ":" + std::to_string(line) + ":" + name);
  }
  void Beep() override { log.push_back("beep"); }
  bool FrameMayClose() const override { return mayClose; }
  bool mayClose = true;
  bool ShowBrowseResult(bool, BrowseName& name) override {
    log.push_back("browser:" + std::string(name.text));
    return true;
  }
  BrowseSymbol* Choose(const BrowseName&) override { return nullptr; }
};

// The project is built once; every test reads its output afresh.
class Built51 : public ::testing::Test, public ToolsProject {
 protected:
  void SetUp() override {
    SetUpProject(kToolset51, "Q51/");
    opts->out.flags.BROWSE = 1;
    Add("Main.c", kFileC, kMain);
    Add("Util.c", kFileC, kUtil);
    BuildDriver driver(Deps());
    driver.BuildTarget(project, target, kBuildModeBuild);
    ASSERT_FALSE(Lines().empty());
    ASSERT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
    source.file = TargetBrowseFile(*project, *target);
    source.baseFolder = dir.Path();
    ASSERT_EQ(session.Open(source.file, source.baseFolder), "");
  }
  const BrowseSymbol& Only(const char* name) {
    const BrowseName* n = session.Module()->FindName(name);
    EXPECT_NE(n, nullptr) << name;
    static BrowseSymbol none;
    return n && n->first ? *n->first : none;
  }
  std::string Place(const BrowseOccurrence& o) {
    const BrowseFile* f = session.Module()->FileByNumber(o.file);
    return (f ? f->path.substr(f->path.find_last_of('/') + 1) : "?") + ":" + std::to_string(o.line);
  }

  BrowseSession session;
  BrowseSource source;
  FakeHost host;
};

TEST_F(Built51, TheLinkedOutputHoldsBothModules) {
  const BrowseModule& m = *session.Module();
  EXPECT_EQ(m.FileCount(), 2u);
  EXPECT_EQ(m.spaceNames.size(), 7u);
  const BrowseSymbol& add = Only("util_add");
  EXPECT_EQ(add.cls, kClassFunction);
  EXPECT_EQ(add.next, nullptr);  // the declaration's record and the definition's are one
  std::vector<std::string> places;
  for (const BrowseOccurrence& o : add.occurrences) places.push_back(std::to_string(o.kind) + "@" + Place(o));
  EXPECT_EQ(places, (std::vector<std::string>{"4@Main.c:15", "2@Util.c:2", "1@Main.c:15"}));
  const BrowseSymbol& led = Only("LED");
  EXPECT_EQ(led.cls, kClassLocalData);
  EXPECT_EQ(led.kind, 3);
  EXPECT_EQ(led.type, 1);  // an sfr bit
  const BrowseSymbol& counter = Only("counter");
  std::vector<uint32_t> access;
  for (const BrowseOccurrence& o : counter.occurrences) access.push_back(o.access);
  EXPECT_EQ(access, (std::vector<uint32_t>{0, kAccessWritten, kAccessRead, kAccessRead | kAccessWritten}));
  EXPECT_EQ(Only("STEP").cls, kClassMacro);
}

TEST_F(Built51, GoToDefinitionAndStepThroughTheReferences) {
  FakeHost chooser;
  EXPECT_EQ(GoToSymbol(session, source, "counter", true, host, chooser), "");
  ASSERT_FALSE(host.log.empty());
  EXPECT_EQ(host.log.back(), "Main.c:3:counter");
  ASSERT_TRUE(GoToNextReference(session, host));
  EXPECT_EQ(host.log.back(), "Main.c:12:counter");
  ASSERT_TRUE(GoToNextReference(session, host));
  EXPECT_EQ(host.log.back(), "Main.c:15:counter");
  ASSERT_TRUE(GoToPreviousReference(session, host));
  EXPECT_EQ(host.log.back(), "Main.c:12:counter");
  EXPECT_EQ(GoToSymbol(session, source, "nothing", true, host, chooser),
            "Source Browser: 'nothing' is undefined !");
}

// Each name the sources define: Go To Definition lands on its definition,
// the results view marks that line D and every other R, and the file
// outline of each file lists what that file defines.
TEST_F(Built51, DefinitionsAreWhereTheSourcesDefineThem) {
  struct Row {
    const char* name;
    const char* definition;  // file:line
  };
  const Row rows[] = {{"P1", "Main.c:1"},     {"LED", "Main.c:2"},      {"counter", "Main.c:3"},
                      {"total", "Main.c:4"},  {"delay", "Main.c:7"},    {"main", "Main.c:11"},
                      {"STEP", "Util.c:1"},   {"util_add", "Util.c:2"}};
  const BrowseModule& m = *session.Module();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    FakeHost chooser;
    ASSERT_EQ(GoToSymbol(session, source, r.name, true, host, chooser), "");
    EXPECT_EQ(host.log.back(), std::string(r.definition) + ":" + r.name);
    int definitions = 0;
    for (const BrowseFileRows& file : DefinitionRows(m, Only(r.name)))
      for (const BrowseOccurrence* o : file.rows) {
        const bool here = Place(*o) == r.definition;
        definitions += here;
        EXPECT_EQ(OccurrenceRowText(*o).substr(0, 5), here ? "[ D ]" : "[ R ]") << Place(*o);
      }
    EXPECT_EQ(definitions, 1);
  }
  // A use is a reference: util_add's is its call in main.
  FakeHost chooser;
  ASSERT_EQ(GoToSymbol(session, source, "util_add", false, host, chooser), "");
  EXPECT_EQ(host.log.back(), "Main.c:15:util_add");
  // File outline: what each file defines.
  auto outline = [&](const char* file) {
    uint32_t number = 0;
    for (uint32_t n = 1; n <= m.FileCount(); ++n)
      if (m.FileByNumber(n)->path.ends_with(file)) number = n;
    BrowseListFilter f;
    f.mask = "*";
    f.file = number;
    std::vector<std::string> names;
    for (const BrowseSymbol* s : FilterSymbols(m, f)) names.emplace_back(s->owner->text);
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(outline("Main.c"), (std::vector<std::string>{"LED", "P1", "counter", "delay", "main", "total"}));
  EXPECT_EQ(outline("Util.c"), (std::vector<std::string>{"STEP", "util_add"}));
}

TEST(ArmTargets, AnswerThatTheirCompilerWritesNoBrowseInformation) {
  struct Row {
    int toolset;
    const char* text;
  };
  const Row rows[] = {
      {kToolsetArmGnu, "Source Browser: the compiler of this ARM-GNU target writes no browse information."},
      {kToolsetArmAds, "Source Browser: the compiler of this ARM-ADS target writes no browse information."},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    BrowseSession session;
    // The file exists for neither: no reading is tried.
    BrowseSource source{"/nowhere/Blinky.elf", "/nowhere/", ToolsetWithoutBrowseInfo(r.toolset)};
    FakeHost host;
    const std::string text = GoToSymbol(session, source, "main", true, host, host);
    EXPECT_EQ(text, r.text);
    EXPECT_EQ(FindSymbolLocation(session, source, "main", true, host), std::optional<std::string>(text));
  }
  for (int toolset : {kToolset51, kToolset251, kToolset166}) EXPECT_EQ(ToolsetWithoutBrowseInfo(toolset), nullptr);
}

// ---- the window

class WindowTest : public Built51 {
 protected:
  void SetUp() override {
    test::App();
    Built51::SetUp();
    window = std::make_unique<BrowserWindow>(session, host, filters, layout, kToolset51);
    window->m_runMenu = [this](QMenu& menu, const QPoint&) {
      menuItems.clear();
      for (QAction* a : menu.actions())
        if (!a->isSeparator()) menuItems.push_back(a->text().toStdString() + (a->isEnabled() ? "" : " (grey)"));
    };
    window->resize(800, 600);
    window->show();
    window->Refresh();
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int i = 0; i < window->List()->GetItemCount(); ++i) rows.push_back(window->List()->GetItemText(i, 0));
    return rows;
  }
  QPoint RowCentre(int row) {
    Rect r;
    EXPECT_TRUE(window->List()->GetItemRect(row, &r, 0));
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  int RowOf(const std::string& name) {
    std::vector<std::string> rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i] == name) return int(i);
    return -1;
  }
  void ClickRow(const std::string& name) {
    const int row = RowOf(name);
    ASSERT_GE(row, 0) << name;
    QTest::mouseClick(window->List(), Qt::LeftButton, {}, RowCentre(row));
  }
  void TypeMask(const char* mask) {
    QLineEdit* edit = window->MaskBox()->lineEdit();
    edit->clear();
    QTest::keyClicks(edit, mask);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  std::vector<std::string> TreeRows() {
    std::vector<std::string> rows;
    SECTreeCtrl* t = window->Tree();
    for (HTREEITEM i = t->GetRootItem(); i; i = t->GetNextItemInOrder(i)) {
      int depth = 0;
      for (HTREEITEM p = t->GetParentItem(i); p; p = t->GetParentItem(p)) ++depth;
      std::string text = t->GetItemText(i);
      if (depth == 0 && text.find('/') != std::string::npos) text = text.substr(text.find_last_of('/') + 1);
      rows.push_back(std::string(size_t(depth) * 2, ' ') + text);
    }
    return rows;
  }

  BrowseFilterMemory filters;
  BrowserLayoutMemory layout;
  std::unique_ptr<BrowserWindow> window;
  std::vector<std::string> menuItems;
};

TEST_F(WindowTest, ListsEverySymbolInNameOrder) {
  EXPECT_EQ(Rows(), (std::vector<std::string>{"LED", "P1", "STEP", "counter", "delay", "main", "total", "util_add"}));
  EXPECT_EQ(window->List()->GetItemText(RowOf("LED"), kColClass), "data (sfrbit)");
  EXPECT_EQ(window->List()->GetItemText(RowOf("counter"), kColType), "uchar");
  EXPECT_EQ(window->List()->GetItemText(RowOf("counter"), kColSpace), "DATA");
  EXPECT_EQ(window->List()->GetItemText(RowOf("counter"), kColUses), "4");
  EXPECT_EQ(window->windowTitle().toStdString(), "Browse - " + source.file);
  // Seven space names: six buttons shown, the rest hidden.
  EXPECT_FALSE(window->SpaceButton(5)->isHidden());
  EXPECT_EQ(window->SpaceButton(0)->text().toStdString(), "CODE");
  EXPECT_TRUE(window->SpaceButton(6)->isHidden());
}

TEST_F(WindowTest, MaskTypedNarrowsTheListAndIsRemembered) {
  TypeMask("*l*");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"LED", "delay", "total", "util_add"}));
  TypeMask("#*");
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(window->MaskBox()->count(), 3);
  EXPECT_EQ(window->MaskBox()->itemText(1).toStdString(), "#*");
  // An empty text goes back to entry 0, everything.
  TypeMask("");
  EXPECT_EQ(Rows().size(), 8u);
}

TEST_F(WindowTest, KindBoxesAndSpaceButtonsFilter) {
  // Only the functions: uncheck the other five.
  for (int i : {0, 2, 3, 4, 5}) QTest::mouseClick(window->KindBox(i), Qt::LeftButton);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"delay", "main", "util_add"}));
  EXPECT_TRUE(window->SpaceButton(0)->isEnabled());
  QTest::mouseClick(window->KindBox(1), Qt::LeftButton);  // none left
  EXPECT_TRUE(Rows().empty());
  EXPECT_FALSE(window->SpaceButton(0)->isEnabled());
  for (int i = 0; i < 6; ++i) QTest::mouseClick(window->KindBox(i), Qt::LeftButton);
  EXPECT_EQ(Rows().size(), 8u);
  // The CODE button off: the functions (space 1) go.
  QTest::mouseClick(window->SpaceButton(0), Qt::LeftButton);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"LED", "P1", "STEP", "counter", "total"}));
  window.reset();  // the filters are kept for the toolset
  uint32_t kinds = 0, spaces = 0;
  filters.Load(kToolset51, &kinds, &spaces);
  EXPECT_EQ(kinds, kKindAllBits);
  EXPECT_EQ(spaces & 1u, 0u);
}

TEST_F(WindowTest, ColumnClicksSortDescendingThenAscending) {
  SECListCtrl* list = window->List();
  const QPoint uses(list->GetColumnLeft(kColUses) + 5, list->GetHeaderHeight() / 2);
  QTest::mouseClick(list, Qt::LeftButton, {}, uses);
  EXPECT_EQ(Rows().front(), "counter");  // the most uses first
  QTest::mouseClick(list, Qt::LeftButton, {}, uses);
  EXPECT_EQ(list->GetItemText(0, kColUses), "1");
  // A refill returns to the name order.
  TypeMask("*");
  EXPECT_EQ(Rows().front(), "LED");
}

TEST_F(WindowTest, SelectingARowShowsItsPlacesAndDoubleClickGoesToTheDefinition) {
  ClickRow("counter");
  EXPECT_EQ(window->ResultsTitleLabel()->text().toStdString(), "Definitions and References - counter");
  EXPECT_EQ(TreeRows(), (std::vector<std::string>{"Main.c", "  [ D ] Line 3", "  [ R ] Line 12 [w]",
                                                   "  [ R ] Line 15 [r]", "  [ R ] Line 16 [r/w]"}));
  host.log.clear();
  ClickRow("util_add");
  QTest::mouseDClick(window->List(), Qt::LeftButton, {}, RowCentre(RowOf("util_add")));
  ASSERT_FALSE(host.log.empty());
  EXPECT_EQ(host.log.back(), "Util.c:2:util_add");
  // The browse cursor follows: the next reference is the call in main.
  ASSERT_TRUE(GoToNextReference(session, host));
  EXPECT_EQ(host.log.back(), "Main.c:15:util_add");
}

TEST_F(WindowTest, CallAndCallersGraphsFromTheContextMenu) {
  ClickRow("main");
  const QPoint at = RowCentre(RowOf("main"));
  QContextMenuEvent menu(QContextMenuEvent::Mouse, at, window->List()->mapToGlobal(at));
  QApplication::sendEvent(window->List(), &menu);
  EXPECT_EQ(menuItems, (std::vector<std::string>{"Show Call Graph for 'main'", "Show Callers Graph for 'main'",
                                                  "Show Definitions/References of 'main' (grey)"}));
  window->RunCommand(kBrwListCallGraph);
  EXPECT_EQ(window->ResultsTitleLabel()->text().toStdString(), "Call Graph - main");
  EXPECT_EQ(TreeRows(), (std::vector<std::string>{"main", "  util_add", "  delay"}));
  ClickRow("util_add");
  window->RunCommand(kBrwListCallers);
  EXPECT_EQ(TreeRows(), (std::vector<std::string>{"util_add", "  main"}));
  // A data symbol always opens in the definitions mode.
  ClickRow("total");
  EXPECT_EQ(window->ResultsMode(), kResultsDefRef);
}

TEST_F(WindowTest, ResultRowMenusOpenTheSourceAndSwitchTheGraph) {
  SECTreeCtrl* tree = window->Tree();
  auto menuOn = [&](HTREEITEM item) {
    ASSERT_NE(item, nullptr);
    tree->SelectItem(item);
    // Below the last row: the selected row stays the menu's.
    QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(5, 2000), tree->mapToGlobal(QPoint(5, 2000)));
    QApplication::sendEvent(tree, &e);
  };
  ClickRow("counter");
  HTREEITEM file = tree->GetRootItem();
  menuOn(tree->GetNextSiblingItem(tree->GetChildItem(file)));  // [ R ] Line 12
  ASSERT_EQ(menuItems.size(), 1u);
  EXPECT_NE(menuItems[0].find("Main.c' at Line 12"), std::string::npos) << menuItems[0];
  host.log.clear();
  window->RunCommand(kBrwShowFile);
  EXPECT_EQ(host.log, std::vector<std::string>{"Main.c:12:counter"});
  menuOn(file);
  window->RunCommand(kBrwShowFileTop);
  EXPECT_EQ(host.log.back(), "Main.c:1:counter");

  ClickRow("util_add");
  window->RunCommand(kBrwListCallers);
  menuOn(tree->GetChildItem(tree->GetRootItem()));  // main, the caller
  ASSERT_EQ(menuItems.size(), 4u);
  EXPECT_EQ(menuItems[0], "Show Definitions/References of 'util_add'");
  EXPECT_EQ(menuItems[1], "Show Call Graph for 'util_add'");
  EXPECT_NE(menuItems[2].find("Show Caller '"), std::string::npos);
  EXPECT_NE(menuItems[2].find("Main.c (15)'"), std::string::npos) << menuItems[2];
  window->RunCommand(kBrwResCallGraph);
  EXPECT_EQ(window->ResultsTitleLabel()->text().toStdString(), "Call Graph - util_add");
  EXPECT_EQ(TreeRows(), std::vector<std::string>{"util_add"});
}

TEST_F(WindowTest, FileOutlineListsWhatTheFileDefines) {
  ASSERT_EQ(window->FileBox()->count(), 3);
  EXPECT_EQ(window->FileBox()->itemText(0).toStdString(), "<All Files>");
  window->FileBox()->setCurrentIndex(2);
  emit window->FileBox()->activated(2);  // Util.c
  EXPECT_EQ(Rows(), (std::vector<std::string>{"STEP", "util_add"}));
}

TEST_F(WindowTest, SymbolKindSetFromOutsideChecksTheBoxes) {
  window->SetSymbolKind(kKindFunctions | kKindMacros);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"STEP", "delay", "main", "util_add"}));
  EXPECT_TRUE(window->KindBox(0)->isChecked());
  EXPECT_TRUE(window->KindBox(1)->isChecked());
  EXPECT_FALSE(window->KindBox(2)->isChecked());
  EXPECT_TRUE(window->SpaceButton(0)->isEnabled());  // the function box is checked
  window->SetSymbolKind(kKindMacros);
  EXPECT_FALSE(window->SpaceButton(0)->isEnabled());
}

TEST_F(WindowTest, ShowNameListsThatNameOnly) {
  window->SelectName(session.Module()->FindName("delay"));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"delay"}));
}

TEST_F(WindowTest, ClosingKeepsTheListHeightNotItsWidth) {
  window->Splitter()->setSizes({180, 300});
  window->List()->SetColumnWidth(kColName, 123);
  window->SaveLayout();
  EXPECT_EQ(layout.listHeight, window->Splitter()->sizes().front());
  EXPECT_NE(layout.listHeight, window->List()->width());
  EXPECT_EQ(layout.widths[kColName], 123);
  BrowserWindow again(session, host, filters, layout, kToolset51);
  again.resize(800, 600);
  again.show();
  EXPECT_EQ(again.List()->GetColumnWidth(kColName), 123);
  EXPECT_EQ(again.Splitter()->sizes().front(), layout.listHeight);
}

struct CloseRow {
  const char* name;
  bool mayClose;
};
class FrameClose : public WindowTest, public ::testing::WithParamInterface<CloseRow> {};
// The frame closes unless the main window is switching its layouts; the
// layout is kept either way.
TEST_P(FrameClose, FollowsTheHostAndKeepsTheLayout) {
  QWidget frame;
  window->setParent(&frame);
  frame.installEventFilter(window.get());
  frame.setGeometry(40, 50, 700, 500);
  frame.show();
  window->List()->SetColumnWidth(kColName, 99);
  host.mayClose = GetParam().mayClose;
  EXPECT_EQ(frame.close(), GetParam().mayClose);
  EXPECT_EQ(frame.isVisible(), !GetParam().mayClose);
  EXPECT_EQ(layout.widths[kColName], 99);
  EXPECT_EQ(layout.placement[2], 700);
  window->setParent(nullptr);
}
const CloseRow kCloseRows[] = {{"Closes", true}, {"StaysWhileLayoutsSwitch", false}};
INSTANTIATE_TEST_SUITE_P(Rows, FrameClose, ::testing::ValuesIn(kCloseRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the choice between the records of one name

struct TwoRecords : ::testing::Test {
  void SetUp() override {
    test::App();
    BrowseSampleFile f;
    f.ModuleStart().Header(3).File("a.c").NameRec("i").Symbol(2, 0, 4).Occurrences({{2, 1, 10}});
    f.Symbol(256, 0, 4).Occurrences({{2, 1, 20}}).NameRec("once").Symbol(4).ModuleEnd();
    f.Write(dir / "out");
    ASSERT_EQ(session.Open(dir / "out", dir.Path()), "");
  }
  test::ScratchFolder dir;
  BrowseSession session;
};

TEST_F(TwoRecords, DialogListsEachRecordAndOkTakesTheClickedOne) {
  const BrowseName& name = *session.Module()->FindName("i");
  BrowseResultDialog dlg(name);
  dlg.show();
  ASSERT_EQ(dlg.List()->GetItemCount(), 2);
  EXPECT_EQ(dlg.List()->GetItemText(0, 0), "local sym - i");
  EXPECT_EQ(dlg.List()->GetItemText(1, 0), "parameter - i");
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
  EXPECT_EQ(dlg.Chosen(), nullptr);
  Rect r;
  ASSERT_TRUE(dlg.List()->GetItemRect(1, &r, 0));
  QTest::mouseClick(dlg.List(), Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  EXPECT_TRUE(dlg.OkButton()->isEnabled());
  EXPECT_EQ(dlg.Chosen(), name.first->next);
  QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(TwoRecords, SingleRecordGivesAnEmptyList) {
  BrowseResultDialog dlg(*session.Module()->FindName("once"));
  EXPECT_EQ(dlg.List()->GetItemCount(), 0);
}

TEST_F(TwoRecords, ChooserGivesNothingWhenCancelled) {
  const BrowseName& name = *session.Module()->FindName("i");
  int shown = 0;
  DialogBrowseChooser pickSecond(nullptr, [&](QDialog& d) {
    ++shown;
    static_cast<BrowseResultDialog&>(d).SelectRow(1);
    return static_cast<int>(QDialog::Accepted);
  });
  EXPECT_EQ(pickSecond.Choose(name), name.first->next);
  DialogBrowseChooser cancel(nullptr, [&](QDialog& d) {
    ++shown;
    static_cast<BrowseResultDialog&>(d).SelectRow(0);
    return static_cast<int>(QDialog::Rejected);
  });
  EXPECT_EQ(cancel.Choose(name), nullptr);
  EXPECT_EQ(shown, 2);
}

}  // namespace
}  // namespace pm2

