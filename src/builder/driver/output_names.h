// The names a tool may write, read from the arguments the build gives it,
// so that a symbolic link a project's author planted at one of them (an
// object "Obj/Blinky.o" -> ~/.bashrc) is removed before the tool runs:
// the tools open their outputs as they are named and would write through.
//
// A tool names its outputs in many forms: "-o x.o", "--MD x.d",
// "-Wa,-ahls=x.lst", "-Wl,-Map=x.map,-Ttext=0", "OBJECT(x.obj)",
// "PRINT(x.lst)". Every piece of an argument between ',', '=', '(' and ')'
// is taken as a name, and beside each the names a tool derives from it
// (gcc -MD writes "x.d" beside "-o x.o", a linker its map and a hex
// converter its hex file beside the output it is given). Most pieces name
// no file at all; the build acts only on those that lie in the target's
// output, listing or temporary folder, are links or second names of
// another file, and are no file of the project (see the driver).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

// Every piece of the (Windows-quoted) argument text that may name a file,
// in order, each once, followed by the names derived from it.
std::vector<std::string> NamesInToolArguments(std::string_view text);

}  // namespace pm2
