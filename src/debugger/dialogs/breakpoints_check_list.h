// The breakpoints dialog's list: one line per breakpoint with a check box
// (enabled), bold text, one selected line, wide enough to scroll
// sideways. A click on the box toggles it, a click on the text selects,
// a double click picks the line; the owner hears each through callbacks.
#pragma once

#include <QAbstractScrollArea>
#include <functional>
#include <string>
#include <vector>

namespace pm2 {

class BpCheckList : public QAbstractScrollArea {
 public:
  explicit BpCheckList(QWidget* parent = nullptr);

  struct Line {
    std::string text;
    bool checked = false;
    void* data = nullptr;
  };
  void Clear();
  int Count() const { return int(m_lines.size()); }
  void Insert(int at, const Line& line);  // at -1 or Count(): appended
  void Remove(int index);
  const Line& At(int index) const { return m_lines[std::size_t(index)]; }
  void SetChecked(int index, bool on);
  int Selected() const { return m_selected; }
  void Select(int index);  // -1: none

  // The owner's callbacks.
  std::function<void()> selectionChanged;  // also after a box toggled
  std::function<void(int)> doubleClicked;

  // The one geometry: a line's rectangle and its check box's, in viewport coordinates.
  QRect LineRect(int index) const;
  QRect BoxRect(int index) const;
  int RowAt(const QPoint& p) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void UpdateBars();
  int LineHeight() const;

  std::vector<Line> m_lines;
  int m_selected = -1;
  static constexpr int kExtent = 1500;  // horizontal extent in pixels
};

}  // namespace pm2
