// Writing a value changed in the wizard back into the file's text, so that
// saving the document saves it and the next build uses it:
//  - the option's DEFAULT clause gets the new value (one is added after
//    its TYPE word when it has none), so the wizard shows it next time;
//  - when the option names a KEY, the value of the first definition of
//    that symbol is replaced: ".equ Stack_Size, 0x400",
//    "Stack_Size EQU 400H", "#define Stack_Size 1024" (a comment that names
//    the symbol with a number is never a definition). Numbers keep the form
//    they had (0x prefix, H suffix, decimal); a selection writes its item's
//    VALUE when the item has one, else its index; text and file rows
//    replace the quoted string of the definition.
//    A definition inside a block comment ("/* ... */", over any number of
//    lines) is no definition; a "/*" inside a line comment ("//", '@' in a
//    GNU assembler file, ';' in an W51 or ARM assembler file) opens none.
//    Without such a definition nothing is written at all, and the plan
//    says why: the tree would otherwise show a value the build never uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

struct OptionRow;

// One replacement inside one line: `length` bytes at byte `index` of line
// `line` (from 1) become `text`. Edits never add or remove line ends.
struct LineEdit {
  int line = 0;
  int index = 0;
  int length = 0;
  std::string text;
  bool operator==(const LineEdit&) const = default;
};

// The DEFAULT clause's value for the row: "%u", "0x%X", 0/1, the index, or
// the text in quotes (quotes and line ends dropped, at most 1022 characters).
std::string DefaultValueText(const OptionRow& row);

struct WriteBackPlan {
  std::vector<LineEdit> edits;  // empty: nothing to write
  std::string error;            // why nothing is written ("" when not refused)
};

// The edits that store the row's value in `fileText` (the whole file):
// none when the row's option is not found in it, none and an error when
// its KEY has no definition to take the value.
WriteBackPlan PlanWriteBack(std::string_view fileText, const OptionRow& row);

// The error of a KEY without a definition.
std::string NoDefinitionText(const std::string& key);
// The error of a KEY whose only definitions lie inside a block comment
// (line: the first of them, from 1).
std::string CommentedDefinitionText(const std::string& key, int line);

}  // namespace pm2
