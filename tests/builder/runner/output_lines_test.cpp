// The output pane's line rules, the jump and help parses, the find rules
// and the HTML build log.
#include <gtest/gtest.h>

#include "builder/build_test_support.h"
#include "builder/runner/build_log.h"
#include "builder/runner/output_lines.h"
#include "project/recording_shell.h"

namespace pm2 {
namespace {

TEST(OutputPane, AppendRules) {
  test::ScratchFolder dir;
  BuildLog log;
  log.SetBuildLogFile(1, dir / "T.plg", nullptr);
  RecordingOutputSink sink;
  OutputPane pane(PaneKind::kBuild, sink, &log);
  pane.AppendOutputLine("\xFF");
  EXPECT_FALSE(sink.redraw);
  pane.AppendOutputLine("first\r\n");
  pane.AppendOutputLine("\n");
  pane.AppendOutputLine("a.c(3): error: x\n");
  pane.AppendOutputLine(std::string(1500, 'w').c_str());
  pane.AppendOutputLine("\xFE");
  EXPECT_TRUE(sink.redraw);
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"first", "a.c(3): error: x", std::string(1024, 'w')}));
  EXPECT_EQ(sink.longest, 1024u);
  log.CloseWithoutTrailer();
  // The empty line is logged although it is not shown; redraw texts are not.
  EXPECT_EQ(test::ReadFile(dir / "T.plg"), "first\r\n\r\na.c(3): error: x\r\n" + std::string(1024, 'w') + "\r\n");
  pane.AppendOutputLine(nullptr);
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(sink.clears, 1);
}

TEST(OutputPane, FindInFilesPaneWritesNoLog) {
  test::ScratchFolder dir;
  BuildLog log;
  log.SetBuildLogFile(1, dir / "F.plg", nullptr);
  RecordingOutputSink sink;
  OutputPane pane(PaneKind::kFindInFiles, sink, &log);
  pane.AppendOutputLine("found\n");
  log.CloseWithoutTrailer();
  EXPECT_EQ(sink.lines.size(), 1u);
  EXPECT_EQ(test::ReadFile(dir / "F.plg"), "");
}

