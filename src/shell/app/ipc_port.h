// What the application layer tells other processes: the inter-process
// events it sends and the channel between running instances. Defaults send
// nothing, as when the event interface is not started.
#pragma once

#include <cstdint>

namespace pm2 {

class IpcPort {
 public:
  virtual ~IpcPort() = default;
  virtual void SendBuildInfo(const char* /*line or null*/) {}
  virtual void SendBuildEnd() {}
  virtual void SendGoodbye() {}
  virtual void SendTargetMessage(intptr_t /*record*/) {}
  virtual void SendTargetConnection(bool /*connected*/) {}
  // A session start failed or a second start tore a session down.
  virtual void SendDebuggerAborted() {}
  // The debug session and the target's execution (from the IDE services
  // that mark them). A stop is told only while debugging and not running;
  // a run starts where the target stands, at `haltedPc`.
  virtual void SendDebuggerStarted() {}
  virtual void SendDebuggerStopped() {}
  virtual void SendExecutionStarted(uint32_t /*haltedPc*/) {}
  virtual void SendExecutionStopped(bool /*debugging*/, bool /*running*/, uint32_t /*pc*/) {}
  // A debug status text for the clients (why a request did nothing).
  virtual void SendDebugStatusText(const char* /*text*/) {}
  // A text for the other instances over the instance channel (kind 2: a
  // mirrored command-window line).
  virtual void ChannelSend(int /*kind*/, const char* /*text*/) {}
};

}  // namespace pm2
