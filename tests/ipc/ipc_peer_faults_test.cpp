// Peers that die, stop or misbehave beside this process on the real
// transport, each test in an event-interface namespace of its own: a guard
// holder killed (a peer of ours, which marks its guards, and a peer written
// from the layout alone, which does not), a live holder stopped for a moment,
// a kill event set by another process, a stopped holder whose guard was
// taken over coming back, and objects or lock files removed by hand under a
// running program.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc_objects.h"
#include "platform/object_identity.h"
#include "two_process_support.h"

namespace pm2 {
namespace {

using test::Child;
using test::Inbox;

// Every wait below is bounded only to catch a hang.
constexpr int kHangMs = test::kHangWaitMs;

// Enough locks of others to fill several pages of the kernel's list of
// locks, taken and given back without pause by four threads while it lives
// (as the machine's other programs on the event interface do).
class OtherLocksComingAndGoing {
 public:
  explicit OtherLocksComingAndGoing(const std::string& dir) {
    for (int t = 0; t < 4; ++t)
      m_threads.emplace_back([this, dir, t] {
        std::vector<IpcFileLock> locks(64);
        for (size_t i = 0; i < locks.size(); ++i)
          locks[i].Open(dir + "/churn" + std::to_string(t) + "_" + std::to_string(i), nullptr);
        while (!m_done) {
          for (IpcFileLock& l : locks) l.TryExclusive();
          for (IpcFileLock& l : locks) l.Unlock();
        }
      });
  }
  ~OtherLocksComingAndGoing() {
    m_done = true;
    for (std::thread& t : m_threads) t.join();
  }

 private:
  std::atomic<bool> m_done {false};
  std::vector<std::thread> m_threads;
};

class PeerFaultsTest : public ::testing::Test {
 protected:
  PeerFaultsTest()
      : dispatcher([this](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
          auto t = bs_InterProcessEventHandler::Attach(space.ns, sink, GetEventFactory(), err, options);
          transport = t.get();
          return t;
        }),
        identities(dispatcher) {}

  std::unique_ptr<Child> StartPeer(int expectedSlot) {
    auto c = std::make_unique<Child>(test::ProgramBeside("ipc_test_peer"),
                                     std::vector<std::string> {space.ns.suffix, space.dir});
    EXPECT_EQ(c->Line(), "slot " + std::to_string(expectedSlot));
    return c;
  }
  std::unique_ptr<Child> StartLayoutPeer(const char* command, const std::string& semaphore) {
    return std::make_unique<Child>(test::ProgramBeside("ipc_layout_peer"),
                                   std::vector<std::string> {command, semaphore});
  }
  std::string ObjectName(const char* base, int slot) const { return space.ns.ObjectName(base + std::to_string(slot)); }
  // Asks every peer who it is until the peer of that slot answers (a
  // client that got no answer asks again); false when it never did.
  bool PeerAnswers(int slot) {
    const std::string name = "peer " + std::to_string(slot);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangMs);
    dtc_Identify::Identity id;
    while (std::chrono::steady_clock::now() < until) {
      dtc_Identify::WhoIs who;
      dispatcher.SendToEveryPeer(who);
      while (identities.Next(id, 200))
        if (id.m_strName == name) return true;
    }
    return false;
  }
  bool PeerOneAnswers() { return PeerAnswers(1); }
  // True once `holds` does; false when it never did.
  template <class F>
  static bool Eventually(F holds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangMs);
    while (!holds()) {
      if (std::chrono::steady_clock::now() >= until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }
  std::string MappingFile() const { return "/dev/shm/" + space.ns.ObjectName(kIpcMappingName).substr(1); }
  std::string GuardFile(int slot) const { return "/dev/shm/sem." + ObjectName(kIpcGuardName, slot).substr(1); }
  // Every lock file removed by hand, or the whole lock folder.
  void RemoveLocks(bool folderToo) {
    std::error_code ec;
    if (folderToo) {
      std::filesystem::remove_all(space.ns.LockFolder(), ec);
      ASSERT_FALSE(ec) << ec.message();
      return;
    }
    int removed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(space.ns.LockFolder()))
      if (entry.path().extension() == ".lock" && std::filesystem::remove(entry.path(), ec)) ++removed;
    ASSERT_FALSE(ec) << ec.message();
    ASSERT_GT(removed, 0) << "no lock file in '" << space.ns.LockFolder() << "'";
  }
  void Quit(Child& c, int slot) {
    dtc_Debug::StatusText quit("quit");
    quit.m_nDestination = slot;
    EXPECT_TRUE(dispatcher.SendEvent(quit));
    EXPECT_EQ(c.Wait(kHangMs), 0);
  }

