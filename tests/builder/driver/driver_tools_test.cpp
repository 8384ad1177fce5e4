// The build driver with the stand-in tools as real child processes: the 51,
// 251 and 166 families build, link and convert to hex; stop requests
// between files and during the link; the single-file translation; user
// programs before and after the build; the EC++ path; command input files
// removed after the build.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "builder/build_test_support.h"
#include "builder/progress_shown.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/driver/build_driver_impl.h"
#include "builder/driver/tools_project.h"
#include "builder/commands/command_listing.h"
#include "builder/driver/build_driver.h"
#include "builder/driver/link_steps.h"
#include "builder/driver/dependency_file.h"
#include "builder/driver/run_journal.h"
#include "builder/runner/process_spawn.h"
#include "builder/runner/progress_channel.h"
#include "platform/notification_hub.h"
#include "project/environment/environment.h"
#include "project/model/app_state.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/recording_shell.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::WriteFile;

// The item a build recorded for a file of the project, or null.
const BuildItem* ItemOf(BuildDriver& driver, const FileRec* file) {
  for (const BuildItem& item : driver.State().items)
    if (item.file == file) return &item;
  return nullptr;
}

// Sets the build properties of a file's own block for the target.
void SetGenAsm(FileRec* file, TargetRec* target, uint8_t genAsm, uint8_t asmAsm) {
  OptionBlock* block = FindTargetOptions(file->pOpts, target);
  if (!block) {
    block = NewOptionBlock(kPoolProject);
    InitBuildPropOpts(block->prop, kLevelNode);
    block->owner = target;
    block->next = file->pOpts;
    file->pOpts = block;
  }
  block->prop.flags.GENASM = genAsm;
  block->prop.flags.ASMASM = asmAsm;
}


// Each family compiles a C file and assembles a source, links the objects
// the tools named themselves (upper case, as the original platform's tools
// do) and converts the output to hex.
TEST(DriverTools, EachFamilyBuildsLinksAndConverts) {
  struct Row {
    const char* name;
    uint16_t toolset;
    const char* folder;
    const char* asmName;
    const char* linker;
  } rows[] = {
      {"51", kToolset51, "Q51/", "Util.w51", "NB51"},
      {"251", kToolset251, "Q251/", "Util.w51", "N251"},
      {"166", kToolset166, "Q166/", "Util.w66", "N166"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ToolsProject f;
    f.SetUpProject(row.toolset, row.folder);
    f.Add("Main.c", kFileC);
    f.Add(row.asmName, kFileAsm, "; nothing\n");
    BuildDriver driver(f.Deps());
    driver.StartBuildThread(f.project, f.target, kBuildModeBuild);
    driver.Wait();
    EXPECT_TRUE(f.HasLine("compiling Main.c...\n"));
    EXPECT_TRUE(f.HasLine("linking...\n"));
    EXPECT_GE(f.LineIndex("creating hex file from"), 0);
    ASSERT_FALSE(f.Lines().empty());
    EXPECT_EQ(f.Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
    EXPECT_FALSE(f.target->TGSTAT & kBuildNotBuilt);
    // The linker was handed the objects under the names they have on disk.
    const std::string lnp = ReadFile(f.dir / "Blinky.lnp");
    EXPECT_NE(lnp.find("MAIN.OBJ"), std::string::npos) << lnp;
    EXPECT_TRUE(FileExists(f.dir / "Blinky"));
    EXPECT_TRUE(FileExists(f.dir / "Blinky.HEX"));
  }
}

// The 166 C++ source goes through the EC++ compiler, whose C file the C
// compiler translates into the object the linker takes.
TEST_F(ToolsFixture, Yq166CppSourceIsTranslatedTwiceAndLinked) {
  SetUpProject(kToolset166, "Q166/");
  Add("App.cpp", kFileCpp);
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  EXPECT_TRUE(HasLine("compiling App.cpp...\n"));
  EXPECT_TRUE(HasLine("compiling App.ic...\n"));
  EXPECT_TRUE(FileExists(dir / "App.ic"));
  EXPECT_NE(ReadFile(dir / "Blinky.lnp").find("APP.OBJ"), std::string::npos);
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
}

// A C++ file of a toolset without EC++ stops the build.
TEST_F(ToolsFixture, CppOutsideThe166FamilyIsRefused) {
  SetUpProject(kToolset51, "Q51/");
  Add("App.cpp", kFileCpp);
  Add("Main.c", kFileC);
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  EXPECT_TRUE(HasLine("no C++ support available\n"));
  EXPECT_EQ(LineIndex("compiling Main.c"), -1);
  EXPECT_EQ(Lines().back(), "Target not created\n");
}

// The 51 family's C++ sources (as C++ or as C files of the project) go
// through the translator the environment file names, as tool 29 with that
// program; without one a C file named ".cpp" stays with the C compiler.
TEST_F(ToolsFixture, Cpp51SourcesGoThroughTheNamedTranslator) {
  SetUpProject(kToolset51, "Q51/");
  info.cppTranslator = "ZZQ51.EXE";
  FileRec* cpp = Add("App.cpp", kFileCpp);
  FileRec* asC = Add("More.CPP", kFileC);
  FileRec* c = Add("Main.c", kFileC);
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
  for (const FileRec* file : {cpp, asC}) {
    const BuildItem* item = ItemOf(driver, file);
    ASSERT_NE(item, nullptr) << file->name.c_str();
    EXPECT_EQ(item->request.toolCode, 29) << file->name.c_str();
    EXPECT_EQ(item->request.altProgram, "ZZQ51.EXE");
    EXPECT_EQ(ReadFile(dir / WithoutQuotes(item->request.objectFile)).rfind("stand-in output of ZZQ51", 0), 0u);
  }
  ASSERT_NE(ItemOf(driver, c), nullptr);
  EXPECT_EQ(ItemOf(driver, c)->request.toolCode, 2);

  info.cppTranslator.clear();
  driver.BuildTarget(project, target, kBuildModeRebuild);
  EXPECT_TRUE(HasLine("no C++ support available\n"));
}

// An output folder the file system can't hold (a name too long) is
// reported and the target is not built; nothing is thrown to the top.
// The editor's tab size of C files reaches the compiler's listing controls.
TEST_F(ToolsFixture, TheCTabWidthGoesToTheCompilersListing) {
  SetUpProject(kToolset51, "Q51/");
  target->pOpts->lst.listFlags |= kLstC;
  FileRec* c = Add("Main.c", kFileC);
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  ASSERT_NE(ItemOf(driver, c), nullptr);
  EXPECT_EQ(ItemOf(driver, c)->request.controlString.find("TABS"), std::string::npos);
  driver.SetCTabWidth(8);
  driver.BuildTarget(project, target, kBuildModeRebuild);
  ASSERT_NE(ItemOf(driver, c), nullptr);
  EXPECT_NE(ItemOf(driver, c)->request.controlString.find("TABS (8)"), std::string::npos)
      << ItemOf(driver, c)->request.controlString;
}

TEST_F(ToolsFixture, OutputFolderWithTooLongANameIsReported) {
  SetUpProject(kToolset51, "Q51/");
  const std::string folder = ".\\" + std::string(300, 'x') + "\\";
  opts->out.OUTDIR = OptString(folder.c_str());
  Add("A.c", kFileC);
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  ASSERT_FALSE(Lines().empty());
  EXPECT_EQ(Lines().back().rfind("Path '" + folder + "' does not exist !", 0), 0u) << Lines().back();
  EXPECT_TRUE(target->TGSTAT & kBuildNotBuilt);
}

// An empty output name would give an image named ".elf": refused.
TEST_F(ToolsFixture, EmptyOutputNameIsRefused) {
  SetUpProject(kToolset51, "Q51/");
  opts->out.OUTNAME = OptString("  ");
  Add("A.c", kFileC);
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Output name of target 'Target 1' is empty !\n"}));
  EXPECT_TRUE(target->TGSTAT & kBuildNotBuilt);
}

// A project made hostile: it names its own folder (or one inside it) as
// the folder of its tools, and brings a program named like each of the
// family's tools there. None of them runs: the build says why before
// anything ran, and with the installation's folder the same project builds
// with the installation's tools.
struct PlantedToolRow {
  const char* name;
  uint16_t toolset;
  const char* binFolder;
  const char* envBin;  // the target's own tools' folder
};

class PlantedTools : public ToolsFixture, public ::testing::WithParamInterface<PlantedToolRow> {};

TEST_P(PlantedTools, ANamedLikeAToolInTheProjectNeverRuns) {
  const PlantedToolRow& row = GetParam();
  SetUpProject(row.toolset, row.binFolder);
  Add("A.c", kFileC);
  const std::string marker = dir / "planted-tool-ran";
  const std::string envBin = std::string(row.envBin) == "%D" ? dir.Path() : row.envBin;
  fs::create_directories(dir / "bin");
  // Every program of the installation's tool folder, planted under its name
  // (and its upper-case ".EXE" form) in the project's folder and "bin".
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(info.toolsFolder)) {
    const std::string name = e.path().filename().string();
    std::string upper = name;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& planted : {name, upper + ".EXE"})
      for (const std::string& folder : {dir.Path(), dir / "bin/"}) {
        WriteFile(folder + planted, "#!/bin/sh\ntouch '" + marker + "'\n");
        fs::permissions(folder + planted, fs::perms::owner_all);
      }
    names.push_back(name);
  }
  ASSERT_FALSE(names.empty()) << info.toolsFolder;
  target->USEENV = 1;
  target->ENVBIN = OptString(envBin.c_str());
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeRebuild);
  EXPECT_FALSE(FileExists(marker)) << "a planted program ran";
  ASSERT_FALSE(Lines().empty());
  EXPECT_EQ(Lines().back(), "*** Error: target 'Target 1': the folder of the tools '" + envBin +
                                "' lies in the project's folder ('" +
                                fs::weakly_canonical(fs::path(dir.Path()).parent_path()).string() +
                                "'): a program the project brings is never run as a tool (the tools' folder is set "
                                "on the Folders page)\n");
  EXPECT_TRUE(target->TGSTAT & kBuildNotBuilt);
  EXPECT_FALSE(FileExists(dir / "A.OBJ"));
  // The installation's folder named as the target's own builds with its tools.
  target->ENVBIN = OptString(info.toolsFolder.c_str());
  driver.BuildTarget(project, target, kBuildModeRebuild);
  EXPECT_FALSE(FileExists(marker)) << "a planted program ran";
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
}

