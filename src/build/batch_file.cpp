#include "build/batch_file.h"

#include <cstdarg>
#include <cstdio>
#include <unistd.h>

#include "project/app_state.h"

namespace pm2 {

std::string BatchFileName(const std::string& folder, const std::string& name) {
  std::string path = folder + name + ".BAT";
  for (size_t i = 2; i < path.size(); ++i)
    if (path[i] == ':') path[i] = '_';
  return path;
}

bool BatchFile::Open(const std::string& folder, const std::string& name, ShellServices& shell) {
  Close();
  active_ = true;
  name_ = BatchFileName(folder, name);
  tempName_ = name_ + ".tmp";
  file_ = std::fopen(tempName_.c_str(), "wb");
  if (!file_) {
    active_ = false;
    char text[1100];
    std::snprintf(text, sizeof text, "Could not create File '%s'\n", name_.c_str());
    shell.PostOutputText(text);
    return false;
  }
  return true;
}

void BatchFile::Close() {
  active_ = false;
  if (!file_) return;
  bool ok = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok || std::rename(tempName_.c_str(), name_.c_str()) != 0) std::remove(tempName_.c_str());
}

void BatchFile::WriteLine(const std::string& text) {
  if (!file_) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  size_t n = text.size();
  if (n >= 2 && text[n - 1] != '\n' && text[n - 2] != '\r') std::fputs("\r\n", file_);
}

void BatchFile::WriteSetLine(const std::string& name, const std::string& value) {
  if (!active_ || !file_) return;
  std::fprintf(file_, "SET %s=%s\r\n", name.c_str(), value.c_str());
}

bool TraceFile::Open(const std::string& baseName) {
  Close();
  std::string name = baseName + ".tra";
  file_ = std::fopen(name.c_str(), "wb");
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
