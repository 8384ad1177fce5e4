// The wizard's two-column tree: folders and options by name in the first
// column ("Option"), each option's value in the second, on our own tree
// control with its header. A click in the value column or a double click
// on a row edits the value in place (a spin box for decimal numbers, an
// edit for hexadecimal numbers and texts, a drop-down list for selections);
// a check box toggles at once; a file row asks for a file. Disabled rows
// are grey, their tool tip (the option's HELP) is not shown, and they are
// not edited; neither are read-only and value-hidden rows.
#pragma once

#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "editor/wizard/option_rows.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

class COptionsTreeCtrl;

class COptionsTree : public QWidget {
  Q_OBJECT
 public:
  explicit COptionsTree(QWidget* parent = nullptr);

  // Shows the rows (the tree keeps its own copy); folders open when their
  // STYLE says EXPAND, the block's row always.
  void SetRows(const OptionRows& rows);
  const OptionRows& Rows() const { return m_rows; }
  COptionsTreeCtrl* Tree() const { return m_tree; }

  // Starts editing a row as a click in its value column does; false when
  // the row is not edited.
  bool BeginEdit(int row);
  // The in-place editor while one runs (null otherwise).
  QWidget* Editor() const { return m_editor; }
  // The cell of a row's value in the tree control's coordinates.
  QRect ValueCell(int row) const;
  // The list row a model row shows on (-1 while a folder above is shut).
  int ListRowOf(int row) const;

  // The file question of file rows; replaceable by tests.
  std::function<std::string(const std::string& current)> chooseFile;

 signals:
  // A row's value changed (after its dependants were updated).
  void rowChanged(int row);

 private:
  friend class COptionsTreeCtrl;
  void EndEdit(int row, bool accepted, const std::string& text);
  void Refresh(int row);
  void RefreshAll();

  COptionsTreeCtrl* m_tree;
  OptionRows m_rows;
  std::vector<HTREEITEM> m_items;  // the tree item of each row
  QPointer<QWidget> m_editor;
  int m_editRow = -1;
};

// The tree control: our tree with the value column painted for check boxes
// and the mouse rules of the wizard.
class COptionsTreeCtrl : public SECTreeCtrl {
  Q_OBJECT
 public:
  explicit COptionsTreeCtrl(COptionsTree* owner);
  // The model row shown on list row `listRow` (-1 when none).
  int ModelRowAt(int listRow);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  bool event(QEvent* e) override;

 private:
  int ModelRowAtPoint(QPoint p, bool* inValueColumn);
  COptionsTree* m_owner;
};

}  // namespace pm2
