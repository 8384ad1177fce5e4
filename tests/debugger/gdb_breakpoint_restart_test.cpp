// Every breakpoint the list shows is kept, through the GDB driver on the
// example under qemu: each kind the Breakpoints dialog and BS define (a
// line, a function, a count, a condition, a command, an access, two on
// one line, two with one expression, a disabled one), typed or defined in
// the dialog, comes back as BL and the dialog listed it: after the options
// file was written and read again, and after a session ended while gdb
// did not answer.
#include <csignal>
#include <cstdint>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"
#include "project/files/debug_lists.h"
#include "project/files/project_file.h"
#include "debugger/model/margin_breakpoints.h"
#include "project/model/project_records.h"

namespace pm2 {
namespace gdb_breakpoint_restart_test {

// What the dialog's list shows of a breakpoint.
struct Listed {
  uint32_t type = 0;
  bool enabled = false;
  uint32_t address = 0;
  uint32_t passCount = 0;
  uint16_t access = 0;
  std::string expression;
  std::string command;
  bool operator==(const Listed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Listed& b) {
  return out << "{type " << b.type << (b.enabled ? " E" : " D") << " @0x" << std::hex << b.address << std::dec
             << " count " << b.passCount << " access " << b.access << " '" << b.expression << "' cmd '" << b.command
             << "'}";
}

// How the session ends before the next one starts.
enum class End { SaveAll, GdbHeld };

struct EndRow {
  const char* name;
  End end;
};

void PrintTo(const EndRow& row, std::ostream* out) { *out << row.name; }

class GdbEveryBreakpointKept : public GdbSessionTest, public ::testing::WithParamInterface<EndRow> {
 protected:
  void TearDown() override {
    for (pid_t p : Children("gdb-multiarch")) kill(p, SIGCONT);
    GdbSessionTest::TearDown();
  }
  std::vector<Listed> List() {
    std::vector<Listed> out;
    for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(
             session->Record()->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
         b && out.size() < 32; b = b->next) {
      Listed l;
      l.type = b->flags & kDbgBpTypeMask;
      l.enabled = (b->flags & kDbgBpEnabled) != 0;
      l.address = b->address;
      l.passCount = b->passCount;
      l.access = b->access;
      l.expression = b->expression ? b->expression : "";
      l.command = b->command ? b->command : "";
      out.push_back(l);
    }
    return out;
  }
  // A definition as the Breakpoints dialog hands it over; the reason for
  // a refusal ("" none).
  std::string Define(const std::string& expression, uint32_t count, const std::string& command = "",
                     uint8_t access = 0) {
    DbgBreakpointRequest q{};
    q.expression = expression.c_str();
    q.passCount = q.passCount2 = count;
    q.command = command.empty() ? nullptr : command.c_str();
    q.access = access;
    q.unitBytes = 1;
    q.size = access ? 4 : 0;
    const std::string why = session->RefusalOf([&] { session->Record()->DbgBreakpointDefine(0, 0, 0, &q); });
    return q.error ? (why.empty() ? std::string("refused without a reason") : why) : std::string();
  }
  bool Typed(const std::string& line) {
    return session->Record()->DbgExecCommand(line.c_str(), int32_t(line.size())) == 0;
  }
  // What BL says now, a row a line, without the numbers it gives them
  // (a new session numbers from 1).
  std::string BL() {
    routed.commandLines.clear();
    EXPECT_TRUE(Typed("BL")) << CommandTexts();
    std::string said, rows;
    for (const std::string& t : routed.commandLines) said += t;
    std::istringstream lines(said);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t colon = line.find(": (");
      if (colon != std::string::npos && line.find_first_not_of(" 0123456789") == colon)
        rows += line.substr(colon) + "\n";
    }
    return rows;
  }
  // Ends the session whose gdb does not answer: gdb held, a step asked
  // for, then Stop Debugging.
  void EndWithGdbHeld() {
    const std::vector<pid_t> gdb = Children("gdb-multiarch");
    ASSERT_EQ(gdb.size(), 1u);
    ASSERT_EQ(kill(gdb[0], SIGSTOP), 0);
    ASSERT_TRUE(WaitFor([&] { return StatOf(gdb[0]).state == 'T'; })) << StatOf(gdb[0]).state;
    {
      test::HangGuard guard("a step asked of a held gdb");
      session->Step(kDbgStepOver);
    }
    {
      test::HangGuard guard("the end of a session whose gdb is held");
      session->StopDebugger();
      if (session->SessionActive()) session->StopDebugger();
    }
    ASSERT_FALSE(session->SessionActive()) << CommandTexts();
    kill(gdb[0], SIGCONT);
  }
  // Ends the session, writes the options file and reads it back in place
  // of the target's list.
  void EndAndSaveAll() {
    session->StopDebugger();
    ASSERT_FALSE(session->SessionActive()) << CommandTexts();
    std::string text;
    WriteOptionsText(text, *project);
    project->curTarget->breakpoints = nullptr;
    std::string message;
    ASSERT_EQ(ReadOptionsText(*project, text, &message), 0) << message;
  }
};

// The breakpoints of every kind, as a user defines them in one session.
TEST_P(GdbEveryBreakpointKept, ComesBackAsListed) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  ASSERT_TRUE(Typed("BK *")) << CommandTexts();
  // The dialog: a condition on a function's place, a count and command on
  // a line, reads and writes of a variable.
  ASSERT_EQ(Define("LED_Off if num > 1", 2), "") << CommandTexts();
  ASSERT_EQ(Define("Blinky.c:44", 3, "print pattern_step"), "") << CommandTexts();
  ASSERT_EQ(Define("pattern_step", 1, "", 1), "") << CommandTexts();
  ASSERT_EQ(Define("pattern_step", 2, "", 2), "") << CommandTexts();
  // Typed after them (nothing asks for the dialog's list again): a line,
  // a function, a count, a second on the count's line, a command, two
  // conditionals with one expression, gdb's own write and read watches,
  // and one disabled.
  for (const char* line : {"BS LED.c:17", "BS LED_Off", "BS LED_On, 3", "BS LED.c:13",
                           "BS Blinky.c:47, 2, \"print pattern_step\"", "BS pattern_step == 20",
                           "BS pattern_step == 20, 4", "watch pattern_step", "rwatch pattern_step", "BD 2"})
    ASSERT_TRUE(Typed(line)) << line << "\n" << CommandTexts();
  const std::string bl = BL();
  for (const char* row : {"(D) 0x000003C4  LED_Off, CNT=2, if num > 1", "Blinky.c:44, CNT=3, \"print pattern_step\"",
                          "LED_On, CNT=3", "LED.c:13\n", "(C)  pattern_step == 20, CNT=4", "pattern_step  (read)"})
    EXPECT_NE(bl.find(row), std::string::npos) << row << " in\n" << bl;