INSTANTIATE_TEST_SUITE_P(Rows, PlantedTools,
                         ::testing::Values(PlantedToolRow{"Mcs51ProjectFolder", kToolset51, "Q51/", ".\\"},
                                           PlantedToolRow{"Mcs251SubFolder", kToolset251, "Q251/", ".\\bin\\"},
                                           PlantedToolRow{"Family166ProjectFolderByName", kToolset166, "Q166/", "%D"}),
                         [](const auto& info) { return std::string(info.param.name); });

// One build of a target at a time: a second driver (as another instance
// would) says so and touches none of the target's files.
TEST_F(ToolsFixture, SecondBuildOfATargetIsRefusedAndTouchesNothing) {
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC);
  auto first = std::make_unique<BuildDriver>(Deps());
  ASSERT_TRUE(first->ClaimTarget(project, target));
  BuildDriver second(Deps());
  second.StartBuildThread(project, target, kBuildModeBuild);
  second.Wait();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Target 'Target 1' is being built by another build\n"}));
  EXPECT_TRUE(target->TGSTAT & kBuildNotBuilt);
  EXPECT_FALSE(FileExists(dir / "A.OBJ"));
  EXPECT_FALSE(FileExists(dir / "Blinky.lnp"));
  // The holder builds; once it lets go, so does the other.
  first->BuildTarget(project, target, kBuildModeBuild);
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
  first.reset();
  second.BuildTarget(project, target, kBuildModeBuild);
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
}

// What a killed build's journal names is deleted by the next one; a line
// cut off by the kill is skipped.
TEST(RunJournal, NextBuildDeletesWhatAKilledOneLeft) {
  test::ScratchFolder dir;
  for (const char* name : {"Main.o", "Main.__i", "Pm2__cap", "Keep.o"}) WriteFile(dir / name, "x");
  WriteFile(dir / "B.pm2run", "O ./Main.o\nC " + dir.Path() + "Main.__i\nT " + dir.Path() +
                                  "Pm2__cap\nX whatever\nO ./Keep.o");  // cut off: no line end
  RunJournal journal;
  const int deleted = journal.Begin(dir / "B.pm2run", [&](const std::string& stored) {
    return dir.Path() + stored.substr(2);
  }, JournalScope{{dir.Path()}, {}, nullptr});
  EXPECT_EQ(deleted, 3);
  EXPECT_FALSE(FileExists(dir / "Main.o"));
  EXPECT_FALSE(FileExists(dir / "Main.__i"));
  EXPECT_FALSE(FileExists(dir / "Pm2__cap"));
  EXPECT_TRUE(FileExists(dir / "Keep.o"));
  EXPECT_FALSE(FileExists(dir / "B.pm2run"));
  journal.StepStarting({"./Next.o"});
  EXPECT_EQ(ReadFile(dir / "B.pm2run"), "O ./Next.o\n");
  journal.CaptureStarting(dir / "Pm2__cap2");
  journal.StepDone();
  EXPECT_EQ(ReadFile(dir / "B.pm2run"),
            "O ./Next.o\nT " + dir.Path() + "Pm2__cap2\no ./Next.o\nt " + dir.Path() + "Pm2__cap2\n");
  journal.End();
  EXPECT_FALSE(FileExists(dir / "B.pm2run"));
}

struct ReplayRow {
  const char* name;
  const char* journal;   // {d} stands for the folder
  const char* deleted;   // the files that must be gone, blank-separated
  const char* kept;
};

class JournalReplay : public ::testing::TestWithParam<ReplayRow> {};

