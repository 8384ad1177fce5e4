#include "toolkit/controls/dialog_item.h"

#include <QVariant>

namespace pm2 {

bool TakeDialogItem(QWidget* placeholder, DialogItem* item) {
  if (!placeholder || !placeholder->parentWidget() || !item) return false;
  QWidget* parent = placeholder->parentWidget();
  item->parent = parent;
  item->geometry = placeholder->geometry();
  item->name = placeholder->objectName();
  item->style = placeholder->property(kDialogItemStyle).toUInt();
  item->exStyle = placeholder->property(kDialogItemExStyle).toUInt();
  item->id = placeholder->property(kDialogItemId).toUInt();
  item->visible = !placeholder->isHidden();
  QWidget* before = placeholder->previousInFocusChain();
  item->focusBefore = before != placeholder ? before : nullptr;
  // Children are painted in list order: the next widget child lies above.
  const QObjectList& siblings = parent->children();
  const qsizetype at = siblings.indexOf(placeholder);
  for (qsizetype i = at + 1; i < siblings.size(); ++i) {
    if (auto* w = qobject_cast<QWidget*>(siblings[i]); w && !w->isWindow()) {
      item->stackedAbove = w;
      break;
    }
  }
  delete placeholder;
  return true;
}

void PutInPlace(QWidget* w, const DialogItem& item) {
  w->setObjectName(item.name);
  w->setGeometry(item.geometry);
  if (item.stackedAbove && item.stackedAbove->parentWidget() == w->parentWidget()) w->stackUnder(item.stackedAbove);
  if (item.focusBefore && item.focusBefore->window() == w->window()) QWidget::setTabOrder(item.focusBefore, w);
  w->setEnabled(!(item.style & kWsDisabled));
  // A template's control shows unless its template leaves WS_VISIBLE out;
  // a placeholder without styles keeps its own visibility.
  const bool show = item.style ? (item.style & kWsVisible) != 0 : item.visible;
  w->setVisible(show);
  // Without WS_TABSTOP the Tab key passes it by; a click still focuses it.
  if (item.style && !(item.style & kWsTabStop)) w->setFocusPolicy(Qt::ClickFocus);
}

}  // namespace pm2
