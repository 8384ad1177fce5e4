// A process of our own on the event interface for tests: a dispatcher with
// the shared-memory transport in a namespace of its own, handlers that
// collect what arrives, and helpers that start the peer programs.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"
#include "hang_guard.h"
#include "test_leftovers.h"

extern char** environ;

namespace pm2::test {

// Events of type X that reached this process, in arrival order.
template <class X>
class Inbox : public X::Handler {
 public:
  explicit Inbox(EventHandlerRegistry& r) : X::Handler(r) {}
  void Handle(X& e) override {
    std::lock_guard<std::mutex> g(m_lock);
    m_events.push_back(e);
    m_cv.notify_all();
  }
  // The next event, waiting at most `ms`; false when none came.
  bool Next(X& out, int ms = kHangWaitMs) {
    std::unique_lock<std::mutex> g(m_lock);
    if (!m_cv.wait_for(g, std::chrono::milliseconds(ms), [&] { return !m_events.empty(); })) return false;
    out = m_events.front();
    m_events.pop_front();
    return true;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_cv;
  std::deque<X> m_events;
};

inline std::string ProgramBeside(const char* name) {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

// A child program whose first output line is read back; its error output
// goes to `errorFile` when one is named.
class Child {
 public:
  Child(const std::string& program, const std::vector<std::string>& args, const std::string& errorFile = "") {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    if (!errorFile.empty()) posix_spawn_file_actions_addopen(&fa, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv {const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, program.c_str(), &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    m_out = fdopen(fds[0], "r");
  }
  ~Child() {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    if (m_out) fclose(m_out);
  }
  std::string Line() {
    char buf[512];
    if (!m_out || !fgets(buf, sizeof buf, m_out)) return "";
    std::string s(buf);
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
  }
  // Exit code, or -1 when it did not end within `ms`.
  int Wait(int ms) {
    for (int i = 0; i < ms; ++i) {
      int status = 0;
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return -1;
  }
  // True while it has not ended.
  bool Running() {
    int status = 0;
    if (m_pid <= 0) return false;
    if (waitpid(m_pid, &status, WNOHANG) != m_pid) return true;
    m_pid = -1;
    return false;
  }
  void Signal(int sig) { kill(m_pid, sig); }
  // Stops the child and returns once it is stopped.
  void Stop() {
    kill(m_pid, SIGSTOP);
    int status = 0;
    waitpid(m_pid, &status, WUNTRACED);
  }
  pid_t Pid() const { return m_pid; }

 private:
  pid_t m_pid = -1;
  FILE* m_out = nullptr;
};

// A unique namespace and runtime folder per test, removed afterwards.
struct TestNamespace {
  TestNamespace() {
    static int counter = 0;
    std::string tmpl = test::TempFolder() + "/pm2-ipc-test-XXXXXX";
    dir = mkdtemp(tmpl.data());
    ns = IpcNamespace::ForTest(TestSuffix("t" + std::to_string(++counter)), dir);
  }
  ~TestNamespace() {
    IpcObjects::RemoveAll(ns);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir;
  IpcNamespace ns;
};

}  // namespace pm2::test
