// Painting of an output pane: a function of the model, the font, the
// focus and the system colours, so the widget, the gallery and the
// benchmark paint the same way.
#pragma once

class QFont;
class QPainter;
class QRect;

namespace pm2 {

class OutputListModel;

// Paints the lines that meet `dirty`: window colour behind plain lines,
// highlight behind selected ones, the focus frame round the caret line
// when the pane has the focus.
void PaintOutputLines(QPainter& p, const OutputListModel& model, const QFont& font, const QRect& dirty,
                      bool focused);

}  // namespace pm2
