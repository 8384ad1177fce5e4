// The batch file "%s%s.BAT" of a rebuild: every tool variable as a
// "SET %s=%s\r\n" line and every command line the runner starts, so the
// build can be repeated outside the IDE. The lines are kept until the batch
// is closed and then written at once through the platform's atomic writer.
//
// The trace file "%s.tra" of the ARM-ADS link preparation: "### " progress
// lines, each write cut to 1020 characters and flushed at once.
#pragma once

#include <cstdio>
#include <string>

namespace pm2 {

class Disk;
class ShellServices;

// "%s%s.BAT" of folder and name with every ':' from the third character on
// turned into '_' (a drive letter's colon stays).
std::string BatchFileName(const std::string& folder, const std::string& name);

class BatchFile {
 public:
  // `disk` (null: the real disk) takes the write at Close and must outlive
  // the batch.
  explicit BatchFile(Disk* disk = nullptr) : disk_(disk) {}
  BatchFile(const BatchFile&) = delete;
  BatchFile& operator=(const BatchFile&) = delete;
  ~BatchFile() { Close(); }

  // Makes the batch active and creates the file; on failure prints
  // "Could not create File '%s'\n" through the shell and ends the batch.
  bool Open(const std::string& folder, const std::string& name, ShellServices& shell);
  // Ends the batch and writes the file; a failed write is reported with the
  // same message as a failed creation.
  void Close();
  bool Active() const { return active_; }
  const std::string& FileName() const { return name_; }

  // A command line as it is, with "\r\n" added when it is at least two
  // characters long and ends with no line end.
  void WriteLine(const std::string& text);
  void WriteSetLine(const std::string& name, const std::string& value);

 private:
  Disk* disk_ = nullptr;
  bool active_ = false;
  bool open_ = false;
  ShellServices* shell_ = nullptr;
  std::string name_;
  std::string text_;
};

class TraceFile {
 public:
  TraceFile() = default;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;
  ~TraceFile() { Close(); }

  // Creates "%s.tra" and writes "*** Creating Trace Output File '%s' Ok.\n".
  bool Open(const std::string& baseName);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  void Text(const std::string& text);
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace pm2
