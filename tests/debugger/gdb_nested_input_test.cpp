// Typed lines that would leave gdb reading further lines of its own (a
// command list, a definition, a loop's body, a script) are refused with
// the reason, and the session goes on; their one-line forms reach gdb.
#include <gtest/gtest.h>

#include "debugger/gdb/commands/nested_input.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

struct NestedRow {
  const char* name;
  const char* typed;
  bool refused;
  const char* reason = "";  // a part of the refusal's text
};

const NestedRow kNestedRows[] = {
    {"BareCommands", "commands", true, "a breakpoint's command list up to 'end'"},
    {"CommandsOfABreakpoint", "commands 1", true, "Breakpoints dialog"},
    {"CommandsAbbreviated", "comm", true, "command list"},
    {"CommandsAfterAWithPrefix", "with print pretty -- commands", true, "command list"},
    {"Define", "define blink", true, "the new command's lines"},
    {"Document", "doc blink", true, "documentation"},
    {"While", "while 0", true, "the loop's body"},
    {"If", "  IF 1", true, "the lines to run"},
    {"BarePython", "python", true, "'python <statement>' is taken"},
    {"BarePy", "py", true, "a script"},
    {"BareCompileCode", "compile code", true, "'compile code <code>' is taken"},
    {"TracepointActions", "actions", true, "tracepoint"},
    // gdb's alias "w" of "with", nested "with"s, and the other commands
    // that run a command of the line: what they run is judged.
    {"CommandsAfterW", "w print pretty -- commands", true, "command list"},
    {"CommandsAfterAbbreviatedWith", "wi print pretty -- comm 1", true, "command list"},
    {"CommandsAfterTwoWiths", "with print pretty -- w p el u -- commands", true, "command list"},
    {"DefineJoinedToTheDashes", "with language c --define x", true, "the new command's lines"},
    {"BarePythonAfterW", "w print pretty -- python", true, "a script"},
    {"CommandsThroughAPipe", "| commands | cat", true, "command list"},
    {"CommandsThroughAPipeWithADelimiter", "pipe -d XX commands XX cat", true, "command list"},
    {"CommandsInEveryFrame", "frame apply all commands", true, "command list"},
    {"CommandsInEveryThreadAbbreviated", "t ap 1 -q commands", true, "command list"},
    {"CommandsInEveryFrameOfFaas", "faas while 1", true, "the loop's body"},
    {"CompileAbbreviated", "compi", true, "the code up to 'end'"},
    // A command under a name of the user's, or built as gdb runs it.
    {"Alias", "alias cm = commands", true, "a command under a name of its own"},
    {"AliasOfAHarmlessCommand", "alias ppp = print", true, "type the command under its own name"},
    {"Eval", "eval \"comm%s\", \"ands\"", true, "builds the command it runs"},
    {"InterpreterExec", "interpreter-exec console commands", true, "builds the command it runs"},
    {"OneLineAfterW", "w print pretty -- print 1", false},
    {"WithWithoutACommand", "with print pretty", false},
    {"PipeOfAOneLineCommand", "| print 1 | cat", false},
    {"FrameApplyOfAOneLineCommand", "frame apply all print 1", false},
    {"PythonOneLine", "python print(6*7)", false},
    {"CompileCodeOneLine", "compile code x = 1", false},
    {"WhereIsNoWhile", "where", false},
    {"DefaultsIsNoDefine", "show default-collect", false},
    {"IfWithinAnExpression", "print gif", false},
};

class NestedInputTest : public ::testing::TestWithParam<NestedRow> {};

TEST_P(NestedInputTest, ALineThatWouldOpenGdbsOwnInputIsRefusedWithTheReason) {
  const NestedRow& row = GetParam();
  const std::string why = gdb::NestedInputRefusal(row.typed);
  EXPECT_EQ(!why.empty(), row.refused) << why;
  if (row.refused) {
    EXPECT_NE(why.find(row.reason), std::string::npos) << why;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, NestedInputTest, ::testing::ValuesIn(kNestedRows),
                         [](const ::testing::TestParamInfo<NestedRow>& info) { return info.param.name; });

// Under qemu: a bare "commands" typed on the command page is refused, the
// one-line python reaches gdb, and the session still steps (gdb was not
// left waiting for a command list).
TEST_F(GdbSessionTest, ATypedCommandListIsRefusedAndTheSessionStepsOn) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  for (const char* typed : {"commands", "define blink", "python"}) {
    test::HangGuard guard(std::string("typed '") + typed + "'");
    EXPECT_EQ(r->DbgExecCommand(typed, int32_t(std::strlen(typed))), 1) << typed;
  }
  EXPECT_TRUE(Said("*** error: 'commands' is not sent to gdb: gdb would then wait for further lines (a breakpoint's "
                   "command list up to 'end')"))
      << CommandTexts();
  const std::string python = "python print(6*7)";
  EXPECT_EQ(r->DbgExecCommand(python.c_str(), int32_t(python.size())), 0) << CommandTexts();
  EXPECT_TRUE(WaitFor([&] { return Said("42\n"); })) << CommandTexts();
  const uint32_t before = r->pc;
  ASSERT_NO_FATAL_FAILURE(StepOver());
  EXPECT_NE(r->pc, before) << CommandTexts();
  EXPECT_FALSE(Said("did not answer")) << CommandTexts();
}

}  // namespace
}  // namespace pm2