// The entries are replayed in order: an output marked complete and a
// capture marked gone stay; one named again after its mark goes.
TEST_P(JournalReplay, DeletesWhatIsNotMarkedDone) {
  test::ScratchFolder dir;
  for (const char* name : {"A.o", "B.o", "Pm2__cap1", "Pm2__cap2", "A.__i"}) WriteFile(dir / name, "x");
  auto expand = [&](std::string text) {
    for (size_t at; (at = text.find("{d}")) != std::string::npos;) text.replace(at, 3, dir.Path());
    return text;
  };
  WriteFile(dir / "B.pm2run", expand(GetParam().journal));
  RunJournal journal;
  journal.Begin(dir / "B.pm2run", [&](const std::string& stored) { return dir.Path() + stored.substr(2); },
                JournalScope{{dir.Path()}, {}, nullptr});
  std::istringstream deleted(GetParam().deleted), kept(GetParam().kept);
  for (std::string name; deleted >> name;) EXPECT_FALSE(FileExists(dir / name)) << name;
  for (std::string name; kept >> name;) EXPECT_TRUE(FileExists(dir / name)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JournalReplay,
    ::testing::Values(
        ReplayRow{"StepDone", "O ./A.o\nT {d}Pm2__cap1\no ./A.o\nt {d}Pm2__cap1\n", "", "A.o Pm2__cap1"},
        ReplayRow{"SecondStepUnderWay", "O ./A.o\no ./A.o\nO ./B.o\nT {d}Pm2__cap2\n", "B.o Pm2__cap2", "A.o"},
        ReplayRow{"NamedAgainAfterItsMark", "O ./A.o\no ./A.o\nO ./A.o\n", "A.o", ""},
        ReplayRow{"CaptureReplaced", "O ./A.o\nT {d}Pm2__cap1\nt {d}Pm2__cap1\nT {d}Pm2__cap2\n", "A.o Pm2__cap2",
                  "Pm2__cap1"},
        ReplayRow{"CommandFileAlwaysGoes", "C {d}A.__i\nO ./A.o\no ./A.o\n", "A.__i", "A.o"},
        ReplayRow{"MarkCutOff", "O ./A.o\no ./A.o", "A.o", ""}),
    [](const auto& row) { return std::string(row.param.name); });

struct ForeignRow {
  const char* name;
  const char* entry;   // the journal's line; {d} the project folder, {o} a folder outside it
  const char* victim;  // the file it names, made before the build ({o}/ for the outside folder)
};

class ForeignJournalEntry : public ToolsFixture, public ::testing::WithParamInterface<ForeignRow> {};

// A journal names only what a build writes itself: an entry naming any
// other file is left alone, with a warning, and the build goes on.
TEST_P(ForeignJournalEntry, IsLeftAloneWithAWarning) {
  SetUpProject(kToolset51, "Q51/");
  Add("Main.c", kFileC);
  Add("Util.w51", kFileAsm, "; nothing\n");
  test::ScratchFolder outside;
  auto expand = [&](std::string text) {
    for (size_t at; (at = text.find("{d}")) != std::string::npos;) text.replace(at, 3, dir.Path());
    for (size_t at; (at = text.find("{o}")) != std::string::npos;) text.replace(at, 3, outside.Path());
    return text;
  };
  const std::string victim = expand(GetParam().victim);
  WriteFile(outside / "target.o", "precious\n");
  if (!FileExists(victim)) WriteFile(victim, "precious\n");
  const std::string before = ReadFile(victim);
  fs::create_symlink(outside / "target.o", dir / "Linked.o");
  WriteFile(dir / "Blinky.pm2run", expand(GetParam().entry) + "\n");
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  EXPECT_EQ(ReadFile(victim), before);
  EXPECT_EQ(ReadFile(outside / "target.o"), "precious\n");
  EXPECT_TRUE(fs::is_symlink(dir / "Linked.o"));
  EXPECT_GE(LineIndex("*** WARNING: '" + dir.Path() + "Blinky.pm2run' names '"), 0);
  ASSERT_FALSE(Lines().empty());
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ForeignJournalEntry,
    ::testing::Values(ForeignRow{"Source", "O .\\Main.c", "{d}Main.c"},
                      ForeignRow{"SourceAsCommandFile", "C {d}Main.c", "{d}Main.c"},
                      ForeignRow{"ProjectFile", "O .\\P.pm2", "{d}P.pm2"},
                      ForeignRow{"OptionsFile", "O .\\P.Opt", "{d}P.Opt"},
                      ForeignRow{"HeaderBesideTheOutputs", "O .\\Main.h", "{d}Main.h"},
                      ForeignRow{"OutsideTheProject", "C {o}Main.__i", "{o}Main.__i"},
                      ForeignRow{"AbsoluteOutput", "O {o}Other.o", "{o}Other.o"},
                      ForeignRow{"CaptureOutside", "T {o}Pm2__1234", "{o}Pm2__1234"},
                      ForeignRow{"ParentFolder", "O sub\\..\\Keep.o", "{d}Keep.o"},
                      ForeignRow{"Link", "O .\\Linked.o", "{o}target.o"},
                      ForeignRow{"NotACaptureFile", "T {d}notes.txt", "{d}notes.txt"},
                      ForeignRow{"FamilyAssemblerSource", "O .\\Start.a67", "{d}Start.a67"},
                      ForeignRow{"FamilyAssemblerSourceUpperCase", "O .\\START.A167", "{d}START.A167"}),
    [](const auto& row) { return std::string(row.param.name); });

// A parent folder in an entry is taken only as part of the output or
// listing folder the options name; anywhere else it is refused.
TEST(RunJournal, ParentFoldersOnlyThroughTheOptionsOwnFolders) {
  test::ScratchFolder dir;
  fs::create_directories(dir / "proj/sub");
  fs::create_directories(dir / "out");
  WriteFile(dir / "out/main.o", "x");
  // The folders' local form is the one the build resolves from "..\\out\\".
  const JournalScope scope{{dir / "proj/../out/"}, {"..\\out\\"}, nullptr};
  const std::string local = dir / "proj/../out/main.o";
  EXPECT_EQ(JournalEntryRefusal('O', "..\\out\\main.o", local, scope), "");
  EXPECT_EQ(JournalEntryRefusal('O', "..\\OUT/main.o", local, scope), "");
  EXPECT_EQ(JournalEntryRefusal('O', "..\\out\\..\\out\\main.o", local, scope), "its path goes up a folder");
  EXPECT_EQ(JournalEntryRefusal('O', "sub\\..\\..\\out\\main.o", local, scope), "its path goes up a folder");
  EXPECT_EQ(JournalEntryRefusal('C', dir / "proj/../out/../out/main.o", dir / "proj/../out/../out/main.o", scope),
            "its path goes up a folder");
  const JournalScope noParent{{dir / "out/"}, {"Obj\\"}, nullptr};
  EXPECT_EQ(JournalEntryRefusal('O', "..\\out\\main.o", local, noParent), "its path goes up a folder");
}

// A killed link's command file write leaves its temporary file named in the
// journal, and the tools' own temporary folder holds what they left: the
// next build takes both away.
TEST_F(ToolsFixture, KilledBuildsTemporaryFilesGo) {
  SetUpProject(kToolset51, "Q51/");
  Add("Main.c", kFileC);
  BuildDriverDeps deps = Deps();
  deps.tempFolder.clear();  // the build's own temporary folder
  fs::create_directory(dir / "Blinky.pm2tmp");
  WriteFile(dir / "Blinky.pm2tmp/left", "x");
  WriteFile(dir / "Blinky.lnp.~pm2tmp77_3", "x");
  WriteFile(dir / "Blinky.pm2run", "C " + dir.Path() + "Blinky.lnp.~pm2tmp77_3\n");
  BuildDriver driver(deps);
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
  EXPECT_FALSE(FileExists(dir / "Blinky.lnp.~pm2tmp77_3"));
  EXPECT_FALSE(FileExists(dir / "Blinky.pm2tmp/left"));
  // The build's own temporary folder went with it.
  EXPECT_FALSE(fs::exists(dir / "Blinky.pm2tmp"));
}

// A build leaves in the output folder only what it makes: the tools'
// temporary folder and its lock file go at its end, whether it built,
// failed or was stopped. The idle folders earlier builds left (also of an
// output name no longer built) go too; one that holds anything but its
// lock file stays.
TEST(ToolTempFolder, ABuildLeavesNoneBuiltFailedOrStopped) {
  const struct {
    const char* name;
    const char* source;
    bool stop;
    const char* last;
  } rows[] = {
      {"Built", "int a;\n", false, "\"Blinky\" - 0 Error(s), 0 Warning(s).\n"},
      {"Failed", "int a;\n// !standin error 141 2 syntax error\n", false, "Target not created\n"},
      // The compiler waits until the stop ends it (a second start that never
      // comes), however slow the machine.
      {"Stopped", nullptr, true, "Target not created\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ToolsProject f;
    f.SetUpProject(kToolset51, "Q51/");
    const std::string held = "int a;\n// !standin meet " + (f.dir / "held") + " 2 600\n";
    f.Add("A.c", kFileC, r.source ? r.source : held.c_str());
    fs::create_directory(f.dir / "Renamed.pm2tmp");
    WriteFile(f.dir / "Renamed.pm2tmp/.pm2lock", "");
    fs::create_directory(f.dir / "Kept.pm2tmp");
    WriteFile(f.dir / "Kept.pm2tmp/notes", "x");
    BuildDriverDeps deps = f.Deps();
    deps.tempFolder.clear();  // the build's own temporary folder
    BuildDriver driver(deps);
    driver.StartBuildThread(f.project, f.target, kBuildModeBuild);
    if (r.stop) {
      f.WaitForLine("compiling A.c");
      // The tools' folder is there while they run.
      EXPECT_TRUE(fs::is_directory(f.dir / "Blinky.pm2tmp"));
      EXPECT_EQ(driver.StopBuild(), 1);
    }
    driver.Wait();
    ASSERT_FALSE(f.Lines().empty());
    EXPECT_EQ(f.Lines().back(), r.last);
    EXPECT_EQ(ReadFile(f.dir / "Kept.pm2tmp/notes"), "x");
    fs::remove_all(f.dir / "Kept.pm2tmp");
    for (const auto& e : fs::recursive_directory_iterator(f.dir.Path())) {
      const std::string name = e.path().filename().string();
      EXPECT_EQ(name.find(".pm2tmp"), std::string::npos) << e.path();
      EXPECT_NE(name, ".pm2lock") << e.path();
    }
  }
}

// An image a killed build began is deleted by the next one, although its
// suffix starts like an assembler source's; a file of the project with an
// assembler suffix is never taken.
TEST_F(ToolsFixture, KilledBuildsImageGoesButAnAssemblerSourceStays) {
  SetUpProject(kToolset51, "Q51/");
  Add("Main.c", kFileC);
  WriteFile(dir / "Old.axf", "x");
  WriteFile(dir / "Old.a8x", "x");
  WriteFile(dir / "Keep.a8", "; source\n");
  WriteFile(dir / "Blinky.pm2run", "O .\\Old.axf\nO .\\Old.a8x\nO .\\Keep.a8\n");
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
  EXPECT_FALSE(FileExists(dir / "Old.axf"));
  EXPECT_FALSE(FileExists(dir / "Old.a8x"));
  EXPECT_EQ(ReadFile(dir / "Keep.a8"), "; source\n");
}

// The next build empties the tools' temporary folder only once the tools
// of the build before have ended, and never follows a link there.
TEST(ToolTempFolder, WaitsForEarlierToolsAndRefusesALink) {
  test::ScratchFolder dir;
  const std::string folder = dir / "T.pm2tmp/";
  ToolTempFolder earlier, next;
  std::string err;
  ASSERT_TRUE(earlier.Prepare(folder, 0, &err)) << err;
  WriteFile(folder + "ccA.s", "x");
  EXPECT_TRUE(next.Prepare(folder, 40, &err));
  EXPECT_EQ(err, "tools of an earlier build still use '" + dir.Path() + "T.pm2tmp'");
  EXPECT_TRUE(FileExists(folder + "ccA.s"));
  // A build that did not get the lock leaves the folder to its tools.
  next.Remove();
  EXPECT_TRUE(FileExists(folder + "ccA.s"));
  earlier.Release();
  err.clear();
  EXPECT_TRUE(next.Prepare(folder, 40, &err));
  EXPECT_EQ(err, "");
  EXPECT_FALSE(FileExists(folder + "ccA.s"));
  test::ScratchFolder elsewhere;
  WriteFile(elsewhere / "keep", "x");
  fs::create_directory_symlink(elsewhere.Path(), dir / "L.pm2tmp");
  ToolTempFolder linked;
  EXPECT_FALSE(linked.Prepare(dir / "L.pm2tmp/", 0, &err));
  EXPECT_EQ(err, "'" + dir.Path() + "L.pm2tmp' is no folder");
  EXPECT_TRUE(FileExists(elsewhere / "keep"));
}

// The folder goes at the build's end, and only the folder the build
// locked: one replaced by a link meanwhile is left, and what the link
// points to is never touched.
TEST(ToolTempFolder, RemoveTakesOnlyTheFolderItLocked) {
  test::ScratchFolder dir;
  const std::string folder = dir / "T.pm2tmp/";
  std::string err;
  {
    ToolTempFolder build;
    ASSERT_TRUE(build.Prepare(folder, 0, &err)) << err;
    WriteFile(folder + "ccA.s", "x");
    build.Remove();
    EXPECT_FALSE(fs::exists(dir / "T.pm2tmp"));
    ASSERT_TRUE(build.Prepare(folder, 0, &err)) << err;
    EXPECT_TRUE(fs::exists(folder + ".pm2lock"));
  }
  test::ScratchFolder elsewhere;
  WriteFile(elsewhere / "keep", "x");
  WriteFile(elsewhere / ".pm2lock", "");
  ToolTempFolder build;
  ASSERT_TRUE(build.Prepare(folder, 0, &err)) << err;
  fs::rename(dir / "T.pm2tmp", dir / "moved");
  fs::create_directory_symlink(elsewhere.Path(), dir / "T.pm2tmp");
  build.Remove();
  EXPECT_TRUE(fs::is_symlink(dir / "T.pm2tmp"));
  EXPECT_TRUE(FileExists(elsewhere / "keep"));
  EXPECT_TRUE(fs::exists(elsewhere / ".pm2lock"));
}

// The lock is handed to the tools only: a tool that outlives the build
// holds it, a program started without it does not.
TEST(ToolTempFolder, ToolsGivenTheLockHoldItAfterTheBuild) {
  test::ScratchFolder dir;
  const std::string folder = dir / "T.pm2tmp/";
  std::string err;
  for (const bool given : {true, false}) {
    SCOPED_TRACE(given ? "given" : "not given");
    ToolTempFolder build;
    ASSERT_TRUE(build.Prepare(folder, 0, &err)) << err;
    SpawnSpec spec;
    spec.commandLine = "/bin/sleep 0.5";
    spec.inheritFd = given ? build.LockFd() : -1;
    SpawnResult tool = SpawnProcess(spec);
    ASSERT_GE(tool.pid, 0) << tool.error;
    build.Release();  // the build was killed; its tool runs on
    WriteFile(folder + "ccB.s", "x");
    ToolTempFolder next;
    err.clear();
    EXPECT_TRUE(next.Prepare(folder, 0, &err));
    EXPECT_EQ(FileExists(folder + "ccB.s"), given);
    EXPECT_EQ(WaitProcess(tool.pid, 5000), 0);
  }
}

TEST(TargetBuildLock, OneHolderPerProjectAndTarget) {
  test::ScratchFolder dir;
  TargetBuildLock a, b, c;
  ASSERT_TRUE(a.Acquire(dir.Path(), "/p/P.pm2", "T1"));
  EXPECT_FALSE(b.Acquire(dir.Path(), "/p/P.pm2", "T1"));
  EXPECT_TRUE(c.Acquire(dir.Path(), "/p/P.pm2", "T2")) << "another target builds at the same time";
  a.Release();
  EXPECT_TRUE(b.Acquire(dir.Path(), "/p/P.pm2", "T1"));
  // Builds that end leave no lock file behind, and the name is taken anew.
  b.Release();
  c.Release();
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  EXPECT_TRUE(a.Acquire(dir.Path(), "/p/P.pm2", "T1"));
  EXPECT_FALSE(b.Acquire(dir.Path(), "/p/P.pm2", "T1"));
  EXPECT_NE(TargetLockPath("/r", "/p/ab", "c"), TargetLockPath("/r", "/p/a", "bc"));
  // Without a usable folder the build is not refused, only unguarded.
  TargetBuildLock none;
  std::string err;
  EXPECT_TRUE(none.Acquire(dir / "no/such/folder/", "/p/P.pm2", "T1", &err));
  EXPECT_FALSE(none.Held());
  EXPECT_FALSE(err.empty());
}

// A copy of the lock's handle in a child that is about to run another
// program (a tool a killed build was starting) goes when the child does:
// the next build waits for that instead of calling it another build.
TEST(TargetBuildLock, AHolderThatGoesWithinTheGraceTimeIsNoBuild) {
  test::ScratchFolder dir;
  auto holder = std::make_unique<TargetBuildLock>();
  ASSERT_TRUE(holder->Acquire(dir.Path(), "/p/P.pm2", "T1"));
  std::thread release([&holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    holder->Release();
  });
  TargetBuildLock next;
  EXPECT_TRUE(next.Acquire(dir.Path(), "/p/P.pm2", "T1"));
  release.join();
  // One that stays is another build.
  TargetBuildLock late(50);
  EXPECT_FALSE(late.Acquire(dir.Path(), "/p/P.pm2", "T1"));
}

TEST_F(ToolsFixture, StopBetweenFilesAbortsTheBuild) {
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC, "int a;\n// !standin sleep 0.5\n");
  Add("B.c", kFileC);
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  WaitForLine("compiling A.c");
  EXPECT_EQ(driver.StopBuild(), 1);
  driver.Wait();
  EXPECT_EQ(LineIndex("compiling B.c"), -1);
  EXPECT_TRUE(HasLine("Project build/rebuild aborted.\n"));
  EXPECT_EQ(Lines().back(), "Target not created\n");
  EXPECT_EQ(driver.ResultTotal(), -1);
  EXPECT_TRUE(target->TGSTAT & kBuildNotBuilt);
}

TEST_F(ToolsFixture, StopWhileLinkingIsRefusedWithABeep) {
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC);
  ScopedEnv slow("PM2_STANDIN", "sleep 0.3");
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  WaitForLine("linking...");
  ASSERT_TRUE(driver.State().linkPhase.load());
  EXPECT_EQ(driver.StopBuild(), 0);
  driver.Wait();
  EXPECT_EQ(shell.shell.beeps, 1);
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
}

