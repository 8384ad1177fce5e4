// The control strings of the 51 compiler (Q51, also the extended QX51) and
// the 251 compiler (Q251).
#pragma once

namespace pm2 {

class CommandContext;
struct NodeRec;
struct OptionBlock;
struct TargetRec;

// Build the whole control string of a node into the context's buffer; with
// withObjectName (file nodes) the object folder is taken from the file's
// path and g_szObjFileName is made.
void MakeQ51CompilerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                            bool withObjectName);
void MakeQ251CompilerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                             bool withObjectName);

// T51FL holds 0x80000, 0x10000 and 0x8000 and ROMSZ5 is 3 or 4.
bool Is51ContiguousMode(const OptionBlock& block);

}  // namespace pm2
