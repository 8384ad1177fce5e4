// The panes of one editor window: up to two rows and two columns of views
// of the same document in splitters. Panes of one column keep the same
// horizontal position, panes of one row the same top line, following the
// pane the user works in.
#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "editor/engine/edit_engine.h"

class QSplitter;

namespace pm2 {

class EditorDocument;
class EditorView;
struct EditorViewContext;

class EditorPanes : public QWidget {
  Q_OBJECT
 public:
  EditorPanes(EditorDocument* doc, EditorViewContext* ctx, QWidget* parent = nullptr);
  ~EditorPanes() override;

  // Shows `rows` x `columns` panes (1 or 2 each). A new pane takes the
  // horizontal position of row 0 of its column and the top line of column
  // 0 of its row.
  void Split(int rows, int columns);
  int Rows() const { return m_rows; }
  int Columns() const { return m_columns; }
  EditorView* View(int row, int column) const;
  EditorView* ActiveView() const;
  void SetActive(EditorView* view);

  // The view scrolled: the other panes of its row and column follow it.
  // Only the active pane leads, so the followers do not echo.
  void SyncFrom(EditorView* view);
  // A view that goes leaves the panes first: while it is destroyed, the
  // splitters hand its room to the others, whose resizing syncs the panes.
  void Forget(const EditorView* view);

 private:
  EditorView* MakeView(int row, int column);
  static void TakeTopLine(EditorView& to, const EditorView& from);
  static void TakeLeftColumn(EditorView& to, const EditorView& from);

  EditorDocument* m_doc;
  EditorViewContext* m_ctx;
  EditShared m_shared;  // what the views of this text share
  QSplitter* m_rowsSplitter;
  std::array<QSplitter*, 2> m_rowSplitters{};
  std::array<std::array<EditorView*, 2>, 2> m_views{};
  EditorView* m_active = nullptr;
  int m_rows = 1, m_columns = 1;
  bool m_syncing = false;
};

}  // namespace pm2
