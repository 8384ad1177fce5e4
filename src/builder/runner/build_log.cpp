#include "builder/runner/build_log.h"

#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/own_file.h"

namespace pm2 {

std::string EscapeHtml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      default: out += c;
    }
  }
  return out;
}

void BuildLog::CloseWithoutTrailer() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  headerWritten_ = false;
  name_.clear();
}

void BuildLog::SetBuildLogFile(int action, const std::string& name, const BuildLogProject* project) {
  if (action == 0) {
    if (file_ && project) WriteBuildLogText("</pre>\r\n</body>\r\n</html>\r\n");
    CloseWithoutTrailer();
    return;
  }
  if (name.empty()) return;
  if (!(file_ && name == name_)) {
    CloseWithoutTrailer();
    name_ = name;
    // Opened without emptying: the old log is cut to the new heading's
    // length instead (StartWith), so a log that stays within its first block
    // frees none, which on a file system that discards freed blocks costs
    // a wait for the device on every build.
    // A link planted at the log's name is replaced, never written through.
    ReplacedName replaced;
    const int fd = OpenOwnFile(name, 0, 0666, &replaced);
    replacedNote_ = ReplacedNameText(name, replaced);
    file_ = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file_) {
      if (fd >= 0) ::close(fd);
      name_.clear();
      return;
    }
    if (headerWritten_ || !project) {
      StartWith("");
      return;
    }
  }
  if (headerWritten_ || !project) return;
  headerWritten_ = true;
  const std::string projectFile = project->folder + project->name + ".pm2";
  std::string date = "<unknown>";
  struct stat st;
  if (::stat((project->file.empty() ? projectFile : project->file).c_str(), &st) == 0) {
    char buf[32];
    std::tm tm{};
    localtime_r(&st.st_mtime, &tm);
    std::strftime(buf, sizeof buf, "%m/%d/%Y", &tm);
    date = buf;
  }
  StartWith("<html>\r\n<body>\r\n<pre>\r\n<h1>Pelmora2 Build Log</h1>\r\n<h2>Project:</h2>\r\n" + projectFile +
            "\r\nProject File Date:  " + date + "\r\n\r\n<h2>Output:</h2>\r\n");
}

// The old log is cut first and the heading written after it in one write:
// its results are gone before the new heading is there, so a reader of the
// log (a peer, a script waiting for the build's summary) never finds them
// under it.
void BuildLog::StartWith(const std::string& heading) {
  if (!file_) return;
  std::fflush(file_);
  if (::ftruncate(::fileno(file_), static_cast<off_t>(heading.size())) != 0) {
    // Left longer than written: the old log's tail stays after this one's end.
  }
  std::rewind(file_);
  std::fwrite(heading.data(), 1, heading.size(), file_);
  std::fflush(file_);
}

void BuildLog::WriteBuildLogText(const char* text, long length) {
  if (!file_ || !text) return;
  size_t n = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
  if (n == 0) return;
  for (int i = 0; i < 2 && n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n'); ++i) --n;
  bool lineEnd = true;
  if (n > 0 && text[n - 1] == '\x02') {
    --n;
    lineEnd = false;
  }
  std::fwrite(text, 1, n, file_);
  if (lineEnd) std::fputs("\r\n", file_);
  std::fflush(file_);
}

void BuildLog::WriteOutputLine(const std::string& line) {
  if (!file_ || line.empty()) return;  // an empty line comes as "\n"
  std::string escaped = EscapeHtml(line);
  WriteBuildLogText(escaped.c_str(), static_cast<long>(escaped.size()));
}

}  // namespace pm2
