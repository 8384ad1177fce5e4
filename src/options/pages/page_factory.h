// The page table: which widget class stands for each page id. The family
// pages (target, compiler, assembler, linker of each toolset) plug in here
// by their row; a page id without a class of its own gets the tool page,
// which shows the tool's command line and the fields every tool page has.
#pragma once

#include "options/core/page_set.h"

namespace pm2 {

class OptionPage;
class OptionsSheet;

OptionPage* MakeOptionPage(OptionsSheet& sheet, PageId id);

}  // namespace pm2
