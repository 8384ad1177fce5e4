#include "toolkit/controls/kept_standard_icons.h"

#include <QApplication>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace pm2 {

KeptStandardIconsStyle::KeptStandardIconsStyle(QStyle* base) : QProxyStyle(base) {}

QIcon KeptStandardIconsStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                           const QWidget* widget) const {
  // What Qt's styles read of their arguments: the option's direction (else
  // the application's), its font's resolution (for the icons sized in
  // points: a message box's sign) and the widget's pixel ratio (for the
  // icons made as one image).
  const bool rightToLeft = option ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
  const Key key{int(icon), rightToLeft, option ? qRound(option->fontMetrics.fontDpi() * 100) : 0,
                widget ? qRound(widget->devicePixelRatioF() * 100) : 0};
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (auto it = m_icons.find(key); it != m_icons.end()) return it->second;
  }
  // Made without the lock: a style may ask itself for another icon.
  const QIcon made = QProxyStyle::standardIcon(icon, option, widget);
  std::lock_guard<std::mutex> hold(m_lock);
  return m_icons.emplace(key, made).first->second;
}

void KeepStandardIcons() {
  QStyle* current = QApplication::style();
  if (dynamic_cast<KeptStandardIconsStyle*>(current)) return;
  // A style the factory made (the platform's, or the user's -style) is made
  // again to stand under ours; any other is chosen as Qt would.
  const QString name = current ? current->name() : QString();
  QApplication::setStyle(new KeptStandardIconsStyle(name.isEmpty() ? nullptr : QStyleFactory::create(name)));
}

}  // namespace pm2
