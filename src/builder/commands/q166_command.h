// The control string of the Q166 compiler (toolset 166/167).
#pragma once

namespace pm2 {

class CommandContext;
struct NodeRec;
struct TargetRec;

// Builds the whole control string of a node (target, group or file) into
// the context's buffer. When the target has a block of its own, the 166
// linker computation runs first in mode 0 and stores its DPP and near-memory
// results back into that block. With withObjectName (file nodes) the object
// folder is taken from the file's path and g_szObjFileName is made.
void MakeQ166CompilerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                             bool withObjectName);

// The memory-model names of the 166 family by MODEL (0 TINY .. 6 HLARGE);
// null past the table.
const char* Model166Name(unsigned model);

}  // namespace pm2
