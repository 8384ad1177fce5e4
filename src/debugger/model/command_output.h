// The command window's output list and history without a window: the
// driver's text cut into lines, the echo of typed commands (selected lines,
// which are the history), the list's limits and the history cursor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace pm2 {

struct CommandLine {
  std::string text;
  bool selected = false;  // a typed command: a history entry
  bool picked = false;    // the user's selection (a click, a Find): what Copy copies
};

// What a driver hands over when it asks for a typed line (IDE service 36).
// The line and its terminator go into buffer, never more than capacity
// bytes; the line's length is stored through length.
struct CommandInputRequest {
  uint32_t* length = nullptr;
  char* buffer = nullptr;
  const char* prompt = nullptr;  // null or empty keeps the prompt
  uint32_t capacity = 0;         // bytes at buffer, terminator included
};

// The word F1 looks up: after leading blanks, the letters, underscores and
// question marks that follow (at most 64), in the first 128 characters.
std::string CommandHelpWord(const std::string& line);

// A double-clicked output line taken as an error of the debug-function
// compiler: 10 to 254 characters beginning with "*** " and holding a colon.
// The line number is the decimal number that ends right before the first
// colon (0 when no digit stands there). False: not such a line.
bool CommandErrorLine(const std::string& line, uint32_t* number);

// The reason of a refusal in what a driver printed for the command window:
// the rest of the line after "*** error: " (or "*** Error: "); empty when
// the text holds none.
std::string DriverRefusal(std::string_view printed);

class CommandOutput {
 public:
  static constexpr size_t kMaxLine = 290;      // characters of one list line
  static constexpr size_t kMaxLines = 20480;   // lines of the list
  static constexpr size_t kMaxChars = 130048;  // characters, each line's length + 1
  static constexpr size_t kDropLines = 50;     // dropped at once when the list is full
  static constexpr size_t kMaxTyped = 256;     // characters of the command edit
  static constexpr size_t kMaxPrompt = 63;

  // Appends driver or IDE text; null empties the list. Returns the number
  // of characters taken.
  size_t Append(const char* text);
  // Adds one list line (the limits make room first).
  void AddLine(std::string line);
  // The next line added is a typed command.
  void SetEcho() { m_echo = true; }
  // Marks or unmarks a line as a history entry (the user's selection).
  void Select(size_t line, bool on);
  // Puts a line into the user's selection or takes it out; the history
  // stays as it is.
  void Pick(size_t line, bool on);

  // Enter with the edit's text: the echo, then the line with its line feed.
  // With an input request pending the line goes to the requester and the
  // answer is false; true: hand the line to the driver.
  bool Enter(const std::string& typed, std::string* line);

  // The history: the text of the previous / next selected line, or false.
  bool HistoryUp(std::string* text);
  bool HistoryDown(std::string* text);
  size_t HistoryCursor() const { return m_cursor; }

  // The prompt; null restores ">" and cancels an input request.
  void SetPrompt(const char* text);
  const std::string& Prompt() const { return m_prompt; }
  void Request(const CommandInputRequest& request);
  bool RequestPending() const { return m_request.buffer != nullptr; }

  size_t LineCount() const { return m_lines.size(); }
  const CommandLine& Line(size_t n) const { return m_lines[n]; }
  // Line n's text, empty outside the list.
  std::string LineText(size_t n) const { return n < m_lines.size() ? m_lines[n].text : std::string(); }
  const std::string& Pending() const { return m_pending; }
  size_t CharCount() const { return m_chars; }
  size_t Longest() const { return m_longest; }
  // Lines removed from the front since the start (views keep their rows).
  size_t Dropped() const { return m_dropped; }

 private:
  void DropFront();

  std::deque<CommandLine> m_lines;
  std::string m_pending;
  std::string m_prompt = ">";
  CommandInputRequest m_request;
  size_t m_chars = 0;
  size_t m_longest = 0;
  size_t m_cursor = 0;
  size_t m_dropped = 0;
  bool m_echo = false;
};

}  // namespace pm2
