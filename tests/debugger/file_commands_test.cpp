// What a line read from a file (the project's initialisation file, the
// function editor's file, a breakpoint's command kept in the options
// file) may give gdb: one named row a spelling, read as gdb reads it
// (abbreviations, aliases, one-character commands, a command after
// "with ... --"), with what the driver does with it.
#include "debugger/gdb/commands/file_commands.h"

#include <gtest/gtest.h>

#include "debugger/gdb/commands/command_language.h"

namespace pm2::gdb {
namespace {

struct FileRow {
  const char* name;
  const char* line;
  bool sent;                 // reaches gdb as a command of its own
  const char* reason = "";   // a part of the refusal's text
};

constexpr const char* kRule = "' is not sent to gdb: a line read from a file may only";

const FileRow kFileRows[] = {
    // This computer's shell and programs, in every spelling gdb takes.
    {"Shell", "shell touch /tmp/x", false, "'shell' is not sent"},
    {"ShellInCapitals", "SHELL touch /tmp/x", false, "'shell' is not sent"},
    {"ShellAfterBlanks", " \t shell touch /tmp/x", false, "'shell' is not sent"},
    {"ShellAbbreviated", "she touch /tmp/x", false, "'she' is not sent"},
    {"Bang", "!touch /tmp/x", false, "'!' is not sent"},
    {"BangAfterABlank", " ! touch /tmp/x", false, "'!' is not sent"},
    {"Pipe", "pipe print 1 | touch /tmp/x", false, "'pipe' is not sent"},
    {"PipeAbbreviated", "pip print 1 | sh", false, "'pip' is not sent"},
    {"PipeAsBar", "| print 1 | touch /tmp/x", false, "'|' is not sent"},
    {"Make", "make -C /tmp", false, "'make' is not sent"},
    {"Python", "python import os; os.system('touch /tmp/x')", false, "'python' is not sent"},
    {"Py", "py print(1)", false, "'py' is not sent"},
    {"Pi", "pi 1", false, "'pi' is not sent"},
    {"PythonInteractive", "python-interactive 1", false, "'python-interactive' is not sent"},
    {"Guile", "guile (system \"touch /tmp/x\")", false, "'guile' is not sent"},
    {"Gu", "gu 1", false, "'gu' is not sent"},
    {"Source", "source /tmp/x.gdb", false, "'source' is not sent"},
    {"SourceAbbreviated", "so /tmp/x.gdb", false, "'so' is not sent"},
    {"CompileCode", "compile code system(\"touch /tmp/x\");", false, "'compile' is not sent"},
    {"CompileAbbreviated", "compi code x = 1", false, "'compi' is not sent"},
    {"Expression", "expression code x = 1", false, "'expression' is not sent"},
    // Files of this computer written or read.
    {"DumpMemory", "dump memory /tmp/x 0 4", false, "'dump' is not sent"},
    {"AppendMemory", "append memory /tmp/x 0 4", false, "'append' is not sent"},
    {"Restore", "restore /tmp/x binary 0", false, "'restore' is not sent"},
    {"SetLogging", "set logging file /tmp/x", false, "'set logging' is not sent"},
    {"SetLoggingOn", "set logging enabled on", false, "'set logging' is not sent"},
    {"SetHistoryFile", "set history filename /tmp/x", false, "'set history' is not sent"},
    {"SetAnExpression", "set $pc = 0", false, "is not sent"},
    {"Cd", "cd /tmp", false, "'cd' is not sent"},
    {"File", "file /bin/ls", false, "'file' is not sent"},
    {"ExecFile", "exec-file /bin/ls", false, "'exec-file' is not sent"},
    {"Core", "core /tmp/core", false, "'core' is not sent"},
    {"Monitor", "monitor system_powerdown", false, "'monitor' is not sent"},
    // Commands made, renamed, built or run by another command.
    {"Define", "define x", false, "'define' is not sent"},
    {"Document", "document x", false, "'document' is not sent"},
    {"Alias", "alias cm = commands", false, "'alias' is not sent"},
    {"AUserAlias", "cm", false, "'cm' is not sent"},
    {"Eval", "eval \"shell touch %s\", \"/tmp/x\"", false, "'eval' is not sent"},
    {"InterpreterExec", "interpreter-exec console \"shell touch /tmp/x\"", false, "'interpreter-exec' is not sent"},
    {"With", "with print pretty -- shell touch /tmp/x", false, "'with' is not sent"},
    {"WithAsW", "w print pretty -- print 1", false, "'w' is not sent"},
    {"FrameApply", "frame apply all shell touch /tmp/x", false, "'frame apply' is not sent"},
    {"FrameApplyAbbreviated", "f ap all p 1", false, "'f ap' is not sent"},
    {"ThreadApply", "thread apply all p 1", false, "'thread' is not sent"},
    {"Faas", "faas p 1", false, "'faas' is not sent"},
    // Further lines of gdb's own input.
    {"Commands", "commands 1", false, "'commands' is not sent"},
    {"If", "if 1", false, "'if' is not sent"},
    {"While", "while 1", false, "'while' is not sent"},
    // A command word joined to what follows it.
    {"WordJoinedToABang", "x!touch /tmp/x", false, "is not sent"},
    // gdb's own functions.
    {"OwnFunction", "print $_shell(\"touch /tmp/x\")", false, "'$_shell(...)' is not sent"},
    {"OwnFunctionAfterBlanks", "output $_shell  (\"touch /tmp/x\")", false, "'$_shell(...)'"},
    // gdb's own functions through a value that holds one: what gdb would
    // call, not how it is spelled.
    {"OwnFunctionGivenAVariable", "set var $f = $_strlen", false, "'$_strlen' is not sent"},
    {"OwnFunctionNamedAlone", "output $_shell", false, "'$_shell' is not sent"},
    {"CallThroughAVariable", "print $f(\"abcd\")", false, "'$f(...)' is not sent"},
    {"CallThroughAVariableAfterBlanks", "print $f \t (\"abcd\")", false, "'$f(...)' is not sent"},
    {"CallThroughAHistoryValue", "print $1(\"abcd\")", false, "'$1(...)' is not sent"},
    {"CallThroughTheLastValue", "print $(\"abcd\")", false, "'$(...)' is not sent"},
    {"CallThroughAnEarlierValue", "print $$2(\"abcd\")", false, "'$$2(...)' is not sent"},
    {"CallInABreakpointCondition", "break main if $f(\"x\") == 4", false, "'$f(...)' is not sent"},
    // What reads, sets or runs the target.
    {"Print", "print count", true},
    {"PrintWithFormat", "p/x $pc", true},
    {"PrintAQuotedFunctionName", "print \"$_shell(x)\"", true},
    {"Examine", "x/4x 0x40000000", true},
    {"InfoRegisters", "info registers", true},
    {"InfoAbbreviated", "i r", true},
    {"Break", "break LED.c:13", true},
    {"BreakAbbreviated", "b main", true},
    {"TemporaryBreak", "tbreak Timer_Init", true},
    {"Watch", "watch pattern_step", true},
    {"Delete", "delete 2", true},
    {"Condition", "condition 1 n > 2", true},
    {"Continue", "continue", true},
    {"ContinueAsC", "c", true},
    {"Next", "next", true},
    {"StepInstruction", "si", true},
    {"Finish", "finish", true},
    {"SetVariable", "set var pattern_step = 0", true},
    {"SetVariableAbbreviated", "set variable n = 1", true},
    {"SetPrint", "set print pretty on", true},
    {"Display", "display/i $pc", true},
    {"Backtrace", "bt", true},
    {"Frame", "frame 1", true},
    {"Echo", "echo done\\n", true},
    // gdb's value variables and the user's own are read as values.
    {"ExitCode", "print $_exitcode", true},
    {"SignalInfo", "print $_siginfo", true},
    {"LastExamined", "x/4x $_", true},
    {"AVariableRead", "print $f + 1", true},
    {"AVariableGivenANumber", "set var $f = 3", true},
    {"AFunctionOfTheTargetCalled", "print LED_Count(1)", true},
};

class FileCommandTest : public ::testing::TestWithParam<FileRow> {};

TEST_P(FileCommandTest, ReachesGdbOnlyWhenItTouchesNothingButTheTarget) {
  const FileRow& row = GetParam();
  const std::string why = FileCommandRefusal(row.line);
  EXPECT_EQ(why.empty(), row.sent) << why;
  if (!row.sent) {
    EXPECT_NE(why.find(row.reason), std::string::npos) << why;
  }
  // The same line through the command language: read from a file, it is
  // refused with the same words or handed to gdb as it is.
  const CommandTranslation t = TranslateCommand(row.line, CommandOrigin::File);
  EXPECT_EQ(t.action, row.sent ? CommandAction::Typed : CommandAction::Refuse) << t.error;
  if (!row.sent) {
    EXPECT_EQ(t.error, why);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, FileCommandTest, ::testing::ValuesIn(kFileRows),
                         [](const ::testing::TestParamInfo<FileRow>& info) { return info.param.name; });

// The refusal says what a file may give gdb.
TEST(FileCommandRule, TheRefusalSaysWhatAFileMayGive) {
  EXPECT_NE(FileCommandRefusal("shell ls").find(kRule), std::string::npos) << FileCommandRefusal("shell ls");
}

struct OwnFunctionRow {
  const char* name;
  const char* line;
  CommandAction typed;  // what the same line typed by the user becomes (the
                        // language's own rules may refuse a call there too)
};

class OwnFunctionThroughTheLanguageTest : public ::testing::TestWithParam<OwnFunctionRow> {};

// Whatever the command language makes of a file's line (an assignment,
// the program counter's "$="), gdb evaluates its expressions: one that
// reaches a function of gdb's is refused from a file, and typed by the
// user it is the user's own.
TEST_P(OwnFunctionThroughTheLanguageTest, IsRefusedFromAFile) {
  const OwnFunctionRow& row = GetParam();
  const CommandTranslation fromFile = TranslateCommand(row.line, CommandOrigin::File);
  EXPECT_EQ(fromFile.action, CommandAction::Refuse) << fromFile.expression;
  EXPECT_EQ(fromFile.error, OwnFunctionFault(row.line));
  EXPECT_NE(fromFile.error.find("' is not sent to gdb: a line read from a file may not"), std::string::npos)
      << fromFile.error;
  EXPECT_EQ(TranslateCommand(row.line, CommandOrigin::Typed).action, row.typed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OwnFunctionThroughTheLanguageTest,
    ::testing::Values(OwnFunctionRow{"AssignedToAVariable", "$f = $_strlen", CommandAction::Assign},
                      OwnFunctionRow{"CalledInAnAssignment", "pattern_step = $_shell(\"touch /tmp/x\")",
                                     CommandAction::Refuse},
                      OwnFunctionRow{"CalledThroughAVariable", "pattern_step = $f(\"abcd\")", CommandAction::Assign},
                      OwnFunctionRow{"ProgramCounterFromAFunction", "$= $_strlen(\"abcd\")", CommandAction::Refuse}),
    [](const auto& info) { return std::string(info.param.name); });

struct BreakpointCommandRow {
  const char* name;
  const char* command;
  CommandOrigin origin;
  bool kept;
};

class StoredBreakpointCommandTest : public ::testing::TestWithParam<BreakpointCommandRow> {};

// A breakpoint's command is kept in the options file and runs in the next
// session: whoever defined it, it is held to a file's rule.
TEST_P(StoredBreakpointCommandTest, IsHeldToAFilesRule) {
  std::string out, err;
  EXPECT_EQ(BreakpointCommand(GetParam().command, GetParam().origin, &out, &err), GetParam().kept) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StoredBreakpointCommandTest,
    ::testing::Values(BreakpointCommandRow{"StoredShell", "shell touch /tmp/x", CommandOrigin::File, false},
                      BreakpointCommandRow{"TypedShell", "shell touch /tmp/x", CommandOrigin::Typed, false},
                      BreakpointCommandRow{"TypedBang", "!touch /tmp/x", CommandOrigin::Typed, false},
                      BreakpointCommandRow{"StoredPython", "python print(1)", CommandOrigin::File, false},
                      BreakpointCommandRow{"StoredWith", "w p -- shell ls", CommandOrigin::File, false},
                      BreakpointCommandRow{"StoredPrint", "print pattern_step", CommandOrigin::File, true},
                      BreakpointCommandRow{"StoredAssignment", "pattern_step = 0", CommandOrigin::File, true},
                      BreakpointCommandRow{"StoredAssignmentOfAFunction", "$f = $_strlen", CommandOrigin::File, false},
                      BreakpointCommandRow{"StoredCallThroughAVariable", "print $f(\"x\")", CommandOrigin::File,
                                           false},
                      BreakpointCommandRow{"StoredContinue", "g", CommandOrigin::File, true},
                      BreakpointCommandRow{"TypedPrint", "print n", CommandOrigin::Typed, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2::gdb
