// What a file dialog's views show: the file system's model, with the
// header's icon made once for every dialog of the run. Qt's file system model answers the header's
// icon with a new image at every ask (a blank one, that lines the column's
// title up with the names under their icons), and the header asks at every
// paint: each answer became an icon of its own, with an entry of its own
// in Qt's pixmap cache that nobody asks for again. Entries that small cost
// the cache next to nothing of its bound, so they piled up far past it.
#pragma once

#include <QIdentityProxyModel>

class QFileDialog;

namespace pm2 {

class KeptHeaderIconModel : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  // A header's icon is the one made from the first answer a model of that
  // kind gave for that section (the file system's never changes), kept by
  // the application; everything else is the model's.
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};

// Puts a KeptHeaderIconModel (owned by the dialog) between the dialog's
// file system model and its views. Before the dialog is shown.
void KeepHeaderIcon(QFileDialog& dialog);

}  // namespace pm2
