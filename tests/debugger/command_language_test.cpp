// The IDE's command language as the GDB driver translates it: one named row
// a line, with what the driver does for it in gdb's terms.
#include "debugger/gdb/commands/command_language.h"

#include <gtest/gtest.h>

namespace pm2::gdb {
namespace {

std::string Describe(const CommandTranslation& t) {
  static const char* const kNames[] = {"refuse", "typed", "go",   "until", "setpc", "assign", "bs",
                                       "bk",     "be",    "bd",   "bl",    "include", "u"};
  std::string out = kNames[int(t.action)];
  switch (t.action) {
    case CommandAction::Refuse: return out + ": " + t.error;
    case CommandAction::Typed: return out + " " + t.expression;
    case CommandAction::RunUntil: return out + " " + t.location;
    case CommandAction::SetPc:
    case CommandAction::Assign:
    case CommandAction::ShowCode: return out + " " + t.expression;
    case CommandAction::SetBreakpoint:
      return out + " " + t.location + " count " + std::to_string(t.count) + (t.command.empty() ? "" : " [" + t.command + "]");
    case CommandAction::KillBreakpoints:
    case CommandAction::EnableBreakpoints:
    case CommandAction::DisableBreakpoints:
      if (t.all) return out + " *";
      for (int n : t.numbers) out += " " + std::to_string(n);
      return out;
    case CommandAction::Include: return out + " " + t.file;
    default: return out;
  }
}

struct Row {
  const char* name;
  std::string line;
  CommandOrigin origin;
  std::string expected;
};

class Translation : public ::testing::TestWithParam<Row> {};

TEST_P(Translation, IsAsTheTableSays) {
  EXPECT_EQ(Describe(TranslateCommand(GetParam().line, GetParam().origin)), GetParam().expected);
}

constexpr CommandOrigin kTyped = CommandOrigin::Typed;
constexpr CommandOrigin kIde = CommandOrigin::Ide;

INSTANTIATE_TEST_SUITE_P(
    Rows, Translation,
    ::testing::Values(
        // Run and run until.
        Row{"GoAlone", "g", kIde, "go"},
        Row{"GoUpperCaseWithLineEnd", "G\n", kIde, "go"},
        Row{"RunUntilFunction", "g,main\n", kIde, "until main"},
        Row{"RunUntilFunctionWithBlanks", "G , Timer_Init", kIde, "until Timer_Init"},
        Row{"RunUntilAddress", "g,0x230", kIde, "until *0x230"},
        Row{"RunUntilExpression", "g,main+8", kIde, "until *(main+8)"},
        Row{"RunUntilRegister", "g,LR", kIde, "until *$lr"},
        Row{"GoWithoutComma", "g main", kIde, "refuse: G: ',' and a stop address expected, not 'main'"},
        // The program counter and registers as the register page names them.
        Row{"SetPcAsTheIdeWritesIt", "$=0x1D8\n", kIde, "setpc 0x1D8"},
        Row{"SetPcToAFunction", "$ = Timer_Init", kIde, "setpc Timer_Init"},
        Row{"RegisterAssignment", "R1 = 0x5\n", kIde, "assign $r1 = 0x5"},
        Row{"RegisterAssignmentFromRegisters", "R0 = SP + R13 - LR", kIde, "assign $r0 = $sp + $sp - $lr"},
        Row{"HighRegistersAreGdbsNames", "R15 = R14", kIde, "assign $pc = $lr"},
        Row{"StatusRegister", "CPSR = 0xD3", kIde, "assign $cpsr = 0xD3"},
        Row{"LowerCaseRegister", "r0 = 1", kTyped, "assign $r0 = 1"},
        Row{"MixedCaseRegisters", "Sp = pc + r13", kIde, "assign $sp = $pc + $sp"},
        Row{"RunUntilLowerCaseRegister", "g,lr", kIde, "until *$lr"},
        Row{"VariableAssignment", "count = count + 1", kIde, "assign count = count + 1"},
        Row{"MemberNamedLikeARegisterStays", "s.PC = p->SP", kIde, "assign s.PC = p->SP"},
        Row{"QuotedRegisterNameStays", "c = 'R'", kIde, "assign c = 'R'"},
        Row{"CastOnTheLeft", "*(unsigned char *)0x40000000 = 1", kIde, "assign *(unsigned char *)0x40000000 = 1"},
        Row{"ComparisonIsNoAssignment", "x == 1", kIde, "refuse: 'x == 1' is not a command the GDB driver knows"},
        Row{"GdbsSetIsTyped", "set var x = 1", kTyped, "typed set var x = 1"},
        Row{"GdbsPrintIsTyped", "print x = 1", kTyped, "typed print x = 1"},
        // Breakpoints.
        Row{"BreakAtFunction", "BS main\n", kIde, "bs main count 1"},
        // gdb's own file:line, the file's name also in quotes.
        Row{"BreakAtSourceLine", "BS LED.c:13", kIde, "bs LED.c:13 count 1"},
        Row{"BreakAtQuotedSourceLine", "BS \"LED.c\":13, 2", kIde, "bs LED.c:13 count 2"},
        Row{"BreakAtSingleQuotedSourceLine", "BS 'src/Timer.c':7", kIde, "bs src/Timer.c:7 count 1"},
        Row{"RunUntilSourceLine", "g,Blinky.c:47", kIde, "until Blinky.c:47"},
        Row{"ConditionalChoiceIsNoSourceLine", "BS a ? b:1", kIde, "bs *(a ? b:1) count 1"},
        Row{"LineZeroIsNoSourceLine", "g,LED.c:0", kIde, "until *(LED.c:0)"},
        Row{"BreakLowerCase", "bs Timer_Init", kTyped, "bs Timer_Init count 1"},
        Row{"BreakAtAddress", "BS 0x230", kIde, "bs *0x230 count 1"},
        Row{"BreakWithCountAndCommand", "BS main, 3, \"count = 0\"", kIde, "bs main count 3 [count = 0]"},
        Row{"BreakCommandWithComma", "BS main, 1, \"printf(\\\"a,b\\\")\"", kTyped,
            "bs main count 1 [printf(\"a,b\")]"},
        Row{"BreakCountZero", "BS main, 0", kIde, "refuse: BS: the count must be a number from 1, not '0'"},
        Row{"BreakCommandUnquoted", "BS main, 1, g", kIde, "refuse: BS: the command must be a quoted text, not 'g'"},
        Row{"BreakWithoutAddress", "BS", kIde, "refuse: BS: an expression expected"},
        Row{"KillOne", "BK 2", kIde, "bk 2"},
        Row{"KillSeveral", "bk 1, 3", kTyped, "bk 1 3"},
        Row{"KillAll", "BK *", kIde, "bk *"},
        Row{"KillNotANumber", "BK main", kIde, "refuse: BK: a breakpoint number or * expected, not 'main'"},
        Row{"Disable", "BD 1", kTyped, "bd 1"},
        Row{"Enable", "BE *", kTyped, "be *"},
        Row{"List", "BL\r\n", kTyped, "bl"},
        // Include files, quoted with doubled backslashes or plain.
        Row{"IncludeQuoted", "Include \"C:\\\\a\\\\b.ini\"\n", kIde, "include C:\\a\\b.ini"},
        Row{"IncludePlain", "Include /tmp/x.ini\n", kIde, "include /tmp/x.ini"},
        Row{"IncludeUnclosed", "Include \"x.ini", kIde, "refuse: Include: the file name's quotes are not closed"},
        // What the GDB driver has no counterpart for, and gdb's own commands.
        Row{"MapIsRefused", "Map 0x0,0xFFFF Clear\n", kTyped, "refuse: the GDB driver has no MAP command"},
        Row{"PerformanceAnalyserIsRefused", "PA main\n", kIde, "refuse: the GDB driver has no PA command"},
        Row{"GdbCommandTyped", "info registers", kTyped, "typed info registers"},
        Row{"GdbCommandFromTheIdeIsRefused", "info registers", kIde,
            "refuse: 'info registers' is not a command the GDB driver knows"},
        Row{"ShellFromTheIdeIsRefused", "shell touch /tmp/x", kIde,
            "refuse: 'shell touch /tmp/x' is not a command the GDB driver knows"},
        Row{"WordThatMerelyStartsLikeG", "gdbinfo", kTyped, "typed gdbinfo"},
        // Hostile texts: a second line never becomes a command of its own.
        Row{"LineEndInBreak", "BS main\nshell touch /tmp/x\n", kIde, "refuse: the command holds a line end"},
        Row{"CarriageReturnInBreak", "BS main\rshell touch /tmp/x", kTyped, "refuse: the command holds a line end"},
        Row{"NulInBreak", std::string("BS main\0shell touch /tmp/x", 26), kIde,
            "refuse: the command holds a NUL character"},
        Row{"LineEndInTypedLine", "print 1\nshell touch /tmp/x", kTyped, "refuse: the command holds a line end"},
        Row{"GdbFunctionInAnExpression", "g,$_shell(\"touch /tmp/x\")", kIde,
            "refuse: G: gdb's own function '$_shell' is not allowed in an expression"},
        Row{"GdbFunctionInAnAssignment", "R0 = $_shell (\"id\")", kIde,
            "refuse: assignment: gdb's own function '$_shell' is not allowed in an expression"},
        Row{"QuoteInBreakStaysData", "BS main\" -c 1", kIde, "refuse: BS: the expression's quotes are not closed"},
        Row{"OptionLookingLocationStaysData", "BS -t", kIde, "bs *(-t) count 1"},
        // A lone literal has an address only in target memory: no location.
        Row{"BreakAtALoneLiteral", "BS \"main\"", kTyped,
            "refuse: BS: the literal '\"main\"' is not allowed: gdb would write it into target memory"},
        Row{"RunUntilALoneLiteral", "G, \"main\"", kIde,
            "refuse: G: the literal '\"main\"' is not allowed: gdb would write it into target memory"},
        // The disassembly window's Show Code at Address: the address is only read.
        Row{"ShowCodeAtAFunction", "U main\n", kIde, "u main"},
        Row{"ShowCodeAtARegister", "u PC + 4", kTyped, "u $pc + 4"},
        // A variable named like a command word: the line is the command,
        // and the refusal says how to write the assignment.
        Row{"ShowCodeAtAnAssignment", "U = 5\n", kIde,
            "refuse: U = 5: U is the command that shows the code at an address; to set the variable U, write (U) = 5"},
        Row{"AssignmentToAVariableNamedU", "u += 2", kTyped,
            "refuse: u += 2: u is the command that shows the code at an address; to set the variable u, write (u) += 2"},
        Row{"AssignmentToAVariableNamedG", "G = 1", kTyped,
            "refuse: G = 1: G is the command that runs the program; to set the variable G, write (G) = 1"},
        Row{"AssignmentToABracketedU", "(U) = 5", kTyped, "assign (U) = 5"},
        Row{"ShowCodeAtAComparison", "U == 5", kTyped, "u == 5"},
        Row{"ShowCodeAtACall", "U LED_On(3)", kTyped, "refuse: U: the function call 'LED_On(' is not allowed"}),
    [](const auto& info) { return std::string(info.param.name); });

struct CommandRow {
  const char* name;
  const char* command;
  CommandOrigin origin;
  std::string expected;  // gdb's command, or "!" and the reason
};

class BreakpointCommands : public ::testing::TestWithParam<CommandRow> {};

TEST_P(BreakpointCommands, BecomeGdbsOrAreRefused) {
  std::string out, err;
  const bool ok = BreakpointCommand(GetParam().command, GetParam().origin, &out, &err);
  EXPECT_EQ(ok ? out : "!" + err, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BreakpointCommands,
    ::testing::Values(CommandRow{"Assignment", "count = 0", kIde, "print count = 0"},
                      CommandRow{"RegisterAssignment", "R0 = 1", kIde, "print $r0 = 1"},
                      CommandRow{"Continue", "g", kIde, "continue"},
                      CommandRow{"TypedGdbCommand", "print n", kTyped, "print n"},
                      CommandRow{"GdbCommandFromAClient", "shell touch /tmp/x", kIde,
                                 "!'shell touch /tmp/x' is not a command the GDB driver knows"},
                      CommandRow{"NestedBreakpoint", "BS main", kTyped, "!'BS main' can't run at a breakpoint"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ValueRow {
  const char* name;
  const char* text;
  bool ok;
  uint64_t value;
};

class ValueNumbers : public ::testing::TestWithParam<ValueRow> {};

TEST_P(ValueNumbers, AreReadFromGdbsValueTexts) {
  uint64_t v = 0;
  EXPECT_EQ(ValueNumber(GetParam().text, &v), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(v, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ValueNumbers,
                         ::testing::Values(ValueRow{"PointerWithSymbol", "0x220 <main>", true, 0x220},
                                           ValueRow{"Function", "{int (void)} 0x220 <main>", true, 0x220},
                                           ValueRow{"StackPointer", "(void *) 0x40007f48", true, 0x40007f48},
                                           ValueRow{"ProgramCounter", "(void (*)()) 0x230 <main+16>", true, 0x230},
                                           ValueRow{"UnclosedType", "(void * 0x10", false, 0},
                                           ValueRow{"Character", "42 '*'", true, 42},
                                           ValueRow{"Negative", "-1", true, ~uint64_t(0)},
                                           ValueRow{"Decimal", "544", true, 544},
                                           ValueRow{"Structure", "{a = 1, b = 2}", false, 0},
                                           ValueRow{"Empty", "", false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Seeded random lines built from the language's own pieces and hostile
// bytes: whatever the translation, no text it hands on for gdb holds a line
// end or a NUL, and none calls one of gdb's own functions.
TEST(TranslationStress, NothingItHandsOnEndsALine) {
  static const char* const kPieces[] = {"BS ", "g,", "$=", "R1", " = ", "PC", "main", "\"", "\\", ",", " 2",
                                        "\n", "\r", "" /* a NUL */, "$_shell(", ")", "(", "BK ", "*",
                                        "Include ", "shell touch x", "-t ", "'", "BL", "Map "};
  uint32_t seed = 20261207u;
  auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const int pieces = 1 + int(next() % 6);
    for (int i = 0; i < pieces; ++i) {
      const uint32_t pick = next() % (std::size(kPieces) + 1);
      if (pick == std::size(kPieces)) {
        line.push_back(char(next() & 0xFF));
      } else if (kPieces[pick][0] == '\0') {
        line.push_back('\0');
      } else {
        line += kPieces[pick];
      }
    }
    for (CommandOrigin origin : {kTyped, kIde}) {
      const CommandTranslation t = TranslateCommand(line, origin);
      if (t.action == CommandAction::Refuse) continue;
      for (const std::string* text : {&t.location, &t.expression, &t.command, &t.file}) {
        EXPECT_EQ(text->find_first_of(std::string("\n\r\0", 3)), std::string::npos) << "line: " << line;
        if (t.action != CommandAction::Typed && text != &t.command && text != &t.file) {
          EXPECT_EQ(text->find("$_shell("), std::string::npos) << "line: " << line;
        }
      }
      if (origin == kIde) {
        EXPECT_NE(t.action, CommandAction::Typed) << "line: " << line;
      }
    }
  }
}

}  // namespace
}  // namespace pm2::gdb
