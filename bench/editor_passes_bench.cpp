// Whole-text passes of the editor on a 1,000,000-line file, each against a
// peer in the same run: Replace All of a one-character word against
// `sed -i` on the same file (both load the file, replace every word and
// save it, and the saved files must both be the file with every word
// replaced; in the window the file is open already, and the time runs
// from the click to the file saved), and Mark All against `grep -c` writing its
// count to a file (GNU grep told to write to /dev/null stops at the first
// match). Each is measured twice: in the engine alone, and in the real
// window as a user sees it: the IDE's editor window with the file opened
// from disk and its find and replace dialog, from the button's click to the
// window painted again. A button pressed from the keyboard (its mnemonic,
// or Enter on the default button) clicks only after Qt has shown it pressed
// for a fixed 100 ms; that case is measured too, and its ratio is given
// with and without those 100 ms. Prints the ratio ours/peer for each
// (goal: at most 3).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QPushButton>

#include "editor/document/editor_document.h"
#include "editor/engine/edit_commands.h"
#include "editor/engine/edit_engine.h"
#include "editor/ide/editor_panes.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/find_dialog.h"
#include "editor/text/editor_keys.h"
#include "editor/text/text_buffer.h"
#include "platform/settings_store.h"
#include "bench_peer.h"

namespace pm2 {
namespace {

constexpr int kLines = 1000000;

class NoClipboard : public EditClipboard {
 public:
  bool HasText() const override { return false; }
  std::optional<std::string> GetText() const override { return std::nullopt; }
  bool SetText(const std::string&) override { return false; }
};

// A window that shows nothing: the engine's passes run as they would in
// the editor, without painting.
class QuietHost : public EditHost {
 public:
  void InvalidateAll() override {}
  void InvalidateRect(int, int, int, int) override {}
  void PlaceCaret(int, int, bool) override {}
  void ScrollBarsChanged() override {}
  void ShowMessage(int, const std::string&) override {}
  EditClipboard& Clipboard() override { return m_clip; }
  bool HasFocus() const override { return false; }

