// The debug request handlers of the event interface: start and stop a
// session, run, stop and step the target, breakpoints, registers, memory,
// address and time-stamp decoding, messages to the target. They run on
// the transport's receiver thread and reach the session through
// IpcDebugShell, which carries every call to the GUI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "debugger/ipc/request_text.h"
#include "ipc/event_catalog.h"
#include "ipc/ipc_layout.h"

namespace pm2 {

class EventHandlerRegistry;

inline constexpr char kIpcDebuggerNotRunning[] = "Debugger not running";
inline constexpr char kIpcAlreadyExecuting[] = "Already executing";
inline constexpr char kIpcInvalidAddress[] = "Invalid address parameter given";
inline constexpr char kIpcOutOfMemory[] = "Out of memory: 'new' failed";
inline constexpr char kIpcDebuggerRunsAlready[] = "Debugger is already running";
inline constexpr char kIpcCannotAccessProject[] = "Can't access the project now";
inline constexpr char kIpcCannotStop[] = "Can't stop the running program";
// The most bytes one ReadMemory answer carries. Its ring record (the ring's
// and the event's headers, the address, the data's length, the data) takes
// at most half the ring: such a record fits the ring whatever the records
// before it left, so two largest answers in a row both arrive.
inline constexpr uint32_t kIpcReadMemoryMax = kIpcRingLimit / 2 - kIpcRecordHeader - kEventHeaderSize - 8 - 8;
inline constexpr uint32_t kIpcWriteMemoryMax = 32768;

// What the handlers ask of the IDE.
class IpcDebugShell {
 public:
  virtual ~IpcDebugShell() = default;
  virtual bool IsDebugging() = 0;   // flags bit 0 of the active record
  virtual bool IsRunning() = 0;     // flags bit 3
  virtual bool CanStartBuild() = 0; // the project may be accessed
  virtual void StartStopDebug() = 0;
  virtual void StopRunning() = 0;
  virtual void StopSession() = 0;   // notification code 5, sent
  virtual void RunCommand(int id) = 0;  // a frame command, sent and waited for
  virtual intptr_t Service(int code, intptr_t arg) = 0;  // IdeServiceCallNoLock
  // A service that runs the target (a step), made only while the target is
  // halted: false, and nothing made, while it runs. The program asks both
  // in one trip to its GUI thread.
  virtual bool ServiceIfHalted(int code, intptr_t arg, intptr_t* result) {
    if (IsRunning()) return false;
    *result = Service(code, arg);
    return true;
  }
  // A service whose record writes nothing (an expression checked to be
  // read-only): may be answered on this thread when the program can.
  virtual intptr_t ReadService(int code, intptr_t arg) { return Service(code, arg); }
  // Why the loaded driver, by its own rules, would do more than read
  // evaluating `text` (a client's register name, address or breakpoint
  // location); "" when it only reads.
  virtual std::string ExpressionFault(const std::string& text) = 0;
  // Why the driver refused the last command of service 34, as it told the
  // Command page ("" when it said nothing).
  virtual std::string CommandRefusal() { return std::string(); }
  // Why a session can't start now (a dialog of the user's is open whose
  // OK would land in the session); "" when it can.
  virtual std::string StartRefusal() { return std::string(); }
  virtual void Sleep(int ms) = 0;
};

struct IpcDebugState {
  std::atomic<int32_t>* muted = nullptr;
  std::atomic<int32_t>* debugClient = nullptr;
};

class IpcDebugHandlers {
 public:
  using Send = std::function<bool(dtc_EventBase& event)>;
  IpcDebugHandlers(EventHandlerRegistry& registry, IpcDebugShell& shell, IpcDebugState state, Send send);
  ~IpcDebugHandlers();
  IpcDebugHandlers(const IpcDebugHandlers&) = delete;
  IpcDebugHandlers& operator=(const IpcDebugHandlers&) = delete;

  void SendDebugStatusText(const std::string& text);
  uint32_t FilterFirst() const { return m_filter[0]; }
  uint32_t FilterSecond() const { return m_filter[1]; }

  void OnStartDebugging(dtc_Debug::StartDebugging& e);
  void OnStopDebugging(dtc_Debug::StopDebugging& e);
  void OnStartExecution(dtc_Debug::StartExecution& e);
  void OnStopExecution(dtc_Debug::StopExecution& e);
  void OnStepOver(dtc_Debug::StepOver& e);
  void OnStepInto(dtc_Debug::StepInto& e);
  void OnStepInstruction(dtc_Debug::StepInstruction& e);
  void OnStepOut(dtc_Debug::StepOut& e);
  void OnExecuteUntil(dtc_Debug::ExecuteUntil& e);
  void OnSetBreakpoint(dtc_Debug::SetBreakpoint& e);
  void OnClearBreakpoint(dtc_Debug::ClearBreakpoint& e);
  void OnReadRegister(dtc_Debug::ReadRegister& e);
  void OnWriteRegister(dtc_Debug::WriteRegister& e);
  void OnGetMemoryAddress(dtc_Debug::GetMemoryAddress& e);
  void OnReadMemory(dtc_Debug::ReadMemory& e);
  void OnWriteMemory(dtc_Debug::WriteMemory& e);
  void OnDecodeMemAddress(dtc_Debug::DecodeMemAddress& e);
  void OnDecodeTimeStamp(dtc_TargetMessaging::DecodeTimeStamp& e);
  void OnMsgToTarget(dtc_TargetMessaging::MsgToTarget& e);
  void OnMsgFromFilter(dtc_TargetMessaging::MsgFromFilter& e);

 private:
  bool Muted() const { return m_state.muted && *m_state.muted != 0; }
  // "Debugger not running" / "Already executing"; false when refused.
  bool Halted(bool refuseRunning = true);
  void Step(int service);
  void Reply(dtc_EventBase& event, int32_t to);
  // Evaluates a text through service 2048; false on error. `readOnly`: the
  // text was checked to write nothing (it may be read without the GUI thread).
  bool Evaluate(const std::string& text, uint64_t* value, bool readOnly = false);
  // The loaded driver's rule of what an expression does (through the shell).
  DriverExpressionFault DriverFault();
  struct Handlers;

  IpcDebugShell& m_shell;
  IpcDebugState m_state;
  Send m_send;
  uint32_t m_filter[2] = {};
  std::unique_ptr<Handlers> m_handlers;
};

}  // namespace pm2
