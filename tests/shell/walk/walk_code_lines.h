// The lines of a source file that hold code in the program a session ran,
// as the walk knows them itself: the program file's line table read by gdb
// in a process of the walk's own (the program under test is not asked).
// With them the walk tells where a breakpoint defined on a line without
// code stands once a session has set it: on the next line of its file that
// holds code, where gdb sets a breakpoint asked for at such a line
// (walk_defined_breakpoints.h).
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <strings.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "debugger/session/debug_settings_builder.h"
#include "project/model/project_records.h"

namespace pm2::test {

// The lines that hold code in gdb's answer to "-symbol-list-lines" (rows
// {pc="0x...",line="n"} in the order of their addresses): an address
// belongs to the last row at it, and a row of line 0 ends a run of code
// without holding any.
inline std::set<uint32_t> CodeLinesOfRows(const std::string& answer) {
  std::set<uint32_t> lines;
  const std::string pcKey = "pc=\"", lineKey = "line=\"";
  std::string lastPc;
  uint32_t lastLine = 0;
  for (size_t at = answer.find(pcKey); at != std::string::npos; at = answer.find(pcKey, at)) {
    at += pcKey.size();
    const size_t pcEnd = answer.find('"', at);
    const size_t line = answer.find(lineKey, at);
    if (pcEnd == std::string::npos || line == std::string::npos) break;
    const std::string pc = answer.substr(at, pcEnd - at);
    // A row at the address of the one before takes the address over.
    if (!lastPc.empty() && pc != lastPc && lastLine != 0) lines.insert(lastLine);
    lastPc = pc;
    lastLine = uint32_t(std::strtoul(answer.c_str() + line + lineKey.size(), nullptr, 10));
  }
  if (lastLine != 0) lines.insert(lastLine);
  return lines;
}

// The program file a session of the target debugs (the target's output,
// found in its folder whatever the case of its name, as the driver finds
// it); "" when the target has none.
inline std::string ProgramFileOf(const ProjectRec& project, const TargetRec& target) {
  const std::string path = TargetProgramFile(project, target, target.toolset);
  if (path.empty() || std::filesystem::exists(path)) return path;
  const std::filesystem::path p(path);
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(p.parent_path(), ec))
    if (strcasecmp(e.path().filename().c_str(), p.filename().c_str()) == 0) return e.path().string();
  return path;
}

class ProgramCodeLines {
 public:
  // The lines of `file` that hold code in `program`; empty when gdb could
  // not read them (no program file, one being written by a build, a file
  // the program was not built from). A program file read once is read
  // again only when it changed.
  std::set<uint32_t> Of(const std::string& program, const std::string& file) {
    struct stat st {};
    if (program.empty() || ::stat(program.c_str(), &st) != 0) return {};
    const std::string stamp = std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "/" +
                              std::to_string(st.st_size);
    Read& known = m_read[program + '\n' + file];
    if (known.stamp == stamp) return known.lines;
    std::set<uint32_t> lines = Ask(program, file);
    if (!lines.empty()) known = {stamp, lines};
    return lines;
  }

 private:
  struct Read {
    std::string stamp;  // the program file's time and size when read
    std::set<uint32_t> lines;
  };
  static std::set<uint32_t> Ask(const std::string& program, const std::string& file) {
    std::string quoted;
    for (char c : file) quoted += (c == '"' || c == '\\') ? std::string("\\\\\\") + c : std::string(1, c);
    QProcess gdb;
    gdb.setProcessChannelMode(QProcess::SeparateChannels);
    gdb.setStandardInputFile(QProcess::nullDevice());
    gdb.start("/usr/bin/gdb-multiarch",
              {"-batch", "-nx", "-iex", "set debuginfod enabled off", "-ex",
               QString::fromStdString("interpreter-exec mi \"-symbol-list-lines \\\"" + quoted + "\\\"\""),
               QString::fromStdString(program)});
    if (!gdb.waitForStarted(-1) || !gdb.waitForFinished(-1)) return {};
    const std::string answer = gdb.readAllStandardOutput().toStdString();
    const size_t done = answer.find("^done,lines=[");
    return done == std::string::npos ? std::set<uint32_t>() : CodeLinesOfRows(answer.substr(done));
  }
  std::map<std::string, Read> m_read;  // program and file -> their lines
};

}  // namespace pm2::test
