// The reaper tells a test process's leftovers from a live process's names,
// also when a later process was given the same process id.
#include "test_leftovers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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
    ::testing::Values(SuffixRow{"MarkOfATestProgram", "-pt4242s9137", 4242, "9137"},
                      SuffixRow{"MarkOfATestNamespace", "-t4242s9137-3", 4242, "9137"},
                      SuffixRow{"BareIdAfterAWordWithDigits", "-e2e4242", 4242, ""},
                      SuffixRow{"WordEndingInS", "-ts4242", 4242, ""},
                      SuffixRow{"AllDigitsIsNoProcess", "-1234", 0, ""},
                      SuffixRow{"MarkWithoutAWord", "-4242s9137", 0, ""},
                      SuffixRow{"NoId", "-pt", 0, ""},
                      SuffixRow{"Nothing", "", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OwnerEnded, OnlyWhenTheIdIsGoneOrStartedAgain) {
  const NameOwner own = OwnerOfSuffix("-pt" + OwnMark());
  ASSERT_EQ(own.pid, ::getpid());
  ASSERT_FALSE(own.start.empty());
  EXPECT_FALSE(OwnerEnded(own));
  EXPECT_FALSE(OwnerEnded({own.pid, ""}));
  // The same id, another start: an earlier process's, which has ended.
  EXPECT_TRUE(OwnerEnded({own.pid, own.start + "0"}));
  EXPECT_FALSE(OwnerEnded({0, ""}));
}

// A leftover of an earlier process with this process's id goes; this
// process's own folder and objects stay.
TEST(ReapLeftovers, TellsAnEarlierProcessWithTheSameIdFromThisOne) {
  const std::string base = TempFolder() + "/reap-base";
  fs::create_directories(base);
  const NameOwner own = OwnerOfSuffix("-pt" + OwnMark());
  const std::string earlier = std::to_string(own.pid) + "s" + own.start + "0";
  const std::string leftFolder = base + "/pm2t-" + earlier, ownFolder = base + "/pm2t-" + OwnMark();
  fs::create_directories(leftFolder + "/run");
  fs::create_directories(ownFolder + "/run");
  const std::string uid = std::to_string(::getuid());
  const std::string leftObject = "/dev/shm/pm2reaptest." + uid + "-lt" + earlier;
  const std::string ownObject = "/dev/shm/pm2reaptest." + uid + "-lt" + OwnMark();
  std::ofstream(leftObject) << "x";
  std::ofstream(ownObject) << "x";

  EXPECT_GE(ReapLeftovers(base), 2);
  EXPECT_FALSE(fs::exists(leftFolder));
  EXPECT_FALSE(fs::exists(leftObject));
  EXPECT_TRUE(fs::exists(ownFolder));
  EXPECT_TRUE(fs::exists(ownObject));

  fs::remove(ownObject);
  fs::remove_all(base);
}

}  // namespace
}  // namespace pm2::test
