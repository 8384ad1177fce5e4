// Two and more processes on the shared-memory transport: attaching and
// claiming, events both ways, broadcast, wrap-around, refusal when full, a
// slot reclaimed after its owner was killed, a reader fed garbage, and an
// independent client that speaks the layout on its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "platform/ipc_objects.h"
#include "platform/termination.h"
#include "two_process_support.h"

namespace pm2 {
namespace {

using test::Child;
using test::Inbox;

class TransportTest : public ::testing::Test {
 protected:
  TransportTest()
      : dispatcher([this](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
          auto t = bs_InterProcessEventHandler::Attach(space.ns, sink, GetEventFactory(), err);
          transport = t.get();
          return t;
        }),
        identities(dispatcher),
        statuses(dispatcher) {}

  std::unique_ptr<Child> StartPeer(int expectedSlot) {
    auto c = std::make_unique<Child>(test::ProgramBeside("ipc_test_peer"),
                                     std::vector<std::string> {space.ns.suffix, space.dir});
    EXPECT_EQ(c->Line(), "slot " + std::to_string(expectedSlot));
    return c;
  }
  // A peer in slot 1 takes this process's guard and is killed holding it.
  void KillAPeerHoldingTheGuard() {
    auto holder = StartPeer(1);
    dtc_Debug::StatusText hold("hold guard 0");
    ASSERT_TRUE(SendTo(hold, 1));
    ASSERT_EQ(holder->Line(), "holding");
    holder->Signal(SIGKILL);
    EXPECT_EQ(holder->Wait(test::kHangWaitMs), 128);
  }
  SlotView Slot(int n) { return SlotView::At(transport->MappingView(), n); }
  template <class E>
  bool SendTo(E& e, int slot) {
    e.m_nDestination = slot;
    return dispatcher.SendEvent(e);
  }
  // Sends, retrying while the receiver drains.
  template <class E>
  bool SendPatiently(E& e, int slot) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(test::kHangWaitMs);
    while (std::chrono::steady_clock::now() < until) {
      if (SendTo(e, slot)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  void Quit(Child& c, int slot) {
    dtc_Debug::StatusText quit("quit");
    EXPECT_TRUE(SendPatiently(quit, slot));
    EXPECT_EQ(c.Wait(test::kHangWaitMs), 0);
  }
  // Whether the mapping's attach count comes to `count` (and says what it
  // stayed at when it does not).
  bool CountSettlesAt(uint32_t count) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(test::kHangWaitMs);
    uint32_t seen = 0;
    while ((seen = LoadShared(transport->MappingView())) != count && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (seen != count) ADD_FAILURE() << "the attach count stays at " << seen << ", not " << count;
    return seen == count;
  }
  std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  test::TestNamespace space;
  bs_InterProcessEventHandler* transport = nullptr;
  EventDispatcher dispatcher;
  Inbox<dtc_Identify::Identity> identities;
  Inbox<dtc_Make::SetStatus> statuses;
};

TEST_F(TransportTest, AttachClaimAndExchangeBothWays) {
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  EXPECT_EQ(dispatcher.OwnSlot(), 0);
  dtc_Identify::WhoIs who;
  EXPECT_FALSE(dispatcher.SendEvent(who));  // nobody else attached
  // The attach count is counted from the live processes' locks: what this
  // test's process still holds of cases before it (they run one after
  // another in one process in CI) counts too. A count taken while a peer
  // comes or goes may be one off until the receivers count again at their
  // next idle wake, so the count is waited for.
  const uint32_t before = LoadShared(transport->MappingView());
  ASSERT_GE(before, 1u);
  auto peer = StartPeer(1);
  EXPECT_TRUE(CountSettlesAt(before + 1));
  EXPECT_EQ(LoadShared(transport->MappingView() + 4), 1u);
  EXPECT_TRUE(Slot(1).InUse());
  EXPECT_TRUE(dispatcher.SendEvent(who));
  dtc_Identify::Identity id;
  ASSERT_TRUE(identities.Next(id));
  EXPECT_EQ(id.m_strName, "peer 1");
  EXPECT_EQ(id.m_nSender, 1);
  EXPECT_EQ(id.m_Groups, TextList {"dtc_Identify"});
  Quit(*peer, 1);
  EXPECT_FALSE(Slot(1).InUse());
  EXPECT_TRUE(CountSettlesAt(before));
}

TEST_F(TransportTest, ManyEventsWrapTheRingAndArriveInOrder) {
  ASSERT_TRUE(dispatcher.Activate());
  auto peer = StartPeer(1);
  const uint32_t kLines = 3000;  // about ten times the ring
  uint32_t refusals = 0;
  for (uint32_t i = 0; i < kLines; ++i) {
    dtc_Make::BuildInfo info("src/main.c", i, "warning: something about line " + std::to_string(i));
    while (!SendTo(info, 1)) {
      ++refusals;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  dtc_Make::BuildEnd end(0);
  ASSERT_TRUE(SendPatiently(end, 1));
  dtc_Make::SetStatus status;
  ASSERT_TRUE(statuses.Next(status));
  EXPECT_EQ(status.m_nStatus, kLines);
  EXPECT_EQ(status.m_strText, "in order");
  EXPECT_EQ(Slot(1).Get(slot_field::kOverflowCount), refusals);
  EXPECT_GT(Slot(1).Get(slot_field::kHighWater), 1000u);
  Quit(*peer, 1);
}

TEST_F(TransportTest, FullRingRefusesCountsAndLeavesOneDiagnosticLine) {
  ASSERT_TRUE(dispatcher.Activate());
  auto peer = StartPeer(1);
  peer->Stop();
  uint32_t accepted = 0;
  for (;; ++accepted) {
    dtc_Make::BuildInfo info("f.c", accepted, std::string(200, 'm'));
    if (!SendTo(info, 1)) break;
  }
  EXPECT_GT(accepted, 100u);
  dtc_Make::BuildInfo again("f.c", accepted, "x");
  EXPECT_FALSE(SendTo(again, 1));
  EXPECT_EQ(Slot(1).Get(slot_field::kOverflowCount), 2u);
  EXPECT_EQ(ReadFile(transport->QueueErrorPath(1)), "while GetSendBuffer\n");
  EXPECT_EQ(transport->QueueErrorPath(1), space.dir + "/queue_error_1");
  peer->Signal(SIGCONT);
  dtc_Make::BuildEnd end(0);
  ASSERT_TRUE(SendPatiently(end, 1));
  dtc_Make::SetStatus status;
  ASSERT_TRUE(statuses.Next(status));
  EXPECT_EQ(status.m_nStatus, accepted);
  EXPECT_EQ(status.m_strText, "in order");
  Quit(*peer, 1);
}

// Send reports the write to the highest slot; SendToEveryPeer whether any
// peer took the event.
TEST_F(TransportTest, BroadcastReachesEveryPeerAndReportsTheHighestSlot) {
  ASSERT_TRUE(dispatcher.Activate());
  dtc_Identify::WhoIs alone;
  EXPECT_FALSE(dispatcher.SendToEveryPeer(alone));  // nobody else there
  auto p1 = StartPeer(1);
  auto p2 = StartPeer(2);
  auto fill = [&](int slot) {
    dtc_Make::BuildInfo info("f.c", 0, std::string(500, 'z'));
    while (SendTo(info, slot)) {
    }
    dtc_Debug::StepOver small;  // as small as a record gets, and unhandled by the peer
    while (SendTo(small, slot)) {
    }
  };
  dtc_Identify::WhoIs who;
  EXPECT_TRUE(dispatcher.SendEvent(who));
  dtc_Identify::Identity a, b;
  ASSERT_TRUE(identities.Next(a));
  ASSERT_TRUE(identities.Next(b));
  EXPECT_EQ(std::set<std::string>({a.m_strName, b.m_strName}), (std::set<std::string> {"peer 1", "peer 2"}));

  p2->Stop();
  fill(2);
  EXPECT_FALSE(dispatcher.SendEvent(who));  // slot 2, written last, refused
  ASSERT_TRUE(identities.Next(a));
  EXPECT_EQ(a.m_strName, "peer 1");
  EXPECT_TRUE(dispatcher.SendToEveryPeer(who));  // slot 1 took it
  ASSERT_TRUE(identities.Next(a));
  EXPECT_EQ(a.m_strName, "peer 1");
  p2->Signal(SIGCONT);
  p1->Stop();
  // Peer 2 drains its slot once it runs again.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(test::kHangWaitMs);
  while (Slot(2).Get(slot_field::kReadOffset) != Slot(2).Get(slot_field::kWriteOffset) &&
         std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(Slot(2).Get(slot_field::kReadOffset), Slot(2).Get(slot_field::kWriteOffset));
  fill(1);
  EXPECT_TRUE(dispatcher.SendEvent(who));  // slot 1 refused, slot 2 fine
  p1->Signal(SIGCONT);
  Quit(*p1, 1);
  Quit(*p2, 2);
}

TEST_F(TransportTest, SlotOfAKilledOwnerIsClaimedAgain) {
  ASSERT_TRUE(dispatcher.Activate());
  {
    auto peer = StartPeer(1);
    peer->Signal(SIGKILL);
    EXPECT_EQ(peer->Wait(test::kHangWaitMs), 128);
  }
  EXPECT_TRUE(Slot(1).InUse());  // the dead owner could not clear it
  auto next = StartPeer(1);
  dtc_Identify::WhoIs who;
  EXPECT_TRUE(SendTo(who, 1));
  dtc_Identify::Identity id;
  ASSERT_TRUE(identities.Next(id));
  EXPECT_EQ(id.m_nSender, 1);
  Quit(*next, 1);
}

// A peer killed while it holds the guard of this process's slot blocks the
// other peers' writes there only until the guard is found abandoned.
TEST_F(TransportTest, GuardOfAKilledHolderIsTakenOver) {
  ASSERT_TRUE(dispatcher.Activate());
  KillAPeerHoldingTheGuard();
  if (HasFatalFailure()) return;
  auto next = StartPeer(1);
  dtc_Identify::WhoIs who;
  EXPECT_TRUE(SendTo(who, 1));
  // The answer is written into slot 0 once its guard is taken over.
  dtc_Identify::Identity id;
  ASSERT_TRUE(identities.Next(id));
  EXPECT_EQ(id.m_strName, "peer 1");
  // And writes after it go through: the guard was left free.
  EXPECT_TRUE(SendTo(who, 1));
  ASSERT_TRUE(identities.Next(id));
  Quit(*next, 1);
}

// A peer killed while it holds the guard of this process's slot, between
// writes or in the middle of one: the guard is taken over, the other peers'
// answers come through again, and the guard is left free, one holder's at a
// time (no second holder let in, none left holding it).
struct KilledHolderRow {
  const char* name;
  const char* command;  // what the holder is told
};

class KilledHolder : public TransportTest, public ::testing::WithParamInterface<KilledHolderRow> {};

TEST_P(KilledHolder, IsTakenOverAndAnswersComeThroughAgain) {
  ASSERT_TRUE(dispatcher.Activate());
  {
    auto holder = StartPeer(1);
    dtc_Debug::StatusText hold(GetParam().command);
    ASSERT_TRUE(SendTo(hold, 1));
    ASSERT_EQ(holder->Line(), "holding");
    holder->Signal(SIGKILL);
    EXPECT_EQ(holder->Wait(test::kHangWaitMs), 128);
  }
  auto next = StartPeer(1);
  dtc_Identify::WhoIs who;
  dtc_Identify::Identity id;
  bool answered = false;
  // Asked again, as a client that got no answer does, until it is answered;
  // bounded only to catch a guard that is never taken over.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(test::kHangWaitMs);
  while (!answered && std::chrono::steady_clock::now() < until) {
    SendTo(who, 1);
    answered = identities.Next(id, 100);
  }
  ASSERT_TRUE(answered) << "the dead holder's guard was never taken over";
  EXPECT_EQ(id.m_strName, "peer 1");
  Quit(*next, 1);
  IpcSemaphore guard;
  std::string err;
  ASSERT_TRUE(guard.Open(space.ns.ObjectName(kIpcGuardName + std::string("0")), &err)) << err;
  EXPECT_EQ(guard.Value(), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, KilledHolder,
                         ::testing::Values(KilledHolderRow{"BetweenWrites", "hold guard 0"},
                                           KilledHolderRow{"InTheMiddleOfAWrite", "hold guard pending 0"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Random bytes over the whole mapping while peers are attached: a new peer
// still claims a free slot (one whose lock nobody holds), and events go
// both ways again.
TEST_F(TransportTest, RandomBytesOverTheMappingLeaveTheFreeSlotsFree) {
  ASSERT_TRUE(dispatcher.Activate());
  auto first = StartPeer(1);
  std::mt19937 random(103);
  uint8_t* view = transport->MappingView();
  for (size_t i = 0; i < kIpcMappingSize; ++i) view[i] = uint8_t(random());
  auto second = StartPeer(2);
  dtc_Identify::WhoIs who;
  dtc_Identify::Identity id;
  std::set<std::string> names;
  for (int i = 0; i < 30 && names.size() < 2; ++i) {
    dispatcher.SendEvent(who);
    while (identities.Next(id, 100)) names.insert(id.m_strName);
  }
  EXPECT_EQ(names, (std::set<std::string>{"peer 1", "peer 2"}));
  Quit(*first, 1);
  Quit(*second, 2);
}

// A peer killed while it holds the guard of this process's slot, and then
// random bytes over the whole mapping (every in-use flag set): a peer that
// follows the layout on its own, claiming by the in-use flag and writing
// under the semaphore alone, still gets its answer, as this process frees
// at its idle wakes what the dead held.
struct DeadPeerRow {
  const char* name;
  bool randomBytes;
};

class DeadPeer : public TransportTest, public ::testing::WithParamInterface<DeadPeerRow> {};

TEST_P(DeadPeer, APeerFollowingTheLayoutIsAnswered) {
  struct WhoIsAnswer : dtc_Identify::WhoIs::Handler {
    WhoIsAnswer(EventDispatcher& d) : Handler(d), m_d(d) {}
    void Handle(dtc_Identify::WhoIs& e) override {
      dtc_Identify::Identity id("pelmora2 " + std::to_string(m_d.OwnSlot()), TextList{"dtc_Identify"});
      id.m_nDestination = e.m_nSender;
      m_d.SendEvent(id);
    }
    EventDispatcher& m_d;
  } answer(dispatcher);
  ASSERT_TRUE(dispatcher.Activate());
  KillAPeerHoldingTheGuard();
  if (HasFatalFailure()) return;
  if (GetParam().randomBytes) {
    std::mt19937 random(54);
    uint8_t* view = transport->MappingView();
    for (size_t i = 0; i < kIpcMappingSize; ++i) view[i] = uint8_t(random() | 1);
  }
  // The peer waits for a free slot and its answer at most 10 s.
  Child client(test::ProgramBeside("ipc_peer_client"), {space.ns.suffix, space.dir, "by-flag"});
  EXPECT_EQ(client.Line(), "identity pelmora2 0 from 0 groups dtc_Identify");
  EXPECT_EQ(client.Wait(test::kHangWaitMs), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeadPeer,
                         ::testing::Values(DeadPeerRow{"HoldingTheGuard", false},
                                           DeadPeerRow{"HoldingTheGuardThenRandomBytes", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransportTest, ObjectsLeftByADeadProcessAreRebuiltByTheNextFirstAttacher) {
  {
    auto peer = StartPeer(0);
    peer->Signal(SIGKILL);
    peer->Wait(test::kHangWaitMs);
  }
  ASSERT_TRUE(dispatcher.Activate()) << dispatcher.ActivationError();
  EXPECT_EQ(dispatcher.OwnSlot(), 0);
  EXPECT_FALSE(Slot(1).InUse());
  EXPECT_EQ(LoadShared(transport->MappingView()), 1u);
}

TEST_F(TransportTest, ReaderFedGarbageSurvivesAndGoesOn) {
  ASSERT_TRUE(dispatcher.Activate());
  auto peer = StartPeer(1);
  IpcObjects raw(space.ns);
  std::string err;
  ASSERT_TRUE(raw.Attach(&err)) << err;
  struct Garbage {
    const char* name;
    std::vector<uint8_t> bytes;  // written at the write offset; published whole
    uint32_t publishExtra;       // added to the published offset
  };
  std::vector<uint8_t> noTerminator(40, 'a');
  StoreU32(noTerminator.data(), 40);
  StoreU32(noTerminator.data() + 8, dtc_Debug::kGroup);
  StoreU32(noTerminator.data() + 12, 16);  // StatusText, text runs to the end
  std::vector<uint8_t> hugeBlock(48, 0);
  StoreU32(hugeBlock.data(), 48);
  StoreU32(hugeBlock.data() + 8, dtc_Debug::kGroup);
  StoreU32(hugeBlock.data() + 12, 25);
  StoreU32(hugeBlock.data() + 32, 0x7FFFFFFF);
  const Garbage rows[] = {
      {"length 0", std::vector<uint8_t>(32, 0), 0},
      {"length beyond the ring", {0xF0, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, 0},
      {"odd length", {25, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, 0},
      {"text without terminator", noTerminator, 0},
      {"data block larger than the record", hugeBlock, 0},
      {"write offset off the grid", std::vector<uint8_t>(8, 0), 2},
  };
  dtc_Identify::WhoIs who;
  for (const Garbage& g : rows) {
    SCOPED_TRACE(g.name);
    SlotView s = Slot(1);
    ASSERT_TRUE(raw.LockGuard(1, test::kHangWaitMs));
    uint32_t W = s.Get(slot_field::kWriteOffset);
    if (W + g.bytes.size() + 8 > kIpcRingLimit) W = 0, s.Set(slot_field::kReadOffset, 0);
    std::memcpy(s.Ring() + W, g.bytes.data(), g.bytes.size());
    s.Set(slot_field::kWriteOffset, W + static_cast<uint32_t>(g.bytes.size()) + g.publishExtra);
    raw.UnlockGuard(1);
    raw.QueueFilled(1).Set();
    // The peer's reader passes the garbage by (all of what was in the ring)
    // before the question is written.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(test::kHangWaitMs);
    while (s.Get(slot_field::kReadOffset) != s.Get(slot_field::kWriteOffset) &&
           std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(s.Get(slot_field::kReadOffset), s.Get(slot_field::kWriteOffset));
    ASSERT_TRUE(SendPatiently(who, 1));
    dtc_Identify::Identity id;
    ASSERT_TRUE(identities.Next(id));
    EXPECT_EQ(id.m_strName, "peer 1");
  }
  Quit(*peer, 1);
}

TEST_F(TransportTest, IndependentClientExchangesWhoIsAndIdentity) {
  struct WhoIsAnswer : dtc_Identify::WhoIs::Handler {
    WhoIsAnswer(EventDispatcher& d) : Handler(d), m_d(d) {}
    void Handle(dtc_Identify::WhoIs& e) override {
      dtc_Identify::Identity id("pelmora2 " + std::to_string(m_d.OwnSlot()),
                                TextList {"dtc_Identify", "dtc_Make", "dtc_Debug", "dtc_TargetInfo",
                                          "dtc_TargetMessaging"});
      id.m_nDestination = e.m_nSender;
      m_d.SendEvent(id);
    }
    EventDispatcher& m_d;
  } answer(dispatcher);
  ASSERT_TRUE(dispatcher.Activate());
  Child client(test::ProgramBeside("ipc_peer_client"), {space.ns.suffix, space.dir});
  EXPECT_EQ(client.Line(),
            "identity pelmora2 0 from 0 groups dtc_Identify,dtc_Make,dtc_Debug,dtc_TargetInfo,dtc_TargetMessaging");
  EXPECT_EQ(client.Wait(test::kHangWaitMs), 0);
  dtc_Identify::Identity id;
  ASSERT_TRUE(identities.Next(id));
  EXPECT_EQ(id.m_strName, "client");
  EXPECT_EQ(id.m_nSender, 1);
  EXPECT_EQ(id.m_Groups, TextList {"dtc_Identify"});
}

// Processes of one user whose runtime folders differ (a desktop session
// and an ssh shell) share the objects and the decision which of them is
// their last user: one of them ending leaves the objects to the others, and
// a later start beside them attaches to the same objects.
TEST_F(TransportTest, PeersWithOtherRuntimeFoldersShareTheObjects) {
  ASSERT_TRUE(dispatcher.Activate());
  test::TestNamespace elsewhere, third;
  {
    Child peer(test::ProgramBeside("ipc_test_peer"), {space.ns.suffix, elsewhere.dir});
    ASSERT_EQ(peer.Line(), "slot 1");
    Quit(peer, 1);
  }
  Child next(test::ProgramBeside("ipc_test_peer"), {space.ns.suffix, third.dir});
  ASSERT_EQ(next.Line(), "slot 1");
  dtc_Identify::WhoIs who;
  ASSERT_TRUE(SendTo(who, 1));
  dtc_Identify::Identity id;
  ASSERT_TRUE(identities.Next(id));
  EXPECT_EQ(id.m_strName, "peer 1");
  Quit(next, 1);
}

// The objects removed while a process uses them (by hand, or by a program
// that took itself for their last user): the next start makes them anew
// instead of failing until that process ends.
TEST_F(TransportTest, ObjectsGoneUnderALiveUserAreMadeAnewByTheNextStart) {
  ASSERT_TRUE(dispatcher.Activate());
  ShmRegion::Unlink(space.ns.ObjectName(kIpcMappingName));
  for (const char* base : {kIpcGuardName, kIpcQueueFilledName, kIpcKillName})
    for (int i = 0; i < kIpcSlotCount; ++i) IpcSemaphore::Unlink(space.ns.ObjectName(base + std::to_string(i)));
  Child peer(test::ProgramBeside("ipc_test_peer"), {space.ns.suffix, space.dir});
  EXPECT_EQ(peer.Line(), "slot 1");  // slot 0 is still this process's
  // The new objects are shared: the next start finds the peer's slot taken.
  // (This process joins them at its next idle wake, in slot 0 again, whose
  // lock it holds; the peers end with the test.)
  Child next(test::ProgramBeside("ipc_test_peer"), {space.ns.suffix, space.dir});
  EXPECT_EQ(next.Line(), "slot 2");
}

// A user whose objects went under it attaches anew; a start that makes or
// joins the new objects while it does so finds its slot still taken.
TEST(IpcObjectsRejoin, TheSlotStaysTakenAcrossTheNewAttach) {
  test::TestNamespace space;
  IpcObjects live(space.ns);
  std::string err;
  ASSERT_TRUE(live.Attach(&err)) << err;
  ASSERT_TRUE(live.TryClaimSlot(0));
  ShmRegion::Unlink(space.ns.ObjectName(kIpcMappingName));
  for (const char* base : {kIpcGuardName, kIpcQueueFilledName, kIpcKillName})
    for (int i = 0; i < kIpcSlotCount; ++i) IpcSemaphore::Unlink(space.ns.ObjectName(base + std::to_string(i)));
  live.DetachKeepingSlot(0);
  IpcObjects start(space.ns);
  ASSERT_TRUE(start.Attach(&err)) << err;
  EXPECT_FALSE(start.TryClaimSlot(0));
  EXPECT_TRUE(start.SlotHasLiveOwner(0));
  ASSERT_TRUE(live.Attach(&err)) << err;
  EXPECT_TRUE(live.TryClaimSlot(0));
  EXPECT_TRUE(start.TryClaimSlot(1));
  // Let go at the detach: the slot is free for the next.
  live.Detach();
  EXPECT_TRUE(start.TryClaimSlot(0));
  start.Detach();
}

// A peer that cuts the mapping short (ftruncate to 4 KB) leaves this
// process running: the cut is found (by the receivers, which look at the
// size, or by the first access past the cut), the mapping is brought back to
// its size and what the cut damaged is put right, so that events go both
// ways again.
struct CutRow {
  const char* name;
  int waitMs;  // before the first send
};

class CutMapping : public TransportTest, public ::testing::WithParamInterface<CutRow> {};

TEST_P(CutMapping, IsRestoredAndEventsGoOn) {
  ASSERT_TRUE(dispatcher.Activate());
  auto peer = StartPeer(1);
  const int fd = ::shm_open(space.ns.ObjectName(kIpcMappingName).c_str(), O_RDWR, 0);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 4096), 0);
  ::close(fd);
  std::this_thread::sleep_for(std::chrono::milliseconds(GetParam().waitMs));
  dtc_Identify::WhoIs who;
  dtc_Identify::Identity id;
  bool answered = false;
  for (int i = 0; i < 30 && !answered; ++i) {
    SendTo(who, 1);
    answered = identities.Next(id, 100);
  }
  ASSERT_TRUE(answered);
  EXPECT_EQ(id.m_strName, "peer 1");
  Quit(*peer, 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, CutMapping,
                         ::testing::Values(CutRow{"FoundByAnAccess", 0},
                                           CutRow{"FoundByTheReceivers", 600}),  // past their idle wakes
                         [](const auto& info) { return std::string(info.param.name); });

// A signal that ends the program while it attaches (the objects made, the
// attach not yet through) still leaves nothing behind: its cleanup waits for
// the attach and removes the objects as their last user. Run a few times, so
// that the signal lands at different points of the attach.
TEST(IpcObjectsAtASignal, DuringTheAttachTheObjectsStillGo) {
  test::TestNamespace space;
  const std::string mapping = "/dev/shm/" + space.ns.ObjectName(kIpcMappingName).substr(1);
  const std::string lastKill = "/dev/shm/sem." + space.ns.ObjectName(kIpcKillName + std::to_string(kIpcSlotCount - 1)).substr(1);
  for (int round = 0; round < 10; ++round) {
    IpcObjects::RemoveAll(space.ns);
    IpcObjects objects(space.ns);
    std::atomic<bool> attached{false};
    std::thread signal([&] {
      // The first object made: from here on a signal must remove them.
      while (!attached.load() && access(mapping.c_str(), F_OK) != 0) std::this_thread::yield();
      RunTerminationCleanups();
    });
    std::string err;
    const bool ok = objects.Attach(&err);
    attached = true;
    signal.join();
    ASSERT_TRUE(ok) << err;
    EXPECT_NE(access(mapping.c_str(), F_OK), 0) << "round " << round;
    EXPECT_NE(access(lastKill.c_str(), F_OK), 0) << "round " << round;
    objects.Detach();
  }
}

}  // namespace
}  // namespace pm2
