#pragma once
// SECListBoxEditor: an editable list for dialogs: a strip of new, delete,
// up and down buttons above a list whose rows are edited in place, with an
// empty last row for new entries and reordering by dragging. The behaviour
// lives in ListBoxEditorModel; subclasses override its On... hooks.

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QWidget>

#include "toolkit/models/list_box_editor_model.h"

namespace pm2 {

class SECListBoxEditor;

// The in-place edit over a row.
class SECListBoxEdit : public QLineEdit {
  Q_OBJECT
 public:
  SECListBoxEdit(SECListBoxEditor* editor, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  SECListBoxEditor* m_editor;
};

class SECListBoxEditor : public QWidget, public ListBoxEditorModel, public ListBoxEditorHost {
  Q_OBJECT
 public:
  enum Button { kNew = 0, kDelete = 1, kUp = 2, kDown = 3 };

  explicit SECListBoxEditor(QWidget* parent = nullptr);
  ~SECListBoxEditor() override;

  // Takes the place of `placeholder` (hidden) when given; options are the
  // LBE_ bits; `parent` hears codes 1, 10 and 11 for `listId`.
  bool Initialize(unsigned options, CommandListener* parent = nullptr, unsigned listId = 0,
                  QWidget* placeholder = nullptr, bool multiSelect = false);
  // The text drawn at the left of the strip (the editor window's caption).
  // The heading above the list. A "&" marks its mnemonic letter: it is
  // underlined, and Alt with that letter moves the focus into the list.
  void SetCaption(const QString& text);
  // Shown buttons: 0x100 new, 0x200 delete, 0x400 up, 0x800 down.
  void SetButtons(unsigned mask);
  int CalcStripHeight() const;
  QRect ButtonRect(Button b) const { return m_buttonRects[b]; }
  QRect ListRect() const;
  QRect RowRect(int row) const;
  int RowAt(const QPoint& p) const;
  int RowHeight() const;
  SECListBoxEdit* InPlaceEdit() const { return m_edit; }
  QPushButton* BrowseButton() const { return m_browse; }
  void EnsureVisible(int row);
  // Accepts the edit and sends `key` on to the list (arrow keys in the edit).
  void AcceptAndForward(QKeyEvent* e);

  // ListBoxEditorHost
  void OpenEdit(int row, const std::string& text, bool caretAtEnd) override;
  void CloseEdit() override;
  void Repaint() override { update(); }
  void MoveFocusFromList(bool previous) override;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void timerEvent(QTimerEvent* e) override;

 private:
  void LayoutButtons();
  void UpdateScrollBar();
  void RunButton(Button b);
  void PaintButton(QPainter& p, Button b, bool pressed);
  void Select(int row);

  QRect m_buttonRects[4];
  bool m_shown[4] = {true, true, true, true};
  QString m_caption;
  QShortcut* m_captionKey = nullptr;
  QPointer<SECListBoxEdit> m_edit;
  QPointer<QPushButton> m_browse;
  QScrollBar* m_vbar = nullptr;
  int m_top = 0;
  int m_pressed = -1;       // strip button held down
  bool m_pressedInside = false;
  struct Drag {
    bool active = false;
    bool began = false;
    int from = -1;
    int target = -2;
    int scrollDir = 0;      // -1 above the list, +1 below
    int scrollDelay = 300;
    QPoint start;
    QElapsedTimer held;
  } m_drag;
  QBasicTimer m_scrollTimer;
};

}  // namespace pm2