TEST(ParseMessageSource, Rows) {
  struct Row {
    const char* line;
    bool ok;
    const char* file;
    int lineNo, column;
  } rows[] = {
      {"MAIN.C(12): error C141: syntax error", true, "MAIN.C", 12, 0},
      {"MAIN.C(12,5): warning: x", true, "MAIN.C", 12, 5},
      {"C:\\S\\A B.C(7): x", true, "C:\\S\\A B.C", 7, 0},
      {"MAIN.C(0): x", false, "", 0, 0},
      {"MAIN.C(1x)", false, "", 0, 0},
      {"MAIN.C(3", false, "", 0, 0},
      {"no parenthesis", false, "", 0, 0},
      {"", false, "", 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    SourceLocation loc;
    ASSERT_EQ(ParseMessageSource(row.line, loc), row.ok);
    if (!row.ok) continue;
    EXPECT_EQ(loc.file, row.file);
    EXPECT_EQ(loc.line, row.lineNo);
    EXPECT_EQ(loc.column, row.column);
  }
  SourceLocation loc;
  EXPECT_FALSE(ParseMessageSource("A.C(1)" + std::string(2100, ' '), loc));
}

TEST(MessageHelpTopic, Rows) {
  struct Row {
    const char* line;
    const char* topic;
  } rows[] = {
      {"*** ERROR L104: MULTIPLE PUBLIC DEFINITIONS", "L104"},
      {"*** WARNING L16: UNCALLED SEGMENT", "L16"},
      {"*** FATAL ERROR  L210: I/O ERROR", "L210"},
      {"X.C(3): warning C206: missing prototype", "C206"},
      {"X.W51(3): error A45: UNDEFINED", "A45"},
      {"X.C(3): error 12: plain", " 12"},
      {"X.C(3): warning: no code", ""},
      {"compiling X.C...", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(MessageHelpTopic(row.line), row.topic);
  }
}

class RecordingJump : public MessageJumpTarget {
 public:
  std::vector<std::string> calls;
  void OpenFileAndShow(const std::string& file, int line, int column) override {
    calls.push_back("open " + file + " " + std::to_string(line) + " " + std::to_string(column));
  }
  void ShowToolHelp(int code, const std::string& topic) override {
    calls.push_back("help " + std::to_string(code) + " " + topic);
  }
};

TEST(JumpToMessageSource, OpensSourceOrHelpAndBeepsOtherwise) {
  RecordingShell shell;
  RecordingJump jump;
  const std::vector<std::string> lines = {"A.C(4,2): error: x", "*** ERROR L104: M", "compiling..."};
  JumpToMessageSource(lines, 0, 0, shell, jump);
  JumpToMessageSource(lines, 1, 1, shell, jump);
  JumpToMessageSource(lines, 2, 0, shell, jump);
  JumpToMessageSource(lines, 9, 0, shell, jump);
  EXPECT_EQ(jump.calls, (std::vector<std::string>{"open A.C 4 2", "help 100 L104"}));
  EXPECT_EQ(shell.beeps, 2);
}

TEST(FindOutputLine, DirectionCaseWordAndWrap) {
  const std::vector<std::string> lines = {"alpha beta", "GAMMA", "betamax", "delta beta_x", "beta"};
  struct Row {
    const char* name;
    int selected;
    const char* text;
    FindOptions options;
    int answer;
    int expected;
    std::vector<std::string> boxes;
  } rows[] = {
      {"down from selection", 0, "beta", {}, kIdYes, 2, {}},
      {"case ignored", -1, "gamma", {}, kIdYes, 1, {}},
      {"match case", -1, "gamma", {true, true, false}, kIdYes, -1, {"String not found."}},
      {"whole word skips betamax and beta_x", 0, "beta", {true, false, true}, kIdYes, 4, {}},
      {"wrap to the top", 4, "alpha", {}, kIdYes, 0, {"String not found - Continue search from the top?"}},
      {"declined wrap", 4, "alpha", {}, kIdNo, -1, {"String not found - Continue search from the top?"}},
      {"up wraps to the bottom", 1, "delta", {false, false, false}, kIdYes, 3,
       {"String not found - Continue search from the bottom?"}},
      {"selected line is tested last", 1, "GAMMA", {}, kIdYes, 1, {"String not found - Continue search from the top?"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RecordingShell shell;
    shell.answer = row.answer;
    EXPECT_EQ(FindOutputLine(lines, row.selected, row.text, row.options, shell), row.expected);
    EXPECT_EQ(shell.boxes, row.boxes);
  }
}

TEST(BuildLog, HeadTailEscapingAndContinuation) {
  test::ScratchFolder dir;
  test::WriteFile(dir / "Blinky.pm2", "project");
  BuildLogProject project{dir.Path(), "Blinky", {}};
  // The last build's log, longer than this one's: none of it stays.
  test::WriteFile(dir / "Blinky.plg", std::string(4000, 'o') + "\r\n\"Blinky\" - 1 Error(s), 0 Warning(s).\r\n");
  BuildLog log;
  log.SetBuildLogFile(1, dir / "Blinky.plg", &project);
  EXPECT_EQ(test::ReadFile(dir / "Blinky.plg").find("Error(s)"), std::string::npos);
  log.WriteOutputLine("a.c(1): error: 'x' < 2 && y > 3\n");
  log.WriteOutputLine("Program Size: \x02\r\n");
  log.WriteOutputLine("code=18\n");
  log.WriteOutputLine("\n");  // an empty line is logged, though the pane does not show it
  log.SetBuildLogFile(1, dir / "Blinky.plg", &project);  // same name: no second heading
  log.SetBuildLogFile(0, "", &project);
  EXPECT_FALSE(log.IsOpen());
  const std::string text = test::ReadFile(dir / "Blinky.plg");
  const std::string head =
      "<html>\r\n<body>\r\n<pre>\r\n<h1>Pelmora2 Build Log</h1>\r\n<h2>Project:</h2>\r\n" + dir.Path() +
      "Blinky.pm2\r\nProject File Date:  ";
  ASSERT_EQ(text.substr(0, head.size()), head);
  const std::string date = text.substr(head.size(), 10);
  EXPECT_TRUE(date[2] == '/' && date[5] == '/') << date;
  EXPECT_EQ(text.substr(head.size() + 10),
            "\r\n\r\n<h2>Output:</h2>\r\na.c(1): error: 'x' &lt; 2 &amp;&amp; y &gt; 3\r\n"
            "Program Size: code=18\r\n\r\n</pre>\r\n</body>\r\n</html>\r\n");
}

TEST(BuildLog, UnknownProjectDateAndNoTrailerWithoutProject) {
  test::ScratchFolder dir;
  BuildLogProject project{dir.Path(), "Gone", {}};
  BuildLog log;
  log.SetBuildLogFile(1, dir / "G.plg", &project);
  log.SetBuildLogFile(0, "", nullptr);
  EXPECT_NE(test::ReadFile(dir / "G.plg").find("Project File Date:  <unknown>\r\n\r\n"), std::string::npos);
  EXPECT_EQ(test::ReadFile(dir / "G.plg").find("</html>"), std::string::npos);
}

}  // namespace
}  // namespace pm2
