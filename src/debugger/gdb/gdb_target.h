// The GDB driver's target: one gdb-multiarch (and in simulation one
// qemu-system-arm) per session, with the operations the driver's record
// slots call. Run control, breakpoints, memory, registers, expressions and
// source lines all go through GDB/MI. The IDE is told about stops and the
// end of the session through callbacks that only post.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "debugger/abi/debug_interface.h"
#include "debugger/gdb/child_process.h"
#include "debugger/gdb/gdb_connection.h"
#include "debugger/gdb/gdb_listing.h"

namespace pm2::gdb {

// The driver's parameter string: "-sim" (qemu) or "-remote host:port"
// (any GDB server); "-gdb <program>" names another gdb.
struct TargetParams {
  bool simulate = true;
  std::string remote = "localhost:3333";
  std::string gdb = "gdb-multiarch";
  int connectTimeoutMs = 6000;
};
TargetParams ParseTargetParams(const std::string& text);

struct TargetEvents {
  std::function<void(const std::string&)> print;  // a text for the command window
  std::function<void()> stopped;                  // the target stopped (posted)
  std::function<void(const std::string&)> ended;  // the session must end (posted)
  std::function<void(bool)> executing;            // the executing bit
};

struct SourceLine {
  std::string file;  // full path
  int line = 0;
};

class GdbTarget {
 public:
  explicit GdbTarget(TargetEvents events);
  ~GdbTarget();
  GdbTarget(const GdbTarget&) = delete;
  GdbTarget& operator=(const GdbTarget&) = delete;

  // Starts gdb (and qemu) and connects; false with *err.
  bool Start(const TargetParams& params, const std::string& program, std::string* err);
  void Close();
  SessionState State() const { return m_gdb ? m_gdb->State() : SessionState::Dead; }
  bool Halted() const { return State() == SessionState::Stopped; }
  pid_t GdbPid() const { return m_gdb ? m_gdb->Pid() : -1; }
  pid_t QemuPid() { return m_qemu.Pid(); }

  // Run control; Step and Stop wait for the stop (at most a few seconds).
  bool Go(uint32_t stopAddress);
  bool Step(int mode);
  bool Interrupt();

  // Memory: 0 when all was read; otherwise the bytes up to *readUpTo.
  int Read(uint64_t address, uint32_t count, uint8_t* out, uint32_t* readUpTo = nullptr);
  bool Write(uint64_t address, uint32_t count, const uint8_t* bytes);
  bool Evaluate(const std::string& expression, uint64_t* value, std::string* text = nullptr);
  // A command line of the command window (gdb's CLI; "BS x" sets a breakpoint).
  int Execute(const std::string& line);
  bool Breakpoint(uint64_t address, bool insert);
  bool HasBreakpoint(uint64_t address) const;
  bool FindSource(uint64_t address, SourceLine* out);
  // The code lines of a source file: (line, address) pairs in gdb's order.
  bool LineTable(const std::string& file, std::vector<DbgLinePair>* out);
  // The instruction at an address as gdb disassembles it; "" when none.
  std::string Instruction(uint64_t address);
  // The listing of [from, to): source lines with their instructions.
  std::vector<ListingLine> Disassemble(uint32_t from, uint32_t to);
  std::string SymbolAt(uint64_t address);
  // The active calls, outermost first.
  bool CallStack(std::vector<DbgCallStackEntry>* out);
  bool Download(std::string* err);

  uint32_t Pc() const { return m_pc; }
  const SourceLine& StopLine() const { return m_stopLine; }

  // The register set of the IDE's register page.
  RegisterSet* Registers() { return &m_set; }
  void RefreshRegisters();
  void SetRegister(RegisterEntry* entry, uint64_t value);

 private:
  void OnStopped(const MiRecord& r);
  void OnDead(const std::string& reason);
  void BuildRegisterSet();
  void Monitor();
  bool Ok(const MiRecord& r, std::string* err = nullptr) const;

  TargetEvents m_events;
  std::unique_ptr<GdbConnection> m_gdb;
  ChildProcess m_qemu;
  bool m_simulated = false;
  std::thread m_monitor;
  std::atomic<bool> m_closing{false};
  std::atomic<uint32_t> m_pc{0};
  SourceLine m_stopLine;
  SourceCache m_sources;
  std::mutex m_stopMutex;
  std::map<uint64_t, int> m_breakpoints;  // address -> gdb's number
  mutable std::mutex m_bpMutex;

  // The register page: one group of the core registers.
  std::vector<RegisterGroup> m_groups;
  std::vector<RegisterEntry> m_regs;
  std::vector<int> m_regNumbers;       // gdb's register numbers
  std::vector<std::string> m_regNames;  // gdb's names ("r0", "sp", "cpsr")
  std::string m_groupName = "Core";
  RegisterSet m_set{};
};

}  // namespace pm2::gdb