TEST_F(ToolsFixture, SingleFileTranslationLeavesTargetNotBuilt) {
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC);
  FileRec* b = Add("B.c", kFileC, "int b;\n// !standin warning 12 2 unused\n");
  opts->out.flags.bit4 = 1;  // beep when done
  BuildDriver driver(Deps());
  driver.StartTranslateThread(project, target, b);
  driver.Wait();
  EXPECT_EQ(LineIndex("compiling A.c"), -1);
  EXPECT_TRUE(HasLine("compiling B.c...\n"));
  EXPECT_EQ(Lines().back(), "B.c - 0 Error(s), 1 Warning(s).\n");
  EXPECT_TRUE(FileExists(dir / "B.OBJ"));
  EXPECT_EQ(shell.shell.beeps, 1);
  EXPECT_TRUE(target->TGSTAT & kBuildNotBuilt);
  for (const auto& e : hub.Entries()) {
    if (e.code == kNotifyBuildFinished) {
      EXPECT_EQ(e.arg, 1);
    }
  }
}

// The GUI thread may close the project as soon as it hears that the build
// ended: the build thread has read all it needs of the project before.
TEST_F(ToolsFixture, NothingOfTheProjectIsReadAfterTheEndIsTold) {
  struct ClosingHub : RecordingHub {
    TargetRec* target = nullptr;
    intptr_t Send(int code, intptr_t arg) override {
      if (code == kNotifyBuildFinished) target->pOpts = nullptr;  // the records are gone
      return RecordingHub::Send(code, arg);
    }
  };
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC);
  opts->dbg.flags |= driver_detail::kDebugAfterBuild;
  OptionBlock* blocks = target->pOpts;
  ClosingHub closing;
  closing.target = target;
  BuildDriver driver({&closing, &shell.shell, nullptr, dir.Path(), dir.Path()});
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  target->pOpts = blocks;
  std::vector<int> codes;
  for (const auto& e : closing.Entries())
    if (e.code == kNotifyBuildFinished || e.code == kNotifyDebugAfterBuild) codes.push_back(e.code);
  EXPECT_EQ(codes, (std::vector<int>{kNotifyBuildFinished, kNotifyDebugAfterBuild}));
}

