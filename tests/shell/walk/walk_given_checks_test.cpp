// The walk's checks of what the road gave the program, each shown to fail
// on a fault of its kind: a text a sheet stored short, a pass count that
// ran down, a message about a missing file that is there, a process left
// behind that runs on, the own buttons of the option pages never pressed,
// and one road for every state.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <set>
#include <vector>

#include "frame/frame_fixture.h"
#include "walk_answers.h"
#include "walk_checks.h"
#include "walk_code_lines.h"
#include "walk_defined_breakpoints.h"
#include "walk_expected_messages.h"
#include "walk_left_behind.h"
#include "walk_road_seed.h"
#include "walk_typed_texts.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

// An options sheet as the walk meets one: a page "CC" whose Define field
// the project keeps as ACDEFN in the target's block.
struct GivenSheet {
  GivenSheet() : dialog(), tabs(new QTabWidget(&dialog)), page(new QWidget), define(new QLineEdit(page)) {
    dialog.setWindowTitle("Options for Target 'Blinky'");
    auto* form = new QFormLayout(page);
    form->addRow("&Define:", define);
    tabs->addTab(page, "CC");
  }
  QDialog dialog;
  QTabWidget* tabs;
  QWidget* page;
  QLineEdit* define;
};

std::string SheetProjectText(const std::string& defines) {
  return "Options 1,0,0  // Target 'Blinky'\r\n ACDEFN (" + defines + ")\r\nEndOpt\r\n\r\n"
         "Options 1,3,0  // Group 'Drivers'\r\n ACDEFN (WALK_DRIVERS=1)\r\nEndOpt\r\n";
}

struct TypedRow {
  const char* name;
  std::string typed;   // what the walk typed
  std::string held;    // what the field held at OK ("" : as typed)
  std::string stored;  // what the project file keeps
  std::vector<std::string> boxes;
  const char* fault;  // a part of the failure, "" none
  bool storedAsHeld;  // the file keeps what the field held (a start again finds it)
};
void PrintTo(const TypedRow& row, std::ostream* out) { *out << row.name; }

class TypedTextsTest : public ::testing::TestWithParam<TypedRow> {};

// Typed, the sheet given OK, the project file read as Save All wrote it.
TEST_P(TypedTextsTest, TheFileHoldsWhatTheFieldHeld) {
  const TypedRow& row = GetParam();
  GivenSheet sheet;
  test::TypedTexts texts;
  sheet.define->setText(QString::fromStdString(row.typed));
  texts.PageShown(sheet.page);
  texts.Typed(sheet.define, QString::fromStdString(row.typed));
  if (!row.held.empty()) sheet.define->setText(QString::fromStdString(row.held));
  texts.AtOk(sheet.dialog);
  sheet.dialog.accept();
  ASSERT_TRUE(texts.Due());
  const std::string why = texts.CompareDue("/p/Blinky.pm2", SheetProjectText(row.stored), row.boxes);
  if (*row.fault) {
    EXPECT_NE(why.find(row.fault), std::string::npos) << why;
  } else {
    EXPECT_EQ(why, "");
  }
  // Kept for the start again: the file read then is compared too.
  EXPECT_EQ(texts.CompareKept(SheetProjectText(row.stored), "then").empty(), row.storedAsHeld);
}

