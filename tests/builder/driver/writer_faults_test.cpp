// The build's file writers under a failing disk: the dependency file, the
// batch file and a link step's command input file each leave the old file
// whole or the new one complete, report the failure naming the file, and
// leave no temporary file.
#include <gtest/gtest.h>

#include <string>

#include "builder/build_test_support.h"
#include "builder/driver/build_state.h"
#include "builder/driver/dependency_file.h"
#include "builder/driver/link_steps.h"
#include "builder/runner/batch_file.h"
#include "platform/write_fault_sweep.h"
#include "project/model/project_records.h"
#include "project/recording_shell.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

struct DependencyWrite : ::testing::Test {
  DependencyWrite() {
    project = NewProject("Demo", "/p/");
    project->firstTarget->toolset = kToolsetArmGnu;
    FileRec* main = AddFileToGroup(project->firstGroup, "main.c", "./", kFileC);
    main->lastControls = OptString("-c -O2");
    path = DependencyFileName(*project, *project->firstTarget);
    fresh = DependencyFileText(*project, *project->firstTarget, times);
  }
  ~DependencyWrite() override { PoolFree(kPoolDependencies); }

  bool Write(FaultDisk& disk, std::string* message) {
    return WriteDependencyFile(*project, *project->firstTarget, times, message, &disk);
  }

  ProjectRec* project;
  DepFileTime times = [](const std::string&, uint32_t* t) {
    *t = 0x1234;
    return true;
  };
  std::string path;
  std::string fresh;
  const std::string old = "Dependencies for Project 'Demo', Target 'Target 1': (DO NOT MODIFY !)\r\n"
                          "F (./main.c)(0x00000001)(-c -O0)\r\n";
};

TEST_F(DependencyWrite, CrashOrFailureAtAnyStepKeepsOneWholeFile) {
  auto write = [&](FaultDisk& disk, std::string* message) { return Write(disk, message); };
  test::CrashAtEveryStep(path, old, fresh, write);
  test::FailEachStepOnce(path, old, fresh, write);
}

// The comparison with the old text reads through the same disk: an
// unchanged file is not written at all.
TEST_F(DependencyWrite, UnchangedFileOnTheGivenDiskIsNotRewritten) {
  FaultDisk disk;
  disk.Put(path, fresh);
  std::string err;
  EXPECT_TRUE(Write(disk, &err)) << err;
  EXPECT_EQ(disk.Calls(FaultDisk::kCreate), 0);
  disk.Put(path, old);
  EXPECT_TRUE(Write(disk, &err)) << err;
  EXPECT_EQ(disk.Calls(FaultDisk::kCreate), 1);
  EXPECT_EQ(disk.Get(path), fresh);
}

// The batch is written at Close; a failure shows as the creation message.
TEST(BatchFileWrite, CrashOrFailureAtAnyStepKeepsOneWholeFile) {
  test::ScratchFolder dir;  // Open checks that the real folder takes files
  const std::string path = BatchFileName(dir.Path(), "T");
  auto write = [&](FaultDisk& disk, std::string* message) {
    RecordingShell shell;
    BatchFile batch(&disk);
    if (!batch.Open(dir.Path(), "T", shell)) return false;
    batch.WriteSetLine("CPU_TYPE", "AT89C51");
    batch.WriteLine("Q51.EXE @M.__i");
    batch.Close();
    for (const std::string& line : shell.lines) *message += line;
    EXPECT_TRUE(shell.lines.empty() || shell.lines == std::vector<std::string>{
                                                         "Could not create File '" + path + "'\n"});
    return shell.lines.empty();
  };
  const std::string fresh = "SET CPU_TYPE=AT89C51\r\nQ51.EXE @M.__i\r\n";
  test::CrashAtEveryStep(path, "SET OLD=1\r\n", fresh, write);
  test::FailEachStepOnce(path, "SET OLD=1\r\n", fresh, write);
}

// A failed command input file is printed and fails the build; a written
// one leaves the build flags alone.
TEST(CommandInputFileWrite, CrashOrFailureAtAnyStepKeepsOneWholeFile) {
  const std::string path = "/out/Target.lnp";
  auto write = [&](FaultDisk& disk, std::string* message) {
    BuildState state;
    RecordingShell shell;
    LinkStepEnv env;
    env.state = &state;
    env.shell = &shell;
    env.disk = &disk;
    const bool ok = WriteStepCommandFile(env, path, "a.o b.o\n");
    for (const std::string& line : shell.lines) *message += line;
    EXPECT_EQ((state.Flags() & kBuildFailed) == kBuildFailed, !ok);
    if (!ok) {
      EXPECT_EQ(*message, "error - can't create command input file '" + path + "'\n");
    }
    return ok;
  };
  test::CrashAtEveryStep(path, "old.o\n", "a.o b.o\n", write);
  test::FailEachStepOnce(path, "old.o\n", "a.o b.o\n", write);
}

}  // namespace
}  // namespace pm2
