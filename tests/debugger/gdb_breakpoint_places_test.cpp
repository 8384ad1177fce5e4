// A breakpoint gdb places in several places is one breakpoint, set at once
// from the command page and from the Breakpoints dialog: the session stops
// at each place and goes on answering. A breakpoint on a line of a header
// (no file of the project) is set again in the next session, in every
// place, listed by its name and with the number BL shows in the stop
// messages. Kill All and Disable All reach every breakpoint. On the
// example with a static inline function in LED.h that LED.c and Timer.c
// call, so that the function and its line have a copy in each.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver_abi/debug_records.h"
#include "example_copy.h"
#include "editor/document/code_lines.h"
#include "gdb_session_fixture.h"
#include "project/files/debug_lists.h"

namespace pm2 {
namespace {

// DbgBreakpoint: op 1 the state at an address (1 enabled), 3 insert or remove.
constexpr int32_t kBpState = 1, kBpToggle = 3;

// The example with Twice in LED.h, called from LED.c and Timer.c, built once.
const std::string& TwoPlaceExampleFolder() {
  static ExampleCopyOfThisProgram copy;
  static std::string folder = [] {
    if (ExampleFolder().empty()) return std::string();
    std::string dir = std::filesystem::temp_directory_path().string() + "/pm2gdbtwice" + std::to_string(getpid());
    copy.dir = dir;
    std::filesystem::remove_all(dir);
    std::filesystem::copy(ExampleFolder(), dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(dir + "/Obj");
    const bool edited =
        test::ReplaceInFile(dir + "/LED.h", "unsigned int LED_Count(void);\n",
                "unsigned int LED_Count(void);\n\nstatic inline unsigned int Twice(unsigned int x) {\n"
                "  return x + x;\n}\n") &&
        test::ReplaceInFile(dir + "/LED.c", "{ return LED_COUNT; }", "{ return Twice(LED_COUNT) / 2; }") &&
        test::ReplaceInFile(dir + "/Timer.c", "#include \"Timer.h\"\n", "#include \"Timer.h\"\n#include \"LED.h\"\n") &&
        test::ReplaceInFile(dir + "/Timer.c", "T0PR = 0;", "T0PR = Twice(0);");
    if (!edited) return std::string();
    std::string cmd =
        "cd '" + dir + "' && '" + std::string(PM2_PROGRAM_DIR) + "/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return dir + "/";
  }();
  return folder;
}

uint32_t LineOf(const std::string& file, const std::string& text) {
  std::ifstream in(TwoPlaceExampleFolder() + file);
  std::string line;
  for (uint32_t n = 1; std::getline(in, line); ++n)
    if (line.find(text) != std::string::npos) return n;
  return 0;
}

class GdbBreakpointPlaces : public GdbSessionTest {
 protected:
  void SetUp() override {
    GdbSessionTest::SetUp();
    if (IsSkipped()) return;
    if (TwoPlaceExampleFolder().empty()) GTEST_SKIP() << "the example with Twice does not build here";
    project = MakeExampleProject(TwoPlaceExampleFolder());
    app->State().m_pProject = project;
    Params("-sim");
  }
  // Runs to the next stop (the driver's notice of it); its source file and line, or "" and 0.
  bool GoToStop(std::string* file, uint32_t* line) {
    DebugInterface* r = session->Record();
    const int before = host.stopsPosted;
    session->Go();
    if (!WaitFor([&] { return host.stopsPosted > before && !session->TargetExecuting(); })) return false;
    *file = "";
    *line = 0;
    if (r->DbgFindSource(r->pc) == 0 && r->srcFile) {
      *file = std::filesystem::path(static_cast<const char*>(r->srcFile)).filename().string();
      *line = r->srcLine;
    }
    return true;
  }
  // The records of the driver's breakpoint list, at most `bound` of them.
  std::vector<const DbgBreakpointRecord*> Listed(std::size_t bound) {
    DebugInterface* r = session->Record();
    std::vector<const DbgBreakpointRecord*> out;
    for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
         b && out.size() <= bound; b = b->next)
      out.push_back(b);
    return out;
  }
};

struct RoadRow {
  const char* name;
  bool dialog;  // the Breakpoints dialog's definition, else the command page's BS
};

void PrintTo(const RoadRow& row, std::ostream* out) { *out << row.name; }

class GdbFunctionInTwoPlaces : public GdbBreakpointPlaces, public ::testing::WithParamInterface<RoadRow> {};

TEST_P(GdbFunctionInTwoPlaces, IsOneBreakpointThatStopsInEach) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  if (GetParam().dialog) {
    DbgBreakpointRequest q{};
    q.expression = "Twice";
    q.passCount = q.passCount2 = 1;
    r->DbgBreakpointDefine(0, 0, 0, &q);
    ASSERT_EQ(q.error, 0) << CommandTexts();
    ASSERT_NE(q.result, nullptr);
  } else {
    ASSERT_EQ(r->DbgExecCommand("BS Twice", 8), 0) << CommandTexts();
  }
  EXPECT_EQ(CommandTexts().find("no answer"), std::string::npos) << CommandTexts();
  ASSERT_EQ(r->DbgExecCommand("BL", 2), 0) << CommandTexts();
  const std::string texts = CommandTexts();
  std::size_t shown = 0;
  for (std::size_t at = 0; (at = texts.find("  Twice", at)) != std::string::npos; ++at) ++shown;
  EXPECT_EQ(shown, 1u) << texts;
  const std::vector<const DbgBreakpointRecord*> listed = Listed(4);
  EXPECT_EQ(listed.size(), 2u);  // main's and Twice's

