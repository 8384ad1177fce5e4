// The cursor over an editor window's left margin: an arrow that points up
// and to the right, so that the user sees that a click there takes the
// whole line, not a place in the text (the text shows an I-beam, a
// selection that can be dragged the ordinary arrow).
#pragma once

#include <QCursor>

namespace pm2 {

// One cursor for every editor window, made on first use (needs the GUI).
const QCursor& EditMarginCursor();

}  // namespace pm2