 private:
  NoClipboard m_clip;
};

struct Fixture {
  bench::TempFolder folder{"pm2passes"};  // removed with the fixture
  std::string dir = folder.Path();
  std::string file;
  std::string data;
  std::string replaced;  // the file after every q became r
  Fixture() {
    file = dir + "/big.c";
    data.reserve(size_t(kLines) * 32);
    for (int i = 0; i < kLines; ++i)
      data += "\tsum = sum + q * " + std::to_string(i % 1000) + ";\r\n";
    std::ofstream(file, std::ios::binary) << data;
    replaced = data;
    std::replace(replaced.begin(), replaced.end(), 'q', 'r');
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A side's result against the file every word replaced, whole.
void CheckReplaced(benchmark::State& state, const std::string& who, const std::string& path) {
  const bool same = ReadWhole(path) == Data().replaced;
  bench::SameResult(state, who + ": the saved file is not the file with every q replaced", true, same);
}

struct Editor {
  CEditTextBuffer text;
  EditShared shared;
  QuietHost host;
  EditEngine engine{&text, &shared, &host};
  // The file's text in memory, or the file loaded from disk.
  explicit Editor(const std::string& path = {}) {
    if (path.empty()) text.LoadFromBytes(Data().data);
    else text.LoadFile(path);
    engine.SetMetrics(8, 16);
    engine.SetClientSize(800, 600);
    engine.InitView();
    shared.find.text = "q";
    shared.find.matchCase = true;
    shared.replacement = "r";
  }
};

// The same work as sed -i: the file loaded, every word replaced, the
// file saved (written whole and renamed into place, as sed -i does).
void BM_ReplaceAllOurs(benchmark::State& state) {
  const std::string copy = Data().dir + "/ours.c";
  int replaced = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(Data().file, copy, std::filesystem::copy_options::overwrite_existing);
    state.ResumeTiming();
    Editor e(copy);
    replaced = e.engine.ReplaceAll();
    if (e.text.SaveFile(copy) != 0) state.SkipWithError("the save failed");
  }
  state.counters["replaced"] = replaced;
  bench::SameResult(state, "words replaced", kLines, replaced);
  CheckReplaced(state, "ours", copy);
}

void BM_ReplaceAllPeerSed(benchmark::State& state) {
  std::string copy = Data().dir + "/sed.c";
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(Data().file, copy, std::filesystem::copy_options::overwrite_existing);
    state.ResumeTiming();
    std::string cmd = "sed -i 's/q/r/g' " + copy;
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("sed did not run");
  }
  CheckReplaced(state, "sed -i", copy);
}

void BM_MarkAllOurs(benchmark::State& state) {
  Editor e;
  int marked = 0;
  for (auto _ : state) {
    marked = e.engine.MarkAll();
    state.PauseTiming();
    e.engine.ClearBookmarks();
    state.ResumeTiming();
  }
  if (marked != kLines) state.SkipWithError("not every line was marked");
  state.counters["marked"] = marked;
}

void BM_MarkAllPeerGrep(benchmark::State& state) {
  const std::string count = Data().dir + "/count.txt";
  for (auto _ : state) {
    std::string cmd = "grep -c q " + Data().file + " > " + count;
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("grep did not run");
  }
  std::ifstream in(count);
  int counted = 0;
  if (!(in >> counted) || counted != kLines) state.SkipWithError("grep did not count every line");
}

// The IDE's editor window on the file, shown (on the offscreen platform),
// with its find or replace dialog open on "q" (match case) and "r".
struct Window {
  SettingsStore store{Data().dir + "/settings"};
  uint32_t appState = 0;
  EditorViewContext ctx;
  std::unique_ptr<EditorDocument> doc;
  std::unique_ptr<EditorPanes> panes;
  Window() {
    InitEditorProfiles(store);
    ctx.appState = &appState;
    ctx.settings = &store;
    DocumentEnvironment env;
    env.text.pSettings = &store;
    env.appState = &appState;
    doc = std::make_unique<EditorDocument>(env);
    doc->OnOpenDocument(Data().file);
    panes = std::make_unique<EditorPanes>(doc.get(), &ctx);
    panes->resize(800, 600);
    panes->show();
    QApplication::processEvents();
  }
  ~Window() {
    panes.reset();
    doc.reset();
  }
  EditorView& View() { return *panes->View(0, 0); }
  // Opens the dialog (Find or Replace) and fills it in as the user would.
  EditFindDialog& Dialog(int command) {
    View().Engine().GotoLine(1, 0);
    View().RunViewCommand(command);
    EditFindDialog* d = View().FindDialog();
    d->FindCombo()->setCurrentText("q");
    if (d->ReplaceCombo()) d->ReplaceCombo()->setCurrentText("r");
    d->MatchCaseBox()->setChecked(true);
    QApplication::processEvents();
    return *d;
  }
  // The button's click: at once (the mouse), or after Qt has shown it
  // pressed (the keyboard); returns when the window is painted again.
  static void Press(QPushButton* button, bool byKeyboard) {
    if (!byKeyboard) {
      button->click();
    } else {
      bool clicked = false;
      QMetaObject::Connection c = QObject::connect(button, &QPushButton::clicked, [&] { clicked = true; });
      button->animateClick();
      while (!clicked) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      QObject::disconnect(c);
    }
    QApplication::processEvents();  // the repaint
  }
};

QPushButton* ButtonOf(EditFindDialog& d, const QString& text) {
  for (QPushButton* b : d.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

void ReplaceAllInWindow(benchmark::State& state, bool byKeyboard) {
  Window w;
  EditFindDialog& d = w.Dialog(kCmdEditReplace);
  const std::string saved = Data().dir + "/window.c";
  for (auto _ : state) {
    Window::Press(d.ReplaceAllButton(), byKeyboard);
    // Saved as the user saves it, which sed -i does too.
    if (w.doc->Text().SaveFile(saved) != 0) state.SkipWithError("the save failed");
    state.PauseTiming();
    w.View().RunViewCommand(kCmdEditUndo);  // the next pass finds the words again
    QApplication::processEvents();
    state.ResumeTiming();
  }
  CheckReplaced(state, byKeyboard ? "the window, keyboard" : "the window, mouse", saved);
}

void MarkAllInWindow(benchmark::State& state, bool byKeyboard) {
  Window w;
  for (auto _ : state) {
    state.PauseTiming();
    w.View().Engine().ClearBookmarks();
    QPushButton* mark = ButtonOf(w.Dialog(kCmdEditFind), "&Mark All");
    if (!mark) state.SkipWithError("the dialog has no Mark All");
    state.ResumeTiming();
    Window::Press(mark, byKeyboard);
  }
  int marked = 0;
  for (const CEditLine* p = w.doc->Text().FirstLine(); p; p = p->m_pNext) marked += (p->m_nFlags & kLineBookmark) != 0;
  if (marked < kLines) state.SkipWithError("not every line was marked");
}

void BM_ReplaceAllWindowMouse(benchmark::State& state) { ReplaceAllInWindow(state, false); }
void BM_ReplaceAllWindowKeyboard(benchmark::State& state) { ReplaceAllInWindow(state, true); }
void BM_MarkAllWindowMouse(benchmark::State& state) { MarkAllInWindow(state, false); }
void BM_MarkAllWindowKeyboard(benchmark::State& state) { MarkAllInWindow(state, true); }

BENCHMARK(BM_ReplaceAllOurs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplaceAllWindowMouse)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplaceAllWindowKeyboard)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplaceAllPeerSed)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MarkAllOurs)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_MarkAllWindowMouse)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MarkAllWindowKeyboard)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MarkAllPeerGrep)->Unit(benchmark::kMillisecond)->Iterations(30);

