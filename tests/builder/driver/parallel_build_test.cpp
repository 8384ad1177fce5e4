// Translations side by side: the output is the one-at-a-time build's, line
// for line; a stop leaves no object a later build takes as up to date; the
// worker count; a source saved in the second its object was written.
#include <fcntl.h>
#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <sstream>

#include "builder/driver/tools_project.h"
#include "builder/driver/translation_pool.h"

namespace pm2 {
namespace {

struct ArmGnuProject : ToolsProject {
  using ToolsProject::Deps;
  ArmGnuProject() {
    SetUpProject(kToolsetArmGnu, "ARM/");
    info.makerFolder = info.secondToolsFolder = test::InstallRoot() + "ARM/GNU/bin/";
  }
  // The file's own option block for the target.
  OptionBlock* FileBlock(FileRec* file) {
    OptionBlock* block = FindTargetOptions(file->pOpts, target);
    if (!block) {
      block = NewOptionBlock(kPoolProject);
      InitBuildPropOpts(block->prop, kLevelNode);
      block->owner = target;
      block->next = file->pOpts;
      file->pOpts = block;
    }
    return block;
  }
  // The driver's links with the given worker count, whatever the machine's
  // cores and PM2_BUILD_JOBS say.
  BuildDriverDeps Deps(int workers) {
    BuildDriverDeps deps = ToolsProject::Deps();
    deps.workers = workers;
    return deps;
  }
  // The output lines of one rebuild with the given worker count.
  std::vector<std::string> Rebuild(int workers) {
    const size_t before = Lines().size();
    BuildDriver driver(Deps(workers));
    driver.BuildTarget(project, target, kBuildModeRebuild);
    auto lines = Lines();
    return std::vector<std::string>(lines.begin() + long(before), lines.end());
  }
};

struct OutputRow {
  const char* name;
  const char* stopCodeFile;  // a file whose exit code 1 stops the build, or null
};

class ParallelOutput : public ::testing::TestWithParam<OutputRow> {};

// The first file is the slowest, so later ones finish first when they run
// side by side.
TEST_P(ParallelOutput, IsTheSerialOutputLineForLine) {
  ArmGnuProject p;
  p.Add("A.c", kFileC, "int a;\n// !standin sleep 0.3\n// !standin warning 1 2 unused a\n");
  p.Add("B.c", kFileC, "int b;\n// !standin warning 2 7 unused b\n");
  p.Add("C.c", kFileC, "int c;\n");
  FileRec* d = p.Add("D.c", kFileC, "int d;\n// !standin error 3 4 syntax error\n");
  p.Add("E.c", kFileC, "int e;\n// !standin warning 4 9 unused e\n");
  p.Add("S.s", kFileAsm, "@ nothing\n// !standin warning 5 1 odd\n");
  p.Add("F.c", kFileC, "int f;\n");
  if (GetParam().stopCodeFile) p.FileBlock(d)->prop.STOPCODE = 1;
  const auto serial = p.Rebuild(1);
  const auto parallel = p.Rebuild(8);
  EXPECT_EQ(parallel, serial);
  ASSERT_FALSE(serial.empty());
  EXPECT_EQ(serial.back(), "Target not created\n");
  const bool stops = GetParam().stopCodeFile != nullptr;
  EXPECT_EQ(p.LineIndex("compiling E.c") >= 0, !stops) << ::testing::PrintToString(serial);
  EXPECT_EQ(p.FilesWithExtension(".__i").size(), 0u);
  EXPECT_FALSE(FileExists(p.dir / "Blinky.pm2run"));
}

INSTANTIATE_TEST_SUITE_P(Rows, ParallelOutput,
                         ::testing::Values(OutputRow{"WarningsAndAnError", nullptr},
                                           OutputRow{"ErrorStopsTheBuild", "D.c"}),
                         [](const auto& row) { return std::string(row.param.name); });

// The runs of a build that meet: each stand-in marks its start in a file
// shared by the runs, waits there until `count` runs have started (at most
// a bound that only a build which never starts them together reaches), and
// marks its end. Runs that ran side by side all started before the first
// of them ended.
struct MeetingRuns {
  explicit MeetingRuns(const ToolsProject& p) : file(p.dir / "meet.txt") {}
  // For PM2_STANDIN, which every run of the build reads.
  std::string Directive(int count) const { return "meet " + file + " " + std::to_string(count) + " 30"; }
  std::vector<std::string> Marks() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(file));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // How many runs had started when the first one ended.
  int StartedBeforeTheFirstEnd() const {
    int started = 0;
    for (const std::string& line : Marks()) {
      if (line.rfind("end ", 0) == 0) break;
      started += line.rfind("start ", 0) == 0 ? 1 : 0;
    }
    return started;
  }
  std::string file;
};

// Four translations on four workers run side by side, whatever the
// machine's cores and load: all four have started before the first ends.
TEST(ParallelBuild, TranslationsRunSideBySide) {
  ArmGnuProject p;
  MeetingRuns meeting(p);
  for (const char* name : {"A.c", "B.c", "C.c", "D.c"}) p.Add(name, kFileC, "int x;\n");
  p.opts->out.flags.GENAPP = 0;
  {
    ScopedEnv meet("PM2_STANDIN", meeting.Directive(4).c_str());
    p.Rebuild(4);
  }
  EXPECT_EQ(meeting.StartedBeforeTheFirstEnd(), 4) << "the runs went one after another: "
                                                   << ::testing::PrintToString(meeting.Marks());
  EXPECT_TRUE(FileExists(p.dir / "D.o"));
}

// A build where few files need a run (one header touched): the files that
// need none do not count as runs under way, so a run still going does not
// hold back the runs decided after it. One run, 20 up-to-date files, then
// three runs: on four workers all four run at once.
TEST(ParallelBuild, FilesThatNeedNoRunDoNotHoldBackTheRunsAfterThem) {
  ArmGnuProject p;
  MeetingRuns meeting(p);
  p.opts->out.flags.GENAPP = 0;
  std::vector<std::string> runs = {"S0.c"};
  p.Add("S0.c", kFileC, "int s;\n");
  for (int k = 0; k < 20; ++k) p.Add(("U" + std::to_string(k) + ".c").c_str(), kFileC, "int u;\n");
  for (const char* name : {"S1.c", "S2.c", "S3.c"}) {
    runs.push_back(name);
    p.Add(name, kFileC, "int s;\n");
  }
  {
    BuildDriver driver(p.Deps(4));
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
  }
  const time_t later = time(nullptr) + 5;
  struct utimbuf times{later, later};
  for (const std::string& name : runs) ASSERT_EQ(::utime((p.dir / name).c_str(), &times), 0);
  BuildDriver driver(p.Deps(4));
  {
    ScopedEnv meet("PM2_STANDIN", meeting.Directive(4).c_str());
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
  }
  int translated = 0;
  for (const auto& e : driver.Explanations()) translated += e.translated ? 1 : 0;
  EXPECT_EQ(translated, 4);
  EXPECT_EQ(meeting.StartedBeforeTheFirstEnd(), 4) << "the later runs waited for the first: "
                                                   << ::testing::PrintToString(meeting.Marks());
}

// Stopped while several runs are under way: the runs are ended and their
// objects deleted, so the next build translates every file whose
// translation did not end whole before the stop.
TEST(ParallelBuild, StopLeavesNoObjectTakenAsUpToDate) {
  ArmGnuProject p;
  const char* names[] = {"A.c", "B.c", "C.c", "D.c", "E.c", "F.c"};
  for (const char* name : names) p.Add(name, kFileC, "int x;\n// !standin sleep 0.4\n");
  {
    BuildDriver driver(p.Deps(3));
    driver.StartBuildThread(p.project, p.target, kBuildModeBuild);
    p.WaitForLine("compiling A.c");
    EXPECT_EQ(driver.StopBuild(), 1);
    driver.Wait();
    EXPECT_EQ(driver.ResultTotal(), -1);
  }
  EXPECT_TRUE(p.HasLine("Project build/rebuild aborted.\n"));
  // A file whose run ended whole is shown and keeps its object; the run
  // the stop met is shown, ended and its object gone.
  std::vector<std::string> whole;
  for (const char* name : names) {
    const std::string object = std::string(name, std::strlen(name) - 2) + ".o";
    if (FileExists(p.dir / object)) {
      EXPECT_GE(p.LineIndex(std::string("compiling ") + name), 0) << name;
      whole.push_back(name);
    }
  }
  ASSERT_LT(whole.size(), 6u);
  EXPECT_TRUE(p.FilesWithExtension(".__i").empty());
  EXPECT_FALSE(FileExists(p.dir / "Blinky.pm2run"));
  BuildDriver again(p.Deps());
  again.BuildTarget(p.project, p.target, kBuildModeBuild);
  for (const auto& e : again.Explanations()) {
    const bool wasWhole = std::find(whole.begin(), whole.end(), e.file) != whole.end();
    EXPECT_EQ(e.translated, !wasWhole) << e.file << ": " << e.reason;
  }
}

// A stop ends the translation under way instead of waiting for it: the
// tool here would run ten minutes. One row builds one file at a time, the
// other side by side.
class StopEndsTheRunningTool : public ::testing::TestWithParam<int> {};

TEST_P(StopEndsTheRunningTool, AndTheBuildEndsWithoutItsObject) {
  ArmGnuProject p;
  // Each tool marks its start, then would sleep ten minutes.
  const std::string started = p.dir / "started.txt";
  p.Add("A.c", kFileC, "int x;\n// !standin record " + started + "\n// !standin sleep 600\n");
  p.Add("B.c", kFileC, "int y;\n// !standin record " + started + "\n// !standin sleep 600\n");
  // The runs under way: one at a time one, side by side both.
  const size_t running = GetParam() == 1 ? 1 : 2;
  auto lines = [&] {
    const std::string text = ReadFile(started);
    return size_t(std::count(text.begin(), text.end(), '\n'));
  };
  {
    BuildDriver driver(p.Deps(GetParam()));
    driver.StartBuildThread(p.project, p.target, kBuildModeBuild);
    for (int i = 0; i < 12000 && lines() < running; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(lines(), running) << "the tools did not start";
    EXPECT_EQ(driver.StopBuild(), 1);
    driver.Wait();
    EXPECT_EQ(driver.ResultTotal(), -1);
  }
  EXPECT_TRUE(p.HasLine("Project build/rebuild aborted.\n"));
  EXPECT_FALSE(FileExists(p.dir / "A.o"));
  EXPECT_FALSE(FileExists(p.dir / "B.o"));
}

INSTANTIATE_TEST_SUITE_P(Jobs, StopEndsTheRunningTool, ::testing::Values(1, 3),
                         [](const auto& row) { return "Jobs" + std::to_string(row.param); });

// A build that translates nothing leaves the dependency file as it is; one
// that translates a file writes it anew.
TEST(ParallelBuild, NoOpBuildLeavesTheDependencyFileAlone) {
  ArmGnuProject p;
  p.opts->out.flags.GENAPP = 0;
  p.Add("A.c", kFileC, "int a;\n");
  p.Add("B.c", kFileC, "int b;\n");
  const std::string dep = p.dir / "P_Target 1.dep";
  auto stamp = [&] {
    struct stat st {};
    ::stat(dep.c_str(), &st);
    return std::make_pair(st.st_ino, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
  };
  {
    BuildDriver driver(p.Deps());
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
  }
  ASSERT_TRUE(FileExists(dep)) << ::testing::PrintToString(p.Lines());
  const auto written = stamp();
  {
    BuildDriver driver(p.Deps());
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
    EXPECT_FALSE(driver.Explanations().at(0).translated);
  }
  EXPECT_EQ(stamp(), written);
  // A changed source translated: the file is written anew with its time.
  WriteFile(p.dir / "B.c", "int b2;\n");
  const time_t later = time(nullptr) + 5;
  struct utimbuf times{later, later};
  ::utime((p.dir / "B.c").c_str(), &times);
  {
    BuildDriver driver(p.Deps());
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
    EXPECT_TRUE(driver.Explanations().at(1).translated);
  }
  EXPECT_NE(stamp(), written);
}

TEST(TranslationWorkerCount, TheVariableOnlyLowersTheCoreCount) {
  struct Row {
    const char* name;
    unsigned cores;
    const char* variable;
    int expected;
  } rows[] = {
      {"unset", 8, nullptr, 8},  {"lower", 8, "2", 2},      {"higher", 4, "16", 4},
      {"zero", 8, "0", 8},       {"not a number", 8, "x", 8}, {"trailing text", 8, "2x", 8},
      {"no cores known", 0, nullptr, 1},
  };
  for (const Row& r : rows) EXPECT_EQ(TranslationWorkerCount(r.cores, r.variable), r.expected) << r.name;
}

void SetFutureTime(const std::string& path, int seconds) {
  const time_t later = time(nullptr) + seconds;
  struct utimbuf times{later, later};
  ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

struct RelinkRow {
  const char* name;
  int workers;
};

class TranslatedObject : public ::testing::TestWithParam<RelinkRow> {};

// The link's up-to-date test takes the objects' statuses of the build's
// own checks: an object this build made must count with its new time.
TEST_P(TranslatedObject, IsLinkedAgain) {
  ArmGnuProject p;
  p.Add("A.c", kFileC, "int a;\n");
  p.Add("B.c", kFileC, "int b;\n");
  const int workers = GetParam().workers;
  {
    BuildDriver driver(p.Deps(workers));
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
  }
  ASSERT_GE(p.LineIndex("linking..."), 0) << ::testing::PrintToString(p.Lines());
  {
    const size_t before = p.Lines().size();
    BuildDriver driver(p.Deps(workers));
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
    const auto lines = p.Lines();
    EXPECT_EQ(std::count(lines.begin() + long(before), lines.end(), std::string("linking...\n")), 0)
        << "nothing changed: " << ::testing::PrintToString(lines);
  }
  SetFutureTime(p.dir / "B.c", 5);
  const size_t before = p.Lines().size();
  BuildDriver driver(p.Deps(workers));
  driver.BuildTarget(p.project, p.target, kBuildModeBuild);
  ASSERT_EQ(driver.Explanations().size(), 2u);
  EXPECT_FALSE(driver.Explanations()[0].translated);
  EXPECT_TRUE(driver.Explanations()[1].translated);
  const auto lines = p.Lines();
  EXPECT_EQ(std::count(lines.begin() + long(before), lines.end(), std::string("linking...\n")), 1)
      << ::testing::PrintToString(lines);
}

INSTANTIATE_TEST_SUITE_P(Rows, TranslatedObject,
                         ::testing::Values(RelinkRow{"OneAtATime", 1}, RelinkRow{"SideBySide", 8}),
                         [](const auto& row) { return std::string(row.param.name); });

// A source saved while the build runs, after the build looked at it: the
// dependency file keeps the time the build decided on, so the next build
// translates the file.
TEST(ParallelBuild, SourceEditedDuringTheBuildIsTranslatedNext) {
  ArmGnuProject p;
  p.opts->out.flags.GENAPP = 0;
  p.Add("A.c", kFileC, "int a;\n// !standin sleep 0.4\n");
  p.Add("B.c", kFileC, "int b;\n");
  {
    BuildDriver driver(p.Deps(2));
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
  }
  // A's object older than its source: A is translated again, slowly.
  const time_t past = time(nullptr) - 60;
  struct utimbuf old{past, past};
  ASSERT_EQ(::utime((p.dir / "A.o").c_str(), &old), 0);
  {
    const size_t before = p.Lines().size();
    BuildDriver driver(p.Deps(2));
    driver.StartBuildThread(p.project, p.target, kBuildModeBuild);
    // B is looked at before A's run is taken back and shown.
    auto shown = [&] {
      const auto lines = p.Lines();
      return std::find(lines.begin() + long(before), lines.end(), std::string("compiling A.c...\n")) != lines.end();
    };
    for (int i = 0; i < 1000 && !shown(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(shown()) << ::testing::PrintToString(p.Lines());
    WriteFile(p.dir / "B.c", "int b2;\n");
    driver.Wait();
    ASSERT_EQ(driver.Explanations().size(), 2u);
    EXPECT_TRUE(driver.Explanations()[0].translated);
    EXPECT_FALSE(driver.Explanations()[1].translated);
  }
  BuildDriver next(p.Deps());
  next.BuildTarget(p.project, p.target, kBuildModeBuild);
  ASSERT_EQ(next.Explanations().size(), 2u);
  EXPECT_FALSE(next.Explanations()[0].translated) << next.Explanations()[0].reason;
  EXPECT_TRUE(next.Explanations()[1].translated);
}

struct SameSecondRow {
  const char* name;
  bool withHeader;
};

class SameSecondEdit : public ::testing::TestWithParam<SameSecondRow> {};

// Sets a file's time to the given second and nanoseconds.
void SetTime(const std::string& path, time_t second, long nanoseconds) {
  const struct timespec times[2] = {{second, nanoseconds}, {second, nanoseconds}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// The stored times have whole seconds; two times from the disk do not, so
// an edit made in the second the object was written still counts. The
// files get their times from the test: the build wrote the object 0.3 s
// into a second and the source was saved 0.6 s into it.
TEST_P(SameSecondEdit, IsTranslatedByTheNextBuild) {
  ArmGnuProject p;
  p.opts->out.flags.GENAPP = 0;
  const std::string text = GetParam().withHeader ? "#include \"H.h\"\nint m;\n" : "int m;\n";
  const time_t at = time(nullptr) - 100;
  WriteFile(p.dir / "H.h", "int h;\n");
  SetTime(p.dir / "H.h", at, 50000000);
  p.Add("M.c", kFileC, text);
  SetTime(p.dir / "M.c", at, 100000000);
  BuildDriver first(p.Deps());
  first.BuildTarget(p.project, p.target, kBuildModeBuild);
  ASSERT_TRUE(first.Explanations().at(0).translated);
  SetTime(p.dir / "M.o", at, 300000000);
  WriteFile(p.dir / "M.c", text + "int n;\n");
  SetTime(p.dir / "M.c", at, 600000000);
  BuildDriver again(p.Deps());
  again.BuildTarget(p.project, p.target, kBuildModeBuild);
  ASSERT_EQ(again.Explanations().size(), 1u);
  EXPECT_TRUE(again.Explanations()[0].translated) << again.Explanations()[0].reason;
}

INSTANTIATE_TEST_SUITE_P(Rows, SameSecondEdit,
                         ::testing::Values(SameSecondRow{"NoInclude", false}, SameSecondRow{"WithInclude", true}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pm2
