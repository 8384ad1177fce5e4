// The user-tool thread: runs one external program for a user tool, a
// source-control command or the external flash tool, and tells the GUI
// thread with notification code 8 when it has ended. Independent runs
// start the program without capture and send nothing.
//
// Each run owns a copy of its parameters, so a second run never overwrites
// what an earlier thread is still reading.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "builder/runner/tool_environment.h"
#include "platform/serve_while_waiting.h"

namespace pm2 {

class NotificationHub;

inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 0;
inline constexpr int kShowIndependent = 0x80;  // start, don't wait or capture

// The parameters of one run.
struct ExternalRun {
  std::string program;
  std::string arguments;   // expanded argument line
  std::string folder;      // start folder; empty: the current one
  bool hasEnvironment = false;
  EnvOverlay environment;  // laid over the IDE's environment when set
  int showMode = kShowNormal;
};

// Runs one program the way the tool runner's RunExternalCommand does.
class ExternalRunner {
 public:
  virtual ~ExternalRunner() = default;
  virtual void Run(const ExternalRun& run) = 0;
};

class UserToolLauncher {
 public:
  // `state` is the application's flags word (busy bit 0x1). A waiting run
  // blocks in its code-8 notification until the GUI thread handles it, so
  // JoinAll serves the GUI thread's calls (`serve`) while it waits.
  UserToolLauncher(ExternalRunner& runner, NotificationHub& hub, std::atomic<uint32_t>& state,
                   GuiCallServer serve = {});
  // Waits for every thread it started.
  ~UserToolLauncher();
  UserToolLauncher(const UserToolLauncher&) = delete;
  UserToolLauncher& operator=(const UserToolLauncher&) = delete;

  // Starts a run that captures output and ends with code 8. The busy bit is
  // set before the thread starts, so a second request made at once is
  // refused; false (nothing started) while it is set.
  bool StartWaiting(ExternalRun run);
  // Starts a run that neither waits, captures nor notifies.
  void StartIndependent(ExternalRun run);
  // Waits for all threads started so far.
  void JoinAll();
  // The program of the waiting run in progress; empty when none runs.
  std::string WaitingProgram() const;

 private:
  ExternalRunner& m_runner;
  NotificationHub& m_hub;
  std::atomic<uint32_t>& m_state;
  GuiCallServer m_serve;
  struct Run {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  // Joins the threads that have ended; needs m_lock.
  void ReapLocked();
  void Launch(std::function<void()> body);

  mutable std::mutex m_lock;
  std::vector<Run> m_threads;
  std::string m_waitingProgram;  // set from its start to its end; needs m_lock
};

}  // namespace pm2
