#pragma once
// SECTreeCtrl: the tree control window over the tree model. The program's
// trees derive from it and override PickItemColors, PickItemFont and
// OnKeyEditLabel.

#include <QPixmap>

#include "toolkit/controls/list_window.h"
#include "toolkit/models/tree_engine.h"

namespace pm2 {

class TreeViewImpl;

class SECTreeCtrl : public ListWindow<SECTreeBaseC> {
  Q_OBJECT
 public:
  // `style`: TVS_ bits and list bits; `exStyle`: the extended tree bits.
  explicit SECTreeCtrl(QWidget* parent = nullptr, unsigned style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                       unsigned exStyle = 0);
  ~SECTreeCtrl() override;

  void SetImages(ImageListKind kind, ImageStrip strip);
  // Makes overlay index `overlay` (1 to 15, state bits 8 to 11 of an item)
  // draw normal image `image` over the item's image; -1 removes it. False
  // for an overlay index out of range.
  bool SetOverlayImage(int image, int overlay);
  // The image of a dragged item: its icon, and 6 pixels to the right its
  // label, painted as the row paints them on a transparent ground. Null
  // for the root or a node without a row.
  QPixmap CreateDragImage(HTREEITEM item);

  // Takes the place of a dialog's placeholder control (dialog_item.h): its
  // template's tree bits (0x43F) and list bits become the tree's styles,
  // its extended tree bits (0x3F00000) the extended tree style, and the
  // tree gets tips (0x00800000) unless the template says TVS_NOTOOLTIPS
  // (0x80). Null, and the placeholder kept, when it has no parent.
  static SECTreeCtrl* CreateFromDialogItem(QWidget* placeholder);

 protected:
  void ImagesChanged(ImageListKind kind) override;
};

}  // namespace pm2