// The programs before the build run first, those after it only after a
// good link, each through the spawn helper in the project folder.
TEST_F(ToolsFixture, UserProgramsRunBeforeAndAfterTheBuild) {
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC);
  opts->out.flags.BRUNUSR0 = 1;
  opts->out.BRUNUSR[0] = OptString("/bin/touch before.txt");
  opts->out.flags.RUNUSR1 = 1;
  opts->out.RUNUSR[1] = OptString("/bin/touch after.txt");
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  const int before = LineIndex("User command #1: /bin/touch before.txt");
  const int compile = LineIndex("compiling A.c");
  const int link = LineIndex("linking...");
  const int after = LineIndex("User command #2: /bin/touch after.txt");
  ASSERT_GE(before, 0);
  EXPECT_LT(before, compile);
  EXPECT_LT(link, after);
  EXPECT_TRUE(FileExists(dir / "before.txt"));
  EXPECT_TRUE(FileExists(dir / "after.txt"));
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
}

// A long user command is printed whole with its line end.
TEST_F(ToolsFixture, LongUserCommandLineIsPrintedWhole) {
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC);
  const std::string command = "/bin/true " + std::string(1000, 'x');
  opts->out.flags.BRUNUSR0 = 1;
  opts->out.BRUNUSR[0] = OptString(command.c_str());
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  EXPECT_TRUE(HasLine("User command #1: " + command + "\n"));
}

// A user program's key sequences name the files the shell handed for the
// build ("E" the editor's, "F" the one a translation would work on); one
// that names a file the build was not given runs nothing (its cut line
// would delete the output folder) and counts as an error that names it.
TEST_F(ToolsFixture, UserProgramRunsOnlyWhenItsKeySequencesAreFilled) {
  struct Row {
    const char* name;
    bool files;
    const char* command;
    const char* written;  // seq.txt after the build; null: not written
    const char* error;    // the error line; null: none
  } rows[] = {
      {"file and position given", true, "/bin/sh -c \"echo %F ~F ^F #E > seq.txt\"", "util.c 4 7 /p/src/main.c\n",
       nullptr},
      {"no file to translate", false, "/bin/rm -rf ./Obj/@F_old", nullptr,
       "error - key sequence '@F' cannot be filled: no file is selected in the project window or open in an "
       "editor; the command is not run\n"},
      {"no editor file", false, "/bin/sh -c \"echo %E > seq.txt\"", nullptr,
       "error - key sequence '%E' cannot be filled: no file is open in an editor; the command is not run\n"},
  };
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const size_t first = Lines().size();
    fs::remove(dir / "seq.txt");
    fs::create_directories(dir / "Obj");
    WriteFile(dir / "Obj/keep.txt", "kept");
    opts->out.flags.BRUNUSR0 = 1;
    opts->out.BRUNUSR[0] = OptString(r.command);
    BuildDriver driver(Deps());
    if (r.files)
      driver.SetUserProgramFiles({FilePosition{"/p/src/main.c", 12, 3}, FilePosition{"/p/lib/util.c", 7, 4}});
    driver.StartBuildThread(project, target, kBuildModeBuild);
    driver.Wait();
    EXPECT_TRUE(FileExists(dir / "Obj/keep.txt"));
    if (r.written)
      EXPECT_EQ(ReadFile(dir / "seq.txt"), r.written);
    else
      EXPECT_FALSE(FileExists(dir / "seq.txt"));
    const std::vector<std::string> all = Lines();
    const std::vector<std::string> lines(all.begin() + std::ptrdiff_t(first), all.end());
    ASSERT_FALSE(lines.empty());
    if (r.error) {
      ASSERT_GE(lines.size(), 3u);
      EXPECT_EQ(lines[1], std::string("User command #1: ") + r.command + "\n");
      EXPECT_EQ(lines[2], r.error);
      EXPECT_EQ(driver.ResultTotal(), 1);
      EXPECT_EQ(lines.back(), "Target not created\n");
    } else {
      EXPECT_EQ(lines.back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
    }
  }
}

