// What the inter-process request handlers and notifications ask of the
// shell, and the words they share. The handlers run on the transport's
// receiver thread; whatever reads or changes the project goes through
// RunOnGuiThread, so the project records stay the GUI thread's own.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace pm2 {

class dtc_EventBase;
struct NodeRec;
struct ProjectRec;

// The shared words: muted (nothing is sent while not 0), the client whose
// build is running (-1 none), whether that build came from a request, the
// debugging client, and whether the interface failed to start.
struct IpcShellState {
  std::atomic<int32_t> muted{1};
  std::atomic<int32_t> buildClient{-1};
  std::atomic<int32_t> buildByEvent{0};
  std::atomic<int32_t> debugClient{-1};
  std::atomic<int32_t> startFailed{0};
};

class IpcShell {
 public:
  virtual ~IpcShell() = default;
  // A project is open whose current target has a defined toolset.
  virtual bool HasTarget() = 0;
  // Bit 0x1 of the application's flags word: a build or tool runs.
  virtual bool IsBusy() = 0;
  // A debugger interface record exists, and its session bit.
  virtual bool HasDebugRecord() = 0;
  virtual bool IsDebugging() = 0;
  // Notification code 18 with the mode (bit 0: rebuild); false when the
  // GUI thread did not start the build.
  virtual bool RequestBuild(uint8_t mode) = 0;
  // Notification code 19: beep and stop the build.
  virtual void StopBuild() = 0;
  // Runs fn on the GUI thread and waits for it.
  virtual void RunOnGuiThread(const std::function<void()>& fn) = 0;
  // The open project (GUI thread), null when none.
  virtual ProjectRec* Project() = 0;
  // The project node whose options sheet is open (GUI thread), null when
  // none: its options are the user's until OK or Cancel.
  virtual const NodeRec* OptionsSheetNode() = 0;
  // The Components sheet is open (GUI thread): its OK replaces the
  // project's groups, with their files and options, by its own copy.
  virtual bool ComponentsSheetOpen() = 0;
  // After files were added: clear the selected item, refill the tree.
  virtual void ProjectTreeChanged() = 0;
  // A stored path made absolute (at most 260 characters); empty on failure.
  virtual std::string AbsolutePath(const std::string& stored) = 0;
};

// Sends one event through the dispatcher (SendEvent).
using IpcSendFn = std::function<bool(dtc_EventBase& event)>;

}  // namespace pm2
