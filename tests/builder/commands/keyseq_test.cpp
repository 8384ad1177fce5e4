// Key sequences of user commands: every prefix with every letter kind,
// doubled prefixes and unknown sequences, failures, the output limit, the
// clock in MHz and the lint define arguments.
#include <gtest/gtest.h>

#include <string>

#include "builder/cmd_fixture.h"
#include "builder/commands/key_sequences.h"

namespace pm2::test {
namespace {

struct Sources {
  ProjectRec project;
  CmdFixture fx{kToolset166};
  KeySequenceSources src;

  Sources() {
    project.name = OptString("demo");
    project.folder = OptString("/work/p/");
    fx.targetOpts.out.OUTDIR = OptString("./obj/");
    fx.targetOpts.t166.clock = 11059200;
    fx.target.DEVICE = OptString("C167CR-LM");
    fx.targetOpts.lst.SVCSID = OptString("PRJ-7");
    src.project = &project;
    src.target = &fx.target;
    src.targetOptions = &fx.targetOpts;
    src.activeEditorFile = [] { return std::optional<FilePosition>({"/work/p/src/main.c", 12, 3}); };
    src.fileToTranslate = [] { return std::optional<FilePosition>({"/work/p/lib/util.c", 7, 4}); };
    src.executable = "/opt/pm2/PM2/pelmora2";
    src.sccComment = "fix";
    src.sccSecond = "second";
    src.sccTempFile = "/tmp/scc.tmp";
    src.sccsText1 = "user";
    src.sccsText2 = "pass";
  }
};

TEST(KeySeq, Classify) {
  struct {
    const char* text;
    int expected;
  } rows[] = {{"#E", '#'}, {"$f", '$'}, {"%c", '%'}, {"@L", '@'}, {"^E", '^'}, {"~e", '~'},
              {"#C", 0},   {"@V", 0},   {"%Z", 0},   {"ab", 0},   {"#", 0},    {"%%", 1000},
              {"~~", 1000}, {"$D", 1001}, {"$d", 1001}, {"$X", 1002}, {"$x", 1002}, {"%X", '%'}};
  for (const auto& r : rows) EXPECT_EQ(ClassifyKeySequence(r.text), r.expected) << r.text;
}

TEST(KeySeq, ExpandsEachPrefixAndLetter) {
  Sources s;
  struct {
    const char* input;
    const char* expected;
  } rows[] = {
      {"#E", "/work/p/src/main.c"}, {"$E", "/work/p/src/"}, {"%E", "main.c"}, {"@E", "main"},
      {"^E", "12"}, {"~E", "3"}, {"$f", "/work/p/lib/"}, {"^F", "7"}, {"~F", "4"},
      {"#P", "/work/p/demo.pm2"}, {"$P", "/work/p/"}, {"%P", "demo.pm2"}, {"@P", "demo"},
      {"#L", "/work/p/obj/blinky"}, {"%L", "blinky"}, {"$L", "/work/p/obj/"},
      {"#H", "/work/p/obj/blinky.H86"}, {"%H", "blinky.H86"}, {"@H", "blinky"}, {"$H", "/work/p/obj/"},
      {"%X", "pelmora2"}, {"#x", "/opt/pm2/PM2/pelmora2"},
      {"%C", "fix"}, {"%r", "second"}, {"%Q", "/tmp/scc.tmp"}, {"%U", "user"}, {"%v", "pass"},
      {"%I", "PRJ-7"}, {"%i", "PRJ-7"}, {"$D", "C167CR-LM"}, {"$X", "11.059200"},
      {"%%", "%"}, {"##", "#"}, {"$$", "$"}, {"@@", "@"}, {"^^", "^"}, {"~~", "~"},
      {"%Z", "%Z"}, {"#C", "#C"}, {"100%", "100%"},
      {"-f %E -l ^E -c ~E", "-f main.c -l 12 -c 3"},
  };
  for (const auto& r : rows) {
    std::string out;
    EXPECT_EQ(ExpandToolArguments(s.src, r.input, out), kExpandDone) << r.input;
    EXPECT_EQ(out, r.expected) << r.input;
  }
}

// #H names the file the build wrote: the ARM toolsets write ".hex".
TEST(KeySeq, HexExtensionOfOtherToolsets) {
  struct {
    const char* name;
    uint16_t toolset;
    const char* expected;
  } rows[] = {{"51", 0, "blinky.HEX"},
              {"251", 1, "blinky.HEX"},
              {"ArmGnu", kToolsetArmGnu, "blinky.hex"},
              {"ArmAds", kToolsetArmAds, "blinky.hex"}};
  for (const auto& r : rows) {
    Sources s;
    s.fx.target.toolset = r.toolset;
    std::string out;
    ExpandToolArguments(s.src, "%H", out);
    EXPECT_EQ(out, r.expected) << r.name;
  }
}

TEST(KeySeq, FailuresStopTheExpansion) {
  Sources s;
  s.src.fileToTranslate = [] { return std::optional<FilePosition>(); };
  std::string out;
  EXPECT_EQ(ExpandToolArguments(s.src, "a $F b", out), kExpandFailed);
  EXPECT_EQ(out, "a ");

  Sources none;
  none.src.project = nullptr;
  EXPECT_EQ(ExpandToolArguments(none.src, "#P", out), kExpandFailed);
  none.src.targetOptions = nullptr;
  EXPECT_EQ(ExpandToolArguments(none.src, "%L", out), kExpandFailed);
  EXPECT_EQ(ExpandToolArguments(none.src, "x$Xy", out), kExpandDone);
  EXPECT_EQ(out, "xy");
}

// A line that cannot be filled says which sequence stopped it and what the
// sequence lacks, or that it passed the limit.
TEST(KeySeq, FailureNamesTheSequence) {
  struct Row {
    const char* name;
    const char* input;
    ExpandResult result;
    const char* sequence;
    const char* text;
  } rows[] = {
      {"file to translate", "rm -rf ./Obj/@F_old", kExpandFailed, "@F",
       "key sequence '@F' cannot be filled: no file is selected in the project window or open in an editor"},
      {"lower-case letter", "x ^f", kExpandFailed, "^f",
       "key sequence '^f' cannot be filled: no file is selected in the project window or open in an editor"},
      {"editor file", "%%E %E", kExpandFailed, "%E", "key sequence '%E' cannot be filled: no file is open in an editor"},
      {"project", "#P", kExpandFailed, "#P", "key sequence '#P' cannot be filled: no project is open"},
      {"output", "a %L", kExpandFailed, "%L", "key sequence '%L' cannot be filled: the current target has no output folder"},
      {"hex", "$H", kExpandFailed, "$H", "key sequence '$H' cannot be filled: the current target has no output folder"},
      {"identifier", "%I", kExpandFailed, "%I", "key sequence '%I' cannot be filled: no target is current"},
      {"too long", nullptr, kExpandFull, "", "the filled-in text is longer than 1023 characters"},
  };
  for (const Row& r : rows) {
    Sources s;
    s.src.project = nullptr;
    s.src.targetOptions = nullptr;
    s.src.activeEditorFile = [] { return std::optional<FilePosition>(); };
    s.src.fileToTranslate = [] { return std::optional<FilePosition>(); };
    std::string out, failed = "stale";
    const std::string input = r.input ? r.input : std::string(1100, 'a');
    EXPECT_EQ(ExpandToolArguments(s.src, input, out, &failed), r.result) << r.name;
    EXPECT_EQ(failed, r.sequence) << r.name;
    EXPECT_EQ(ExpandFailureText(r.result, failed), r.text) << r.name;
  }
}

// %I copies the current target's project identifier as it stands; it
// needs a target but not a set identifier.
TEST(KeySeq, ProjectIdentifier) {
  struct {
    const char* name;
    const char* identifier;  // null: no target block
    const char* input;
    ExpandResult result;
    const char* expected;
  } rows[] = {
      {"set", "PRJ-7", "-p%I", kExpandDone, "-pPRJ-7"},
      {"lower-case letter", "PRJ-7", "-p%i", kExpandDone, "-pPRJ-7"},
      {"unset gives nothing", "", "-p%I-", kExpandDone, "-p-"},
      {"key sequences inside are not expanded again", "a%Eb", "%I", kExpandDone, "a%Eb"},
      {"blanks kept", " x y ", "[%I]", kExpandDone, "[ x y ]"},
      {"only after percent", "PRJ-7", "#I $I", kExpandDone, "#I $I"},
      {"no target", nullptr, "a %I b", kExpandFailed, "a "},
  };
  for (const auto& r : rows) {
    Sources s;
    if (r.identifier)
      s.fx.targetOpts.lst.SVCSID = OptString(r.identifier);
    else
      s.src.targetOptions = nullptr;
    std::string out;
    EXPECT_EQ(ExpandToolArguments(s.src, r.input, out), r.result) << r.name;
    EXPECT_EQ(out, r.expected) << r.name;
  }
}

TEST(KeySeq, OutputCutAt1023) {
  Sources s;
  std::string out;
  EXPECT_EQ(ExpandToolArguments(s.src, std::string(1100, 'a'), out), kExpandFull);
  EXPECT_EQ(out.size(), kExpandLimit);

  // A sequence that crosses the limit is cut at it too.
  EXPECT_EQ(ExpandToolArguments(s.src, std::string(1015, 'a') + "#E", out), kExpandFull);
  EXPECT_EQ(out, std::string(1015, 'a') + "/work/p/");

  EXPECT_EQ(ExpandToolArguments(s.src, std::string(1023, 'a'), out), kExpandFull);
  EXPECT_EQ(ExpandToolArguments(s.src, std::string(1022, 'a'), out), kExpandDone);
}

TEST(KeySeq, ClockShowsSixDigitsOfRemainder) {
  struct {
    uint32_t hz;
    const char* expected;
  } rows[] = {{11059200, "11.059200"}, {11005000, "11.005000"}, {33000000, "33.000000"},
              {999999, "0.999999"}, {0, "0.000000"}};
  for (const auto& r : rows) EXPECT_EQ(FormatClockMHz(r.hz), r.expected) << r.hz;
}

TEST(KeySeq, LintDefineArguments) {
  CmdFixture f(kToolsetArmGnu);
  f.targetOpts.cGnu.ACDEFN = OptString("A=1, B");
  OptionBlock& file = f.FileBlock();
  file.cGnu.ACDEFN = OptString("C");
  file.cGnu.ACUDEF = OptString("B");
  char buffer[64];
  EXPECT_EQ(MakeLintDefineArgs(f.ctx, &f.file, &f.target, buffer, sizeof buffer), 9);
  EXPECT_STREQ(buffer, "-dA=1 -dC");

  // An argument that would not fit with its terminating zero is left out.
  EXPECT_EQ(MakeLintDefineArgs(f.ctx, &f.file, &f.target, buffer, 9), 5);
  EXPECT_STREQ(buffer, "-dA=1");

  f.file.flags |= kFileRemoved;
  EXPECT_EQ(MakeLintDefineArgs(f.ctx, &f.file, &f.target, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
}

}  // namespace
}  // namespace pm2::test