const std::string kLongList(300, 'x');
const TypedRow kTypedRows[] = {
    {"StoredWhole", kLongList, "", kLongList, {}, "", true},
    {"CutAt256", kLongList, "", kLongList.substr(0, 256), {}, "holds 'xxxx", false},
    {"BlanksTrimmed", "  A=1 ", "", "A=1", {}, "", true},
    {"ReEncoded", "\xC3\x84rger", "", "\xC4rger", {}, "is not stored as the field held it", false},
    // The capitals of the text typed lowered on their way to the file (the
    // letters outside ASCII left): the field held it as typed.
    {"CapitalsLowered", test::kCapitalsText, "", "\xC3\x84rger walk \xC3\xBC\xE2\x82\xAC", {},
     "is not stored as the field held it", false},
    {"CapitalsKept", test::kCapitalsText, "", test::kCapitalsText, {}, "", true},
    {"RefusedWithAMessageNamingIt", kLongList, "OLD=1", "OLD=1",
     {"The text of 'Define' cannot be longer than 256 characters; it was left as it was."}, "", true},
    {"RefusedWithoutAWord", kLongList, "OLD=1", "OLD=1", {}, "no message named the field", true},
};
INSTANTIATE_TEST_SUITE_P(Rows, TypedTextsTest, ::testing::ValuesIn(kTypedRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A file's blocks are one for each target: the text is looked for in the
// block of the target the sheet edited, not in the first block of the
// file's name; the texts of a file removed since are no longer due.
TEST(WalkGivenChecks, AFilesTextIsLookedForInItsTargetsBlockAndForgottenWithTheFile) {
  GivenSheet sheet;
  sheet.dialog.setWindowTitle("Options for File 'LED.c'");
  test::TypedTexts texts;
  texts.PageShown(sheet.page);
  sheet.define->setText("LED=1");
  texts.Typed(sheet.define, "LED=1");
  texts.AtOk(sheet.dialog, "Blinky");
  sheet.dialog.accept();
  const std::string targets = "Target (Board), 0x0000\r\nTarget (Blinky), 0x0003\r\n\r\n";
  const std::string boardFirst = targets + "Options 1,3,3  // File 'LED.c'\r\n Q51DEF (B)\r\nEndOpt\r\n\r\n" +
                                 "Options 2,3,3  // File 'LED.c'\r\n ACDEFN (LED=1)\r\nEndOpt\r\n";
  EXPECT_EQ(texts.CompareDue("/p/T.pm2", boardFirst, {}), "");
  const std::string onlyBoard = targets + "Options 1,3,3  // File 'LED.c'\r\n ACDEFN (LED=1)\r\nEndOpt\r\n";
  EXPECT_NE(texts.CompareKept(onlyBoard, "then").find("(target 'Blinky')"), std::string::npos);
  // LED.c removed from the project: its options went with it.
  ProjectRec p;
  TargetRec blinky;
  blinky.name = OptString("Blinky");
  p.firstTarget = &blinky;
  GroupRec group;
  group.name = OptString("Source");
  p.firstGroup = &group;
  FileRec led;
  led.name = OptString("LED.c");
  group.firstFile = &led;
  texts.ForgetRemoved(p);
  EXPECT_NE(texts.CompareKept(onlyBoard, "then"), "") << "the file is still there";
  // The project window removes a file by marking it.
  led.flags |= kFileRemoved;
  texts.ForgetRemoved(p);
  EXPECT_EQ(texts.CompareKept(onlyBoard, "then"), "");
}

// Every sheet the walk meets gets, besides the text its turn gives it, a
// text at each field's limit and one of capitals and letters outside ASCII
// (each once), so that each sheet's stored texts are judged in both.
TEST(WalkGivenChecks, EachSheetIsGivenTheCapitalsAndTheTextAtTheLimit) {
  const std::string capitals = test::FillWith(test::kCapitalsText), atLimit = test::FillWith(test::kAtLimit);
  EXPECT_EQ(test::FieldTexts()[size_t(std::atoi(capitals.c_str() + 2))], test::kCapitalsText);
  EXPECT_EQ(test::FieldTexts()[size_t(std::atoi(atLimit.c_str() + 2))], test::kAtLimit);
  for (const std::string& changed : {std::string("/b"), std::string("/f0"), capitals, atLimit}) {
    std::vector<std::string> given = test::SheetFills(changed);
    given.push_back(changed);
    EXPECT_EQ(std::count(given.begin(), given.end(), capitals), 1) << changed;
    EXPECT_EQ(std::count(given.begin(), given.end(), atLimit), 1) << changed;
  }
}

// A sheet given Cancel, one of no project's, or a page never shown brings
// nothing due.
TEST(WalkGivenChecks, ASheetCancelledOrOfNoProjectOrUnseenBringsNothingDue) {
  GivenSheet sheet;
  test::TypedTexts texts;
  texts.PageShown(sheet.page);
  texts.Typed(sheet.define, "A=1");
  texts.AtOk(sheet.dialog);
  sheet.dialog.reject();
  EXPECT_FALSE(texts.Due());
  sheet.dialog.setWindowTitle("Find");
  texts.AtOk(sheet.dialog);
  sheet.dialog.accept();
  EXPECT_FALSE(texts.Due());
  // A page never shown holds nothing of the project yet: not followed.
  GivenSheet unseen;
  texts.AtOk(unseen.dialog);
  unseen.dialog.accept();
  EXPECT_FALSE(texts.Due());
}

test::DefinedBreakpoint DefinedLine(uint32_t line, uint32_t count, std::string condition = "",
                                    std::string command = "") {
  test::DefinedBreakpoint d;
  d.file = "Blinky.c";
  d.line = line;
  d.count = count;
  d.condition = std::move(condition);
  d.command = std::move(command);
  return d;
}
test::DefinedBreakpoint DefinedWhen(std::string condition, uint32_t count) {
  test::DefinedBreakpoint d;
  d.kind = test::KeptKind::kConditional;
  d.condition = std::move(condition);
  d.count = count;
  return d;
}

// The rows: the breakpoints defined, those kept, and the lines of
// Blinky.c that hold code in the program (none: not known).
struct KeptRow {
  const char* name;
  std::vector<test::DefinedBreakpoint> defined, kept;
  std::set<uint32_t> code;
  const char* fault;
};
void PrintTo(const KeptRow& row, std::ostream* out) { *out << row.name; }
class KeptAsDefinedTest : public ::testing::TestWithParam<KeptRow> {};

test::CodeLinesOf BlinkyCode(const std::set<uint32_t>& lines) {
  return [lines](const std::string& file) { return file == "Blinky.c" ? lines : std::set<uint32_t>(); };
}

TEST_P(KeptAsDefinedTest, EachIsKeptAsDefined) {
  const std::string why =
      test::KeptAsDefined(GetParam().defined, GetParam().kept, nullptr, BlinkyCode(GetParam().code));
  if (*GetParam().fault) {
    EXPECT_NE(why.find(GetParam().fault), std::string::npos) << why;
  } else {
    EXPECT_EQ(why, "");
  }
}

// Blinky.c's first lines with code: 12 (the first function's), 13, 14.
const std::set<uint32_t> kBlinkyCode = {12, 13, 14, 42, 43};
const KeptRow kKeptRows[] = {
    {"AsDefined",
     {DefinedLine(42, 3, "", "print num"), DefinedWhen("counter > 5", 2)},
     {DefinedWhen("counter > 5", 2), DefinedLine(42, 3, "", "print num")},
     kBlinkyCode,
     ""},
    {"MovedToTheNextLineWithCode", {DefinedLine(40, 1)}, {DefinedLine(42, 1)}, kBlinkyCode, ""},
    // The first line, a comment, eleven lines before the first code.
    {"MovedFromTheFirstLineToTheFirstCode", {DefinedLine(1, 1)}, {DefinedLine(12, 1)}, kBlinkyCode, ""},
    {"MovedWithItsCountAndCondition", {DefinedLine(1, 3, "num > 1")}, {DefinedLine(12, 3, "num > 1")}, kBlinkyCode,
     ""},
    {"MovedAndItsCountRanDown", {DefinedLine(1, 3)}, {DefinedLine(12, 1)}, kBlinkyCode,
     "is kept as Blinky.c:12, count 1"},
    {"MovedPastTheNextLineWithCode", {DefinedLine(1, 1)}, {DefinedLine(13, 1)}, kBlinkyCode,
     "is not kept on line 12, the next line with code"},
    {"MovedBackToALineWithCode", {DefinedLine(20, 1)}, {DefinedLine(14, 1)}, kBlinkyCode,
     "is not kept on line 42, the next line with code"},
    {"MovedFromALineWithCode", {DefinedLine(13, 1)}, {DefinedLine(14, 1)}, kBlinkyCode, "was defined, and is not kept"},
    // No code after it: no session sets it, and it stays where it was.
    {"NoCodeAfterIt", {DefinedLine(60, 1)}, {DefinedLine(60, 1)}, kBlinkyCode, ""},
    // The program file could not be read: the line kept nearest after it.
    {"MovedWhereTheCodeIsNotKnown", {DefinedLine(40, 1)}, {DefinedLine(43, 1), DefinedLine(42, 1)}, {}, ""},
    {"ACountThatRanDown", {DefinedLine(42, 3)}, {DefinedLine(42, 1)}, kBlinkyCode, "is kept as Blinky.c:42, count 1"},
    {"AConditionLost", {DefinedLine(42, 1, "num > 1")}, {DefinedLine(42, 1)}, kBlinkyCode,
     "is kept as Blinky.c:42, count 1"},
    {"ACommandLost", {DefinedLine(42, 3, "", "print num")}, {DefinedLine(42, 3)}, kBlinkyCode, "is kept as"},
    {"AConditionalsCountThatRanDown", {DefinedWhen("counter > 5", 2)}, {DefinedWhen("counter > 5", 1)}, kBlinkyCode,
     "is kept as when"},
    {"Lost", {DefinedWhen("counter > 5", 2)}, {}, kBlinkyCode, "is not kept"},
};
INSTANTIATE_TEST_SUITE_P(Rows, KeptAsDefinedTest, ::testing::ValuesIn(kKeptRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A breakpoint a session moved to the next line with code is defined there
// from then on: the next session's end must keep it there.
TEST(WalkGivenChecks, ABreakpointMovedToCodeIsDefinedThereFromThenOn) {
  std::vector<test::DefinedBreakpoint> moved;
  ASSERT_EQ(test::KeptAsDefined({DefinedLine(1, 2)}, {DefinedLine(12, 2)}, &moved, BlinkyCode(kBlinkyCode)), "");
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0].line, 12u);
  EXPECT_EQ(test::KeptAsDefined(moved, {DefinedLine(12, 2)}, nullptr, BlinkyCode(kBlinkyCode)), "");
  EXPECT_NE(test::KeptAsDefined(moved, {DefinedLine(13, 2)}, nullptr, BlinkyCode(kBlinkyCode)), "");
}

// gdb's rows of a file's line table as the walk reads them: an address
// belongs to the last row at it, a row of line 0 holds no code (recorded
// from gdb-multiarch's answers for the example's Blinky.c and odd tables).
struct RowsRow {
  const char* name;
  const char* answer;
  std::set<uint32_t> lines;
};
void PrintTo(const RowsRow& row, std::ostream* out) { *out << row.name; }
class CodeLinesOfRowsTest : public ::testing::TestWithParam<RowsRow> {};
TEST_P(CodeLinesOfRowsTest, EachLineThatHoldsAnAddress) {
  EXPECT_EQ(test::CodeLinesOfRows(GetParam().answer), GetParam().lines);
}
const RowsRow kRowsRows[] = {
    {"Recorded",
     "^done,lines=[{pc=\"0x00000000\",line=\"12\"},{pc=\"0x0000000c\",line=\"13\"},{pc=\"0x00000014\","
     "line=\"14\"},{pc=\"0x0000001c\",line=\"14\"},{pc=\"0x00000248\",line=\"40\"},{pc=\"0x00000268\","
     "line=\"0\"}]",
     {12, 13, 14, 40}},
    {"TwoRowsAtOneAddress",
     "^done,lines=[{pc=\"0x10\",line=\"5\"},{pc=\"0x10\",line=\"7\"},{pc=\"0x14\",line=\"8\"}]", {7, 8}},
    {"AnEndAtARowsAddress", "^done,lines=[{pc=\"0x10\",line=\"5\"},{pc=\"0x10\",line=\"0\"}]", {}},
    {"NoRows", "^done,lines=[]", {}},
};
INSTANTIATE_TEST_SUITE_P(Rows, CodeLinesOfRowsTest, ::testing::ValuesIn(kRowsRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Which steps give breakpoints (and so are noted as defined).
TEST(WalkGivenChecks, TheStepsThatDefineBreakpointsAreKnown) {
  for (const char* step :
       {"type:BS LED_On, 3", "35041/f2", "key:35012", "35016/c", "ctx:margin:Insert/Remove Breakpoint"})
    EXPECT_TRUE(test::DefinesBreakpoints(step)) << step;
  for (const char* step : {"32791", "ctx:editor:Copy", "watch:1:counter", "35047"})
    EXPECT_FALSE(test::DefinesBreakpoints(step)) << step;
}

// A message that says a file is missing is the program's right answer
// while the file is missing, and a fault once the file is there.
TEST(WalkGivenChecks, AMessageOfAMissingFileIsExpectedOnlyWhileItIsMissing) {
  const std::string folder = (fs::temp_directory_path() / ("pm2walkmsg_" + std::to_string(::getpid()))).string();
  fs::create_directories(folder + "/Obj");
  const std::string elf = folder + "/Obj/walk3.elf";
  const std::string gdbs = "Error: " + elf + ": No such file or directory.\nDebugger aborted !";
  const std::string drivers = "program file '" + elf + "' not found; build the target first";
  EXPECT_TRUE(test::ExpectedByTheState(gdbs));
  EXPECT_TRUE(test::ExpectedByTheState(drivers));
  std::ofstream(elf) << "ELF";
  EXPECT_FALSE(test::ExpectedByTheState(gdbs));
  EXPECT_FALSE(test::ExpectedByTheState(drivers));
  // A program that cannot run: right while the file it names is no program.
  const std::string run = "Cannot run '" + elf + "' !";
  EXPECT_TRUE(test::ExpectedByTheState(run));
  fs::permissions(elf, fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_FALSE(test::ExpectedByTheState(run));
  // A failure that is no missing file is never expected by the state.
  EXPECT_FALSE(test::ExpectedByTheState("Error: the GDB server refused '" + folder + "/none'"));
  fs::remove_all(folder);
}

// A message that says a file cannot be written is the program's right
// answer where the write bits of the file's folder refuse it (a project in
// a read-only folder), and a fault where they let the write through.
TEST(WalkGivenChecks, AMessageOfAFileNotWrittenIsExpectedOnlyInAReadOnlyFolder) {
  const std::string folder = (fs::temp_directory_path() / ("pm2walkro_" + std::to_string(::getpid()))).string();
  fs::create_directories(folder);
  std::ofstream(folder + "/Blinky.pm2") << "project";
  const std::string save = "Can't write project file '" + folder + "/Blinky.pm2' ! (Permission denied)";
  const std::string newFile = "Can't write to file '" + folder + "/walk1.txt' !";
  EXPECT_FALSE(test::ExpectedByTheState(save));
  EXPECT_FALSE(test::ExpectedByTheState(newFile));
  fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_TRUE(test::ExpectedByTheState(newFile));
  // The file itself still writable, in a folder that is not: an atomic save
  // (a new file renamed over it) is refused all the same.
  EXPECT_TRUE(test::ExpectedByTheState(save));
  // A failure that says nothing of a write is not made right by the bits.
  EXPECT_FALSE(test::ExpectedByTheState("Error: the GDB server refused '" + folder + "/Blinky.pm2'"));
  fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
  fs::remove_all(folder);
}

// A process found left behind is named and ended.
TEST(WalkGivenChecks, AProcessLeftBehindIsEndedOnceNamed) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (;;) ::pause();
  }
  std::vector<std::string> left;
  ASSERT_TRUE(test::WaitFor([&] {
    left = test::UnexplainedChildren(false);
    for (const std::string& named : left)
      if (test::PidOfNamed(named) == child) return true;
    return false;
  }));
  test::EndLeftBehind(left);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
}

// The option pages' own buttons are pressed when the walk presses a
// window's own buttons: the folder list's "...", the driver's "Settings"
// and "DLL Settings", the link file's "Edit...", the banking's "Manage...".
TEST(WalkGivenChecks, TheOptionPagesOwnButtonsArePressed) {
  const fs::path folder = fs::temp_directory_path();
  test::WalkAnswers answers(folder.string() + "/");
  answers.Start(test::Answer::kButtons);
  QDialog dialog;
  auto* form = new QFormLayout(&dialog);
  std::vector<std::string> pressed;
  for (const char* text : {"...", "Settings", "DLL Settings", "Edit...", "Manage...", "OK"}) {
    auto* b = new QPushButton(text, &dialog);
    form->addRow(b);
    if (std::string(text) == "OK") {
      b->setDefault(true);
      QObject::connect(b, &QPushButton::clicked, &dialog, &QDialog::accept);
    } else {
      QObject::connect(b, &QPushButton::clicked, &dialog, [&pressed, text] { pressed.push_back(text); });
    }
  }
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(pressed, (std::vector<std::string>{"...", "Settings", "DLL Settings", "Edit...", "Manage..."}));
}

// The states' random roads differ where their seed is the same.
TEST(WalkGivenChecks, EachStateWalksARoadOfItsOwn) {
  EXPECT_NE(test::RoadSeed(1, "ExampleOpen"), test::RoadSeed(1, "ExampleAfterOptionsOk"));
  EXPECT_EQ(test::RoadSeed(1, "ExampleOpen"), test::RoadSeed(1, "ExampleOpen"));
  EXPECT_NE(test::RoadSeed(1, "ExampleOpen"), test::RoadSeed(2, "ExampleOpen"));
}

}  // namespace
}  // namespace pm2