  // LED_Count's call comes first, Timer_Init's after: a stop in each copy
  // of the header's line, both shown as breakpoints in the margin.
  const uint32_t body = LineOf("LED.h", "return x + x;");
  ASSERT_GT(body, 0u);
  std::vector<uint32_t> stops;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    std::string file;
    uint32_t line = 0;
    ASSERT_TRUE(GoToStop(&file, &line)) << CommandTexts();
    EXPECT_EQ(file, "LED.h");
    EXPECT_EQ(line, body);
    EXPECT_EQ(r->DbgBreakpoint(r->pc, kBpState), 1u) << std::hex << r->pc;
    stops.push_back(r->pc);
  }
  ASSERT_EQ(stops.size(), 2u);
  EXPECT_NE(stops[0], stops[1]);
  EXPECT_EQ(CommandTexts().find("no answer"), std::string::npos) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("does not answer"), std::string::npos) << CommandTexts();
  // The margin's click on one place takes the breakpoint away from both.
  ASSERT_NE(r->DbgBreakpoint(stops[1], kBpToggle), uint32_t(-1)) << CommandTexts();
  EXPECT_EQ(r->DbgBreakpoint(stops[0], kBpState), 0u);
  EXPECT_EQ(r->DbgBreakpoint(stops[1], kBpState), 0u);
  EXPECT_EQ(Listed(4).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Roads, GdbFunctionInTwoPlaces,
                         ::testing::Values(RoadRow{"CommandPage", false}, RoadRow{"Dialog", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdbBreakpointPlaces, AHeaderLineIsSetAgainInTheNextSession) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const uint32_t body = LineOf("LED.h", "return x + x;");
  ASSERT_GT(body, 0u);
  const std::string command = "BREAK LED.h:" + std::to_string(body);
  ASSERT_EQ(r->DbgExecCommand(command.c_str(), int32_t(command.size())), 0) << CommandTexts();
  session->StopDebugger();
  ASSERT_FALSE(session->SessionActive());
  bool stored = false;
  for (const BreakpointRec* k = project->curTarget->breakpoints; k; k = k->next)
    stored |= !(k->flags & kBreakFlag4) && k->text1.str() == "LED.h" && k->value1 == body;
  ASSERT_TRUE(stored) << "the header's breakpoint was not kept";

  // The next session has it again, and stops on the header's line (after
  // main's breakpoint, which is kept as well).
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  r = session->Record();
  bool set = false;
  for (const DbgBreakpointRecord* b : Listed(8))
    set |= r->DbgFindSource(b->address) == 0 && r->srcFile &&
           std::filesystem::path(static_cast<const char*>(r->srcFile)).filename() == "LED.h" && r->srcLine == body;
  ASSERT_TRUE(set) << "the header's breakpoint was not set again";
  std::string file;
  uint32_t line = 0;
  for (int run = 0; run < 3 && file != "LED.h"; ++run) ASSERT_TRUE(GoToStop(&file, &line)) << CommandTexts();
  EXPECT_EQ(file, "LED.h") << CommandTexts();
  EXPECT_EQ(line, body);
}

// BL's number of the last line that names `what`, or 0.
int ListedNumber(const std::string& texts, const std::string& what) {
  int number = 0;
  std::istringstream lines(texts);
  for (std::string line; std::getline(lines, line);)
    if (line.find(") 0x") != std::string::npos && line.find("  " + what) != std::string::npos)
      number = std::atoi(line.c_str());
  return number;
}

TEST_F(GdbBreakpointPlaces, AHeaderLineComesBackInEveryPlaceByNameWithItsNumber) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const uint32_t body = LineOf("LED.h", "return x + x;");
  ASSERT_GT(body, 0u);
  const std::string command = "BREAK LED.h:" + std::to_string(body);
  ASSERT_EQ(r->DbgExecCommand(command.c_str(), int32_t(command.size())), 0) << CommandTexts();
  // gdb's word on it names BL's number.
  ASSERT_EQ(r->DbgExecCommand("BL", 2), 0) << CommandTexts();
  const std::string name = "LED.h:" + std::to_string(body);
  const int set = ListedNumber(CommandTexts(), name);
  EXPECT_NE(CommandTexts().find("Breakpoint " + std::to_string(set) + " at 0x"), std::string::npos) << CommandTexts();
  // Its two places, LED_Count's copy first.
  std::vector<uint32_t> places;
  for (int run = 0; run < 2; ++run) {
    std::string file;
    uint32_t line = 0;
    ASSERT_TRUE(GoToStop(&file, &line)) << CommandTexts();
    ASSERT_EQ(file, "LED.h") << CommandTexts();
    places.push_back(r->pc);
  }
  ASSERT_NE(places[0], places[1]);
  session->StopDebugger();
  ASSERT_FALSE(session->SessionActive());

  routed.commandLines.clear();
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  r = session->Record();
  for (uint32_t place : places) EXPECT_EQ(r->DbgBreakpoint(place, kBpState), 1u) << std::hex << place;
  EXPECT_EQ(Listed(8).size(), 2u);  // main's and the header line's
  ASSERT_EQ(r->DbgExecCommand("BL", 2), 0) << CommandTexts();
  const int number = ListedNumber(CommandTexts(), name);
  EXPECT_GT(number, 0) << CommandTexts();

  // Both places stop, each told with BL's number.
  std::vector<uint32_t> stops;
  for (int run = 0; run < 4 && stops.size() < 2; ++run) {
    std::string file;
    uint32_t line = 0;
    ASSERT_TRUE(GoToStop(&file, &line)) << CommandTexts();
    if (file == "LED.h") stops.push_back(r->pc);
  }
  EXPECT_EQ(stops, places) << CommandTexts();
  const std::string texts = CommandTexts();
  EXPECT_NE(texts.find("Breakpoint " + std::to_string(number) + ", Twice"), std::string::npos) << texts;
  EXPECT_FALSE(std::regex_search(texts, std::regex("Breakpoint [0-9]+\\.[0-9]+"))) << texts;
}

