// The debug dialogs' models: breakpoint lines and command conversions,
// the serial terminal's rings, symbol masks and type texts, the memory
// map's runs, the analyser's percentages and bars, coverage texts and the
// tool box's button list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debugger/model/breakpoints_lines.h"
#include "debugger/model/coverage_text.h"
#include "debugger/model/memory_map_walker.h"
#include "debugger/model/perf_analyzer_scroll.h"
#include "debugger/model/perf_analyzer_stats.h"
#include "debugger/model/serial_terminal.h"
#include "debugger/model/symbols_mask.h"
#include "debugger/model/tool_box_buttons.h"

namespace pm2 {
namespace {

std::string Addr(uint32_t a) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", a);
  return b;
}

// ------------------------------------------------------------ breakpoints

struct BpLineRow {
  const char* name;
  uint32_t flags;
  uint32_t length, count;
  uint16_t access;
  uint32_t pass;
  const char* expression;
  const char* command;
  const char* expected;
};

TEST(BreakpointLines, Rows) {
  const BpLineRow rows[] = {
      {"execution alone", 0x10, 0, 0, 0, 0, nullptr, nullptr, " 03: (E) 0x100"},
      {"execution with count", 0x10, 0, 0, 0, 2, nullptr, nullptr, " 03: (E) 0x100,  count=2, "},
      {"conditional with quotes", 0x11, 0, 0, 0, 3, "i == 5", "printf(\"x\")",
       " 03: (C)  'i == 5',  count=3,  cmd: \"printf(\\\"x\\\")\""},
      {"access objects", 0x52, 4, 3, 3, 1, nullptr, nullptr, " 03: (A readwrite 0x100 len=12), "},
      {"access bytes", 0x12, 2, 9, 2, 0, "v", nullptr, " 03: (A write 0x100 len=2),  'v', "},
      {"command escapes", 0x10, 0, 0, 0, 0, nullptr, "a\tb\n\\", " 03: (E) 0x100,  cmd: \"a\\tb\\n\\\\\""},
  };
  for (const BpLineRow& r : rows) {
    DbgBreakpointRecord bp{};
    bp.flags = r.flags;
    bp.address = 0x100;
    bp.number = 0x30003;  // only the low 16 bits count
    bp.length = r.length;
    bp.count = r.count;
    bp.access = r.access;
    bp.passCount = r.pass;
    bp.expression = r.expression;
    bp.command = r.command;
    EXPECT_EQ(BreakpointLine(bp, Addr), r.expected) << r.name;
  }
}

TEST(BreakpointLines, LongDriverTextsAreBounded) {
  std::string huge(5000, 'x');  // no terminator within the bound is read past it
  DbgBreakpointRecord bp{};
  bp.flags = 1;
  bp.expression = huge.c_str();
  const std::string line = BreakpointLine(bp, Addr);
  EXPECT_EQ(line.size(), kBpLineMax);
}

TEST(BreakpointLines, CommandConversions) {
  const struct {
    const char* name;
    const char* stored;
    const char* edit;
  } toEdit[] = {{"line feed", "a\nb", "a\\nb"},
                {"quotes", "say \"hi\" 'x'", "say \\\"hi\\\" \\'x\\'"},
                {"known escape kept", "a\\tb", "a\\tb"},
                {"lone backslash doubled", "a\\qb", "a\\\\qb"}};
  for (const auto& r : toEdit) EXPECT_EQ(BpCommandForEdit(r.stored), r.edit) << r.name;
  const struct {
    const char* name;
    const char* edit;
    const char* request;
  } toRequest[] = {{"backslash n doubled", "a\\nb", "a\\\\nb"},
                   {"quote escaped", "x\"y", "x\\\"y"},
                   {"known escape kept", "a\\tb", "a\\tb"},
                   {"lone backslash", "a\\zb", "a\\\\zb"}};
  for (const auto& r : toRequest) EXPECT_EQ(BpCommandForRequest(r.edit), r.request) << r.name;
  EXPECT_EQ(BpCommandForRequest(std::string(600, 'c')).size(), 510u);
}

TEST(BreakpointLines, RequestFromFields) {
  BpRequestBuilder b;
  BpDefinition def;
  def.expression = "main";
  def.count = "x";
  EXPECT_EQ(BuildBreakpointRequest(def, &b), BpFieldError::Count);
  def.count = "3";
  def.read = true;
  def.size = "";
  EXPECT_EQ(BuildBreakpointRequest(def, &b), BpFieldError::Size);
  def.size = "4";
  def.objects = true;
  ASSERT_EQ(BuildBreakpointRequest(def, &b), BpFieldError::None);
  EXPECT_EQ(b.request.flags, uint32_t(kDbgBpObjects));
  EXPECT_EQ(b.request.unitBytes, 0u);
  EXPECT_EQ(b.request.size, 4u);
  EXPECT_EQ(b.request.access, 1);
  EXPECT_EQ(b.request.passCount, 3u);
  EXPECT_EQ(b.request.passCount2, 3u);
  EXPECT_STREQ(b.request.expression, "main");
  def.read = false;
  def.size = "junk";  // not read without access
  ASSERT_EQ(BuildBreakpointRequest(def, &b), BpFieldError::None);
  EXPECT_EQ(b.request.size, 0u);
  EXPECT_EQ(b.request.access, 0);
}

// ------------------------------------------------------------ terminal

void Put(SerialTerminal& t, const std::string& s) {
  for (char c : s) t.PutChar(uint8_t(c));
}

struct StepRow {
  const char* name;
  const char* text;
  int delta;
  const char* result;
};
const StepRow kStepRows[] = {
    {"Up", "5", 1, "6"},          {"Down", "5", -1, "4"},        {"NotBelowOne", "1", -1, "1"},
    {"NotAboveTheTop", "32767", 1, "32767"}, {"LargeComesDown", "100000", -1, "32767"},
    {"HexTaken", "0x10", 1, "17"}, {"NoNumberStartsAtOne", "abc", 1, "1"}, {"EmptyStartsAtOne", "", -1, "1"},
};
class BpUpDown : public ::testing::TestWithParam<StepRow> {};
TEST_P(BpUpDown, StepsInsideTheRange) {
  EXPECT_EQ(StepBpNumber(GetParam().text, GetParam().delta), GetParam().result);
}
INSTANTIATE_TEST_SUITE_P(Rows, BpUpDown, ::testing::ValuesIn(kStepRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct PaKeyRow {
  const char* name;
  PaScroll from;
  PaKey key;
  int rows, visible;
  PaScroll to;
};
const PaKeyRow kPaKeyRows[] = {
    {"DownMovesTheSelection", {0, 0}, PaKey::Down, 10, 4, {0, 1}},
    {"DownAtTheLastShownRowScrolls", {0, 3}, PaKey::Down, 10, 4, {1, 3}},
    {"DownAtTheEndStays", {6, 3}, PaKey::Down, 10, 4, {6, 3}},
    {"DownNotPastTheLastRow", {0, 2}, PaKey::Down, 3, 5, {0, 2}},
    {"UpMovesTheSelection", {2, 2}, PaKey::Up, 10, 4, {2, 1}},
    {"UpAtTheFirstShownRowScrolls", {2, 0}, PaKey::Up, 10, 4, {1, 0}},
    {"UpAtTheTopStays", {0, 0}, PaKey::Up, 10, 4, {0, 0}},
    {"PageDownPages", {0, 1}, PaKey::PageDown, 10, 4, {4, 1}},
    {"PageDownStopsAtTheEnd", {5, 1}, PaKey::PageDown, 10, 4, {6, 1}},
    {"PageDownWithAllShownSelectsTheLast", {0, 0}, PaKey::PageDown, 3, 5, {0, 2}},
    {"PageDownNeedsTwoShownRows", {0, 0}, PaKey::PageDown, 10, 1, {0, 0}},
    {"PageUpPages", {6, 2}, PaKey::PageUp, 10, 4, {2, 2}},
    {"PageUpAtTheTopSelectsTheFirst", {0, 3}, PaKey::PageUp, 10, 4, {0, 0}},
};
class PaKeys : public ::testing::TestWithParam<PaKeyRow> {};
TEST_P(PaKeys, MoveSelectionAndTop) {
  const PaKeyRow& row = GetParam();
  const PaScroll s = PaKeyMove(row.from, row.key, row.rows, row.visible);
  EXPECT_EQ(s.top, row.to.top);
  EXPECT_EQ(s.selected, row.to.selected);
}
INSTANTIATE_TEST_SUITE_P(Rows, PaKeys, ::testing::ValuesIn(kPaKeyRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SerialTerminalRings, TextRows) {
  const struct {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
  } rows[] = {
      {"carriage return overwrites", "ab\rX", {"Xb"}},
      {"empty line kept", "a\n\nb", {"a", "", "b"}},
      {"backspace blanks", "abc\b\bd", {"ad "}},
      {"bell not stored", "a\ab", {"ab"}},
      {"tab stored as text", "a\tb", {"a\tb"}},
      {"zero stored", std::string("a\0b", 3), {std::string("a\0b", 3)}},
      {"wrap at 255", std::string(300, 'w'), {std::string(255, 'w'), std::string(45, 'w')}},
  };
  for (const auto& r : rows) {
    SerialTerminal t;
    Put(t, r.input);
    ASSERT_EQ(t.LineCount(), int(r.lines.size())) << r.name;
    for (std::size_t i = 0; i < r.lines.size(); ++i) EXPECT_EQ(t.Line(int(i)), r.lines[i]) << r.name << " line " << i;
  }
}

TEST(SerialTerminalRings, FullTextRingDropsOldestLine) {
  SerialTerminal t;
  // 100-byte lines numbered at their start: the ring holds 32768 bytes.
  for (int i = 0; i < 1000; ++i) {
    char head[16];
    std::snprintf(head, sizeof head, "%05d", i);
    Put(t, std::string(head) + std::string(94, '.') + "\n");
  }
  EXPECT_LE(t.TextBytes(), SerialTerminal::kTextSize);
  const int completed = t.CompletedLines();
  EXPECT_EQ(completed, int(SerialTerminal::kTextSize / 100));
  EXPECT_EQ(t.Line(completed - 1).substr(0, 5), "00999");
  EXPECT_EQ(t.Line(0).substr(0, 5), std::to_string(100000 + 1000 - completed).substr(1));
}

TEST(SerialTerminalRings, HexRows) {
  SerialTerminal t;
  t.SetCellsPerRow(2);
  t.PutChar(0x41);
  t.PutChar(0x141);
  t.PutChar(0x0A);
  EXPECT_EQ(t.HexRowCount(), 2);
  EXPECT_EQ(t.HexRow(0), " 41 141 ");
  EXPECT_EQ(t.HexRow(1), " 0A ");
  EXPECT_EQ(HexCellText(0x1FFF), "FFF");
}

TEST(SerialTerminalRings, FullHexRingDropsOneRow) {
  SerialTerminal t;
  t.SetCellsPerRow(8);
  for (uint32_t i = 0; i < SerialTerminal::kHexSize; ++i) t.PutHex(uint16_t(i & 0xFF));
  EXPECT_EQ(t.CellCount(), SerialTerminal::kHexSize);
  t.PutHex(0x77);
  EXPECT_EQ(t.CellCount(), SerialTerminal::kHexSize - 8 + 1);
  EXPECT_EQ(t.HexRow(0).substr(0, 3), " 08");
  t.Reset();
  EXPECT_EQ(t.CellCount(), 0u);
  EXPECT_EQ(t.LineCount(), 1);
}

// ------------------------------------------------------------ symbols

TEST(SymbolMasks, Check) {
  const struct {
    const char* name;
    const char* mask;
    int bad;
  } rows[] = {{"star alone", "*", -1},    {"prefix", "A*", -1},       {"digits and marks", "a#$?_9", -1},
              {"star dollar", "a*$", 2}, {"star star", "**", 1},      {"blank", "ma in", 2},
              {"dot", "x.y", 1}};
  for (const auto& r : rows) EXPECT_EQ(CheckSymbolMask(r.mask), r.bad) << r.name;
}

TEST(SymbolMasks, Match) {
  const struct {
    const char* name;
    const char* mask;
    const char* symbol;
    bool ignoreCase;
    bool match;
  } rows[] = {{"star all", "*", "anything", false, true},
              {"prefix", "A*", "Abc", false, true},
              {"prefix other", "A*", "bA", false, false},
              {"case ignored", "main", "MAIN", true, true},
              {"case kept", "main", "MAIN", false, false},
              {"digit", "x#", "x7", false, true},
              {"digit refused", "x#", "xa", false, false},
              {"any one", "m$in", "main", false, true},
              {"must use up name", "ma", "main", false, false},
              {"star then digit", "*#", "abc5", false, true},
              {"inner star", "m*n", "main", false, true}};
  for (const auto& r : rows) EXPECT_EQ(MatchSymbolMask(r.mask, r.symbol, r.ignoreCase), r.match) << r.name;
}

TEST(SymbolMasks, TypeTexts) {
  DbgTypeRecord intType{};
  intType.code = 4;
  DbgTypeRecord array{};
  array.code = 12;
  array.isArray = 1;
  array.dimensionCount = 2;
  array.dimensions[0] = 3;
  array.dimensions[1] = 4;
  array.element = &intType;
  DbgTypeRecord ptr8{};
  ptr8.code = 12;
  ptr8.space = 255;
  DbgTypeRecord ptrSize{};
  ptrSize.code = 12;
  ptrSize.size = 3;
  DbgTypeRecord farPtr{};
  farPtr.code = 12;
  farPtr.qualifier = 2;
  DbgTypeRecord tagged{};
  tagged.code = 14;
  tagged.tag = "point";
  DbgTypeRecord untagged{};
  untagged.code = 13;
  untagged.tag = "$anon";
  DbgTypeRecord fn{};
  fn.code = 15;
  DbgTypeRecord odd{};
  odd.code = 19;
  const struct {
    const char* name;
    const DbgTypeRecord* type;
    int family;
    const char* text;
  } rows[] = {{"int", &intType, 3, "int"},
              {"array", &array, 3, "array[3][4] of int"},
              {"code pointer", &ptr8, 0, "code ptr"},
              {"sized pointer", &ptrSize, 1, "ptr3"},
              {"far pointer", &farPtr, 2, "far pointer"},
              {"struct tag", &tagged, 3, "struct point"},
              {"union untagged", &untagged, 3, "union <untagged>"},
              {"function small", &fn, 0, "function"},
              {"function arm", &fn, 4, " function"},
              {"above 18", &odd, 3, ""},
              {"no type", nullptr, 3, ""}};
  for (const auto& r : rows) EXPECT_EQ(SymbolTypeText(r.type, r.family), r.text) << r.name;
}

TEST(SymbolMasks, AddressTexts) {
  const struct {
    const char* name;
    uint32_t cls, value, space, bit;
    int family;
    const char* text;
  } rows[] = {{"plain address", 1, 0x1234, 0, 0, 3, "0x1234"},
              {"family 2 address", 2, 0x1234, 0, 0, 2, "0x00001234 "},
              {"bit small", 4, 0x20 << 3, 0, 5, 0, "0x20.5"},
              {"register arm", 0x10, 3, 0, 0, 3, "R3"},
              {"register 16", 0x10, 3, 0, 0, 2, "RH1"},
              {"frame xdata", 0x20, 4, 1, 0, 0, "[?C_XBP+4]"},
              {"frame negative", 0x20, uint32_t(-6), 254, 0, 0, "[?C_PBP-6]"},
              {"frame arm", 0x20, 8, 7, 0, 3, "[R7+#8]   "},
              {"unknown class", 0x1000, 1, 0, 0, 3, ""}};
  for (const auto& r : rows) {
    DbgSymbolRecord s{};
    s.classWord = r.cls;
    s.value = r.value;
    s.space = r.space;
    s.bit = r.bit;
    EXPECT_EQ(SymbolAddressText(s, r.family, Addr), r.text) << r.name;
  }
}

// ------------------------------------------------------------ memory map

TEST(MemoryMapWalker, Runs) {
  std::vector<uint16_t> attrs(16, 0);
  for (int i = 2; i < 5; ++i) attrs[std::size_t(i)] = 0x3;        // exec read
  for (int i = 5; i < 7; ++i) attrs[std::size_t(i)] = 0x803;      // differs only in VNM
  attrs[7] = 0x1003;                                               // masked: equal to 0x3
  for (int i = 12; i < 16; ++i) attrs[std::size_t(i)] = 0x6;      // read write up to the end
  const std::vector<MapRun> runs = WalkMapRuns(attrs.data(), uint32_t(attrs.size()), 0x40000000);
  ASSERT_EQ(runs.size(), 4u);
  const struct {
    const char* name;
    std::size_t index;
    const char* line;
  } rows[] = {{"first run", 0, "001:  0x40000002 - 0x40000004  exec read "},
              {"vnm run", 1, "002:  0x40000005 - 0x40000006  exec read vnm"},
              {"masked bits ignored", 2, "003:  0x40000007 - 0x40000007  exec read "},
              {"run at the end", 3, "004:  0x4000000C - 0x4000000F  read write "}};
  for (const auto& r : rows) EXPECT_EQ(MapRunLine(int(r.index) + 1, runs[r.index], false, Addr), r.line) << r.name;
  std::vector<uint16_t> empty(8, 0);
  EXPECT_TRUE(WalkMapRuns(empty.data(), 8, 0).empty());
}

TEST(MemoryMapWalker, SpacesAndCommands) {
  const struct {
    const char* name;
    int family, variant;
    std::size_t count;
    uint32_t firstBase;
  } rows[] = {{"family 0 variant 4", 0, 4, 3, 0x42000000},
              {"family 0 variant 5", 0, 5, 1, 0x40000000},
              {"family 2", 2, 0, 256, 0},
              {"family 0 variant 2", 0, 2, 18, 0xFF0000}};
  for (const auto& r : rows) {
    const std::vector<MapSpace> s = MapSpaces(r.family, r.variant);
    ASSERT_EQ(s.size(), r.count) << r.name;
    EXPECT_EQ(s[0].base, r.firstBase) << r.name;
  }
  EXPECT_EQ(MapSpaces(0, 4)[2].cells, 0x100000u);
  EXPECT_EQ(MapCommand("0x0,0xFFFF", true, false, true, false), "Map 0x0,0xFFFF exec read \n");
  EXPECT_EQ(MapCommand("0x0,0xF", false, false, false, true), "Map 0x0,0xF clear VNM\n");
  EXPECT_EQ(MapClearCommand("001:  0x10 - 0x20  read "), "Map 0x10 , 0x20 Clear\n");
}

// ------------------------------------------------------------ analyser

TEST(PerfAnalyzerStats, Percentages) {
  DbgPaRangeRecord rest{}, a{}, b{};
  a.totalTime = 30;
  a.name = "`main";
  a.nameLength = 5;
  b.totalTime = 90;  // with a: above the elapsed time
  a.next = &b;
  const struct {
    const char* name;
    uint64_t now, base;
    double a, restPct;
  } rows[] = {{"shares", 200, 0, 15.0, 40.0}, {"ranges exceed elapsed", 100, 0, 30.0, 0.0}, {"nothing elapsed", 50, 50, 0, 0}};
  for (const auto& r : rows) {
    const std::vector<PaRow> out = PaComputeRows(&rest, &a, r.now, r.base);
    ASSERT_EQ(out.size(), 3u) << r.name;
    EXPECT_TRUE(out[0].remainder) << r.name;
    EXPECT_DOUBLE_EQ(out[0].percent, r.restPct) << r.name;
    EXPECT_DOUBLE_EQ(out[1].percent, r.a) << r.name;
    EXPECT_EQ(out[1].name, "main") << r.name;
  }
  std::vector<PaRow> none = PaComputeRows(&rest, nullptr, 100, 0);
  ASSERT_EQ(none.size(), 1u);
  EXPECT_DOUBLE_EQ(none[0].percent, 100.0);
}

TEST(PerfAnalyzerStats, BarsClipped) {
  const struct {
    const char* name;
    double pct, ppp;
    int box, width;
  } rows[] = {{"half", 50, 2.0, 200, 100},
              {"above 100 clipped", 250, 2.0, 200, 200},
              {"negative scale", 50, -1.0, 200, 0},
              {"zero percent", 0, 2.0, 200, 0}};
  for (const auto& r : rows) EXPECT_EQ(PaBarWidth(r.pct, r.ppp, r.box), r.width) << r.name;
}

TEST(PerfAnalyzerStats, StatisticsTexts) {
  DbgPaRangeRecord r{};
  r.count = 4;
  r.totalTime = 4000;
  r.minTime = ~uint64_t(0);
  r.maxTime = 2000;
  PaRow row{&r, "f", 12.34, false};
  auto sec = [](uint64_t c) { return double(c) / 1e6; };
  PaStatsText t = PaStatistics(row, sec);
  EXPECT_EQ(t.percent, "12.3");
  EXPECT_EQ(t.count, "4");
  EXPECT_EQ(t.minimum, "0.000000");
  EXPECT_EQ(t.maximum, "0.002000");
  EXPECT_EQ(t.average, "0.001000");
  EXPECT_EQ(t.total, "0.004000");
  row.remainder = true;
  t = PaStatistics(row, sec);
  EXPECT_EQ(t.count, "");
  EXPECT_EQ(t.total, "0.004000");
}

// ------------------------------------------------------------ coverage

TEST(CoverageTexts, Rows) {
  const struct {
    const char* name;
    const char* fn;
    uint8_t kind;
    uint32_t instr, exec, jumps;
    const char* text;
  } rows[] = {{"no instructions", "f", 2, 0, 0, 0, "0% of 0 instructions"},
              {"full with open jumps", "f", 2 | 8, 10, 10, 2, "100% of 10 instructions, 2 condjump(s) not fully executed"},
              {"zero percent short", "f", 2, 10, 0, 2, "0% of 10 instructions"},
              {"brace name short", "{block}", 2, 10, 5, 2, "50% of 10 instructions"},
              {"module shows nothing", "m", 1, 10, 5, 0, ""}};
  for (const auto& r : rows) {
    DbgCoverageRecord c{};
    c.name = r.fn;
    c.kind = r.kind;
    c.instructions = r.instr;
    c.executed = r.exec;
    c.jumpsOpen = r.jumps;
    EXPECT_EQ(CoverageText(c), r.text) << r.name;
  }
}

TEST(CoverageTexts, TreeRows) {
  DbgCoverageRecord f1{}, f2{}, empty{}, m1{}, m2{}, app{};
  f1.kind = f2.kind = 2;
  f1.next = &f2;
  m1.child = &f1;
  m1.next = &empty;
  empty.next = &m2;
  DbgCoverageRecord f3{};
  f3.kind = 2;
  m2.child = &f3;
  app.child = &m1;
  EXPECT_EQ(CoverageModules(&app).size(), 2u);
  const std::vector<CoverageRow> all = CoverageRows(&app, 0);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[0].record, &m1);
  EXPECT_EQ(all[1].level, 1);
  const std::vector<CoverageRow> second = CoverageRows(&app, 2);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].record, &f3);
  EXPECT_TRUE(CoverageRows(&app, 3).empty());
}

TEST(CoverageTexts, RowColors) {
  const struct {
    const char* name;
    bool record;
    uint8_t kind;
    bool focused;
    uint32_t text, back;
  } rows[] = {{"plain function", true, 2, false, 0x000000, 0xFFFFFF},
              {"fully executed function", true, 2 | 8, false, 0xFFFFFF, 0x008000},
              {"fully executed module", true, 1 | 8, false, 0xFFFFFF, 0x008000},
              {"focus wins over full", true, 2 | 8, true, 0xFFFFFF, 0x00007D},
              {"focused plain row", true, 2, true, 0xFFFFFF, 0x00007D},
              {"row without a record", false, 0, false, 0x000000, 0xFFFFFF}};
  for (const auto& r : rows) {
    DbgCoverageRecord c{};
    c.kind = r.kind;
    const CoverageColors got = CoverageRowColors(r.record ? &c : nullptr, r.focused);
    EXPECT_EQ(got.text, r.text) << r.name;
    EXPECT_EQ(got.back, r.back) << r.name;
  }
}

// ------------------------------------------------------------ driver records bounded

TEST(DriverRecordBounds, LoopingListsAndLongNamesAreCut) {
  // A range list that loops back on itself is walked no further than the bound.
  DbgPaRangeRecord rest{}, loop{};
  loop.next = &loop;
  loop.totalTime = 1;
  std::string longName(600, 'n');
  loop.name = longName.c_str();
  loop.nameLength = 0xFFFFFFFFu;  // a length beyond the text
  const std::vector<PaRow> rows = PaComputeRows(&rest, &loop, 100, 0);
  EXPECT_EQ(rows.size(), std::size_t(kPaMaxRanges) + 1);
  EXPECT_EQ(rows[1].name.size(), 255u);
  // A coverage module list that loops.
  DbgCoverageRecord f{}, m{}, app{};
  f.kind = kDbgCovFunction;
  f.next = &f;
  m.child = &f;
  m.next = &m;
  app.child = &m;
  EXPECT_LE(CoverageModules(&app).size(), std::size_t(kCoverageMaxRecords));
  EXPECT_LE(CoverageRows(&app, 1).size(), std::size_t(kCoverageMaxRecords));
  // A symbol name without a terminator within the bound.
  std::vector<char> raw(400, 's');
  EXPECT_EQ(BoundedName(raw.data()).size(), kSymbolNameMax);
  // An array type claiming more dimensions than it holds.
  DbgTypeRecord t{};
  t.code = 12;
  t.isArray = 1;
  t.dimensionCount = 0xFFFFFFFFu;
  EXPECT_EQ(SymbolTypeText(&t, 3), "array[0][0][0][0][0][0][0][0] of ");
  // A type whose element is itself: the text stops.
  DbgTypeRecord self{};
  self.code = 12;
  self.isArray = 1;
  self.dimensionCount = 1;
  self.element = &self;
  EXPECT_LT(SymbolTypeText(&self, 3).size(), 200u);
}

// ------------------------------------------------------------ tool box

TEST(ToolBoxList, AddReplaceRemove) {
  ToolBoxButtons b;
  for (int i = 1; i <= 16; ++i) ASSERT_EQ(b.Add("b" + std::to_string(i), "c"), 1);
  EXPECT_EQ(b.Add("b17", "c"), 0);
  EXPECT_EQ(b.Add("b3", "new"), 1);  // replaces, even when full
  EXPECT_EQ(b.Count(), 16);
  EXPECT_EQ(b.Buttons()[2].command, "new");
  EXPECT_EQ(b.Remove(0), 0);
  EXPECT_EQ(b.Remove(17), 0);
  EXPECT_EQ(b.Remove(1), 1);
  EXPECT_EQ(b.Buttons()[0].label, "b2");
  EXPECT_EQ(b.Count(), 15);
  EXPECT_EQ(b.Remove(0xFFFFFFFFu), 1);
  EXPECT_EQ(b.Count(), 0);
}

// A label reads as the box's own button's whatever its letter case, blanks
// and '&' marks (a QPushButton shows "&Update" as "Update"); a button the
// options file brings with one is not taken, one the user defines is.
TEST(ToolBoxList, ABuiltInLabelIsNoStoredButtonsLabel) {
  struct Row {
    const char* label;
    bool builtIn;
  } rows[] = {{"Update Windows", true},   {"update windows", true}, {" Update \t Windows ", true},
              {"&Update Win&dows", true}, {"Update Window", false}, {"UpdateWindows", false},
              {"Update Windows 2", false}, {"", false}};
  for (const Row& r : rows) EXPECT_EQ(IsBuiltInButtonLabel(r.label), r.builtIn) << "'" << r.label << "'";
  ToolBoxButtons b;
  b.Assign({{"&update windows", "shell touch /tmp/x", true}, {"Kept", "t", true}, {"Update Windows", "g", false}});
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(b.Buttons()[0].label, "Kept");
  EXPECT_EQ(b.Buttons()[1].label, "Update Windows");
}

TEST(ToolBoxList, Layout) {
  const struct {
    const char* name;
    int top, updateBottom, w, h, count, width, height;
  } rows[] = {{"three buttons", 100, 130, 90, 24, 3, 120, 30 + 72 + 8},
              {"update above top", 100, 90, 90, 24, 1, 120, 24 + 8},
              {"none", 0, 20, 60, 20, 0, 80, 28}};
  for (const auto& r : rows) {
    ToolBoxSize s = ToolBoxLayout(r.top, r.updateBottom, r.w, r.h, r.count);
    EXPECT_EQ(s.width, r.width) << r.name;
    EXPECT_EQ(s.height, r.height) << r.name;
  }
  EXPECT_EQ(ToolButtonCommand(ToolButton{"x", "g,main", false}), "g,main\n");
  EXPECT_EQ(ToolButtonCommand(ToolButton{"x", "", false}), "");
}

}  // namespace
}  // namespace pm2
