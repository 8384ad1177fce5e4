// The context menus of the walk (command_walk.h): the windows whose menu
// a user can open now, each opened as a right click in its middle opens
// it, and its items listed or one of them chosen (walk_answers.h).
#pragma once

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QContextMenuEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "debugger/dialogs/perf_analyzer_view.h"
#include "debugger/dialogs/serial_window.h"
#include "debugger/windows/disassembly_window.h"
#include "debugger/windows/memory_window.h"
#include "debugger/windows/watch_window.h"
#include "shell/frame/frame_fixture.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/frames/control_bar.h"
#include "walk_answers.h"
#include "walk_places.h"
#include "walk_project_window.h"
#include "walk_ran_record.h"

namespace pm2::test {

// PM2_WALK_TRACE: each step said on stderr as it ends.
inline bool WalkTracing() { return std::getenv("PM2_WALK_TRACE") != nullptr; }

// Runs `fn` as an event delivers it, as a user's click or key runs a
// command: a window the command closes is then deleted once the event loop
// turns, as after a user's command, not inside the next modal window's loop
// (where a command run from outside any event left it to be deleted, in the
// middle of whatever that window's command was doing). No other event is
// taken up meanwhile.
inline void AsAnEvent(const std::function<void()>& fn) {
  QObject target;
  QMetaObject::invokeMethod(&target, fn, Qt::QueuedConnection);
  QCoreApplication::sendPostedEvents(&target, QEvent::MetaCall);
}

// Made for each use from the walk's frame and application of the moment
// (a start again makes new ones); `selected` is the project window's item
// the road chose, `listed` counts the menus that opened.
class WalkMenus {
 public:
  WalkMenus(CMainFrame* frame, ShellApp* app, WalkAnswers& answers, const std::string& selected,
            const std::string& state, int& listed)
      : m_frame(frame), m_app(app), m_answers(answers), m_selected(selected), m_state(state), m_listed(listed) {}

