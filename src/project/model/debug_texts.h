// The ten texts of the debug record (DebugOpts::str, key OPTDBG) in the
// order the project and options files store them: the simulator's side,
// then the target debugger's, each its DLL, the DLL's parameters, its
// dialog DLL, the dialog DLL's parameters and its initialisation file.
// Beside them the record keeps the target driver chosen from the
// environment's list: its path (str11) and its row (word2, -1 none), which
// the session takes when the path is empty.
#pragma once

namespace pm2 {

enum DebugText : int {
  kDbgSimDll, kDbgSimParams, kDbgSimDialog, kDbgSimDialogParams, kDbgSimIni,
  kDbgTargetDll, kDbgTargetParams, kDbgTargetDialog, kDbgTargetDialogParams, kDbgTargetIni,
};
// The target side's texts start here: side s, item i is s * kDbgSideTexts + i.
constexpr int kDbgSideTexts = 5;

}  // namespace pm2
