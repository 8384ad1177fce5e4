// What the frame's tests share: one start of the program (runtime,
// start-up steps and the frame) and a fixture that copies the example
// project into a scratch folder and leaves the shared state clean.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/document/document_services.h"
#include "hang_guard.h"
#include "platform/settings_store.h"
#include "project/model/app_state.h"
#include "project/text/pool.h"
#include "shell/app/shell_app.h"
#include "shell/frame/frame_startup.h"
#include "editor/ide/editor_view.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/main_frame.h"
#include "shell/output/out_view.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/controls/tree_ctrl.h"
#include "shell/output/out_win.h"
#include "shell/windows/shell_runtime.h"
#include "example_copy.h"

namespace pm2::test {

struct Session {
  Session(SettingsStore& settings, const std::string& commandLine, const std::string& program)
      : runtime(settings), ports(runtime, settings, false) {
    started = runtime.App().InitInstance(ports, commandLine, program);
  }
  ~Session() {
    ports.DestroyFrame();
    runtime.App().ExitInstance(ports);
  }
  ShellApp& App() { return runtime.App(); }
  CMainFrame* Frame() { return ports.Frame(); }
  ShellRuntime runtime;
  FrameStartup ports;
  bool started = false;
};

// Runs the event loop until `pred` holds, or for `ms` at most (a guard
// against a runaway, not a timing); returns whether it holds.
template <class Pred>
bool WaitFor(Pred pred, int ms = kHangWaitMs) {
  QElapsedTimer t;
  t.start();
  while (!pred() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  QCoreApplication::processEvents();
  return pred();
}

// The program started on the example copy in `dir`, its settings kept in
// that folder; `root` is the installation root. The settings come first
// because the session holds on to them.
struct SettingsInFolder {
  explicit SettingsInFolder(const std::string& dir) : settings(dir + "settings.ini") {}
  SettingsStore settings;
};
struct ExampleSession : SettingsInFolder, Session {
  ExampleSession(const std::string& dir, const std::string& root)
      : SettingsInFolder(dir), Session(settings, dir + "Blinky.pm2", root + "PM2/pelmora2") {}
};

// `root` is the build tree's installation root, `dir` a copy of
// examples/blinky without its outputs; both end in '/'.
class ExampleFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const char* bin = std::getenv("PM2_TEST_BIN");
    root = std::string(bin ? bin : "") + "/test-root/";
    std::string pattern = (fs::temp_directory_path() / "pm2frame_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern + "/";
    test::CopyExample(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", dir);
    fs::remove_all(dir + "Obj");
    ResetAppState();
    PoolFreeAll();
  }
  void TearDown() override {
    ResetAppState();
    PoolFreeAll();
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }
  bool HaveTools() const { return std::filesystem::exists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc"); }
  // Runs the event loop until the build (or tool) is over.
  static bool WaitIdle(ShellApp& app, int ms = 120000) {
    QElapsedTimer t;
    t.start();
    while (app.HasState(kStateBusy) && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
    return !app.HasState(kStateBusy);
  }
  // The record selected in the project window, as a click selects it.
  static void SelectInProject(CMainFrame* f, const NodeRec* record) {
    CPrjView* view = f->ProjectBar()->View();
    view->Tree()->SelectItem(view->ItemOf(record));
  }
  // The menu's item of the command, or null.
  static QAction* ActionOf(QMenu* menu, CommandId id) {
    for (QAction* a : menu->actions())
      if (a->data().toUInt() == id) return a;
    return nullptr;
  }
  // The file shown in its editor at the line, with the frame the active
  // window, as the user meets it; null when it did not open or the frame
  // did not become active.
  static EditorView* OpenActive(CMainFrame* f, const std::string& path, int line) {
    f->OpenFileAndShow(path, line, 0);
    EditorView* v = f->Editors().Active();
    if (!v) return nullptr;
    f->activateWindow();
    return QTest::qWaitForWindowActive(f) ? v : nullptr;
  }
  static std::string BuildText(CMainFrame* f) {
    std::string all;
    for (const std::string& l : f->Output()->BuildPane()->Model().Lines()) all += l + "\n";
    return all;
  }
  std::string root, dir;
};

// The documents' questions answered from a script, and noted.
class ScriptedQuestions : public DocumentQuestions {
 public:
  Answer AskSaveChanges(const std::string& text) override {
    asked.push_back(text);
    return saveAnswer;
  }
  bool AskYesNo(const std::string& text) override {
    asked.push_back(text);
    return yes;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  std::vector<std::string> asked, errors;
  Answer saveAnswer = kCancel;
  bool yes = false;
};

// Answers every message box that comes up while it lives, in order (the
// last answer again for any more), and notes their texts.
class BoxAnswers {
 public:
  explicit BoxAnswers(std::vector<QMessageBox::StandardButton> answers) : m_answers(std::move(answers)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      texts.push_back(box->text().toStdString());
      icons.push_back(box->icon());
      owners.push_back(box->parentWidget() ? box->parentWidget()->window() : nullptr);
      const size_t i = std::min(texts.size() - 1, m_answers.size() - 1);
      if (QAbstractButton* b = box->button(m_answers[i])) b->click();
      else box->reject();
    });
    m_timer.start(10);
  }
  std::vector<std::string> texts;
  std::vector<QMessageBox::Icon> icons;
  std::vector<QPointer<QWidget>> owners;  // the window each box belonged to

 private:
  std::vector<QMessageBox::StandardButton> m_answers;
  QTimer m_timer;
};

}  // namespace pm2::test
