// The walk's own account of what the user asked for, taken from the
// windows as the user met them before a step, and the outcome judged
// against it after the step (walk_outcomes.h): the texts the editors held
// against the files their saves wrote, the row clicked in the Breakpoints
// dialog against the rows and breakpoints left, the word a Watch row was
// asked for against the rows shown, the line typed into Go to Line
// against the caret, the matches of the editor's text against what Find
// Next, Replace and Replace All did with them, the caret's line against
// the marks a bookmark or breakpoint toggled (walk_text_outcomes.h).
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "debugger/dialogs/breakpoints_check_list.h"
#include "debugger/session/debug_session.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/watch_window.h"
#include "driver_abi/debug_records.h"
#include "editor/engine/edit_commands.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/find_dialog.h"
#include "editor/text/edit_line.h"
#include "shell/frame/frame_fixture.h"
#include "toolkit/models/list_engine.h"
#include "walk_outcomes.h"
#include "walk_text_outcomes.h"

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
    m_ran.clear();
    m_steps = 0;
    std::set<const EditorDocument*> typed;
    for (EditorDocument* doc : frame->Editors().Documents().Documents()) {
      // (A new text's path is its title, "Text1": it has no file yet.)
      Held h{doc, doc->Path(), doc->Title(), doc->Text().GetText(), doc->IsModified(), IsFile(doc->Path()), false, {}};
      // Typed into by the walk and not yet in its file: changed, whatever
      // the program's mark says.
      if (m_typedInto.count(doc) && h.hasFile && Read(h.path) != h.text) h.typed = true, typed.insert(doc);
      if (h.modified || h.typed) h.disk = Read(h.path);
      m_held.push_back(std::move(h));
    }
    m_typedInto = std::move(typed);
  }
  // Whether a text's path names a file: a new text's path is its title
  // ("Text1"), which names none even where a file of that name lies in the
  // folder the program started in.
  static bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && path[0] == '/' && std::filesystem::is_regular_file(path, ec);
  }
  // The walk's own keys changed the text of `doc` (a step "keys:"): from
  // now on it is a changed text until its file holds it.
  void TextTyped(const EditorDocument* doc) { m_typedInto.insert(doc); }
  // Each step of the chain (a step given at once joins the one before).
  void StepTaken() { ++m_steps; }
  // After the chain and its checks: a text saved is on disk as its editor
  // holds it, judged from what the user asked: Save (of the text in front)
  // or Save All given alone and answered without a message, a question
  // "Save changes to '<title>' ?" answered Yes when its text closed, a
  // text under another name (Save As); and where the program says a text
  // is saved now (changed before, not now), or a closed one's file was
  // written since.
  // The program's own files (`ownFiles`: the open project's, its
  // settings), which it writes itself too (the checks' Save All among
  // them), are left out: a text of one of them saved by its editor is the
  // program's again after its next write.
  void SavesJudged(CMainFrame* frame, const std::vector<std::string>& boxes,
                   const std::vector<std::string>& answeredWith, const std::vector<std::string>& ownFiles) {
    const std::vector<EditorDocument*> open = frame->Editors().Documents().Documents();
    std::set<std::string> own;
    for (const std::string& f : ownFiles) own.insert(SameFile(f));
    for (const Held& h : m_held) {
      if (h.hasFile && own.count(SameFile(h.path))) continue;
      EditorDocument* still = nullptr;
      for (EditorDocument* doc : open)
        if (doc == h.doc) still = doc;
      // (Saved under one of those names too.)
      if (still && own.count(SameFile(still->Path()))) continue;
      SaveSeen seen;
      seen.changedBefore = h.modified;
      // (Over a chain, its other steps may have changed the text again
      // before it closed: what it held then is not known.)
      seen.typedBefore = h.typed && m_steps == 1;
      seen.hasFile = h.hasFile;
      seen.closed = !still;
      seen.renamed = still && still->Path() != h.path && IsFile(still->Path());
      seen.saveAsked = SaveAsked(h.doc);
      seen.messages = !boxes.empty();
      seen.asked = SaveQuestioned(h.title, boxes, answeredWith, nullptr);
      seen.answeredYes = SaveQuestioned(h.title, boxes, answeredWith, "Yes");
      seen.saysChanged = still && still->IsModified();
      seen.fileWritten = (h.modified || h.typed) && Read(h.path) != h.disk;
      const std::string because = SavedBecause(seen);
      if (because.empty()) continue;
      if (still)
        Note(JudgeSaved(still->Path(), still->Text().GetText(), Read(still->Path()), because));
      else
        Note(JudgeSaved(h.path, h.text, Read(h.path), because));
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

  // ---- a mark toggled on the caret's line ----
  // Before a command: where it toggles a mark on the caret's line (a
  // bookmark; a breakpoint outside a debug session, where the editor keeps
  // it), that line and the lines marked.
  void BeforeCommand(CMainFrame* frame, CommandId id) {
    m_command = {id, frame->QueryCommand(id).enabled ? frame->Editors().ActiveDocument() : nullptr,
                 frame->QueryCommand(id).enabled};
    m_markView = nullptr;
    EditorView* view = frame->Editors().Active();
    const bool session = frame->Debugger()->Session().SessionActive();
    // The lines that carry every bit of the mark: a bookmark, a breakpoint,
    // an enabled breakpoint.
    const uint32_t flag = id == CommandId(kCmdToggleBookmark) ? uint32_t(kLineBookmark)
                          : id == 35012 && !session       ? uint32_t(kLineBreakSet)
                          : id == 35017 && !session       ? uint32_t(kLineBreakSet | kLineBreakEnabled)
                                                          : 0u;
    if (!view || !flag || !frame->QueryCommand(id).enabled) return;
    m_markView = view;
    m_markFlag = flag;
    m_markLine = view->Engine().State().nCaretLine;
    m_marksBefore = Marked(*view, flag);
    m_breakpointsBefore = Marked(*view, kLineBreakSet);
  }
  // After it: the mark turned over on that line alone (`refused`: the
  // program said why it could not); an enabled state turned over leaves
  // every breakpoint where it was.
  void AfterCommand(bool ran, bool refused) {
    if (ran && m_command.enabled) m_ran.push_back(m_command);
    if (!m_markView || !ran) return void(m_markView = nullptr);
    const bool enable = m_markFlag == (kLineBreakSet | kLineBreakEnabled);
    Note(JudgeLineToggled(m_markFlag == kLineBookmark ? "a bookmark"
                          : enable                    ? "a breakpoint's enabled state"
                                                      : "a breakpoint",
                          m_markLine, m_marksBefore, Marked(*m_markView, m_markFlag), refused));
    if (enable && Marked(*m_markView, kLineBreakSet) != m_breakpointsBefore)
      Note("Enable/Disable Breakpoint on line " + std::to_string(m_markLine) +
           " changed which lines have a breakpoint");
    m_markView = nullptr;
  }

  // ---- Find Next, Replace and Replace All ----
  // The search as the dialog shows it when its button is pressed.
  static FindAsked AskedOf(EditFindDialog& d) {
    FindAsked a;
    a.pattern = d.FindCombo()->currentText().toStdString();
    if (d.ReplaceCombo()) a.with = d.ReplaceCombo()->currentText().toStdString();
    a.matchCase = d.MatchCaseBox()->isChecked();
    a.regex = d.RegexBox()->isChecked();
    a.wrap = d.WrapBox()->isChecked();
    return a;
  }
  static TextAt At(EditView& view, EditPos p) {
    return {p.pLine ? long(view.Text().LineNumber(p.pLine)) : 1L, long(p.nIndex)};
  }
  // Find Next pressed in `d` over `view`: the next match selected; the
  // match it found (for a Replace after it) in *found. `passBegins`: the
  // first search in the dialog opened again, which ends no pass.
  bool FindNextJudged(EditFindDialog& d, EditView& view, std::optional<TextAt>* found, bool passBegins = false) {
    found->reset();
    const FindAsked a = AskedOf(d);
    const std::string text = view.Text().GetText();
    EditPos s, e;
    bool column = false;
    const bool had = view.Engine().HasSelection() && view.Engine().GetSelection(&s, &e, &column);
    const TextAt from = had ? At(view, e) : At(view, view.Engine().CaretPos());
    // Searched upwards or from a column block: not the model's search.
    // (The replace dialog always searches down, whatever its hidden
    // direction says.)
    const bool judged = !column && (d.IsReplace() || !(d.UpButton() && d.UpButton()->isChecked()));
    const QPointer<EditFindDialog> alive(&d);
    PressButton(d, "Find Next");
    const bool selected = view.Engine().HasSelection() && view.Engine().GetSelection(&s, &e, &column);
    if (judged) Note(JudgeFindNext(text, a, from, selected, At(view, s), At(view, e), passBegins));
    if (selected && !column) *found = At(view, s);
    return !alive.isNull();
  }
  // Replace or Replace All pressed: exactly the matches asked for replaced;
  // the replacement undone again (Ctrl+Z in the editor), and the text then
  // as it was. False when the dialog closed.
  bool ReplaceJudged(EditFindDialog& d, EditView& view, bool all, std::optional<TextAt> selected) {
    const FindAsked a = AskedOf(d);
    const std::string before = view.Text().GetText();
    const bool readOnly = view.Text().IsReadOnly();
    const QPointer<EditFindDialog> alive(&d);
    if (!PressButton(d, all ? "Replace All" : "Replace")) return !alive.isNull();
    const std::string after = view.Text().GetText();
    if (all)
      Note(JudgeReplaceAll(before, a, readOnly, after));
    else if (selected)
      Note(JudgeReplaceOne(before, a, *selected, readOnly, after));
    else if (after != before && FindJudgeable(a))
      Note(Asked("Replace", a) + " with no match selected changed the text: " + LineDifference(before, after));
    if (after != before) {
      view.setFocus();
      QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
      if (const std::string back = view.Text().GetText(); back != before)
        Note(std::string(all ? "Replace All" : "Replace") + " undone left the text other than it was: " +
             LineDifference(before, back));
    }
    return !alive.isNull();
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
    RowChosen(*b.window());
    BpCheckList* list = BreakpointList(*b.window());
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
  // The breakpoint list of a window, or null. Known by its class itself:
  // it declares no meta-object of its own, so Qt's findChild takes the
  // first scroll area of any kind (a text field, another list) for it.
  static BpCheckList* BreakpointList(QWidget& window) {
    for (QWidget* w : window.findChildren<QWidget*>())
      if (auto* list = dynamic_cast<BpCheckList*>(w)) return list;
    return nullptr;
  }
  // Each other list, tree or table of the window with rows and none
  // selected: its last row clicked (the first column), as a user chooses
  // the row a button is to act on.
  static void RowChosen(QWidget& window) {
    std::vector<QPointer<QAbstractItemView>> views;
    for (QAbstractItemView* v : window.findChildren<QAbstractItemView*>()) views.push_back(v);
    for (const QPointer<QAbstractItemView>& v : views) {
      if (!v || v->window() != &window || !v->isVisible() || !v->isEnabled() || !v->model() ||
          qobject_cast<QHeaderView*>(v) || v->selectionMode() == QAbstractItemView::NoSelection ||
          (v->selectionModel() && v->selectionModel()->hasSelection()))
        continue;
      const int rows = v->model()->rowCount(v->rootIndex());
      if (rows == 0) continue;
      const QModelIndex last = v->model()->index(rows - 1, 0, v->rootIndex());
      v->scrollTo(last);
      const QRect r = v->visualRect(last);
      if (r.isValid()) QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
    }
    // And the lists and trees of the program's own toolkit (the symbols,
    // the memory map, the analyser's ranges, the coverage tree, the
    // device tree): a click on the last row's label.
    std::vector<QPointer<QWidget>> own;
    for (QWidget* w : window.findChildren<QWidget*>())
      if (dynamic_cast<SECListBaseC*>(w)) own.push_back(w);
    for (const QPointer<QWidget>& w : own) {
      auto* list = w ? dynamic_cast<SECListBaseC*>(w.data()) : nullptr;
      if (!list || w->window() != &window || !w->isVisible() || !w->isEnabled() || list->GetItemCount() == 0 ||
          list->GetSelectedCount() > 0)
        continue;
      const int last = list->GetItemCount() - 1;
      list->EnsureVisible(last);
      QApplication::processEvents();
      Rect r;
      if (!list->GetItemRect(last, &r, 2 /* the label */) || r.right <= r.left) continue;
      QTest::mouseClick(w, Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
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
    std::string path, title, text;
    bool modified;
    bool hasFile;      // its path names a file
    bool typed;        // changed by the walk's keys since its file held it
    std::string disk;  // the file as it was, where the text was changed
  };
  // A command the chain ran enabled, with the text in front when it ran.
  struct Ran {
    CommandId id = 0;
    EditorDocument* front = nullptr;
    bool enabled = false;
  };
  // Whether the chain, a step alone, was the user's Save of that text or
  // Save All.
  bool SaveAsked(const EditorDocument* doc) const {
    if (m_steps != 1 || m_ran.size() != 1) return false;
    return m_ran.front().id == cmd::kSaveAll || (m_ran.front().id == cmd::kFileSave && m_ran.front().front == doc);
  }
  // Whether the question to save the text of that title came up (answered
  // with `answer`, where one is named).
  static bool SaveQuestioned(const std::string& title, const std::vector<std::string>& boxes,
                             const std::vector<std::string>& answeredWith, const char* answer) {
    const std::string question = "Save changes to '" + title + "' ?";
    for (size_t i = 0; i < boxes.size() && i < answeredWith.size(); ++i)
      if (boxes[i] == question && (!answer || answeredWith[i] == answer)) return true;
    return false;
  }
  void Note(const std::string& why) {
    if (m_fault.empty()) m_fault = why;
  }
  static std::string SameFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
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
  // The lines (1-based) that carry every bit of the flag.
  static std::vector<long> Marked(EditorView& view, uint32_t flag) {
    std::vector<long> out;
    long n = 1;
    for (const CEditLine* p = view.Document().Text().FirstLine(); p; p = p->m_pNext, ++n)
      if ((p->m_nFlags & flag) == flag) out.push_back(n);
    return out;
  }
  // Presses the dialog's enabled button of that text; false where it has
  // none.
  static bool PressButton(QDialog& d, const std::string& text) {
    for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
      if (Plain(*b) == text && b->isVisible() && b->isEnabled()) {
        b->click();
        return true;
      }
    return false;
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
  std::set<const EditorDocument*> m_typedInto;  // the texts the walk's keys changed, not yet in their files
  std::vector<Ran> m_ran;
  Ran m_command;
  int m_steps = 0;
  std::string m_watchWord;
  int m_watchPage = 0;
  std::vector<std::string> m_watchBefore[2];
  QPointer<BpCheckList> m_list;
  int m_row = -1;
  std::vector<ListRow> m_rows;
  DebugSession* m_session = nullptr;
  QPointer<EditorView> m_markView;
  uint32_t m_markFlag = 0;
  long m_markLine = 0;
  std::vector<long> m_marksBefore, m_breakpointsBefore;
};

}  // namespace pm2::test
