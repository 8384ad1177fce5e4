#pragma once
// The program's toolbar resources as a ResourceModule: the id lists of the
// TOOLBAR tables (src/resources/toolkit.rc.txt) in the toolbar resource
// layout, with the image size taken from the decoded PNG strip of the same
// id, and the strips themselves as bitmaps.

#include <string>

#include "toolkit/core/resources.h"
#include "toolkit/toolbars/resource_module.h"

namespace pm2 {

// Builds the module from `tables` and the compiled-in strips; a strip whose
// width does not hold one image per listed command is refused with `err`
// naming it (and left out).
bool BuildResourceModule(const ResourceTables& tables, MemoryResourceModule* out, std::string* err);

// The module of the toolkit's own resources, built once.
const ResourceModule& ToolkitResourceModule();

}  // namespace pm2
