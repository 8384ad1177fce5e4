// The conversation with one gdb process over GDB/MI. Every command carries
// a numeric token; a table maps the token to the continuation that handles
// its answer. A reader thread parses gdb's lines and runs continuations and
// the stop and stream handlers; nothing waits for "the next line". One
// state machine owns the session: Starting, Stopped, Running, Exiting,
// Dead; a gdb that ends moves it to Dead with a reason.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "debugger/gdb/process/child_process.h"
#include "debugger/gdb/process/run_queue_credit.h"
#include "debugger/gdb/mi/mi_parser.h"

namespace pm2::gdb {

enum class SessionState { Starting, Stopped, Running, Exiting, Dead };
const char* StateName(SessionState s);

class GdbConnection {
 public:
  using Continuation = std::function<void(MiRecord&)>;
  struct Handlers {
    std::function<void(const MiRecord&)> stopped;   // *stopped
    // After a stop's state is Stopped: others may now ask gdb.
    std::function<void()> settled;
    std::function<void()> running;                  // *running
    std::function<void(const std::string&)> console;  // ~ and @ streams
    std::function<void(const std::string&)> log;      // & stream: gdb's own messages
    std::function<void(const std::string& reason)> dead;
    // An answer to a command came after a call had stopped waiting for
    // one (gdb, or the server it waited for, was held and goes on): gdb
    // answers again. Runs after the answer's own handling.
    std::function<void(const MiRecord&)> answeredAgain;
  };

  explicit GdbConnection(Handlers handlers);
  ~GdbConnection();
  GdbConnection(const GdbConnection&) = delete;
  GdbConnection& operator=(const GdbConnection&) = delete;

  // Starts gdb with the MI interpreter; false with *err.
  bool Start(const std::vector<std::string>& argv, std::string* err);
  // Sends a command; the continuation runs on the reader thread with the
  // result record (class "error" with msg when gdb ended first). Returns
  // the token, or -1 when the session is dead.
  int64_t Send(const std::string& command, Continuation then = nullptr);
  // Sends a command and waits at most timeoutMs for its result; a record
  // of class "timeout" when none came. A call that timed out leaves gdb
  // silent: later calls return "timeout" at once, without sending, until gdb
  // writes its next line, so a stopped gdb or server holds the caller for
  // one bound, not one per question. A call from the thread that started
  // gdb (the window's) while gdb is stopped by a signal does not wait: it
  // is not sent, and gdb is silent at once (kHeldProbe is sent instead, so
  // that gdb's answer to it ends the silence when gdb goes on).
  // `answered`, when given, sees the answer first, on the reader thread (in
  // order with gdb's streams, before the caller wakes).
  MiRecord Call(const std::string& command, int timeoutMs, const Continuation& answered = nullptr);
  static constexpr const char* kHeldProbe = "-list-features";
  // gdb answers nothing now: a call timed out and gdb wrote nothing since,
  // or gdb is stopped by a signal.
  bool Silent() const;
  // A call stopped waiting and gdb has answered no command since: it may
  // still be at that command (a typed "print f()" whose call runs on), and
  // until it ends gdb reads no other.
  bool Owing() const;
  // Sends gdb SIGINT: while gdb runs the target for a command of its own
  // ("print f()") it reads no other, but the signal makes it stop the target.
  void SignalInterrupt();
  // Waits until the state is Stopped (or Dead); false on timeout.
  bool WaitStopped(int timeoutMs);
  uint64_t Stops() const;

  SessionState State() const;
  std::string DeadReason() const;
  // Moves to Dead with a reason (once) and kills gdb.
  void Die(const std::string& reason);
  // Kills gdb (the reader then sees its end).
  void KillProcess();
  // Ends gdb: Exiting, "-gdb-exit", then the process is killed and the
  // reader joined. The reader may be handing gdb's text to the thread that
  // closes (the window's), waiting for it: `serve`, when given, runs on the
  // closing thread while the reader has not ended, so that neither waits
  // for the other for good.
  void Close(const std::function<void()>& serve = nullptr);
  pid_t Pid() const { return m_child.Pid(); }
  // The threads gdb's answers wait for (gdb's, the reader's, and those
  // watched with WatchAlso: the emulator's): the bounds of Call and
  // WaitStopped last longer by what they waited for a processor.
  const RunQueueCredit& Credit() const { return m_credit; }
  void WatchAlso(pid_t pid) { m_credit.WatchProcess(pid); }

  // Handles one line as the reader does (also for tests).
  void HandleLine(std::string_view line);

  // The environment variable that names a file to which every line sent
  // to gdb and every line it wrote is appended, with the milliseconds
  // since the session started ("> " sent, "< " read): what was said to
  // gdb when it ended or refused. The file is opened when gdb starts.
  static constexpr const char* kMiLogVariable = "PM2_GDB_MI_LOG";

 private:
  void ReadLoop();
  void Log(char direction, std::string_view line);
  void SetState(SessionState s);

  Handlers m_handlers;
  std::string m_program;     // as the settings name it
  std::string m_unreadable;  // the last lines that were no MI record (under m_mutex)
  ChildProcess m_child;
  RunQueueCredit m_credit;
  std::thread::id m_starter;  // the thread that started gdb: the window's
  std::thread m_reader;
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::map<int64_t, Continuation> m_pending;
  int64_t m_nextToken = 1;
  SessionState m_state = SessionState::Starting;
  std::string m_deadReason;
  uint64_t m_stops = 0;
  bool m_silent = false;
  // A call stopped waiting, and no answer to any command came since.
  bool m_unanswered = false;
  bool m_readerEnded = false;
  std::mutex m_writeMutex;
  std::mutex m_logMutex;
  std::FILE* m_log = nullptr;  // the MI log (kMiLogVariable); null when none
  std::chrono::steady_clock::time_point m_logStart;
};

}  // namespace pm2::gdb
