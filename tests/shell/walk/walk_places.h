// The places of the windows where a user opens a context menu with
// something selected, each made ready the way a user makes it ready (the
// page's tab clicked, a row clicked, the caret put on a line with code),
// then right-clicked: the button pressed and released on the widget under
// the point (a list selects its row there), then the context menu event,
// which goes up the parents until one takes it, as Qt hands on a user's.
//
//   code            the active editor, in a session, on the first word of
//                   the first line with code
//   code@counter    on the first line with code that holds "counter"
//   locals, watch1, watch2, call-stack
//                   the debug bar's page, its first row (a watch page's
//                   first expression)
//   symbols, coverage, toolbox
//                   the dialog's list (its first row), the tool box's
//                   first button
//   memory-value    the memory window's first value
//   build-page, find-page, command-lines
//                   the output window's page, its first line
//   command-input   the Command page's line, a text typed there selected
//   doc-tabs        the active document's tab (Workbook Mode)
#pragma once

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "debugger/dialogs/coverage_dialog.h"
#include "debugger/dialogs/symbols_dialog.h"
#include "debugger/dialogs/tool_box.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/call_stack_window.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/memory_window.h"
#include "debugger/windows/watch_window.h"
#include "editor/ide/editor_view.h"
#include "editor/text/edit_line.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/main_frame.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/docking/workbook_layout.h"
#include "toolkit/frames/mdi_child.h"

namespace pm2::test {

// The first shown widget of a kind (in a steady order: its object's name).
template <class T>
T* FirstShown() {
  T* first = nullptr;
  for (QWidget* w : QApplication::allWidgets())
    if (auto* t = dynamic_cast<T*>(w); t && w->isVisible() && (!first || w->objectName() < first->objectName()))
      first = t;
  return first;
}

// A right click where a user makes it: on the widget under the point.
inline void RightClickAt(QWidget* w, QPoint at) {
  QWidget* to = w->childAt(at);
  if (to) at = to->mapFrom(w, at);
  else to = w;
  const QPointer<QWidget> alive(to);
  QTest::mousePress(to, Qt::RightButton, {}, at);
  if (alive) QTest::mouseRelease(to, Qt::RightButton, {}, at);
  if (!alive || !alive->isVisible()) return;
  QContextMenuEvent e(QContextMenuEvent::Mouse, at, to->mapToGlobal(at));
  QApplication::sendEvent(to, &e);
}

// A point on row `row` of a list or tree control, found by its own hit
// test (no font's measure); (-1, -1) when the row is not in sight.
inline QPoint RowPoint(QWidget* w, SECListBaseC& list, int row) {
  for (int x : {20, w->width() / 4, w->width() / 2})
    for (int y = 0; y < w->height(); ++y) {
      unsigned flags = 0;
      int column = -1;
      if (list.HitTest(x, y, &flags, &column) == row) return QPoint(x, y + 1);
    }
  return QPoint(-1, -1);
}

// A word a user may right-click: an identifier that is no keyword.
inline bool IsWordStart(const std::string& text, size_t at) {
  const auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  return word(text[at]) && !std::isdigit(static_cast<unsigned char>(text[at])) && (at == 0 || !word(text[at - 1]));
}
inline std::string WordAt(const std::string& text, size_t at) {
  size_t end = at;
  while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
  return text.substr(at, end - at);
}
inline bool IsKeyword(const std::string& word) {
  static const std::set<std::string> kKeywords = {"int",    "void",   "char",  "long",  "short", "unsigned",
                                                  "signed", "static", "const", "for",   "while", "if",
                                                  "else",   "return", "struct", "volatile", "do", "switch"};
  return kKeywords.count(word) != 0;
}

// The line (1-based) and byte of a word on a line with code of the view:
// `wanted` there, or (empty) the first word of the first such line; false
// when the view has no line with code (no session, no line information).
inline bool CodeWord(EditorView& view, const std::string& wanted, int* line, size_t* at, std::string* word) {
  CEditTextBuffer& text = view.Text();
  for (int n = 1; n <= text.GetLineCount(); ++n) {
    const CEditLine* l = text.GetLine(n);
    if (!l || !(l->m_nFlags & kLineHasCode)) continue;
    const std::string s = l->m_text.substr(0, size_t(text.ContentLength(l)));
    for (size_t i = 0; i < s.size(); ++i) {
      if (!IsWordStart(s, i)) continue;
      const std::string w = WordAt(s, i);
      if (wanted.empty() ? !IsKeyword(w) : w == wanted) {
        *line = n;
        *at = i;
        *word = w;
        return true;
      }
    }
  }
  return false;
}

class WalkPlaces {
 public:
  explicit WalkPlaces(CMainFrame* frame) : m_frame(frame) {}

