#include "shell/output/out_win.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "builder/runner/output_lines.h"
#include "shell/output/find_dialog.h"
#include "shell/output/out_edv.h"
#include "shell/output/out_view.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/commands.h"
#include "toolkit/controls/tab_windows.h"

namespace pm2 {
namespace {

// The pages in tab order with their captions.
constexpr const char* kPageCaptions[] = {"Build", "Command", "Find in Files"};

}  // namespace

COutWin::COutWin(BuildLog* log, ShellServices& shell, QWidget* parent)
    : QWidget(parent),
      shell_(shell),
      commands_(std::make_unique<CommandTarget>()),
      tabs_(new SECTabWnd(this, 0x2, kTabWndId)),
      build_(new COutView(PaneKind::kBuild, log, shell)),
      command_(new QWidget),
      find_(new COutView(PaneKind::kFindInFiles, nullptr, shell)) {
  setWindowTitle(Caption());
  // The command page belongs to the debugger; until it exists the page is
  // an empty window of the pane's colour.
  command_->setAutoFillBackground(true);
  QPalette palette = command_->palette();
  palette.setColor(QPalette::Window, SysQColor(SysColor::Window));
  command_->setPalette(palette);
  command_->setFocusPolicy(Qt::StrongFocus);
  QWidget* pages[] = {build_, command_, find_};
  for (int i = 0; i < 3; ++i) {
    tabs_->AddTab(pages[i], kPageCaptions[i]);
    // The command page scrolls with bars of its own: the shared pair
    // would stand empty beside them.
    tabs_->SetScrollStyle(i, i == kCommandPage ? 0u : kPaneHScroll | kPaneVScroll);
  }
  tabs_->ActivateTab(kBuildPage);

  commands_->OnCommand(kCmdCopy, [this](CommandId) { OnCopy(); });
  commands_->OnUpdate(kCmdCopy, [this](CommandState& s) { s.Enable(CanCopy()); });
  commands_->OnCommand(kCmdFind, [this](CommandId) { OnFind(); });
  commands_->OnUpdate(kCmdFind, [this](CommandState& s) { s.Enable(CanFind()); });
}

COutWin::~COutWin() {
  // The tab window never owns its panes: it lets them go, then they are
  // deleted, the build pane closing an open log as it goes.
  delete tabs_;
  delete build_;
  delete command_;
  delete find_;
}

void COutWin::resizeEvent(QResizeEvent*) { tabs_->setGeometry(rect()); }

void COutWin::OutputText(const char* text) { build_->AppendOutputLine(text); }
void COutWin::OutputText2(const char* text) { find_->AppendOutputLine(text); }

void COutWin::SelectPage(int page) { tabs_->ActivateTab(page); }

int COutWin::ActivePage() const {
  int index = -1;
  return tabs_->GetActiveTab(&index) ? index : -1;
}

void COutWin::SetJumpListener(MessageJumpTarget* listener) {
  build_->SetJumpTarget(listener);
  find_->SetJumpTarget(listener);
  jump_ = listener;
  if (edit_) edit_->SetJumpTarget(listener);
}

COutEdv* COutWin::EditPane() {
  // Shown only on demand: not made with the window.
  if (!edit_) {
    edit_ = new COutEdv(shell_, this);
    edit_->hide();
    if (jump_) edit_->SetJumpTarget(jump_);
  }
  return edit_;
}

void COutWin::ApplyFont(const QFont* font) {
  build_->ApplyFont(font);
  find_->ApplyFont(font);
}

COutView* COutWin::ActiveView() const {
  // The pages with lines to copy and search, by tab index; the command
  // page has none of its own yet.
  COutView* const views[] = {build_, nullptr, find_};
  const int page = ActivePage();
  return page >= 0 && page < 3 ? views[page] : nullptr;
}

bool COutWin::CommandPageActive() const {
  return ActivePage() == kCommandPage && commandLines_.lines && commandLines_.firstSelected &&
         commandLines_.selectOnly && commandLines_.canCopy && commandLines_.copy;
}

bool COutWin::CanCopy() const {
  if (CommandPageActive()) return commandLines_.canCopy();
  const COutView* view = ActiveView();
  return view && view->Model().SelectedCount() > 0;
}

bool COutWin::OnCopy() {
  if (CommandPageActive()) {
    if (!commandLines_.canCopy()) return false;
    commandLines_.copy();
    return true;
  }
  COutView* view = ActiveView();
  return view && view->Copy();
}

bool COutWin::CanFind() const { return CommandPageActive() || ActiveView() != nullptr; }

void COutWin::OnFind() {
  if (!CanFind()) return;
  if (!findDialog_) {
    findDialog_ = new OutputFindDialog(this, [this](const std::string& text, const FindOptions& options) {
      if (CommandPageActive()) {
        const int hit = FindOutputLine(commandLines_.lines(), commandLines_.firstSelected(), text, options, shell_);
        if (hit >= 0) commandLines_.selectOnly(hit);
      } else if (COutView* view = ActiveView()) {
        view->FindNext(text, options);
      }
    });
  }
  findDialog_->Open();
}

void COutWin::AddContextMenuEntries(QMenu& menu) {
  menu.addSeparator();
  QAction* copy = menu.addAction("&Copy", this, [this] { commands_->Execute(kCmdCopy); });
  copy->setEnabled(CanCopy());
  menu.addSeparator();
  QAction* find = menu.addAction("&Find...", this, [this] { commands_->Execute(kCmdFind); });
  find->setEnabled(CanFind());
}

QMenu* COutWin::BarMenu() {
  QMenu* menu = barMenu_ ? barMenu_() : nullptr;
  return menu ? menu : new QMenu(this);
}

QMenu* COutWin::ContextMenu() {
  QMenu* menu = BarMenu();
  AddContextMenuEntries(*menu);
  return menu;
}

void COutWin::contextMenuEvent(QContextMenuEvent* e) {
  std::unique_ptr<QMenu> menu(ContextMenu());
  menu->exec(e->globalPos());
}

}  // namespace pm2
