// A child process of the driver (gdb, qemu) that ends with its owner: it
// runs in a process group of its own, which Kill ends as a whole, and it is
// sent SIGKILL by the kernel when the thread that started it ends, so a
// killed IDE leaves no child behind.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

namespace pm2::gdb {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] (looked up in PATH). With pipes set, standard input and
  // output are pipes to this process (stderr joins stdout); otherwise both
  // go to /dev/null. A descriptor passed (passFd >= 0) is the child's
  // descriptor 3, a second one (passFd4 >= 0) its descriptor 4. False with
  // *err naming the program.
  bool Start(const std::vector<std::string>& argv, bool pipes, std::string* err, int passFd = -1,
             int passFd4 = -1);
  pid_t Pid() const { return m_pid; }
  int InFd() const { return m_in; }    // write end of the child's stdin
  int OutFd() const { return m_out; }  // read end of the child's stdout
  // True while the child has not ended (reaps it when it has).
  bool Running();
  // Waits for the child to end: its exit status, -1 when a signal ended it
  // (or it was reaped already). A child still running after `boundMs` is
  // ended (Kill) and counts as ended by a signal; *late (if given) says so.
  int Wait(int boundMs, bool* late = nullptr);
  // Ends the process group (SIGKILL) and reaps the child; the output pipe
  // stays open for a reader to see its end.
  void Kill();
  // Sends the child a signal while it is not yet reaped (a reaped child's
  // number may be another process's by now).
  void Signal(int signal);
  // True while the child is stopped by a signal (SIGSTOP, SIGTSTP, a
  // debugger of its own): it reads and answers nothing until it goes on.
  bool Held() const;
  // Closes the pipe to the child's stdin.
  void CloseInput();
  // Without pipes: the first `max` bytes the child wrote to its standard
  // output and error (kept in memory of its own, not a file of the user's).
  std::string Said(std::size_t max) const;

 private:
  pid_t m_pid = -1;
  int m_in = -1;
  int m_out = -1;
  int m_said = -1;  // without pipes: what the child writes
  bool m_reaped = false;
  // Signal and the reaps (Kill, Wait, Running) take turns: another thread
  // may signal the child while the owner ends it.
  mutable std::mutex m_reapMutex;
};

// The full path of a program found in PATH; "" when none.
std::string FindInPath(const std::string& program);

}  // namespace pm2::gdb