// A file with errors stops the link but not the following files; no user
// program runs after it.
TEST_F(ToolsFixture, ErrorsStopTheLinkButNotTheNextFile) {
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC, "int a;\n// !standin error 141 2 syntax error\n");
  Add("B.c", kFileC);
  opts->out.flags.RUNUSR0 = 1;
  opts->out.RUNUSR[0] = OptString("/bin/touch after.txt");
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  EXPECT_GE(LineIndex("compiling B.c"), 0);
  EXPECT_EQ(LineIndex("linking..."), -1);
  EXPECT_FALSE(FileExists(dir / "after.txt"));
  EXPECT_EQ(Lines().back(), "Target not created\n");
}

// Items without a command input file (an object of the project) do not
// end the cleanup: the files of the translations after them go too.
TEST_F(ToolsFixture, CommandInputFilesAreRemovedPastItemsWithoutOne) {
  SetUpProject(kToolset51, "Q51/");
  WriteFile(dir / "Lib.obj", "object");
  Add("Lib.obj", kFileObject);
  Add("A.c", kFileC);
  Add("U.w51", kFileAsm, "; nothing\n");
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, kBuildModeBuild);
  driver.Wait();
  ASSERT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
  EXPECT_TRUE(FilesWithExtension(".__i").empty());
  EXPECT_TRUE(FilesWithExtension("._ia").empty());
  EXPECT_TRUE(FileExists(dir / "Blinky.lnp"));  // the linker's stays for the next test
}

// A system header of the ARM-GNU toolchain is found in the toolset's
// Include folder, so it does not make its includer out of date.
TEST_F(ToolsFixture, ArmGnuSystemHeaderKeepsTheFileUpToDate) {
  const std::string root = test::InstallRoot();
  if (!FileExists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc") || !FileExists(root + "GNU/Arm-Tools/Include/stdint.h"))
    GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
  SetUpProject(kToolsetArmGnu, "ARM/");
  info.makerFolder = info.rootFolder;
  info.secondFolder = info.armToolFolder = root + "GNU/";
  info.secondToolsFolder = root + "GNU/Arm-Tools/Bin/";
  opts->out.flags.GENAPP = 0;  // objects only: no startup code to link
  Add("Main.c", kFileC, "#include <stdint.h>\nuint32_t counter;\n");
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  ASSERT_GE(LineIndex("compiling Main.c"), 0);
  ASSERT_TRUE(FileExists(dir / "Main.o")) << ReadFile(dir / "Main.__i");
  const size_t firstBuild = Lines().size();
  driver.BuildTarget(project, target, kBuildModeBuild);
  const auto lines = Lines();
  for (size_t i = firstBuild; i < lines.size(); ++i) EXPECT_EQ(lines[i].find("compiling"), std::string::npos);
  ASSERT_EQ(driver.Explanations().size(), 1u);
  EXPECT_FALSE(driver.Explanations()[0].translated) << driver.Explanations()[0].reason;
}

// The compiler line of a group's C files is made once and reused with each
// file's object name: whatever lies between them (a file with options of
// its own, an assembler source, another group), each line is the one made
// from nothing for that file.
TEST_F(ToolsFixture, ReusedGnuCompilerLinesAreTheFilesOwn) {
  const std::string root = test::InstallRoot();
  if (!FileExists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc")) GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
  SetUpProject(kToolsetArmGnu, "ARM/");
  info.makerFolder = info.rootFolder;
  info.secondFolder = info.armToolFolder = root + "GNU/";
  info.secondToolsFolder = root + "GNU/Arm-Tools/Bin/";
  opts->out.flags.GENAPP = 0;  // objects only
  opts->cGnu.ACDEFN = OptString("ALL");
  Add("a.c", kFileC);
  FileRec* own = Add("b.c", kFileC);
  SetGenAsm(own, target, 0, 0);  // a block of its own...
  FindTargetOptions(own->pOpts, target)->cGnu.ACDEFN = OptString("ONLY_B");  // ...with a define of its own
  Add("c.c", kFileC);
  Add("s.s", kFileAsm, "  .text\n");
  Add("d e.c", kFileC);
  GroupRec* second = AddGroup(project, "Second");
  OptionBlock* groupBlock = NewOptionBlock(kPoolProject);
  InitBuildPropOpts(groupBlock->prop, kLevelNode);
  groupBlock->owner = target;
  groupBlock->cGnu.ACDEFN = OptString("GROUP_TWO");
  second->pOpts = groupBlock;
  WriteFile(dir / "f.c", "int f;\n");
  AddFileToGroup(second, "f.c", ".\\", kFileC);
  WriteFile(dir / "g.c", "int g;\n");
  AddFileToGroup(second, "g.c", ".\\", kFileC);
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  ASSERT_GE(LineIndex("compiling g.c"), 0) << testing::PrintToString(Lines());
  ClearDependencyData(*project);
  ASSERT_EQ(ReadDependencyFile(*project, *target), 1);
  int checked = 0;
  for (GroupRec* g = project->firstGroup; g; g = g->next)
    for (FileRec* f = g->firstFile; f; f = f->next) {
      if (f->type != kFileC) continue;
      CommandContext fresh;
      fresh.m_szToolsFolder = info.toolsFolder;
      MakeGnuCcCommand(fresh, f, target, true);
      EXPECT_EQ(f->lastControls.view(), fresh.Text()) << f->name.str();
      ++checked;
    }
  EXPECT_EQ(checked, 6);
}

// The compiler writing assembler source: the old object is deleted first;
// assembled, the source's object goes to the link through the family's
// assembler and its controls; not assembled, nothing goes to the link.
TEST(DriverTools, GeneratedAssemblerSourceEveryFamily) {
  const std::string root = test::InstallRoot();
  struct Family {
    const char* name;
    uint16_t toolset;
    const char* folder;
    const char* staleObject;  // as an earlier build left it
    uint16_t compiler, assembler;
    const char* asmControls;
  } families[] = {
      {"51", kToolset51, "Q51/", "MAIN.OBJ", 2, 8, "PR(.\\Main.ls1) EP DEBUG"},
      {"166", kToolset166, "Q166/", "MAIN.OBJ", 3, 10, "PR(.\\Main.ls1) EP DEBUG"},
      {"ARM-GNU", kToolsetArmGnu, "ARM/", "Main.o", 31, 32, "-mcpu=arm7tdmi -o Main.o"},
      {"ARM-ADS", kToolsetArmAds, "ARM/", "Main.o", 36, 37, "-g -o Main.o"},
  };
  struct Combination {
    uint8_t genAsm, asmAsm;
  } combinations[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
  for (const Family& fam : families) {
    for (const Combination& co : combinations) {
      SCOPED_TRACE(std::string(fam.name) + " GENASM " + std::to_string(co.genAsm) + " ASMASM " +
                   std::to_string(co.asmAsm));
      ToolsProject f;
      f.SetUpProject(fam.toolset, fam.folder);
      if (fam.toolset == kToolsetArmGnu) f.info.makerFolder = f.info.secondToolsFolder = root + "ARM/GNU/bin/";
      if (fam.toolset == kToolsetArmAds) f.info.secondToolsFolder = root + "ARM/ADS/BIN/";
      f.opts->out.flags.DEBUG = 1;
      FileRec* main = f.Add("Main.c", kFileC);
      SetGenAsm(main, f.target, co.genAsm, co.asmAsm);
      WriteFile(f.dir / fam.staleObject, "stale");
      BuildDriver driver(f.Deps());
      driver.BuildTarget(f.project, f.target, kBuildModeBuild);
      const BuildItem* item = ItemOf(driver, main);
      if (!co.genAsm) {
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->request.toolCode, fam.compiler);
      } else if (!co.asmAsm) {
        EXPECT_EQ(item, nullptr);
        EXPECT_FALSE(FileExists(f.dir / fam.staleObject));
      } else {
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->request.toolCode, fam.assembler);
        EXPECT_EQ(item->request.controlString, fam.asmControls);
        const std::string object = WithoutQuotes(item->request.objectFile);
        EXPECT_EQ(ReadFile(f.dir / object).rfind("stand-in output of", 0), 0u) << object;
      }
      EXPECT_EQ(driver.State().errors, 0) << ::testing::PrintToString(f.Lines());
    }
  }
}

// The module-continuation control of the 51 family's extended assembler.
TEST_F(ToolsFixture, GeneratedSourceOfContiguous51ModeIsAssembledWithModCont) {
  SetUpProject(kToolset51, "Q51/");
  opts->t51.T51FL = 0x80000 | 0x10000 | 0x8000;
  opts->t51.ROMSZ5 = 4;
  opts->out.flags.DEBUG = 0;
  opts->out.flags.GENAPP = 0;
  FileRec* main = Add("Main.c", kFileC);
  SetGenAsm(main, target, 1, 1);
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  const BuildItem* item = ItemOf(driver, main);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->request.toolCode, 23);  // WX51
  EXPECT_EQ(item->request.controlString, "PR(.\\Main.ls1) EP MOD_CONT");
}

