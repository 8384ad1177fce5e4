// COutWin: the output window. A tab window with the build page, the
// debugger's command page and the find-in-files page (in that order), and
// the edit pane kept beside them off the tabs. Copy and Find act on the
// active page; the context menu offers them.
//
// For now a plain widget; the main frame's docking control bar will hold
// it (or become its base) when the bars exist.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QFont;
class QMenu;

namespace pm2 {

class BuildLog;
class CommandTarget;
class COutEdv;
class COutView;
class MessageJumpTarget;
class OutputFindDialog;
class SECTabWnd;
class ShellServices;

class COutWin : public QWidget {
 public:
  static constexpr unsigned kCmdCopy = 57634, kCmdFind = 57636;
  static constexpr unsigned kTabWndId = 59648, kBuildPaneId = 3093, kCommandPaneId = 3094, kFindPaneId = 3095;
  enum Page { kBuildPage = 0, kCommandPage = 1, kFindPage = 2 };

  // `log` receives the build page's lines (may be null); `shell` beeps and
  // asks the find questions. Both outlive the window.
  COutWin(BuildLog* log, ShellServices& shell, QWidget* parent = nullptr);
  ~COutWin() override;

  // One line for the build page as OutputText hands it on (null clears,
  // 0xFF and 0xFE switch redrawing off and on); the find-in-files page's
  // counterpart.
  void OutputText(const char* text);
  void OutputText2(const char* text);
  void ClearBuildPage() { OutputText(nullptr); }
  void SelectPage(int page);
  int ActivePage() const;  // -1 when none
  // Where a double click, Enter or F1 on a message line goes.
  void SetJumpListener(MessageJumpTarget* listener);
  // The output font of the window-font settings (null: the default).
  void ApplyFont(const QFont* font);

  // The handlers and update rules of Copy (57634) and Find (57636), for
  // the frame's command routing.
  CommandTarget& Commands() { return *commands_; }
  // Copy and Find on the active page.
  bool CanCopy() const;
  bool OnCopy();
  bool CanFind() const;
  void OnFind();
  // The command page's lines, which the debugger's command window keeps:
  // Copy and Find reach them through these.
  struct PageLines {
    std::function<std::vector<std::string>()> lines;
    std::function<int()> firstSelected;   // -1: none
    std::function<void(int line)> selectOnly;  // a found line, shown
    std::function<bool()> canCopy;
    std::function<void()> copy;
  };
  void SetCommandPageLines(PageLines lines) { commandLines_ = std::move(lines); }
  // Appends the window's entries to a context menu (the bar's own menu).
  void AddContextMenuEntries(QMenu& menu);
  // The bar that holds the window makes the menu a right click shows (its
  // Allow Docking and Hide), the window's entries following.
  void SetBarMenu(std::function<QMenu*()> make) { barMenu_ = std::move(make); }
  // The right click's menu; the caller owns it.
  QMenu* ContextMenu();
  // The bar's part alone, for a page that adds entries of its own (the
  // command page); the caller owns it.
  QMenu* BarMenu();

  static const char* Caption() { return "Output Window"; }
  COutView* BuildPane() const { return build_; }
  COutView* FindPane() const { return find_; }
  QWidget* CommandPage() const { return command_; }
  // The edit pane, made when first asked for (hidden until shown).
  COutEdv* EditPane();
  SECTabWnd* TabWnd() const { return tabs_; }
  OutputFindDialog* FindDialog() const { return findDialog_; }

 protected:
  void resizeEvent(QResizeEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;

 private:
  COutView* ActiveView() const;
  // The command page is in front and its lines are reachable.
  bool CommandPageActive() const;

  ShellServices& shell_;
  std::unique_ptr<CommandTarget> commands_;
  SECTabWnd* tabs_;
  COutView* build_;
  QWidget* command_;
  COutView* find_;
  COutEdv* edit_ = nullptr;
  MessageJumpTarget* jump_ = nullptr;  // given to the edit pane when made
  OutputFindDialog* findDialog_ = nullptr;
  PageLines commandLines_;
  std::function<QMenu*()> barMenu_;
};

}  // namespace pm2
