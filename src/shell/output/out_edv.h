// COutEdv: the output window's edit pane, a read-only text the user can
// move through and select in. Only Ctrl combinations, the arrow keys,
// Home, End, Page Up and Page Down reach the text; every other key,
// Escape included, is swallowed. A double click follows the caret's line
// like a double click on the build page.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>
#include <functional>
#include <string>

namespace pm2 {

class MessageJumpTarget;
class ShellServices;

// The edit control of the pane.
class COedit : public QPlainTextEdit {
 public:
  explicit COedit(QWidget* parent);
  std::function<void()> onDoubleClick;

 protected:
  void keyPressEvent(QKeyEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
};

class COutEdv : public QWidget {
 public:
  COutEdv(ShellServices& shell, QWidget* parent = nullptr);

  void SetText(const std::string& text);
  void AppendText(const std::string& line);
  std::string Text() const;
  void SetJumpTarget(MessageJumpTarget* target) { jump_ = target; }
  // Follows the line the caret is on (a double click does this).
  void JumpFromCaretLine();
  COedit* Edit() const { return edit_; }

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  ShellServices& shell_;
  COedit* edit_;
  MessageJumpTarget* jump_ = nullptr;
};

}  // namespace pm2
