// What the walk checks after every command: the frame still answers, no
// child process is left that the state does not explain, the open project
// can be saved and reads back as it was written, and the files no command
// was given to change keep their bytes. Each check returns why it failed,
// or an empty text.
#pragma once

#include <dirent.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "project/files/debug_lists.h"
#include "walk_program_clock.h"
#include "walk_stall_sampler.h"
#include "project/files/project_file.h"
#include "project/model/app_state.h"
#include "project/files/stored_texts.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "walk_texts.h"

namespace pm2::test {

// This process adopts every process its children leave behind: a process
// whose parent ended (a compiler's own child when only the compiler was
// killed, a tool's grandchild, a daemon that left its session) is then still
// below it, where the checks see it, wherever its group or session went.
inline void AdoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

// A process as /proc shows it.
struct ProcessRow {
  int pid = 0, ppid = 0;
  char state = 0;
  std::string name;
};
inline std::vector<ProcessRow> Processes() {
  std::vector<ProcessRow> out;
  DIR* d = opendir("/proc");
  while (dirent* e = d ? readdir(d) : nullptr) {
    const int pid = std::atoi(e->d_name);
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close + 2 >= line.size()) continue;
    ProcessRow row;
    row.pid = pid;
    if (std::sscanf(line.c_str() + close + 2, "%c %d", &row.state, &row.ppid) != 2) continue;
    row.name = line.substr(open + 1, close - open - 1);
    out.push_back(row);
  }
  if (d) closedir(d);
  return out;
}

// Every living process below this one (children, their children, and the
// orphans it adopted), except those below `spared` (the walk's own helpers
// and what a state explains): "name (pid)" each.
inline std::vector<std::string> LivingDescendants(const std::function<bool(const ProcessRow&)>& spared) {
  const std::vector<ProcessRow> all = Processes();
  std::set<int> below = {int(::getpid())};
  // Parents come before their children only by chance: grow until stable.
  for (bool grew = true; grew;) {
    grew = false;
    for (const ProcessRow& p : all)
      if (!below.count(p.pid) && below.count(p.ppid) && !spared(p)) {
        below.insert(p.pid);
        grew = true;
      }
  }
  std::vector<std::string> out;
  for (const ProcessRow& p : all)
    if (p.pid != int(::getpid()) && below.count(p.pid) && p.state != 'Z')
      out.push_back(p.name + " (" + std::to_string(p.pid) + ")");
  return out;
}

// The processes a state does not explain: during a debug session gdb and
// the simulator it drives (with what they start); the walk's own helpers
// (`own`, by pid); nothing else outlives the command that started it.
inline std::vector<std::string> UnexplainedChildren(bool sessionActive, const std::set<int>& own = {}) {
  static const std::set<std::string> kSession = {"gdb-multiarch", "qemu-system-arm"};
  return LivingDescendants([&](const ProcessRow& p) {
    return own.count(p.pid) || (sessionActive && kSession.count(p.name));
  });
}

// The longest time the GUI thread went without turning its event loop
// while a step ran: a timer on that thread beats, and the gap between two
// beats in the program's own time (walk_program_clock.h: a loaded machine
// is no hang) is the time the window did not answer. A gap past
// `samplingSeconds` prints where the thread stands while it lasts.
class StallWatch {
 public:
  explicit StallWatch(double samplingSeconds = 5.0) : m_sampler(int(::gettid()), samplingSeconds) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Beat(); });
    m_timer.start(50);
    Restart();
  }
  void Restart() {
    m_last = ProgramSeconds();
    m_longest = 0;
  }
  // In seconds, up to now.
  double Longest() {
    Beat();
    return m_longest;
  }

 private:
  void Beat() {
    const double now = ProgramSeconds();
    m_longest = std::max(m_longest, now - m_last);
    m_last = now;
    m_sampler.Beat();
  }
  StallSampler m_sampler;
  QTimer m_timer;
  double m_last = 0, m_longest = 0;
};

// Whether the event loop still turns: a queued call runs.
template <class WaitFn>
bool EventLoopTurns(WaitFn wait) {
  QObject context;
  bool ran = false;
  QTimer::singleShot(0, &context, [&ran] { ran = true; });
  return wait([&ran] { return ran; });
}

// A project's two texts (as a save writes them, or as they are on disk),
// read back and written again by
// the read-back program (walk_read_back.cpp), a process started afresh: a
// copy of this one (fork) made while another thread held a lock of the
// allocator would wait for it for ever, and, outliving the walk, keep the
// test runner's output open.
inline std::string ReadBackAfresh(const std::string& path, const std::string& text, const std::string& options) {
  std::string folder = (std::filesystem::temp_directory_path() / "pm2readback_XXXXXX").string();
  if (!::mkdtemp(folder.data())) return "no folder for the read-back";
  const std::string textFile = folder + "/project", optionsFile = folder + "/options";
  std::ofstream(textFile, std::ios::binary) << text;
  std::ofstream(optionsFile, std::ios::binary) << options;
  QProcess reader;
  reader.setProcessChannelMode(QProcess::SeparateChannels);
  reader.setStandardInputFile(QProcess::nullDevice());
  reader.start(QString(PM2_WALK_READ_BACK), {QString::fromStdString(path), QString::fromStdString(textFile),
                                             QString::fromStdString(optionsFile),
                                             QString::number(QCoreApplication::applicationPid())});
  const bool ended = reader.waitForStarted(-1) && reader.waitForFinished(-1);
  const std::string fault = reader.readAllStandardOutput().toStdString();
  const std::string errors = reader.readAllStandardError().toStdString();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  if (!ended) return "the read-back program did not run: " + reader.errorString().toStdString();
  if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
    return "the read-back of the project ended abnormally (exit " + std::to_string(reader.exitCode()) + "): " + errors;
  return fault;
}
// The reading is a function of the path and the two texts alone: texts
// that read back whole once do so again, and are not read again (most steps
// leave the project as it was; a process started for each, under the
// sanitizers, took a third of the walk's time).
inline std::string ReadBack(const std::string& path, const std::string& text, const std::string& options) {
  static std::set<std::string> wholeBefore;
  std::string key = path;
  key.append(1, '\0').append(text).append(1, '\0').append(options);
  if (wholeBefore.count(key)) return {};
  std::string fault = ReadBackAfresh(path, text, options);
  if (fault.empty()) {
    if (wholeBefore.size() >= 64) wholeBefore.clear();
    wholeBefore.insert(std::move(key));
  }
  return fault;
}
inline std::string ProjectRoundTrip(ProjectRec& project) {
  const std::string refusal = ProjectTextRefusal(project);
  if (!refusal.empty()) return "the project can no longer be saved: " + refusal;
  return ReadBack(project.folder.str() + project.name.str() + ".pm2", BuildProjectFileText(project),
                  BuildOptionsFileText(project));
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
    static const std::set<std::string> kKinds = {".c", ".h", ".s", ".ld", ".ini", ".prj", ".pm2", ".opt"};
    for (const auto& e : fs::directory_iterator(folder)) {
      std::string ext = e.path().extension().string();
      for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (e.is_regular_file() && kKinds.count(ext)) m_bytes[e.path().string()] = Read(e.path().string());
    }
  }
  void Forget(const std::string& path) { m_bytes.erase(path); }
  // Watched from its bytes now on (a project's files while it is open,
  // which its saves write, are watched again once it is closed).
  void Watch(const std::string& path) { m_bytes[path] = Read(path); }
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

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  std::map<std::string, std::string> m_bytes;
};

}  // namespace pm2::test
