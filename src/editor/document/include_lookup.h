// The include line under the mouse and the file it names: the line's form
// ("#include <x.h>" or "#include \"x.h\""), then the folders tried in
// order. Candidates are stored-form paths ('\' separators as the project
// keeps them); the caller's opener maps each to this machine's file.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

// Position of the first character that is neither a blank nor a tab (the
// end when there is none).
size_t SkipBlanks(std::string_view text);

struct IncludeLine {
  bool angle = false;  // <...>; else "..."
  std::string spec;    // as written, delimiters included (the menu's label)
  std::string name;    // inside the delimiters
};

// False when the line is not an include line.
bool ParseIncludeLine(std::string_view line, IncludeLine* out);

// What the lookup knows of the project and its target.
struct IncludeContext {
  std::string toolsetRoot;        // "C:\Pelmora\Q51\" (ends in a separator)
  std::string projectFolder;      // ends in a separator
  std::string documentPath;       // the file that holds the line
  int toolset = -1;               // 3 ARM GNU, 4 ARM ADS: their include folders
  std::string systemIncludeFolder;   // toolset 3
  std::string toolsetIncludeFolder;  // toolset 4
  std::string includeSub1, includeSub2;  // the target's include sub-folders
  // The target's include folders as its compiler is given them; a
  // relative one is taken from the project folder, where the tools run.
  std::vector<std::string> includeFolders;
};

// The candidates in the order they are tried.
std::vector<std::string> IncludeCandidates(const IncludeLine& line, const IncludeContext& ctx);

// The first candidate the opener finds (it gives the local path); "" when
// none.
std::string FindIncludeFile(const IncludeLine& line, const IncludeContext& ctx,
                            const std::function<bool(const std::string&, std::string*)>& open);

}  // namespace pm2
