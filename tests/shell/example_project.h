// The example project examples/blinky/Blinky.pm2 as our own writer makes
// it: an LPC2138 target of the ARM-GNU toolset with the groups "Startup"
// and "Source", the linker script LPC2138.ld, no start files, a map file
// and hex output, every output in ./Obj/.
#pragma once

#include <string>

namespace pm2 {

struct ProjectRec;

// The project in memory (pool 2); folder is where it lives (ends in '/').
ProjectRec* MakeExampleProject(const std::string& folder);

// The texts of Blinky.pm2 and Blinky.Opt.
void ExampleProjectTexts(std::string* projectText, std::string* optionsText);

}  // namespace pm2
