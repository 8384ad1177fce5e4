// The reaper tells a test process's leftovers from a live process's names,
// also when a later process was given the same process id, and never takes
// a user's suffix for a test's.
#include "test_leftovers.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ipc_namespace.h"
#include "platform/ipc_objects.h"

namespace pm2::test {
namespace {

namespace fs = std::filesystem;

struct SuffixRow {
  const char* name;
  const char* suffix;
  pid_t pid;
  const char* start;
};

class OwnerOfSuffixRows : public ::testing::TestWithParam<SuffixRow> {};

TEST_P(OwnerOfSuffixRows, ReadsTheIdAndStart) {
  const SuffixRow& row = GetParam();
  const NameOwner owner = OwnerOfSuffix(row.suffix);
  EXPECT_EQ(owner.pid, row.pid);
  EXPECT_EQ(owner.start, row.start);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OwnerOfSuffixRows,
    ::testing::Values(SuffixRow{"TestsOwnSuffix", "-pm2t4242s9137", 4242, "9137"},
                      SuffixRow{"TestsOwnSuffixWithATag", "-pm2t4242s9137-t3", 4242, "9137"},
                      SuffixRow{"UsersSuffixEndingInANumber", "_x32767", 0, ""},
                      SuffixRow{"UsersSuffixOfAWordAndANumber", "-e2e4242", 0, ""},
                      SuffixRow{"UsersSuffixOfAnIdAndAStart", "-pt4242s9137", 0, ""},
                      SuffixRow{"UsersSuffixEndingInATestsMark", "_x-pm2t4242s9137", 0, ""},
                      SuffixRow{"TestsMarkWithoutTheStart", "-pm2t4242", 0, ""},
                      SuffixRow{"TestsMarkWithoutTheId", "-pm2ts9137", 0, ""},
                      SuffixRow{"TestsMarkWithMoreAfterTheStart", "-pm2t4242s9137x", 0, ""},
                      SuffixRow{"AllDigits", "-1234", 0, ""},
                      SuffixRow{"Nothing", "", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OwnerEnded, OnlyWhenTheIdIsGoneOrStartedAgain) {
  const NameOwner own = OwnerOfSuffix(TestSuffix("x"));
  ASSERT_EQ(own.pid, ::getpid());
  ASSERT_FALSE(own.start.empty());
  EXPECT_FALSE(OwnerEnded(own));
  EXPECT_FALSE(OwnerEnded({own.pid, ""}));
  // The same id, another start: an earlier process's, which has ended.
  EXPECT_TRUE(OwnerEnded({own.pid, own.start + "0"}));
  EXPECT_FALSE(OwnerEnded({0, ""}));
}

// A leftover of an earlier process with this process's id goes; this
// process's own folder and objects stay. (The objects lie in a folder of
// the test's own: every test program's reaper looks at /dev/shm when it
// starts, and would take the leftover first.)
TEST(ReapLeftovers, TellsAnEarlierProcessWithTheSameIdFromThisOne) {
  const std::string base = TempFolder() + "/reap-base";
  const std::string shm = TempFolder() + "/reap-shm";
  fs::create_directories(base);
  fs::create_directories(shm);
  const NameOwner own = OwnerOfSuffix(TestSuffix());
  const std::string earlier = std::to_string(own.pid) + "s" + own.start + "0";
  const std::string leftFolder = base + "/pm2t-" + earlier, ownFolder = base + "/pm2t-" + OwnMark();
  fs::create_directories(leftFolder + "/run");
  fs::create_directories(ownFolder + "/run");
  const std::string uid = std::to_string(::getuid());
  const std::string leftObject = shm + "/pm2reaptest." + uid + "-pm2t" + earlier + "-lt";
  const std::string ownObject = shm + "/pm2reaptest." + uid + TestSuffix("lt");
  std::ofstream(leftObject) << "x";
  std::ofstream(ownObject) << "x";

  EXPECT_EQ(ReapLeftovers(base, shm), 2);
  EXPECT_FALSE(fs::exists(leftFolder));
  EXPECT_FALSE(fs::exists(leftObject));
  EXPECT_TRUE(fs::exists(ownFolder));
  EXPECT_TRUE(fs::exists(ownObject));

  fs::remove_all(shm);
  fs::remove_all(base);
}

// A process id that no process has: a child's that has ended and been
// waited for.
pid_t GonePid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  if (child > 0) ::waitpid(child, nullptr, 0);
  return child;
}

// Names of a program that runs now beside the tests, under a suffix its
// user chose. Whatever number the suffix ends in (here one that no process
// has), its objects are not a test's and stay while it runs.
struct LiveSuffixRow {
  const char* name;
  const char* before;  // the suffix: before + the gone id + after
  const char* after;
};

class ReapBesideALiveProgram : public ::testing::TestWithParam<LiveSuffixRow> {};

TEST_P(ReapBesideALiveProgram, KeepsItsObjects) {
  const pid_t gone = GonePid();
  ASSERT_GT(gone, 0);
  ASSERT_NE(::kill(gone, 0), 0);
  const std::string suffix = GetParam().before + std::to_string(gone) + GetParam().after;
  const std::string run = TempFolder() + "/live-run";
  fs::create_directories(run);
  const IpcNamespace ns = IpcNamespace::ForTest(suffix, run);
  auto entries = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator("/dev/shm"))
      n += SuffixOfShmEntry(e.path().filename().string(), ns.uid) == suffix ? 1 : 0;
    return n;
  };
  {
    IpcObjects program(ns);
    std::string err;
    ASSERT_TRUE(program.Attach(&err)) << err;
    const int made = entries();
    ASSERT_GT(made, 1);

    ReapLeftovers(TempFolder());

    EXPECT_EQ(entries(), made) << suffix;
    // A client still reaches the program's objects, and finds them made.
    IpcObjects client(ns);
    EXPECT_TRUE(client.Attach(&err)) << err;
    EXPECT_FALSE(client.Created()) << suffix;
  }
  IpcObjects::RemoveAll(ns);
  RemoveShmEntries(suffix);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReapBesideALiveProgram,
                         ::testing::Values(LiveSuffixRow{"EndingInTheId", "_x", ""},
                                           LiveSuffixRow{"WordAndId", "-e2e", ""},
                                           LiveSuffixRow{"IdAndAStart", "-dev", "s1"},
                                           LiveSuffixRow{"IdAndAStartBeforeMore", "-pt", "s1-3"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A test's own suffix whose process has ended is a leftover: it goes.
TEST(ReapLeftovers, TakesAnEndedTestsObjects) {
  const pid_t gone = GonePid();
  ASSERT_GT(gone, 0);
  const std::string suffix = "-pm2t" + std::to_string(gone) + "s1-t1";
  const std::string uid = std::to_string(::getuid());
  const std::string shm = TempFolder() + "/reap-shm";
  const std::string base = TempFolder() + "/reap-base";
  fs::create_directories(base);
  const std::string object = shm + "/pm2reaptest." + uid + suffix;
  const std::string locks = shm + "/pm2." + uid + suffix + ".locks";
  fs::create_directories(locks);
  std::ofstream(object) << "x";
  EXPECT_EQ(ReapLeftovers(base, shm), 2);
  EXPECT_FALSE(fs::exists(object));
  EXPECT_FALSE(fs::exists(locks));
  fs::remove_all(shm);
  fs::remove_all(base);
}

}  // namespace
}  // namespace pm2::test