  // The windows whose context menu a user can open now: the fixed ones,
  // then each shown window of the kinds below, numbered ("watch#1" is the
  // second watch tree: Locals, or a second Watch page).
  std::vector<std::string> MenuTargets() {
    // The places with something selected come first: the windows' own
    // menus include the bars' Hide, which takes them away.
    std::vector<std::string> out = WalkPlaces(m_frame).Available();
    for (const char* name : {"editor", "margin", "project", "output", "memory", "disassembly", "command"})
      if (MenuWidget(name)) out.push_back(name);
    // Once the road chose a row of the project window: its menu on the
    // target's row, on a group's and on a file's (the file is the one
    // chosen, and last, so the selection ends where the road left it).
    if (!m_selected.empty())
      for (const char* name : {"project@target", "project@group", "project@file"})
        if (MenuWidget(name)) out.push_back(name);
    for (const auto& [kind, find] : Kinds())
      for (size_t i = 0; i < find().size(); ++i) out.push_back(kind + "#" + std::to_string(i));
    return out;
  }
  // Each shown window of a kind, in a steady order (its object's name).
  template <class T>
  static std::vector<QWidget*> AllShown() {
    std::vector<QWidget*> out;
    for (QWidget* w : QApplication::allWidgets())
      if (dynamic_cast<T*>(w) && w->isVisible()) out.push_back(w);
    std::stable_sort(out.begin(), out.end(), [](QWidget* a, QWidget* b) {
      return a->objectName() < b->objectName() || (a->objectName() == b->objectName() && a->windowTitle() < b->windowTitle());
    });
    return out;
  }
  using Finder = std::function<std::vector<QWidget*>()>;
  static const std::vector<std::pair<std::string, Finder>>& Kinds() {
    static const std::vector<std::pair<std::string, Finder>> kinds = {
        {"watch", AllShown<WatchWindow>},        {"serial", AllShown<SerialWindow>},
        {"analyser", AllShown<PerfAnalyzerView>}, {"bar", AllShown<SECControlBar>},
    };
    return kinds;
  }
  template <class T>
  static QWidget* Shown() {
    const std::vector<QWidget*> all = AllShown<T>();
    return all.empty() ? nullptr : all.front();
  }
  // Why a menu the walk opened on a window that is shown did not appear
  // ("" where it appeared, or where nothing was there to click).
  std::string NotOpened(const std::string& target) {
    if (m_answers.MenuShown() || !m_frame->isVisible() || !ShownMenuWidget(target)) return {};
    return "the context menu of '" + target + "' did not open on a right click";
  }
  // The window a road's menu opens on, where it is shown (a place is
  // opened by its own step, which says whether it could).
  QWidget* ShownMenuWidget(const std::string& name) {
    // The windows whose menu a right click in their middle always opens;
    // widen the list as others are shown to (a bar offers its menu only
    // where its style asks for one, the output window only on a page).
    static const std::set<std::string> kFollowed = {"editor", "margin", "project"};
    QWidget* w = kFollowed.count(name) ? MenuWidget(name) : nullptr;
    return w && w->isVisible() ? w : nullptr;
  }
  QWidget* MenuWidget(const std::string& name) {
    if (name == "editor" || name == "margin") return m_frame->Editors().Active();
    if (name == "project") return m_app->Project() && m_frame->ProjectBar() ? m_frame->ProjectBar()->View()->Tree() : nullptr;
    if (name.rfind("project@", 0) == 0) return Bars().Row(name.substr(8), m_selected) ? m_frame->ProjectBar()->View()->Tree() : nullptr;
    if (name == "output") return m_frame->Output() && m_frame->Output()->isVisible() ? m_frame->Output() : nullptr;
    if (name == "memory") return Shown<MemoryPage>();
    if (name == "disassembly") return Shown<DisassemblyView>();
    if (name == "command") {
      QWidget* page = m_frame->Debugger()->CommandPage();
      return page && page->isVisible() ? page : nullptr;
    }
    // The older name of the first watch tree.
    if (name == "watch") return Shown<WatchWindow>();
    if (const size_t hash = name.find('#'); hash != std::string::npos)
      for (const auto& [kind, find] : Kinds())
        if (kind == name.substr(0, hash)) {
          const std::vector<QWidget*> all = find();
          const size_t i = size_t(std::atoi(name.c_str() + hash + 1));
          return i < all.size() ? all[i] : nullptr;
        }
    return nullptr;
  }
  // Opens a window's context menu as a right click in its middle does,
  // on the row there made current first (a user's right click on a row
  // of a list or tree); a menu shown by popup() rather than exec() is
  // answered as soon as it shows.
  void OpenMenu(const std::string& name) {
    if (WalkPlaces::IsPlace(name)) {
      WalkPlaces places(m_frame);
      if (places.Open(name)) m_answers.AnswerShownMenu();
      return;
    }
    QWidget* w = MenuWidget(name);
    if (!w) return;
    const QPoint middle(w->width() / 2, w->height() / 2);
    if (name == "project") {
      AsAnEvent([&] { m_frame->ShowProjectContextMenu(w->mapToGlobal(middle)); });
      return;
    }
    if (name.rfind("project@", 0) == 0) {
      Bars().Click(Bars().Row(name.substr(8), m_selected), true);
      m_answers.AnswerShownMenu();
      return;
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
      QPoint at(view->viewport()->width() / 2, view->viewport()->height() / 2);
      QModelIndex row = view->indexAt(at);
      if (!row.isValid() && view->model() && view->model()->rowCount() > 0) {
        row = view->model()->index(0, 0);
        at = view->visualRect(row).center();
      }
      if (row.isValid()) view->setCurrentIndex(row);
    }
    // The margin: a right click at the editor's left edge; the
    // disassembly: on the instruction nearest its middle, as a user points
    // at one.
    QPoint at = name == "margin" ? QPoint(2, middle.y()) : middle;
    if (auto* listing = dynamic_cast<DisassemblyView*>(w)) at = NearestInstruction(*listing, at);
    // The margin is the left edge of the editor's text area: the click goes
    // there, as everywhere else in a scroll area (which itself takes no
    // mouse's menu).
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) w = area->viewport();
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &e);
    m_answers.AnswerShownMenu();
  }
  // The middle of the listing's line of code nearest to `at` (`at` where
  // none is shown).
  static QPoint NearestInstruction(DisassemblyView& listing, QPoint at) {
    const DisassemblyView::Geometry g = listing.Layout();
    const int from = listing.LineAt(at);
    if (from < 0) return at;
    for (int away = 0; away <= g.visible; ++away)
      for (int i : {from + away, from - away}) {
        const QPoint there(at.x(), i * g.lineHeight + g.lineHeight / 2);
        if (i >= 0 && listing.LineAt(there) == i && listing.Cache().Line(i).kind == kDisasmCode) return there;
      }
    return at;
  }
  std::vector<MenuItem> ListMenu(const std::string& name) {
    m_answers.ListNextMenu();
    OpenMenu(name);
    QApplication::processEvents();
    if (m_answers.menuSeen) ++m_listed;
    for (const MenuItem& item : m_answers.menuItems)
      if (item.enabled && RanRecord::On())
        RanRecord::Line({"listed", m_state, name + ":" + item.text, std::to_string(item.id)});
    if (WalkTracing()) {
      std::fprintf(stderr, "walk: the menu of %s:%s", name.c_str(), m_answers.menuSeen ? "" : " (none)");
      for (const MenuItem& item : m_answers.menuItems)
        std::fprintf(stderr, " [%s%s]", item.text.c_str(), item.enabled ? "" : " greyed");
      std::fprintf(stderr, "\n");
    }
    return m_answers.menuItems;
  }

 private:
  WalkProjectWindow Bars() const { return {m_frame, m_app}; }

  CMainFrame* m_frame;
  ShellApp* m_app;
  WalkAnswers& m_answers;
  const std::string& m_selected;
  const std::string& m_state;
  int& m_listed;
};

}  // namespace pm2::test
