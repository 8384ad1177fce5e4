// The control string of the EC++ compiler YQ166 of the 166 family, which
// turns a C++ source into the C file that Q166 compiles next.
#pragma once

namespace pm2 {

class CommandContext;
struct NodeRec;
struct TargetRec;

// Builds the control string of a file node into the context's buffer. When
// the target has a block of its own, the 166 linker computation runs first
// in mode 0 and stores its DPP and near-memory results into that block. The
// toolset include folder comes from the target's environment (USEENV,
// ENVINC, ENVREG, ORGREG) or the context's m_szToolsFolder.
void MakeYQ166CompilerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                              bool withObjectName);

}  // namespace pm2
