// The application layer's view of the active debugger record: whether a
// session runs, the driver's flags it reads, and the driver operations the
// output helpers and service calls call. The debugger records implement it;
// without a session the defaults say "no session".
#pragma once

#include <cstdint>
#include <string>

namespace pm2 {

class DebugPort {
 public:
  virtual ~DebugPort() = default;
  virtual bool SessionActive() const { return false; }    // flags bit 0
  virtual bool TargetExecuting() const { return false; }  // flags bit 3
  virtual bool CommandLogOn() const { return false; }     // flags bits 0 and 1
  virtual bool SerialLogOn() const { return false; }      // flags bit 2
  virtual bool LoadedForFlash() const { return false; }   // driver loaded for a flash download
  virtual uint32_t ProgramCounter() const { return 0; }   // the record's program counter
  // The driver's log: kind 0 command text, 1 serial bytes; count -1: a text.
  virtual void Log(int /*kind*/, const char* /*data*/, int /*count*/) {}
  // Runs a command line in the driver (DbgExecCommand).
  virtual int ExecCommand(const char* /*text*/, int /*length*/) { return 0; }
  // The error the driver printed while it refused the last command of
  // service 34, without its "*** error: " ("" when none).
  virtual std::string LastCommandRefusal() const { return std::string(); }
  virtual void SerialInput(uint32_t /*value*/, uint16_t /*extra*/) {}
  // The driver's multi-purpose request (DbgControl); HasControl is false
  // when the driver did not fill it.
  virtual bool HasControl() const { return false; }
  virtual intptr_t Control(int /*code*/, intptr_t /*a*/, intptr_t /*b*/) { return 0; }
  // Evaluates a DriverExpressionRecord that writes nothing (service 2048's
  // record) on the calling thread, without the GUI thread: only while a
  // session runs with the target halted and its driver allows reads on any
  // thread. false: not evaluated (the caller takes the GUI thread's way).
  virtual bool EvaluateOnCallingThread(intptr_t /*record*/) { return false; }
  // Why the loaded driver would do more than read evaluating `text`, by its
  // own rules (DbgControl kDbgCtlReadOnlyFault); "" when it only reads, or
  // no session runs.
  virtual std::string ExpressionFault(const std::string& /*text*/) { return std::string(); }
  // The same on the calling thread, without the GUI thread, where reads may
  // be (EvaluateOnCallingThread): false when not asked (the caller takes
  // the GUI thread's way).
  virtual bool ExpressionFaultOnCallingThread(const std::string& /*text*/, std::string* /*why*/) { return false; }
  // Runs to the cursor address (deferred command 4).
  virtual void RunToCursor() {}
};

}  // namespace pm2
