// The shell tools' readers over arbitrary bytes: the ".SVCS" reader (whose
// output must write and read back to the same sections), the instance
// channel's receiver, the add-in block decoder and link, and the build-line
// parser of the event interface.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/tools/addin_link.h"
#include "shell/tools/instance_channel.h"
#include "shell/tools/ipc_notifications.h"
#include "shell/tools/svcs_file.h"

namespace {

struct NullFrame : pm2::AddInFrame {
  void Beep() override {}
  int MessageBox(const std::string&, int) override { return 1; }
  void ShowProjectFile(const std::string&) override {}
  void OpenFileAndShow(const std::string&, int) override {}
  bool LeftButtonDown() override { return false; }
  bool IsDebugging() override { return true; }
  bool TargetRunning() override { return false; }
  void RunTarget() override {}
  intptr_t IdeServiceCall(int, intptr_t) override { return 0; }
  std::optional<std::string> FindSymbolLocation(const std::string&, bool, pm2::BrowseLocation*) override {
    return std::nullopt;
  }
  bool StepReference(bool, pm2::BrowseLocation*) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % 4) {
    case 0: {
      auto sections = pm2::ParseSvcs(bytes);
      const std::string written = pm2::SerializeSvcs(sections);
      if (pm2::SerializeSvcs(pm2::ParseSvcs(written)) != written) std::abort();
      break;
    }
    case 1: {
      auto r = pm2::DecodeChannelMessage(bytes);
      if (r && r->kind == pm2::kChannelProgressValue && r->value > 100) std::abort();
      break;
    }
    case 2: {
      NullFrame frame;
      pm2::AddInLinkLogic link(frame, 1);
      link.Attach(nullptr, 55, 0);
      link.HandleBlock(data + 1, size - 1, 55, {});
      break;
    }
    default: {
      pm2::BuildMessage m = pm2::ParseBuildMessage(bytes);
      if (m.isMessage && m.line <= 0) std::abort();
      break;
    }
  }
  return 0;
}
