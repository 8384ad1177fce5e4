#include "debugger/gdb/process/qemu_launcher.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pm2::gdb {

std::vector<std::string> QemuCommandLine(const QemuMachine& qemu, const std::string& elf) {
  // The whole 32-bit address space is RAM: the program's peripheral
  // accesses neither fault nor hang (a register reads what was written),
  // and the driver stands in for the UART through watchpoints. Another
  // machine brings its own CPU and memory. The GDB stub listens on the
  // socket passed as descriptor 3, its packets sent at once (without
  // nodelay a step waits seconds for its answer). qemu's own monitor talks
  // on the socket passed as descriptor 4: the driver stops the machine
  // through it.
  std::vector<std::string> line{qemu.program, "-M", qemu.machine};
  if (qemu.machine == "none") line.insert(line.end(), {"-cpu", "arm926", "-m", "4096M"});
  // The program's path is one value of the loader's option list: a comma
  // in it is doubled, as the emulator reads a comma of a value, rather
  // than starting another option of the device.
  std::string file;
  for (char c : elf) file += c == ',' ? std::string(",,") : std::string(1, c);
  line.insert(line.end(), {"-device", "loader,file=" + file + ",cpu-num=0", "-S", "-chardev",
                           "socket,id=gdbstub,fd=3,server=on,wait=off,nodelay=on", "-gdb", "chardev:gdbstub",
                           "-chardev", "socket,id=monitor,fd=4", "-mon", "chardev=monitor,mode=readline",
                           "-display", "none", "-monitor", "none", "-serial", "none", "-nodefaults"});
  return line;
}

std::string MissingProgramText(const std::string& program, const std::string& field) {
  // The programs the driver runs unless told otherwise, each its own package.
  static const char* const kPackaged[] = {"gdb-multiarch", "qemu-system-arm"};
  for (const char* packaged : kPackaged)
    if (program == packaged)
      return "'" + program + "' is not installed; install the Debian package " + program + " (apt-get install " +
             program + ", or run ./pm2.sh run)";
  if (program.find('/') != std::string::npos)
    return "the " + field + " of the driver's settings, '" + program + "', does not exist or is not a program";
  return "the " + field + " of the driver's settings, '" + program + "', is not found on the PATH";
}

bool StartQemu(const QemuMachine& qemu, const std::string& elf, ChildProcess* process, StubSocket* stub, int* monitor,
               std::string* err) {
  if (FindInPath(qemu.program).empty()) {
    *err = MissingProgramText(qemu.program, "Emulator");
    return false;
  }
  // The stub's socket listens before qemu starts: a connection made while
  // qemu is still starting waits in its queue, so nobody polls the port.
  const int listening = stub->Listen(err);
  if (listening < 0) return false;
  int ends[2] = {-1, -1};
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    close(listening);
    stub->Close();
    *err = "no socket for qemu's monitor";
    return false;
  }
  const bool started = process->Start(QemuCommandLine(qemu, elf), false, err, listening, ends[1]);
  close(listening);
  close(ends[1]);
  if (!started) {
    close(ends[0]);
    stub->Close();
    return false;
  }
  fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
  *monitor = ends[0];
  return true;
}

}  // namespace pm2::gdb
