#pragma once
// Painting of the status bar: a function of the model's panes and the size
// grip, the bar's rectangle and font, in system colours.

class QPainter;
class QFont;
class QRect;

namespace pm2 {

class SECStatusBarModel;

void PaintStatusBar(QPainter& p, const SECStatusBarModel& model, const QRect& whole, const QFont& font);

}  // namespace pm2
