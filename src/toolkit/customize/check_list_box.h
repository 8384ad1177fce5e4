#pragma once
// SECCheckListBox: the list box of the customisation dialogs: one line per
// item, an optional check box before each, one selected item. Our own
// widget (the toolkit keeps Qt's item views out of its controls); the rows
// are the owner's, the widget only shows them and reports clicks.

#include <QWidget>

class QScrollBar;
#include <functional>
#include <string>
#include <vector>

namespace pm2 {

class SECCheckListBox : public QWidget {
 public:
  explicit SECCheckListBox(bool withChecks, QWidget* parent = nullptr);

  struct Item {
    std::string text;
    bool checked = false;
  };
  void SetItems(std::vector<Item> items, int selected);
  const std::vector<Item>& Items() const { return m_items; }
  int Selected() const { return m_selected; }
  void SetSelected(int row);
  // The row at a point, -1 for none; the check box of a row.
  int RowAt(QPoint p) const;
  QRect RowRect(int row) const;
  QRect CheckRect(int row) const;

  // A click in a row's check box (the owner decides the new state and
  // calls SetItems), and a change of selection.
  std::function<void(int row)> onCheckClicked;
  std::function<void(int row)> onSelected;

  QSize sizeHint() const override { return QSize(180, 160); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  int RowHeight() const;
  int VisibleRows() const;
  void UpdateScroll();
  void EnsureVisible(int row);
  bool m_checks;
  QScrollBar* m_scroll;
  std::vector<Item> m_items;
  int m_selected = -1;
};

}  // namespace pm2
