#include "platform/mapping_cut_guard.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace pm2 {
namespace {

struct Guarded {
  std::atomic<uint8_t*> base {nullptr};
  std::atomic<size_t> size {0};
  std::atomic<int> fd {-1};
  std::atomic<long long> mendedFrom {-1};  // the size found at the last mended cut
};

// The event interface's mapping and its 48 semaphores, for each set of
// objects a process holds (tests hold several).
constexpr int kGuardedCount = 512;
Guarded g_guarded[kGuardedCount];
struct sigaction g_previous {};
std::once_flag g_installed;

void OnBusError(int sig, siginfo_t* info, void* context) {
  auto* at = static_cast<uint8_t*>(info->si_addr);
  for (Guarded& g : g_guarded) {
    uint8_t* base = g.base.load();
    const size_t size = g.size.load();
    if (!base || at < base || at >= base + size) continue;
    const int fd = g.fd.load();
    struct stat st {};
    if (fd >= 0 && fstat(fd, &st) == 0 && static_cast<size_t>(st.st_size) < size &&
        ftruncate(fd, static_cast<off_t>(size)) == 0) {
      g.mendedFrom.store(static_cast<long long>(st.st_size));
      return;  // the access is made again
    }
    if (fd >= 0 && fstat(fd, &st) == 0 && static_cast<size_t>(st.st_size) >= size) return;  // mended meanwhile
    break;
  }
  // Not ours to mend: what was there before decides.
  if ((g_previous.sa_flags & SA_SIGINFO) && g_previous.sa_sigaction) {
    g_previous.sa_sigaction(sig, info, context);
    return;
  }
  if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN && g_previous.sa_handler) {
    g_previous.sa_handler(sig);
    return;
  }
  // The default action: the access, made again, ends the program.
  signal(SIGBUS, SIG_DFL);
}

void Install() {
  struct sigaction sa {};
  sa.sa_sigaction = &OnBusError;
  sa.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGBUS, &sa, &g_previous);
}

}  // namespace

int GuardMappingAgainstCuts(uint8_t* base, size_t size, int fd) {
  std::call_once(g_installed, Install);
  for (int i = 0; i < kGuardedCount; ++i) {
    Guarded& g = g_guarded[i];
    uint8_t* expected = nullptr;
    if (!g.base.compare_exchange_strong(expected, reinterpret_cast<uint8_t*>(1))) continue;  // taken
    g.size.store(0);
    g.fd.store(fd);
    g.mendedFrom.store(-1);
    g.size.store(size);
    g.base.store(base);
    return i;
  }
  return -1;
}

void UnguardMapping(int token) {
  if (token < 0 || token >= kGuardedCount) return;
  Guarded& g = g_guarded[token];
  g.size.store(0);
  g.fd.store(-1);
  g.base.store(nullptr);
}

long long TakeMendedCut(int token) {
  if (token < 0 || token >= kGuardedCount) return -1;
  return g_guarded[token].mendedFrom.exchange(-1);
}

}  // namespace pm2
