// What the walk checks after every command: the frame still answers, no
// child process is left that the state does not explain, the open project
// can be saved and reads back as it was written, and the files no command
// was given to change keep their bytes. Each check returns why it failed,
// or an empty text.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <QProcess>
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

// The open project as a save writes it, read back and written again by
// the read-back program (walk_read_back.cpp), a process started afresh: a
// copy of this one (fork) made while another thread held a lock of the
// allocator would wait for it for ever, and, outliving the walk, keep the
// test runner's output open.
inline std::string ProjectRoundTrip(ProjectRec& project) {
  const std::string refusal = ProjectTextRefusal(project);
  if (!refusal.empty()) return "the project can no longer be saved: " + refusal;
  const std::string path = project.folder.str() + project.name.str() + ".pm2";
  std::string folder = (std::filesystem::temp_directory_path() / "pm2readback_XXXXXX").string();
  if (!::mkdtemp(folder.data())) return "no folder for the read-back";
  const std::string textFile = folder + "/project", optionsFile = folder + "/options";
  std::ofstream(textFile, std::ios::binary) << BuildProjectFileText(project);
  std::ofstream(optionsFile, std::ios::binary) << BuildOptionsFileText(project);
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
