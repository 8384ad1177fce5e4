// A text typed into a page's field is kept in the project or options file
// as it was typed: the files hold each text between brackets on one line,
// "(text)" or (user programs) "<text>", and read it up to the bracket that
// closes the first. A text that could not be read back byte for byte (a
// closing bracket without its opening one, or the other way round, a lone
// line feed, the characters of a written line break) is refused when the
// page is left, naming the field, instead of being cut when the project is
// opened again. The file's form stays as it is: other programs and older
// projects read it.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

// The bracket a field's text is stored in.
enum class FieldBrackets : char { kParentheses = '(', kAngles = '<' };

// Why the text cannot be kept ("" when it can).
std::string FieldTextFault(std::string_view text, FieldBrackets brackets = FieldBrackets::kParentheses);

// The refusal naming the field ("" when the text can be kept):
// "The text of 'Misc Controls' cannot be stored: it holds a ')' without its '('."
std::string FieldTextRefusal(std::string_view field, std::string_view text,
                             FieldBrackets brackets = FieldBrackets::kParentheses);

// The same for a folder the user picks (the listing folder is kept in
// parentheses in the project file and in angle brackets in the options
// file): the refusal of the first bracket kind that cannot hold it.
std::string FolderRefusal(std::string_view field, std::string_view folder);

// The refusal of a program's name that holds a double quote ("" when it
// has none): the name is stored between double quotes and would end at it.
std::string ProgramNameRefusal(std::string_view field, std::string_view program);

// A control's label as a field name: without '&' and a trailing ':'.
std::string FieldNameOfLabel(std::string_view label);

}  // namespace pm2
