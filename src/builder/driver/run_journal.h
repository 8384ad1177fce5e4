// What a build is in the middle of, kept on disk so that the next build
// can undo what a killed one left: "<output folder><output name>.pm2run".
//
// Text, one entry a line:
//   O <stored path>   an output the running tool writes (object, library,
//                     image, hex): not complete until the tool has ended
//   C <local path>    a command input file of this build (deleted at its end)
//   T <local path>    a capture file of the running tool (temporary folder)
//   o <stored path>   the output named before is complete (its tool ended)
//   t <local path>    the capture file named before is gone
// Entries are appended (one write each, always before the file an entry
// names is made), and the file is removed when the build ends. A build
// that finds one deletes every file it names that is not marked complete
// or gone by a later entry, so a killed tool's output is made again and no
// scratch file stays behind. A line that is cut off or of another kind is
// skipped. (An append costs the same however long the build: a journal
// rewritten whole at each entry grew with every command file, and each
// rewrite freed the old file's blocks.)
//
// Translations run side by side, so several steps may be under way at once;
// each has its own entries. The journal may be called from any thread.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace pm2 {

class RunJournal {
 public:
  // Maps a stored output path to this machine's file ("" when none).
  using LocalPathFn = std::function<std::string(const std::string& stored)>;

  RunJournal() = default;
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  // Recovers from the journal a killed build left at `path` (deleting what
  // it names) and starts an empty one. Returns the number of files deleted.
  int Begin(const std::string& path, const LocalPathFn& local);
  // A tool is about to write these outputs (stored paths). Returns the
  // step's number; the step becomes the current one of the calls below
  // that take none.
  int StepStarting(const std::vector<std::string>& outputs);
  void CaptureStarting(const std::string& localPath);
  void CaptureStarting(int step, const std::string& localPath);
  void StepDone();
  void StepDone(int step);
  void AddCommandFile(const std::string& localPath);
  // The build ended: the journal is removed.
  void End();
  bool Active() const { return !path_.empty(); }

 private:
  struct Step {
    std::vector<std::string> outputs;
    std::vector<std::string> temps;
  };
  // Appends the text (whole lines), with mutex_ held; the file is made by
  // the first entry.
  void Append(const std::string& text);

  std::mutex mutex_;
  std::string path_;
  int fd_ = -1;
  std::map<int, Step> steps_;
  int current_ = 0;
  int nextStep_ = 1;
  std::unordered_set<std::string> commandFiles_;
};

}  // namespace pm2
