// What the GDB driver's benches share: the example built once by the
// program, gdb-multiarch alone on its own qemu (the peer, lines read
// straight from its pipe), and the driver library through its record.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "driver_abi/debug_interface.h"
#include "debugger/gdb/process/child_process.h"
#include "debugger/gdb/process/qemu_launcher.h"

namespace pm2::bench {

using pm2::gdb::ChildProcess;

inline std::string g_elf;
inline std::string g_skip;

// The example built once by the program into a temporary folder.
inline bool BuildExample() {
  std::string dir = std::filesystem::temp_directory_path().string() + "/pm2bench" + std::to_string(getpid());
  std::filesystem::remove_all(dir);
  std::filesystem::copy(std::string(PM2_SOURCE_DIR) + "/examples/blinky", dir, std::filesystem::copy_options::recursive);
  std::filesystem::remove_all(dir + "/Obj");
  std::string cmd = "cd '" + dir + "' && '" + std::string(PM2_PROGRAM_DIR) + "/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
  std::error_code ec;
  if (std::system(cmd.c_str()) != 0 || !std::filesystem::exists(dir + "/Obj/Blinky.elf", ec)) {
    std::filesystem::remove_all(dir, ec);  // nothing of a failed build stays
    return false;
  }
  g_elf = dir + "/Obj/Blinky.elf";
  return true;
}

// ---- the peer: gdb-multiarch over MI, lines read straight from its pipe
class RawGdb {
 public:
  bool Start() {
    std::string err;
    int monitor = -1;
    if (!pm2::gdb::StartQemu(pm2::gdb::QemuMachine{}, g_elf, &m_qemu, &m_stub, &monitor, &err)) return false;
    ::close(monitor);  // the peer stops the target through gdb only
    if (!m_gdb.Start({"gdb-multiarch", "-q", "-nx", "--interpreter=mi2", g_elf}, true, &err)) return false;
    Command("-gdb-set confirm off", "^done");
    return Command("-target-select remote " + m_stub.Path(), "*stopped");
  }
  // Sends a command and reads lines until one starts with `until`.
  bool Command(const std::string& command, const char* until) {
    std::string line = command + "\n";
    if (write(m_gdb.InFd(), line.data(), line.size()) != ssize_t(line.size())) return false;
    for (;;) {
      std::size_t nl;
      while ((nl = m_buffer.find('\n')) != std::string::npos) {
        const bool done = m_buffer.compare(0, std::strlen(until), until) == 0;
        const bool error = m_buffer.compare(0, 6, "^error") == 0;
        m_last = m_buffer.substr(0, nl);
        m_buffer.erase(0, nl + 1);
        if (done) return true;
        if (error) return false;
      }
      char chunk[65536];
      ssize_t n = read(m_gdb.OutFd(), chunk, sizeof chunk);
      if (n <= 0) return false;
      m_buffer.append(chunk, std::size_t(n));
    }
  }
  const std::string& Last() const { return m_last; }
  ~RawGdb() {
    m_gdb.Kill();
    m_qemu.Kill();
  }

 private:
  pm2::gdb::StubSocket m_stub;  // goes after qemu and gdb
  ChildProcess m_qemu, m_gdb;
  std::string m_buffer, m_last;
};

// ---- ours: the driver library through its record
class Driver {
 public:
  // service: the IDE's service call the driver gets (none when null).
  bool Start(IdeServiceCallFn service = nullptr) {
    m_lib = dlopen((std::string(PM2_PROGRAM_DIR) + "/GdbDrv.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_lib) return false;
    auto boot = reinterpret_cast<BootDllFn>(dlsym(m_lib, "BootDll"));
    if (!boot) return false;
    std::memset(&m_ide, 0, sizeof m_ide);
    std::memset(&m_settings, 0, sizeof m_settings);
    m_ide.size = sizeof m_ide;
    m_ide.IdeServiceCall = service;
    std::snprintf(m_settings.programFile, sizeof m_settings.programFile, "%s", g_elf.c_str());
    std::snprintf(m_settings.dllParams, sizeof m_settings.dllParams, "-sim");
    boot(1, &m_ide);
    boot(2, &m_record);
    boot(3, &m_settings);
    boot(4, &m_settings);
    return !(m_settings.flags & kDbgSettingsStartFailed);
  }
  DebugInterface* Record() const { return m_record; }
  // "g,main" as the IDE sends it; true once the target stopped in main.
  bool RunToMain() {
    uint64_t main = 0;
    if (m_record->DbgEvalExpression(1, "&main", &main) != 0) return false;
    if (m_record->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>("g,main\n"), 0) != 0) return false;
    for (int i = 0; i < 5000; ++i) {
      if (m_record->pc >= main && m_record->pc < main + 32) return true;
      usleep(200);
    }
    return false;
  }
  ~Driver() {
    if (m_record && m_record->DbgExit) m_record->DbgExit();
  }

 private:
  void* m_lib = nullptr;
  DebugInterface m_ide;
  DebugInterface* m_record = nullptr;
  DebugSettings m_settings;
};

// "met" or "NOT met" for a measured value against its goal (at most).
// Why the benches cannot run here ("" when they can): the tools missing,
// or the example not building. Builds the example.
inline std::string SkipReason() {
  if (pm2::gdb::FindInPath("gdb-multiarch").empty() || pm2::gdb::FindInPath("qemu-system-arm").empty())
    return "gdb-multiarch or qemu-system-arm is not installed";
  if (!BuildExample()) return "the example does not build here";
  return "";
}

inline const char* Met(double value, double goal) { return value <= goal ? "met" : "NOT met"; }

}  // namespace pm2::bench
