#include "platform/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <thread>

namespace pm2 {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::mutex& CleanupMutex() {
  static std::mutex m;
  return m;
}
std::map<int, std::function<void()>>& Cleanups() {
  static std::map<int, std::function<void()>> m;
  return m;
}
int g_nextId = 0;
int g_pipe[2] = {-1, -1};
std::atomic<bool> g_ending{false};

void OnSignal(int sig) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(sig);
  if (g_pipe[1] >= 0 && ::write(g_pipe[1], &byte, 1) < 0) {
    // Nothing to do in a handler: the signal is lost.
  }
  errno = saved;
}

void Watch() {
  unsigned char sig = 0;
  for (;;) {
    const ssize_t n = ::read(g_pipe[0], &sig, 1);
    if (n == 1) break;
    if (n < 0 && errno == EINTR) continue;
    return;
  }
  g_ending.store(true);
  RunTerminationCleanups();
  // Ended as the signal would have ended it without a handler.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  ::kill(::getpid(), sig);
  // A signal that is ignored in this process's mask elsewhere still ends it.
  ::_exit(128 + sig);
}

}  // namespace

void InstallTerminationHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (::pipe2(g_pipe, O_CLOEXEC) != 0) return;
    std::thread(Watch).detach();
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : kSignals) {
      // A signal the starter made ignored (nohup) stays ignored.
      struct sigaction old {};
      sigaction(sig, nullptr, &old);
      if (old.sa_handler == SIG_IGN) continue;
      sigaction(sig, &sa, nullptr);
    }
  });
}

int AddTerminationCleanup(std::function<void()> cleanup) {
  std::lock_guard<std::mutex> lock(CleanupMutex());
  const int id = ++g_nextId;
  Cleanups()[id] = std::move(cleanup);
  return id;
}

void RemoveTerminationCleanup(int id) {
  std::lock_guard<std::mutex> lock(CleanupMutex());
  Cleanups().erase(id);
}

bool TerminationUnderWay() { return g_ending.load(); }

void RunTerminationCleanups() {
  std::lock_guard<std::mutex> lock(CleanupMutex());
  for (auto it = Cleanups().rbegin(); it != Cleanups().rend(); ++it) it->second();
}

}  // namespace pm2
