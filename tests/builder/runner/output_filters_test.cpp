// The filters over in-memory captures: each family's message forms become
// the uniform lines with the right counts.
#include <gtest/gtest.h>

#include "builder/runner/output_filters.h"
#include "builder/runner/tool_run_request.h"
#include "project/recording_shell.h"

namespace pm2 {
namespace {

struct FilterRun {
  std::vector<std::string> lines;  // without the redraw brackets
  ToolRunRequest request;
};

FilterRun RunFilter(int code, const std::string& capture, uint32_t exitCode = 0,
                    const std::string& file = "") {
  RecordingShell shell;
  FilterRun run;
  run.request.toolCode = static_cast<uint16_t>(code);
  run.request.exitCode = exitCode;
  run.request.file = file;
  MemoryByteSource source(capture);
  CaptureReader reader(source);
  FilterToolOutput(run.request, reader, shell);
  EXPECT_GE(shell.lines.size(), 2u);
  EXPECT_EQ(shell.lines.front(), kRedrawOffText);
  EXPECT_EQ(shell.lines.back(), kRedrawOnText);
  run.lines.assign(shell.lines.begin() + 1, shell.lines.end() - 1);
  return run;
}

struct Row {
  const char* name;
  int code;
  uint32_t exitCode;
  const char* capture;
  std::vector<std::string> expected;
  int errors;
  int warnings;
};

const Row kRows[] = {
    {"compiler warning", 2, 1, "*** WARNING C206 IN LINE 5 OF X.C: missing prototype\n",
     {"X.C(5): warning C206: missing prototype\n"}, 0, 1},
    {"compiler error keeps drive letter", 3, 2,
     "banner\r\n*** ERROR C141 IN LINE 12 OF C:\\SRC\\MAIN.C: syntax error near ';'\r\n",
     {"C:\\SRC\\MAIN.C(12): error C141: syntax error near ';'\n"}, 1, 0},
    {"compiler can't open file", 2, 2, "*** ERROR C318: can't open file 'A.H'\n*** FATAL ERROR ignored\n",
     {"*** ERROR C318: can't open file 'A.H'\n"}, 1, 0},
    {"compiler message without a colon keeps its line end", 2, 2, "*** ERROR C100 IN LINE 3 OF X.C\n",
     {"X.C(3): error C100: \n"}, 1, 0},
    {"compiler exit code 3 copies", 1, 3, "*** ERROR C141 IN LINE 1 OF A.C: x\nplain\n",
     {"*** ERROR C141 IN LINE 1 OF A.C: x\n", "plain\n"}, 0, 0},
    {"linker block and summary", 6, 1,
     "*** WARNING L16: UNCALLED SEGMENT\n    SEGMENT: ?PR?F?M\n\nProgram Size: data=9\n"
     "LINK/LOCATE RUN COMPLETE.  2 WARNING(S),  1 ERROR(S)\n*** after summary\n",
     {"*** WARNING L16: UNCALLED SEGMENT\n", "    SEGMENT: ?PR?F?M\n", "\n", "Program Size: data=9\n"}, 1, 2},
    {"linker block of at most four lines", 7, 0,
     "*** ERROR L1: A\nline1\nline2\nline3\nline4\nline5\n",
     {"*** ERROR L1: A\n", "line1\n", "line2\n", "line3\n", "line4\n", "\n"}, 0, 0},
    {"linker summary inside a block still counts", 5, 2,
     "*** ERROR L1: A\n    MODULE: X\nLINK COMPLETE.  0 WARNING(S),  3 ERROR(S)\n",
     {"*** ERROR L1: A\n", "    MODULE: X\n", "\n"}, 3, 0},
    {"assembler both forms", 8, 2,
     "ASSEMBLER INVOKED BY: C:\\K\\W51.EXE START.W51 DEBUG\n"
     "*** ERROR #A45 IN 12 (INC.W51, LINE 12): UNDEFINED SYMBOL\n"
     "*** WARNING #A41 ON LINE 7: MISSING END\n"
     "  0012   MOV A,B  *** ERROR #A9 ON LINE 18: SYNTAX\n"
     "*A**W dropped\n"
     "ASSEMBLY COMPLETE.  1 WARNING(S), 2 ERROR(S)\n",
     {"INC.W51(12): error A45: UNDEFINED SYMBOL\n", "START.W51(7): warning A41: MISSING END\n",
      "START.W51(18): error A9: SYNTAX\n"}, 2, 1},
    {"hex keeps message lines only", 18, 0, "banner\n**\n*** ERROR H1: X\n",
     {"*** ERROR H1: X\n"}, 0, 0},
    {"plm listing", 4, 0,
     "-PL/M-51 V1\n-OBJECT IN A.OBJ\njunk\nCOMPILER INVOKED BY: C:\\JQ51.EXE MAIN.PLM\n"
     "*** ERROR #150, STATEMENT #12, IN FILE SUB.PLM,  :UNDEFINED\n"
     "*** WARNING #7, STATEMENT #3, LOOSE TEXT\n"
     "*** WARNING #8 OTHER FORM\n",
     {"-PL/M-51 V1\n", "-OBJECT IN A.OBJ\n", "SUB.PLM(12): error P150: UNDEFINED\n",
      "MAIN.PLM(3): warning P7: LOOSE TEXT\n", "*** WARNING #8 OTHER FORM\n"}, 1, 2},
    {"yq166", 30, 1,
     "\"C:\\\\S\\\\A.CPP\", line 4: warning: unused x\n\"B.CPP\", line 9: error: expected ;\nnoise\n",
     {"C:\\S\\A.CPP(4): warning: unused x\n", "B.CPP(9): error: expected ;\n"}, 1, 1},
    {"gnu", 31, 1,
     "main.c: In function 'f':\nmain.c:12:5: warning: unused variable\nmain.c:3: parse error\n"
     "main.c:4:2: error: expected ';'\nmain.c:5:1: note: declared here\nld: Warning: x\nas: Error: y\nnocolon\n",
     {"main.c: In function 'f':\n", "main.c(12): warning: unused variable\n", "main.c(3): error: parse error\n",
      "main.c(4): error: expected ';'\n", "main.c(5): note: declared here\n", "Warning: ld: Warning: x\n",
      "Error: as: Error: y\n"}, 3, 2},
    {"gnu driver and binary utilities speak for themselves", 31, 1,
     "gcc: error: gone.c: No such file or directory\ncc1: fatal error: x.h: No such file or directory\n"
     "compilation terminated.\narm-none-eabi-objcopy: error: no sections\n"
     "arm-none-eabi-ld: warning: cannot find entry symbol\nmain.c: In function 'f':\n",
     {"gcc: error: gone.c: No such file or directory\n", "cc1: fatal error: x.h: No such file or directory\n",
      "arm-none-eabi-objcopy: error: no sections\n",
      "arm-none-eabi-ld: warning: cannot find entry symbol\n", "main.c: In function 'f':\n"}, 3, 1},
    {"ads", 36, 0,
     "\"t.c\", line 8: Warning: C2871W: static 'x' unused\n\"t.c\", line 9: Serious error: C2285E: bad\n"
     "\"t.c\", line 10: Info: ignored\nError: L6218E: undefined\nrandom\n",
     {"t.c(8): warning: C2871W: static 'x' unused\n", "t.c(9): error: C2285E: bad\n",
      "T.C: Error: L6218E: undefined"}, 2, 1},
    {"lint", 44, 0,
     "PC-lint for C/C++ 8\n--- Module: a.c\n      _\n\"*** LINT: a.c(7) Warning 534: ignoring\"\n"
     "--- Global Wrap-up\n\"*** LINT: Info 714: f not referenced (line 3, file b.c) x\"\nx\n",
     {"PC-lint for C/C++ 8\n", "a.c(7,6): Warning 534: ignoring\n", "b.c(3) Info 714: f not referenced  x\n"}, 0, 0},
    {"user command copies", 43, 0, "one\r\ntwo", {"one\n", "two\n"}, 0, 0},
};

TEST(OutputFilters, FamiliesFormUniformLines) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    FilterRun run = RunFilter(row.code, row.capture, row.exitCode, row.code == 36 ? "T.C" : "");
    EXPECT_EQ(run.lines, row.expected);
    EXPECT_EQ(run.request.errors, row.errors);
    EXPECT_EQ(run.request.warnings, row.warnings);
  }
}

