// Any bytes read as a browse file through the session, as the add-in
// does; a table that loads is then walked by the look-ups and steps.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "browser/browse_navigation.h"

namespace {

struct FirstChoice : pm2::BrowseChooser {
  pm2::BrowseSymbol* Choose(const pm2::BrowseName& name) override { return name.first; }
};

struct NoWindows : pm2::BrowseViewer {
  bool ShowBrowseResult(bool, pm2::BrowseName&) override { return false; }
  void ShowSourceLocation(const std::string&, uint32_t, const std::string&) override {}
  void Beep() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/pm2_browser_fuzz." + std::to_string(::getpid());
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  pm2::BrowseSession session;
  const pm2::BrowseSource source{path, "/f"};
  if (!session.Open(path, source.baseFolder).empty()) return 0;
  FirstChoice chooser;
  NoWindows viewer;
  for (const pm2::BrowseName& n : session.Module()->Names()) {
    (void)pm2::GoToSymbol(session, source, n.text, true, viewer, chooser);
    (void)pm2::GoToNextReference(session, viewer);
    (void)pm2::BrowseChoices(n);
    for (bool definition : {true, false}) {
      if (pm2::FindSymbolLocation(session, source, n.text, definition, chooser) != std::string()) continue;
      for (int i = 0; i < 4; ++i) pm2::GetNextReferenceLocation(session);
      for (int i = 0; i < 4; ++i) pm2::GetPreviousReferenceLocation(session);
    }
  }
  return 0;
}
