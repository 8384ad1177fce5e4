// Key sequences of user commands and tool arguments: a prefix and a letter
// that stand for files and values of the open project ("#E" the active
// editor file's full path, "$P" the project folder, "%L" the output file's
// name, ...), and the define arguments of a PC-Lint run.
//
// Prefixes: '#' full path, '$' folder (up to and including the last '\',
// '/' or ':'), '%' name with extension, '@' name without extension, '^' line
// and '~' column of the position. A doubled prefix stands for itself; "$D"
// is the device name and "$X" the target's clock in MHz ("%d.%06d").
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pm2 {

class CommandContext;
struct FileRec;
struct OptionBlock;
struct ProjectRec;
struct TargetRec;

inline constexpr int kKeySeqOrdinary = 0;
inline constexpr int kKeySeqDoubled = 1000;
inline constexpr int kKeySeqDevice = 1001;
inline constexpr int kKeySeqClock = 1002;

// 0 ordinary text; 1000 a doubled prefix; 1001 "$D"; 1002 "$X"; else the
// prefix character of a known sequence (letters E F H L P X with every
// prefix, C I Q R U V with '%' only, either case).
int ClassifyKeySequence(std::string_view text);

// Results of an expansion.
enum ExpandResult : int {
  kExpandDone = 0,
  kExpandFull = 1,    // the output reached 1023 characters and was cut there
  kExpandFailed = 2,  // a sequence named something that does not exist
};
inline constexpr std::size_t kExpandLimit = 1023;

// A file with the caret position in it.
struct FilePosition {
  std::string path;
  int line = 0;
  int column = 0;
};

// What the sequences stand for, supplied by the shell (tests fill it).
struct KeySequenceSources {
  const ProjectRec* project = nullptr;
  const TargetRec* target = nullptr;        // current target, or null
  const OptionBlock* targetOptions = nullptr;  // its own block, or null
  std::function<std::optional<FilePosition>()> activeEditorFile;  // E
  std::function<std::optional<FilePosition>()> fileToTranslate;   // F
  std::string executable;   // X: the program's own executable
  std::string sccComment;   // C
  std::string sccSecond;    // R
  std::string sccTempFile;  // Q
  std::string sccsText1;    // U
  std::string sccsText2;    // V
  // I is the target's project identifier (its options' SVCSID text); it
  // needs a target, like L and H.
};

// The clock of the target's toolset as "MHz.remainder" with six digits.
std::string FormatClockMHz(uint32_t hz);

// Appends the expansion of one sequence (prefix, letter) to out while the
// whole stays below 1023 characters.
ExpandResult ExpandKeySequence(const KeySequenceSources& src, char prefix, char letter,
                               std::string& out);

// Expands a whole line into out (at most 1023 characters). On
// kExpandFailed, *failedSequence (when given) holds the two characters of
// the sequence that could not be filled ("@F").
ExpandResult ExpandToolArguments(const KeySequenceSources& src, std::string_view text,
                                 std::string& out, std::string* failedSequence = nullptr);

// Why a line was not filled, for the user: the sequence and what it lacks
// ("key sequence '@F' cannot be filled: no file is selected in the project
// window or open in an editor"), or the limit for kExpandFull. A line that
// was not filled whole is never run: its cut text could name something else
// (a folder instead of a file in it).
std::string ExpandFailureText(ExpandResult result, std::string_view failedSequence);

// The lint define arguments of a file: "-d%s" or "-d%s=%s" (the value
// quoted as the compiler's, DefineArgument) of every define that remains after the levels' defines and undefines of the toolset's C
// compiler, separated by blanks; an argument is copied only while the text
// and its terminating zero fit in size. Returns the text's length; 0 (and an
// empty buffer) when the file, its group or the target is excluded.
// `firstDropped`, when given, names the first define that was not taken
// (the merge's limits or the buffer's size), "" when every one was: a lint
// run without symbols the user defined would check another program.
int MakeLintDefineArgs(CommandContext& ctx, FileRec* file, TargetRec* target, char* buffer,
                       std::size_t size, std::string* firstDropped = nullptr);

}  // namespace pm2
