// CColorCmb: a drop-down list of the sixteen basic colours, each entry a
// filled rectangle of its colour framed in black. Used by the colours page
// of the editor configuration sheet and by dialogs that pick a colour.
#pragma once

#include <QComboBox>
#include <cstdint>

namespace pm2 {

class CColorCmb : public QComboBox {
  Q_OBJECT
 public:
  explicit CColorCmb(QWidget* parent = nullptr);
  // The table colour (0x00BBGGRR) of an entry; black outside 0..15.
  static uint32_t ColourAt(int index);
  // Selects the entry of that colour; none when it is not in the table.
  void SelectColour(uint32_t colour);
  // The chosen colour; black when none is chosen.
  uint32_t Colour() const { return ColourAt(currentIndex()); }
};

}  // namespace pm2
