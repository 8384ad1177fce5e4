#pragma once
// Controls that take the place of a placeholder in a dialog (the list's
// CreateFromCtrl, the tree's CreateFromDialogItem). A dialog built from a
// template gives each placeholder its template's window style words and
// control id as properties; the replacement takes over the placeholder's
// geometry, its place among its siblings and in the focus chain, its
// object name, id and styles, and the placeholder is deleted.

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

namespace pm2 {

// Properties of a placeholder (unsigned int): its window style, extended
// window style and control id as the dialog template gives them.
constexpr char kDialogItemStyle[] = "pm2Style";
constexpr char kDialogItemExStyle[] = "pm2ExStyle";
constexpr char kDialogItemId[] = "pm2ControlId";

// Window style bits a replacement honours.
constexpr unsigned kWsTabStop = 0x00010000, kWsBorder = 0x00800000, kWsDisabled = 0x08000000,
                   kWsVisible = 0x10000000;

struct DialogItem {
  QWidget* parent = nullptr;
  QRect geometry;
  QString name;
  unsigned style = 0;
  unsigned exStyle = 0;
  unsigned id = 0;
  bool visible = true;
  QPointer<QWidget> focusBefore;  // the widget before it in the focus chain
  QPointer<QWidget> stackedAbove;  // the sibling painted over it, if any
};

// Reads what the replacement needs and deletes the placeholder. False
// (nothing deleted) for a null placeholder or one without a parent.
bool TakeDialogItem(QWidget* placeholder, DialogItem* item);

// Puts `w` (a child of item.parent) where the placeholder was.
void PutInPlace(QWidget* w, const DialogItem& item);

}  // namespace pm2