// The EC++ path: the C compiler's second pass writes assembler source; the
// old object goes first, and the source is assembled into the linked object.
TEST_F(ToolsFixture, Yq166GeneratedSourceIsAssembled) {
  SetUpProject(kToolset166, "Q166/");
  opts->out.flags.GENAPP = 0;
  FileRec* app = Add("App.cpp", kFileCpp);
  SetGenAsm(app, target, 1, 1);
  WriteFile(dir / "APP.OBJ", "stale");
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  const BuildItem* item = ItemOf(driver, app);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->request.toolCode, 10);
  EXPECT_EQ(ReadFile(dir / WithoutQuotes(item->request.objectFile)).rfind("stand-in output of W166", 0), 0u);
}

void SetTimeAgo(const std::string& path, int seconds) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
}

// An ARM-ADS target with the stand-in tools: compile, link with the trace
// file, hex; then only what a changed header, source or scatter file needs.
TEST_F(ToolsFixture, ArmAdsBuildsEndToEnd) {
  SetUpProject(kToolsetArmAds, "ARM/");
  info.secondToolsFolder = test::InstallRoot() + "ARM/ADS/BIN/";
  opts->lAds.ADSLDSC = OptString("Blinky.sct");
  WriteFile(dir / "Blinky.sct", "LR 0 {}\n");
  WriteFile(dir / "Dev.h", "#define DEV 1\n");
  Add("Main.c", kFileC, "#include \"Dev.h\"\nint x = DEV;\n");
  Add("Util.c", kFileC, "int y;\n");
  for (const char* name : {"Blinky.sct", "Dev.h", "Main.c", "Util.c"}) SetTimeAgo(dir / name, 1000);
  BuildDriver driver(Deps());
  auto build = [&] {
    const size_t before = Lines().size();
    driver.BuildTarget(project, target, kBuildModeBuild);
    const auto all = Lines();
    return std::vector<std::string>(all.begin() + long(before), all.end());
  };
  auto has = [](const std::vector<std::string>& lines, const std::string& start) {
    for (const auto& l : lines)
      if (l.rfind(start, 0) == 0) return true;
    return false;
  };

  auto lines = build();
  EXPECT_TRUE(has(lines, "compiling Main.c")) << ::testing::PrintToString(lines);
  EXPECT_TRUE(has(lines, "linking..."));
  EXPECT_TRUE(has(lines, "FromELF: creating hex file..."));
  EXPECT_EQ(lines.back(), "\"Blinky.axf\" - 0 Error(s), 0 Warning(s).\n");
  EXPECT_TRUE(FileExists(dir / "Blinky.axf"));
  EXPECT_TRUE(FileExists(dir / "Blinky.hex"));
  EXPECT_NE(ReadFile(dir / "Blinky.tra").find("### Preparing for ADS-LD.\n"), std::string::npos);
  const std::string dep = ReadFile(dir / "P_Target 1.dep");
  EXPECT_NE(dep.find("I (Dev.h)"), std::string::npos) << dep;
  for (const char* name : {"Main.o", "Util.o", "Blinky.axf", "Blinky.hex"}) SetTimeAgo(dir / name, 500);

  lines = build();
  EXPECT_FALSE(has(lines, "compiling")) << ::testing::PrintToString(lines);
  EXPECT_FALSE(has(lines, "linking"));
  EXPECT_NE(ReadFile(dir / "Blinky.tra").find("### No dirty Components\n"), std::string::npos);

  // A changed header retranslates exactly its includer, then the link.
  SetTimeAgo(dir / "Dev.h", 100);
  lines = build();
  EXPECT_TRUE(has(lines, "compiling Main.c")) << ::testing::PrintToString(lines);
  EXPECT_FALSE(has(lines, "compiling Util.c"));
  EXPECT_TRUE(has(lines, "linking..."));
  for (const char* name : {"Main.o", "Util.o", "Blinky.axf", "Blinky.hex"}) SetTimeAgo(dir / name, 50);

  // A newer scatter file relinks without translating.
  SetTimeAgo(dir / "Blinky.sct", 10);
  lines = build();
  EXPECT_FALSE(has(lines, "compiling")) << ::testing::PrintToString(lines);
  EXPECT_TRUE(has(lines, "linking..."));
}

// A dependency file the build cannot write (a folder has its name) is one
// of the build's errors: the counts say so and the target is not built.
TEST_F(ToolsFixture, ADependencyFileThatCannotBeWrittenIsCountedAsAnError) {
  SetUpProject(kToolsetArmAds, "ARM/");
  info.secondToolsFolder = test::InstallRoot() + "ARM/ADS/BIN/";
  opts->lAds.ADSLDSC = OptString("Blinky.sct");
  WriteFile(dir / "Blinky.sct", "LR 0 {}\n");
  Add("Main.c", kFileC, "int x;\n");
  fs::create_directories(dir / "P_Target 1.dep/in the way");
  BuildDriver driver(Deps());
  driver.BuildTarget(project, target, kBuildModeBuild);
  const auto lines = Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "\"Blinky.axf\" - 1 Error(s), 0 Warning(s).\n") << ::testing::PrintToString(lines);
  bool told = false;
  for (const std::string& l : lines) told = told || l.find("P_Target 1.dep") != std::string::npos;
  EXPECT_TRUE(told) << ::testing::PrintToString(lines);
  EXPECT_TRUE(target->TGSTAT & kBuildNotBuilt);
}

