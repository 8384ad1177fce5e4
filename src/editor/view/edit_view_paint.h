// Painting of an editor window's rows: margin with marks, coloured text
// runs, the selection and the caret. A function of the engine's state, the
// rectangle to paint, the font and the colours.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <functional>

class QPainter;

namespace pm2 {

class EditEngine;
struct CEditLine;

// Draws a line's margin cell in place of the bookmark mark (a debugger's
// marks); unset: bookmarks only.
using MarginPainter = std::function<void(QPainter&, const QRect& cell, const CEditLine& line)>;

struct EditPaintColours {
  QColor text, background, keyword, quote, comment;  // the text's language
  QColor margin;                                     // the margin pattern's set bits
  QColor highlight, highlightText;                   // the selection
  QColor caret;
};

// The colours of the text's settings and the system-colour table.
EditPaintColours EditColoursOf(const EditEngine& engine);

// Paints the rows that meet `area` (viewport pixels). `caret` is the caret
// rectangle (empty: none); `dropCaret` the drop point while a drag hovers.
void PaintEditRows(QPainter& p, EditEngine& engine, const QRect& area, const QFont& font,
                   int ascent, const QRect& caret, const QRect& dropCaret, const MarginPainter& marks = {});

}  // namespace pm2