  // The places a user can right-click now.
  std::vector<std::string> Available() {
    std::vector<std::string> out;
    for (const char* name : {"code", "locals", "watch1", "watch2", "call-stack", "symbols", "coverage", "toolbox",
                             "memory-value", "build-page", "find-page", "command-lines", "command-input",
                             "doc-tabs"})
      if (Ready(name, false)) out.push_back(name);
    return out;
  }
  static bool IsPlace(const std::string& name) {
    static const std::set<std::string> kNames = {"code",   "locals",       "watch1",     "watch2",    "call-stack",
                                                 "symbols", "coverage",    "toolbox",    "memory-value",
                                                 "build-page", "find-page", "command-lines", "command-input",
                                                 "doc-tabs"};
    return kNames.count(name.substr(0, name.find('@'))) != 0;
  }
  // Made ready, then right-clicked; false when the place is not there.
  bool Open(const std::string& name) {
    if (!Ready(name, true)) return false;
    RightClickAt(m_widget, m_at);
    return true;
  }

 private:
  bool InSession() const { return m_frame->Debugger()->Session().SessionActive(); }

  // Whether the place is there; with `make`, made ready and its widget and
  // point set.
  bool Ready(const std::string& name, bool make) {
    m_widget = nullptr;
    const size_t atSign = name.find('@');
    const std::string kind = name.substr(0, atSign);
    if (kind == "code") return Code(atSign == std::string::npos ? "" : name.substr(atSign + 1), make);
    static const std::map<std::string, int> kBarPages = {{"locals", DebugBarWindow::kLocals},
                                                         {"watch1", DebugBarWindow::kWatch1},
                                                         {"watch2", DebugBarWindow::kWatch2},
                                                         {"call-stack", DebugBarWindow::kCallStack}};
    if (const auto page = kBarPages.find(kind); page != kBarPages.end()) return BarPage(page->second, make);
    if (kind == "symbols") {
      auto* d = FirstShown<SymbolsDialog>();
      return d && List(d->List(), 0, make);
    }
    if (kind == "coverage") {
      auto* d = FirstShown<CoverageDialog>();
      return d && d->Tree() && List(d->Tree(), 0, make);
    }
    if (kind == "toolbox") {
      auto* box = FirstShown<ToolBox>();
      if (!box || !box->UpdateButton() || !box->UpdateButton()->isVisible()) return false;
      return Place(box->UpdateButton(), box->UpdateButton()->rect().center(), make);
    }
    if (kind == "memory-value") {
      auto* page = FirstShown<MemoryPage>();
      return page && page->Valid() && Place(page, page->FirstValueCentre(), make);
    }
    if (kind == "build-page" || kind == "find-page" || kind == "command-lines") return OutputPage(kind, make);
    if (kind == "command-input") return CommandInput(make);
    if (kind == "doc-tabs") return DocumentTab(make);
    return false;
  }
  bool Place(QWidget* w, QPoint at, bool make) {
    if (!w || at.x() < 0 || !w->rect().contains(at)) return false;
    if (make) m_widget = w, m_at = at;
    return true;
  }

  // The editor (the active one, else the first with the word), brought
  // to the front as a click on it does; the caret on the word (inside it),
  // the line in sight.
  bool Code(const std::string& wanted, bool make) {
    if (!InSession()) return false;
    std::vector<EditorView*> views = {m_frame->Editors().Active()};
    for (EditorDocument* doc : m_frame->Editors().Documents().Documents())
      views.push_back(m_frame->Editors().ViewOf(doc));
    EditorView* view = nullptr;
    int line = 0;
    size_t at = 0;
    std::string word;
    for (EditorView* v : views)
      if (v && CodeWord(*v, wanted, &line, &at, &word)) {
        view = v;
        break;
      }
    if (!view) return false;
    if (!make) return true;
    if (view != m_frame->Editors().Active())
      if (SECWorksheetWnd* sheet = m_frame->Editors().SheetOf(&view->Document())) {
        m_frame->MdiClient()->setActiveSubWindow(sheet);
        QApplication::processEvents();
      }
    const CEditLine* l = view->Text().GetLine(line);
    view->setFocus();
    view->GotoLineCentered(line, view->Text().IndexToColumn(l, int(at + word.size() / 2)));
    const EditEngine::ClientPoint p = view->Engine().CaretClientPoint();
    const QPoint inView = view->viewport()->mapTo(view, QPoint(p.x + 1, p.y + view->Engine().State().nLineHeight / 2));
    return Place(view, inView, true);
  }

