// The event transport between two processes against Unix-domain sockets
// moving the same bytes:
//  - round trip of a small event (24-byte record) vs a socket ping-pong;
//  - BuildInfo events streamed one way, events per second, vs the same
//    records written to a socket.
// The ratios are printed after the run, with goals on our own times.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"

using namespace pm2;

namespace {

IpcNamespace g_ns;
EventDispatcher* g_pDispatcher = nullptr;
int g_peerSlot = -1;
int g_pingSocket = -1;    // ping-pong peer
int g_streamSocket = -1;  // stream sink peer
std::map<std::string, double> g_nsPerItem;

std::unique_ptr<EventTransport> Attach(EventSink& sink, std::string* err) {
  return bs_InterProcessEventHandler::Attach(g_ns, sink, GetEventFactory(), err);
}

// ---- the peer process --------------------------------------------------------

std::atomic<bool> g_quit {false};
uint32_t g_received = 0;

struct EchoHandler : dtc_Debug::Event36::Handler {
  using Handler::Handler;
  void Handle(dtc_Debug::Event36& e) override {
    dtc_Debug::Event36 reply(e.m_nValue);
    reply.m_nDestination = e.m_nSender;
    while (!g_pDispatcher->SendEvent(reply)) std::this_thread::yield();
  }
};
struct CountHandler : dtc_Make::BuildInfo::Handler {
  using Handler::Handler;
  void Handle(dtc_Make::BuildInfo&) override { ++g_received; }
};
struct EndHandler : dtc_Make::BuildEnd::Handler {
  using Handler::Handler;
  void Handle(dtc_Make::BuildEnd& e) override {
    dtc_Make::BuildEnd reply(g_received);
    g_received = 0;
    reply.m_nDestination = e.m_nSender;
    while (!g_pDispatcher->SendEvent(reply)) std::this_thread::yield();
  }
};
struct QuitHandler : dtc_Identify::Goodbye::Handler {
  using Handler::Handler;
  void Handle(dtc_Identify::Goodbye&) override { g_quit = true; }
};

[[noreturn]] void RunIpcPeer(int reportFd) {
  {
    EventDispatcher d(&Attach);
    g_pDispatcher = &d;
    EchoHandler echo(d);
    CountHandler count(d);
    EndHandler end(d);
    QuitHandler quit(d);
    int slot = d.Activate() ? d.OwnSlot() : -1;
    (void)!write(reportFd, &slot, sizeof slot);
    while (!g_quit) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    g_pDispatcher = nullptr;
  }  // detached here, so the last one out removes the shared objects
  _exit(0);
}

[[noreturn]] void RunSocketPeer(int fd, bool echo) {
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, echo ? 24 : sizeof buf);
    if (n <= 0) _exit(0);
    if (echo && write(fd, buf, static_cast<size_t>(n)) != n) _exit(1);
  }
}

// ---- the measuring process -----------------------------------------------------

std::mutex g_lock;
std::condition_variable g_cv;
uint32_t g_lastEcho = 0;
bool g_ended = false;
uint32_t g_endCount = 0;

struct EchoBack : dtc_Debug::Event36::Handler {
  using Handler::Handler;
  void Handle(dtc_Debug::Event36& e) override {
    std::lock_guard<std::mutex> g(g_lock);
    g_lastEcho = e.m_nValue;
    g_cv.notify_one();
  }
};
struct EndBack : dtc_Make::BuildEnd::Handler {
  using Handler::Handler;
  void Handle(dtc_Make::BuildEnd& e) override {
    std::lock_guard<std::mutex> g(g_lock);
    g_ended = true;
    g_endCount = e.m_nResult;
    g_cv.notify_one();
  }
};

void Record(benchmark::State& state, const char* name, std::chrono::steady_clock::duration total, double items) {
  double ns = std::chrono::duration<double, std::nano>(total).count();
  g_nsPerItem[name] = ns / items;
  state.SetItemsProcessed(static_cast<int64_t>(items));
}

void BM_EventRoundTrip(benchmark::State& state) {
  uint32_t seq = 0;
  auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    dtc_Debug::Event36 ping(++seq);
    ping.m_nDestination = g_peerSlot;
    while (!g_pDispatcher->SendEvent(ping)) std::this_thread::yield();
    std::unique_lock<std::mutex> g(g_lock);
    g_cv.wait(g, [&] { return g_lastEcho == seq; });
  }
  Record(state, "event round trip", std::chrono::steady_clock::now() - t0, static_cast<double>(state.iterations()));
}

