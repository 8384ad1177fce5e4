// The small rules behind the shell's document operations: the open-file
// dialog's filter, the id that names the active source file, the update
// hints each document action sends, and where a tool's help lives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

// ---- the open-file dialog
// The filter as the program stores it: "label|patterns|" pairs ending in "||".
extern const char* const kOpenFileFilter;

struct FileFilterEntry {
  std::string label;                  // as shown, e.g. "Text (*.txt)"
  std::vector<std::string> patterns;  // "*.txt"; "*.*" stands for every file
};

// Splits a "label|patterns|...||" filter; patterns are separated by ';'.
// An entry without patterns ends the list.
std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter);
// The entry as a file dialog's name filter: "Label (p1 p2)", the patterns
// separated by blanks, "*.*" written as "*" so that names without a dot
// are listed too.
std::string DialogNameFilter(const FileFilterEntry& entry);

// ---- the active source file
// Where the caret of the active editor stands. Line counted from 1,
// column from 0 (the caret column as the view holds it).
struct SourcePosition {
  std::string path;
  int line = 0;
  int column = 0;
  int fileType = 0;
};
// The id of a source file: its file type in the upper 16 bits, the path's
// length in the lower 16 (a longer path gives 0xFFFF, never spilling into
// the type); 0 for no file.
uint32_t SourceFileId(int fileType, std::size_t pathLength);

// ---- document actions
// The hints one document action sends to a document; `matches` tells
// whether the document holds the debugger's current file. Empty for an
// unknown action or the source-file test (action 8).
std::vector<uint32_t> DocumentActionHints(int action, bool matches);
// Whether a document's file is the debugger's current file: the names
// without folder compared ignoring case.
bool IsDebuggerFile(const std::string& documentPath, const std::string& debuggerFile);

// ---- tool help
// The help base name of a toolset ("Dbg51"...); empty when it has none.
std::string ToolHelpBase(int toolset);
enum ToolHelpCode : int { kHelpToolTopic = 1, kHelpErrorMessage = 100, kHelpFile = 200 };
struct ToolHelpRequest {
  std::string file;     // the help file to show; empty: nothing to show
  std::string keyword;  // looked up in it when not empty
};
// The help file and keyword for a request. toolsFolder: the toolset's
// folder (with its final separator), empty when the toolset has none.
ToolHelpRequest ToolHelpFor(int code, const std::string& text, int toolset, const std::string& toolsFolder);

}  // namespace pm2
