// The setters of texts the project's files store, for the roads that take
// them outside the sheets: the project window's in-place rename and a
// peer's SetFileGroup and SetOptions. Each asks the rule the writer's last
// guard asks (stored_texts.h, project_lines.h) before anything changes, so
// that no text one of them took can make a later save fail. A refusal
// names the text and why, and leaves the project as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

struct NodeRec;
struct OptionBlock;

// Names a target or group anew (the name in pool 1). "" when taken.
std::string SetComponentName(NodeRec& node, std::string_view name);

// The refusal of a text holding a control character, which would reach a
// tool's command line as itself (an include path "a\r\nb" splits gcc's
// arguments): "The <what> cannot be stored: <holds> the control character
// 0x0D."; "" when it holds none.
std::string ControlCharacterRefusal(std::string_view what, std::string_view text, std::string_view holds = "it holds");

// The first refusal of the files a peer names for a group: found in
// localFolder (a folder of this machine, where a '\' is part of a name)
// and stored under storedFolder. "" when the project can hold them all.
std::string GroupFilesRefusal(std::string_view storedFolder, std::string_view localFolder,
                              const std::vector<std::string>& names);

// Why a peer's defines and include paths for a group cannot be stored
// (SetGroupCompilerTexts); "" when they can.
std::string GroupCompilerTextsRefusal(std::string_view group, const std::vector<std::string>& symbols,
                                      const std::vector<std::string>& includePaths);
// A peer's defines and include paths for a group, stored as one text each
// ("A,B" and "x;y") in the compiler fields of the family of the block's
// target (its owner). Refused, the block unchanged, when the files could
// not hold a text, a control character would reach the compiler, or the
// block has no target of a known family.
std::string SetGroupCompilerTexts(OptionBlock& block, std::string_view group, const std::vector<std::string>& symbols,
                                  const std::vector<std::string>& includePaths);

// The texts a debug session's windows keep in the options file with the
// target: watch rows, memory window addresses, tool box buttons, each
// between parentheses; a breakpoint's expression between parentheses and
// its command between angle brackets.
enum class DebugWindowText {
  kWatchRow,
  kMemoryAddress,
  kToolBoxLabel,
  kToolBoxCommand,
  kBreakpointExpression,
  kBreakpointCommand
};

// Why the project could not keep the text the user typed there, read back
// as it was: "The watch expression 'a)b' cannot be kept with the project:
// it holds a ')' without its '('."; "" when it can. The window refuses
// such a text where it is typed, so no later save fails on it.
std::string DebugWindowTextRefusal(DebugWindowText kind, std::string_view text);

}  // namespace pm2
