// Where the find and replace dialog opens: at the top of the main window,
// unless it would then cover the caret's row of the view; then just above
// the view's bottom. All values are screen pixels.
#pragma once

namespace pm2 {

struct FindPlacement {
  int mainTop = 0;
  int viewTop = 0, viewBottom = 0;
  int caretRowY = 0;     // view top + (caret line - top line) x line height
  int lineHeight = 0;
  int dialogHeight = 0;
  int screenBottom = 0;  // the height of a maximised window
};

// The dialog's top edge.
int FindDialogTop(const FindPlacement& p);

}  // namespace pm2
