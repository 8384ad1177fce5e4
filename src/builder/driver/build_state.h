// The state of the running build: BuildFlags, totals, the list of executed
// steps (BuildItem) and the one ToolRunRequest the steps fill in turn.
// The build thread owns it; BuildFlags and the link-phase flag are read by
// the GUI thread (stop requests) and so are atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "builder/runner/tool_run_request.h"

namespace pm2 {

struct FileRec;
struct GroupRec;
struct TargetRec;
struct ToolsetInfo;

// Bits of BuildFlags. A step that sets kBuildStopAfterError sets
// kBuildError with it.
inline constexpr uint32_t kBuildError = 0x1;
inline constexpr uint32_t kBuildStopAfterError = 0x2;
inline constexpr uint32_t kBuildStopRequested = 0x4;
inline constexpr uint32_t kBuildNotBuilt = 0x8;
inline constexpr uint32_t kBuildFailed = kBuildError | kBuildStopAfterError;

// Low flag bits of a request as the build fills them.
inline constexpr uint32_t kItemObject = 0x1;       // an object file of the project
inline constexpr uint32_t kItemLibrary = 0x2;      // a library file of the project
inline constexpr uint32_t kItemPublicsOnly = 0x4;

// One executed step: a copy of its request (object file in double quotes)
// and the nodes it came from. The link or library item has neither group
// nor file and stands at the head of the list.
struct BuildItem {
  ToolRunRequest request;
  TargetRec* target = nullptr;
  GroupRec* group = nullptr;
  FileRec* file = nullptr;
  uint16_t bank = 0;  // code bank (0 common area, n bank n-1)

  bool IsLinkItem() const { return group == nullptr && file == nullptr; }
  // The must-retranslate mark (high 16 bits of the request's flags).
  uint32_t RetranslateMark() const { return request.flags >> 16; }
};

struct BuildState {
  std::atomic<uint32_t> BuildFlags{0};
  uint16_t globalRegOpt = 0;
  const ToolsetInfo* toolsetInfo = nullptr;
  std::vector<BuildItem> items;  // front() is the head
  // Files that have an item, so recording a new file needs no search of the
  // list. May name files no longer in the list; never misses one that is.
  std::unordered_set<const FileRec*> recordedFiles;
  int32_t errors = 0;
  int32_t warnings = 0;
  std::atomic<bool> linkPhase{false};
  uint32_t extended51Mode = 0;
  ToolRunRequest request;        // the request of the current step
  std::string vspawnPath;        // the spawn helper recorded with each item

  void SetFlags(uint32_t bits) { BuildFlags.fetch_or(bits); }
  uint32_t Flags() const { return BuildFlags.load(); }
  // Adds the current request's counts to the totals.
  void AddCounts() {
    errors += request.errors;
    warnings += request.warnings;
  }
  // The items the linker takes: the list without a link item at its head.
  std::vector<BuildItem*> LinkInputs();
  bool HeadIsLinkItem() const { return !items.empty() && items.front().IsLinkItem(); }
  void ClearItems() {
    items.clear();
    recordedFiles.clear();
  }
};

// Stores the current request as a BuildItem: a link or library step (no
// group, no file) replaces the head link item or becomes the head; a file's
// step replaces that file's item or is appended. The copy gets the spawn
// helper as program to run through and the object file in double quotes.
void RecordBuildItem(BuildState& state, TargetRec* target, GroupRec* group, FileRec* file);
// The same with the request given (moved into the item, not copied from
// state.request).
void RecordBuildItem(BuildState& state, TargetRec* target, GroupRec* group, FileRec* file,
                     ToolRunRequest&& request);

// The object file of an item without its surrounding double quotes.
std::string WithoutQuotes(const std::string& name);

}  // namespace pm2
