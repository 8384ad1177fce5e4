#pragma once
// SECShortcutListCtrl: the outlook-style icon bar as a widget over
// SECShortcutListBase. It paints the items, the scroll buttons and the
// drop marker from the model's one geometry, turns mouse events into the
// model's state machine, moves items by drag and drop between bars of this
// process, and offers a context menu that switches between large and
// small icons. Clicks and drops reach the owner as NMSHORTCUT records
// through the engine's notification listener.

#include <QMimeData>
#include <memory>

#include "toolkit/controls/list_window.h"
#include "toolkit/shortcut_bar/shortcut_drag.h"
#include "toolkit/shortcut_bar/shortcut_list_model.h"

class QMenu;

namespace pm2 {

class SECShortcutListCtrl : public ListWindow<SECShortcutListBase> {
  Q_OBJECT
 public:
  // `style`: LVS_ICON for large icons, LVS_REPORT for small ones.
  explicit SECShortcutListCtrl(QWidget* parent = nullptr, unsigned style = LVS_ICON, unsigned exStyle = 0);
  ~SECShortcutListCtrl() override;

  void SetImages(ImageListKind kind, ImageStrip strip) { m_view->SetImages(kind, std::move(strip)); }

  // The identifier every bar of this process puts in its drags.
  static const ShortcutProcessId& ProcessId();
  // The drag data of an item (its hot state cleared); null for a bad index.
  virtual std::unique_ptr<QMimeData> PrepareDragData(int item);
  // The context menu with the current mode checked; the caller owns it.
  QMenu* CreateContextMenu();
  // The marker shown while a drag hovers over a gap (empty when none).
  const Rect& MarkerRect() const { return m_marker; }

 protected:
  // Runs the drag and returns what the drop did; tests stand in for it.
  virtual Qt::DropAction DoDragDrop(QMimeData* data);
  // Hook before the context menu is shown.
  virtual void OnExtendContextMenu(QMenu*) {}

  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dragLeaveEvent(QDragLeaveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void StartDrag(int item);
  void EraseMarker();
  bool SameProcess() const { return m_dragSource == ProcessId(); }

  Rect m_marker;
  int m_markerCode = 0;
  ShortcutProcessId m_dragSource{};
};

}  // namespace pm2
