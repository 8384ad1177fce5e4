#include "editor/ide/editor_panes.h"

#include <QSplitter>
#include <QVBoxLayout>
#include <utility>

#include "editor/ide/editor_view.h"

namespace pm2 {

EditorPanes::EditorPanes(EditorDocument* doc, EditorViewContext* ctx, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_ctx(ctx) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_rowsSplitter = new QSplitter(Qt::Vertical, this);
  layout->addWidget(m_rowsSplitter);
  for (int r = 0; r < 2; ++r) {
    m_rowSplitters[size_t(r)] = new QSplitter(Qt::Horizontal, m_rowsSplitter);
    m_rowsSplitter->addWidget(m_rowSplitters[size_t(r)]);
  }
  m_active = MakeView(0, 0);
  m_rowSplitters[1]->hide();
}

EditorPanes::~EditorPanes() {
  // The views leave the document before the shared state goes.
  for (auto& row : m_views)
    for (EditorView*& v : row) delete std::exchange(v, nullptr);
}

EditorView* EditorPanes::MakeView(int row, int column) {
  auto* v = new EditorView(m_doc, &m_shared, m_ctx);
  v->SetPane(this, row, column);
  m_rowSplitters[size_t(row)]->insertWidget(column, v);
  m_views[size_t(row)][size_t(column)] = v;
  return v;
}

EditorView* EditorPanes::View(int row, int column) const {
  if (row < 0 || row >= m_rows || column < 0 || column >= m_columns) return nullptr;
  return m_views[size_t(row)][size_t(column)];
}

EditorView* EditorPanes::ActiveView() const { return m_active; }

void EditorPanes::SetActive(EditorView* view) { m_active = view; }

void EditorPanes::Forget(const EditorView* view) {
  for (auto& row : m_views)
    for (EditorView*& v : row)
      if (v == view) v = nullptr;
  if (m_active == view) m_active = nullptr;
}

void EditorPanes::TakeTopLine(EditorView& to, const EditorView& from) {
  const EditState& s = from.Engine().State();
  if (to.Engine().State().nTopLine == s.nTopLine) return;
  to.Engine().SetTopLine(s.nTopLine);
  to.viewport()->update();
}

void EditorPanes::TakeLeftColumn(EditorView& to, const EditorView& from) {
  int left = from.Engine().State().nLeftCol;
  if (to.Engine().State().nLeftCol != left) to.Engine().OnHScroll(4, left);
}

void EditorPanes::Split(int rows, int columns) {
  rows = std::clamp(rows, 1, 2);
  columns = std::clamp(columns, 1, 2);
  m_syncing = true;
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      EditorView*& v = m_views[size_t(r)][size_t(c)];
      bool wanted = r < rows && c < columns;
      if (wanted && !v) {
        v = MakeView(r, c);
        v->InitialUpdate();
        if (r > 0 && m_views[0][size_t(c)]) TakeLeftColumn(*v, *m_views[0][size_t(c)]);
        if (c > 0 && m_views[size_t(r)][0]) TakeTopLine(*v, *m_views[size_t(r)][0]);
      } else if (!wanted && v) {
        if (m_active == v) m_active = m_views[0][0];
        delete std::exchange(v, nullptr);
      }
    }
    m_rowSplitters[size_t(r)]->setVisible(r < rows);
  }
  m_rows = rows;
  m_columns = columns;
  m_syncing = false;
}

void EditorPanes::SyncFrom(EditorView* view) {
  if (m_syncing || view != m_active) return;
  m_syncing = true;
  for (int r = 0; r < m_rows; ++r)
    for (int c = 0; c < m_columns; ++c) {
      EditorView* other = m_views[size_t(r)][size_t(c)];
      if (!other || other == view) continue;
      if (c == view->PaneColumn()) TakeLeftColumn(*other, *view);
      if (r == view->PaneRow()) TakeTopLine(*other, *view);
    }
  m_syncing = false;
}

}  // namespace pm2
