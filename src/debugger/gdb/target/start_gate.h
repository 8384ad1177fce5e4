// The gate every start of the GDB driver passes (a debug session from the
// window, from the command line or from a peer, a download, an erase)
// before it runs gdb or the emulator: the settings text read from the
// project's options file passes the settings form's checks, its machine
// is one of the emulator's own list, and a gdb or emulator the project
// names by its path runs only when the user says Yes to it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pm2::gdb {

struct TargetParams;

struct StartGate {
  // Where the settings text came from, as the refusal and the question
  // say it ("the Parameter field of ... in the project's options file").
  std::string where;
  // The project's folder: a program named by a relative path ("./gdbx")
  // is the folder's, whichever folder the IDE runs in.
  std::string folder;
  // The question before a program named by its path runs: true for Yes.
  std::function<bool(const std::string& question)> ask;
};

// True when the session may start with *params (parsed from `text`, the
// mode a download uses set): a program named by its path is given with its
// full path then. False with *err saying which word of the text and why,
// before anything of the session ran.
bool PassStartGate(const std::string& text, const StartGate& gate, TargetParams* params, std::string* err);

// The question before `program` (the settings form's name of the field:
// "GDB program") named by its path runs.
std::string RunProgramQuestion(const std::string& field, const std::string& program, const std::string& where);

// The machines the emulator offers ("<emulator> -machine help"); empty when
// it could not be asked.
std::vector<std::string> EmulatorMachines(const std::string& emulator);

}  // namespace pm2::gdb
