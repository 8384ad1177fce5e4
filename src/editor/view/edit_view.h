// The editor engine on a Qt widget: paints the visible rows, drives the
// scroll bars, and feeds keys, typed characters, the mouse, focus, the drag
// timer and drag and drop to the engine. The text comes from the caller
// (a document); EditControl below owns its own.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>
#include <QMenu>
#include <functional>
#include <memory>

#include "editor/engine/drag_scroll.h"
#include "editor/engine/edit_engine.h"
#include "editor/view/edit_view_paint.h"
#include "editor/view/qt_clipboard.h"

namespace pm2 {

// Whether a font (as the machine resolves it) gives every character the
// same advance.
bool IsFixedPitchFont(const QFont& font);

class EditView : public QAbstractScrollArea, public EditHost {
  Q_OBJECT
 public:
  // `text` and `shared` outlive the view; several views may share them.
  EditView(CEditTextBuffer* text, EditShared* shared, QWidget* parent = nullptr);
  ~EditView() override;

  EditEngine& Engine() { return *m_engine; }
  const EditEngine& Engine() const { return *m_engine; }
  CEditTextBuffer& Text() { return *m_text; }
  // Whether a drop hovering at an edge scrolls the view now.
  bool DropScrolling() const { return m_dropScrollTimer.isActive(); }

  // The font from the text's settings (face, size, weight, italic), always
  // used with fixed pitch; a face this machine lacks gives its fixed font.
  void ApplyTextFont();
  // A chosen font, used with fixed pitch.
  void SetEditorFont(const QFont& font);
  const QFont& EditorFont() const { return m_font; }
  // The text was replaced (loaded): caret and top line go to the start.
  void ResetView();
  // Fills the context menu (Undo, Redo, Cut, Copy, Paste, Toggle
  // Bookmark, each enabled by its command's rule); true to show it. A
  // derived view adds its own entries.
  virtual bool BuildContextMenu(QMenu& menu);
  // Draws the margin's marks of the rows (unset: bookmarks only).
  void SetMarginPainter(MarginPainter painter) { m_marginPainter = std::move(painter); }
  // Told once per paste how many of another program's characters the
  // 8-bit text could not hold (they were pasted as '?').
  void SetPasteLossHandler(std::function<void(std::size_t lost)> handler) {
    m_clipboard.onLostCharacters = std::move(handler);
  }

  // ---- EditHost ----
  void InvalidateAll() override;
  void InvalidateRect(int x, int y, int width, int height) override;
  void PlaceCaret(int x, int y, bool visible) override;
  void ScrollBarsChanged() override;
  void CaretPlaced() override;
  void ShowMessage(int id, const std::string& text) override;
  void Notify(int hint) override;
  void RequestDialog(int command) override { emit dialogRequested(command); }
  bool IsFindOnlyDialogOpen() const override { return m_findOnlyOpen && m_findOnlyOpen(); }
  // Tells whether the owner's find-only dialog is open (the owner keeps
  // the dialogs it opens on dialogRequested).
  void SetFindOnlyDialogQuery(std::function<bool()> query) { m_findOnlyOpen = std::move(query); }
  EditClipboard& Clipboard() override { return m_clipboard; }
  bool HasFocus() const override { return hasFocus(); }

 signals:
  // A message for the user (status code, text); nothing is shown by the
  // view itself, so the owner decides between a box and a status line.
  // Without a receiver the view only beeps.
  void message(int id, const QString& text);
  // The caret moved or the text changed (status panes follow it).
  void caretMoved();
  void textChanged();
  // Find (kCmdEditFind) or Replace (kCmdEditReplace) asks for its dialog.
  void dialogRequested(int command);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dragLeaveEvent(QDragLeaveEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  bool focusNextPrevChild(bool next) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool viewportEvent(QEvent* e) override;

 protected:
  // Forgets the shared state before its owner (a derived class) frees it.
  void DetachShared();

 private:
  void OnScrollAction(Qt::Orientation o, int action);
  void StartTextDrag();
  // One tick of the scrolling while a drop hovers at an edge.
  void DropScrollTick();
  void UpdateCursorShape(const QPoint& p);
  // Where a menu asked for from the keyboard opens: below the caret's line
  // at the caret, kept inside the viewport when the caret is scrolled out.
  QPoint KeyboardMenuPoint() const;

  CEditTextBuffer* m_text;
  EditShared* m_shared;
  MarginPainter m_marginPainter;
  std::function<bool()> m_findOnlyOpen;
  QtEditClipboard m_clipboard;
  std::unique_ptr<EditEngine> m_engine;
  QFont m_font;
  int m_ascent = 0;
  QRect m_caret;               // empty: hidden
  QRect m_dropCaret;           // the drop point while a drag hovers
  QBasicTimer m_dragTimer;     // scrolls a selection drag beyond the text
  QBasicTimer m_dropScrollTimer;  // scrolls while a drop hovers at an edge
  DragScrollClock m_dropScroll;
  QPoint m_dropPoint;          // viewport point of the hovering drop
  QPoint m_lastMouse;          // viewport point of the last mouse event
  bool m_syncingBars = false;  // the bars are being set from the engine
  bool m_dragPending = false;  // pressed inside the selection
  QPoint m_pressPoint;
  bool m_droppedOnSelf = false;
  int m_placedLine = 0, m_placedCol = -1;  // the caret caretMoved last told  // a drop into an editor window took the text
};

// The engine on a plain window with its own text: the editor control that
// other windows embed, and what a program uses to show one file.
class EditControl : public EditView {
  Q_OBJECT
 public:
  explicit EditControl(QWidget* parent = nullptr, EditEnvironment env = {});
  ~EditControl() override;

  // Settings, colours and keywords of a profile section ("Editor\C Files").
  void SetLanguage(const std::string& section);
  // Loads a file: 0 or a status code (or the system's error number).
  int Open(const std::string& path);
  // Saves the text (atomically): 0 or a status code / error number.
  int Save(const std::string& path);
  bool IsModified() const;
  void GotoLine(int lineNumber, int column);

 protected:
  // Escape also reaches the dialog that holds the control, which closes.
  void keyPressEvent(QKeyEvent* e) override;

 private:
  std::unique_ptr<CEditTextBuffer> m_ownText;
  std::unique_ptr<EditShared> m_ownShared;
  EditControl(std::unique_ptr<CEditTextBuffer> text, std::unique_ptr<EditShared> shared,
              QWidget* parent);
};

}  // namespace pm2