// The header's lines as the margin reads them: its last line ends with
// each copy of the function, so a breakpoint in the code of LED.c between
// the two copies shows on no line of the header.
TEST_F(GdbBreakpointPlaces, AHeadersLinesHoldNoCodeOfAnotherFile) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  ASSERT_EQ(r->DbgExecCommand("BS LED_Off", 10), 0) << CommandTexts();
  const CodeLines lines(
      static_cast<const DbgLineTableRecord*>(r->DbgLineTable((TwoPlaceExampleFolder() + "LED.h").c_str())));
  const uint32_t body = LineOf("LED.h", "return x + x;");
  ASSERT_GT(body, 0u);
  auto query = [r](uint32_t address, int32_t op) { return r->DbgBreakpoint(address, op); };
  for (uint32_t line = body - 1; line <= body + 1; ++line) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(lines.Ranges(line).empty());
    EXPECT_TRUE(LineBreakpoints(lines.Ranges(line), query).empty());
  }
}

// With the breakpoint in two places, BS twice on one function, and a
// watchpoint: each breakpoint of the list is reached.
struct AllRow {
  const char* name;
  int32_t op;
  bool kept;  // the breakpoints stay (disabled)
};

void PrintTo(const AllRow& row, std::ostream* out) { *out << row.name; }

class GdbEveryBreakpoint : public GdbBreakpointPlaces, public ::testing::WithParamInterface<AllRow> {};

TEST_P(GdbEveryBreakpoint, IsReached) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  for (const char* command : {"BS Twice", "BS LED_Off", "BS LED_Off", "watch pattern_step"})
    ASSERT_EQ(r->DbgExecCommand(command, int32_t(std::strlen(command))), 0) << command << CommandTexts();
  ASSERT_EQ(Listed(8).size(), 5u);
  EXPECT_EQ(r->DbgBreakpointList(GetParam().op, 0, 0, nullptr), 0);
  const std::vector<const DbgBreakpointRecord*> listed = Listed(8);
  EXPECT_EQ(listed.size(), GetParam().kept ? 5u : 0u);
  for (const DbgBreakpointRecord* b : listed) EXPECT_FALSE(b->flags & kDbgBpEnabled) << b->word04;
  const uint32_t ledOff = Evaluate("&LED_Off");
  for (uint32_t a = ledOff; a < ledOff + 32; a += 4) EXPECT_NE(r->DbgBreakpoint(a, kBpState), 1u) << std::hex << a;
}

INSTANTIATE_TEST_SUITE_P(Commands, GdbEveryBreakpoint,
                         ::testing::Values(AllRow{"KillAll", kDbgBpListKillAll, false},
                                           AllRow{"DisableAll", kDbgBpListDisableAll, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
