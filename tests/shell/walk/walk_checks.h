// What the walk checks after every command: the frame still answers, no
// child process is left that the state does not explain, the open project
// can be saved and reads back as it was written, and the files no command
// was given to change keep their bytes. Each check returns why it failed,
// or an empty text.
#pragma once

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "project/files/debug_lists.h"
#include "project/files/project_file.h"
#include "project/model/app_state.h"
#include "project/files/stored_texts.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2::test {

// The pool the read-back lives in for the length of a check: one the
// program never uses.
inline constexpr int kWalkReadBackPool = 12;

// This process's living children, by program name.
inline std::vector<std::string> ChildPrograms() {
  std::vector<std::string> out;
  DIR* d = opendir("/proc");
  while (dirent* e = d ? readdir(d) : nullptr) {
    if (std::atoi(e->d_name) <= 0) continue;
    std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close + 2 >= line.size()) continue;
    char state = 0;
    int ppid = 0;
    if (std::sscanf(line.c_str() + close + 2, "%c %d", &state, &ppid) != 2) continue;
    if (ppid == getpid() && state != 'Z') out.push_back(line.substr(open + 1, close - open - 1));
  }
  if (d) closedir(d);
  return out;
}

// The children a state does not explain: during a debug session gdb and
// the simulator it drives; nothing else outlives the command that started it.
inline std::vector<std::string> UnexplainedChildren(bool sessionActive) {
  static const std::set<std::string> kSession = {"gdb-multiarch", "qemu-system-arm"};
  std::vector<std::string> out;
  for (const std::string& name : ChildPrograms())
    if (!sessionActive || !kSession.count(name)) out.push_back(name);
  return out;
}

// Whether the event loop still turns: a queued call runs.
template <class WaitFn>
bool EventLoopTurns(WaitFn wait) {
  QObject context;
  bool ran = false;
  QTimer::singleShot(0, &context, [&ran] { ran = true; });
  return wait([&ran] { return ran; });
}

// The first line where two texts differ, shown for a message.
inline std::string FirstDifference(const std::string& a, const std::string& b) {
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  for (int n = 1;; ++n) {
    const bool ea = !std::getline(sa, la), eb = !std::getline(sb, lb);
    if (ea && eb) return "(none)";
    if (ea != eb || la != lb)
      return "line " + std::to_string(n) + ": written '" + (ea ? "<end>" : la) + "', read back as '" +
             (eb ? "<end>" : lb) + "'";
  }
}

// The open project as a save writes it, read back with the project reader
// and written again: the same text, and no text a save would refuse. The
// reader makes its records in memory the program shares (it frees the
// scratch pool), so the read-back runs in a copy of this process: the
// check leaves the walk's state as it found it.
inline std::string ReadBackFault(const std::string& path, const std::string& text, const std::string& options) {
  ProjectFileIo io;
  io.pool = kWalkReadBackPool;
  const std::string_view optionsView(options);
  const int rc = ReadProjectText(io, path, text, &optionsView);
  if (rc != kProjectFileOk || !io.project)
    return "the project as written does not read back (" + std::to_string(rc) + "): " + io.message;
  const std::string again = BuildProjectFileText(*io.project), againOptions = BuildOptionsFileText(*io.project);
  if (again != text) return "the project file reads back different, " + FirstDifference(text, again);
  if (againOptions != options) return "the options file reads back different, " + FirstDifference(options, againOptions);
  return {};
}

inline std::string ProjectRoundTrip(ProjectRec& project) {
  const std::string refusal = ProjectTextRefusal(project);
  if (!refusal.empty()) return "the project can no longer be saved: " + refusal;
  const std::string text = BuildProjectFileText(project), options = BuildOptionsFileText(project);
  const std::string path = project.folder.str() + project.name.str() + ".pm2";
  int fds[2];
  if (::pipe(fds) != 0) return "no pipe for the read-back";
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return "no process for the read-back";
  if (child == 0) {
    ::close(fds[0]);
    // As the program reads a project: with none open (the reader takes
    // defaults from the open one), and its second write from the records
    // read, not from the editors the first write asked.
    theApp().m_pProject = nullptr;
    SetSyncFileHook(nullptr);
    const std::string fault = ReadBackFault(path, text, options);
    size_t at = 0;
    while (at < fault.size()) {
      const ssize_t n = ::write(fds[1], fault.data() + at, fault.size() - at);
      if (n <= 0) break;
      at += size_t(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string fault;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) fault.append(buffer, size_t(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return "the read-back of the project ended abnormally (status " + std::to_string(status) + ")";
  return fault;
}

// The user's own files in the folder at the start (sources, headers,
// scripts), with their bytes; a file leaves the watch once an editor has
// had it open, since a command may then save it, and so does one the
// program is given to write (New Project copies the device's startup file
// and linker script into its folder when the user says Yes), and so does
// one a question named that the walk answered.
class UntouchedFiles {
 public:
  explicit UntouchedFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    static const std::set<std::string> kKinds = {".c", ".h", ".s", ".ld", ".ini", ".prj"};
    for (const auto& e : fs::directory_iterator(folder)) {
      std::string ext = e.path().extension().string();
      for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (e.is_regular_file() && kKinds.count(ext)) m_bytes[e.path().string()] = Read(e.path().string());
    }
  }
  void Forget(const std::string& path) { m_bytes.erase(path); }
  // A file a question named may change once the walk answered it (the
  // question "File '...' already exists, overwrite ?" answered Yes).
  void ForgetNamedIn(const std::string& question) {
    for (auto it = m_bytes.begin(); it != m_bytes.end();)
      it = question.find(it->first) != std::string::npos ? m_bytes.erase(it) : std::next(it);
  }
  std::string Check() const {
    for (const auto& [path, bytes] : m_bytes)
      if (Read(path) != bytes) return "'" + path + "' was changed (or removed) though no editor had it open";
    return {};
  }
  std::size_t Count() const { return m_bytes.size(); }

 private:
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::map<std::string, std::string> m_bytes;
};

}  // namespace pm2::test
