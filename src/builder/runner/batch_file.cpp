#include "builder/runner/batch_file.h"

#include <cstdarg>
#include <cstdio>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/own_file.h"
#include "project/model/app_state.h"

namespace pm2 {

namespace {
// Stored folders may use backslashes.
std::string ToLocalFolder(std::string folder) {
  for (char& c : folder)
    if (c == '\\') c = '/';
  return folder;
}
}  // namespace

std::string BatchFileName(const std::string& folder, const std::string& name) {
  std::string path = folder + name + ".BAT";
  for (size_t i = 2; i < path.size(); ++i)
    if (path[i] == ':') path[i] = '_';
  return path;
}

namespace {
void ReportCreateFailure(ShellServices& shell, const std::string& name) {
  char text[1100];
  std::snprintf(text, sizeof text, "Could not create File '%s'\n", name.c_str());
  shell.PostOutputText(text);
}
}  // namespace

bool BatchFile::Open(const std::string& folder, const std::string& name, ShellServices& shell) {
  Close();
  active_ = true;
  shell_ = &shell;
  name_ = BatchFileName(folder, name);
  text_.clear();
  // Refuse at once when the folder can't take the file, as creating it would.
  const std::string where = folder.empty() ? std::string(".") : folder;
  if (::access(ToLocalFolder(where).c_str(), W_OK) != 0) {
    active_ = false;
    ReportCreateFailure(shell, name_);
    return false;
  }
  open_ = true;
  return true;
}

void BatchFile::Close() {
  active_ = false;
  if (!open_) return;
  open_ = false;
  std::string err;
  AtomicFileWriter writer(disk_);
  if (!writer.Write(ToLocalFolder(name_), text_, &err) && shell_) ReportCreateFailure(*shell_, name_);
  text_.clear();
}

void BatchFile::WriteLine(const std::string& text) {
  if (!open_) return;
  text_ += text;
  size_t n = text.size();
  if (n >= 2 && text[n - 1] != '\n' && text[n - 2] != '\r') text_ += "\r\n";
}

void BatchFile::WriteSetLine(const std::string& name, const std::string& value) {
  if (!active_ || !open_) return;
  text_ += "SET " + name + "=" + value + "\r\n";
}

bool TraceFile::Open(const std::string& baseName) {
  Close();
  std::string name = baseName + ".tra";
  file_ = OpenOwnFileStream(name);
  if (!file_) return false;
  Printf("*** Creating Trace Output File '%s' Ok.\n", name.c_str());
  return true;
}

void TraceFile::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void TraceFile::Text(const std::string& text) {
  if (!file_) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fflush(file_);
}

void TraceFile::Printf(const char* format, ...) {
  if (!file_) return;
  char text[1021];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  Text(text);
}

}  // namespace pm2
