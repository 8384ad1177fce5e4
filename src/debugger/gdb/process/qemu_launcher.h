// Simulation of an ARM target: qemu-system-arm's empty machine with RAM at
// address 0 large enough to cover 0x40000000, the program loaded by qemu's
// loader device, the CPU held at reset and qemu's GDB stub on a Unix socket
// that only this user can reach (stub_socket.h).
#pragma once

#include <string>
#include <vector>

#include "debugger/gdb/process/child_process.h"
#include "debugger/gdb/process/stub_socket.h"

namespace pm2::gdb {

// The emulator and its machine. The empty machine "none" is the one the
// driver is made for: RAM over the whole address space, the CPU an
// ARM926; another machine is the emulator's board as it comes, with its
// own CPU, memory and peripherals.
struct QemuMachine {
  std::string program = "qemu-system-arm";
  std::string machine = "none";
};

// The command line for a program file; the GDB stub takes the listening
// socket passed as descriptor 3, qemu's own monitor the connected socket
// passed as descriptor 4.
std::vector<std::string> QemuCommandLine(const QemuMachine& qemu, const std::string& elf);

// Starts qemu with its GDB stub on *stub, which listens from the start: a
// connection to stub->Path() may be made at once and is answered once qemu
// is up (it fails when qemu ended). The caller closes *stub when the
// session ends. *monitor is the driver's end of the socket to
// qemu's monitor (closed on exec, non-blocking; the caller closes it, or a
// QemuMonitor takes it). False with *err when qemu is missing or cannot be
// started. Does not wait for qemu.
bool StartQemu(const QemuMachine& qemu, const std::string& elf, ChildProcess* process, StubSocket* stub, int* monitor,
               std::string* err);

// The message for a program of the settings (`field`: the settings form's
// name of it, "GDB program") that is not there: a path that names no
// program, a name the PATH does not have, or one of the Debian packages
// the driver uses by default, not installed.
std::string MissingProgramText(const std::string& program, const std::string& field);

}  // namespace pm2::gdb
