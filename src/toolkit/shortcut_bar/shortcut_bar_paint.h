#pragma once
// Painting of the shortcut bar's parts, each a function of its state,
// rectangle and the system colours.

#include <QPixmap>
#include <QString>

#include "toolkit/shortcut_bar/shortcut_list_model.h"

class QPainter;
class QFont;
class QWidget;

namespace pm2 {

// The frame around an icon (raised when hot, sunken when pressed, in the
// bar's colour otherwise) and the icon itself at the icon rectangle.
void DrawShortcutIcon(QPainter& p, const Rect& icon, unsigned hotState, Color barColor, const QPixmap* image);
// The label: centred and wrapped below a large icon, cut to one line with
// an ellipsis when the room below is too small; beside a small icon with
// the column's alignment. `singleLine` cuts it at its first line feed.
void DrawShortcutLabel(QPainter& p, const Rect& label, int roomBottom, bool large, int columnFormat,
                       bool singleLine, const QFont& font, Color textColor, const QString& text);
// A scroll button: the visual style's arrow button when one is on, else a
// classic frame control with an arrow.
void DrawShortcutScrollButton(QPainter& p, QWidget* window, const ShortcutScrollButton& b);
// The insertion marker: two black triangles joined by a line.
void DrawShortcutInsertMarker(QPainter& p, const Rect& r, int code);

}  // namespace pm2
