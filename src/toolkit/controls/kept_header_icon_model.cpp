#include "toolkit/controls/kept_header_icon_model.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointer>

#include <map>
#include <string>
#include <tuple>

namespace pm2 {

namespace {

// An icon from an item model's decoration (an icon, a pixmap or an image).
QIcon IconOfDecoration(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QIcon: return value.value<QIcon>();
    case QMetaType::QPixmap: return QIcon(value.value<QPixmap>());
    case QMetaType::QImage: return QIcon(QPixmap::fromImage(value.value<QImage>()));
    default: return QIcon();
  }
}

// The header icons of every dialog, made once each: one per dialog would
// still leave an entry in Qt's pixmap cache for each dialog opened. They
// go with the application, before the pixmaps can no longer be freed.
class KeptHeaderIcons : public QObject {
 public:
  using QObject::QObject;
  // (the model's class, orientation, section)
  std::map<std::tuple<std::string, int, int>, QIcon> icons;
};

KeptHeaderIcons& TheKeptHeaderIcons() {
  static QPointer<KeptHeaderIcons> kept;
  if (!kept) kept = new KeptHeaderIcons(QCoreApplication::instance());
  return *kept;
}

}  // namespace

QVariant KeptHeaderIconModel::headerData(int section, Qt::Orientation orientation, int role) const {
  QVariant value = QIdentityProxyModel::headerData(section, orientation, role);
  if (role != Qt::DecorationRole || !value.isValid()) return value;
  const QAbstractItemModel* source = sourceModel();
  auto [it, made] = TheKeptHeaderIcons().icons.try_emplace(
      {source ? source->metaObject()->className() : "", int(orientation), section});
  if (made) it->second = IconOfDecoration(value);
  if (it->second.isNull()) return value;
  return it->second;
}

void KeepHeaderIcon(QFileDialog& dialog) { dialog.setProxyModel(new KeptHeaderIconModel(&dialog)); }

}  // namespace pm2
