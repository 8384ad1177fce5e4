// The running IDE's builds know what changed: after a build that made the
// target, a build with nothing changed looks at no file; a change the
// watch saw is translated whatever the file times say; what changed while
// no driver watched is found by the times. Built with Debian's
// arm-none-eabi tools on a copy of the example project.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <functional>

#include "builder/driver/tools_project.h"
#include "project/files/project_open.h"
#include "example_copy.h"

namespace pm2 {
namespace {

void AgeFile(const std::string& path, int seconds) {
  struct utimbuf times{time(nullptr) - seconds, time(nullptr) - seconds};
  ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

struct ExampleInMemory : ToolsProject {
  bool Open() {
    const std::string root = test::InstallRoot();
    if (!FileExists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc")) return false;
    test::CopyExample(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", dir.Path());
    fs::remove_all(dir / "Obj");
    fs::create_directories(dir / "Obj");
    // Sources well in the past: an edit "with the clock moved back" is still older than the objects.
    for (const auto& e : fs::directory_iterator(dir.Path()))
      if (e.is_regular_file()) AgeFile(e.path().string(), 3000);
    std::string message;
    if (OpenProjectFile(dir.Path() + "Blinky.pm2", &message) != 0) return false;
    project = theApp().m_pProject;
    target = project->curTarget;
    info.toolset = kToolsetArmGnu;
    info.rootFolder = info.makerFolder = root + "ARM/";
    info.toolsFolder = info.rootFolder + "BIN/";
    info.secondFolder = info.armToolFolder = root + "GNU/";
    info.secondToolsFolder = root + "GNU/Arm-Tools/Bin/";
    slot = kToolsetArmGnu;
    theApp().m_pToolsetInfo[slot] = &info;
    savedSpawn = theApp().m_vspawnPath;
    theApp().m_vspawnPath = test::SpawnHelper();
    return true;
  }
  ~ExampleInMemory() { theApp().m_pProject = nullptr; }
  BuildDriverDeps IdeDeps() {
    BuildDriverDeps d = Deps();
    d.keepUpToDateState = true;
    return d;
  }
  // The files the last build compiled or assembled.
  std::vector<std::string> Translated(size_t from) const {
    std::vector<std::string> names;
    const auto lines = Lines();
    for (size_t i = from; i < lines.size(); ++i)
      for (const char* verb : {"compiling ", "assembling "})
        if (lines[i].rfind(verb, 0) == 0) names.push_back(lines[i].substr(std::strlen(verb), lines[i].find("...") - std::strlen(verb)));
    return names;
  }
  std::string Path(const char* name) const { return dir.Path() + name; }
};

struct MemoryRow {
  const char* name;
  std::function<void(ExampleInMemory&)> change;
  std::vector<std::string> translated;  // by the build after the change
  bool newDriver = false;               // the change is made while no driver runs (a closed IDE)
  std::function<void(ExampleInMemory&)> prepare = {};  // before the first build
};

class BuildMemory : public ::testing::TestWithParam<MemoryRow> {};

TEST_P(BuildMemory, TranslatesWhatChanged) {
  ExampleInMemory x;
  if (!x.Open()) GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
  if (GetParam().prepare) GetParam().prepare(x);
  auto driver = std::make_unique<BuildDriver>(x.IdeDeps());
  driver->BuildTarget(x.project, x.target, kBuildModeBuild);
  ASSERT_EQ(x.Translated(0).size(), 4u) << ::testing::PrintToString(x.Lines());
  EXPECT_TRUE(driver->LastRunChangedFiles());
  ASSERT_EQ(x.Lines().back(), "\"./Obj/Blinky.elf\" - 0 Error(s), 0 Warning(s).\n");
  // The first build after a full one checks every file (its own writes were
  // seen by the watch) and is remembered; the next one looks at nothing.
  driver->BuildTarget(x.project, x.target, kBuildModeBuild);
  size_t from = x.Lines().size();
  driver->BuildTarget(x.project, x.target, kBuildModeBuild);
  EXPECT_TRUE(driver->Explanations().empty()) << "no file looked at";
  EXPECT_FALSE(driver->LastRunChangedFiles()) << "nothing run, no include list renewed";
  const std::vector<std::string> lines = x.Lines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + long(from), lines.end()),
            (std::vector<std::string>{"Build target 'LPC2138'\n", "\"./Obj/Blinky.elf\" - 0 Error(s), 0 Warning(s).\n"}));
  if (GetParam().newDriver) driver.reset();
  GetParam().change(x);
  if (!driver) driver = std::make_unique<BuildDriver>(x.IdeDeps());
  from = x.Lines().size();
  driver->BuildTarget(x.project, x.target, kBuildModeBuild);
  EXPECT_EQ(x.Translated(from), GetParam().translated) << ::testing::PrintToString(x.Lines());
  EXPECT_EQ(x.Lines().back(), "\"./Obj/Blinky.elf\" - 0 Error(s), 0 Warning(s).\n");
  EXPECT_EQ(driver->LastRunChangedFiles(), !GetParam().translated.empty());
  // And then nothing again.
  driver->BuildTarget(x.project, x.target, kBuildModeBuild);
  from = x.Lines().size();
  driver->BuildTarget(x.project, x.target, kBuildModeBuild);
  EXPECT_TRUE(x.Translated(from).empty());
  EXPECT_TRUE(driver->Explanations().empty());
}

void Rewrite(ExampleInMemory& x, const char* name, int secondsAgo) {
  const std::string path = x.Path(name);
  WriteFile(path, ReadFile(path) + "\n/* edited */\n");
  AgeFile(path, secondsAgo);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BuildMemory,
    ::testing::Values(
        MemoryRow{"NothingChanged", [](ExampleInMemory&) {}, {}},
        // Saved with the clock set back: older than its object.
        MemoryRow{"SourceEditedWithTheClockBack", [](ExampleInMemory& x) { Rewrite(x, "LED.c", 2000); }, {"LED.c"}},
        MemoryRow{"HeaderEditedWithTheClockBack", [](ExampleInMemory& x) { Rewrite(x, "Timer.h", 2000); },
                  {"Blinky.c", "Timer.c"}},
        // An older copy renamed over the source, as editors save.
        MemoryRow{"OlderFileRenamedOverTheSource",
                  [](ExampleInMemory& x) {
                    WriteFile(x.Path("LED.c.new"), ReadFile(x.Path("LED.c")) + "\nint renamed;\n");
                    AgeFile(x.Path("LED.c.new"), 2500);
                    fs::rename(x.Path("LED.c.new"), x.Path("LED.c"));
                  },
                  {"LED.c"}},
        MemoryRow{"ObjectDeleted", [](ExampleInMemory& x) { fs::remove(x.Path("Obj/Timer.o")); }, {"Timer.c"}},
        MemoryRow{"OptionChangedInMemory",
                  [](ExampleInMemory& x) {
                    FindTargetOptions(x.target->pOpts, x.target)->cGnu.ACDEFN = OptString("EXTRA=1");
                  },
                  {"Blinky.c", "LED.c", "Timer.c"}},
        // The header is a link to a file in a folder the project does not
        // name, edited there by another program: the edit is seen in that
        // folder.
        MemoryRow{"LinkedHeaderEditedOutside", [](ExampleInMemory& x) { Rewrite(x, "shared/Timer.h", 2000); },
                  {"Blinky.c", "Timer.c"}, false,
                  [](ExampleInMemory& x) {
                    fs::create_directories(x.dir / "shared");
                    fs::rename(x.Path("Timer.h"), x.Path("shared/Timer.h"));
                    fs::create_symlink("shared/Timer.h", x.Path("Timer.h"));
                  }},
        // Closed IDE: the next one knows nothing and goes by the times.
        MemoryRow{"EditedWhileNoDriverRan", [](ExampleInMemory& x) { Rewrite(x, "Timer.c", -5); }, {"Timer.c"}, true}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pm2
