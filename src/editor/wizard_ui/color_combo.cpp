#include "editor/wizard_ui/color_combo.h"

#include <QPainter>
#include <QPixmap>

#include "editor/options/sheet_rules.h"

namespace pm2 {

namespace {

QColor SwatchColour(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

}  // namespace

CColorCmb::CColorCmb(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(64, 12));
  for (int i = 0; i < kComboColours; ++i) {
    QPixmap swatch(iconSize());
    swatch.fill(Qt::transparent);
    QPainter p(&swatch);
    p.fillRect(swatch.rect().adjusted(0, 0, -1, -1), SwatchColour(ComboColourAt(i)));
    p.setPen(Qt::black);
    p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    p.end();
    addItem(QIcon(swatch), QString());
  }
  setCurrentIndex(-1);
}

uint32_t CColorCmb::ColourAt(int index) { return ComboColourAt(index); }

void CColorCmb::SelectColour(uint32_t colour) { setCurrentIndex(ComboColourIndex(colour)); }

}  // namespace pm2
