// Find in Files: searches a text in every file of a folder (and, on
// request, its subfolders) whose name matches one of a ';'-separated list of
// wildcard patterns, and sends each line that holds it to the GUI thread as
// notification code 2: "<path>(<line>): <line text>", tabs as blanks, at
// most 510 characters. A line is reported once. The search runs on its own
// thread; it stops when asked (stop flag 1, "Job aborted.") or at the
// 10000th reported line (stop flag 2).
//
// Folders are listed depth first, each before its subfolders, entries in
// name order. Files named *.com, *.exe, *.dll, *.hlp, *.obj, *.pch, *.lib
// are never searched; a file that matches two patterns is searched twice.
// Without match case, ASCII letters match either case and nothing else is
// folded. Whole word: the text may not touch a letter, digit or '_' on
// either side. A regular expression is matched line by line with the
// editor's engine.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/serve_while_waiting.h"

namespace pm2 {

class NotificationHub;

inline constexpr uint32_t kCmdFindInFiles = 35056;
inline constexpr uint32_t kFindHitLimit = 10000;
inline constexpr size_t kFindLineLimit = 510;

enum FindStop : int { kFindRun = 0, kFindStopRequested = 1, kFindStoppedAtLimit = 2 };

struct FindInFilesRequest {
  bool includeSubfolders = false;
  bool regularExpression = false;
  bool matchCase = false;
  bool wholeWord = false;
  std::string findText;
  std::string fileTypes;  // "*.c;*.h"
  std::string folder;     // '\' is read as '/'; empty: the current folder
};

// The hit line for one line of a file.
std::string FormatFindHit(std::string_view path, int line, std::string_view rest);
// The next pattern of a list at *pos: blanks skipped, up to ';', trailing
// blanks removed; empty at the end.
std::string NextFindPattern(std::string_view list, size_t* pos);
// Whether a file name matches a wildcard pattern ('*', '?'; case ignored;
// "*.*" matches every name, as on the original platform).
bool MatchFindPattern(std::string_view pattern, std::string_view name);
bool IsSkippedFindFile(std::string_view name);

class FindInFiles {
 public:
  // `beep` sounds when the hit limit ends a search. Each line waits in its
  // notification until the GUI thread takes it, so the waits for the
  // search serve the GUI thread's calls (`serve`).
  FindInFiles(NotificationHub& hub, std::function<void()> beep, GuiCallServer serve = {});
  ~FindInFiles();  // stops a running search and waits for it
  FindInFiles(const FindInFiles&) = delete;
  FindInFiles& operator=(const FindInFiles&) = delete;

  // Starts the search thread; false while one runs.
  bool Start(FindInFilesRequest request);
  // The command given while a search runs: asks it to stop.
  void RequestStop() { m_stop = kFindStopRequested; }
  bool Running() const { return m_running.load(); }
  void Join();
  // The search on the calling thread (the thread's body).
  void Search(const FindInFilesRequest& request);

  uint32_t Hits() const { return m_hits; }
  int StopState() const { return m_stop.load(); }
  // Called on the search's thread before each file it reads, with the
  // file's path; set before Start. A test holds the search there (as the
  // build's compiler is held) to meet the program while a search runs; the
  // gate must return once StopState() is no longer kFindRun.
  void SetFileGate(std::function<void(const std::string& path)> gate) { m_gate = std::move(gate); }

 private:
  void CollectFolders(const std::string& folder, std::vector<std::string>* out);
  void SearchFolder(const FindInFilesRequest& request, const std::string& folder);
  void SearchFile(const FindInFilesRequest& request, const std::string& path);
  bool Report(const std::string& path, int line, std::string_view rest);  // false at the limit
  void Send(const std::string& text);

  NotificationHub& m_hub;
  std::function<void()> m_beep;
  std::function<void(const std::string&)> m_gate;
  GuiCallServer m_serve;
  std::atomic<bool> m_running{false};
  std::atomic<int> m_stop{kFindRun};
  std::atomic<uint32_t> m_hits{0};
  std::thread m_thread;
};

}  // namespace pm2