  // The page's tab clicked, its first row (a watch page's first
  // expression, not the row that waits for one) right-clicked.
  bool BarPage(int page, bool make) {
    auto* bar = FirstShown<DebugBarWindow>();
    if (!bar || !InSession()) return false;
    if (!make) return true;
    bar->ActivatePage(page);
    QApplication::processEvents();
    SECTreeCtrl* tree = page == DebugBarWindow::kCallStack ? static_cast<SECTreeCtrl*>(bar->CallStack())
                                                            : static_cast<SECTreeCtrl*>(bar->Watch(page));
    int row = 0;
    if (page != DebugBarWindow::kCallStack)
      for (int r = 0; r < tree->GetItemCount(); ++r)
        if (!bar->Watch(page)->RowOf(tree->GetItemAtRow(r)) ||
            !bar->Watch(page)->RowOf(tree->GetItemAtRow(r))->placeholder) {
          row = r;
          break;
        }
    return List(tree, row, true) || Place(tree, tree->rect().center(), true);
  }

  // A list or tree control: on its row, or its middle when it has none.
  template <class L>
  bool List(L* list, int row, bool make) {
    if (!list || !list->isVisible()) return false;
    if (!make) return true;
    const QPoint at = list->GetItemCount() > row ? RowPoint(list, *list, row) : QPoint(-1, -1);
    return Place(list, at.x() >= 0 ? at : list->rect().center(), true);
  }

  // The output window's page in front (its tab clicked), its first line
  // clicked (selected), then right-clicked there.
  bool OutputPage(const std::string& kind, bool make) {
    COutWin* out = m_frame->Output();
    if (!out || !out->isVisible()) return false;
    CommandWindow* command = m_frame->Debugger()->CommandPage();
    if (kind == "command-lines" && (!command || !command->OutputList())) return false;
    if (!make) return true;
    const int page = kind == "build-page" ? COutWin::kBuildPage : kind == "find-page" ? COutWin::kFindPage
                                                                                        : COutWin::kCommandPage;
    out->SelectPage(page);
    QApplication::processEvents();
    QWidget* lines = kind == "command-lines" ? command->OutputList()
                                             : static_cast<QWidget*>(page == COutWin::kBuildPage ? out->BuildPane()
                                                                                                 : out->FindPane());
    if (!lines->isVisible()) return false;
    const QPoint first(10, 3);
    QTest::mouseClick(lines, Qt::LeftButton, {}, first);
    return Place(lines, first, true);
  }

  // The Command page in front, a word typed into its line and selected
  // (what the line's own menu cuts, copies or deletes).
  bool CommandInput(bool make) {
    COutWin* out = m_frame->Output();
    CommandWindow* command = m_frame->Debugger()->CommandPage();
    if (!out || !out->isVisible() || !command || !command->Input()) return false;
    if (!make) return true;
    out->SelectPage(COutWin::kCommandPage);
    QApplication::processEvents();
    QLineEdit* line = command->Input();
    if (!line->isVisible()) return false;
    QTest::mouseClick(line, Qt::LeftButton, {}, line->rect().center());
    if (line->text().isEmpty()) QTest::keyClicks(line, "counter");
    line->selectAll();
    return Place(line, line->rect().center(), true);
  }

  // The tab of the active window of the editor area (a document, the
  // disassembly, a serial window), where Workbook Mode shows the tabs.
  bool DocumentTab(bool make) {
    if (!m_frame->IsWorkbookMode() || !m_frame->MdiClient()) return false;
    auto* sheet = dynamic_cast<SECWorksheetWnd*>(m_frame->MdiClient()->activeSubWindow());
    TabPolygon tab;
    if (!sheet || !m_frame->GetTabPolygon(sheet, &tab)) return false;
    const Rect r = WorkbookTabBounds(tab);
    return Place(m_frame, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2), make);
  }

  CMainFrame* m_frame;
  QWidget* m_widget = nullptr;
  QPoint m_at;
};

}  // namespace pm2::test
