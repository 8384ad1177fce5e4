// The build output pane's rules, apart from the window that shows them:
// AppendOutputLine (1024-character cut, the redraw texts 0xFF and 0xFE,
// line ends removed, empty lines logged but not shown), the jump from a
// "file(line[,column])" line to its source, the F1 topic of a message line
// and the find rules of the output pages.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pm2 {

class BuildLog;
class ShellServices;

constexpr size_t kOutputLineMax = 1024;
constexpr size_t kJumpLineMax = 2046;

// What the output window implements for one pane.
class OutputLineSink {
 public:
  virtual ~OutputLineSink() = default;
  virtual void Clear() = 0;
  virtual void SetRedraw(bool on) = 0;
  virtual void AddLine(std::string text) = 0;  // never empty; the sink keeps it
  // The longest line so far grew (characters), so the horizontal range widens.
  virtual void LongestLineChanged(size_t chars) = 0;
};

// Test double: keeps what the window would show.
class RecordingOutputSink : public OutputLineSink {
 public:
  std::vector<std::string> lines;
  bool redraw = true;
  int clears = 0;
  size_t longest = 0;
  void Clear() override {
    lines.clear();
    ++clears;
  }
  void SetRedraw(bool on) override { redraw = on; }
  void AddLine(std::string text) override { lines.push_back(std::move(text)); }
  void LongestLineChanged(size_t chars) override { longest = chars; }
};

enum class PaneKind { kBuild = 0, kFindInFiles = 1 };

class OutputPane {
 public:
  // Only the build pane writes its lines into the build log (may be null).
  OutputPane(PaneKind kind, OutputLineSink& sink, BuildLog* log) : kind_(kind), sink_(sink), log_(log) {}
  // A null text clears the pane.
  void AppendOutputLine(const char* text);

 private:
  PaneKind kind_;
  OutputLineSink& sink_;
  BuildLog* log_;
  size_t longest_ = 0;
};

struct SourceLocation {
  std::string file;
  int line = 0;
  int column = 0;
};

// "file(line)" or "file(line,column)" at the start of a message line;
// false for any other line (the caller beeps).
bool ParseMessageSource(const std::string& line, SourceLocation& out);

// The help topic of a message line: "L%d" for "*** ERROR ", "*** WARNING "
// and "*** FATAL ERROR " lines, "%c%d" for "error "/"warning " lines
// (letter A or C, else a blank); "" when there is none.
std::string MessageHelpTopic(const std::string& line);

// What a jump opens.
class MessageJumpTarget {
 public:
  virtual ~MessageJumpTarget() = default;
  virtual void OpenFileAndShow(const std::string& file, int line, int column) = 0;
  virtual void ShowToolHelp(int code, const std::string& topic) = 0;  // code 100
};

// Mode 0 opens the source of lines[index], mode 1 its help topic; a line
// that can't be followed beeps.
void JumpToMessageSource(const std::vector<std::string>& lines, int index, int mode, ShellServices& shell,
                         MessageJumpTarget& target);

struct FindOptions {
  bool down = true;
  bool matchCase = false;
  bool wholeWord = false;
};

// The next line holding `text`, starting after (down) or before (up) the
// first selected line (-1: none, the search starts at the first line); at
// the end the user is asked whether to go on from the other end; -1 when
// nothing is found ("String not found." is shown) or the user declines.
int FindOutputLine(const std::vector<std::string>& lines, int firstSelected, const std::string& text,
                   const FindOptions& options, ShellServices& shell);

}  // namespace pm2
