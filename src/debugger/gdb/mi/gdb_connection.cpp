#include "debugger/gdb/mi/gdb_connection.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <memory>
#include <utility>

namespace pm2::gdb {

namespace {

// How long a command line may wait for room in gdb's input pipe: a stopped
// gdb that has filled it never blocks the writer for good.
constexpr int kWriteBoundMs = 1000;
// How often a close serves its thread while the reader has not ended.
constexpr int kServeEveryMs = 10;
// The characters of lines that are no GDB/MI record kept to tell why the
// program ended.
constexpr std::size_t kUnreadableKept = 300;

}  // namespace

const char* StateName(SessionState s) {
  static const char* const kNames[] = {"starting", "stopped", "running", "exiting", "dead"};
  return kNames[int(s)];
}

GdbConnection::GdbConnection(Handlers handlers) : m_handlers(std::move(handlers)) {}

GdbConnection::~GdbConnection() {
  Close();
  if (m_log) std::fclose(m_log);
}

void GdbConnection::Log(char direction, std::string_view line) {
  std::lock_guard<std::mutex> lock(m_logMutex);
  if (!m_log) return;
  const long long ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_logStart).count();
  std::fprintf(m_log, "%8lld %c %.*s\n", ms, direction, int(line.size()), line.data());
  std::fflush(m_log);
}

bool GdbConnection::Start(const std::vector<std::string>& argv, std::string* err) {
  // A gdb that ended while a command was on its way must not end the
  // program with it: the write then fails with EPIPE (the session goes to
  // dead by its reader), instead of raising SIGPIPE, whose default ends the
  // process that loaded the driver.
  static const bool pipeSignalIgnored = [] { return ::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
  (void)pipeSignalIgnored;
  m_program = argv.at(0);
  m_starter = std::this_thread::get_id();
  if (const char* log = std::getenv(kMiLogVariable); log && *log) {
    std::lock_guard<std::mutex> lock(m_logMutex);
    if (!m_log) m_log = std::fopen(log, "a");
    m_logStart = std::chrono::steady_clock::now();
  }
  if (!m_child.Start(argv, true, err)) return false;
  if (m_log) Log('=', "started " + m_program + " as process " + std::to_string(m_child.Pid()));
  fcntl(m_child.InFd(), F_SETFL, fcntl(m_child.InFd(), F_GETFL) | O_NONBLOCK);
  m_credit.WatchProcess(m_child.Pid());
  m_reader = std::thread([this] {
    m_credit.WatchThread(pid_t(::gettid()));
    ReadLoop();
  });
  return true;
}

void GdbConnection::ReadLoop() {
  std::string buffer;
  char chunk[65536];
  // A long line (a memory block's hex) comes in many reads: only what
  // arrived since the last look is searched for its end.
  std::size_t searched = 0;
  for (;;) {
    ssize_t n = read(m_child.OutFd(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    buffer.append(chunk, std::size_t(n));
    std::size_t start = 0;
    for (;;) {
      std::size_t end = buffer.find('\n', std::max(start, searched));
      if (end == std::string::npos) break;
      if (m_log) Log('<', std::string_view(buffer).substr(start, end - start));
      HandleLine(std::string_view(buffer).substr(start, end - start));
      start = end + 1;
    }
    buffer.erase(0, start);
    searched = buffer.size();
  }
  std::string said;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    said = m_unreadable;
  }
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
  if (m_log) Log('=', "ended");
  Die(m_program + " ended" + (said.empty() ? std::string() : "; it said: " + said));
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_readerEnded = true;
  }
  m_changed.notify_all();
}

void GdbConnection::HandleLine(std::string_view line) {
  MiRecord r = ParseMiLine(line);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    // gdb that only complains on its log stream (about a server that does
    // not answer) is still silent: the next question would wait again.
    if (r.kind != MiKind::Log) m_silent = false;
    // What a program that is no gdb writes ("cat: invalid option"): the
    // words its end is told with (the last ones, bounded).
    if (r.kind == MiKind::Invalid && !line.empty()) {
      m_unreadable.append(line.data(), line.size()).append("\n");
      if (m_unreadable.size() > kUnreadableKept) m_unreadable.erase(0, m_unreadable.size() - kUnreadableKept);
    }
  }
  if (r.kind == MiKind::Invalid && r.token >= 0 && line.find('^') == std::to_string(r.token).size()) {
    // An answer that can't be read still ends its caller's wait, as an
    // error that says so: gdb answered, it is not silent.
    const std::string why = "gdb's answer could not be read (" + r.error + ")";
    const int64_t token = r.token;
    r = MiRecord{};
    r.kind = MiKind::Result;
    r.token = token;
    r.cls = "error";
    r.results.items.push_back({"msg", MiValue{MiValue::Kind::String, why, {}}});
  }
  switch (r.kind) {
    case MiKind::Result: {
      Continuation then;
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_pending.find(r.token);
        if (it != m_pending.end()) {
          then = std::move(it->second);
          m_pending.erase(it);
        }
        if (r.cls == "running" && m_state != SessionState::Exiting && m_state != SessionState::Dead)
          m_state = SessionState::Running;
      }
      m_changed.notify_all();
      if (then) then(r);
      // Any answer, the late one or one to a later command: what gdb
      // wrote before it (its log stream's complaints about its server)
      // answered nothing.
      bool late = false;
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        late = std::exchange(m_unanswered, false);
      }
      if (late && m_handlers.answeredAgain) m_handlers.answeredAgain(r);
      break;
    }
    case MiKind::Exec:
      if (r.cls == "running") {
        SetState(SessionState::Running);
        if (m_handlers.running) m_handlers.running();
      } else if (r.cls == "stopped") {
        // The handler sees the stop before a waiter does.
        if (m_handlers.stopped) m_handlers.stopped(r);
        {
          std::lock_guard<std::mutex> lock(m_mutex);
          ++m_stops;
          if (m_state != SessionState::Exiting && m_state != SessionState::Dead) m_state = SessionState::Stopped;
        }
        m_changed.notify_all();
        if (m_handlers.settled) m_handlers.settled();
      }
      break;
    case MiKind::Console:
    case MiKind::Target:
      if (m_handlers.console) m_handlers.console(r.stream);
      break;
    case MiKind::Log:
      if (m_handlers.log) m_handlers.log(r.stream);
      break;
    default:
      break;
  }
}

