// Simulation of an ARM target: qemu-system-arm's empty machine with RAM at
// address 0 large enough to cover 0x40000000, the program loaded by qemu's
// loader device, the CPU held at reset and qemu's GDB stub on a free port.
#pragma once

#include <string>
#include <vector>

#include "debugger/gdb/child_process.h"

namespace pm2::gdb {

// The command line for a program file and a port.
std::vector<std::string> QemuCommandLine(const std::string& elf, int port);

// Starts qemu and waits until its GDB stub accepts connections; false with
// *err when qemu is missing, ends, or its port does not open in time.
bool StartQemu(const std::string& elf, ChildProcess* qemu, int* port, std::string* err);

// The message for a program that is not installed.
std::string MissingProgramText(const std::string& program);

}  // namespace pm2::gdb
