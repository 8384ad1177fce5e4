// What the editor engine needs from the window it runs in, handed in
// through the engine's constructor so that tests pass a recording fake:
// repaints, the system caret, scroll bars, messages and the clipboard.
#pragma once

#include <optional>
#include <string>

namespace pm2 {

struct EditFindOptions;

// The clipboard as the engine sees it: 8-bit text, never re-encoded.
class EditClipboard {
 public:
  virtual ~EditClipboard() = default;
  // Whether the clipboard can be read and holds text.
  virtual bool HasText() const = 0;
  // The text; none when the clipboard cannot be opened or holds no text.
  virtual std::optional<std::string> GetText() const = 0;
  // Replaces the clipboard's contents; false when it cannot be opened.
  virtual bool SetText(const std::string& text) = 0;
};

// Hint codes passed to EditHost::Notify after a change.
enum EditHint : int {
  kHintTextChanged = 0,      // an edit or a jump
  kHintLinesDeleted = 22590, // lines were deleted; the caret line is given
  kHintCaretMoved = 49054,   // a pure caret move
};

class EditHost {
 public:
  virtual ~EditHost() = default;
  // Repaint requests, in client pixels (rows are line-height bands).
  virtual void InvalidateAll() = 0;
  virtual void InvalidateRect(int x, int y, int width, int height) = 0;
  // The system caret: created at (x, y) with the line height, or hidden
  // when `visible` is false (a selection is active, or no focus).
  virtual void PlaceCaret(int x, int y, bool visible) = 0;
  // The scroll bars must be read again from the engine.
  virtual void ScrollBarsChanged() = 0;
  // The caret was placed (after every move, edit or jump, whether or not
  // other windows are told): status panes follow it from here.
  virtual void CaretPlaced() {}
  // A message for the user (a status code and its text).
  virtual void ShowMessage(int id, const std::string& text) = 0;
  // The text changed or the caret moved (other windows of the same text).
  virtual void Notify(int /*hint*/) {}
  // The find or replace dialog is asked for (kCmdEditFind, kCmdEditReplace);
  // the dialogs belong to the window.
  // kCmdFindNext asks to activate whichever dialog is open, else to open
  // the Find dialog. kCmdCloseFindDialog closes an open one (a finished
  // replace pass).
  virtual void RequestDialog(int /*command*/) {}
  // Whether the window's find-only dialog (not the replace one) is open.
  virtual bool IsFindOnlyDialogOpen() const { return false; }
  // The find options the profile keeps, the newest history entry as the
  // text; false when the window keeps none (the engine then repeats its
  // own last search).
  virtual bool LoadFindOptions(EditFindOptions* /*pOptions*/) const { return false; }
  // A programmatic search: the text becomes the newest history entry
  // (overwriting it) and the match-case option is stored.
  virtual void StoreFindText(const std::string& /*text*/, bool /*matchCase*/) {}
  virtual EditClipboard& Clipboard() = 0;
  // Whether the window has the keyboard focus.
  virtual bool HasFocus() const = 0;
};

}  // namespace pm2
