// Starts as the user and a peer meet them: a start kept out of the event
// interface by a stopped process, and a peer's start of a debug session
// while the editor's print preview holds the main window. Each test joins an
// event-interface namespace of its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <QDialog>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <optional>

#include "editor/ide/editor_printer.h"
#include "ipc/ipc_interface.h"
#include "ipc/two_process_support.h"
#include "shell/app/debug_port.h"
#include "shell/frame/frame_fixture.h"

namespace pm2 {
namespace {

using test::WaitFor;

// The program's event interface in a namespace of this test alone, for as
// long as it lives.
class OwnNamespace {
 public:
  OwnNamespace() {
    Keep("PM2_IPC_SUFFIX", tns.ns.suffix);
    Keep("XDG_RUNTIME_DIR", tns.dir);
  }
  ~OwnNamespace() {
    for (const auto& [name, value] : m_saved) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  test::TestNamespace tns;

 private:
  void Keep(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// Notes the main window's first showing and every message box, in order.
class ShownOrder : public QObject {
 public:
  std::function<void()> onWindow;
  std::vector<std::string> events;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::Show) return false;
    if (auto* box = qobject_cast<QMessageBox*>(o)) {
      events.push_back("box " + box->text().toStdString());
    } else if (dynamic_cast<CMainFrame*>(o) && !m_window) {
      m_window = true;
      events.push_back("window");
      if (onWindow) onWindow();
    }
    return false;
  }

 private:
  bool m_window = false;
};

class FrameStartsTest : public test::ExampleFrameTest {};

// A start while another process holds the lock that lets processes join
// the event interface one at a time, and is stopped (kill -STOP): the
// start's attempt to join is over before the main window shows, and the
// GUI thread does not wait for that process afterwards. The holder goes on
// (still holding the lock) the moment the window shows: an attempt that
// waited after that would end naming a holder that "did not let it go";
// the box names the stopped one. Once the holder is gone the program joins.
TEST_F(FrameStartsTest, AStartKeptOutByAStoppedProcessWaitsBeforeTheWindowAndNeverOnTheGuiThread) {
  OwnNamespace own;
  test::Child holder(test::ProgramBeside("../../ipc/ipc_test_peer"), {own.tns.ns.suffix, own.tns.dir, "hold-gate"});
  ASSERT_EQ(holder.Line(), "slot 0");
  ASSERT_EQ(holder.Line(), "holding gate");
  holder.Stop();
  ShownOrder order;
  order.onWindow = [&] { holder.Signal(SIGCONT); };
  qApp->installEventFilter(&order);
  {
    test::BoxAnswers ok({QMessageBox::Ok});
    test::ExampleSession s(dir, root);
    ASSERT_NE(s.Frame(), nullptr);
    qApp->removeEventFilter(&order);
    ASSERT_EQ(order.events.size(), 2u) << testing::PrintToString(order.events);
    EXPECT_EQ(order.events[0], "window");
    const std::string& box = order.events[1];
    EXPECT_EQ(box.rfind("box Could not Initialize ActivateIPDispatcher() !", 0), 0u) << box;
    EXPECT_NE(box.find("process " + std::to_string(holder.Pid()) + ", which is stopped"), std::string::npos) << box;
    EXPECT_FALSE(GetEventDispatcher().Active());
    // The holder gone, the program joins.
    holder.Signal(SIGKILL);
    ASSERT_EQ(holder.Wait(test::kHangWaitMs), 128);
    EXPECT_TRUE(WaitFor([] { return GetEventDispatcher().Active(); }));
  }
  qApp->removeEventFilter(&order);
}

// A peer's StartDebugging while the editor's print preview shows is refused
// with the reason, as under a modal dialog; no session starts beneath the
// preview, nor after it.
TEST_F(FrameStartsTest, APeersStartIsRefusedUnderThePrintPreview) {
  OwnNamespace own;
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(WaitFor([] { return GetEventDispatcher().Active(); }));
  EditorView* v = OpenActive(f, dir + "Blinky.c", 1);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  // A session start says what it cannot do in a box: noted, and answered.
  test::BoxAnswers boxes({QMessageBox::Ok});
  const std::string client = QCoreApplication::applicationDirPath().toStdString() + "/shell_frame_ipc_client";
  // The preview stays open once the command returns; the peer asks then.
  EXPECT_TRUE(f->ExecuteCommand(kCmdPrintPreview));
  QWidget* preview = OpenPrintPreview();
  ASSERT_NE(preview, nullptr);
  ASSERT_TRUE(preview->isVisible());
  std::string answer;
  QProcess peer;
  peer.start(QString::fromStdString(client),
             {QString::fromStdString(own.tns.ns.suffix), QString::fromStdString(own.tns.dir), "startdebug"});
  if (peer.waitForStarted() && WaitFor([&] { return peer.state() == QProcess::NotRunning; }))
    answer = peer.readAllStandardOutput().toStdString();
  else
    answer = "<the peer did not end>";
  if (peer.state() != QProcess::NotRunning) {
    peer.kill();
    peer.waitForFinished();
  }
  const bool sessionUnderPreview = s.App().Debug().SessionActive();
  qobject_cast<QDialog*>(preview)->reject();
  EXPECT_NE(answer.find("debug status Can't start debugging while the dialog 'Print Preview' is open\n"),
            std::string::npos)
      << answer;
  EXPECT_FALSE(sessionUnderPreview);
  QCoreApplication::processEvents();
  EXPECT_FALSE(s.App().Debug().SessionActive());
  EXPECT_TRUE(boxes.texts.empty()) << "no start was tried: " << boxes.texts.front();
}

}  // namespace
}  // namespace pm2
