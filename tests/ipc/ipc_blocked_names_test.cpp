// Another user makes one of the event interface's names before this user's
// programs start (/dev/shm is open to every user): the start says which
// object is in the way and whose it is, leaves it alone, and this user's
// processes still meet, under private names.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/ipc_objects.h"
#include "platform/ipc_private_names.h"
#include "other_user_objects.h"
#include "two_process_support.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;
using test::Child;
using test::Inbox;

using test::kOtherUid;
using test::OtherUserText;

// A file or folder of another user's at `path`, as that user would make it.
struct Planted {
  explicit Planted(std::string where, bool folder) : path(std::move(where)) {
    if (folder) {
      made = ::mkdir(path.c_str(), 0755) == 0;
    } else {
      std::ofstream(path) << "another user's";
      made = fs::exists(path);
    }
    made = made && ::chown(path.c_str(), kOtherUid, kOtherUid) == 0;
    struct stat st {};
    if (made && ::lstat(path.c_str(), &st) == 0) inode = st.st_ino;
  }
  ~Planted() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  // Still there, the same file with the same bytes, still the other user's.
  bool Untouched() const {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || st.st_ino != inode || st.st_uid != kOtherUid) return false;
    if (S_ISDIR(st.st_mode)) return true;
    std::ifstream in(path);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes == "another user's";
  }
  std::string path;
  bool made = false;
  ino_t inode = 0;
};

class BlockedNames : public ::testing::Test {
 protected:
  BlockedNames()
      : dispatcher(std::make_unique<EventDispatcher>(
            [this](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
              return bs_InterProcessEventHandler::Attach(space.ns, sink, GetEventFactory(), err);
            })),
        identities(*dispatcher) {}
  void SetUp() override {
    // Only root can give a file to another user; an unprivileged run has no
    // other user to stand in for.
    if (::geteuid() != 0) GTEST_SKIP() << "making another user's object needs root";
  }
  std::string UsualPath(const std::string& shmFile, const std::string& tail = "") const {
    return "/dev/shm/" + shmFile + "." + Mark() + tail;
  }
  std::string Mark() const { return std::to_string(space.ns.uid) + space.ns.suffix; }
  // A peer program of this user beside this process: it attaches (under
  // the names it finds), answers a WhoIs with "peer 1" and quits.
  void PeerIsServed() {
    Child peer(test::ProgramBeside("ipc_test_peer"), {space.ns.suffix, space.dir});
    ASSERT_EQ(peer.Line(), "slot 1");
    dtc_Identify::WhoIs who;
    who.m_nDestination = 1;
    ASSERT_TRUE(dispatcher->SendEvent(who));
    dtc_Identify::Identity id;
    ASSERT_TRUE(identities.Next(id));
    EXPECT_EQ(id.m_strName, "peer 1");
    dtc_Debug::StatusText quit("quit");
    quit.m_nDestination = 1;
    ASSERT_TRUE(dispatcher->SendEvent(quit));
    EXPECT_EQ(peer.Wait(test::kHangWaitMs), 0);
  }

  test::TestNamespace space;
  std::unique_ptr<EventDispatcher> dispatcher;
  Inbox<dtc_Identify::Identity> identities;
};

struct BlockRow {
  const char* name;
  const char* shmFile;  // the name another user made, before ".<uid><suffix>"
  const char* tail;     // and after it
  bool folder;
};

class BlockedUsualName : public BlockedNames, public ::testing::WithParamInterface<BlockRow> {};

TEST_P(BlockedUsualName, IsNamedWithItsOwnerAndPeersOfTheUserStillMeet) {
  const BlockRow& row = GetParam();
  const Planted planted(UsualPath(row.shmFile, row.tail), row.folder);
  ASSERT_TRUE(planted.made) << planted.path;
  {
    ASSERT_TRUE(dispatcher->Activate()) << dispatcher->ActivationError();
    EXPECT_EQ(dispatcher->ActivationNote(),
              "The event interface's name '" + planted.path + "' belongs to " + OtherUserText() +
                  ": this user's programs meet under private names instead (their key is in '" +
                  space.ns.PrivateKeyFile() + "'); a program that looks for the usual names does not reach this one");
    PeerIsServed();
  }
  EXPECT_TRUE(planted.Untouched());
  // Nothing of this user's stays under the usual names, nor the private
  // ones, once the last process leaves.
  dispatcher.reset();
  EXPECT_EQ(test::OwnShmEntries(space.ns), std::vector<std::string> {planted.path});
  EXPECT_TRUE(planted.Untouched());
}

INSTANTIATE_TEST_SUITE_P(Rows, BlockedUsualName,
                         ::testing::Values(BlockRow {"TheMapping", "ZARIzu_file_mapping", "", false},
                                           BlockRow {"ASemaphore", "sem.bs_InterProcessEventHandler_kill_thread_event15", "",
                                                     false},
                                           BlockRow {"TheLockFolder", "pm2", ".locks", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The other user saw the private names in /dev/shm while they were in use
// and made one of them once they went: the next start takes a new key.
TEST_F(BlockedNames, APrivateNameTakenAsWellGivesANewKey) {
  const Planted usual(UsualPath("ZARIzu_file_mapping"), false);
  ASSERT_TRUE(usual.made);
  std::string seen, err;
  ASSERT_TRUE(ObtainPrivateKey(space.ns, "", &seen, &err)) << err;
  const Planted again(UsualPath("ZARIzu_file_mapping") + "-" + seen, false);
  ASSERT_TRUE(again.made);

  ASSERT_TRUE(dispatcher->Activate()) << dispatcher->ActivationError();
  std::string key;
  ASSERT_TRUE(ReadPrivateKey(space.ns, &key));
  EXPECT_NE(key, seen);
  EXPECT_NE(dispatcher->ActivationNote().find("'" + usual.path + "' belongs to " + OtherUserText()), std::string::npos)
      << dispatcher->ActivationNote();
  PeerIsServed();
  EXPECT_TRUE(usual.Untouched());
  EXPECT_TRUE(again.Untouched());
}

}  // namespace
}  // namespace pm2
