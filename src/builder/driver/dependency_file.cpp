#include "builder/driver/dependency_file.h"
#include "project/files/stored_file_read.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "builder/preprocessor/preprocessor.h"
#include "platform/ascii_case.h"
#include "platform/atomic_file.h"
#include "platform/mapped_file.h"
#include "platform/win_path.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

// Every file of the build in project order: groups not excluded, files not
// removed.
template <class Fn>
void ForEachBuildFile(ProjectRec& project, Fn fn) {
  for (GroupRec* g = project.firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    for (FileRec* f = g->firstFile; f; f = f->next)
      if (!(f->flags & kFileRemoved)) fn(*f);
  }
}

// Appends "0x%08X".
void AppendHex8(std::string& text, uint32_t v) {
  static const char kDigits[] = "0123456789ABCDEF";
  char buf[10] = {'0', 'x'};
  for (int i = 0; i < 8; ++i) buf[2 + i] = kDigits[(v >> (28 - 4 * i)) & 0xF];
  text.append(buf, sizeof buf);
}

// Reads the next parenthesised field at pos; false when none starts there.
bool ReadField(std::string_view line, size_t& pos, std::string_view* out) {
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  if (pos >= line.size() || line[pos] != '(') return false;
  ++pos;
  int depth = 0;
  size_t start = pos;
  // Most fields hold no parenthesis of their own: the first ')' ends them.
  const size_t close = line.find(')', pos);
  if (close != std::string_view::npos && line.substr(pos, close - pos).find('(') == std::string_view::npos) {
    *out = line.substr(start, close - start);
    pos = close + 1;
    return true;
  }
  for (; pos < line.size(); ++pos) {
    if (line[pos] == '(') ++depth;
    else if (line[pos] == ')' && depth-- == 0) break;
  }
  *out = line.substr(start, pos - start);
  if (pos < line.size()) ++pos;
  return true;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Reads the path field of an F or I line. A project file's name may hold a
// parenthesis of its own ("LE)D.c"), which would end an ordinary field
// early: the path runs up to the time field as the writer writes it,
// ")(0x" and eight hex digits and ")", then '(' (an F line) or the line's
// end (an I line). A line of another hand without that form is read field
// by field.
bool ReadPathField(std::string_view line, size_t& pos, bool fileLine, std::string_view* out) {
  size_t start = pos;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  if (start >= line.size() || line[start] != '(') return false;
  ++start;
  constexpr size_t kTimeField = 13;  // ")(0x" + 8 digits + ")"
  for (size_t k = line.find(")(0", start); k != std::string_view::npos; k = line.find(")(0", k + 1)) {
    if (k + kTimeField > line.size() || (line[k + 3] != 'x' && line[k + 3] != 'X')) continue;
    bool digits = true;
    for (size_t i = k + 4; i < k + 12; ++i) digits = digits && IsHexDigit(line[i]);
    if (!digits || line[k + 12] != ')') continue;
    const size_t after = k + kTimeField;
    if (fileLine ? after < line.size() && line[after] == '(' : after == line.size()) {
      *out = line.substr(start, k - start);
      pos = k + 1;
      return true;
    }
  }
  return ReadField(line, pos, out);
}

// Reads the last field of a line: the command line names the object file
// after the source ("-o ./Obj/LE)D.o"), so it runs to the line's last ')'.
bool ReadLastField(std::string_view line, size_t& pos, std::string_view* out) {
  size_t start = pos;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  size_t end = line.size();
  while (end > start && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
  if (start >= end || line[start] != '(' || line[end - 1] != ')' || end - start < 2) return ReadField(line, pos, out);
  *out = line.substr(start + 1, end - start - 2);
  pos = line.size();
  return true;
}

uint32_t ParseTime(std::string_view s) {
  if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  uint32_t v = 0;
  for (char c : s) {
    int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
          : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d >= 0) v = v * 16 + uint32_t(d);
  }
  return v;
}

}  // namespace

std::string DependencyFileName(const ProjectRec& project, const TargetRec& target) {
  return project.folder.str() + project.name.str() + "_" + target.name.str() + ".dep";
}

std::string DependencyFileText(ProjectRec& project, const TargetRec& target,
                               const DepFileTime& fileTime) {
  std::string text = "Dependencies for Project '" + project.name.str() + "', Target '" +
                     target.name.str() + "': (DO NOT MODIFY !)\r\n";
  std::string path;  // reused: one allocation for the whole text, not per line
  ForEachBuildFile(project, [&](FileRec& f) {
    path.assign(f.path.view());
    uint32_t t = 0;
    if (!fileTime(path, &t)) t = 0;
    f.time = t;
    text.append("F (").append(path).append(")(");
    AppendHex8(text, t);
    text.append(")(").append(f.lastControls.view()).append(")\r\n");
    if (f.type != kFileC || !f.depIncludes) return;
    const std::string full = ExpandProjectPath(project, f.path.c_str());
    for (DepIncludeRec* r = f.depIncludes; r; r = r->next) {
      if (SamePathIgnoringCase(r->path.view(), full) || SamePathIgnoringCase(r->path.view(), f.path.view()))
        continue;
      text.append("I (").append(r->path.view()).append(")(");
      AppendHex8(text, r->time);
      text.append(")\r\n");
    }
  });
  return text;
}

// A file that already holds the text is left alone: rewriting it on every
// build of an unchanged project would cost a new file and a rename each time
// and change its time for nothing.
bool WriteDependencyFile(ProjectRec& project, const TargetRec& target, const DepFileTime& fileTime,
                         std::string* err, Disk* disk) {
  Disk& d = disk ? *disk : RealDisk();
  const std::string name = DependencyFileName(project, target);
  const std::string text = DependencyFileText(project, target, fileTime);
  std::string old;
  if (d.ReadAll(name, &old) == 0 && old == text) return true;
  AtomicFileWriter writer(&d);
  return writer.Write(name, text, err);
}

