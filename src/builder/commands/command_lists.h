// The list controls shared by the command lines of every toolset: include
// folders joined over the three option levels, misc controls, and the
// DEFINE and SET lists merged from the define (set) and undefine (reset)
// texts of the levels.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "project/text/opt_string.h"

namespace pm2 {

class CommandContext;
struct OptionBlock;

// One entry of a define or set list: offsets into the list's text pool.
struct DefineEntry {
  uint16_t name = 0;
  uint16_t value = 0;  // an empty text when the name had no "=value"
  bool removed = false;
};

// The entries of one merge. Both limits are hard: entries past 256, or
// names and values past 1,024 characters, are not taken. A merge that
// reached them keeps the name of the first entry it could not take, so
// the line it was made for can be refused instead of run without it.
struct DefineList {
  static constexpr int kMaxEntries = 256;
  static constexpr int kPoolSize = 1024;

  DefineEntry entries[kMaxEntries];
  int count = 0;
  char pool[kPoolSize] = {};
  int poolUsed = 0;
  bool full = false;  // a limit was reached; later entries were dropped
  std::string firstDropped;  // the name of the first entry not taken

  void Clear() { count = 0; poolUsed = 0; full = false; firstDropped.clear(); }
  // Adds one entry; false (and full set, the first such name kept) when a
  // limit is reached.
  bool Add(std::string_view name, std::string_view value);
  std::string_view Name(const DefineEntry& e) const { return pool + e.name; }
  std::string_view Value(const DefineEntry& e) const { return pool + e.value; }
  int Surviving() const;
};

// Scanner tokens of text; a token followed by '=' takes the next token as
// its value; an empty token ends the list.
void ParseDefineList(const char* text, DefineList& list);
// Every name token of text removes the first entry still in the list whose
// name is equal byte for byte.
void ApplyUndefineList(const char* text, DefineList& list);

// Merges the define/undefine texts of the node's levels: the target level's
// defines; a group node adds the group's defines and applies its undefines;
// a file node does so for its group (only when the group has a block of its
// own) and then for its own level. The target level's undefines are not
// applied. Which pair of fields is read is given by the accessors.
using ListText = OptString (*)(const OptionBlock&);
void MergeDefineLevels(const CommandContext& ctx, ListText defines, ListText undefines,
                       DefineList& list);

// Notes in the context that the line lost entries of the named list
// ("Define", "Set") when the merge was full; nothing otherwise. The first
// full list of a line is the one noted.
void NoteDroppedEntries(CommandContext& ctx, const DefineList& list, const char* listName);

// One define as one argument of a tool's line: option then "NAME" or
// "NAME=VALUE" ("-DQS", "-dQS=1"); the value is quoted when it holds a
// blank, a quote or a backslash ("-dQS=\"a b\""), so that it stays one
// argument and the tool gets the value the compiler gets.
std::string DefineArgument(std::string_view option, std::string_view name, std::string_view value);

// "DEFINE (" name or name="value", joined by ',' then ")"; nothing when no
// entry survives. A full list is noted (NoteDroppedEntries).
void AppendDefineControl(CommandContext& ctx, const DefineList& list);
// The DEFINE control of the levels' define/undefine texts.
void AppendDefineLevels(CommandContext& ctx, ListText defines, ListText undefines);
// "SET (" leading entries, then the merged set/reset entries, as name or
// name=value joined by ','; then ")". A reset can remove a leading entry.
void AppendSetLevels(CommandContext& ctx, std::span<const std::string_view> leading,
                     ListText sets, ListText resets);

// "INCDIR(" node, group, target texts, each when not empty and not the same
// stored text as one already added, joined by ';', then ")"; nothing when
// none was added.
void AppendIncdirControl(CommandContext& ctx, OptString targetText, OptString groupText,
                         OptString nodeText);
// The include texts the node's kind offers: a target node only the target's,
// a group node the group's and the target's, a file node all three.
void AppendIncdirLevels(CommandContext& ctx, ListText includes);
// The target's misc text; for group and file nodes the group's when not the
// same stored text; for a file node its own when neither of those.
void AppendMiscLevels(CommandContext& ctx, ListText misc);

}  // namespace pm2
