#include "project/text/path_text.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "platform/ascii_case.h"

namespace pm2 {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// A path split for comparison: drive, UNC flag and the components with the
// offset of the separator before each.
struct SplitPath {
  char cDrive = 0;  // upper-cased drive letter, 0 for none
  bool bUnc = false;
  std::vector<std::string_view> components;
  std::vector<std::size_t> separatorBefore;  // npos when none
};

SplitPath Split(std::string_view path) {
  SplitPath s;
  std::size_t i = 0;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    s.cDrive = UpperAscii(path[0]);
    i = 2;
  }
  if (s.cDrive == 0 && path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    s.bUnc = true;
  }
  std::size_t sep = std::string_view::npos;
  while (i < path.size()) {
    if (IsSeparator(path[i])) {
      sep = i++;
      continue;
    }
    std::size_t start = i;
    while (i < path.size() && !IsSeparator(path[i])) ++i;
    s.components.push_back(path.substr(start, i - start));
    s.separatorBefore.push_back(sep);
  }
  return s;
}

}  // namespace

int TrimBlanks(char* buffer, int length) {
  if (length < 0) length = 0;
  buffer[length] = '\0';
  int start = 0;
  while (start < length && buffer[start] == ' ') ++start;
  int end = length;
  while (end > start && buffer[end - 1] == ' ') --end;
  int n = end - start;
  if (start > 0) std::memmove(buffer, buffer + start, static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(' ');
  return text.substr(start, end - start + 1);
}

bool IsAllOfClass(const char* text) {
  if (!text) return true;
  for (; *text; ++text)
    if (!std::isspace(static_cast<unsigned char>(*text))) return false;
  return true;
}

bool IsProjectFolderText(const char* text) { return text && std::strcmp(text, ".\\") == 0; }

bool IsValidNameChar(int c) {
  static constexpr char kInvalid[] = " \",./:<>\\|";
  if (c == 0) return false;
  return std::strchr(kInvalid, c) == nullptr;
}

const char* GetFileNamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == ':' || IsSeparator(*p)) name = p + 1;
  return name;
}

std::string_view GetFileNamePart(std::string_view path) {
  std::size_t pos = path.find_last_of(":\\/");
  return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

void ChangeFileExt(std::string& path, std::string_view extension) {
  bool quoted = !path.empty() && path.back() == '"';
  if (quoted) path.pop_back();
  std::size_t dot = std::string::npos;
  for (std::size_t i = path.size(); i-- > 1;) {
    if (IsSeparator(path[i])) break;
    if (path[i] == '.') {
      dot = i;
      break;
    }
  }
  std::size_t cut = dot == std::string::npos ? path.size() : dot;
  if (!extension.empty()) {
    path.resize(cut);
    path += '.';
    path.append(extension);
  } else {
    path.resize(cut);
  }
  if (quoted) path += '"';
}

std::string MakeRelativePath(std::string_view base, std::string_view path,
                             std::string_view tail) {
  auto unchanged = [&] {
    std::string out(path);
    out.append(tail);
    return out;
  };
  SplitPath b = Split(base);
  SplitPath p = Split(path);
  if (b.cDrive != p.cDrive || b.bUnc != p.bUnc) return unchanged();
  std::size_t common = 0;
  while (common < b.components.size() && common < p.components.size() &&
         EqualIgnoringCase(b.components[common], p.components[common]))
    ++common;
  if (common == 0) return unchanged();
  // Above the share of a UNC name there is nothing to go up to.
  if (b.bUnc && common < 2) return unchanged();

  // The separator of the path's rest also joins the ".." steps.
  char sep = '\\';
  std::string_view rest;
  if (common < p.components.size()) {
    std::size_t at = p.separatorBefore[common];
    rest = path.substr(at);
    sep = path[at];
  } else {
    rest = std::string_view(&sep, 1);  // the folder itself: ".\"
  }
  std::string out;
  std::size_t up = b.components.size() - common;
  if (up == 0) {
    out = ".";
  } else {
    for (std::size_t i = 0; i < up; ++i) {
      if (i) out += sep;
      out += "..";
    }
  }
  out.append(rest);
  out.append(tail);
  return out;
}

std::string StripBinFolder(std::string_view folder) {
  if (folder.size() > 4) {
    const char* tail = folder.data() + folder.size() - 4;
    auto isSep = [](char c) { return c == '\\' || c == '/' || c == ':'; };
    if (isSep(tail[-1]) && EqualIgnoringCase(std::string_view(tail, 3), "BIN") && isSep(tail[3]))
      return std::string(folder.substr(0, folder.size() - 4));
  }
  return std::string(folder);
}

std::string JoinFolderName(std::string_view folder, std::string_view name) {
  auto isSep = [](char c) { return c == '\\' || c == '/'; };
  const char sep = folder.find('\\') == std::string_view::npos && folder.find('/') != std::string_view::npos
                       ? '/'
                       : '\\';
  while (!name.empty() && isSep(name.back())) name.remove_suffix(1);
  while (!name.empty() && isSep(name.front())) name.remove_prefix(1);
  std::string out(folder);
  if (name.empty()) return out;
  if (!out.empty() && !isSep(out.back()) && out.back() != ':') out += sep;
  out += name;
  return out;
}

}  // namespace pm2
