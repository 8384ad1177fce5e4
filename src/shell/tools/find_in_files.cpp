#include "shell/tools/find_in_files.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

#include "editor/text/regexp.h"
#include "platform/ascii_case.h"
#include "platform/mapped_file.h"
#include "platform/notification_hub.h"

namespace pm2 {
namespace {

constexpr const char* kSkippedExtensions[] = {".com", ".exe", ".dll", ".hlp", ".obj", ".pch", ".lib"};

bool IsWordChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool WildMatch(std::string_view p, std::string_view n) {
  size_t pi = 0, ni = 0, star = std::string_view::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || AsciiLower(p[pi]) == AsciiLower(n[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

// Names of a folder's entries in name order; directories flagged.
struct DirEntry {
  std::string name;
  bool isDir = false;
};
std::vector<DirEntry> ListFolder(const std::string& folder) {
  std::vector<DirEntry> out;
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return out;
  while (dirent* e = ::readdir(d)) {
    if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
    DirEntry entry;
    entry.name = e->d_name;
    struct stat st;
    // Symbolic links to folders are not walked, so a link loop ends.
    if (::lstat((folder + entry.name).c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) entry.isDir = true;
      else if (S_ISLNK(st.st_mode) && ::stat((folder + entry.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        continue;
    }
    out.push_back(std::move(entry));
  }
  ::closedir(d);
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return out;
}

}  // namespace

std::string FormatFindHit(std::string_view path, int line, std::string_view rest) {
  std::string out(path);
  out += '(' + std::to_string(line) + "): ";
  for (char c : rest) {
    if (out.size() >= kFindLineLimit || c == '\r' || c == '\n') break;
    out += c == '\t' ? ' ' : c;
  }
  if (out.size() > kFindLineLimit) out.resize(kFindLineLimit);
  return out;
}

std::string NextFindPattern(std::string_view list, size_t* pos) {
  size_t p = *pos;
  while (p < list.size() && (list[p] == ' ' || list[p] == '\t')) ++p;
  size_t end = list.find(';', p);
  if (end == std::string_view::npos) end = list.size();
  std::string_view pat = list.substr(p, end - p);
  while (!pat.empty() && (pat.back() == ' ' || pat.back() == '\t')) pat.remove_suffix(1);
  *pos = end < list.size() ? end + 1 : end;
  return std::string(pat);
}

bool MatchFindPattern(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  return WildMatch(pattern, name);
}

bool IsSkippedFindFile(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  for (const char* ext : kSkippedExtensions)
    if (EqualIgnoringCase(name.substr(dot), ext)) return true;
  return false;
}

FindInFiles::FindInFiles(NotificationHub& hub, std::function<void()> beep, GuiCallServer serve)
    : m_hub(hub), m_beep(std::move(beep)), m_serve(std::move(serve)) {}

FindInFiles::~FindInFiles() {
  RequestStop();
  Join();
}

bool FindInFiles::Start(FindInFilesRequest request) {
  if (m_running.exchange(true)) return false;
  Join();
  m_stop = kFindRun;
  m_thread = std::thread([this, r = std::move(request)] {
    Search(r);
    m_running = false;
  });
  return true;
}

void FindInFiles::Join() { JoinServing(m_thread, m_serve); }

void FindInFiles::Send(const std::string& text) {
  m_hub.Send(kNotifyFindInFilesText, reinterpret_cast<intptr_t>(text.c_str()));
}

void FindInFiles::Search(const FindInFilesRequest& request) {
  m_hits = 0;
  // A pattern that does not compile is told once, not searched in every file.
  if (request.regularExpression && !request.findText.empty()) {
    if (const std::string why = InvalidExpressionText(request.findText); !why.empty()) {
      Send("The regular expression " + why);
      return;
    }
  }
  Send("Searching for '" + request.findText + "'...");
  if (!request.findText.empty()) {
    std::string folder = request.folder;
    std::replace(folder.begin(), folder.end(), '\\', '/');
    if (!folder.empty() && folder.back() != '/') folder += '/';
    std::vector<std::string> folders;
    if (m_stop == kFindRun) {
      folders.push_back(folder);
      if (request.includeSubfolders) CollectFolders(folder, &folders);
    }
    for (const std::string& f : folders) {
      if (m_stop != kFindRun) break;
      SearchFolder(request, f);
    }
    if (m_stop == kFindStopRequested) {
      Send("Job aborted.");
      return;
    }
  }
  Send((m_hits ? std::to_string(m_hits.load()) : std::string("No")) + " occurrence(s) have been found.");
}

void FindInFiles::CollectFolders(const std::string& folder, std::vector<std::string>* out) {
  for (const DirEntry& e : ListFolder(folder)) {
    if (m_stop != kFindRun) return;
    if (!e.isDir) continue;
    // A copy: the recursion grows `out`, which may move its strings.
    const std::string sub = folder + e.name + "/";
    out->push_back(sub);
    CollectFolders(sub, out);
  }
}

void FindInFiles::SearchFolder(const FindInFilesRequest& request, const std::string& folder) {
  const std::vector<DirEntry> entries = ListFolder(folder);
  size_t pos = 0;
  for (;;) {
    std::string pattern = NextFindPattern(request.fileTypes, &pos);
    if (pattern.empty()) return;
    for (const DirEntry& e : entries) {
      if (m_stop != kFindRun) return;
      if (e.isDir || !MatchFindPattern(pattern, e.name) || IsSkippedFindFile(e.name)) continue;
      if (m_gate) {
        m_gate(folder + e.name);
        if (m_stop != kFindRun) return;
      }
      SearchFile(request, folder + e.name);
    }
  }
}

bool FindInFiles::Report(const std::string& path, int line, std::string_view rest) {
  Send(FormatFindHit(path, line, rest));
  if (++m_hits >= kFindHitLimit) {
    m_stop = kFindStoppedAtLimit;
    Send("Find in Files stopped after 10000 hits.");
    if (m_beep) m_beep();
    return false;
  }
  return true;
}

void FindInFiles::SearchFile(const FindInFilesRequest& request, const std::string& path) {
  MappedFileView view;
  if (!view.Open(path)) return;
  const char* data = view.data();
  const size_t size = view.size();
  const std::string& t = request.findText;
  const size_t n = t.size();

  if (request.regularExpression) {
    CEditRegExp re;
    if (!re.Compile(t.c_str())) return;
    int line = 1;
    for (size_t start = 0; start < size;) {
      const char* nl = static_cast<const char*>(std::memchr(data + start, '\n', size - start));
      size_t end = nl ? static_cast<size_t>(nl - data) : size;
      size_t textEnd = end > start && data[end - 1] == '\r' ? end - 1 : end;
      if (re.Exec(std::string_view(data + start, textEnd - start)) >= 0 &&
          !Report(path, line, std::string_view(data + start, end - start)))
        return;
      start = end + 1;
      ++line;
      if (m_stop != kFindRun) return;
    }
    return;
  }

  // First characters that may start a match.
  bool first[256] = {};
  const unsigned char f0 = static_cast<unsigned char>(t[0]);
  first[f0] = true;
  if (!request.matchCase) {
    first[static_cast<unsigned char>(AsciiLower(t[0]))] = true;
    first[static_cast<unsigned char>(AsciiUpper(t[0]))] = true;
  }
  auto matchAt = [&](size_t i) {
    if (request.matchCase) return std::memcmp(data + i, t.data(), n) == 0;
    for (size_t k = 0; k < n; ++k)
      if (AsciiLower(data[i + k]) != AsciiLower(t[k])) return false;
    return true;
  };

  int line = 1;
  size_t lineStart = 0;
  size_t counted = 0;  // newlines are counted up to here
  for (size_t i = 0; i + n <= size;) {
    size_t cand;
    if (request.matchCase) {
      const void* p = ::memmem(data + i, size - i, t.data(), n);
      if (!p) break;
      cand = static_cast<size_t>(static_cast<const char*>(p) - data);
    } else {
      cand = i;
      while (cand + n <= size && !first[static_cast<unsigned char>(data[cand])]) ++cand;
      if (cand + n > size) break;
      if (!matchAt(cand)) {
        i = cand + 1;
        continue;
      }
    }
    if (request.wholeWord &&
        ((cand > 0 && IsWordChar(static_cast<unsigned char>(data[cand - 1]))) ||
         (cand + n < size && IsWordChar(static_cast<unsigned char>(data[cand + n]))))) {
      i = cand + n;
      continue;
    }
    // Line number and start of the hit.
    for (const char* p = data + counted; ; ) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', data + cand - p));
      if (!nl) break;
      ++line;
      lineStart = static_cast<size_t>(nl - data) + 1;
      p = nl + 1;
    }
    counted = cand;
    const char* eol = static_cast<const char*>(std::memchr(data + cand, '\n', size - cand));
    size_t lineEnd = eol ? static_cast<size_t>(eol - data) : size;
    if (!Report(path, line, std::string_view(data + lineStart, lineEnd - lineStart))) return;
    // The line is reported once: go on after it.
    if (!eol) break;
    ++line;
    lineStart = lineEnd + 1;
    counted = lineStart;
    i = lineStart;
    if (m_stop != kFindRun) return;
  }
}

}  // namespace pm2
