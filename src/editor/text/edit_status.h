// Status codes of the text engine's operations. Each is also the id of its
// message, so the window layer shows EditStatusText(code) for it.
#pragma once

namespace pm2 {

enum EditStatus : int {
  kEditOk = 0,
  kEditReadOnly = 22575,
  kEditCannotRead = 22577,
  kEditLineTooLong = 22578,
  kEditNoMemory = 22579,
  kEditEndOfFile = 22580,
  kEditNothingSelected = 22581,
  kEditEndOfLine = 22589,
  kEditFileHasNul = 22609,
  kEditMsgLinesCut = 22610,  // a message, formatted with the column limit
};

// The longest line the editor handles, in display columns (tabs expanded).
constexpr int kMaxLineColumns = 2048;

// The message text of a status code; an unknown code gives "".
// kEditMsgLinesCut holds one "%d".
const char* EditStatusText(int code);

}  // namespace pm2
