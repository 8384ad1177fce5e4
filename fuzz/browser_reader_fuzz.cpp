// Any bytes read as a browse file through the session, as the add-in
// does; a table that loads is then walked by the look-ups and steps, the
// symbol list's filters and sorting and the results' rows and graphs.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "browser/browse_navigation.h"
#include "browser/browse_results.h"
#include "browser/browse_symbol_list.h"
#include "scratch_folder.h"

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
  // The input goes through a file, as the session reads one.
  static const pm2::fuzz::ScratchFolder scratch("pm2fuzz_browse_", "input");
  const std::string& path = scratch.File();
  if (path.empty()) return 0;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  pm2::BrowseSession session;
  const pm2::BrowseSource source{path, "/f"};
  if (!session.Open(path, source.baseFolder).empty()) return 0;
  FirstChoice chooser;
  NoWindows viewer;
  const pm2::BrowseModule& module = *session.Module();
  pm2::BrowseListFilter filter;
  filter.mask = "*a*#";
  filter.spaces = 0x5;
  filter.file = 1;
  std::vector<pm2::BrowseSymbol*> rows = pm2::FilterSymbols(module, pm2::BrowseListFilter());
  (void)pm2::FilterSymbols(module, filter);
  for (int column = 0; column < pm2::kBrowseColumns; ++column) pm2::SortSymbols(rows, column, column % 2 != 0);
  for (const pm2::BrowseSymbol* s : rows) {
    for (int column = 0; column < pm2::kBrowseColumns; ++column) (void)pm2::ColumnText(module, *s, column);
    for (const pm2::BrowseFileRows& f : pm2::DefinitionRows(module, *s))
      for (const pm2::BrowseOccurrence* o : f.rows) (void)pm2::OccurrenceRowText(*o);
    (void)pm2::BuildGraph(*s, pm2::kResultsCallGraph);
    (void)pm2::BuildGraph(*s, pm2::kResultsCallers);
  }
  for (const pm2::BrowseName& n : session.Module()->Names()) {
    const std::string name(n.text);
    (void)pm2::GoToSymbol(session, source, name, true, viewer, chooser);
    (void)pm2::GoToNextReference(session, viewer);
    (void)pm2::BrowseChoices(n);
    for (bool definition : {true, false}) {
      if (pm2::FindSymbolLocation(session, source, name, definition, chooser) != std::string()) continue;
      for (int i = 0; i < 4; ++i) pm2::GetNextReferenceLocation(session);
      for (int i = 0; i < 4; ++i) pm2::GetPreviousReferenceLocation(session);
    }
  }
  return 0;
}
