// The syntax check of the Define, Undefine, Set and Reset edits of the
// compiler and assembler pages.
//
// A list is names separated by commas or blanks; in a Define list a name
// may be followed by "=" and a value, in a Set list by "=" and a number
// from 0 to 65535. The check gives the list in its normalised form (names
// joined by commas, a define's value in double quotes, set values as
// typed) so that a page can tell whether the text really changed.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

enum class ListMode { kDefine, kUndefine, kSet, kReset };

struct ListCheckResult {
  bool ok = false;
  std::string normalized;  // valid when ok
  std::string message;     // the refusal's text when not ok
};

// The message of a refused list of that mode ("Syntax error in 'Define'").
std::string ListSyntaxMessage(ListMode mode);

// Checks the whole text (trimmed of blanks first).
ListCheckResult CheckOptionList(ListMode mode, std::string_view text);

// What a page stores after a successful check: Define and Undefine keep
// the stored text when the normalised form equals it, else the trimmed
// text; Set and Reset store the normalised form.
std::string ListTextToStore(ListMode mode, std::string_view text, const ListCheckResult& checked,
                            std::string_view stored);

}  // namespace pm2
