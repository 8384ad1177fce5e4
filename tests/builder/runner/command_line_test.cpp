// Windows-style command-line splitting, the shell/batch test of user
// commands, and the command line formed per tool code.
#include <gtest/gtest.h>

#include "builder/runner/command_line_split.h"
#include "builder/runner/tool_runner.h"

namespace pm2 {
namespace {

TEST(CommandLineSplit, WindowsQuotingRules) {
  struct Row {
    const char* name;
    const char* line;
    std::vector<std::string> args;
  } rows[] = {
      {"blanks and tabs", "  a\tb   c ", {"a", "b", "c"}},
      {"quoted blank", "\"C:\\Program Files\\T.EXE\" x", {"C:\\Program Files\\T.EXE", "x"}},
      {"quote inside word", "a\"b c\"d", {"ab cd"}},
      {"escaped quote", "a\\\"b", {"a\"b"}},
      {"even backslashes before quote", "\"a\\\\\" b", {"a\\", "b"}},
      {"backslashes alone are literal", "C:\\K\\BIN\\ x", {"C:\\K\\BIN\\", "x"}},
      {"doubled quote inside quotes", "\"a\"\"b\"", {"a\"b"}},
      {"empty quoted argument", "a \"\" b", {"a", "", "b"}},
      {"line ends separate", "T C\r\n", {"T", "C"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SplitCommandLine(row.line), row.args);
  }
}

TEST(CommandLineSplit, QuotingRoundTrips) {
  const std::vector<std::string> args = {"plain", "with blank", "q\"uote", "tail\\", "x\\\"y", "", "a\\\\ b\\"};
  std::string line;
  for (const auto& a : args) line += QuoteCommandLineArg(a) + " ";
  EXPECT_EQ(SplitCommandLine(line), args);
}

TEST(CommandLineSplit, ArgumentOffsetsPointIntoTheRawLine) {
  const std::string line = "cmd /C echo \"a b\"  c";
  auto args = SplitCommandLineArgs(line);
  ASSERT_EQ(args.size(), 5u);
  EXPECT_EQ(line.substr(args[2].offset), "echo \"a b\"  c");
}

TEST(IsCommandShellOrBatch, Rows) {
  struct Row {
    const char* command;
    bool expected;
  } rows[] = {
      {"cmd /c dir", true},      {"CMD.EXE /C x", true}, {"Cmd", false},   {"cmdx", false},
      {"run.bat arg", true},     {"RUN.Bat", true},      {"tool.exe a.bat", false},
      {".\\sub\\make.BAT", true}, {"prog", false},        {"a.b.bat", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    EXPECT_EQ(IsCommandShellOrBatch(row.command), row.expected);
  }
}

TEST(FormToolCommandLine, PerToolCode) {
  struct Row {
    const char* name;
    ToolRunRequest request;
    std::string expected;
  };
  auto req = [](int code, const char* P, const char* R, uint32_t flags = 0, const char* alt = "") {
    ToolRunRequest r;
    r.toolCode = static_cast<uint16_t>(code);
    r.toolFolder = "C:\\K\\BIN\\";
    r.runThrough = P;
    r.commandFile = R;
    r.file = "M.C";
    r.controlString = "CTRL";
    r.flags = flags;
    r.altProgram = alt;
    return r;
  };
  const Row rows[] = {
      {"compiler through helper", req(2, "V.EXE", "M.__i"), "\"V.EXE\" \"C:\\K\\BIN\\Q51.EXE\" \"@M.__i\""},
      {"compiler direct", req(2, "", "M.__i"), "C:\\K\\BIN\\Q51.EXE @M.__i"},
      {"compiler without command file", req(3, "V.EXE", ""), "\"V.EXE\" \"C:\\K\\BIN\\Q166.EXE\" M.C CTRL\n"},
      {"alternative compiler", req(29, "", "M.__i", 0, "ZZQ.EXE"), "C:\\K\\BIN\\ZZQ.EXE @M.__i"},
      {"plm writes its listing", req(4, "", ""), "C:\\K\\BIN\\JQ51.EXE M.C CTRL PR(CAP)\n"},
      {"linker", req(6, "", "T.lnp"), "C:\\K\\BIN\\NB51.EXE @T.lnp"},
      {"linker needs its command file", req(6, "", ""), ""},
      {"hex without command file", req(18, "", ""), "\"C:\\K\\BIN\\HZ51.EXE\" M.C CTRL\n"},
      {"gnu compiler", req(31, "", "m.__i"), "arm-uclibc-gcc @m.__i"},
      {"gnu objcopy", req(34, "", ""), "arm-uclibc-objcopy CTRL\r\n"},
      {"ads compiler", req(36, "", "m.__i"), "C:\\K\\BIN\\ArmCC -Via m.__i"},
      {"fromelf", req(39, "", ""), "C:\\K\\BIN\\fromelf.exe CTRL"},
      {"fromelf refuses a helper", req(39, "V.EXE", ""), ""},
      {"ads librarian starts nothing", req(40, "", "x"), ""},
      {"custom translator", req(0, "V.EXE", ""), "\"V.EXE\" CTRL"},
      {"lint", req(44, "", "opt.lnt"), "\"C:\\K\\BIN\\\" \"opt.lnt\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FormToolCommandLine(row.request, "CAP"), row.expected);
  }
}

// Folders named with blanks (and letters beyond ASCII): the program and the
// command file are quoted, so each stays one word of the command line.
TEST(FormToolCommandLine, PathsWithBlanksAreQuoted) {
  struct Row {
    const char* name;
    int code;
    std::string expected;
  } rows[] = {
      {"compiler", 2, "\"/opt/my tools é/BIN/Q51.EXE\" \"@/p q/M.__i\""},
      {"linker", 6, "\"/opt/my tools é/BIN/NB51.EXE\" \"@/p q/M.__i\""},
      {"gnu compiler", 31, "arm-uclibc-gcc \"@/p q/M.__i\""},
      {"ads compiler", 36, "\"/opt/my tools é/BIN/ArmCC\" -Via \"/p q/M.__i\""},
      {"plm", 4, "\"/opt/my tools é/BIN/JQ51.EXE\" M.C CTRL PR(CAP)\n"},
  };
  for (const Row& row : rows) {
    ToolRunRequest r;
    r.toolCode = uint16_t(row.code);
    r.toolFolder = "/opt/my tools é/BIN/";
    r.commandFile = row.code == 4 ? "" : "/p q/M.__i";
    r.file = "M.C";
    r.controlString = "CTRL";
    EXPECT_EQ(FormToolCommandLine(r, "CAP"), row.expected) << row.name;
    // The words the runner starts the tool with.
    std::vector<std::string> words = SplitCommandLine(FormToolCommandLine(r, "CAP"));
    ASSERT_FALSE(words.empty()) << row.name;
    if (row.code != 31) {
      EXPECT_EQ(words[0].rfind("/opt/my tools é/BIN/", 0), 0u) << row.name;
    }
  }
}

// A command file named after a source with a quote in its name ("q'uote\".c")
// is one word of the command line, the quote its own.
TEST(FormToolCommandLine, CommandFileNamesKeepTheirQuotes) {
  for (int code : {31, 6, 36}) {
    SCOPED_TRACE(code);
    ToolRunRequest r;
    r.toolCode = uint16_t(code);
    r.toolFolder = "/opt/tools/BIN/";
    r.commandFile = "/p/Obj/q'uote\".__i";
    r.file = "q'uote\".c";
    for (const char* through : {"", "/p/run"}) {
      r.runThrough = through;
      const std::vector<std::string> words = SplitCommandLine(FormToolCommandLine(r, "CAP"));
      ASSERT_FALSE(words.empty());
      EXPECT_TRUE(words.back() == "@/p/Obj/q'uote\".__i" || words.back() == "/p/Obj/q'uote\".__i")
          << FormToolCommandLine(r, "CAP");
    }
  }
}

TEST(FormToolCommandLine, UserCommandDropsHelperForShellAndBatch) {
  struct Row {
    const char* control;
    const char* helper;
    std::string expected;
  } rows[] = {
      {"tool.exe a", "V.EXE", "\"V.EXE\" tool.exe a"},
      {"cmd /c dir", "V.EXE", "cmd /c dir"},
      {"go.bat 1", "V.EXE", "go.bat 1"},
      {"\"my tool.exe\"", "", "my tool.exe"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.control);
    ToolRunRequest r;
    r.toolCode = 43;
    r.controlString = row.control;
    r.runThrough = row.helper;
    EXPECT_EQ(FormToolCommandLine(r, ""), row.expected);
  }
}

}  // namespace
}  // namespace pm2
