// Recording fakes of the frame and the external runner for the tool tests.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "shell/tools/tool_frame.h"
#include "shell/tools/user_tool_thread.h"

namespace pm2 {

class FakeToolFrame : public ToolFrame {
 public:
  void Beep() override { events.push_back("beep"); }
  int MessageBox(const std::string& text, int) override {
    events.push_back("box:" + text);
    return 1;
  }
  std::optional<std::string> PromptArguments(const std::string& program,
                                             const std::string& arguments) override {
    events.push_back("prompt:" + program + "|" + arguments);
    return promptAnswer;
  }
  bool QuerySccTexts(const SccQueryFlags& flags, std::string* comment, std::string* revision,
                     std::string* checkPoint) override {
    events.push_back(std::string("query:") + (flags.comment ? "c" : "") +
                     (flags.revision ? "r" : "") + (flags.checkPoint ? "p" : ""));
    if (!queryOk) return false;
    *comment = flags.comment ? queryComment : "";
    *revision = flags.revision ? queryRevision : "";
    *checkPoint = flags.checkPoint ? queryCheckPoint : "";
    return true;
  }
  void SaveProject() override { events.push_back("save"); }
  void ClearBuildPage() override { events.push_back("clear"); }

  std::vector<std::string> events;
  std::optional<std::string> promptAnswer;
  bool queryOk = true;
  std::string queryComment, queryRevision, queryCheckPoint;
};

// Records each run; a run may block until released, to hold a tool open.
class FakeExternalRunner : public ExternalRunner {
 public:
  void Run(const ExternalRun& run) override {
    {
      std::lock_guard<std::mutex> lock(m);
      runs.push_back(run);
      seenFile = run.arguments.empty() ? "" : ReadIfFile(run.arguments);
    }
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [this] { return !hold; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m);
    hold = false;
    cv.notify_all();
  }
  std::vector<ExternalRun> Runs() {
    std::lock_guard<std::mutex> lock(m);
    return runs;
  }
  static std::string ReadIfFile(const std::string& path);

  std::mutex m;
  std::condition_variable cv;
  bool hold = false;
  std::vector<ExternalRun> runs;
  std::string seenFile;  // contents of a file named by the arguments at run time
};

inline std::string FakeExternalRunner::ReadIfFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "";
  std::string out;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

}  // namespace pm2
