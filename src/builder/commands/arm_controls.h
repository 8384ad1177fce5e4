// Controls shared by the compiler and assembler lines of the two ARM
// toolsets: "-I" include folders of the three option levels, the toolset's
// own include folder, and the define lists merged over the levels.
#pragma once

#include <string>
#include <string_view>

#include "builder/commands/command_lists.h"

namespace pm2 {

class CommandContext;
struct NodeRec;
struct TargetRec;

// The include texts the node's kind offers (target; target and group;
// all three), joined with ';' (a level whose text is the very stored text
// of a higher level is not repeated), split at ',' and ';', each piece
// trimmed of blanks and written as "-I" followed by the folder.
void AppendArmIncludeLevels(CommandContext& ctx, ListText includes);

// The toolset include folder of the target (own environment or the tools
// folder of the context with a final "BIN\" removed, then "INC\" and the
// device folder).
void AppendArmToolsetInclude(CommandContext& ctx);

// The define list of the node: the target level's defines (and, with
// targetUndefines, its undefines), then the group's and the file's levels
// as MergeDefineLevels takes them.
void MergeArmDefineLevels(const CommandContext& ctx, ListText defines, ListText undefines,
                          bool targetUndefines, DefineList& list);

// The surviving entries, each formatted by the callback, joined by blanks
// and appended as one piece; nothing when none survives. A full list is
// noted (NoteDroppedEntries).
void AppendDefinePiece(CommandContext& ctx, const DefineList& list,
                       std::string (*format)(std::string_view name, std::string_view value));

// True when the target's listing flags select big-endian code.
bool ArmBigEndian(const CommandContext& ctx);

// The node file's name (or "*" for a preview of a target or group) with a
// new extension.
std::string ArmNodeFileName(const CommandContext& ctx, std::string_view ext);

// The object file of the node: the object folder and its name with ".o".
// The name keeps its letter case: this file system tells "Obj" from "obj",
// so a lower-cased name would point into a folder that is not there.
void MakeArmObjectName(CommandContext& ctx);

// The frame of the ARM compiler and assembler builders: SetCommandContext;
// for a file node with withObjectName the object folder from the file's
// path; the body (which names the object itself); without an object name
// the name is left empty.
void BuildArmNodeLine(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName,
                      void (*body)(CommandContext&));

// The path in double quotes when it holds a blank, a tab or a double quote
// (a folder or a file named so), else as it stands: the tools' command lines
// split on blanks and take quotes as grouping (a quote of the name is
// escaped, so "q'uote\".c" comes back whole).
std::string QuoteIfBlank(std::string_view path);

// A compiler's "-DNAME" or "-DNAME=VALUE"; the value is quoted only when it
// holds a blank, a quote or a backslash, so the line shown in the options'
// preview is the argument the compiler gets.
std::string ArmCompilerDefine(std::string_view name, std::string_view value);

// The path always in double quotes, a quote of its own escaped ("\"") and
// backslashes before the closing quote doubled, so that the command line
// splits back into the path.
std::string QuotedPath(std::string_view path);

// A file name as a tool's argument: a name that begins with '-' would be
// taken for an option ("-o INJ.c"), so it is named in its folder
// ("./-o INJ.c").
std::string NotAnOption(std::string_view path);

// The toolset's include folder "<root>INC" (root: the tools folder without
// its final "BIN", whatever its case and separator), joined with the device
// folder when there is one; never with a separator at its end.
std::string ToolsetIncludeFolder(std::string_view toolsFolder, std::string_view device);

}  // namespace pm2
