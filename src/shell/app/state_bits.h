// Every bit of the application's state word (AppState::m_nState). The bits
// the project model and the build use are declared with the state itself
// (project/model/app_state.h); the rest belong to the shell and are named
// here. Worker threads touch only kStateBusy; every other bit is the GUI
// thread's.
#pragma once

#include <cstdint>

#include "project/model/app_state.h"

namespace pm2 {

enum ShellStateBit : uint32_t {
  kStateSaveWithoutAsking = 0x2,    // SaveAndCloseTextDocuments runs with "ask" off
  kStateLayoutSwitch = 0x8,         // the build/debug docking layouts are being switched
  kStateCreatingFrame = 0x80,       // between main-frame creation and the end of the parse
  kStateCommandWindowFocus = 0x200, // the debugger command window has the focus
  kStatePrintPreview = 0x400,
  kStateOpeningDocument = 0x800,    // an editor document is being opened
  kStateReloadWithoutAsking = 0x1000,
  kStateReopenLastProject = 0x2000, // "LprJ" of section "MFrame"
  kStateEditorFocus = 0x8000,
  // The bits the constructor clears (0x18C05 | 0x60); the others start clear too.
  kStateStartMask = 0x18C05 | 0x60,
};

// The bits that say a batch start (-b or -r) is running.
inline constexpr uint32_t kStateBatchBuild = kStateBuildOnStart | kStateRebuildOnStart;

}  // namespace pm2
