// The texts of a project that its files hold between brackets, "(text)" or
// "<text>", and read up to the bracket that closes the first: a text that
// could not be read back byte for byte (a closing bracket without its
// opening one, or the other way round, a lone line feed, the characters
// of a written line break) is refused, naming it, instead of being cut
// when the project is opened again. The files' form stays as it is: other
// programs and older projects read it.
//
// The project and options files check every text with these rules before
// they are written (WriteProjectFiles): a save that would write a text
// that reads back different writes nothing.
//
// The options sheet checks each field it keeps with these rules when its
// page is left; the imports of older and foreign projects check every text
// they convert with the same rule, so that what the sheet would refuse is
// not taken from another file either.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

struct OptionBlock;
struct ProjectRec;
struct TargetRec;

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

// The same for a file or folder chosen on this machine (a Browse button),
// stored as `stored` (relative to the project's folder): a '\' in the
// chosen path is a character of a name there ("we\ird/"), which the
// project reads as a folder separator, so the tools would use another.
std::string ChosenPathRefusal(std::string_view field, std::string_view chosen, std::string_view stored);

// The refusal of a program's name that holds a double quote ("" when it
// has none): the name is stored between double quotes and would end at it.
std::string ProgramNameRefusal(std::string_view field, std::string_view program);

// The refusal of a target's version-control project identifier ("" when
// it can be kept). It is kept as "<text>" read up to the line's last '>',
// so it may hold brackets of any kind; but after a '>' that closes its
// '<' a "/*" starts a comment that cuts the rest away, and a line break
// comes back as CR LF.
std::string ProjectIdentifierRefusal(std::string_view field, std::string_view text);

// Why a new project cannot take this name ("" when it can): its output
// name is the project's name by default and is kept as "(name)" in the
// project file, so "p)q" would build "p".
std::string ProjectNameRefusal(std::string_view name);

// The first text of an option block that its files cannot hold, as the
// sheet's field would refuse it, naming the field (its key in the project
// file, or the sheet's name for it) and the owner ("target 'Target 1'",
// "group 'Source'"); "" when every text can be kept. The block's families
// are those the writer writes for a node of nodeKind (option_block.h).
std::string OptionBlockTextRefusal(TargetRec& target, OptionBlock& block, int nodeKind, uint8_t fileType,
                                   std::string_view owner);

// The same for every text the project and options files hold of a
// project: target, group and file names and file paths, the filters, the
// open editor files, each target's own texts and lists and every option
// block. "" when all can be kept. With sayWhereToChange (a save of the open
// project) the refusal ends with where the user changes the text: the
// dialog or window and its field.
std::string ProjectTextRefusal(ProjectRec& project, bool sayWhereToChange = false);

// Why an editor file outside the project, a path of this machine, cannot
// be kept in the options file's list of files open with the project
// ("" when it can): the list holds it relative to the project folder in
// angle brackets, and reads a '\' as a folder separator.
std::string EditorFileRefusal(std::string_view projectFolder, std::string_view localPath);

}  // namespace pm2
