// The line grammar of the environment file "TOOLS.INI", shared by the
// start-up reader (environment.h) and the editable model
// (environment_file.h).
//
// Format: text lines ending in CR LF (a lone LF is accepted); leading blanks
// and tabs are ignored.
//   section line  "[" name "]"          names compared upper-cased
//   entry line    key [blanks] ["="] [blanks] value
//                 keys are letters, digits and '_' (at most 255 characters)
//   comment       an entry whose key begins with "REM"; its text is kept
//   titled value  path "(" "\"" title "\"" ["," kind] ")"   (books, drivers,
//                 device databases, RTOS entries)
// Anything else is no entry of the grammar.
#pragma once

#include <string>
#include <string_view>

#include "platform/ascii_case.h"

namespace pm2 {

constexpr size_t kMaxEnvKeyLength = 255;

enum class EnvLineKind {
  kEmpty,    // nothing but blanks
  kSection,  // [name]; name may be empty
  kEntry,    // key and value
  kOther,    // does not fit the grammar
};

struct EnvLine {
  EnvLineKind kind = EnvLineKind::kOther;
  std::string_view name;   // section name, or the entry's key
  std::string_view value;  // the entry's value, trailing blanks removed
  std::string_view text;   // the line without leading blanks and line end
};

// Splits off the next line of `rest` (which then starts after its line
// end); false at the end of the text. The returned line has no line end.
bool NextEnvLine(std::string_view& rest, std::string_view* line);

EnvLine ParseEnvLine(std::string_view line);

// ASCII upper-case copy, and comparisons ignoring ASCII case.
std::string UpperAscii(std::string_view s);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// (StartsWithIgnoringCase: platform/ascii_case.h.)

// Book kinds: "C" 1, "A" 2, "CPP" 3, "L" 4, "DEV" 5, "TOOL" 6, "GEN" 7.
enum BookKind : int {
  kBookC = 1,
  kBookAsm = 2,
  kBookCpp = 3,
  kBookLinker = 4,
  kBookDevice = 5,
  kBookTool = 6,
  kBookGeneral = 7,
};
// Kind of a kind name (ignoring case); GEN for an empty or unknown name.
int BookKindFromName(std::string_view name);
// Name of a kind; "GEN" for a value outside 1..7.
const char* BookKindName(int kind);

// A value of the form path("title") or path("title",kind).
struct TitledValue {
  std::string path;   // blanks around it removed
  std::string title;  // without its quotes
  std::string kind;   // empty when none was given
};
// False when the value does not have that form. The path may itself hold
// parentheses ("C:\Program Files (x86)\x.dll"): the title starts at the
// last "(" that is followed by a quote.
bool ParseTitledValue(std::string_view value, TitledValue* out);

// The value with one pair of surrounding double quotes removed (a lone
// leading quote too).
std::string_view Unquoted(std::string_view value);
// A folder value without any double quotes (a Windows path holds none).
std::string WithoutQuotes(std::string_view value);

// The folder with a trailing separator: '\' for Windows-form folders, '/'
// for folders written with '/' only. An empty folder stays empty.
std::string WithTrailingSeparator(std::string_view folder);

// folder (which ends in a separator) + subfolder parts given with '\',
// written in the folder's own separator style: ("/a/", "BIN\") -> "/a/BIN/".
std::string SubFolder(std::string_view folder, std::string_view sub);

}  // namespace pm2
