// The start of a session on a GDB server with "Load Application at
// Startup": the server's target is wherever the last session (or anything
// else) left it, inside the program's calls or in another program. The
// start resets it and loads the program, so that it stands at the
// program's entry as after a reset, and a run to main reaches main.
#include "debugger/gdb/target/gdb_target.h"

namespace pm2::gdb {

namespace {
constexpr int kResetTimeoutMs = 3000;
}  // namespace

bool GdbTarget::LoadAtStart(std::string* err, std::string* report) {
  if (!Halted()) {
    *err = "the target does not stand still for the load";
    return false;
  }
  // The servers' own reset commands (OpenOCD's, qemu's stub's); a server
  // that knows neither is loaded as it stands: the load sets the program
  // counter to the entry all the same. gdb's words on them are the driver's.
  HoldConsole();
  bool reset = false;
  {
    const GdbPermissions::Hold run(m_access, GdbAccess::Run, [this] { return Halted(); });
    for (const char* command : {"monitor reset halt", "monitor system_reset"})
      if (run.ok() && Ok(m_gdb->Call("-interpreter-exec console " + MiQuote(command), kResetTimeoutMs))) {
        reset = true;
        break;
      }
  }
  TakeHeldConsole();
  if (!Download(err, report)) return false;
  // gdb's idea of the registers and frames is of before the reset.
  HoldConsole();
  Console("maintenance flush register-cache");
  TakeHeldConsole();
  RegistersMayChange();
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_stopLine = SourceLine{};
    m_stopFunction.clear();
  }
  TakePosition();
  if (!reset) *report += " (the server knows no reset command: the registers are as it left them)";
  return true;
}

}  // namespace pm2::gdb
