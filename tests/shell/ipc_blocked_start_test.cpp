// The window program's start when the event interface's names are in the
// way (another user's object at a usual name, an object that cannot be
// made), run as a user would: `pelmora2_window -b` on a copy of the example,
// in an event-interface namespace and runtime folder of the test's own.
// The start says what is in the way and whose it is, the build goes on, and
// at the program's end nothing of this user's is left in /dev/shm: not the
// objects a failed start made, nor their lock folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ipc_namespace.h"
#include "platform/ipc_objects.h"
#include "example_copy.h"
#include "other_user_objects.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

using test::kOtherUid;
using test::OtherUserText;

std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

struct StartRow {
  const char* name;
  const char* shmFile;  // what is in the way, "<name>.<uid><suffix><tail>" in /dev/shm
  const char* tail;
  // A folder, which neither shm_open nor sem_open opens or removes: given
  // to another user, or this user's own (an object that cannot be made).
  bool otherUsers;
  bool noKeyFile;       // the private names' key file cannot be written
  // What the error output says; "<path>" stands for the planted object's,
  // "<key>" for the key file's, "<user>" for the other user.
  const char* said;
};

const StartRow kStartRows[] = {
    {"AnotherUsersMappingIsNamedAndTheProgramStartsUnderPrivateNames", "ZARIzu_file_mapping", "", true, false,
     "The event interface's name '<path>' belongs to <user>: this user's programs meet under private names "
     "instead (their key is in '<key>'); a program that looks for the usual names does not reach this one\n"},
    {"AnotherUsersLockFolderIsNamed", "pm2", ".locks", true, false,
     "The event interface's name '<path>' belongs to <user>: this user's programs meet under private names"},
    {"AnObjectThatCannotBeMadeFailsTheStartAndLeavesNothing",
     "sem.bs_InterProcessEventHandler_kill_thread_event15", "", false, false,
     "Could not Initialize ActivateIPDispatcher() ! (Cannot create the semaphore "
     "'/bs_InterProcessEventHandler_kill_thread_event15.<mark>': File exists)\n"},
    {"AnotherUsersNameWithoutPrivateNamesFailsTheStart", "ZARIzu_file_mapping", "", true, true,
     "Could not Initialize ActivateIPDispatcher() ! (The event interface's name '<path>' belongs to <user>; no "
     "private names instead: Cannot write the file '<key>': Is a directory)\n"},
};

class BlockedStart : public ::testing::TestWithParam<StartRow> {
 protected:
  void SetUp() override {
    root_ = std::string(std::getenv("PM2_TEST_BIN")) + "/test-root/";
    if (!fs::exists(root_ + "PM2/pelmora2_window")) GTEST_SKIP() << "built without the window program";
    if (GetParam().otherUsers && ::geteuid() != 0) GTEST_SKIP() << "making another user's object needs root";
    std::string pattern = (fs::temp_directory_path() / "pm2blocked_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
    ASSERT_EQ(::mkdir((dir_ + "run").c_str(), 0700), 0);
    ns_ = IpcNamespace::ForTest(test::TestSuffix("blk"), dir_ + "run");
    test::CopyExample(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", dir_ + "ex/");
    fs::remove_all(dir_ + "ex/Obj");
  }
  void TearDown() override {
    std::error_code ec;
    if (!planted_.empty()) fs::remove_all(planted_, ec);
    if (!dir_.empty()) {
      IpcObjects::RemoveAll(ns_);
      fs::remove_all(dir_, ec);
    }
  }
  std::string Mark() const { return std::to_string(ns_.uid) + ns_.suffix; }
  static std::string Filled(std::string text, const std::string& word, const std::string& value) {
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + value.size()))
      text.replace(at, word.size(), value);
    return text;
  }

  std::string root_, dir_, planted_;
  IpcNamespace ns_;
};

TEST_P(BlockedStart, SaysWhatIsInTheWayBuildsAndLeavesNothingOfItsOwn) {
  const StartRow& row = GetParam();
  planted_ = "/dev/shm/" + std::string(row.shmFile) + "." + Mark() + row.tail;
  ASSERT_EQ(::mkdir(planted_.c_str(), 0755), 0) << planted_;
  if (row.otherUsers) {
    ASSERT_EQ(::chown(planted_.c_str(), kOtherUid, kOtherUid), 0);
  }
  if (row.noKeyFile) {
    ASSERT_EQ(::mkdir(ns_.PrivateKeyFile().c_str(), 0700), 0);
  }

  // The window program without a screen of its own builds from the command
  // line and ends; `timeout` only catches a hang.
  const std::string cmd = "cd " + dir_ + "ex && HOME=" + dir_ + " XDG_CONFIG_HOME=" + dir_ +
                          ".config XDG_RUNTIME_DIR=" + ns_.runtimeDir + " PM2_IPC_SUFFIX=" + ns_.suffix +
                          " QT_QPA_PLATFORM=offscreen PM2_NO_SPLASH=1 timeout 300 " + root_ +
                          "PM2/pelmora2_window -b Blinky.pm2 > " + dir_ + "stdout.txt 2> " + dir_ + "stderr.txt";
  const int status = std::system(cmd.c_str());
  const std::string err = ReadText(dir_ + "stderr.txt");
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << err << ReadText(dir_ + "stdout.txt");
  const std::string said = Filled(Filled(Filled(Filled(row.said, "<path>", planted_), "<key>", ns_.PrivateKeyFile()),
                                         "<user>", OtherUserText()),
                                  "<mark>", Mark());
  EXPECT_NE(err.find(said), std::string::npos) << err;
  EXPECT_TRUE(fs::exists(dir_ + "ex/Obj/Blinky.hex")) << "the build went on";

  // What was in the way stays as it was; nothing else of this user's names
  // is left, no object and no lock folder.
  struct stat st {};
  ASSERT_EQ(::lstat(planted_.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, row.otherUsers ? kOtherUid : ::getuid());
  EXPECT_EQ(test::OwnShmEntries(ns_), std::vector<std::string> {planted_});
}

INSTANTIATE_TEST_SUITE_P(Rows, BlockedStart, ::testing::ValuesIn(kStartRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