int64_t GdbConnection::Send(const std::string& command, Continuation then) {
  int64_t token;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state == SessionState::Dead) return -1;
    token = m_nextToken++;
    if (then) m_pending[token] = std::move(then);
  }
  std::string line = std::to_string(token) + command + "\n";
  std::lock_guard<std::mutex> lock(m_writeMutex);
  if (m_log) Log('>', std::string_view(line).substr(0, line.size() - 1));
  const char* p = line.data();
  std::size_t left = line.size();
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteBoundMs);
  while (left > 0 && m_child.InFd() >= 0) {
    ssize_t n = write(m_child.InFd(), p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
      if (rest.count() <= 0) break;
      pollfd pfd{m_child.InFd(), POLLOUT, 0};
      poll(&pfd, 1, int(rest.count()));
      continue;
    }
    if (n <= 0) break;
    p += n;
    left -= std::size_t(n);
  }
  return token;
}

MiRecord GdbConnection::Call(const std::string& command, int timeoutMs, const Continuation& answered) {
  struct Slot {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    MiRecord record;
  };
  MiRecord failed;
  failed.kind = MiKind::Result;
  bool silent;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    silent = m_silent;
  }
  if (!silent && std::this_thread::get_id() == m_starter && m_child.Held()) {
    // gdb is stopped by a signal: it answers nothing until it goes on, and
    // the window does not wait for that. The call counts as one that timed
    // out, at once; a question that costs gdb nothing is left in its input,
    // and its answer, when gdb goes on, says that gdb answers again.
    Send(kHeldProbe);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silent = true;
    m_unanswered = true;
    silent = true;
  }
  if (silent) {
    failed.cls = "timeout";
    failed.results.items.push_back({"msg", MiValue{MiValue::Kind::String, "no answer from gdb", {}}});
    return failed;
  }
  auto slot = std::make_shared<Slot>();
  const int64_t token = Send(command, [slot, answered](MiRecord& r) {
    if (answered) answered(r);
    std::lock_guard<std::mutex> lock(slot->m);
    slot->record = std::move(r);
    slot->done = true;
    slot->cv.notify_all();
  });
  failed.cls = "error";
  if (token < 0) {
    failed.results.items.push_back({"msg", MiValue{MiValue::Kind::String, DeadReason(), {}}});
    return failed;
  }
  // The bound lasts longer by what gdb, its server and the reader waited
  // for a processor: a busy machine makes the answer late, not gdb silent.
  const CreditedBound bound(&m_credit, timeoutMs);
  std::unique_lock<std::mutex> lock(slot->m);
  while (!slot->done) {
    const int rest = bound.RestMs();
    if (rest == 0) break;
    slot->cv.wait_for(lock, std::chrono::milliseconds(std::min(rest, kCreditSliceMs)), [&] { return slot->done; });
  }
  if (!slot->done) {
    {
      std::lock_guard<std::mutex> table(m_mutex);
      m_pending.erase(token);
      m_silent = true;
      m_unanswered = true;
    }
    failed.cls = "timeout";
    failed.results.items.push_back({"msg", MiValue{MiValue::Kind::String, "no answer from gdb", {}}});
    return failed;
  }
  return std::move(slot->record);
}

