#pragma once
// Printing of a list or tree control: the page shows what the window
// shows from its top row down (header in report view), painted by the
// control's own paint code, scaled to the page width.

#include <string>

class QPrinter;

namespace pm2 {

class ListViewImpl;

// False, with `error` naming the printer, when the printer cannot start.
bool PrintList(ListViewImpl& view, QPrinter& printer, std::string* error);

}  // namespace pm2