namespace {

// A path as SamePathIgnoringCase sees it: ASCII letters lower case, every
// separator '/'.
void FoldPathInto(std::string_view path, std::string* folded) {
  folded->assign(path);
  for (char& c : *folded) c = IsPathSeparator(c) ? '/' : AsciiLower(c);
}

std::string FoldPath(std::string_view path) {
  std::string folded;
  FoldPathInto(path, &folded);
  return folded;
}

}  // namespace

void ReadDependencyText(ProjectRec& project, std::string_view text) {
  // The file is written in project order, so each F line names the next
  // file of the project (a file named twice gets its own record); only when
  // it does not are the files looked up by folded path (the first of equal
  // ones), in a table made then.
  std::vector<FileRec*> inOrder;
  ForEachBuildFile(project, [&](FileRec& f) { inOrder.push_back(&f); });
  size_t next = 0;
  std::unordered_map<std::string, FileRec*> byPath;
  auto lookUp = [&](std::string_view path, std::string* folded) -> FileRec* {
    if (next < inOrder.size() && SamePathIgnoringCase(inOrder[next]->path.view(), path)) {
      FileRec* f = inOrder[next++];
      if (byPath.empty()) return f;
    }
    if (byPath.empty())
      for (auto it = inOrder.rbegin(); it != inOrder.rend(); ++it) byPath[FoldPath((*it)->path.view())] = *it;
    FoldPathInto(path, folded);
    auto found = byPath.find(*folded);
    return found == byPath.end() ? nullptr : found->second;
  };
  std::string folded;          // reused for every F line
  // The same headers are named by many files, and files of one group share
  // their command line: one stored copy of each text (keys are views into text).
  std::unordered_map<std::string_view, OptString> stored;    // include paths
  std::unordered_map<std::string_view, OptString> commands;  // command lines
  FileRec* current = nullptr;  // the file whose I lines follow
  DepIncludeRec* tail = nullptr;
  size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    std::string_view line = text.substr(pos, nl == std::string_view::npos ? text.size() - pos : nl - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kDepLineMax) line = line.substr(0, kDepLineMax);
    if (first) {
      first = false;
      continue;
    }
    size_t p = 1;
    std::string_view path, time, controls;
    if (!line.empty() && line[0] == 'F') {
      current = nullptr;
      tail = nullptr;
      if (!ReadPathField(line, p, true, &path)) continue;
      ReadField(line, p, &time);
      ReadLastField(line, p, &controls);
      current = lookUp(path, &folded);
      if (!current) continue;
      current->time = ParseTime(time);
      auto command = commands.find(controls);
      if (command == commands.end())
        command = commands.emplace(controls, OptString::Pooled(controls, kPoolDependencies)).first;
      current->lastControls = command->second;
      current->depIncludes = nullptr;
    } else if (!line.empty() && line[0] == 'I' && current) {
      if (!ReadPathField(line, p, false, &path)) continue;
      ReadField(line, p, &time);
      auto* r = PoolNew<DepIncludeRec>(kPoolDependencies);
      auto known = stored.find(path);
      if (known == stored.end()) known = stored.emplace(path, OptString::Pooled(path, kPoolDependencies)).first;
      r->path = known->second;
      r->time = ParseTime(time);
      (tail ? tail->next : current->depIncludes) = r;
      tail = r;
    } else {
      current = nullptr;
    }
  }
}

int ReadDependencyFile(ProjectRec& project, const TargetRec& target) {
  if (target.toolset != kToolsetArmGnu && target.toolset != kToolsetArmAds) return 0;
  // Mapped, not copied: the text is only looked through, and what is kept
  // of it is stored in the pool. (Our own writes replace the file by a
  // rename, so the mapped one is never cut short under us.)
  MappedFileView mapped;
  if (!mapped.Open(DependencyFileName(project, target))) {
    if (mapped.error() != MapError::kEmpty) return 0;
    ReadDependencyText(project, std::string_view());
    return 1;
  }
  if (mapped.size() > kStoredTextFileMax) return 0;
  ReadDependencyText(project, std::string_view(mapped.data(), mapped.size()));
  return 1;
}

void ClearDependencyData(ProjectRec& project) {
  PoolFree(kPoolDependencies);
  for (GroupRec* g = project.firstGroup; g; g = g->next)
    for (FileRec* f = g->firstFile; f; f = f->next) {
      f->lastControls = OptString();
      f->depIncludes = nullptr;
      f->time = 0;
      f->depState = 0;
    }
}

void MergeIncludeList(FileRec& file, const std::vector<IncludeEntry>& scanned) {
  size_t n = scanned.empty() ? 0 : scanned.size() - 1;
  bool same = true;
  size_t i = 1;
  DepIncludeRec* r = file.depIncludes;
  for (; r && i < scanned.size(); r = r->next, ++i)
    if (!SamePathIgnoringCase(r->path.view(), scanned[i].name)) same = false;
  if (r || i - 1 != n) same = false;
  if (same) {
    i = 1;
    for (r = file.depIncludes; r; r = r->next) r->time = scanned[i++].time;
    return;
  }
  DepIncludeRec* head = nullptr;
  DepIncludeRec* tail = nullptr;
  for (i = 1; i < scanned.size(); ++i) {
    auto* rec = PoolNew<DepIncludeRec>(kPoolDependencies);
    rec->path = OptString::Pooled(scanned[i].name, kPoolDependencies);
    rec->time = scanned[i].time;
    (tail ? tail->next : head) = rec;
    tail = rec;
  }
  file.depIncludes = head;
}

}  // namespace pm2