void BM_SocketPingPong(benchmark::State& state) {
  char buf[24] = {};
  auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (write(g_pingSocket, buf, sizeof buf) != 24) state.SkipWithError("write");
    size_t got = 0;
    while (got < 24) {
      ssize_t n = read(g_pingSocket, buf + got, 24 - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
  }
  Record(state, "socket ping-pong", std::chrono::steady_clock::now() - t0, static_cast<double>(state.iterations()));
}

constexpr uint32_t kBatch = 2000;

void BM_BuildInfoStream(benchmark::State& state) {
  dtc_Make::BuildInfo info("C:\\project\\src\\main.c", 42, "warning C4244: conversion from 'int' to 'char'");
  info.m_nDestination = g_peerSlot;
  auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (uint32_t i = 0; i < kBatch; ++i)
      while (!g_pDispatcher->SendEvent(info)) std::this_thread::yield();
    dtc_Make::BuildEnd end(0);
    end.m_nDestination = g_peerSlot;
    while (!g_pDispatcher->SendEvent(end)) std::this_thread::yield();
    std::unique_lock<std::mutex> g(g_lock);
    g_cv.wait(g, [] { return g_ended; });
    g_ended = false;
    if (g_endCount != kBatch) state.SkipWithError("events lost");
  }
  Record(state, "BuildInfo events", std::chrono::steady_clock::now() - t0,
         static_cast<double>(state.iterations()) * kBatch);
}

void BM_SocketStream(benchmark::State& state) {
  dtc_Make::BuildInfo info("C:\\project\\src\\main.c", 42, "warning C4244: conversion from 'int' to 'char'");
  std::vector<uint8_t> rec(GetEventFactory().GetEventRecordSize(info) + 8);
  GetEventFactory().WriteEventRecord(info, rec.data() + 8, rec.size() - 8, 0);
  auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (uint32_t i = 0; i < kBatch; ++i)
      if (write(g_streamSocket, rec.data(), rec.size()) != static_cast<ssize_t>(rec.size()))
        state.SkipWithError("write");
  }
  Record(state, "socket records", std::chrono::steady_clock::now() - t0,
         static_cast<double>(state.iterations()) * kBatch);
}

BENCHMARK(BM_EventRoundTrip)->UseRealTime();
BENCHMARK(BM_SocketPingPong)->UseRealTime();
BENCHMARK(BM_BuildInfoStream)->UseRealTime();
BENCHMARK(BM_SocketStream)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // Peers are forked before any thread exists.
  g_ns = IpcNamespace::FromEnvironment();
  g_ns.suffix += "-bench" + std::to_string(getpid());
  int report[2];
  if (pipe(report) != 0) return 1;
  pid_t ipcPeer = fork();
  if (ipcPeer == 0) RunIpcPeer(report[1]);
  int sp[2], ss[2];
  socketpair(AF_UNIX, SOCK_STREAM, 0, sp);
  socketpair(AF_UNIX, SOCK_STREAM, 0, ss);
  pid_t pingPeer = fork();
  if (pingPeer == 0) {
    close(sp[0]), close(ss[0]), close(ss[1]);  // so each peer sees its end of file
    RunSocketPeer(sp[1], true);
  }
  pid_t streamPeer = fork();
  if (streamPeer == 0) {
    close(sp[0]), close(sp[1]), close(ss[0]);
    RunSocketPeer(ss[1], false);
  }
  close(sp[1]);
  close(ss[1]);
  g_pingSocket = sp[0];
  g_streamSocket = ss[0];
  if (read(report[0], &g_peerSlot, sizeof g_peerSlot) != sizeof g_peerSlot || g_peerSlot < 0) {
    std::fprintf(stderr, "the peer could not attach\n");
    return 1;
  }

  {
    EventDispatcher d(&Attach);
    g_pDispatcher = &d;
    EchoBack echo(d);
    EndBack end(d);
    if (!d.Activate()) {
      std::fprintf(stderr, "%s\n", d.ActivationError().c_str());
      return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    dtc_Identify::Goodbye bye;
    bye.m_nDestination = g_peerSlot;
    d.SendEvent(bye);
    g_pDispatcher = nullptr;
  }
  close(sp[0]);
  close(ss[0]);
  waitpid(ipcPeer, nullptr, 0);
  waitpid(pingPeer, nullptr, 0);
  waitpid(streamPeer, nullptr, 0);

  // Goals on our own time (the socket is told for scale): a round trip a
  // client does not feel (100 us), and 50,000 build events a second.
  auto ratio = [](const char* ours, const char* peer, double goalNs) {
    if (!g_nsPerItem.count(ours) || !g_nsPerItem.count(peer)) return;
    std::printf("%-18s %10.0f ns/item   %-18s %10.0f ns/item   ratio %.2f (goal ours <= %.0f ns: %s)\n", ours,
                g_nsPerItem[ours], peer, g_nsPerItem[peer], g_nsPerItem[ours] / g_nsPerItem[peer], goalNs,
                g_nsPerItem[ours] <= goalNs ? "met" : "NOT met");
  };
  ratio("event round trip", "socket ping-pong", 100000);
  ratio("BuildInfo events", "socket records", 20000);
  if (g_nsPerItem.count("BuildInfo events"))
    std::printf("BuildInfo events per second: %.0f\n", 1e9 / g_nsPerItem["BuildInfo events"]);
  return 0;
}
