#pragma once
// SECListCtrl: the owner-drawn multi-column list control. The behaviour is
// the engine's (SECListBaseC); this class is its window.

#include "toolkit/controls/list_window.h"
#include "toolkit/models/list_engine.h"

namespace pm2 {

class SECListCtrl : public ListWindow<SECListBaseC> {
  Q_OBJECT
 public:
  // `style` and `exStyle` are the list style words (LVS_ and extended bits).
  explicit SECListCtrl(QWidget* parent = nullptr, unsigned style = LVS_REPORT, unsigned exStyle = 0);
  ~SECListCtrl() override;

  void SetImages(ImageListKind kind, ImageStrip strip) { m_view->SetImages(kind, std::move(strip)); }

  // Takes the place of a dialog's placeholder control (dialog_item.h): its
  // template's styles with WS_BORDER added are split into the list's style
  // words and the window's own bits (disabled, visible, tab stop); it
  // takes the placeholder's geometry, place, name and control id. Null,
  // and the placeholder kept, when it has no parent.
  static SECListCtrl* CreateFromCtrl(QWidget* placeholder);
};

}  // namespace pm2
