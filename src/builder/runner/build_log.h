// The HTML build log "%s.plg": a "<pre>" block with a heading, the project
// file and its date, then every line of the build output pane, and a
// trailer when the log is closed. Output lines are escaped (<, >, &) so a
// tool's text can't become markup. A line ending in the byte 0x02 is written
// without a line end, so the next line continues it. The file is flushed
// after every line, so a log survives a crash of the IDE up to its last line.
#pragma once

#include <cstdio>
#include <string>

namespace pm2 {

// The open project as the log's heading names it.
struct BuildLogProject {
  std::string folder;  // ends in a separator
  std::string name;    // without ".pm2"
  // The project file as it lies on disk (its name may differ in case from
  // the heading's "<folder><name>.pm2"), whose date the heading shows;
  // empty: the heading's name.
  std::string file;
};

class BuildLog {
 public:
  BuildLog() = default;
  BuildLog(const BuildLog&) = delete;
  BuildLog& operator=(const BuildLog&) = delete;
  ~BuildLog() { CloseWithoutTrailer(); }

  // Action 1 opens the log for name (the same name again keeps it); action
  // 0 writes the trailer and closes it. project is null when no project
  // with a current target is open.
  void SetBuildLogFile(int action, const std::string& name, const BuildLogProject* project);
  // One line of text as it stands (the heading and trailer use it); a
  // length below 0 is taken from the text.
  void WriteBuildLogText(const char* text, long length = -1);
  // One output line as the pane got it, escaped; its line end is dropped
  // and "\r\n" written, so an empty line ("\n") is logged as one.
  void WriteOutputLine(const std::string& line);
  // What destroying the build pane does.
  void CloseWithoutTrailer();
  bool IsOpen() const { return file_ != nullptr; }
  // Set by an open that found a link (or a second name of another file) at
  // the log's name and replaced it (platform/own_file.h): the line that
  // says so, for the output; empty otherwise.
  const std::string& ReplacedNote() const { return replacedNote_; }

 private:
  // Cuts the file to the heading's length and writes the heading.
  void StartWith(const std::string& heading);
  std::FILE* file_ = nullptr;
  std::string name_;
  bool headerWritten_ = false;
  std::string replacedNote_;
};

std::string EscapeHtml(const std::string& text);

}  // namespace pm2
