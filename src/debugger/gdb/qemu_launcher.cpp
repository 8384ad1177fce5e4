#include "debugger/gdb/qemu_launcher.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace pm2::gdb {

std::vector<std::string> QemuCommandLine(const std::string& elf, int port) {
  // The whole 32-bit address space is RAM: the program's peripheral
  // accesses neither fault nor hang (a register reads what was written),
  // and the driver stands in for the UART through watchpoints.
  return {"qemu-system-arm", "-M", "none", "-cpu", "arm926", "-m", "4096M", "-device",
          "loader,file=" + elf + ",cpu-num=0", "-S", "-gdb", "tcp:127.0.0.1:" + std::to_string(port),
          "-display", "none", "-monitor", "none", "-serial", "none", "-nodefaults"};
}

std::string MissingProgramText(const std::string& program) {
  return "'" + program + "' is not installed; install the Debian package " + program +
         " (apt-get install " + program + ", or run ./pm2.sh run)";
}

namespace {

bool PortOpen(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(uint16_t(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

}  // namespace

bool StartQemu(const std::string& elf, ChildProcess* qemu, int* port, std::string* err) {
  if (FindInPath("qemu-system-arm").empty()) {
    *err = MissingProgramText("qemu-system-arm");
    return false;
  }
  // A port taken between the probe and qemu's start: try a few.
  for (int attempt = 0; attempt < 3; ++attempt) {
    *port = FreeTcpPort();
    if (*port <= 0) {
      *err = "no free TCP port for qemu's GDB stub";
      return false;
    }
    if (!qemu->Start(QemuCommandLine(elf, *port), false, err)) return false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
      if (!qemu->Running()) break;
      // Probing the stub costs it nothing: it takes the next connection.
      if (PortOpen(*port)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    qemu->Kill();
  }
  *err = "qemu-system-arm did not start its GDB stub";
  return false;
}

}  // namespace pm2::gdb
