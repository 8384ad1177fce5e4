// The editor engine's commands: their ids, the table that runs them with
// their enable rules, and the key table that binds keys to them.
#pragma once

#include <cstdint>

namespace pm2 {

class EditEngine;

enum EditCommandId : int {
  kCmdDown = 45000,
  kCmdUp = 45001,
  kCmdLeft = 45002,
  kCmdRight = 45003,
  kCmdPageUp = 45004,
  kCmdPageDown = 45005,
  kCmdHome = 45006,
  kCmdEnd = 45007,
  kCmdTop = 45008,
  kCmdBottom = 45009,
  kCmdWordLeft = 45010,
  kCmdWordRight = 45011,
  kCmdSelUp = 45013,
  kCmdSelLeft = 45014,
  kCmdSelDown = 45015,
  kCmdSelLineEnd = 45016,
  kCmdSelLineStart = 45017,
  kCmdSelPageDown = 45018,
  kCmdSelWordLeft = 45019,
  kCmdSelPageUp = 45020,
  kCmdSelRight = 45021,
  kCmdSelWordRight = 45022,
  kCmdBackspace = 45023,
  kCmdTab = 45024,
  kCmdBackTab = 45025,
  kCmdFindNext = 45026,
  kCmdToggleBookmark = 45027,
  kCmdNextBookmark = 45028,
  kCmdPrevBookmark = 45029,
  kCmdClearBookmarks = 45030,
  kCmdSelBottom = 45032,
  kCmdSelTop = 45033,
  kCmdSelectAll = 45034,
  // The framework's edit commands (their usual ids).
  kCmdEditClear = 57632,
  kCmdEditCopy = 57634,
  kCmdEditCut = 57635,
  kCmdEditFind = 57636,
  kCmdEditPaste = 57637,
  kCmdEditRedo = 57644,
  kCmdEditReplace = 57641,
  kCmdEditUndo = 57643,
  kCmdOverwrite = 59140,  // the status bar's overwrite pane shares the id
  // Not a command: asks the window to close its find or replace dialog.
  kCmdCloseFindDialog = -1,
};

// One row of the command table.
struct EditCommand {
  int id;
  const char* name;
  void (EditEngine::*run)();
  // Null: always enabled.
  bool (EditEngine::*enabled)() const;
};

// The row of an id, or null.
const EditCommand* FindEditCommand(int id);

// Keys as the engine's key table names them; the window maps its own key
// codes to these.
enum EditKey : int {
  kKeyNone = 0,
  kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeyHome, kKeyEnd, kKeyPageUp, kKeyPageDown,
  kKeyTab, kKeyBackspace, kKeyDelete, kKeyInsert, kKeyF2, kKeyF3,
  kKeyA, kKeyC, kKeyF, kKeyH, kKeyV, kKeyX, kKeyY, kKeyZ,
};

enum EditKeyMod : uint32_t { kModNone = 0, kModShift = 1, kModCtrl = 2, kModAlt = 4 };

struct EditKeyBinding {
  EditKey key;
  uint32_t mods;  // EditKeyMod bits, exactly
  int command;
};

// The command bound to a key with exactly these modifiers, or 0.
int FindKeyCommand(EditKey key, uint32_t mods);

}  // namespace pm2