// Without a dependency file every C and assembler file of an ARM target is
// scanned under the progress "Scanning for Dependencies...", and the file
// is written; with one, it is read and nothing is scanned. The project
// window's include list comes from the data so gathered.
TEST_F(ToolsFixture, UpdateDependenciesRescansOnlyWithoutTheFile) {
  SetUpProject(kToolsetArmGnu, "ARM/");
  info.makerFolder = info.secondToolsFolder = test::InstallRoot() + "ARM/GNU/bin/";
  WriteFile(dir / "Dev.h", "#define DEV 1\n");
  FileRec* main = Add("Main.c", kFileC, "#include \"Dev.h\"\nint x = DEV;\n");
  FileRec* start = Add("Start.s", kFileAsm, "@ nothing\n");
  FileRec* header = Add("Dev.h", kFileText);
  struct Shown {
    uint32_t kind, position;
    std::string text;
  };
  std::vector<Shown> progress;
  DirectHub progressHub([&](int code, intptr_t arg) -> intptr_t {
    if (code != kNotifyIdeServiceCall) return 0;
    ProgressRecord record;
    EXPECT_TRUE(test::ProgressShown(code, arg, &record));
    progress.push_back({record.kind, record.position, record.text});
    return 0;
  });
  BuildDriverDeps deps = Deps();
  deps.hub = &progressHub;
  BuildDriver driver(deps);
  driver.UpdateDependencies(project, target);
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress.front().kind, 1u);
  EXPECT_EQ(progress.front().text, "Scanning for Dependencies...");
  EXPECT_EQ(progress[progress.size() - 2].position, 100u);
  EXPECT_EQ(progress.back().kind, 2u);
  EXPECT_FALSE(main->lastControls.empty());
  EXPECT_FALSE(start->lastControls.empty());
  const std::string dep = ReadFile(dir / "P_Target 1.dep");
  EXPECT_NE(dep.find("F (.\\Main.c)"), std::string::npos) << dep;
  EXPECT_NE(dep.find("I (Dev.h)"), std::string::npos) << dep;

  // The file is read back: no scan, the same data.
  progress.clear();
  const std::string controls = main->lastControls.str();
  driver.UpdateDependencies(project, target);
  EXPECT_TRUE(progress.empty());
  EXPECT_EQ(main->lastControls.str(), controls);
  ASSERT_NE(main->depIncludes, nullptr);
  EXPECT_EQ(main->depIncludes->path.str(), "Dev.h");

  EXPECT_EQ(driver.ScanFileIncludes(project, target, main), 2);
  ASSERT_NE(main->includes, nullptr);
  EXPECT_EQ(main->includes->name.str(), "Dev.h");
  EXPECT_EQ(main->includes->next, nullptr);
  EXPECT_EQ(driver.ScanFileIncludes(project, target, header), 0);
  EXPECT_EQ(driver.ScanFileIncludes(project, target, main, false), 0);
}

// "Create Batch File" makes a rebuild write the batch file; the "Run Target
// Debugger" bit beside it has nothing to do with it, and a plain build
// writes none.
struct BatchRow {
  const char* name;
  bool createBatch;
  bool runDebugger;
  int mode;
  bool written;
};
class BatchFileRows : public ToolsFixture, public ::testing::WithParamInterface<BatchRow> {};
TEST_P(BatchFileRows, WrittenByTheCreateBatchFileBox) {
  const BatchRow& r = GetParam();
  SetUpProject(kToolset51, "Q51/");
  Add("A.c", kFileC);
  opts->out.TGMORE = r.createBatch ? 1 : 0;
  opts->out.flags.bit6 = r.runDebugger;
  BuildDriver driver(Deps());
  driver.StartBuildThread(project, target, r.mode);
  driver.Wait();
  EXPECT_EQ(Lines().back(), "\"Blinky\" - 0 Error(s), 0 Warning(s).\n");
  const fs::path batch = dir / (target->name.str() + ".BAT");
  EXPECT_EQ(FileExists(batch), r.written);
  if (r.written) {
    EXPECT_NE(ReadFile(batch).find("SET CPU_TYPE="), std::string::npos) << ReadFile(batch);
    EXPECT_NE(ReadFile(batch).find("Q51"), std::string::npos) << ReadFile(batch);
  }
}
const BatchRow kBatchRows[] = {
    {"CreateBatchFileOnRebuild", true, false, kBuildModeRebuild, true},
    {"RunTargetDebuggerAlone", false, true, kBuildModeRebuild, false},
    {"CreateBatchFileOnPlainBuild", true, false, kBuildModeBuild, false},
};
INSTANTIATE_TEST_SUITE_P(Rows, BatchFileRows, ::testing::ValuesIn(kBatchRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Merge32K merges only a bank area of 0x8000 to 0xFFFF; the area's second
// value is its end address as the target page and the linker store it.
TEST(HexOptions, MergeNeedsTheUpperBankArea) {
  struct Row {
    const char* name;
    uint32_t start, end;
    bool merged;
  } rows[] = {
      {"upper half", 0x8000, 0xFFFF, true},
      {"upper half, end typed as 0x10000", 0x8000, 0x10000, true},
      {"ends below the top", 0x8000, 0xBFFF, false},
      {"starts lower", 0x4000, 0xFFFF, false},
  };
  for (const Row& r : rows) {
    OptionBlock o;
    o.out.flags.MG32K = 1;
    o.t51.T51FL = 0x2000;  // code banking
    o.t51.RCB51 = {0, r.start, r.end};
    EXPECT_EQ(HexOptionsOf(o).mergeBanks, r.merged) << r.name;
  }
}

// The 166 converter's record length comes from the stored options: the
// default writes no RECLEN control, another length does; a block that never
// had the field set (0) counts as the default.
TEST(HexOptions, RecordLengthFromTheStoredOptions) {
  struct Row {
    const char* name;
    uint32_t stored;
    const char* control;
  } rows[] = {
      {"default", 16, ""},
      {"longer records", 32, " RECLEN (32)"},
      {"never set", 0, ""},
  };
  for (const Row& r : rows) {
    OptionBlock o;
    o.out.outWord2 = 0xFFFF;  // no flash fill
    o.lst.OPTOX = r.stored;
    EXPECT_EQ(HexControlString(HexStep::k166, HexOptionsOf(o), nullptr), r.control) << r.name;
  }
  // A 166 target's defaults write no record length.
  OptionBlock defaults;
  TargetRec target;
  target.toolset = kToolset166;
  SetDefaultOptions(defaults, &target, kToolset166, kLevelTarget);
  EXPECT_EQ(HexControlString(HexStep::k166, HexOptionsOf(defaults), nullptr).find("RECLEN"), std::string::npos);
}

TEST(Extended51Mode, FromTheToolWord) {
  struct Row {
    const char* name;
    uint32_t t51;
    uint32_t mode;
  } rows[] = {
      {"plain", 0, 0},
      {"extended assembler", 0x10000, 1},
      {"extended linker", 0x8000, 2},
      {"assembler and linker", 0x18000, 3},
      {"extended compiler", 0x20000, 3},
  };
  for (const Row& r : rows) EXPECT_EQ(Extended51Mode(r.t51), r.mode) << r.name;
}

}  // namespace
}  // namespace pm2
