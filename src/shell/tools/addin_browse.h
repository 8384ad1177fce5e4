// The add-in's browser requests (definition, first reference, next and
// previous reference) on the source browser's session: the place the
// browser finds is copied into the link's location that goes to the add-in.
#pragma once

#include <optional>
#include <string>

#include "browser/browse_navigation.h"
#include "shell/tools/addin_link.h"

namespace pm2 {

// Nothing when the user cancelled the choice between several symbol
// records; "" when found (*location filled); else the message to show.
std::optional<std::string> FindAddInSymbol(BrowseSession& session, const BrowseSource& source,
                                           BrowseChooser& chooser, const std::string& symbol, bool definition,
                                           BrowseLocation* location);
// Steps the browser's cursor; false (and *location emptied when the browser
// no longer has one) when there is no next or previous place.
bool StepAddInReference(BrowseSession& session, bool next, BrowseLocation* location);

}  // namespace pm2
