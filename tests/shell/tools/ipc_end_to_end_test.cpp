// The build and project handlers in this process, driven by a client
// process over the shared-memory transport.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "ipc/client_inbox.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"
#include "ipc/two_process_support.h"
#include "platform/ipc_objects.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/tools/ipc_build_handlers.h"
#include "shell/tools/ipc_notifications.h"

namespace pm2 {
namespace {

// The shell: a project, a build that prints 50 lines on its own thread.
struct BuildingShell : IpcShell {
  bool HasTarget() override { return true; }
  bool IsBusy() override { return busy.load(); }
  bool HasDebugRecord() override { return true; }
  bool IsDebugging() override { return false; }
  bool RequestBuild(uint8_t) override {
    if (refuseNext.exchange(false)) return false;  // the GUI thread was not ready
    busy = true;
    // The build can end before the new thread is stored: the store is
    // guarded so that JoinWorker, called once the end was heard, sees it.
    std::lock_guard<std::mutex> g(workerLock);
    worker = std::thread([this] {
      for (int i = 0; i < 50; ++i) notifier->SendBuildInfoEvent(("main.c(" + std::to_string(i + 1) + "): warning").c_str());
      notifier->SendBuildEndEvent(0);
      busy = false;
    });
    return true;
  }
  void StopBuild() override {}
  void RunOnGuiThread(const std::function<void()>& fn) override {
    std::lock_guard<std::mutex> g(gui);
    fn();
  }
  ProjectRec* Project() override { return project; }
  void ProjectTreeChanged() override {}
  const NodeRec* OptionsSheetNode() override { return nullptr; }
  bool ComponentsSheetOpen() override { return false; }
  std::string AbsolutePath(const std::string& stored) override { return stored; }
  ~BuildingShell() { JoinWorker(); }
  void JoinWorker() {
    std::lock_guard<std::mutex> g(workerLock);
    if (worker.joinable()) worker.join();
  }

