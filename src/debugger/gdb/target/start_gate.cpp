#include "debugger/gdb/target/start_gate.h"

#include <climits>
#include <cstdlib>

#include "debugger/gdb/process/child_process.h"
#include "debugger/gdb/process/qemu_launcher.h"
#include "debugger/gdb/target/gdb_target.h"
#include "debugger/gdb/target/target_params_check.h"

namespace pm2::gdb {

namespace {

// The list of machines is some kilobytes; more is no list.
constexpr std::size_t kMachineListMax = 1 << 16;
// How long the emulator may take to list its machines (it prints and ends).
constexpr int kMachineListBoundMs = 5000;

// A program of the settings that will run: a name looked up on PATH as
// it is, one named by its path only with the user's Yes, and then by its
// full path (what was agreed to is what runs).
bool GateProgram(const char* field, std::string* program, const StartGate& gate, std::string* err) {
  if (!NamedByPath(*program)) return true;
  std::string named = *program;
  if (named[0] != '/' && !gate.folder.empty())
    named = gate.folder + (gate.folder.back() == '/' ? "" : "/") + named;
  char full[PATH_MAX];
  if (!realpath(named.c_str(), full) || FindInPath(full).empty()) {
    *err = MissingProgramText(*program, field);
    return false;
  }
  if (!gate.ask || !gate.ask(RunProgramQuestion(field, full, gate.where))) {
    *err = "the " + std::string(field) + " '" + full + "', named by its path in " + gate.where +
           ", was not run: a program the project brings runs only when the user says Yes to it "
           "(a start without a window asks nobody); nothing was started";
    return false;
  }
  *program = full;
  return true;
}

}  // namespace

std::string RunProgramQuestion(const std::string& field, const std::string& program, const std::string& where) {
  return "The debug session would run a program of the project's own as its " + field + ":\n\n" + program +
         "\n\nIt is named by its path in " + where +
         ", not looked up on the PATH. It runs with your rights.\n\nRun it?";
}

std::vector<std::string> EmulatorMachines(const std::string& emulator) {
  ChildProcess help;
  std::string err;
  if (!help.Start({emulator, "-machine", "help"}, false, &err)) return {};
  // An emulator that does not end with its list gives none.
  bool late = false;
  help.Wait(kMachineListBoundMs, &late);
  if (late) return {};
  return MachineNames(help.Said(kMachineListMax));
}

bool PassStartGate(const std::string& text, const StartGate& gate, TargetParams* params, std::string* err) {
  const ParamsFault fault = CheckTargetParams(text);
  if (!fault.word.empty()) {
    *err = fault.word + (fault.value.empty() ? "" : " '" + fault.value + "'") + " in " + gate.where + ", " +
           (fault.value.empty() ? "" : "is ") + fault.why + "; nothing was started";
    return false;
  }
  if (!GateProgram("GDB program", &params->gdb, gate, err)) return false;
  if (!params->simulate) return true;
  if (!GateProgram("Emulator", &params->qemu.program, gate, err)) return false;
  // A name the emulator does not know would end it at once; its own list
  // says so before anything starts. An emulator that is missing is said
  // when the session starts it.
  if (FindInPath(params->qemu.program).empty()) return true;
  const std::vector<std::string> machines = EmulatorMachines(params->qemu.program);
  for (const std::string& m : machines)
    if (m == params->qemu.machine) return true;
  if (machines.empty()) return true;
  *err = "-machine '" + params->qemu.machine + "' in " + gate.where + ", is not a machine of " +
         params->qemu.program + " (its list: " + params->qemu.program + " -machine help); nothing was started";
  return false;
}

}  // namespace pm2::gdb
