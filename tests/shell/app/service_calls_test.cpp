// IDE service calls: the GUI-thread dispatch, the way from other threads,
// and the codes the application layer answers itself.
#include <cstring>
#include <thread>

#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell_fakes.h"

namespace pm2 {
namespace {

class ServiceTest : public ShellAppTest {
 protected:
  intptr_t Call(int code, intptr_t arg = 0) { return app->IdeServiceCall(code, arg); }
  template <class T> static intptr_t Arg(T* p) { return reinterpret_cast<intptr_t>(p); }
};

struct ForwardRow {
  const char* name;
  int code;
  bool toWindows;
};

class ServiceForwarding : public ServiceTest, public ::testing::WithParamInterface<ForwardRow> {};

TEST_P(ServiceForwarding, DebugWindowCodesGoToTheFrameOthersAreZero) {
  intptr_t result = Call(GetParam().code, 5);
  if (GetParam().toWindows) {
    EXPECT_EQ(result, 77);
    EXPECT_EQ(frame.calls, std::vector<std::string>{"DebugService " + std::to_string(GetParam().code)});
  } else {
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(frame.calls.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServiceForwarding,
    ::testing::Values(ForwardRow{"ExecutionStarts", 1, true}, ForwardRow{"SessionEnds", 20, true},
                      ForwardRow{"Refresh310", 310, true}, ForwardRow{"Run2053", 2053, true},
                      ForwardRow{"Zero", 0, false}, ForwardRow{"Fifty", 50, false},
                      ForwardRow{"ThreeEleven", 311, false}, ForwardRow{"TwoThousand56", 2056, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServiceTest, OffThreadCallsWaitForTheGuiThreadBracketedForTheDriver) {
  DirectHub direct([&](int code, intptr_t arg) { return app->OnDebugNotify(code, arg); });
  deps.hub = &direct;
  ResetAppState();
  app = std::make_unique<ShellApp>(deps);
  debug.control = true;
  intptr_t result = -1, resultNoLock = -1;
  std::thread driver([&] {
    result = app->IdeServiceCall(13, 0);
    resultNoLock = app->IdeServiceCallNoLock(13, 0);
  });
  driver.join();
  EXPECT_EQ(result, 77);
  EXPECT_EQ(resultNoLock, 77);
  EXPECT_EQ(debug.controls, (std::vector<std::string>{"20,0", "20,1"}));
}

struct RefusedRow {
  const char* name;
  int code;
};

class GuiOnlyService : public ServiceTest, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(GuiOnlyService, IsRefusedFromOtherThreads) {
  debug.control = true;
  intptr_t result = -1;
  std::thread driver([&] { result = app->IdeServiceCall(GetParam().code, 0); });
  driver.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_TRUE(hub.Entries().empty());
  EXPECT_TRUE(debug.controls.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, GuiOnlyService,
                         ::testing::Values(RefusedRow{"EditWatch", 24}, RefusedRow{"AddToolBoxButton", 32},
                                           RefusedRow{"RemoveToolBoxButton", 33}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServiceTest, ActiveDocumentTitleHasADefault) {
  const char* title = nullptr;
  Call(2054, Arg(&title));
  EXPECT_STREQ(title, "Pm2 - unknown Document");
  frame.activeTitle = "main.c";
  Call(2054, Arg(&title));
  EXPECT_STREQ(title, "main.c");
}

TEST_F(ServiceTest, ToolBoxListWhileTheWindowIsClosed) {
  const char* button[2] = {"Reset", "RESET"};
  EXPECT_EQ(Call(32, Arg(button)), 1);
  EXPECT_EQ(Call(32, Arg(button)), 1);  // the same button again changes nothing
  ASSERT_EQ(app->SavedToolBox().size(), 1u);
  // A label that exists takes the new command instead of a second button.
  const char* again[2] = {"Reset", "RESET 1"};
  EXPECT_EQ(Call(32, Arg(again)), 1);
  ASSERT_EQ(app->SavedToolBox().size(), 1u);
  EXPECT_EQ(app->SavedToolBox().front().command, "RESET 1");
  std::vector<std::string> texts;
  for (int i = 0; i < 15; ++i) texts.push_back("b" + std::to_string(i));
  for (const auto& t : texts) {
    const char* b[2] = {t.c_str(), "cmd"};
    EXPECT_EQ(Call(32, Arg(b)), 1);
  }
  const char* seventeenth[2] = {"x", "y"};
  EXPECT_EQ(Call(32, Arg(seventeenth)), 0);
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_EQ(Call(33, 1), 1);
  EXPECT_EQ(app->SavedToolBox().front().text, "b0");
  EXPECT_EQ(Call(33, 16), 0);
  EXPECT_EQ(dialogs.beeps, 2);
  EXPECT_EQ(Call(33, -1), 1);
  EXPECT_TRUE(app->SavedToolBox().empty());
}

TEST_F(ServiceTest, ToolBoxCodesGoToTheOpenWindow) {
  int box = 0;
  app->m_windows.Set(WindowSlot::ToolBox, &box);
  EXPECT_EQ(Call(33, 1), 77);
  EXPECT_TRUE(app->SavedToolBox().empty());
}

TEST_F(ServiceTest, DriverKeysThroughServiceCodes) {
  ProjectRec* p = NewProject(nullptr, "C:\\w\\p.pm2");
  OptionBlock* b = NewOptionBlock(kPoolProject);
  b->owner = p->curTarget;
  p->curTarget->pOpts = b;
  theApp().m_pProject = p;
  const char* kv[2] = {"Cache", "on"};
  EXPECT_EQ(Call(47, Arg(kv)), 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(Call(46, Arg("CACHE"))), "on");
  EXPECT_EQ(Call(46, Arg("Other")), 0);
}

struct LineInputRow {
  const char* name;
  bool ok;
  std::string typed;
  std::string expected;
};

class LineInputService : public ServiceTest, public ::testing::WithParamInterface<LineInputRow> {};

TEST_P(LineInputService, FillsTheBuffer) {
  frame.lineInputOk = GetParam().ok;
  frame.lineInput = GetParam().typed;
  char buffer[100];
  std::memset(buffer, 'z', sizeof buffer);
  char* words[2] = {const_cast<char*>("Enter value"), buffer};
  EXPECT_EQ(Call(23, Arg(words)), static_cast<intptr_t>(GetParam().expected.size()));
  EXPECT_EQ(std::string(buffer), GetParam().expected);
  EXPECT_TRUE(frame.Called("LineInput Enter value"));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineInputService,
    ::testing::Values(LineInputRow{"Ok", true, "0x100", "0x100"},
                      LineInputRow{"Cancel", false, "ignored", ""},
                      LineInputRow{"CutTo77", true, std::string(90, 'a'), std::string(77, 'a')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServiceTest, QuestionAnswersOneForYes) {
  dialogs.answers = {kIdYes, kIdNo};
  EXPECT_EQ(Call(15, Arg("Erase flash ?")), 1);
  EXPECT_EQ(Call(15, Arg("Erase flash ?")), 0);
  EXPECT_EQ(dialogs.boxes[0].kind, kMbYesNo | kMbIconQuestion);
}

TEST_F(ServiceTest, StopRequestIsDeferred) {
  EXPECT_EQ(Call(38), 0);
  EXPECT_TRUE(frame.calls.empty());
  timer.Advance(150);
  EXPECT_TRUE(frame.Called("StopDebugger"));
}

TEST_F(ServiceTest, ChannelProgressBecomesStatusBarProgress) {
  app->DdeProgressRequest(180, nullptr);
  app->DdeProgressRequest(182, "40");
  app->DdeProgressRequest(181, nullptr);
  app->DdeProgressRequest(183, nullptr);
  EXPECT_EQ(frame.calls, (std::vector<std::string>{"Progress 1 0 <label>", "Progress 3 40 <label>",
                                                   "Progress 2 40 <label>"}));
}

TEST_F(ServiceTest, SerialByteCodeReturnsItsArgument) {
  intptr_t arg = (2 << 24) | 'x';
  EXPECT_EQ(Call(48, arg), arg);
  EXPECT_TRUE(frame.Called("Serial 2 1"));
}

// The event interface hears of the session and of execution from the
// service codes that mark them, whoever calls them (driver or IDE).
struct EventRow {
  const char* name;
  int code;
  bool session, executing;
  std::vector<std::string> events;
};

class ServiceEvents : public ServiceTest, public ::testing::WithParamInterface<EventRow> {};

TEST_P(ServiceEvents, CodesTellTheEventInterface) {
  debug.session = GetParam().session;
  debug.executing = GetParam().executing;
  debug.pc = 0x2A8;
  Call(GetParam().code, 1);
  EXPECT_EQ(ipc.events, GetParam().events);
  // The code itself still reaches the debug windows.
  EXPECT_TRUE(frame.Called("DebugService " + std::to_string(GetParam().code)));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServiceEvents,
    ::testing::Values(
        EventRow{"RunStarts", 1, true, false, {"execution started"}},
        EventRow{"RunStartsSecondForm", 3, true, false, {"execution started"}},
        EventRow{"StopWhileHalted", 2, true, false, {"execution stopped 1 0 0x2A8"}},
        EventRow{"StopWhileRunningLeavesTheRuleToTheNotifier", 2, true, true, {"execution stopped 1 1 0x2A8"}},
        EventRow{"SessionStarted", 6, true, false, {"debugger started"}},
        EventRow{"SessionEnds", 20, true, false, {"debugger stopped"}},
        EventRow{"StepOver", 8, true, false, {"execution started"}},
        EventRow{"StepInto", 7, true, false, {"execution started"}},
        EventRow{"StepInstruction", 2053, true, false, {"execution started"}},
        EventRow{"StepOutWithACall", 9, true, false, {"execution started"}},
        EventRow{"StepWithoutSession", 8, false, false, {}},
        EventRow{"StepWhileRunning", 7, true, true, {}},
        EventRow{"OtherCode", 14, true, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A client hears of the stop before the windows refresh (and repaint), so
// its next request waits for the target, not for the windows.
TEST_F(ServiceTest, TheStopIsToldBeforeTheWindowsRefresh) {
  struct WindowsFrame : RecordingFrame {
    explicit WindowsFrame(const RecordingIpc& i) : ipc(i) {}
    intptr_t DebugService(int code, intptr_t arg) override {
      if (code == 2) toldBefore = ipc.events;
      return RecordingFrame::DebugService(code, arg);
    }
    const RecordingIpc& ipc;
    std::vector<std::string> toldBefore{"not refreshed"};
  } windows(ipc);
  app->SetFrame(&windows);
  debug.session = true;
  debug.pc = 0x2A8;
  Call(2, 0);
  EXPECT_EQ(windows.toldBefore, std::vector<std::string>{"execution stopped 1 0 0x2A8"});
  app->SetFrame(&frame);
}

}  // namespace
}  // namespace pm2