  test::TestNamespace space;
  IpcTransportOptions options;
  bs_InterProcessEventHandler* transport = nullptr;
  EventDispatcher dispatcher;
  Inbox<dtc_Identify::Identity> identities;
};

// A peer killed while it holds a guard (SIGKILL here; a crash, the OOM
// killer or a bus error end it the same way): the slot is heard again, and
// broadcasts get through, once the guard is taken over. A peer of ours
// leaves its mark in the guard's lock file; a peer written from the layout
// takes the semaphore alone and leaves nothing to tell its death by.
struct DeadHolderRow {
  const char* name;
  bool layoutPeer;  // else a peer of ours
  int guardOf;      // 0: this process's slot; 1: the answering peer's
};

class DeadGuardHolder : public PeerFaultsTest, public ::testing::WithParamInterface<DeadHolderRow> {};

TEST_P(DeadGuardHolder, IsTakenOverAndTheSlotIsHeardAgain) {
  const DeadHolderRow& row = GetParam();
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  auto answering = StartPeer(1);
  {
    std::unique_ptr<Child> holder;
    if (row.layoutPeer) {
      holder = StartLayoutPeer("take", ObjectName(kIpcGuardName, row.guardOf));
    } else {
      holder = StartPeer(2);
      dtc_Debug::StatusText hold("hold guard " + std::to_string(row.guardOf));
      hold.m_nDestination = 2;
      ASSERT_TRUE(dispatcher.SendEvent(hold));
    }
    ASSERT_EQ(holder->Line(), "holding");
    holder->Signal(SIGKILL);
    ASSERT_EQ(holder->Wait(kHangMs), 128);
  }
  ASSERT_TRUE(PeerOneAnswers()) << "the guard of slot " << row.guardOf << " was never taken over";
  // And it stays free: the next exchange goes through as well.
  ASSERT_TRUE(PeerOneAnswers());
  Quit(*answering, 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeadGuardHolder,
                         ::testing::Values(DeadHolderRow {"OurPeerHoldingThisProcesssGuard", false, 0},
                                           DeadHolderRow {"OurPeerHoldingALivePeersGuard", false, 1},
                                           DeadHolderRow {"LayoutPeerHoldingThisProcesssGuard", true, 0},
                                           DeadHolderRow {"LayoutPeerHoldingALivePeersGuard", true, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// A peer written from the layout killed while it holds the guard of a slot
// that nobody owns: the next start claims that slot (its guard is taken
// over for the new owner) instead of waiting for it and passing it by.
TEST_F(PeerFaultsTest, AGuardHeldForAFreeSlotIsTakenOverByItsNextOwner) {
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  {
    auto holder = StartLayoutPeer("take", ObjectName(kIpcGuardName, 1));
    ASSERT_EQ(holder->Line(), "holding");
    holder->Signal(SIGKILL);
    ASSERT_EQ(holder->Wait(kHangMs), 128);
  }
  auto next = StartPeer(1);
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(PeerOneAnswers());
  Quit(*next, 1);
}

// A live holder that does not run for about 1.5 s (stopped, in a debugger,
// on a loaded machine) keeps its guard: the writer gets it only after the
// holder gave it back, and the guard is one holder's again afterwards.
TEST_F(PeerFaultsTest, AStoppedLiveHolderKeepsItsGuard) {
  options.guardTimeoutMs = kHangMs;  // the writer's wait must not end first
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  auto holder = StartLayoutPeer("take", ObjectName(kIpcGuardName, 0));
  ASSERT_EQ(holder->Line(), "holding");
  holder->Stop();
  std::atomic<bool> giveBackAsked {false};
  std::atomic<bool> writtenBeforeGiveBack {false};
  bool written = false;
  std::thread writer([&] {
    dtc_Debug::StatusText text("written while the holder is stopped");
    written = transport->WriteEventToSlot(text, 0);
    writtenBeforeGiveBack = !giveBackAsked;
  });
  // The holder's pause itself, not a wait for something.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  holder->Signal(SIGCONT);
  giveBackAsked = true;
  holder->Signal(SIGUSR1);
  writer.join();
  EXPECT_EQ(holder->Line(), "released");
  EXPECT_EQ(holder->Wait(kHangMs), 0);
  EXPECT_TRUE(written);
  EXPECT_FALSE(writtenBeforeGiveBack) << "the guard was taken from its live holder";
  IpcSemaphore guard;
  std::string err;
  ASSERT_TRUE(guard.Open(ObjectName(kIpcGuardName, 0), &err)) << err;
  EXPECT_EQ(guard.Value(), 1);
}

// A holder that speaks the layout alone, stopped with the guard of this
// process's slot until the guard is taken over, and then back: it gives
// back what it no longer holds, one release too many, and the guard is
// brought back to one holder (two writers never get in at once).
TEST_F(PeerFaultsTest, AGuardTakenOverFromAHolderThatComesBackIsOneHoldersAgain) {
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  ASSERT_EQ(dispatcher.OwnSlot(), 0);
  IpcSemaphore guard;
  std::string err;
  ASSERT_TRUE(guard.Open(ObjectName(kIpcGuardName, 0), &err)) << err;
  auto holder = StartLayoutPeer("take", ObjectName(kIpcGuardName, 0));
  ASSERT_EQ(holder->Line(), "holding");
  holder->Stop();
  // This process's receiver takes it over and gives it back.
  ASSERT_TRUE(Eventually([&] { return guard.Value() == 1; })) << "the guard was never taken over";
  holder->Signal(SIGCONT);
  holder->Signal(SIGUSR1);
  ASSERT_EQ(holder->Line(), "released");
  ASSERT_EQ(holder->Wait(kHangMs), 0);
  EXPECT_TRUE(Eventually([&] { return guard.Value() == 1; }))
      << "the guard's count stays " << guard.Value() << ": that many writers may get in at once";
  // One writer gets in, the next finds it taken.
  ASSERT_TRUE(guard.TryWait());
  EXPECT_FALSE(guard.TryWait());
  guard.Release();
  // And the slot is still heard.
  auto peer = StartPeer(1);
  EXPECT_TRUE(PeerOneAnswers());
  Quit(*peer, 1);
}

// The same for the guard of another program's slot, taken over by this
// process's write while its owner cannot look after it (stopped here; a
// client that speaks the layout alone never does): the guard is brought
// back to one holder without waiting for the next write to that slot.
TEST_F(PeerFaultsTest, AnotherSlotsGuardTakenOverIsOneHoldersAgainWithoutAWrite) {
  options.guardTimeoutMs = kHangMs;  // the write waits for the takeover
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  ASSERT_EQ(dispatcher.OwnSlot(), 0);
  auto owner = StartPeer(1);
  IpcSemaphore guard;
  std::string err;
  ASSERT_TRUE(guard.Open(ObjectName(kIpcGuardName, 1), &err)) << err;
  auto holder = StartLayoutPeer("take", ObjectName(kIpcGuardName, 1));
  ASSERT_EQ(holder->Line(), "holding");
  owner->Stop();
  dtc_Debug::StatusText text("written once the guard is taken over");
  ASSERT_TRUE(transport->WriteEventToSlot(text, 1));
  ASSERT_EQ(guard.Value(), 1);
  holder->Signal(SIGUSR1);
  ASSERT_EQ(holder->Line(), "released");
  ASSERT_EQ(holder->Wait(kHangMs), 0);
  EXPECT_TRUE(Eventually([&] { return guard.Value() == 1; }))
      << "the guard's count stays " << guard.Value() << ": that many writers may get in at once";
  owner->Signal(SIGCONT);
  EXPECT_TRUE(PeerOneAnswers());
  Quit(*owner, 1);
}

// Any process of the user can set the kill event of this process's slot;
// only this process ends its receiver: the event is taken back, and events
// still arrive.
TEST_F(PeerFaultsTest, AKillEventFromAnotherProcessIsIgnored) {
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  auto poster = StartLayoutPeer("post", ObjectName(kIpcKillName, 0));
  ASSERT_EQ(poster->Line(), "posted");
  ASSERT_EQ(poster->Wait(kHangMs), 0);
  IpcSemaphore kill;
  std::string err;
  ASSERT_TRUE(kill.Open(ObjectName(kIpcKillName, 0), &err)) << err;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangMs);
  while (kill.Value() != 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(kill.Value(), 0) << "the receiver never looked at its kill event";
  auto peer = StartPeer(1);
  EXPECT_TRUE(PeerOneAnswers()) << "the receiver ended";
  Quit(*peer, 1);
}

// A program whose objects and lock folder were removed by hand, beside a
// later start that made new ones: when it ends (normally, or by a signal)
// it takes its old lock for the last one, but the new objects, which are
// not the ones it opened, stay with their users.
struct StaleEndRow {
  const char* name;
  int signal;    // what ends the old program
  int exitCode;  // as the child reports it
};

class RemovedByHand : public PeerFaultsTest, public ::testing::WithParamInterface<StaleEndRow> {};

TEST_P(RemovedByHand, TheOldProgramsEndLeavesTheNewObjects) {
  auto old = StartPeer(0);
  // Stopped until this process made and claimed the new objects: running,
  // it would make them anew itself at its next idle wake.
  old->Stop();
  IpcObjects::RemoveAll(space.ns);
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  ASSERT_EQ(dispatcher.OwnSlot(), 0);
  const std::string mapping = "/dev/shm/" + space.ns.ObjectName(kIpcMappingName).substr(1);
  const ObjectIdentity made = IdentityOfFile(mapping);
  ASSERT_TRUE(made.known);
  // Whether its end comes before its idle wake or after it joined the new
  // objects, they stay.
  old->Signal(SIGCONT);
  old->Signal(GetParam().signal);
  ASSERT_EQ(old->Wait(kHangMs), GetParam().exitCode);
  EXPECT_TRUE(SameObject(IdentityOfFile(mapping), made)) << "the new mapping was removed";
  struct stat st {};
  EXPECT_EQ(::lstat(space.ns.LockPath(kIpcMappingName).c_str(), &st), 0) << "the new lock files were removed";
  // A start after it joins this process's objects, and they work.
  auto next = StartPeer(1);
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(PeerOneAnswers());
  Quit(*next, 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, RemovedByHand,
                         ::testing::Values(StaleEndRow {"NormalEnd", SIGUSR1, 0},
                                           StaleEndRow {"EndBySignal", SIGTERM, 128}),
                         [](const auto& info) { return std::string(info.param.name); });

// Only the lock folder removed by hand, and no later start: the program
// that leaves last still removes its own objects, and no lock folder stays.
TEST_F(PeerFaultsTest, AProgramWhoseLockFolderWasRemovedStillRemovesItsOwnObjects) {
  auto old = StartPeer(0);
  const std::string mapping = "/dev/shm/" + space.ns.ObjectName(kIpcMappingName).substr(1);
  const std::string guard = "/dev/shm/sem." + ObjectName(kIpcGuardName, 0).substr(1);
  std::error_code ec;
  std::filesystem::remove_all(space.ns.LockFolder(), ec);
  ASSERT_FALSE(ec) << ec.message();
  old->Signal(SIGUSR1);
  ASSERT_EQ(old->Wait(kHangMs), 0);
  struct stat st {};
  EXPECT_NE(::lstat(mapping.c_str(), &st), 0);
  EXPECT_NE(::lstat(guard.c_str(), &st), 0);
  EXPECT_NE(::lstat(space.ns.LockFolder().c_str(), &st), 0);
}

// Lock files removed by hand under a live program (stopped meanwhile, so
// that it cannot make them anew first), then another start: it tells the
// objects in use by the locks on the mapping itself, joins them instead of
// making new ones, and claims another slot. Whichever of the two leaves
// first, the objects stay with the other, and a later start reaches it.
struct RemovedLocksRow {
  const char* name;
  bool folderToo;        // else only the lock files
  bool firstLeavesFirst;  // else the later start leaves first
};

class LocksRemovedByHand : public PeerFaultsTest, public ::testing::WithParamInterface<RemovedLocksRow> {};

TEST_P(LocksRemovedByHand, AStartJoinsTheLiveProgramsObjects) {
  const RemovedLocksRow& row = GetParam();
  auto first = StartPeer(0);
  const ObjectIdentity mapping = IdentityOfFile(MappingFile());
  const ObjectIdentity guard = IdentityOfFile(GuardFile(0));
  ASSERT_TRUE(mapping.known && guard.known);
  first->Stop();
  RemoveLocks(row.folderToo);
  auto later = StartPeer(1);
  ASSERT_FALSE(HasFailure()) << "the live program's objects were taken for left over";
  EXPECT_TRUE(SameObject(IdentityOfFile(MappingFile()), mapping)) << "the live program's mapping was removed";
  EXPECT_TRUE(SameObject(IdentityOfFile(GuardFile(0)), guard)) << "the live program's guard was removed";
  auto& leaving = row.firstLeavesFirst ? first : later;
  // The later start leaves while the first is still stopped.
  leaving->Signal(SIGUSR1);
  if (row.firstLeavesFirst) first->Signal(SIGCONT);
  ASSERT_EQ(leaving->Wait(kHangMs), 0);
  if (!row.firstLeavesFirst) first->Signal(SIGCONT);
  EXPECT_TRUE(SameObject(IdentityOfFile(MappingFile()), mapping)) << "the objects went with the first to leave";
  EXPECT_TRUE(SameObject(IdentityOfFile(GuardFile(0)), guard)) << "the objects went with the first to leave";
  // A start after it joins the one that stays, in the slot that was freed.
  const int staying = row.firstLeavesFirst ? 1 : 0;
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  EXPECT_EQ(dispatcher.OwnSlot(), 1 - staying);
  EXPECT_TRUE(PeerAnswers(staying));
  Quit(*(row.firstLeavesFirst ? later : first), staying);
}

INSTANTIATE_TEST_SUITE_P(Rows, LocksRemovedByHand,
                         ::testing::Values(RemovedLocksRow {"LockFilesFirstLeavesFirst", false, true},
                                           RemovedLocksRow {"LockFilesLaterLeavesFirst", false, false},
                                           RemovedLocksRow {"LockFolderFirstLeavesFirst", true, true},
                                           RemovedLocksRow {"LockFolderLaterLeavesFirst", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Objects removed under a live program: after its lock files were removed
// by hand, a peer that tells its use by lock files alone attaches and
// leaves, gets the new live lock file to itself and removes every object as
// their last user; or one object went by hand. The program notices at its
// idle wake, makes them anew with its lock files, and peers reach it again.
struct GoneRow {
  const char* name;
  bool folderToo;    // the lock folder removed, else its lock files
  const char* gone;  // nullptr: every object, by the leaving peer
  int liveSlot;      // the live program's slot; those below it are free
};

class ObjectsRemovedUnderALiveProgram : public PeerFaultsTest, public ::testing::WithParamInterface<GoneRow> {
 protected:
  // What a peer that tells its use by lock files alone does as it leaves
  // when it gets the live lock file exclusively.
  void LeaveAsLastByLockFiles() {
    std::string err;
    ASSERT_TRUE(space.ns.EnsureLockFolder(&err)) << err;
    IpcFileLock live;
    ASSERT_TRUE(live.Open(space.ns.LockPath(kIpcMappingName), &err)) << err;
    ASSERT_TRUE(live.TryExclusive()) << "the live lock file is held: the leaving peer would remove nothing";
    IpcObjects::RemoveAll(space.ns);
  }
};

TEST_P(ObjectsRemovedUnderALiveProgram, AreMadeAnewAndItIsReachedAgain) {
  const GoneRow& row = GetParam();
  std::vector<std::unique_ptr<Child>> below;
  for (int slot = 0; slot < row.liveSlot; ++slot) below.push_back(StartPeer(slot));
  auto live = StartPeer(row.liveSlot);
  for (auto& peer : below) {
    peer->Signal(SIGUSR1);
    ASSERT_EQ(peer->Wait(kHangMs), 0);
  }
  const std::string file = row.gone ? GuardFile(0) : MappingFile();
  const ObjectIdentity before = IdentityOfFile(file);
  ASSERT_TRUE(before.known);
  // Stopped, so that it cannot make its lock files anew before the peer
  // leaves.
  live->Stop();
  RemoveLocks(row.folderToo);
  if (row.gone)
    IpcSemaphore::Unlink(ObjectName(kIpcGuardName, 0));
  else
    LeaveAsLastByLockFiles();
  ASSERT_FALSE(HasFailure());
  live->Signal(SIGCONT);
  EXPECT_TRUE(Eventually([&] {
    const ObjectIdentity now = IdentityOfFile(file);
    return now.known && !SameObject(now, before);
  })) << "'" << file << "' was never made anew";
  // Its lock files too, its slot's last: a start beside it takes the
  // objects for in use, and that slot for taken.
  const auto heldElsewhere = [](const std::string& path) {
    IpcFileLock probe;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !probe.Open(path, nullptr)) return false;
    if (!probe.TryExclusive()) return true;
    probe.Unlock();
    return false;
  };
  EXPECT_TRUE(Eventually([&] { return heldElsewhere(space.ns.LockPath(kIpcMappingName)); }))
      << "the live lock file was never made anew and held";
  const std::string slotLock = space.ns.LockPath("bs_InterProcessEventHandler_slot" + std::to_string(row.liveSlot));
  ASSERT_TRUE(Eventually([&] { return heldElsewhere(slotLock); })) << "'" << slotLock << "' was never held again";
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  // Back in its own slot: peers that keep its number still reach it.
  EXPECT_EQ(dispatcher.OwnSlot(), row.liveSlot == 0 ? 1 : 0);
  EXPECT_TRUE(PeerAnswers(row.liveSlot)) << "the live program is not reached in slot " << row.liveSlot;
  Quit(*live, row.liveSlot);
}

INSTANTIATE_TEST_SUITE_P(Rows, ObjectsRemovedUnderALiveProgram,
                         ::testing::Values(GoneRow {"ByALeavingPeerAfterTheLockFolder", true, nullptr, 0},
                                           GoneRow {"ByALeavingPeerAfterTheLockFiles", false, nullptr, 0},
                                           GoneRow {"ByALeavingPeerBesideAFreeFirstSlot", true, nullptr, 1},
                                           GoneRow {"OneGuardByHand", false, kIpcGuardName, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// A live client that tells its use by the live lock file alone (it holds
// no lock on the mapping), whose lock folder was removed by hand: a start
// in the next moments joins its objects rather than taking them for left
// over, as long as the client holds the new lock file by its next idle wake.
TEST_F(PeerFaultsTest, AClientOfLockFilesAloneIsNotTakenForDeadOnceThoseAreRemoved) {
  std::string err;
  ShmRegion mapping;
  ASSERT_TRUE(mapping.Create(space.ns.ObjectName(kIpcMappingName), kIpcMappingSize, &err)) << err;
  ASSERT_TRUE(space.ns.EnsureLockFolder(&err)) << err;
  IpcFileLock live;
  ASSERT_TRUE(live.Open(space.ns.LockPath(kIpcMappingName), &err) && live.TryShared()) << err;
  const ObjectIdentity made = IdentityOfFile(MappingFile());
  ASSERT_TRUE(made.known);
  RemoveLocks(true);
  Child start(test::ProgramBeside("ipc_test_peer"), {space.ns.suffix, space.dir});
  // The client's renewal, as soon as the start made the file.
  IpcFileLock renewed;
  EXPECT_TRUE(Eventually([&] {
    struct stat st {};
    IpcFileLock fresh;
    if (::lstat(space.ns.LockPath(kIpcMappingName).c_str(), &st) != 0 ||
        !fresh.Open(space.ns.LockPath(kIpcMappingName), nullptr) || !fresh.TryShared())
      return false;
    renewed = std::move(fresh);
    return true;
  })) << "the client never held its lock file again";
  EXPECT_EQ(start.Line(), "slot 0");
  EXPECT_TRUE(SameObject(IdentityOfFile(MappingFile()), made)) << "the live client's objects were taken for left over";
  start.Signal(SIGUSR1);
  EXPECT_EQ(start.Wait(kHangMs), 0);
}

// The same client beside a program of ours, the lock folder removed by
// hand under both, and the client's new live lock file held before the
// program leaves: the program's old lock is free, and nobody holds a lock on
// the mapping, but the client's new one tells that the objects are in use.
TEST_F(PeerFaultsTest, AProgramLeavingBesideAClientOfLockFilesAloneLeavesItsObjects) {
  std::string err;
  ShmRegion mapping;
  ASSERT_TRUE(mapping.Create(space.ns.ObjectName(kIpcMappingName), kIpcMappingSize, &err)) << err;
  ASSERT_TRUE(space.ns.EnsureLockFolder(&err)) << err;
  IpcFileLock live;
  ASSERT_TRUE(live.Open(space.ns.LockPath(kIpcMappingName), &err) && live.TryShared()) << err;
  const ObjectIdentity made = IdentityOfFile(MappingFile());
  ASSERT_TRUE(made.known);
  auto program = StartPeer(0);
  ASSERT_TRUE(SameObject(IdentityOfFile(MappingFile()), made)) << "the client's objects were taken for left over";
  // Stopped, so that it cannot make its lock files anew before it leaves.
  program->Stop();
  RemoveLocks(true);
  // The client's renewal: the new file held, the old one given up.
  ASSERT_TRUE(space.ns.EnsureLockFolder(&err)) << err;
  IpcFileLock renewed;
  ASSERT_TRUE(renewed.Open(space.ns.LockPath(kIpcMappingName), &err) && renewed.TryShared()) << err;
  live.Unlock();
  program->Signal(SIGUSR1);
  program->Signal(SIGCONT);
  ASSERT_EQ(program->Wait(kHangMs), 0);
  EXPECT_TRUE(SameObject(IdentityOfFile(MappingFile()), made)) << "the leaving program removed the client's objects";
}

// Lock files removed by hand under a running program: it makes them anew
// and holds them again, its slot's among them.
class LockFilesRemoved : public PeerFaultsTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LockFilesRemoved, TheLiveProgramMakesThemAnew) {
  auto live = StartPeer(0);
  RemoveLocks(GetParam());
  // Held by another process: the probe cannot take it alone.
  const auto heldElsewhere = [](const std::string& path) {
    IpcFileLock probe;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !probe.Open(path, nullptr)) return false;
    if (!probe.TryExclusive()) return true;
    probe.Unlock();
    return false;
  };
  ASSERT_TRUE(Eventually([&] { return heldElsewhere(space.ns.LockPath(kIpcMappingName)); }))
      << "the live lock file was never made anew";
  EXPECT_TRUE(Eventually([&] { return heldElsewhere(space.ns.LockPath("bs_InterProcessEventHandler_slot0")); }))
      << "the slot's lock file was never made anew";
  live->Signal(SIGUSR1);
  EXPECT_EQ(live->Wait(kHangMs), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, LockFilesRemoved, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "LockFolder" : "LockFiles"); });

// Lock files removed by hand under a running program with a client beside
// it, and a client that attaches and leaves before the program made them
// anew (the program is stopped meanwhile to be sure of it): the quick
// client does not take itself for the last user, for the locks on the
// mapping say otherwise; the objects stay, the client attached before the
// removal keeps its slot, and a later start gets the next one.
class QuickClientAfterLocksRemoved : public PeerFaultsTest, public ::testing::WithParamInterface<bool> {};

TEST_P(QuickClientAfterLocksRemoved, LeavesTheObjectsAndDropsNobody) {
  auto program = StartPeer(0);
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  ASSERT_EQ(dispatcher.OwnSlot(), 1);
  const ObjectIdentity mapping = IdentityOfFile(MappingFile());
  const ObjectIdentity guard = IdentityOfFile(GuardFile(0));
  program->Stop();
  RemoveLocks(GetParam());
  {
    IpcObjects quick(space.ns);
    std::string err;
    ASSERT_TRUE(quick.Attach(&err)) << err;
  }
  EXPECT_TRUE(SameObject(IdentityOfFile(MappingFile()), mapping)) << "the quick client removed the mapping";
  EXPECT_TRUE(SameObject(IdentityOfFile(GuardFile(0)), guard)) << "the quick client removed the guard";
  program->Signal(SIGCONT);
  EXPECT_TRUE(PeerAnswers(0)) << "the program is not reached after the quick client";
  auto later = StartPeer(2);
  ASSERT_FALSE(HasFailure()) << "the client's slot was given to a later start";
  EXPECT_TRUE(PeerAnswers(2));
  Quit(*later, 2);
  Quit(*program, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, QuickClientAfterLocksRemoved, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "LockFolder" : "LockFiles"); });

// A start while a stopped process holds the lock file that serialises
// attaching and leaving: the start cannot join, and says clearly why,
// naming the process; once that process is gone a start joins.
TEST_F(PeerFaultsTest, AStartBesideAStoppedGateHolderSaysWhyAndJoinsOnceItIsGone) {
  auto holder = std::make_unique<Child>(test::ProgramBeside("ipc_test_peer"),
                                        std::vector<std::string> {space.ns.suffix, space.dir, "hold-gate"});
  ASSERT_EQ(holder->Line(), "slot 0");
  ASSERT_EQ(holder->Line(), "holding gate");
  holder->Stop();
  ASSERT_FALSE(dispatcher.Activate());
  const std::string why = dispatcher.ActivationError();
  EXPECT_NE(why.find("process " + std::to_string(holder->Pid()) + ", which is stopped"), std::string::npos) << why;
  EXPECT_NE(why.find(space.ns.LockPath("ZARIzu_file_mapping_gate")), std::string::npos) << why;
  holder->Signal(SIGKILL);
  ASSERT_EQ(holder->Wait(kHangMs), 128);
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  EXPECT_EQ(dispatcher.OwnSlot(), 0);
}

// The process holding the gate is named while the machine's other locks
// come and go (every program on the event interface takes and gives back
// locks all the time): the kernel's list of locks is read a page at a
// time, and locks that go meanwhile move the rest past the reader.
TEST_F(PeerFaultsTest, TheGateHolderIsNamedWhileOtherLocksComeAndGo) {
  Child holder(test::ProgramBeside("ipc_test_peer"), {space.ns.suffix, space.dir, "hold-gate"});
  ASSERT_EQ(holder.Line(), "slot 0");
  ASSERT_EQ(holder.Line(), "holding gate");
  IpcFileLock gate;
  ASSERT_TRUE(gate.Open(space.ns.LockPath("ZARIzu_file_mapping_gate"), nullptr));
  int missed = 0;
  {
    OtherLocksComingAndGoing churn(space.dir);
    for (int i = 0; i < 2000; ++i) missed += gate.HolderPid() == holder.Pid() ? 0 : 1;
  }
  EXPECT_EQ(missed, 0) << "of 2000 looks";
  holder.Signal(SIGUSR1);
  EXPECT_EQ(holder.Wait(kHangMs), 0);
}

// Two programs of one namespace ended by SIGTERM at the same instant (a
// session's end, a "killall"): each leaves as the last user would, so the
// last of them removes every object and the lock folder, whichever it is.
TEST_F(PeerFaultsTest, TwoProgramsEndedAtOnceLeaveNothing) {
  const unsigned uid = ::getuid();
  const auto objects = [&] {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator("/dev/shm"))
      n += test::SuffixOfShmEntry(e.path().filename().string(), uid) == space.ns.suffix ? 1 : 0;
    return n;
  };
  auto first = StartPeer(0);
  auto second = StartPeer(1);
  ASSERT_GT(objects(), 0);
  first->Signal(SIGTERM);
  second->Signal(SIGTERM);
  EXPECT_EQ(first->Wait(kHangMs), 128);
  EXPECT_EQ(second->Wait(kHangMs), 128);
  EXPECT_EQ(objects(), 0) << "objects of '" << space.ns.suffix << "' left in /dev/shm";
  EXPECT_FALSE(std::filesystem::exists(space.ns.LockFolder())) << space.ns.LockFolder();
}

// Peers killed with SIGKILL never detach: the mapping's attach count comes
// back to the processes that live, at a live receiver's next wake and at
// the next join, instead of rising by one for every peer killed; and it is
// the number of processes that live while the machine's locks come and go.
TEST_F(PeerFaultsTest, TheAttachCountComesBackWhenPeersAreKilled) {
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  const auto attachCount = [&] {
    uint32_t count = 0;
    std::ifstream(MappingFile(), std::ios::binary).read(reinterpret_cast<char*>(&count), sizeof count);
    return count;
  };
  // What is attached before the peers start: this program, and whatever
  // else of this test's process still is (cases run one after another in
  // one process count too).
  ASSERT_TRUE(Eventually([&] { return attachCount() >= 1u; }));
  const uint32_t before = attachCount();
  // Counted while other programs' locks come and go: the kernel's list of
  // locks then moves under the reader.
  OtherLocksComingAndGoing churn(space.dir);
  for (int round = 0; round < 3; ++round) {
    auto a = StartPeer(1);
    auto b = StartPeer(2);
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(attachCount(), before + 2) << "round " << round;
    a->Signal(SIGKILL);
    b->Signal(SIGKILL);
    ASSERT_EQ(a->Wait(kHangMs), 128);
    ASSERT_EQ(b->Wait(kHangMs), 128);
    EXPECT_TRUE(Eventually([&] { return attachCount() == before; })) << "round " << round << ": " << attachCount();
  }
  auto next = StartPeer(1);
  ASSERT_FALSE(HasFailure());
  EXPECT_EQ(attachCount(), before + 1);
  Quit(*next, 1);
  EXPECT_TRUE(Eventually([&] { return attachCount() == before; }));
}

// A peer of the same user cuts one of a program's semaphores to nothing
// (all it needs is write access to the file): the program, which runs into
// the cut at its receiver's next wake, lives on, says once which object was
// damaged, and is heard again.
struct CutSemaphoreRow {
  const char* name;
  const char* base;  // the semaphore of the program's slot
};

class SemaphoreCutShort : public PeerFaultsTest, public ::testing::WithParamInterface<CutSemaphoreRow> {};

TEST_P(SemaphoreCutShort, TheProgramLivesOnSaysWhichOnceAndIsHeardAgain) {
  const std::string errors = space.dir + "/program.err";
  auto program = std::make_unique<Child>(test::ProgramBeside("ipc_test_peer"),
                                         std::vector<std::string> {space.ns.suffix, space.dir}, errors);
  ASSERT_EQ(program->Line(), "slot 0");
  const std::string name = ObjectName(GetParam().base, 0);
  const auto said = [&] {
    std::ifstream in(errors);
    std::string line;
    int count = 0;
    while (std::getline(in, line)) count += line.find("'" + name + "'") != std::string::npos ? 1 : 0;
    return count;
  };
  ASSERT_EQ(::truncate(("/dev/shm/sem." + name.substr(1)).c_str(), 0), 0);
  ASSERT_TRUE(Eventually([&] { return said() > 0 || !program->Running(); }));
  ASSERT_TRUE(program->Running()) << "the cut ended the program";
  // Attached only now: this process would mend a cut it ran into itself.
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  EXPECT_TRUE(PeerAnswers(0)) << "the program is not heard after the cut";
  EXPECT_EQ(said(), 1) << "the damage is said more than once";
  Quit(*program, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, SemaphoreCutShort,
                         ::testing::Values(CutSemaphoreRow {"AccessGuard", kIpcGuardName},
                                           CutSemaphoreRow {"QueueFilledEvent", kIpcQueueFilledName},
                                           CutSemaphoreRow {"KillThreadEvent", kIpcKillName}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
