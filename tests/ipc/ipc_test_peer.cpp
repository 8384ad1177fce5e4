// A second process on the event interface for the two-process tests:
//   ipc_test_peer <name suffix> <runtime folder> [hold-gate]
// It prints "slot <n>" once attached (with "hold-gate" it then takes the
// lock file that serialises attaching and leaving, keeps it and prints
// "holding gate") and then answers:
//   dtc_Identify::WhoIs         -> dtc_Identify::Identity "peer <n>" to the sender
//   dtc_Make::BuildInfo         -> counted; lines must arrive numbered 0, 1, 2, ...
//   dtc_Make::BuildEnd          -> dtc_Make::SetStatus {count, "in order" / "out of order"}
//   dtc_Debug::StatusText "quit" -> leaves and exits 0
//   dtc_Debug::StatusText "hold guard <n>" -> takes slot n's access guard,
//                                prints "holding" and keeps it (to be killed)
//   dtc_Debug::StatusText "hold guard pending <n>" -> the same, with slot n's
//                                ring reserved as by a write under way
// SIGUSR1 ends it as "quit" does (also when it cannot be reached through the
// objects); SIGTERM, SIGINT and SIGHUP end it as they end the program.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"
#include "platform/termination.h"

using namespace pm2;

namespace {

std::atomic<bool> g_quit {false};
EventDispatcher* g_pDispatcher = nullptr;

struct WhoIsHandler : dtc_Identify::WhoIs::Handler {
  using Handler::Handler;
  void Handle(dtc_Identify::WhoIs& e) override {
    dtc_Identify::Identity id("peer " + std::to_string(g_pDispatcher->OwnSlot()), TextList {"dtc_Identify"});
    id.m_nDestination = e.m_nSender;
    g_pDispatcher->SendEvent(id);
  }
};

uint32_t g_count = 0;
bool g_inOrder = true;

struct InfoHandler : dtc_Make::BuildInfo::Handler {
  using Handler::Handler;
  void Handle(dtc_Make::BuildInfo& e) override {
    if (e.m_nLine != g_count) g_inOrder = false;
    ++g_count;
  }
};

struct EndHandler : dtc_Make::BuildEnd::Handler {
  using Handler::Handler;
  void Handle(dtc_Make::BuildEnd& e) override {
    dtc_Make::SetStatus status(g_count, g_inOrder ? "in order" : "out of order");
    status.m_nDestination = e.m_nSender;
    g_count = 0;
    g_inOrder = true;
    // The sender may be flooding us; keep trying while it drains.
    for (int i = 0; i < 2000 && !g_pDispatcher->SendEvent(status); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
};

IpcNamespace* g_pNamespace = nullptr;

struct QuitHandler : dtc_Debug::StatusText::Handler {
  using Handler::Handler;
  void Handle(dtc_Debug::StatusText& e) override {
    if (e.m_strText == "quit") g_quit = true;
    if (e.m_strText.rfind("hold guard ", 0) == 0) {
      static IpcObjects objects(*g_pNamespace);
      std::string err;
      const bool pending = e.m_strText.rfind("hold guard pending ", 0) == 0;
      const int slot = std::stoi(e.m_strText.substr(pending ? 19 : 11));
      const bool held = objects.Attach(&err) && objects.LockGuard(slot, 2000);
      if (held && pending) SlotView::At(objects.View(), slot).Set(slot_field::kWriterPending, 8);
      std::printf("%s\n", held ? "holding" : err.c_str());
      std::fflush(stdout);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "hold-gate")) {
    std::fprintf(stderr, "usage: ipc_test_peer <suffix> <runtime folder> [hold-gate]\n");
    return 2;
  }
  IpcNamespace ns = IpcNamespace::ForTest(argv[1], argv[2]);
  g_pNamespace = &ns;
  InstallTerminationHandlers();
  signal(SIGUSR1, [](int) { g_quit = true; });
  {
    EventDispatcher dispatcher([&ns](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
      return bs_InterProcessEventHandler::Attach(ns, sink, GetEventFactory(), err);
    });
    g_pDispatcher = &dispatcher;
    WhoIsHandler who(dispatcher);
    InfoHandler info(dispatcher);
    EndHandler end(dispatcher);
    QuitHandler quit(dispatcher);
    if (!dispatcher.Activate()) {
      std::fprintf(stderr, "%s\n", dispatcher.ActivationError().c_str());
      return 1;
    }
    std::printf("slot %d\n", dispatcher.OwnSlot());
    std::fflush(stdout);
    IpcFileLock gate;
    if (argc == 4) {
      std::string err;
      const bool held = gate.Open(ns.LockPath("ZARIzu_file_mapping_gate"), &err) && gate.Exclusive(10000);
      std::printf("%s\n", held ? "holding gate" : err.c_str());
      std::fflush(stdout);
    }
    while (!g_quit) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return 0;
}
