#include "debugger/gdb/process/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace pm2::gdb {

namespace {

// How often a bounded wait for a child's end looks.
constexpr int kWaitEveryMs = 5;

}  // namespace

std::string FindInPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0 ? program : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t b = 0;
  while (b <= dirs.size()) {
    std::size_t e = dirs.find(':', b);
    if (e == std::string::npos) e = dirs.size();
    // An empty or relative entry is a folder below the current one, which
    // may be the project's: its own gdb must not stand in for the system's.
    std::string candidate = dirs.substr(b, e - b) + "/" + program;
    if (e > b && dirs[b] == '/' && access(candidate.c_str(), X_OK) == 0) return candidate;
    b = e + 1;
  }
  return {};
}

ChildProcess::~ChildProcess() {
  Kill();
  if (m_out >= 0) close(m_out);
  if (m_said >= 0) close(m_said);
}

std::string ChildProcess::Said(std::size_t max) const {
  std::string out(max, '\0');
  const ssize_t n = m_said >= 0 ? pread(m_said, out.data(), max, 0) : -1;
  out.resize(n > 0 ? std::size_t(n) : 0);
  return out;
}

bool ChildProcess::Start(const std::vector<std::string>& argv, bool pipes, std::string* err, int passFd,
                         int passFd4) {
  const std::string program = FindInPath(argv.at(0));
  if (program.empty()) {
    *err = "'" + argv[0] + "' not found";
    return false;
  }
  int in[2] = {-1, -1}, out[2] = {-1, -1};
  if (pipes && (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)) {
    *err = std::string("cannot create a pipe: ") + std::strerror(errno);
    return false;
  }
  if (m_said >= 0) close(m_said);
  m_said = pipes ? -1 : memfd_create("pm2-child-output", MFD_CLOEXEC);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) {
    *err = std::string("cannot start '") + argv[0] + "': " + std::strerror(errno);
    return false;
  }
  if (pid == 0) {
    // The child: its own group, killed with the thread that started it.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    // A child that crashes (gdb when qemu was killed under it) leaves no
    // core file in the folder it runs in, the project's.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    int null = open("/dev/null", O_RDWR);
    dup2(pipes ? in[0] : null, 0);
    const int output = pipes ? out[1] : m_said >= 0 ? m_said : null;
    dup2(output, 1);
    dup2(output, 2);
    // Each passed descriptor moves out of the way first (its copy closed on
    // exec), so that placing one cannot overwrite the other.
    const int passed[] = {passFd, passFd4};
    int moved[2] = {-1, -1};
    for (int i = 0; i < 2; ++i)
      if (passed[i] >= 0) moved[i] = fcntl(passed[i], F_DUPFD_CLOEXEC, 10);
    for (int i = 0; i < 2; ++i)
      if (moved[i] >= 0) dup2(moved[i], 3 + i);  // the copy is not closed on exec
    execv(program.c_str(), args.data());
    _exit(127);
  }
  setpgid(pid, pid);
  m_pid = pid;
  m_reaped = false;
  if (pipes) {
    close(in[0]);
    close(out[1]);
    m_in = in[1];
    m_out = out[0];
  }
  return true;
}

bool ChildProcess::Running() {
  std::lock_guard<std::mutex> lock(m_reapMutex);
  if (m_pid <= 0 || m_reaped) return false;
  int status = 0;
  pid_t r = waitpid(m_pid, &status, WNOHANG);
  if (r == m_pid || (r < 0 && errno == ECHILD)) {
    m_reaped = true;
    return false;
  }
  return true;
}

int ChildProcess::Wait(int boundMs, bool* late) {
  if (late) *late = false;
  if (m_pid <= 0 || m_reaped) return -1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
  int status = 0;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(m_reapMutex);
      const pid_t r = waitpid(m_pid, &status, WNOHANG);
      if (r == m_pid || (r < 0 && errno != EINTR)) {
        m_reaped = true;
        break;
      }
    }
    if (std::chrono::steady_clock::now() >= until) {
      if (late) *late = true;
      Kill();
      return -1;
    }
    // A child that ends is seen within this much of its end.
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitEveryMs));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::CloseInput() {
  if (m_in >= 0) close(m_in);
  m_in = -1;
}

void ChildProcess::Signal(int signal) {
  std::lock_guard<std::mutex> lock(m_reapMutex);
  if (m_pid > 0 && !m_reaped) kill(m_pid, signal);
}

bool ChildProcess::Held() const {
  std::lock_guard<std::mutex> lock(m_reapMutex);
  if (m_pid <= 0 || m_reaped) return false;
  // The state letter follows the command's name, which ends at the last ')'.
  char text[512] = {};
  const int fd = ::open(("/proc/" + std::to_string(m_pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  const char* close = n > 0 ? std::strrchr(text, ')') : nullptr;
  return close && close + 2 < text + n && (close[2] == 'T' || close[2] == 't');
}

void ChildProcess::Kill() {
  CloseInput();
  std::lock_guard<std::mutex> lock(m_reapMutex);
  if (m_pid > 0 && !m_reaped) {
    kill(-m_pid, SIGKILL);
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_reaped = true;
  }
}

}  // namespace pm2::gdb
