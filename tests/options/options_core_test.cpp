// The options sheet's rules without a window: page sets, the tri-state
// cycle, list checks, number and clock entry, the library reader, tool
// commands and folder lists, and the working copies of a session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/core/command_preview.h"
#include "options/core/driver_caps.h"
#include "options/core/driver_settings_text.h"
#include "options/core/library_modules.h"
#include "options/core/list_check.h"
#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/core/page_set.h"
#include "options/core/tool_command.h"
#include "options/core/tri_state.h"
#include "builder/commands/command_context.h"
#include "project/devices/device_db.h"
#include "project/files/project_file.h"
#include "project/model/device_strings.h"
#include "project/model/key_values.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

std::string Titles(const PageSet& set) {
  std::string out;
  for (const PageEntry& e : set.pages) out += (out.empty() ? "" : "|") + e.title;
  return out;
}

struct PageSetRow {
  const char* name;
  PageSetInput in;
  const char* titles;
  int start;
  int flash;
};

class PageSets : public ::testing::TestWithParam<PageSetRow> {};

TEST_P(PageSets, PagesTitlesAndStart) {
  const PageSetRow& r = GetParam();
  const PageSet set = BuildPageSet(r.in);
  EXPECT_EQ(Titles(set), r.titles);
  EXPECT_EQ(set.startIndex, r.start);
  EXPECT_EQ(set.flashIndex, r.flash);
}

