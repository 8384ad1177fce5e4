// The Define and Include Paths fields of each toolset's compiler page:
// their limits and checks. The page applies them where the text is typed;
// a peer's SetOptions, which gives a group the same two texts, is held to
// the same functions, so a text the page refuses is never stored another
// way and a build never meets one it would refuse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

struct NodeRec;
struct OptionBlock;

// The fields as the pages name them.
inline constexpr char kDefineField[] = "Define";
inline constexpr char kIncludePathsField[] = "Include Paths";
// The limit of every Include Paths edit (compiler, assembler and linker).
inline constexpr int kIncludePathsLimit = 13050;

// The limit of the compiler page's Define edit (and of its Undefine and
// Misc Controls) for the toolset; 0 for a toolset without a compiler page.
int CompilerTextLimit(uint16_t toolset);

// Why the toolset's compiler page would refuse these defines (as one
// Define text "A,B") and include paths (each one row of the folder list,
// joined "x;y"), naming the field: a row holding a list separator, a text
// past its field's limit, a Define list the page's syntax check refuses.
// "" when the page takes them.
std::string CompilerTextsRefusal(uint16_t toolset, const std::vector<std::string>& symbols,
                                 const std::vector<std::string>& includePaths);

// The block a group's or file's own options are kept in for the current
// target: its own, or a new one made as the options sheet makes one on OK
// (MakeNodeLevelBlock of the target's block: every switch inherits, no
// texts; from its toolset's defaults when the target has no block yet),
// so that a text set in it is the node's only override. Null without a
// current target of a known toolset.
OptionBlock* NodeOptionsToEdit(NodeRec* node);

}  // namespace pm2
