// Trace recording through qemu's exec log: qemu runs one instruction per
// translation block and logs each block it executes into the reader's FIFO,
// switched on and off at run time through gdb's "monitor" (qemu's human
// monitor commands).
#include "debugger/gdb/target/gdb_target.h"

#include <cstdio>
#include <cstdlib>

namespace pm2::gdb {

namespace {
constexpr int kMonitorTimeoutMs = 5000;
}

TraceStep GdbTarget::DescribeStep(uint32_t address) {
  TraceStep step;
  if (!CodeMayBeAsked()) return step;
  char range[48];
  std::snprintf(range, sizeof range, "-s 0x%X -e 0x%X", address, address + 1);
  // Mode 4 names the source line of any address inside it.
  MiRecord r = m_gdb->Call(std::string("-data-disassemble ") + range + " -- 4", kMonitorTimeoutMs);
  const MiValue* insns = r.results.Find("asm_insns");
  if (!Ok(r) || !insns) return step;
  for (const auto& [name, item] : insns->items) {
    const MiValue* code = &item;
    if (name == "src_and_asm_line") {
      const int line = std::atoi(item.Str("line").c_str());
      if (line > 0 && !item.Str("fullname").empty()) {
        step.file = item.Str("fullname");
        step.line = line;
        step.sourceText = m_sources.Line(step.file, line);
      }
      const MiValue* list = item.Find("line_asm_insn");
      code = list && !list->items.empty() ? &list->items[0].second : nullptr;
    }
    if (code && step.instruction.empty()) step.instruction = code->Str("inst");
  }
  return step;
}

bool GdbTarget::SetTrace(bool on, std::string* err) {
  if (on == m_tracing) return true;
  if (!m_simulated) {
    *err = "trace recording needs the simulation";
    return false;
  }
  if (!Halted()) {
    *err = "trace recording is switched while the target is stopped";
    return false;
  }
  if (on) {
    // A fresh FIFO each time: the last one went when qemu had opened it.
    m_trace.Stop();
    if (!m_trace.Start(err)) return false;
    m_trace.Clear();
  }
  const std::vector<std::string> commands =
      on ? std::vector<std::string>{"monitor logfile " + m_trace.Path(), "monitor log exec,nochain",
                                    "monitor singlestep on"}
         : std::vector<std::string>{"monitor log none", "monitor singlestep off"};
  for (const std::string& command : commands) {
    std::string why;
    if (!Ok(m_gdb->Call("-interpreter-exec console " + MiQuote(command), kMonitorTimeoutMs), &why)) {
      *err = "qemu refused '" + command + "'" + (why.empty() ? "" : ": " + why);
      if (on) m_gdb->Call("-interpreter-exec console " + MiQuote("monitor log none"), kMonitorTimeoutMs);
      return false;
    }
  }
  if (on) m_trace.Unlink();
  m_tracing = on;
  return true;
}

bool GdbTarget::FunctionCode(uint32_t address, std::vector<CoveredInstruction>* out) {
  out->clear();
  if (!CodeMayBeAsked()) return false;
  char at[16];
  std::snprintf(at, sizeof at, "0x%X", address);
  // Mode 2: each instruction with its bytes, so the last one's size is known too.
  MiRecord r = m_gdb->Call(std::string("-data-disassemble -a ") + at + " -- 2", kMonitorTimeoutMs);
  const MiValue* insns = r.results.Find("asm_insns");
  if (!Ok(r) || !insns) return false;
  *out = CoveredCode(*insns);
  return !out->empty();
}

std::vector<uint32_t> GdbTarget::TraceEntries() const {
  std::vector<uint32_t> entries = m_trace.Entries();
  // qemu logs an instruction as it starts it: the one the program stopped
  // at is not logged yet.
  const uint32_t pc = m_pc;
  if (!entries.empty() && entries.back() != pc) entries.push_back(pc);
  return entries;
}

}  // namespace pm2::gdb
