// The command window: the debugger's console page in the output window.
// The output list (the driver's text and the echo of typed commands, which
// are the history), the prompt and the command edit, and the help line
// that shows what may follow at the caret.
#pragma once

#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "debugger/model/command_output.h"
#include "debugger/model/syntax_help.h"

class QLabel;
class QMenu;
class QScrollBar;

namespace pm2 {

struct WindowFonts;

// What the window needs of the session.
struct CommandWindowHost {
  std::function<void(const std::string&)> execute;  // a typed line with its line feed
  std::function<bool()> debugging;                   // a session is active
  std::function<bool()> noCompletion;                // the driver turned completion off
  std::function<void()> escape;                      // Esc while debugging
  std::function<void()> beep;
  std::function<void(const std::string& word)> toolHelp;  // F1 on a word
  // The output list's visible lines and columns after each layout (the
  // application keeps them for the driver's service 25).
  std::function<void(int lines, int columns)> sized;
};

class CommandOutputList;

class CommandEdit : public QLineEdit {
 public:
  CommandEdit(class CommandWindow* owner, QWidget* parent);

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  CommandWindow* m_owner;
};

class CommandWindow : public QWidget {
 public:
  explicit CommandWindow(CommandWindowHost host, QWidget* parent = nullptr);

  // Driver or IDE text; null clears. Returns the characters taken.
  size_t Append(const char* text);
  // The prompt label; null restores ">" and cancels an input request.
  void SetPrompt(const char* text);
  void RequestInput(const CommandInputRequest& request);
  void SetSyntaxTables(const void* fallback1, const void* fallback2, const void* root);
  // The command window's font of the shared window settings, for the
  // output, the input line and the help line; laid out again.
  void ApplySettings(const WindowFonts& settings);
  // The output list's visible lines and columns.
  void VisibleSize(int* lines, int* columns) const;

  QString Text() const;  // every line, for tests and the copy command
  // The output list's context menu: Clear empties it; Copy puts the
  // lines the user selected (clicked or found) on the clipboard, not the
  // history's other lines.
  void Clear();
  void Copy();
  bool HasSelectedLines() const;
  QString SelectedText() const;
  // Every line's text; the first line the user selected (-1: none); a
  // found line as the only one the user selected, in view (the output
  // window's Find). The history stays as it is.
  std::vector<std::string> LineTexts() const;
  int FirstSelected() const;
  void SelectOnly(size_t line);
  QScrollBar* HorizontalBar() const;
  // A double click on an error line of the debug-function compiler: the
  // function editor goes to the line; false when it is not open.
  std::function<bool(uint32_t line)> goToError;
  // The output list's context menu: Copy, Clear window and Find (the
  // output window's find on this page, when it is given).
  void BuildContextMenu(QMenu& menu);
  std::function<void()> find;
  // The menu of the bar that holds the window (its docking entries), which
  // the window's own entries follow; the caller owns it. Unset: a plain menu.
  std::function<QMenu*()> barMenu;
  QLineEdit* Input() const { return m_edit; }
  QWidget* OutputList() const;  // where the output lines show
  QString HelpText() const;
  QString PromptText() const;
  CommandOutput& Output() { return m_output; }
  SyntaxHelp& Help() { return m_help; }

  // ---- the edit's keys
  void ExecuteTyped();
  void History(bool up);
  void Escape();
  void TypeBlank();
  void ToolHelp();
  // mode 1 analyse, 2 next page
  void RefreshHelp(int mode);

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  struct Geometry {
    QRect list, separator, prompt, edit, help;
  };
  Geometry Layout(QSize size) const;
  void ApplyLayout();
  void OutputChanged();

  CommandWindowHost m_host;
  CommandOutput m_output;
  SyntaxHelp m_help;
  CommandOutputList* m_list;
  QLabel* m_prompt;
  CommandEdit* m_edit;
  QLabel* m_helpLine;
  QWidget* m_separator;
};

}  // namespace pm2
