#pragma once
// The window half shared by SECListCtrl and SECTreeCtrl: it implements the
// engine's ListHost with a QWidget (repaint, timers, scroll bars, in-place
// editor, tip), paints header and rows from the engine's state, and turns
// Qt events into the engine's mouse and key calls.

#include <QBasicTimer>
#include <QPointer>
#include <QScrollBar>
#include <map>
#include <memory>

#include "toolkit/controls/list_edit.h"
#include "toolkit/controls/list_tip.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/models/list_engine.h"

class QPainter;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;
class QStyle;

namespace pm2 {

// The classic (Windows) widget style, used for the scroll bars and the
// standard controls the toolkit places inside its own.
QStyle* ClassicStyle();

class ListViewImpl : public ListHost {
 public:
  ListViewImpl(QWidget* widget, SECListBaseC* engine);
  ~ListViewImpl() override;

  // Images drawn for an image list kind (sizes go to the engine); the
  // list keeps its own copy.
  void SetImages(ImageListKind kind, ImageStrip strip);
  const ImageStrip& Images(ImageListKind kind) const;
  // An image list as the list's SetImageList takes it: with `shared` the
  // caller's list itself (its later changes show), else the list's own
  // copy of it. Returns the list held before, which now belongs to the
  // caller alone; null for a kind out of range.
  std::shared_ptr<ImageStrip> SetImageList(std::shared_ptr<ImageStrip> list, ImageListKind kind, bool shared);
  std::shared_ptr<ImageStrip> GetImageStrip(ImageListKind kind) const;
  // A copy whose images no longer share pixels with the source's.
  static std::shared_ptr<ImageStrip> CopyImageList(const ImageStrip& source);
  SECListTip* Tip() const { return m_tip; }
  SECListEdit* Editor() const { return m_editor; }
  QtTextMeasurer& Measurer() { return m_measurer; }

  // --- ListHost ---
  Rect ClientRect() override;
  bool HasFocus() override;
  bool IsEnabled() override;
  void TakeFocus() override;
  void Invalidate(const Rect* r, bool now) override;
  void StartTimer(int id, int ms) override;
  void KillTimer(int id) override;
  void Beep() override;
  void ScrollBarsChanged() override;
  void MoveToNextControl(bool previous) override;
  void CancelDialog() override;
  void CreateEditor(const Rect& r, const std::string& text, bool wrap, FontChoice font) override;
  void ShowEditor() override;
  void ResizeEditor(int width, int height) override;
  void DestroyEditor() override;
  bool EditorExists() override { return m_editor != nullptr; }
  std::string EditorText() override;
  void TipShow(unsigned hitFlags, int item, int column, Point pt) override;
  void TipHide() override;
  void TipRefresh() override;
  Point CursorPos() override;
  Rect ClientToScreen(Rect r) override;
  bool CaptureMouse(bool take) override;
  std::string FoldCase(std::string_view text) override;

  // --- events (the widget forwards them) ---
  void Paint(QPainter& p, const QRect& clip);
  // Paints header and rows from the top row to the page bottom for a
  // printer: no resize line, no scroll-bar corner, solid tree lines.
  void PaintForPrint(QPainter& p);
  bool Printing() const { return m_printing; }
  // While a print job runs the engine lays out on the page: ClientRect
  // answers it instead of the window's area (null: the window again).
  void SetDrawRect(const Rect* page) {
    m_hasDrawRect = page != nullptr;
    if (page) m_drawRect = *page;
  }
  // A header button as the header paints it, for dragging it.
  QPixmap CreateHeaderDragImage(int column);
  void MousePress(QMouseEvent* e);
  void MouseRelease(QMouseEvent* e);
  void MouseDoubleClick(QMouseEvent* e);
  void MouseMove(QMouseEvent* e);
  void Leave();
  void Wheel(QWheelEvent* e);
  // True when handled.
  bool KeyPress(QKeyEvent* e);
  void Timer(int qtTimerId);
  void FocusIn();
  void FocusOut();
  void Resized();
  void EnabledChanged();

  // Hooks for the tree.
  virtual void PaintLabelCell(QPainter& p, SECListPaintContext& ctx, const QRect& cell);
  virtual void LeftButtonDown(int x, int y, unsigned keyFlags) { m_engine->OnLButtonDown(x, y, keyFlags); }
  virtual void LeftDoubleClick(int x, int y, unsigned keyFlags) { m_engine->OnLButtonDblClk(x, y, keyFlags); }
  virtual bool Char(char ch) { return m_engine->OnChar(ch); }
  virtual void EngineTimer(int id) { m_engine->OnTimer(id); }

  // Draws the label text and its highlight band for a cell (shared with
  // the tree, which passes its own text rectangle).
  void PaintLabel(QPainter& p, SECListPaintContext& ctx, const QRect& highlight, const QRect& textRect,
                  const QString& text);
  void PaintFocusRect(QPainter& p, const QRect& r);

 protected:
  QWidget* m_widget;
  SECListBaseC* m_engine;

 private:
  void PaintHeader(QPainter& p);
  void PaintHeaderButton(QPainter& p, int column, const QRect& b, bool pressed);
  // A part of the open header theme; false (nothing drawn) without one.
  bool DrawThemedHeaderPart(QPainter& p, int part, int state, const QRect& b);
  void PaintIconCells(QPainter& p, const QRect& clip);
  void PaintRows(QPainter& p, const QRect& clip);
  void PaintCell(QPainter& p, SECListPaintContext& ctx, const QRect& cell);
  void LayoutScrollBars();
  unsigned KeyFlags(Qt::KeyboardModifiers m, Qt::MouseButtons b) const;

  QtTextMeasurer m_measurer;
  QScrollBar* m_vbar = nullptr;
  QScrollBar* m_hbar = nullptr;
  bool m_syncingBars = false;
  QPointer<SECListEdit> m_editor;
  bool m_editorReady = false;
  SECListTip* m_tip = nullptr;
  std::map<int, QBasicTimer> m_timers;
  std::shared_ptr<ImageStrip> m_images[4];
  // A shared list may change after it was set: the engine's sizes follow.
  void SyncImageSizes();
  bool m_printing = false;
  bool m_hasDrawRect = false;
  Rect m_drawRect;
  // Header drag: the button's image, where it was grabbed, the pointer.
  QPixmap m_headerDragImage;
  int m_headerGrabX = 0;
  int m_pressX = 0;
  int m_pointerX = 0;
  void* m_headerTheme = nullptr;  // the header's visual style while it paints
};

}  // namespace pm2
