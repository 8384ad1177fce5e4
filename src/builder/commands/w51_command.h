// The control string of the assemblers of the 51 family (W51, the extended
// WX51) and of the 251 family (W251): one builder for all three.
#pragma once

namespace pm2 {

class CommandContext;
struct NodeRec;
struct TargetRec;

// Builds the whole control string of a node into the context's buffer; the
// line always ends with "EP". With withObjectName (file nodes) the object
// folder is taken from the file's path and g_szObjFileName is made.
void MakeW51AssemblerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                             bool withObjectName);

}  // namespace pm2
