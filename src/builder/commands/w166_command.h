// The control string of the W166 assembler (toolset 166/167).
#pragma once

namespace pm2 {

class CommandContext;
struct NodeRec;
struct TargetRec;

// Builds the whole control string of a node into the context's buffer; the
// line always ends with "EP". With withObjectName (file nodes) the object
// folder is taken from the file's path and g_szObjFileName is made.
void MakeW166AssemblerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                              bool withObjectName);

}  // namespace pm2
