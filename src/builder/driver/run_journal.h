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
// A journal is only a list of names, and a damaged or planted one must not
// make a build delete a user's file: an entry is acted on only when it is
// a plain file directly inside one of the scope's folders (the target's
// output and listing folders, the tools' temporary folder), names no parent
// folder beyond those folders' own, is of the kind its entry says (capture files "Pm2__*", command
// files "*.__i", "*._ia", "*._ii", "*.lnp", "*.__b" and their atomic
// writes' "*.~pm2tmp*") and is no file of the project. Any other entry is
// left alone with a warning.
//
// Translations run side by side, so several steps may be under way at once;
// each has its own entries. The journal may be called from any thread.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pm2 {

// Where a journal may delete, given by the build that reads it.
struct JournalScope {
  // Local folders ending in '/': the output, listing and temporary folders.
  std::vector<std::string> folders;
  // The output and listing folders as the options store them ("..\\out\\"):
  // a parent folder named by them is the project's own choice; any other
  // in an entry is refused.
  std::vector<std::string> storedFolders;
  // True for a file a build must never delete (sources, the project and
  // options files); may be empty.
  std::function<bool(const std::string& local)> isProjectFile;
};

// Why the journal entry of `kind` ('O', 'C' or 'T') with the stored text
// `stored` and the local path `local` (which exists) must not be deleted;
// empty when it may.
std::string JournalEntryRefusal(char kind, std::string_view stored, const std::string& local,
                                const JournalScope& scope);

// The tools' own temporary folder of a build. The build holds a lock file
// in it whose handle every build step's tool is given (LockFd; other
// programs started meanwhile do not get it), so the lock stays held while
// a tool of a killed build still runs: the next build waits for those
// tools before it empties the folder under them. A build that ends takes
// the folder away (Remove): the output folder keeps only the outputs.
class ToolTempFolder {
 public:
  ToolTempFolder() = default;
  ~ToolTempFolder() { Release(); }
  ToolTempFolder(const ToolTempFolder&) = delete;
  ToolTempFolder& operator=(const ToolTempFolder&) = delete;

  // Makes `folder` (ends in '/') the temporary folder, waits up to `waitMs`
  // for tools of an earlier build to end, and empties it. False with *err
  // when it is no folder of ours (a link, a file) or cannot be made; true
  // with *err set when it was left as it is because tools still use it.
  bool Prepare(const std::string& folder, int waitMs, std::string* err);
  // The build ended and its tools with it: the folder goes, with what the
  // tools left there and the lock file (removed while still held, so that
  // a build waiting for it sees it gone and makes the folder anew). A
  // folder whose lock this build did not get (tools of an earlier build
  // still use it) stays; so does one that became a link meanwhile, whose
  // target is never touched. Then Release.
  void Remove();
  // The lock goes with the last tool that holds it.
  void Release();
  int LockFd() const { return lockFd_; }

  // Takes away the tools' folders ("<name>.pm2tmp/") that earlier builds
  // left in `folder` (ends in '/') holding nothing but their idle lock
  // file, those of output names no longer built included; a folder that
  // holds anything else, is locked by a running build or its tools, or is
  // a link stays. Returns how many went.
  static int RemoveIdle(const std::string& folder);

 private:
  int lockFd_ = -1;
  bool locked_ = false;
  std::string path_;  // the folder, without its final '/'
};

class RunJournal {
 public:
  // Maps a stored output path to this machine's file ("" when none).
  using LocalPathFn = std::function<std::string(const std::string& stored)>;

  RunJournal() = default;
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  // Recovers from the journal a killed build left at `path` (deleting what
  // it names within `scope`) and starts an empty one. Returns the number of
  // files deleted; each entry left alone adds a line to *warnings.
  int Begin(const std::string& path, const LocalPathFn& local, const JournalScope& scope,
            std::vector<std::string>* warnings = nullptr);
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
