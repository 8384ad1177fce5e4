#include "editor/engine/edit_commands.h"

#include "editor/engine/edit_engine.h"

namespace pm2 {

namespace {
using E = EditEngine;
// One row per command; the enable rule is null where a command is always
// enabled.
const EditCommand kCommands[] = {
    {kCmdDown, "Down", &E::MoveDown, nullptr},
    {kCmdUp, "Up", &E::MoveUp, nullptr},
    {kCmdLeft, "Left", &E::MoveLeft, nullptr},
    {kCmdRight, "Right", &E::MoveRight, nullptr},
    {kCmdPageUp, "Page Up", &E::PageUp, nullptr},
    {kCmdPageDown, "Page Down", &E::PageDown, nullptr},
    {kCmdHome, "Home", &E::MoveHome, nullptr},
    {kCmdEnd, "End", &E::MoveToLineEnd, nullptr},
    {kCmdTop, "Top of text", &E::MoveTop, nullptr},
    {kCmdBottom, "Bottom of text", &E::MoveBottom, nullptr},
    {kCmdWordLeft, "Word Left", &E::WordLeft, nullptr},
    {kCmdWordRight, "Word Right", &E::WordRight, nullptr},
    {kCmdSelUp, "Sel Up", &E::SelUp, nullptr},
    {kCmdSelLeft, "Sel Left", &E::SelLeft, nullptr},
    {kCmdSelDown, "Sel Down", &E::SelDown, nullptr},
    {kCmdSelLineEnd, "Sel to line end", &E::SelLineEnd, nullptr},
    {kCmdSelLineStart, "Sel to line start", &E::SelLineStart, nullptr},
    {kCmdSelPageDown, "Sel Page Down", &E::SelPageDown, nullptr},
    {kCmdSelWordLeft, "Sel Word Left", &E::SelWordLeft, nullptr},
    {kCmdSelPageUp, "Sel Page Up", &E::SelPageUp, nullptr},
    {kCmdSelRight, "Sel Right", &E::SelRight, nullptr},
    {kCmdSelWordRight, "Sel Word Right", &E::SelWordRight, nullptr},
    {kCmdBackspace, "Backspace", &E::Backspace, nullptr},
    {kCmdTab, "Tab", &E::Tab, nullptr},
    {kCmdBackTab, "Back-tab", &E::BackTab, nullptr},
    {kCmdFindNext, "Find Next", &E::FindNextCommand, &E::CanFindNext},
    {kCmdToggleBookmark, "Toggle Bookmark", &E::ToggleBookmark, nullptr},
    {kCmdNextBookmark, "Next Bookmark", &E::NextBookmark, &E::HasBookmarks},
    {kCmdPrevBookmark, "Previous Bookmark", &E::PrevBookmark, &E::HasBookmarks},
    {kCmdClearBookmarks, "Clear Bookmarks", &E::ClearBookmarks, &E::HasBookmarks},
    {kCmdSelBottom, "Sel to bottom", &E::SelBottom, nullptr},
    {kCmdSelTop, "Sel to top", &E::SelTop, nullptr},
    {kCmdSelectAll, "Select All", &E::SelectAll, nullptr},
    {kCmdEditClear, "Delete", &E::Delete, nullptr},
    {kCmdEditCopy, "Copy", &E::Copy, &E::CanCopy},
    {kCmdEditCut, "Cut", &E::Cut, &E::CanCut},
    {kCmdEditFind, "Find", &E::Find, nullptr},
    {kCmdEditPaste, "Paste", &E::Paste, &E::CanPaste},
    {kCmdEditReplace, "Replace", &E::Replace, &E::IsWritable},
    {kCmdEditUndo, "Undo", &E::Undo, &E::CanUndo},
    {kCmdEditRedo, "Redo", &E::Redo, &E::CanRedo},
    {kCmdOverwrite, "Overwrite", &E::ToggleOverwrite, nullptr},
};

const EditKeyBinding kKeys[] = {
    {kKeyUp, kModNone, kCmdUp},
    {kKeyUp, kModShift, kCmdSelUp},
    {kKeyDown, kModNone, kCmdDown},
    {kKeyDown, kModShift, kCmdSelDown},
    {kKeyLeft, kModNone, kCmdLeft},
    {kKeyLeft, kModCtrl, kCmdWordLeft},
    {kKeyLeft, kModShift, kCmdSelLeft},
    {kKeyLeft, kModCtrl | kModShift, kCmdSelWordLeft},
    {kKeyRight, kModNone, kCmdRight},
    {kKeyRight, kModCtrl, kCmdWordRight},
    {kKeyRight, kModShift, kCmdSelRight},
    {kKeyRight, kModCtrl | kModShift, kCmdSelWordRight},
    {kKeyHome, kModNone, kCmdHome},
    {kKeyHome, kModCtrl, kCmdTop},
    {kKeyHome, kModShift, kCmdSelLineStart},
    {kKeyHome, kModCtrl | kModShift, kCmdSelTop},
    {kKeyEnd, kModNone, kCmdEnd},
    {kKeyEnd, kModCtrl, kCmdBottom},
    {kKeyEnd, kModShift, kCmdSelLineEnd},
    {kKeyEnd, kModCtrl | kModShift, kCmdSelBottom},
    {kKeyPageUp, kModNone, kCmdPageUp},
    {kKeyPageUp, kModShift, kCmdSelPageUp},
    {kKeyPageDown, kModNone, kCmdPageDown},
    {kKeyPageDown, kModShift, kCmdSelPageDown},
    {kKeyTab, kModNone, kCmdTab},
    {kKeyTab, kModShift, kCmdBackTab},
    {kKeyBackspace, kModNone, kCmdBackspace},
    {kKeyBackspace, kModShift, kCmdBackspace},
    {kKeyBackspace, kModAlt, kCmdEditUndo},
    {kKeyZ, kModCtrl, kCmdEditUndo},
    {kKeyZ, kModCtrl | kModShift, kCmdEditRedo},
    {kKeyY, kModCtrl, kCmdEditRedo},
    {kKeyDelete, kModNone, kCmdEditClear},
    {kKeyDelete, kModShift, kCmdEditCut},
    {kKeyX, kModCtrl, kCmdEditCut},
    {kKeyC, kModCtrl, kCmdEditCopy},
    {kKeyInsert, kModCtrl, kCmdEditCopy},
    {kKeyV, kModCtrl, kCmdEditPaste},
    {kKeyInsert, kModShift, kCmdEditPaste},
    {kKeyInsert, kModNone, kCmdOverwrite},
    {kKeyA, kModCtrl, kCmdSelectAll},
    {kKeyF, kModCtrl, kCmdEditFind},
    {kKeyH, kModCtrl, kCmdEditReplace},
    {kKeyF3, kModNone, kCmdFindNext},
    {kKeyF2, kModNone, kCmdNextBookmark},
    {kKeyF2, kModCtrl, kCmdToggleBookmark},
};
}  // namespace

const EditCommand* FindEditCommand(int id) {
  for (const EditCommand& c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}

int FindKeyCommand(EditKey key, uint32_t mods) {
  for (const EditKeyBinding& k : kKeys)
    if (k.key == key && k.mods == mods) return k.command;
  return 0;
}

}  // namespace pm2
