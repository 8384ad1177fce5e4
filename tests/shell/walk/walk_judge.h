// The walk's own account of what the user asked for, taken from the
// windows as the user met them before a step, and the outcome judged
// against it after the step (walk_outcomes.h): the texts the editors held
// against the files their saves wrote, the row clicked in the Breakpoints
// dialog against the rows and breakpoints left, the word a Watch row was
// asked for against the rows shown, the line typed into Go to Line
// against the caret.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "debugger/dialogs/breakpoints_check_list.h"
#include "debugger/session/debug_session.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/watch_window.h"
#include "driver_abi/debug_records.h"
#include "editor/ide/editor_view.h"
#include "shell/frame/frame_fixture.h"
#include "walk_outcomes.h"

namespace pm2::test {

class WalkJudge {
 public:
  // The first fault a judge found since the last Take ("" none).
  std::string Take() { return std::exchange(m_fault, std::string()); }

  // ---- saves ----
  // A chain of steps begins: each open editor's text as the user left it,
  // and what its file held then where the text was changed.
  void StepBegins(CMainFrame* frame) {
    m_held.clear();
    for (EditorDocument* doc : frame->Editors().Documents().Documents()) {
      Held h{doc, doc->Path(), doc->Text().GetText(), doc->IsModified(), {}};
      if (h.modified) h.disk = Read(h.path);
      m_held.push_back(std::move(h));
    }
  }
  // After the chain and its checks: a text the step saved (changed before,
  // not now; or under another name) is on disk as its editor holds it, and
  // one closed after a save (its file written since) as its editor held it.
  void SavesJudged(CMainFrame* frame) {
    const std::vector<EditorDocument*> open = frame->Editors().Documents().Documents();
    for (const Held& h : m_held) {
      EditorDocument* still = nullptr;
      for (EditorDocument* doc : open)
        if (doc == h.doc) still = doc;
      if (still) {
        // Changed before and not now, its file written meanwhile (an Undo
        // back to the text saved leaves the file as it was).
        const bool saved = still->Path() != h.path || (h.modified && !still->IsModified() && Read(h.path) != h.disk);
        if (saved && !still->IsModified() && !still->Path().empty())
          Note(JudgeSaved(still->Path(), still->Text().GetText(), Read(still->Path())));
      } else if (h.modified && !h.path.empty()) {
        if (const std::string disk = Read(h.path); disk != h.disk) Note(JudgeSaved(h.path, h.text, disk));
      }
    }
  }

  // ---- Go to Line ----
  // The line typed into Go to Line and Go To pressed: the caret of the
  // editor in front stands on it.
  void LineJudged(CMainFrame* frame, long asked) {
    EditorView* view = frame->Editors().Active();
    if (!view) return;
    Note(JudgeCaretLine(asked, view->Document().Text().GetLineCount(), view->Engine().State().nCaretLine));
  }
  // A line inside the file in front, for a road: 1 + `pick` modulo its lines.
  static long LineInside(CMainFrame* frame, unsigned pick) {
    EditorView* view = frame->Editors().Active();
    const long lines = view ? long(view->Document().Text().GetLineCount()) : 1;
    return 1 + long(pick % unsigned(std::max(1L, lines)));
  }

  // ---- Watch rows added from the editor's menu ----
  void BeforeWatchItem(const std::string& item) {
    m_watchPage = WatchItemAsked(item, &m_watchWord);
    if (m_watchPage) Rows(m_watchBefore);
  }
  // In a session the row is added at once, running or not.
  void AfterWatchItem(DebugSession& session) {
    const int page = std::exchange(m_watchPage, 0);
    if (!page || !session.SessionActive()) return;
    std::vector<std::string> after[2];
    if (!Rows(after)) return;
    Note(JudgeWatchAdded(m_watchWord, page, m_watchBefore, after));
  }

  // ---- a row chosen before a window's buttons ----
  // Before a window's own button: a row of its breakpoint list clicked (the
  // last, so that a neighbour's removal shows), as a user selects it first;
  // the rows noted where the button acts on the row.
  void BeforeButton(QAbstractButton& b, DebugSession& session) {
    m_list = nullptr;
    auto* list = b.window()->findChild<BpCheckList*>();
    if (!list || !list->isVisible() || list->Count() == 0) return;
    const int row = list->Count() - 1;
    if (list->Selected() != row) {
      const QRect line = list->LineRect(row);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(list->BoxRect(row).right() + 20, line.center().y()));
    }
    if (Plain(b) != "Kill Selected" || list->Selected() != row) return;
    m_list = list;
    m_row = row;
    m_rows.clear();
    for (int i = 0; i < list->Count(); ++i)
      m_rows.push_back({list->At(i).text, reinterpret_cast<uintptr_t>(list->At(i).data)});
    m_session = &session;
  }
  void AfterButton() {
    if (!m_list) return;
    std::vector<std::string> shown;
    for (int i = 0; i < m_list->Count(); ++i) shown.push_back(m_list->At(i).text);
    std::vector<uintptr_t> kept;
    DebugInterface* r = m_session->Record();
    if (r && r->DbgBreakpointList) {
      auto* bp = reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
      for (int n = 0; bp && n < 1000; bp = bp->next, ++n) kept.push_back(reinterpret_cast<uintptr_t>(bp));
    }
    Note(JudgeKillSelected(m_rows, m_row, shown, kept));
    m_list = nullptr;
  }

 private:
  struct Held {
    EditorDocument* doc;
    std::string path, text;
    bool modified;
    std::string disk;  // the file as it was, where the text was changed
  };
  void Note(const std::string& why) {
    if (m_fault.empty()) m_fault = why;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static std::string Plain(const QAbstractButton& b) {
    QString t = b.text();
    t.remove('&');
    return t.trimmed().toStdString();
  }
  // The rows of the two watch pages as the windows show them; false where
  // no watch window is there.
  bool Rows(std::vector<std::string> out[2]) {
    DebugBarWindow* bar = nullptr;
    for (QWidget* w : QApplication::allWidgets())
      if (auto* b = dynamic_cast<DebugBarWindow*>(w)) bar = b;
    if (!bar) return false;
    for (int list = 0; list < 2; ++list) out[list] = bar->Watch(list + 1)->Model().Expressions();
    return true;
  }

  std::string m_fault;
  std::vector<Held> m_held;
  std::string m_watchWord;
  int m_watchPage = 0;
  std::vector<std::string> m_watchBefore[2];
  QPointer<BpCheckList> m_list;
  int m_row = -1;
  std::vector<ListRow> m_rows;
  DebugSession* m_session = nullptr;
};

}  // namespace pm2::test
