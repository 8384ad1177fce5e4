// The copies a killed whole-file write leaves: which names are such copies,
// and which of them a later write or open takes away.
#include "platform/stale_temporaries.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/atomic_file.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

TEST(StaleTemporaries, NamesOfCopies) {
  struct Row {
    const char* name;
    long owner;
  } rows[] = {
      {"Blinky.Opt.~pm2tmp4242_7", 4242},
      {"a.c.~pm2tmp1_0", 1},
      {"Blinky.Opt", 0},
      {".~pm2tmp4242_7", 0},          // no target name before the mark
      {"a.c.~pm2tmp4242", 0},         // no counter
      {"a.c.~pm2tmp42x_1", 0},        // not a number
      {"a.c.~pm2tmp4242_1.bak", 0},   // something after the counter
      {"a.c.~pm2tmp1234567890_1", 0}, // no process has such a number
  };
  for (const Row& r : rows) EXPECT_EQ(StaleTemporaryOwner(r.name), r.owner) << r.name;
}

// A process number that no longer runs: a child that has ended and been
// reaped (the number is not reused before the test looks).
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

class StaleTemporariesInAFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pm2_stale_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Put(const std::string& name) { std::ofstream(dir_ / name) << "whole copy"; }
  bool Has(const std::string& name) const { return fs::symlink_status(dir_ / name).type() != fs::file_type::not_found; }
  fs::path dir_;
};

TEST_F(StaleTemporariesInAFolder, OnlyPlainCopiesOfEndedProcessesGo) {
  const std::string dead = std::to_string(EndedProcess());
  Put("Blinky.Opt.~pm2tmp" + dead + "_3");
  Put("Blinky.pm2.~pm2tmp" + dead + "_4");
  Put("mine.c.~pm2tmp" + std::to_string(::getpid()) + "_1");     // this process writes it
  Put("parent.c.~pm2tmp" + std::to_string(::getppid()) + "_1");  // a running process's
  Put("Blinky.Opt");
  fs::create_symlink("Blinky.Opt", dir_ / ("link.c.~pm2tmp" + dead + "_5"));
  fs::create_directory(dir_ / ("folder.~pm2tmp" + dead + "_6"));
  EXPECT_EQ(RemoveStaleTemporaries(dir_.string()), 2);
  EXPECT_FALSE(Has("Blinky.Opt.~pm2tmp" + dead + "_3"));
  EXPECT_FALSE(Has("Blinky.pm2.~pm2tmp" + dead + "_4"));
  for (const std::string& kept : {"mine.c.~pm2tmp" + std::to_string(::getpid()) + "_1",
                                  "parent.c.~pm2tmp" + std::to_string(::getppid()) + "_1", std::string("Blinky.Opt"),
                                  "link.c.~pm2tmp" + dead + "_5", "folder.~pm2tmp" + dead + "_6"})
    EXPECT_TRUE(Has(kept)) << kept;
}

// The next whole-file write into the folder takes the left copies away.
TEST_F(StaleTemporariesInAFolder, TheNextWriteIntoTheFolderRemovesThem) {
  const std::string left = "Blinky.Opt.~pm2tmp" + std::to_string(EndedProcess()) + "_9";
  Put(left);
  std::string err;
  ASSERT_TRUE(AtomicFileWriter().Write((dir_ / "Blinky.Opt").string(), "new", &err)) << err;
  EXPECT_FALSE(Has(left));
  EXPECT_TRUE(Has("Blinky.Opt"));
}

}  // namespace
}  // namespace pm2
