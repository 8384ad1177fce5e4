// Every tool filter over arbitrary capture bytes: no crash, no read past a
// line, counts never negative.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "builder/runner/output_filters.h"
#include "builder/runner/tool_run_request.h"
#include "project/model/app_state.h"

namespace {
class NullShell : public pm2::ShellServices {
 public:
  void PostOutputText(const std::string&) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  NullShell shell;
  pm2::ToolRunRequest request;
  request.toolCode = static_cast<uint16_t>(data[0] % 46);
  request.exitCode = data[1] % 5;
  std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  pm2::MemoryByteSource source(bytes);
  pm2::CaptureReader reader(source);
  pm2::FilterToolOutput(request, reader, shell);
  if (request.errors < 0 || request.warnings < 0) std::abort();
  return 0;
}