bool GdbConnection::WaitStopped(int timeoutMs) {
  const CreditedBound bound(&m_credit, timeoutMs);
  std::unique_lock<std::mutex> lock(m_mutex);
  const auto settled = [&] { return m_state == SessionState::Stopped || m_state == SessionState::Dead; };
  while (!settled()) {
    const int rest = bound.RestMs();
    if (rest == 0) break;
    m_changed.wait_for(lock, std::chrono::milliseconds(std::min(rest, kCreditSliceMs)), settled);
  }
  return m_state == SessionState::Stopped;
}

bool GdbConnection::Silent() const {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_silent) return true;
  }
  return m_child.Held();
}

bool GdbConnection::Owing() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_unanswered;
}

void GdbConnection::SignalInterrupt() {
  if (State() != SessionState::Dead) m_child.Signal(SIGINT);
}

uint64_t GdbConnection::Stops() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_stops;
}

SessionState GdbConnection::State() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_state;
}

std::string GdbConnection::DeadReason() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_deadReason;
}

void GdbConnection::SetState(SessionState s) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state == SessionState::Dead || (m_state == SessionState::Exiting && s != SessionState::Dead)) return;
    m_state = s;
  }
  m_changed.notify_all();
}

void GdbConnection::Die(const std::string& reason) {
  std::map<int64_t, Continuation> pending;
  bool report = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state == SessionState::Dead) return;
    report = m_state != SessionState::Exiting;
    m_state = SessionState::Dead;
    m_deadReason = reason;
    pending.swap(m_pending);
  }
  m_changed.notify_all();
  // Waiting callers get an error instead of their answer.
  MiRecord failed;
  failed.kind = MiKind::Result;
  failed.cls = "error";
  failed.results.items.push_back({"msg", MiValue{MiValue::Kind::String, reason, {}}});
  for (auto& [token, then] : pending)
    if (then) then(failed);
  if (report && m_handlers.dead) m_handlers.dead(reason);
}

void GdbConnection::KillProcess() { m_child.Kill(); }

void GdbConnection::Close(const std::function<void()>& serve) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state != SessionState::Dead) m_state = SessionState::Exiting;
  }
  if (m_child.Pid() > 0) {
    Send("-gdb-exit");
    m_child.Kill();
  }
  if (!m_reader.joinable()) return;
  // gdb is gone, so the reader comes to the end of its output, unless it
  // waits for the closing thread to take a text (a gdb that flooded its
  // console fills the window's queue): that thread serves it meanwhile.
  if (serve) {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_changed.wait_for(lock, std::chrono::milliseconds(kServeEveryMs), [&] { return m_readerEnded; })) {
      lock.unlock();
      serve();
      lock.lock();
    }
  }
  m_reader.join();
}

}  // namespace pm2::gdb