// Qt's fixed press animation of a button clicked from the keyboard.
constexpr double kKeyboardClickMs = 100;

void PrintRatios(const bench::TimesReporter& times) {
  struct Row {
    const char* what;
    const char* ours;
    const char* peer;
    const char* peerName;
    bool keyboard;
  };
  const Row rows[] = {
      {"Replace All, engine", "BM_ReplaceAllOurs", "BM_ReplaceAllPeerSed", "sed -i", false},
      {"Replace All, window, mouse", "BM_ReplaceAllWindowMouse", "BM_ReplaceAllPeerSed", "sed -i", false},
      {"Replace All, window, keyboard", "BM_ReplaceAllWindowKeyboard", "BM_ReplaceAllPeerSed", "sed -i", true},
      {"Mark All, engine", "BM_MarkAllOurs", "BM_MarkAllPeerGrep", "grep -c", false},
      {"Mark All, window, mouse", "BM_MarkAllWindowMouse", "BM_MarkAllPeerGrep", "grep -c", false},
      {"Mark All, window, keyboard", "BM_MarkAllWindowKeyboard", "BM_MarkAllPeerGrep", "grep -c", true},
  };
  for (const Row& r : rows) {
    const double ours = times.Time(r.ours), peer = times.Time(r.peer);
    const std::string what = std::string(r.what) + " (1,000,000 lines)";
    if (!r.keyboard) {
      bench::PrintRatio(what, ours, r.peerName, peer, 3.0);
    } else if (ours > 0 && peer > 0) {
      // The goal is on our own time: the 100 ms are Qt's, the same in
      // every Qt dialog.
      std::printf("%s: ours %.2f ms, %s %.2f ms; ratio %.2f, %.2f without Qt's %.0f ms press (goal <= 3.00 "
                  "without it: %s)\n",
                  what.c_str(), ours, r.peerName, peer, ours / peer, (ours - kKeyboardClickMs) / peer,
                  kKeyboardClickMs, (ours - kKeyboardClickMs) / peer <= 3.0 ? "met" : "NOT met");
    }
  }
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Without a screen unless one is asked for (QT_QPA_PLATFORM=xcb under an
  // X server measures the window drawn there).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, pm2::PrintRatios);
}
