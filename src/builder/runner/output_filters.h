// Filters of the tools' captured output, by tool family. Each turns a
// family's message layout into the uniform lines "%s(%d): error %c%d: %s",
// "%s(%d): warning %c%d: %s", "%s(%d): error: %s" and "%s(%d): warning: %s"
// and counts errors and warnings. The whole output is bracketed by the
// redraw-off text "\xFF" and the redraw-on text "\xFE".
//
// The capture is read in 4096-byte blocks; a line ends at a line feed (kept),
// the end or 4094 characters; a carriage return is replaced by the
// character after it; a non-empty line without a line feed gets one; a zero
// byte ends the output like the end of the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

class ShellServices;
struct ToolRunRequest;

constexpr size_t kCaptureBlockSize = 4096;
constexpr size_t kCaptureLineMax = 4094;
constexpr size_t kSourceNameMax = 260;

extern const char kRedrawOffText[];  // "\xFF"
extern const char kRedrawOnText[];   // "\xFE"

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes read, 0 at the end, -1 on a failed read.
  virtual long Read(char* buffer, size_t size) = 0;
};

class FdByteSource : public ByteSource {
 public:
  explicit FdByteSource(int fd) : fd_(fd) {}
  long Read(char* buffer, size_t size) override;

 private:
  int fd_;
};

class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
  long Read(char* buffer, size_t size) override;

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

class CaptureReader {
 public:
  explicit CaptureReader(ByteSource& source) : source_(source) {}
  CaptureReader(const CaptureReader&) = delete;
  CaptureReader& operator=(const CaptureReader&) = delete;
  // The next line into `line`; its length, 0 at the end.
  size_t ReadLine(std::string& line);

 private:
  int ReadChar();  // next byte, -1 at the end
  ByteSource& source_;
  char buffer_[kCaptureBlockSize];
  size_t fill_ = 0, pos_ = 0;
  bool ended_ = false;
};

// Runs the filter of the request's tool code over the capture, printing
// through the shell and counting into the request (errors, warnings; the
// ADS filter also raises the exit code).
void FilterToolOutput(ToolRunRequest& request, CaptureReader& capture, ShellServices& out);

}  // namespace pm2