TEST(OutputFilters, AdsRaisesExitCodeFromCounts) {
  struct ExitRow {
    const char* name;
    const char* capture;
    uint32_t expected;
  } rows[] = {
      {"clean", "nothing\n", 0},
      {"warning", "\"a.c\", line 1: Warning: w\n", 1},
      {"located error", "\"a.c\", line 1: Error: e\n", 2},
      {"unlocated error", "Fatal error: L1: gone\n", 3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(RunFilter(38, row.capture).request.exitCode, row.expected);
  }
}

TEST(CaptureReader, LineRules) {
  struct ReadRow {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  } rows[] = {
      {"crlf and lone cr", "a\r\nb\rc\n", {"a\n", "bc\n"}},
      {"missing final line feed", "last", {"last\n"}},
      {"zero byte ends the output", std::string("x\ny\0z\n", 6), {"x\n", "y\n"}},
      {"long line is cut", std::string(5000, 'q') + "\n",
       {std::string(kCaptureLineMax, 'q') + "\n", std::string(5000 - kCaptureLineMax, 'q') + "\n"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    MemoryByteSource source(row.bytes);
    CaptureReader reader(source);
    std::vector<std::string> got;
    std::string line;
    while (reader.ReadLine(line) > 0) got.push_back(line);
    EXPECT_EQ(got, row.lines);
  }
}

}  // namespace
}  // namespace pm2