const PageSetRow kPageSetRows[] = {
    {"UndefinedToolsetShowsOnlyTheDevice", {0xFFFF, 2, 0, 0}, "Device", 0, -1},
    {"Plain51Target", {0, 2, 0, 0}, "Device|Target|Output|Listing|Q51|W51|NB51 Locate|NB51 Misc|Debug|Utilities", 1, 9},
    {"Extended51CompilerWinsOverLinkerBit",
     {0, 2, 0x1020000, 0},
     "Device|Target|Output|Listing|QX51|WX51|NX51 Locate|NX51 Misc|Debug|Utilities", 1, 9},
    {"Np51Linker", {0, 2, 0x108000, 0}, "Device|Target|Output|Listing|Q51|W51|NP51 Locate|NP51 Misc|Debug|Utilities", 1, 9},
    {"ExtendedLinkerAlone", {0, 2, 0x8000, 0}, "Device|Target|Output|Listing|Q51|W51|NX51 Locate|NX51 Misc|Debug|Utilities", 1, 9},
    {"ExtendedAssemblerAlone", {0, 2, 0x10000, 0}, "Device|Target|Output|Listing|Q51|WX51|NB51 Locate|NB51 Misc|Debug|Utilities", 1, 9},
    {"Target166", {2, 2, 0, 0}, "Device|Target|Output|Listing|Q166|EC++|W166|N166 Locate|N166 Misc|Debug|Utilities", 1, 10},
    {"TargetArmGnu", {3, 2, 0, 0}, "Device|Target|Output|Listing|CC|Asm|Linker|Debug|Utilities", 1, 8},
    {"Group51Extended", {0, 3, 0x20000, 0}, "Properties|QX51|WX51", 0, -1},
    {"Group166", {2, 3, 0, 0}, "Properties|Q166|EC++|W166", 0, -1},
    {"GroupArmGnu", {3, 3, 0, 0}, "Properties|CC|Asm", 0, -1},
    {"CFileArmGnu", {3, 4, 0, 1}, "Properties|CC", 0, -1},
    {"AsmFileArmAds", {4, 4, 0, 2}, "Properties|Asm", 0, -1},
    {"CppFileOf166", {2, 4, 0, 8}, "Properties|EC++", 0, -1},
    {"CppFileOfArmHasNoToolPage", {3, 4, 0, 8}, "Properties", 0, -1},
    {"TextFileOnlyProperties", {0, 4, 0, 5}, "Properties", 0, -1},
    {"FileOfUndefinedToolsetShowsTheDevice", {0xFFFF, 4, 0, 1}, "Device", 0, -1},
};
INSTANTIATE_TEST_SUITE_P(Rows, PageSets, ::testing::ValuesIn(kPageSetRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct TriRow {
  const char* name;
  uint32_t from;
  bool threeState;
  uint32_t to;
};
class TriCycle : public ::testing::TestWithParam<TriRow> {};
TEST_P(TriCycle, NextState) {
  EXPECT_EQ(NextTriState(GetParam().from, GetParam().threeState), GetParam().to);
}
const TriRow kTriRows[] = {
    {"OffToOn", 0, true, 1},          {"OnToInherit", 1, true, 2},
    {"InheritToOff", 2, true, 0},     {"TargetOnToOff", 1, false, 0},
    {"TargetOffToOn", 0, false, 1},   {"TargetNeverGrey", 2, false, 1},
};
INSTANTIATE_TEST_SUITE_P(Rows, TriCycle, ::testing::ValuesIn(kTriRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TriFields, FieldWritesLeaveNeighboursAlone) {
  uint32_t w = 0xFFFFFFFF;
  w = SetTriField(w, 4, 0);
  EXPECT_EQ(w, 0xFFFFFFCFu);
  EXPECT_EQ(GetTriField(SetTriField(w, 4, 2), 4), 2u);
  EXPECT_EQ(SetBitField(0, 12, 8, 0x1FF), 0xFF000u);  // a value wider than its field is cut
}

struct ListRow {
  const char* name;
  ListMode mode;
  const char* text;
  bool ok;
  const char* normalizedOrMessage;
};
class ListChecks : public ::testing::TestWithParam<ListRow> {};
TEST_P(ListChecks, AcceptOrRefuse) {
  const ListRow& r = GetParam();
  const ListCheckResult c = CheckOptionList(r.mode, r.text);
  EXPECT_EQ(c.ok, r.ok);
  EXPECT_EQ(r.ok ? c.normalized : c.message, r.normalizedOrMessage);
}
const ListRow kListRows[] = {
    {"DefineNamesAndValues", ListMode::kDefine, " A, B=1  C=x ", true, "A,B=\"1\",C=\"x\""},
    {"DefineEmpty", ListMode::kDefine, "   ", true, ""},
    {"DefineEqualsWithoutValue", ListMode::kDefine, "A=", false, "Syntax error in 'Define'"},
    {"DefineSemicolon", ListMode::kDefine, "A;B", false, "Syntax error in 'Define'"},
    {"UndefineWithValue", ListMode::kUndefine, "A=1", false, "Syntax error in 'Undefine'"},
    {"UndefineNames", ListMode::kUndefine, "A B,C", true, "A,B,C"},
    {"SetValueTooLarge", ListMode::kSet, "X=70000", false, "Syntax error in 'Set'"},
    {"SetHexTopKeepsItsForm", ListMode::kSet, "X=0xFFFF", true, "X=0xFFFF"},
    {"SetNotANumber", ListMode::kSet, "X=abc", false, "Syntax error in 'Set'"},
    {"ResetTakesNoValue", ListMode::kReset, "X=1", false, "Syntax error in 'Reset'"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ListChecks, ::testing::ValuesIn(kListRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A name or value past the scanner's token limit is one entry of the
// list, as the build passes it, not two.
TEST(ListChecks, LongNamesAndValuesAreOneEntry) {
  const std::string name = "LONGSYM_" + std::string(292, 'X'), value(300, '5');
  const ListCheckResult defines = CheckOptionList(ListMode::kDefine, "A=1 " + name + " V=" + value);
  ASSERT_TRUE(defines.ok) << defines.message;
  EXPECT_EQ(defines.normalized, "A=\"1\"," + name + ",V=\"" + value + "\"");
  const ListCheckResult undefines = CheckOptionList(ListMode::kUndefine, name + "," + name.substr(0, 254));
  ASSERT_TRUE(undefines.ok) << undefines.message;
  EXPECT_EQ(undefines.normalized, name + "," + name.substr(0, 254));
}

TEST(ListStore, DefineKeepsStoredTextWhenOnlySpacingDiffers) {
  const ListCheckResult r = CheckOptionList(ListMode::kDefine, "A , B");
  EXPECT_EQ(ListTextToStore(ListMode::kDefine, "A , B", r, "A,B"), "A,B");
  EXPECT_EQ(ListTextToStore(ListMode::kDefine, " A , C ", CheckOptionList(ListMode::kDefine, " A , C "), "A,B"),
            "A , C");
  EXPECT_EQ(ListTextToStore(ListMode::kSet, "X = 5", CheckOptionList(ListMode::kSet, "X = 5"), ""), "X=5");
}

struct NumberRow {
  const char* name;
  const char* text;
  int64_t lower, upper;
  bool ok;
  uint32_t value;
};
class NumberReader : public ::testing::TestWithParam<NumberRow> {};
TEST_P(NumberReader, Reads) {
  const NumberRow& r = GetParam();
  uint32_t v = 12345;
  EXPECT_EQ(ReadNumberField(r.text, r.lower, r.upper, &v), r.ok);
  if (r.ok) {
    EXPECT_EQ(v, r.value);
  }
}
const NumberRow kNumberRows[] = {
    {"Hex", " 0x1f ", 0, 255, true, 31},
    {"HSuffix", "1FH", 0, 255, true, 31},
    {"Decimal", "200", 0, 255, true, 200},
    {"AboveRange", "256", 0, 255, false, 0},
    {"NegativeInSignedRange", "-16", INT32_MIN, INT32_MAX, true, uint32_t(-16)},
    {"NegativeOutOfUnsigned", "-1", 0, 255, false, 0},
    {"Letters", "12x", 0, 255, false, 0},
    {"EmptyIsNoNumber", "  ", 0, 255, false, 0},
    {"HexAbove32BitsIsNoWrap", "0x100000000", 0, 0xFFFFFFFF, false, 0},
    {"HSuffixAbove32BitsIsNoWrap", "100000001H", 0, 0xFFFFFFFF, false, 0},
    {"DecimalAbove32BitsIsNoWrap", "4294967297", 0, 0xFFFFFFFF, false, 0},
    {"NegativeAbove32BitsIsNoWrap", "-4294967296", INT32_MIN, INT32_MAX, false, 0},
    {"LeadingZerosStillFit", "0x000000000FF", 0, 255, true, 255},
};
INSTANTIATE_TEST_SUITE_P(Rows, NumberReader, ::testing::ValuesIn(kNumberRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct ClockRow {
  const char* name;
  const char* text;
  bool ok;
  uint32_t hz;
};
class ClockEntry : public ::testing::TestWithParam<ClockRow> {};
TEST_P(ClockEntry, RoundsToTheNearestHz) {
  uint32_t hz = 0;
  EXPECT_EQ(ParseClockMHz(GetParam().text, &hz), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(hz, GetParam().hz);
  }
}
const ClockRow kClockRows[] = {
    {"OnePointZeroZeroOne", "1.001", true, 1001000},   // truncation gave 1000999
    {"Crystal", "11.0592", true, 11059200},
    {"Twelve", " 12 ", true, 12000000},
    {"Lowest", "0.001", true, 1000},
    {"Highest", "999.999", true, 999999000},
    {"TooLow", "0.0009", false, 0},
    {"TooHigh", "1000", false, 0},
    {"Unit", "12 MHz", false, 0},
    {"DecimalComma", "12,5", false, 0},
    {"Letters", "abc", false, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, ClockEntry, ::testing::ValuesIn(kClockRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClockText, ShowsMHzWithADecimal) {
  EXPECT_EQ(ClockEditText(12000000), "12.0");
  EXPECT_EQ(ClockEditText(11059200), "11.0592");
  EXPECT_EQ(ClockEditText(32768), "0.032768");
  uint32_t back = 0;
  ASSERT_TRUE(ParseClockMHz(ClockEditText(1001000), &back));
  EXPECT_EQ(back, 1001000u);
}

struct SuffixRow {
  const char* name;
  const char* text;
  bool ok;
  int64_t value;
};
class SuffixedNumbers : public ::testing::TestWithParam<SuffixRow> {};
TEST_P(SuffixedNumbers, Reads) {
  int64_t v = 0;
  EXPECT_EQ(ReadSuffixedNumber(GetParam().text, &v), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(v, GetParam().value);
  }
}
const SuffixRow kSuffixRows[] = {
    {"Hex0x", "0x12", true, 0x12},          {"HexH", "12h", true, 0x12},
    {"Octal", "321O", true, 0321},          {"Binary", "10101010B", true, 0xAA},
    {"DecimalD", "200D", true, 200},        {"EndsAtSemicolon", "  0xC000;rest", true, 0xC000},
    {"DigitOutsideBase", "19O", false, 0},  {"Overflow", "0x100000000", false, 0},
    {"Empty", "   ", false, 0},             {"Negative", "-5", true, -5},
};
INSTANTIATE_TEST_SUITE_P(Rows, SuffixedNumbers, ::testing::ValuesIn(kSuffixRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A library image: header record {type, u16 length, [166: one byte], u16,
// u16 B = 0, u16 O}, then the names record at O, then one more record type.
std::string Library(uint8_t header, uint8_t namesType, bool extraByte, const std::vector<std::string>& names) {
  std::string b;
  b += char(header);
  b += std::string("\x06\0", 2);
  if (extraByte) b += '\0';
  b += std::string(4, '\0');  // u16 skipped, B
  const char start = char(b.size() + 2);
  b += start;
  b += '\0';
  std::string body;
  for (const std::string& n : names) body += char(n.size()) + n;
  b += char(namesType);
  const std::size_t len = body.size() + 1;
  b += char(len & 0xFF);
  b += char(len >> 8);
  b += body;
  b += '\0';    // checksum
  b += '\x0E';  // the next record, of another type
  return b;
}

struct LibraryRow {
  const char* name;
  uint16_t toolset;
  uint8_t header, namesType;
  bool ok;
  const char* result;  // names joined, or the message
};
class LibraryReader : public ::testing::TestWithParam<LibraryRow> {};
TEST_P(LibraryReader, ModuleNames) {
  const LibraryRow& r = GetParam();
  const bool extra = r.toolset == 2;
  const std::string image = Library(r.header, r.namesType, extra, {"MAIN", "", "UTIL"});
  std::vector<std::string> names;
  std::string error;
  EXPECT_EQ(ParseLibraryModules(image, r.toolset, &names, &error), r.ok);
  EXPECT_EQ(r.ok ? JoinLibraryModules(names) : error, r.result);
}
const LibraryRow kLibraryRows[] = {
    {"Library51", 0, 0x2C, 0x28, true, "MAIN,UTIL"},
    {"Library51ExtendedHeader", 0, 0xAC, 0xA8, true, "MAIN,UTIL"},
    {"Library51HeaderRefusedFor166", 2, 0x2C, 0xA6, false, "not a library"},
    {"Library166", 2, 0xBA, 0xA6, true, "MAIN,UTIL"},
    {"Library251WrongNamesRecord", 1, 0xAC, 0x28, false, "bad or invalid library"},
};
INSTANTIATE_TEST_SUITE_P(Rows, LibraryReader, ::testing::ValuesIn(kLibraryRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LibraryReaderCuts, EveryCutFailsCleanly) {
  const std::string image = Library(0x2C, 0x28, false, {"MAIN", "UTIL"});
  for (std::size_t n = 0; n + 1 < image.size(); ++n) {
    std::vector<std::string> names{"stale"};
    std::string error;
    EXPECT_FALSE(ParseLibraryModules(image.substr(0, n), 0, &names, &error)) << n;
    EXPECT_TRUE(names.empty()) << n;
  }
}

TEST(LibraryReaderFiles, MissingFileCannotBeOpened) {
  std::vector<std::string> names;
  std::string error;
  EXPECT_FALSE(ReadLibraryModules("/nonexistent/x.lib", 0, &names, &error));
  EXPECT_EQ(error, "can't open library");
}

TEST(LibraryModulesText, JoinStopsBeforeTheLimit) {
  std::vector<std::string> names(5000, std::string(10, 'M'));
  const std::string text = JoinLibraryModules(names);
  EXPECT_LE(text.size(), 32758u);
  EXPECT_GT(text.size(), 32758u - 11);
  EXPECT_EQ(SplitLibraryModules("A,,B").size(), 2u);
}

struct ToolCommandRow {
  const char* name;
  const char* stored;
  const char* program;
  const char* arguments;
};
class ToolCommands : public ::testing::TestWithParam<ToolCommandRow> {};
TEST_P(ToolCommands, Split) {
  const ToolCommand c = SplitToolCommand(GetParam().stored);
  EXPECT_EQ(c.program, GetParam().program);
  EXPECT_EQ(c.arguments, GetParam().arguments);
}
const ToolCommandRow kToolRows[] = {
    {"Quoted", "\"C:\\Tools\\flash.exe\" (-p COM1)", "C:\\Tools\\flash.exe", "-p COM1"},
    {"NestedParentheses", "\"f\" (a (b) c)", "f", "a (b) c"},
    {"Unquoted", "flash  (x)", "flash", "x"},
    {"NoArguments", "\"prog\"", "prog", ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, ToolCommands, ::testing::ValuesIn(kToolRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ToolCommandJoin, RoundTrips) {
  const ToolCommand c{"my prog", "a (b)"};
  const ToolCommand back = SplitToolCommand(JoinToolCommand(c));
  EXPECT_EQ(back.program, c.program);
  EXPECT_EQ(back.arguments, c.arguments);
}

TEST(FolderLists, SplitAtAnySeparatorJoinWithTheFirst) {
  const std::vector<std::string> rows = SplitFolderList("a;b,c", ";,");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(JoinFolderList(rows, ";,"), "a;b;c");
  EXPECT_EQ(JoinFolderList({" x ", "   ", "y"}, ";,"), "x;y");
}

TEST(FolderRows, ASeparatorInARowIsRefusedNamingIt) {
  EXPECT_EQ(FolderRowRefusal("inc/my dir", ";,"), "");
  EXPECT_EQ(FolderRowRefusal("inc/my,dir;x", ";,"),
            "The folder 'inc/my,dir;x' cannot be a row of this list: ';' and ',' separate the list's folders, so ',' "
            "would split it into several.");
  EXPECT_EQ(SplitFolderList(JoinFolderList({"a b", "c"}, ";,"), ";,"), (std::vector<std::string>{"a b", "c"}));
}

// ---------------------------------------------------------------- sessions

// The line the build gives the node with the tool as the project is now
// (a session on the node, its preview, the session rolled back).
std::string BuiltLine(ProjectRec* project, NodeRec* node, PreviewTool tool) {
  OptionsSession s;
  std::string error;
  EXPECT_TRUE(s.Begin(project, node, &error)) << error;
  PreviewContextPtr ctx = NewPreviewContext("");
  std::string line(BuildPreview(*ctx, s, tool, nullptr));
  s.Rollback();
  return line;
}

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState();
    PoolFreeAll();
    m_project = NewProject(nullptr, "/tmp/demo.pm2");
    theApp().m_pProject = m_project;
    m_target = m_project->curTarget;
    m_target->toolset = kToolsetArmGnu;
    ResetTargetOptions(m_target, kToolsetUndefined);
    m_group = m_project->firstGroup;
    m_file = AddFileToGroup(m_group, "main.c", ".\\", kFileC);
  }
  void TearDown() override {
    ResetAppState();
    PoolFreeAll();
  }
  ProjectRec* m_project = nullptr;
  TargetRec* m_target = nullptr;
  GroupRec* m_group = nullptr;
  FileRec* m_file = nullptr;
};

TEST_F(Session, TargetCopyChangesTheProjectOnlyOnCommit) {
  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_target, &error)) << error;
  s.TargetCopy()->out.OUTNAME = OptString::Pooled("renamed", kPoolProject);
  EXPECT_NE(m_target->pOpts->out.OUTNAME, "renamed");
  EXPECT_TRUE(s.Commit());
  EXPECT_EQ(m_target->pOpts->out.OUTNAME, "renamed");
  EXPECT_EQ(m_target->pOpts->owner, m_target);
}

TEST_F(Session, TheApplicationsEditedBlocksNameTheCopiesWhileTheSheetRuns) {
  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_file, &error));
  EXPECT_EQ(theApp().m_pEditTargetOpts, s.TargetCopy());
  EXPECT_EQ(theApp().m_pEditFileOpts, s.NodeCopy());
  s.Rollback();
  EXPECT_EQ(theApp().m_pEditTargetOpts, m_target->pOpts);
  EXPECT_EQ(theApp().m_pEditFileOpts, nullptr);
}

TEST_F(Session, UnchangedCommitReportsNoChange) {
  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_target, &error));
  EXPECT_FALSE(s.Commit());
}

TEST_F(Session, RollbackRestoresTargetRecordAndFileType) {
  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_file, &error)) << error;
  const std::string device = m_target->DEVICE.str();
  m_target->DEVICE = OptString::Pooled("OTHER", kPoolProject);
  m_target->pOpts->out.OUTNAME = OptString::Pooled("changed by a device", kPoolProject);
  s.SetFileType(kFileText);
  s.Rollback();
  EXPECT_EQ(m_target->DEVICE.str(), device);
  EXPECT_NE(m_target->pOpts->out.OUTNAME, "changed by a device");
  EXPECT_EQ(m_file->type, kFileC);
}

TEST_F(Session, FileOverrideIsAttachedOnlyWhenItDiffersFromTheDefaults) {
  {
    OptionsSession s;
    std::string error;
    ASSERT_TRUE(s.Begin(m_project, m_file, &error));
    EXPECT_EQ(s.NodeCopy()->prop.STOPCODE, kInheritStopCode);
    EXPECT_FALSE(s.Commit());
    EXPECT_EQ(FindTargetOptions(m_file->pOpts, m_target), nullptr);
  }
  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_file, &error));
  s.NodeCopy()->cGnu.ACDEFN = OptString::Pooled("FILE_ONLY", kPoolProject);
  EXPECT_TRUE(s.Commit());
  OptionBlock* own = FindTargetOptions(m_file->pOpts, m_target);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->cGnu.ACDEFN, "FILE_ONLY");

  // Back to the defaults: the override goes.
  OptionsSession again;
  ASSERT_TRUE(again.Begin(m_project, m_file, &error));
  again.NodeCopy()->cGnu.ACDEFN = OptString();
  EXPECT_TRUE(again.Commit());
  EXPECT_EQ(FindTargetOptions(m_file->pOpts, m_target), nullptr);
}

TEST_F(Session, GroupOfATargetWithoutOptionsIsRefused) {
  m_target->pOpts = nullptr;
  OptionsSession s;
  std::string error;
  EXPECT_FALSE(s.Begin(m_project, m_group, &error));
  EXPECT_EQ(error, "Missing Target Options for Target 'Target 1' !");
}

TEST_F(Session, PreviewSeesThePageCopyAndLeavesTheProjectAsItWas) {
  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_file, &error));
  OptionBlock page = *s.NodeCopy();
  page.cGnu.ACDEFN = OptString("PREVIEW_ONLY");
  OptionBlock* fileBlocks = m_file->pOpts;
  OptionBlock* targetBlock = m_target->pOpts;
  PreviewContextPtr ctx = NewPreviewContext("");
  const std::string line(BuildPreview(*ctx, s, PreviewTool::kGnuCc, &page));
  EXPECT_NE(line.find("PREVIEW_ONLY"), std::string::npos) << line;
  EXPECT_EQ(m_file->pOpts, fileBlocks);
  EXPECT_EQ(m_target->pOpts, targetBlock);
  EXPECT_EQ(FindTargetOptions(m_file->pOpts, m_target), nullptr);
}

TEST_F(Session, FilePreviewMergesTheGroupsOverrideWithItsOwn) {
  {
    OptionsSession group;
    std::string error;
    ASSERT_TRUE(group.Begin(m_project, m_group, &error));
    group.NodeCopy()->cGnu.ACDEFN = OptString::Pooled("FROM_GROUP", kPoolProject);
    ASSERT_TRUE(group.Commit());
  }
  OptionsSession file;
  std::string error;
  ASSERT_TRUE(file.Begin(m_project, m_file, &error));
  OptionBlock page = *file.NodeCopy();
  page.cGnu.ACDEFN = OptString("FROM_FILE");
  PreviewContextPtr ctx = NewPreviewContext("");
  const std::string line(BuildPreview(*ctx, file, PreviewTool::kGnuCc, &page));
  EXPECT_NE(line.find("FROM_GROUP"), std::string::npos) << line;
  EXPECT_NE(line.find("FROM_FILE"), std::string::npos) << line;
  // The target's own line knows neither.
  OptionsSession target;
  ASSERT_TRUE(target.Begin(m_project, m_target, &error));
  const std::string targetLine(BuildPreview(*ctx, target, PreviewTool::kGnuCc, nullptr));
  EXPECT_EQ(targetLine.find("FROM_GROUP"), std::string::npos) << targetLine;
}

// A group or file given a block by one change (Always Build) holds nothing
// of the target's: the lines of its files follow every later change of the
// target's texts and switches exactly as without the block (no Define
// twice, no stale value, switches inherited).
struct InheritRow {
  const char* name;
  uint16_t toolset;
  PreviewTool compiler, assembler;
  // The target's texts and switches: version 1 before the node's block,
  // version 2 after it.
  void (*target)(OptionBlock& b, int version);
};

std::string Versioned(const char* head, int version) { return std::string(head) + std::to_string(version); }
OptString Pooled(const std::string& text) { return OptString::Pooled(text, kPoolProject); }
uint32_t Switched(uint32_t word, std::initializer_list<int> shifts, int version) {
  for (int shift : shifts) word = SetBitField(word, shift, 2, version == 1 ? 1 : 0);
  return word;
}

const InheritRow kInheritRows[] = {
    {"Family51", kToolset51, PreviewTool::kQ51, PreviewTool::kW51, [](OptionBlock& b, int v) {
       b.q51.Q51DEF = Pooled(Versioned("TGT=", v));
       b.q51.Q51MSC = Pooled(Versioned("CMISC", v));
       b.q51.INCC5 = Pooled(Versioned("cinc", v));
       b.q51.Q51FL = Switched(b.q51.Q51FL, {2, 4, 6}, v);
       b.w51.WX51SET = Pooled(Versioned("TGT=", v));
       b.w51.WX51MSC = Pooled(Versioned("AMISC", v));
       b.w51.INCA5 = Pooled(Versioned("ainc", v));
       b.w51.WX51FL = Switched(b.w51.WX51FL, {0, 6}, v);
     }},
    {"Family251", kToolset251, PreviewTool::kQ251, PreviewTool::kW51, [](OptionBlock& b, int v) {
       b.q251.Q251DEF = Pooled(Versioned("TGT=", v));
       b.q251.Q251MSC = Pooled(Versioned("CMISC", v));
       b.q251.INCC2 = Pooled(Versioned("cinc", v));
       b.q251.Q251F1 = Switched(b.q251.Q251F1, {2, 4, 6, 8, 10}, v);
       b.w51.WX51SET = Pooled(Versioned("TGT=", v));
       b.w51.WX51MSC = Pooled(Versioned("AMISC", v));
       b.w51.WX51FL = Switched(b.w51.WX51FL, {0, 4}, v);
     }},
    {"Family166", kToolset166, PreviewTool::kQ166, PreviewTool::kW166, [](OptionBlock& b, int v) {
       b.q166.DEFINE = Pooled(Versioned("TGT=", v));
       b.q166.CMISC = Pooled(Versioned("CMISC", v));
       b.q166.INCC6 = Pooled(Versioned("cinc", v));
       SetFlagWord(b.q166.flags, Switched(FlagWord(b.q166.flags), {2, 4, 6, 8, 10, 12, 14}, v));
       b.w166.ASET = Pooled(Versioned("TGT=", v));
       b.w166.AMISC = Pooled(Versioned("AMISC", v));
       SetFlagWord(b.w166.flags, Switched(FlagWord(b.w166.flags), {0, 2}, v));
     }},
    {"ArmGnu", kToolsetArmGnu, PreviewTool::kGnuCc, PreviewTool::kGnuAs, [](OptionBlock& b, int v) {
       b.cGnu.ACDEFN = Pooled(Versioned("TGT=", v));
       b.cGnu.ACMISC = Pooled(Versioned("-DCMISC", v));
       b.cGnu.ACINCD = Pooled(Versioned("cinc", v));
       SetFirstWord(b.cGnu.ACCFLG, Switched(FirstWord(b.cGnu.ACCFLG), {0, 2, 4, 6, 10}, v));
       b.aGnu.AADEFN = Pooled(Versioned("TGT=", v));
       b.aGnu.AAMISC = Pooled(Versioned("--AMISC", v));
     }},
    {"ArmAds", kToolsetArmAds, PreviewTool::kAdsCc, PreviewTool::kAdsAsm, [](OptionBlock& b, int v) {
       b.cAds.ADSCDEFN = Pooled(Versioned("TGT=", v));
       b.cAds.ADSCMISC = Pooled(Versioned("-CMISC", v));
       b.cAds.ADSCINCD = Pooled(Versioned("cinc", v));
       SetFirstWord(b.cAds.ADSCCFLG, Switched(FirstWord(b.cAds.ADSCCFLG), {0, 9, 11, 13, 15, 17, 19, 21, 23, 28}, v));
       b.aAds.ADSADEFN = Pooled(Versioned("TGT=", v));
       b.aAds.ADSAMISC = Pooled(Versioned("-AMISC", v));
       SetFirstWord(b.aAds.ADSASFLG, Switched(FirstWord(b.aAds.ADSASFLG), {0, 2, 4, 6, 8, 10, 12}, v));
     }},
};

class NodeBlocksInherit : public ::testing::TestWithParam<InheritRow> {
 protected:
  void TearDown() override {
    ResetAppState();
    PoolFreeAll();
  }
  void NewDemo() {
    ResetAppState();
    PoolFreeAll();
    m_project = NewProject(nullptr, "/tmp/demo.pm2");
    theApp().m_pProject = m_project;
    m_target = m_project->curTarget;
    m_target->toolset = GetParam().toolset;
    ResetTargetOptions(m_target, kToolsetUndefined);
    m_group = m_project->firstGroup;
    m_cFile = AddFileToGroup(m_group, "main.c", ".\\", kFileC);
    m_asmFile = AddFileToGroup(m_group, "start.a", ".\\", kFileAsm);
  }
  std::string Line(FileRec* file, PreviewTool tool) { return BuiltLine(m_project, file, tool); }
  ProjectRec* m_project = nullptr;
  TargetRec* m_target = nullptr;
  GroupRec* m_group = nullptr;
  FileRec* m_cFile = nullptr;
  FileRec* m_asmFile = nullptr;
};

TEST_P(NodeBlocksInherit, LinesFollowTheTargetAfterOneChangeAtTheNode) {
  const InheritRow& row = GetParam();
  for (const char* nodeName : {"group", "C file", "assembler file"}) {
    SCOPED_TRACE(nodeName);
    NewDemo();
    NodeRec* node = nodeName[0] == 'g' ? static_cast<NodeRec*>(m_group)
                    : nodeName[0] == 'C' ? static_cast<NodeRec*>(m_cFile)
                                         : static_cast<NodeRec*>(m_asmFile);
    row.target(*m_target->pOpts, 1);
    OptionsSession s;
    std::string error;
    ASSERT_TRUE(s.Begin(m_project, node, &error)) << error;
    s.NodeCopy()->prop.flags.ALWAYSBUILD = 1;
    ASSERT_TRUE(s.Commit());
    OptionBlock* own = FindTargetOptions(node->pOpts, m_target);
    ASSERT_NE(own, nullptr);

    row.target(*m_target->pOpts, 2);
    const std::string cLine = Line(m_cFile, row.compiler);
    const std::string asmLine = Line(m_asmFile, row.assembler);
    EXPECT_NE(cLine.find("TGT"), std::string::npos) << cLine;
    DetachOptionBlock(node, own);
    EXPECT_EQ(Line(m_cFile, row.compiler), cLine);
    EXPECT_EQ(Line(m_asmFile, row.assembler), asmLine);
  }
}
INSTANTIATE_TEST_SUITE_P(Rows, NodeBlocksInherit, ::testing::ValuesIn(kInheritRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A device chosen on the Device page, as the session sees it: a device of
// another family made final by OK detaches the target's blocks of its
// groups and files (written for the old family, they would be read with the
// new family's layout, every field 0), and only that target's; Cancel
// leaves them, and so does a device of the same family.
struct FamilyRow {
  const char* name;
  uint16_t family;   // of the device database entry
  uint16_t toolset;  // the device page's choice for it
  bool ok;           // OK, else Cancel
  bool blocksStay;   // the target's group and file blocks after the sheet
};

const FamilyRow kFamilyRows[] = {
    {"AnotherFamilyOk", 0, kToolset51, true, false},
    {"AnotherFamilyCancelled", 0, kToolset51, false, true},
    {"SameFamilyOk", 3, kToolsetArmGnu, true, true},
};

class DevicePageFamily : public Session, public ::testing::WithParamInterface<FamilyRow> {
 protected:
  void SetUp() override {
    Session::SetUp();
    // A second target of the same family with blocks of its own for the
    // same group and file.
    m_other = CopyTargetRec(m_target, kPoolProject);
    m_other->name = OptString::Pooled("Target 2", kPoolProject);
    m_target->next = m_other;
    m_other->next = nullptr;
    m_groupBlock = GetNodeOptions(m_group);
    m_fileBlock = GetNodeOptions(m_file);
    m_otherGroupBlock = CloneOptionBlock(m_group, m_groupBlock);
    m_otherGroupBlock->owner = m_other;
    m_otherFileBlock = CloneOptionBlock(m_file, m_fileBlock);
    m_otherFileBlock->owner = m_other;
  }
  TargetRec* m_other = nullptr;
  OptionBlock* m_groupBlock = nullptr;
  OptionBlock* m_fileBlock = nullptr;
  OptionBlock* m_otherGroupBlock = nullptr;
  OptionBlock* m_otherFileBlock = nullptr;
};

TEST_P(DevicePageFamily, NodeBlocksFollowTheSheetsEnd) {
  const FamilyRow& row = GetParam();
  ASSERT_NE(m_groupBlock, nullptr);
  ASSERT_NE(m_fileBlock, nullptr);
  DeviceDbEntry device;
  device.vendor = OptString::Pooled("Vendor", kPoolProject);
  device.device = OptString::Pooled("Chip", kPoolProject);
  device.nFamily = row.family;

  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_target, &error)) << error;
  // What the Device page does with a device chosen: the target record
  // takes it at once, with the working copy lent as its block.
  s.LendTargetCopy(true);
  ApplyDeviceOptions(m_target, row.toolset, &device);
  // While the sheet is open nothing of the groups and files has gone.
  EXPECT_EQ(FindTargetOptions(m_group->pOpts, m_target), m_groupBlock);
  EXPECT_EQ(FindTargetOptions(m_file->pOpts, m_target), m_fileBlock);
  if (row.ok) {
    EXPECT_TRUE(s.Commit());
  } else {
    s.Rollback();
  }

  EXPECT_EQ(m_target->toolset, row.ok ? row.toolset : uint16_t(kToolsetArmGnu));
  EXPECT_EQ(FindTargetOptions(m_group->pOpts, m_target), row.blocksStay ? m_groupBlock : nullptr);
  EXPECT_EQ(FindTargetOptions(m_file->pOpts, m_target), row.blocksStay ? m_fileBlock : nullptr);
  // The other target's blocks of the same group and file are its own.
  EXPECT_EQ(FindTargetOptions(m_group->pOpts, m_other), m_otherGroupBlock);
  EXPECT_EQ(FindTargetOptions(m_file->pOpts, m_other), m_otherFileBlock);
  EXPECT_EQ(m_otherGroupBlock->owner, m_other);
  EXPECT_EQ(m_otherFileBlock->owner, m_other);

  // The file is compiled with the new family's own defaults, not with the
  // zeros of a block written for the old family.
  if (m_target->toolset == kToolset51) {
    const std::string line = BuiltLine(m_project, m_file, PreviewTool::kQ51);
    EXPECT_EQ(line.find("WARNINGLEVEL (0)"), std::string::npos) << line;
    EXPECT_EQ(line.find("OPTIMIZE (0"), std::string::npos) << line;
  }
}
INSTANTIATE_TEST_SUITE_P(Rows, DevicePageFamily, ::testing::ValuesIn(kFamilyRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct PreviewToolRow {
  const char* name;
  PageId page;
  uint16_t toolset;
  PreviewTool tool;
};
class PreviewTools : public ::testing::TestWithParam<PreviewToolRow> {};
TEST_P(PreviewTools, PageShowsItsTool) {
  EXPECT_EQ(PreviewToolOf(GetParam().page, GetParam().toolset), GetParam().tool);
}
const PreviewToolRow kPreviewToolRows[] = {
    {"ExtendedLinkerOf51", PageId::kLocate251, 0, PreviewTool::kNX51},
    {"LinkerOf251", PageId::kMisc251, 1, PreviewTool::kN251},
    {"WX51IsThe51Assembler", PageId::kAsm251, 0, PreviewTool::kW51},
    {"GnuLinker", PageId::kArmGnuLinker, 3, PreviewTool::kGnuLd},
    {"OutputHasNone", PageId::kOutput, 0, PreviewTool::kNone},
};
INSTANTIATE_TEST_SUITE_P(Rows, PreviewTools, ::testing::ValuesIn(kPreviewToolRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// ------------------------------------------------- driver load paths

struct LoadPathRow {
  const char* name;
  bool dialog;
  const char* entry;
  const char* folder;
  int kind;
  const char* path;
};
class DriverLoadPaths : public ::testing::TestWithParam<LoadPathRow> {};
// A path made here for this machine's folder has no backslash in it.
TEST_P(DriverLoadPaths, JoinedWithTheFoldersSeparator) {
  const LoadPathRow& r = GetParam();
  EXPECT_EQ(r.dialog ? DialogLoadPath(r.entry, r.folder, r.kind) : DriverLoadPath(r.entry, r.folder, r.kind), r.path);
}
const LoadPathRow kLoadPathRows[] = {
    {"DialogInTheBinFolder", true, "DLG2.DLL", "/opt/q51/", 0, "/opt/q51/BIN/DLG2.DLL"},
    {"DialogOfAWindowsFolder", true, "DLG2.DLL", "C:\\Q51\\", 0, "C:\\Q51\\BIN\\DLG2.DLL"},
    {"DialogAbsolute", true, "/usr/lib/dlg.so", "/opt/q51/", 0, "/usr/lib/dlg.so"},
    {"DialogOfADebugBuild", true, "DLG2.DLL", "/opt/q51/", 1, "/opt/q51/DLG2/Debug/DLG2.dll"},
    {"DriverBesideTheTools", false, "Monitor51.DLL", "/opt/q51/BIN/", 0, "/opt/q51/BIN/Monitor51.DLL"},
    {"DriverOfAReleaseBuild", false, "Monitor51.DLL", "/opt/q51/BIN/", 2, "/opt/q51/BIN/Monitor51/Release/Monitor51.dll"},
    {"DriverOfAWindowsFolder", false, "Monitor51.DLL", "C:\\Q51\\BIN\\", 1,
     "C:\\Q51\\BIN\\Monitor51\\Debug\\Monitor51.dll"},
};
INSTANTIATE_TEST_SUITE_P(Rows, DriverLoadPaths, ::testing::ValuesIn(kLoadPathRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------- driver settings texts

class DriverSettingsTexts : public Session {
 protected:
  // Keeps text for the driver through a sheet's OK, saves the options file,
  // forgets the list and reads the file back: the text the file gave.
  std::string SavedAndRead(const std::string& base, const std::string& text) {
    OptionsSession s;
    std::string error;
    EXPECT_TRUE(s.Begin(m_project, m_target, &error)) << error;
    s.SetDriverSettings(base, text);
    EXPECT_TRUE(s.Commit());
    const std::string file = BuildOptionsFileText(*m_project);
    m_target->pOpts->dbg.OPTKEY = nullptr;
    EXPECT_EQ(ReadOptionsText(*m_project, file), 0);
    return GetKeyValue(m_target->pOpts->dbg.OPTKEY, base);
  }
};

struct SettingsTextRow {
  const char* name;
  const char* text;
  bool kept;
};
class SettingsTextRoundTrip : public DriverSettingsTexts,
                              public ::testing::WithParamInterface<SettingsTextRow> {};
// A text is accepted exactly when the options file gives it back unchanged.
TEST_P(SettingsTextRoundTrip, AcceptedTextsComeBackByteForByte) {
  const SettingsTextRow& r = GetParam();
  EXPECT_EQ(SettingsTextFault(r.text).empty(), r.kept) << SettingsTextFault(r.text);
  const std::string back = SavedAndRead("JLinkArm", r.text);
  if (r.kept)
    EXPECT_EQ(back, r.text);
  else
    EXPECT_NE(back, r.text) << "refused although the file keeps it";
}
const SettingsTextRow kSettingsTextRows[] = {
    {"Plain", "SPEED=4 -O2", true},
    {"BlanksAtBothEnds", "  lead and trail  ", true},
    {"NestedParentheses", "-D(x) ((y)) ()", true},
    {"CrLfLines", "A=1\r\nB=2\r\n", true},
    {"LoneCarriageReturn", "a\rb", true},
    {"BracketsAndQuotes", "<a> \"b\" 'c' {d} [e] , ;", true},
    {"CommentCloserAlone", "a */ b", true},
    {"CloseBeforeOpen", "a)b(", false},
    {"OpenNeverClosed", "(open", false},
    {"LoneLineFeed", "line\nfeed", false},
    {"LeadingLineFeed", "\nx", false},
    {"EscapeCharacters", "C:\\~x", false},
    {"CommentOpener", "x /* y */ z", true},
    {"CommentNeverClosed", "FOO /* BAR", true},
};
INSTANTIATE_TEST_SUITE_P(Rows, SettingsTextRoundTrip, ::testing::ValuesIn(kSettingsTextRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DriverSettingsTexts, AWholeBufferOfTextComesBack) {
  std::string text;
  while (text.size() < 16384) text += "K(" + std::to_string(text.size()) + ")=\"v w\"\r\n";
  text.resize(16384 - 2);
  text += "()";
  ASSERT_EQ(SettingsTextFault(text), "");
  EXPECT_EQ(SavedAndRead("Drv", text), text);
}

TEST_F(DriverSettingsTexts, CancelLeavesTheProjectsListAlone) {
  m_target->pOpts->dbg.OPTKEY = SetKeyValue(nullptr, "Drv", "OLD", kPoolProject);
  const KeyValueRec* before = m_target->pOpts->dbg.OPTKEY;
  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_target, &error)) << error;
  s.SetDriverSettings("drv", "NEW");
  EXPECT_EQ(s.DriverSettings("DRV"), "NEW");
  EXPECT_EQ(before->value.str(), "OLD");  // shared nodes are not written through
  s.Rollback();
  EXPECT_EQ(m_target->pOpts->dbg.OPTKEY, before);
  EXPECT_EQ(GetKeyValue(m_target->pOpts->dbg.OPTKEY, "Drv"), "OLD");
}

TEST_F(DriverSettingsTexts, TheSameTextAgainIsNoChange) {
  m_target->pOpts->dbg.OPTKEY = SetKeyValue(nullptr, "Drv", "SAME", kPoolProject);
  OptionsSession s;
  std::string error;
  ASSERT_TRUE(s.Begin(m_project, m_target, &error)) << error;
  s.SetDriverSettings("Drv", "SAME");
  EXPECT_FALSE(s.Commit());
}

TEST(SettingsTextRefusal, NamesTheDriverAndWhetherItsNameOrTextIsAtFault) {
  EXPECT_EQ(SettingsTextRefusal("Drv", "ok"), "");
  const std::string text = SettingsTextRefusal("Drv", "a)");
  EXPECT_NE(text.find("'Drv'"), std::string::npos) << text;
  EXPECT_NE(text.find("settings text"), std::string::npos) << text;
  const std::string name = SettingsTextRefusal("Drv)", "ok");
  EXPECT_NE(name.find("name"), std::string::npos) << name;
  EXPECT_EQ(name.find("settings text"), std::string::npos) << name;
}

}  // namespace
}  // namespace pm2