  if (GetParam().end == End::SaveAll)
    ASSERT_NO_FATAL_FAILURE(EndAndSaveAll());
  else
    ASSERT_NO_FATAL_FAILURE(EndWithGdbHeld());
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  EXPECT_EQ(BL(), bl);
  const std::vector<Listed> listed = List();
  EXPECT_EQ(listed.size(), 13u);

  // And once more, the list kept as it came back.
  session->StopDebugger();
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  EXPECT_EQ(BL(), bl);
  EXPECT_EQ(List(), listed);
}

// Two breakpoints on two addresses of one line, one of them disabled, are
// kept by their line: the next session sets the line's one breakpoint as
// the first says, and the second keeps its own enable (it neither turns
// the first nor goes), session after session.
TEST_F(GdbEveryBreakpointKept, TwoOnOneLineKeepTheirOwnEnables) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  TargetRec* t = project->curTarget;
  t->breakpoints = nullptr;
  for (bool enabled : {true, false}) {
    BreakpointRec* b = AppendBreakpoint(t);
    b->flags = uint8_t(kStoredBreakKind | (enabled ? kBreakFlag3 : 0));
    b->value1 = 44;
    b->text1 = OptString("Blinky.c");
  }
  auto stored = [&] {
    std::string rows;
    for (const BreakpointRec* b = t->breakpoints; b; b = b->next)
      rows += b->text1.str() + ":" + std::to_string(b->value1) + ((b->flags & kBreakFlag3) ? " E\n" : " D\n");
    return rows;
  };
  const std::string before = stored();
  ASSERT_EQ(before, "Blinky.c:44 E\nBlinky.c:44 D\n");
  for (int round = 0; round < 2; ++round) {
    session->StartDebugger();
    ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
    const std::vector<Listed> listed = List();
    ASSERT_EQ(listed.size(), 1u) << CommandTexts();
    EXPECT_TRUE(listed[0].enabled) << "the second turned the first's enable";
    session->StopDebugger();
    ASSERT_FALSE(session->SessionActive());
    EXPECT_EQ(stored(), before) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Ends, GdbEveryBreakpointKept,
                         ::testing::Values(EndRow{"SaveAll", End::SaveAll}, EndRow{"GdbHeld", End::GdbHeld}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace gdb_breakpoint_restart_test
}  // namespace pm2
