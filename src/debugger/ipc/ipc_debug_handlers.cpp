#include "debugger/ipc/ipc_debug_handlers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "debugger/ipc/request_text.h"

namespace pm2 {
namespace {

// How long a client's end of the session waits for the stop it asked for
// first, looking every few milliseconds: the drivers' stop requests are
// bounded by a few seconds.
constexpr int kStopWaitMs = 10000;
constexpr int kStopPollMs = 10;

template <class X, void (IpcDebugHandlers::*M)(X&)>
class Forward final : public X::Handler {
 public:
  Forward(EventHandlerRegistry& r, IpcDebugHandlers& owner) : X::Handler(r), m_owner(owner) {}
  void Handle(X& e) override { (m_owner.*M)(e); }

 private:
  IpcDebugHandlers& m_owner;
};

// The driver's memory request (service 2052), zeroed.
DriverMemoryRequest MemoryRequest(uint64_t address, uint32_t kind) {
  DriverMemoryRequest r;
  std::memset(&r, 0, sizeof r);
  r.addressLow = uint32_t(address);
  r.addressHigh = uint32_t(address >> 32);
  r.kind = kind;
  return r;
}

}  // namespace

using H = IpcDebugHandlers;
struct IpcDebugHandlers::Handlers {
  Handlers(EventHandlerRegistry& r, H& o)
      : start(r, o), stop(r, o), go(r, o), halt(r, o), hll(r, o), asmStep(r, o), ins(r, o), out(r, o),
        till(r, o), setBp(r, o), clrBp(r, o), rdReg(r, o), wrReg(r, o), memAdr(r, o), readMem(r, o),
        writeMem(r, o), dcm(r, o), dts(r, o), toTarget(r, o), filter(r, o) {}
  Forward<dtc_Debug::StartDebugging, &H::OnStartDebugging> start;
  Forward<dtc_Debug::StopDebugging, &H::OnStopDebugging> stop;
  Forward<dtc_Debug::StartExecution, &H::OnStartExecution> go;
  Forward<dtc_Debug::StopExecution, &H::OnStopExecution> halt;
  Forward<dtc_Debug::StepOver, &H::OnStepOver> hll;
  Forward<dtc_Debug::StepInto, &H::OnStepInto> asmStep;
  Forward<dtc_Debug::StepInstruction, &H::OnStepInstruction> ins;
  Forward<dtc_Debug::StepOut, &H::OnStepOut> out;
  Forward<dtc_Debug::ExecuteUntil, &H::OnExecuteUntil> till;
  Forward<dtc_Debug::SetBreakpoint, &H::OnSetBreakpoint> setBp;
  Forward<dtc_Debug::ClearBreakpoint, &H::OnClearBreakpoint> clrBp;
  Forward<dtc_Debug::ReadRegister, &H::OnReadRegister> rdReg;
  Forward<dtc_Debug::WriteRegister, &H::OnWriteRegister> wrReg;
  Forward<dtc_Debug::GetMemoryAddress, &H::OnGetMemoryAddress> memAdr;
  Forward<dtc_Debug::ReadMemory, &H::OnReadMemory> readMem;
  Forward<dtc_Debug::WriteMemory, &H::OnWriteMemory> writeMem;
  Forward<dtc_Debug::DecodeMemAddress, &H::OnDecodeMemAddress> dcm;
  Forward<dtc_TargetMessaging::DecodeTimeStamp, &H::OnDecodeTimeStamp> dts;
  Forward<dtc_TargetMessaging::MsgToTarget, &H::OnMsgToTarget> toTarget;
  Forward<dtc_TargetMessaging::MsgFromFilter, &H::OnMsgFromFilter> filter;
};

IpcDebugHandlers::IpcDebugHandlers(EventHandlerRegistry& registry, IpcDebugShell& shell, IpcDebugState state,
                                   Send send)
    : m_shell(shell), m_state(state), m_send(std::move(send)) {
  m_handlers = std::make_unique<Handlers>(registry, *this);
}

IpcDebugHandlers::~IpcDebugHandlers() = default;

void IpcDebugHandlers::SendDebugStatusText(const std::string& text) {
  if (Muted()) return;
  dtc_Debug::StatusText s(text);
  Reply(s, -1);
}

void IpcDebugHandlers::Reply(dtc_EventBase& event, int32_t to) {
  event.m_nDestination = to;
  m_send(event);
}

bool IpcDebugHandlers::Halted(bool refuseRunning) {
  if (!m_shell.IsDebugging()) {
    SendDebugStatusText(kIpcDebuggerNotRunning);
    return false;
  }
  if (refuseRunning && m_shell.IsRunning()) {
    SendDebugStatusText(kIpcAlreadyExecuting);
    return false;
  }
  return true;
}

bool IpcDebugHandlers::Evaluate(const std::string& text, uint64_t* value, bool readOnly) {
  DriverExpressionRecord r{};
  r.text = text.c_str();
  if (readOnly)
    m_shell.ReadService(2048, reinterpret_cast<intptr_t>(&r));
  else
    m_shell.Service(2048, reinterpret_cast<intptr_t>(&r));
  *value = uint64_t(r.resultLow) | (uint64_t(r.resultHigh) << 32);
  return r.error == 0;
}

DriverExpressionFault IpcDebugHandlers::DriverFault() {
  return [this](const std::string& text) { return m_shell.ExpressionFault(text); };
}

void IpcDebugHandlers::OnStartDebugging(dtc_Debug::StartDebugging& e) {
  if (m_shell.IsDebugging()) {
    SendDebugStatusText(kIpcDebuggerRunsAlready);
    return;
  }
  if (!m_shell.CanStartBuild()) {
    SendDebugStatusText(kIpcCannotAccessProject);
    return;
  }
  if (const std::string why = m_shell.StartRefusal(); !why.empty()) {
    SendDebugStatusText(why);
    return;
  }
  if (m_state.debugClient) *m_state.debugClient = e.m_nSender;
  m_shell.StartStopDebug();
}

void IpcDebugHandlers::OnStopDebugging(dtc_Debug::StopDebugging&) {
  if (!m_shell.IsDebugging()) return;
  if (m_shell.IsRunning()) {
    m_shell.StopRunning();
    // A driver answers a stop request off the GUI thread: its stop comes
    // within the driver's bound (this thread waits, not the window's).
    for (int waited = 0; m_shell.IsRunning() && waited < kStopWaitMs; waited += kStopPollMs) m_shell.Sleep(kStopPollMs);
    if (m_shell.IsRunning()) {
      SendDebugStatusText(kIpcCannotStop);
      return;
    }
  }
  if (m_state.debugClient) *m_state.debugClient = -1;
  m_shell.StopSession();
}

void IpcDebugHandlers::OnStartExecution(dtc_Debug::StartExecution&) {
  if (Halted()) m_shell.RunCommand(32791);
}

void IpcDebugHandlers::OnStopExecution(dtc_Debug::StopExecution&) {
  if (!Halted(false)) return;
  if (m_shell.IsRunning()) m_shell.RunCommand(32797);
}

void IpcDebugHandlers::Step(int service) {
  if (!Halted(false)) return;
  intptr_t result = 0;
  if (!m_shell.ServiceIfHalted(service, 1, &result)) SendDebugStatusText(kIpcAlreadyExecuting);
}
void IpcDebugHandlers::OnStepOver(dtc_Debug::StepOver&) { Step(8); }
void IpcDebugHandlers::OnStepInto(dtc_Debug::StepInto&) { Step(7); }
void IpcDebugHandlers::OnStepInstruction(dtc_Debug::StepInstruction&) { Step(2053); }
void IpcDebugHandlers::OnStepOut(dtc_Debug::StepOut&) {
  if (!Halted()) return;
  // Without a call to return from the client hears why nothing happened.
  if (m_shell.Service(12, 0) != 0)
    m_shell.Service(9, 1);
  else
    SendDebugStatusText("Cannot StepOut");
}

void IpcDebugHandlers::OnExecuteUntil(dtc_Debug::ExecuteUntil& e) {
  if (!Halted()) return;
  if (const std::string why = ReadOnlyExpressionRefusal("ExecuteUntil", e.m_strAddress, DriverFault()); !why.empty())
    return SendDebugStatusText(why);
  std::string text = "g," + e.m_strAddress + "\n";
  // Told as a run of the Go command is (service 1 before it), so the client
  // hears the run start before its stop. A run the driver refuses never
  // started: its stop (service 2) ends what the client was told.
  m_shell.Service(1, 0);
  if (m_shell.Service(34, reinterpret_cast<intptr_t>(text.c_str())) != 0) m_shell.Service(2, 0);
}

void IpcDebugHandlers::OnSetBreakpoint(dtc_Debug::SetBreakpoint& e) {
  if (Muted()) return;
  if (!Halted(false)) return;
  // The location is evaluated ("R1 = 7" would set R1): it writes nothing.
  if (const std::string why = BreakpointLocationRefusal("SetBreakpoint", e.m_strExpression, DriverFault()); !why.empty()) {
    SendDebugStatusText(why);
    dtc_Debug::SetBreakpointReply refused(e.m_strExpression, 0);
    return Reply(refused, e.m_nSender);
  }
  std::string text = "BS " + e.m_strExpression + "\n";
  const bool ok = m_shell.Service(34, reinterpret_cast<intptr_t>(text.c_str())) == 0;
  // A refused command: the client hears why, not only the Command page.
  if (!ok) {
    const std::string why = m_shell.CommandRefusal();
    SendDebugStatusText("SetBreakpoint: " + (why.empty() ? "the driver refused '" + e.m_strExpression + "'" : why));
  }
  dtc_Debug::SetBreakpointReply reply(e.m_strExpression, ok ? 1 : 0);
  Reply(reply, e.m_nSender);
  m_shell.Service(14, 0);
}

void IpcDebugHandlers::OnClearBreakpoint(dtc_Debug::ClearBreakpoint& e) {
  if (Muted()) return;
  if (!Halted(false)) return;
  if (const std::string why = ReadOnlyExpressionRefusal("ClearBreakpoint", e.m_strAddress, DriverFault()); !why.empty()) {
    SendDebugStatusText(why);
    dtc_Debug::ClearBreakpointReply refused(e.m_strAddress, 0);
    return Reply(refused, e.m_nSender);
  }
  uint64_t address = 0;
  if (!Evaluate(e.m_strAddress, &address)) {
    SendDebugStatusText(kIpcInvalidAddress);
    return;
  }
  uint32_t pair[2] = {uint32_t(address), uint32_t(address >> 32)};
  const bool ok = m_shell.Service(2049, reinterpret_cast<intptr_t>(pair)) == 0;
  dtc_Debug::ClearBreakpointReply reply(e.m_strAddress, ok ? 1 : 0);
  Reply(reply, e.m_nSender);
  m_shell.Service(14, 0);
}

void IpcDebugHandlers::OnReadRegister(dtc_Debug::ReadRegister& e) {
  if (!Halted(false)) return;
  // A read takes a name or an expression that writes nothing ("R1 = 7" would set R1).
  if (const std::string why = ReadOnlyExpressionRefusal("ReadRegister", e.m_strRegister, DriverFault()); !why.empty())
    return SendDebugStatusText(why);
  uint64_t value = 0;
  if (!Evaluate(e.m_strRegister, &value, true)) {
    SendDebugStatusText("Can't read register '" + e.m_strRegister + "'");
    return;
  }
  dtc_Debug::ReadRegisterReply reply(e.m_strRegister, uint32_t(value));
  Reply(reply, e.m_nSender);
}

void IpcDebugHandlers::OnWriteRegister(dtc_Debug::WriteRegister& e) {
  if (!Halted(false)) return;
  // The name is a register name or one expression; the assignment is made
  // here and evaluated, never handed over as a command line, where the
  // tool-box commands and the command language's words would be tried.
  if (const std::string why = ReadOnlyExpressionRefusal("WriteRegister", e.m_strRegister, DriverFault()); !why.empty())
    return SendDebugStatusText(why);
  char value[16];
  std::snprintf(value, sizeof value, "0x%X", e.m_nValue);
  uint64_t written = 0;
  if (!Evaluate(e.m_strRegister + " = " + value, &written)) {
    SendDebugStatusText("Can't write register '" + e.m_strRegister + "'");
    return;
  }
  dtc_Debug::WriteRegisterReply reply(e.m_strRegister, e.m_nValue);
  Reply(reply, e.m_nSender);
}

void IpcDebugHandlers::OnGetMemoryAddress(dtc_Debug::GetMemoryAddress& e) {
  if (!Halted(false)) return;
  if (const std::string why = ReadOnlyExpressionRefusal("GetMemoryAddress", e.m_strExpression, DriverFault()); !why.empty()) {
    SendDebugStatusText(why);
    dtc_Debug::GetMemoryAddressReply refused(e.m_strExpression, 0, 0);
    return Reply(refused, e.m_nSender);
  }
  uint64_t address = 0;
  const bool ok = Evaluate(e.m_strExpression, &address, true);
  dtc_Debug::GetMemoryAddressReply reply(e.m_strExpression, address, ok ? 1 : 0);
  Reply(reply, e.m_nSender);
}

void IpcDebugHandlers::OnReadMemory(dtc_Debug::ReadMemory& e) {
  if (!Halted(false)) return;
  // A count above what one answer carries is refused, not allocated.
  if (e.m_nCount > kIpcReadMemoryMax) {
    SendDebugStatusText("ReadMemory: " + std::to_string(e.m_nCount) + " bytes asked, at most " +
                        std::to_string(kIpcReadMemoryMax) + " per request");
    return;
  }
  std::vector<uint8_t> buffer;
  try {
    buffer.assign(std::size_t(e.m_nCount) + 2, 0);
  } catch (const std::bad_alloc&) {
    SendDebugStatusText(kIpcOutOfMemory);
    return;
  }
  DriverMemoryRequest r = MemoryRequest(e.m_nAddress, 1);
  r.count = e.m_nCount;
  r.buffer = buffer.data();
  m_shell.Service(2052, reinterpret_cast<intptr_t>(&r));
  uint32_t count = e.m_nCount;
  if (r.failed) {
    // The bytes read are the stop address minus the start in low words,
    // counted round 4 GB (a read cut at the end of a 32-bit space stops
    // at 0). More than was asked is the driver's fault: answered as an
    // error rather than as a count that wrapped around.
    const uint32_t start = uint32_t(e.m_nAddress);
    if (uint32_t(r.stoppedAt - start) > e.m_nCount) {
      SendDebugStatusText("ReadMemory: the driver stopped at 0x" + [&] {
        char b[16];
        std::snprintf(b, sizeof b, "%X", r.stoppedAt);
        return std::string(b);
      }() + ", outside the range read");
      return;
    }
    count = r.stoppedAt - start;
  }
  dtc_Debug::ReadMemoryReply reply(e.m_nAddress, DataBlock(buffer.data(), count));
  Reply(reply, e.m_nSender);
}

void IpcDebugHandlers::OnWriteMemory(dtc_Debug::WriteMemory& e) {
  if (!Halted(false)) return;
  std::vector<uint8_t> buffer(kIpcWriteMemoryMax, 0);
  const uint32_t n = uint32_t(std::min<std::size_t>(e.m_Data.bytes.size(), kIpcWriteMemoryMax));
  if (n) std::memcpy(buffer.data(), e.m_Data.bytes.data(), n);
  DriverMemoryRequest r = MemoryRequest(e.m_nAddress, 2);
  r.count = n;
  r.buffer = buffer.data();
  m_shell.Service(2052, reinterpret_cast<intptr_t>(&r));
  uint32_t count = n;
  if (r.failed) {
    // As for a read: the bytes really written, counted round 4 GB.
    const uint32_t start = uint32_t(e.m_nAddress);
    count = uint32_t(r.stoppedAt - start) <= n ? uint32_t(r.stoppedAt - start) : 0;
  }
  dtc_Debug::WriteMemoryReply reply(e.m_nAddress, DataBlock(buffer.data(), count));
  Reply(reply, e.m_nSender);
}

void IpcDebugHandlers::OnDecodeMemAddress(dtc_Debug::DecodeMemAddress& e) {
  if (Muted()) return;
  if (!Halted(false)) return;
  char text[512] = {};
  DriverMemoryRequest r = MemoryRequest(e.m_nAddress, 4);
  r.count = 510;
  r.buffer = text;
  r.textFlag = 1;
  m_shell.Service(2052, reinterpret_cast<intptr_t>(&r));
  if (r.failed) std::snprintf(text, sizeof text, "0x%X", uint32_t(e.m_nAddress));
  text[510] = '\0';
  dtc_Debug::DecodeMemAddressReply reply(e.m_nAddress, std::string(text));
  Reply(reply, e.m_nSender);
}

void IpcDebugHandlers::OnDecodeTimeStamp(dtc_TargetMessaging::DecodeTimeStamp& e) {
  if (!Halted(false)) return;
  DriverMemoryRequest r = MemoryRequest(0, 3);
  r.timeLow = uint32_t(e.m_nTimeStamp);
  r.timeHigh = uint32_t(e.m_nTimeStamp >> 32);
  m_shell.Service(2052, reinterpret_cast<intptr_t>(&r));
  dtc_TargetMessaging::DecodedTimeStamp reply(uint64_t(r.timeLow) | (uint64_t(r.timeHigh) << 32), r.time);
  Reply(reply, e.m_nSender);
}

void IpcDebugHandlers::OnMsgToTarget(dtc_TargetMessaging::MsgToTarget& e) {
  if (!Halted(false)) return;
  TargetMessageRecord m{};
  m.word[0] = e.m_Words[0];
  m.word[1] = e.m_Words[1];
  m.word[2] = e.m_Words[2];
  m.word[4] = e.m_nWord4;
  m.value = e.m_nValue;
  m_shell.Service(2050, reinterpret_cast<intptr_t>(&m));
}

void IpcDebugHandlers::OnMsgFromFilter(dtc_TargetMessaging::MsgFromFilter& e) {
  m_filter[0] = e.m_nFirst;
  m_filter[1] = e.m_nSecond;
}

}  // namespace pm2
