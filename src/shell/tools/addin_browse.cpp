#include "shell/tools/addin_browse.h"

namespace pm2 {
namespace {

void CopyLocation(const BrowseAddInLocation& from, BrowseLocation* to) {
  // A place on line 0 is still sent; only stepping needs a line.
  *to = BrowseLocation();
  if (!from.file || !from.name) return;
  to->file = from.file->path;
  to->line = static_cast<int>(from.line);
  to->symbol = from.name->text;
}

}  // namespace

std::optional<std::string> FindAddInSymbol(BrowseSession& session, const BrowseSource& source,
                                           BrowseChooser& chooser, const std::string& symbol, bool definition,
                                           BrowseLocation* location) {
  std::optional<std::string> r = FindSymbolLocation(session, source, symbol, definition, chooser);
  CopyLocation(session.AddInLocation(), location);
  return r;
}

bool StepAddInReference(BrowseSession& session, bool next, BrowseLocation* location) {
  // The table may have been dropped (a build, another project) since the
  // location was found.
  if (!session.AddInLocation().Complete()) {
    *location = BrowseLocation();
    return false;
  }
  if (!(next ? GetNextReferenceLocation(session) : GetPreviousReferenceLocation(session))) return false;
  CopyLocation(session.AddInLocation(), location);
  return true;
}

}  // namespace pm2