  std::atomic<bool> busy{false};
  std::atomic<bool> refuseNext{true};
  std::mutex gui;
  std::mutex workerLock;
  std::thread worker;
  ProjectRec* project = nullptr;
  IpcNotifier* notifier = nullptr;
};

TEST(IpcEndToEnd, ClientIdentifiesSetsGroupAndBuilds) {
  const std::string client = test::ProgramBeside("shell_tools_ipc_client");
  if (::access(client.c_str(), X_OK) != 0) GTEST_SKIP() << "client program missing";
  test::TestNamespace tns;
  BuildingShell shell;
  shell.project = NewProject("remote", "/p/");
  theApp().m_pProject = shell.project;
  shell.project->curTarget->toolset = kToolsetArmGnu;
  IpcShellState state;
  EventDispatcher d([&](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
    return bs_InterProcessEventHandler::Attach(tns.ns, sink, GetEventFactory(), err);
  });
  IpcSendFn send = [&d](dtc_EventBase& e) { return d.SendEvent(e); };
  IpcBuildHandlers handlers(d, shell, state, send);
  IpcNotifier notifier(d, shell, state, send, [&d] { return d.OwnSlot(); });
  shell.notifier = &notifier;
  ASSERT_TRUE(notifier.StartEventInterface([&d] { return d.Activate(); }, {})) << d.ActivationError();
  EXPECT_EQ(state.muted, 1);  // nobody else was there

  test::Child child(client, {tns.ns.suffix, tns.dir});
  ASSERT_EQ(child.Line(), "attached");
  dtc_Debug::StatusText start("start");
  ASSERT_TRUE(d.SendEvent(start));
  EXPECT_EQ(child.Line(), "identity Pelmora2 " + std::to_string(d.OwnSlot()));
  EXPECT_EQ(state.muted, 0);
  EXPECT_EQ(child.Line(), "project remote");
  EXPECT_EQ(child.Line(), "status 0 Ok.");
  // The build did not start: the client hears so, and no build client is
  // left behind.
  EXPECT_EQ(child.Line(), "status 1 Build command is currently executing");
  EXPECT_EQ(child.Line(), "waiting");
  for (int i = 0; i < 5000 && (shell.refuseNext || state.buildClient != -1); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(shell.refuseNext);
  EXPECT_EQ(state.buildClient, -1);
  dtc_Debug::StatusText go("go");
  ASSERT_TRUE(d.SendEvent(go));
  EXPECT_EQ(child.Line(), "say go");
  EXPECT_EQ(child.Line(), "line main.c|warning");
  EXPECT_EQ(child.Line(), "lines 50");
  EXPECT_EQ(child.Line(), "end 0");
  EXPECT_EQ(child.Wait(test::kHangWaitMs), 0);
  shell.JoinWorker();
  GroupRec* g = FindGroupByName(shell.project->firstGroup, "Remote");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->firstFile->path.str(), "/src/a.c");
  theApp().m_pProject = nullptr;
  PoolFreeAll();
}

// A peer above the client that takes nothing in (a stopped or hung process:
// it holds its slot, its ring is full) when the client asks who is there.
// The identity still reached the client, so the program keeps sending: the
// client's build is told line by line and ends with its end.
TEST(IpcEndToEnd, AStalledPeerAboveTheClientLeavesTheClientAnswered) {
  test::TestNamespace tns;
  auto attach = [&tns](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
    return bs_InterProcessEventHandler::Attach(tns.ns, sink, GetEventFactory(), err);
  };
  BuildingShell shell;
  shell.refuseNext = false;
  IpcShellState state;
  EventDispatcher program(attach);
  IpcSendFn send = [&program](dtc_EventBase& e) { return program.SendEvent(e); };
  IpcBuildHandlers handlers(program, shell, state, send);
  IpcNotifier notifier(program, shell, state, send, [&program] { return program.OwnSlot(); },
                       [&program](dtc_EventBase& e) { return program.SendToEveryPeer(e); });
  shell.notifier = &notifier;
  ASSERT_TRUE(program.Activate());
  ASSERT_EQ(program.OwnSlot(), 0);

  test::ClientInbox inbox;
  EventDispatcher client(attach);
  test::Collect<dtc_Identify::Identity, EventHandlerRegistry> id(client, inbox,
                                                                  [](auto& e) { return "identity " + e.m_strName; });
  test::Collect<dtc_Make::BuildInfo, EventHandlerRegistry> info(client, inbox, [](auto&) { return std::string("line"); });
  test::Collect<dtc_Make::BuildEnd, EventHandlerRegistry> end(
      client, inbox, [](auto& e) { return "end " + std::to_string(e.m_nResult); });
  ASSERT_TRUE(client.Activate());
  ASSERT_EQ(client.OwnSlot(), 1);

  std::string err;
  IpcObjects stalled(tns.ns);
  ASSERT_TRUE(stalled.Attach(&err)) << err;
  ASSERT_TRUE(stalled.TryClaimSlot(2));
  SlotView ring = SlotView::At(stalled.View(), 2);
  ring.InitialiseRing();
  ring.Set(slot_field::kInUse, 1);
  dtc_Make::BuildInfo big("f.c", 0, std::string(500, 'z'));
  big.m_nDestination = 2;
  while (program.SendEvent(big)) {
  }
  dtc_Debug::StepOver small;  // as small as a record gets
  small.m_nDestination = 2;
  while (program.SendEvent(small)) {
  }

  dtc_Identify::WhoIs who;
  who.m_nDestination = 0;
  ASSERT_TRUE(client.SendEvent(who));
  EXPECT_EQ(inbox.Next(), "identity Pelmora2 0");
  dtc_Make::Build build(0);
  build.m_nDestination = 0;
  ASSERT_TRUE(client.SendEvent(build));
  int lines = 0;
  std::string s;
  while ((s = inbox.Next()) == "line") ++lines;
  EXPECT_EQ(lines, 50);
  EXPECT_EQ(s, "end 0");
  EXPECT_EQ(state.muted, 0);
  shell.JoinWorker();
}

// A start while another process holds the lock that lets processes attach
// one at a time, and is stopped: the start fails and says so; the program
// joins once that process is gone, and answers who it is.
TEST(IpcEndToEnd, AStartKeptOutByAStoppedProcessJoinsOnceItIsGone) {
  test::TestNamespace tns;
  auto attach = [&tns](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
    return bs_InterProcessEventHandler::Attach(tns.ns, sink, GetEventFactory(), err);
  };
  BuildingShell shell;
  IpcShellState state;
  EventDispatcher program(attach);
  IpcSendFn send = [&program](dtc_EventBase& e) { return program.SendEvent(e); };
  IpcNotifier notifier(program, shell, state, send, [&program] { return program.OwnSlot(); },
                       [&program](dtc_EventBase& e) { return program.SendToEveryPeer(e); });
  test::Child holder(test::ProgramBeside("../../ipc/ipc_test_peer"), {tns.ns.suffix, tns.dir, "hold-gate"});
  ASSERT_EQ(holder.Line(), "slot 0");
  ASSERT_EQ(holder.Line(), "holding gate");
  holder.Stop();
  std::string reported;
  ASSERT_FALSE(notifier.StartEventInterface([&program] { return program.Activate(); },
                                            [&reported](const std::string& text) { reported = text; }));
  EXPECT_EQ(reported, kIpcStartFailed);
  ASSERT_TRUE(IpcObjects::AttachLockHeld(tns.ns));
  notifier.JoinLater([&program] { return program.Activate(); }, [&tns] { return !IpcObjects::AttachLockHeld(tns.ns); });
  holder.Signal(SIGKILL);
  ASSERT_EQ(holder.Wait(test::kHangWaitMs), 128);

  test::ClientInbox inbox;
  EventDispatcher client(attach);
  test::Collect<dtc_Identify::Identity, EventHandlerRegistry> id(client, inbox,
                                                                  [](auto& e) { return "identity " + e.m_strName; });
  ASSERT_TRUE(client.Activate()) << client.ActivationError();
  // Asked until the program, once it joined, answers.
  std::string heard;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(test::kHangWaitMs);
  while (heard.rfind("identity Pelmora2 ", 0) != 0 && std::chrono::steady_clock::now() < until) {
    dtc_Identify::WhoIs who;
    who.m_nDestination = -1;
    client.SendEvent(who);
    heard = inbox.Next(200);
  }
  EXPECT_EQ(heard.rfind("identity Pelmora2 ", 0), 0u) << "the program never joined: " << heard;
  EXPECT_EQ(state.startFailed, 0);
}

}  // namespace
}  // namespace pm2
