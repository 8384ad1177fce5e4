// The debug requests of the event interface, delivered through the
// dispatcher and answered by a session over the scriptable test driver.
#include "debugger/ipc/ipc_debug_handlers.h"

#include <thread>
#include "debugger/ipc/request_text.h"

#include "ipc/event_dispatcher.h"
#include "ipc/event_factory.h"
#include "session_fixture.h"

namespace pm2 {
namespace {

// The shell of the handlers over the real session (one thread here).
struct SessionShell : IpcDebugShell {
  explicit SessionShell(DebugSession*& s) : session(s) {}
  bool IsDebugging() override { return session->SessionActive(); }
  bool IsRunning() override { return session->TargetExecuting(); }
  bool CanStartBuild() override { return canStart; }
  void StartStopDebug() override { calls.push_back("startstop"); }
  void StopRunning() override { calls.push_back("stoprunning"); }
  void StopSession() override { calls.push_back("stopsession"); }
  void RunCommand(int id) override { calls.push_back("command " + std::to_string(id)); }
  intptr_t Service(int code, intptr_t arg) override {
    services.push_back(code);
    intptr_t result = 0;
    session->Service(code, arg, &result);
    return result;
  }
  // A read-only service: the program may answer it without the GUI thread.
  intptr_t ReadService(int code, intptr_t arg) override {
    readServices.push_back(code);
    return Service(code, arg);
  }
  void Sleep(int) override {}
  std::string ExpressionFault(const std::string& text) override { return session->ExpressionFault(text); }
  std::string StartRefusal() override { return startRefusal; }
  std::string startRefusal;  // "" none
  DebugSession*& session;
  std::vector<int> readServices;
  bool canStart = true;
  std::vector<std::string> calls;
  std::vector<int> services;
};

class IpcDebugTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    muted = 0;
    raw = session.get();
    handlers = std::make_unique<IpcDebugHandlers>(dispatcher, shell, IpcDebugState{&muted, &client},
                                                  [this](dtc_EventBase& e) {
                                                    sent.push_back(Describe(e));
                                                    return true;
                                                  });
  }
  void TearDown() override {
    handlers.reset();
    SessionTest::TearDown();
  }
  static std::string Describe(dtc_EventBase& e) {
    std::string to = " @" + std::to_string(e.m_nDestination);
    if (auto* s = dynamic_cast<dtc_Debug::StatusText*>(&e)) return "status " + s->m_strText + to;
    if (auto* r = dynamic_cast<dtc_Debug::ReadMemoryReply*>(&e)) {
      std::string bytes;
      for (uint8_t b : r->m_Data.bytes) bytes += std::to_string(b) + ",";
      return "read " + std::to_string(r->m_nAddress) + " [" + bytes + "]" + to;
    }
    if (auto* w = dynamic_cast<dtc_Debug::WriteMemoryReply*>(&e))
      return "written " + std::to_string(w->m_Data.bytes.size()) + to;
    if (auto* b = dynamic_cast<dtc_Debug::SetBreakpointReply*>(&e))
      return "bs " + b->m_strExpression + " " + std::to_string(b->m_bSuccess) + to;
    if (auto* c = dynamic_cast<dtc_Debug::ClearBreakpointReply*>(&e))
      return "bc " + c->m_strAddress + " " + std::to_string(c->m_bSuccess) + to;
    if (auto* r = dynamic_cast<dtc_Debug::ReadRegisterReply*>(&e))
      return "reg " + r->m_strRegister + "=" + std::to_string(r->m_nValue) + to;
    if (auto* a = dynamic_cast<dtc_Debug::GetMemoryAddressReply*>(&e))
      return "addr " + std::to_string(a->m_nAddress) + " " + std::to_string(a->m_bValid) + to;
    if (auto* d = dynamic_cast<dtc_Debug::DecodeMemAddressReply*>(&e)) return "decoded " + d->m_strText + to;
    if (auto* t = dynamic_cast<dtc_TargetMessaging::DecodedTimeStamp*>(&e))
      return "time " + std::to_string(t->m_dTime) + to;
    return "other" + to;
  }
  template <class X>
  void From(int32_t sender, X event) {
    event.m_nSender = sender;
    dispatcher.Deliver(event);
  }

  EventDispatcher dispatcher;
  std::atomic<int32_t> muted{0}, client{-1};
  DebugSession* raw = nullptr;
  SessionShell shell{raw};
  std::unique_ptr<IpcDebugHandlers> handlers;
  std::vector<std::string> sent;
};

TEST_F(IpcDebugTest, RequestsWithoutASessionAreAnsweredDebuggerNotRunning) {
  From(4, dtc_Debug::StepOver());
  From(4, dtc_Debug::ReadMemory(0x100, 4));
  From(4, dtc_Debug::StartExecution());
  EXPECT_EQ(sent, (std::vector<std::string>{"status Debugger not running @-1", "status Debugger not running @-1",
                                            "status Debugger not running @-1"}));
  EXPECT_TRUE(DriverLog().empty());
}

TEST_F(IpcDebugTest, StartDebuggingRemembersTheClientAndStartsTheSession) {
  From(6, dtc_Debug::StartDebugging());
  EXPECT_EQ(client.load(), 6);
  EXPECT_EQ(shell.calls, std::vector<std::string>{"startstop"});
  shell.canStart = false;
  client = -1;
  From(6, dtc_Debug::StartDebugging());
  EXPECT_EQ(sent, std::vector<std::string>{"status Can't access the project now @-1"});
  EXPECT_EQ(client.load(), -1);
}

TEST_F(IpcDebugTest, StartDebuggingUnderAnOpenDialogIsRefusedWithTheReason) {
  shell.startRefusal = "Can't start debugging while the options dialog of target 'Simulator' is open";
  From(6, dtc_Debug::StartDebugging());
  EXPECT_EQ(sent, std::vector<std::string>{"status " + shell.startRefusal + " @-1"});
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(client.load(), -1);
}

TEST_F(IpcDebugTest, StepWhileRunningIsRefusedAndStopOnlyWhileRunning) {
  Start();
  SetExecuting(true);
  ClearDriverLog();
  From(4, dtc_Debug::StepInto());
  EXPECT_EQ(sent, std::vector<std::string>{"status Already executing @-1"});
  From(4, dtc_Debug::StopExecution());
  EXPECT_EQ(shell.calls, std::vector<std::string>{"command 32797"});
  SetExecuting(false);
  sent.clear();
  From(4, dtc_Debug::StopExecution());  // halted: nothing, no answer
  From(4, dtc_Debug::StepInto());
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(DriverLog(), "step 0\n");
}

// ExecuteUntil is told as a run (service 1) before its command; one the
// driver refuses is told stopped again (service 2), so a client waiting
// for the stop is not left waiting.
TEST_F(IpcDebugTest, ExecuteUntilIsToldAsARunAndARefusedOneAsStopped) {
  struct Case {
    const char* name;
    const char* script;
    std::vector<int> services;
  };
  for (const Case& c : {Case{"refused", "exec g,main 1\n", {1, 34, 2}}, Case{"run", "", {1, 34}}}) {
    SCOPED_TRACE(c.name);
    Script(c.script);
    Start();
    shell.services.clear();
    From(4, dtc_Debug::ExecuteUntil("main"));
    EXPECT_EQ(shell.services, c.services) << DriverLog();
    session->StopDebugger();
  }
}

TEST_F(IpcDebugTest, StepOutWithoutACallIsAnsweredCannotStepOut) {
  Script("pc 100\nframe 0 200\n");
  Start();
  session->RefreshCallStack();
  ClearDriverLog();
  From(4, dtc_Debug::StepOut());
  EXPECT_EQ(sent, std::vector<std::string>{"status Cannot StepOut @-1"});
  EXPECT_EQ(DriverLog(), "");
  // Inside a call the step goes to the driver, without an answer.
  session->StopDebugger();
  Script("pc 100\nframe 0 200\nframe 210 100\n");
  Start();
  session->RefreshCallStack();
  ClearDriverLog();
  sent.clear();
  From(4, dtc_Debug::StepOut());
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(DriverLog(), "step 2\n");
}

TEST_F(IpcDebugTest, ReadMemoryAnswersTheBytesUpToWhereTheDriverStopped) {
  Script("mem 100 0102030405\nreadable 103\n");
  Start();
  From(9, dtc_Debug::ReadMemory(0x100, 5));
  EXPECT_EQ(sent, std::vector<std::string>{"read 256 [1,2,3,] @9"});
}

TEST_F(IpcDebugTest, ReadMemoryOfTooManyBytesIsRefusedWithoutAsking) {
  Start();
  ClearDriverLog();
  From(9, dtc_Debug::ReadMemory(0x100, 0xFFFFFFF0u));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "status ReadMemory: 4294967280 bytes asked, at most " + std::to_string(kIpcReadMemoryMax) +
                         " per request @-1");
  EXPECT_EQ(DriverLog().find("memory"), std::string::npos);
}

// The largest answer's ring record is half the ring at most, and one byte
// more would not be: a ring record that long fits after anything, so a
// client's second largest read in a row is answered too.
TEST(IpcDebugLimits, TheLargestReadMemoryAnswerTakesHalfTheRing) {
  auto ringRecord = [](uint32_t bytes) {
    std::vector<uint8_t> data(bytes, 0xA5);
    dtc_Debug::ReadMemoryReply reply(0x40000000u, DataBlock(data.data(), bytes));
    return ((GetEventFactory().GetEventRecordSize(reply) + 3) & ~3u) + kIpcRecordHeader;
  };
  EXPECT_LE(ringRecord(kIpcReadMemoryMax), kIpcRingLimit / 2);
  EXPECT_GT(ringRecord(kIpcReadMemoryMax + 4), kIpcRingLimit / 2);
}

TEST_F(IpcDebugTest, ReadMemoryStoppedBelowTheStartIsAnError) {
  Script("readable 104\nstopat 80\n");
  Start();
  From(9, dtc_Debug::ReadMemory(0x100, 8));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "status ReadMemory: the driver stopped at 0x80, outside the range read @-1");
}

TEST_F(IpcDebugTest, WriteMemoryWritesAtMostThirtyTwoKilobytes) {
  Start();
  ClearDriverLog();
  From(9, dtc_Debug::WriteMemory(0x1000, DataBlock(std::vector<uint8_t>(40000, 7))));
  EXPECT_EQ(sent, std::vector<std::string>{"written 32768 @9"});
  EXPECT_EQ(DriverLog(), "control 2052\nmemory kind 2 count 32768\n");
}

TEST_F(IpcDebugTest, BreakpointsRegistersAndAddresses) {
  Script("eval main 200\neval R0 2a\nexec R1_=_0x5 1\n");
  Start();
  From(3, dtc_Debug::SetBreakpoint("main"));
  From(3, dtc_Debug::ClearBreakpoint("main"));
  From(3, dtc_Debug::ClearBreakpoint("nowhere"));
  From(3, dtc_Debug::ReadRegister("R0"));
  From(3, dtc_Debug::ReadRegister("R9"));
  From(3, dtc_Debug::GetMemoryAddress("main"));
  From(3, dtc_Debug::GetMemoryAddress("nowhere"));
  From(3, dtc_Debug::DecodeMemAddress(0x200));
  From(3, dtc_Debug::DecodeMemAddress(0x204));
  EXPECT_EQ(sent, (std::vector<std::string>{"bs main 1 @3", "bc main 1 @3", "status Invalid address parameter given @-1",
                                            "reg R0=42 @3", "status Can't read register 'R9' @-1",
                                            "addr 512 1 @3", "addr 0 0 @3", "decoded main @3", "decoded 0x204 @3"}));
  EXPECT_TRUE(DriverLog().find("exec BS main\n") != std::string::npos);
  EXPECT_TRUE(DriverLog().find("clearbreak 512") != std::string::npos);
}

// What an expression does is the loaded driver's to say: a client's
// breakpoint location or register name is judged by the test driver's own
// rules (a call it takes, an assignment it refuses), not by another
// driver's; what the driver refuses never reaches it as a command.
TEST_F(IpcDebugTest, EachDriverJudgesTheExpressionsOfItsOwnLanguage) {
  Script("writes R1_=_7 the test driver writes R1 here\neval LED_On(2) 220\n");
  Start();
  ClearDriverLog();
  From(3, dtc_Debug::SetBreakpoint("LED_On(2), 3"));
  From(3, dtc_Debug::SetBreakpoint("R1 = 7, 2"));
  From(3, dtc_Debug::ReadRegister("LED_On(2)"));
  From(3, dtc_Debug::ReadRegister("R1 = 7"));
  EXPECT_EQ(sent, (std::vector<std::string>{"bs LED_On(2), 3 1 @3",
                                            "status SetBreakpoint: the test driver writes R1 here @-1",
                                            "bs R1 = 7, 2 0 @3", "reg LED_On(2)=544 @3",
                                            "status ReadRegister: the test driver writes R1 here @-1"}));
  EXPECT_NE(DriverLog().find("exec BS LED_On(2), 3\n"), std::string::npos) << DriverLog();
  EXPECT_EQ(DriverLog().find("exec BS R1"), std::string::npos) << DriverLog();
}

// The reads that write nothing (ReadRegister, GetMemoryAddress) are offered
// to be answered without the GUI thread; a write and a breakpoint's address
// never are.
TEST_F(IpcDebugTest, OnlyReadsMayBeAnsweredWithoutTheGuiThread) {
  Script("eval main 200\neval R0 2a\n");
  Start();
  shell.services.clear();
  From(3, dtc_Debug::ReadRegister("R0"));
  From(3, dtc_Debug::GetMemoryAddress("main"));
  EXPECT_EQ(shell.readServices, (std::vector<int>{2048, 2048}));
  shell.readServices.clear();
  From(3, dtc_Debug::WriteRegister("R1", 5));
  From(3, dtc_Debug::ClearBreakpoint("main"));
  EXPECT_TRUE(shell.readServices.empty());
  EXPECT_EQ(sent[0], "reg R0=42 @3");
  EXPECT_EQ(sent[1], "addr 512 1 @3");
}

// A driver that takes reads on any thread answers an evaluation on the
// caller's thread while the target is halted; while it runs, and once the
// session ended, the caller takes the GUI thread's way.
TEST_F(IpcDebugTest, AHaltedTargetIsReadOnTheCallersThread) {
  Script("eval R0 2a\nwrites R0_=_1 R0 is written\n");
  Start();
  ASSERT_TRUE(session->SessionActive());
  auto readOnOtherThread = [&](const char* text, DriverExpressionRecord* r) {
    *r = DriverExpressionRecord{};
    r->text = text;
    bool answered = false;
    std::thread reader([&] { answered = session->EvaluateOnCallingThread(reinterpret_cast<intptr_t>(r)); });
    reader.join();
    return answered;
  };
  DriverExpressionRecord r{};
  ASSERT_TRUE(readOnOtherThread("R0", &r));
  EXPECT_EQ(r.error, 0);
  EXPECT_EQ(r.resultLow, 0x2Au);
  ASSERT_TRUE(readOnOtherThread("R9", &r));
  EXPECT_EQ(r.error, 1) << "a name the driver does not know";
  // The driver's rule of what a client's text does is asked there too.
  auto faultOnOtherThread = [&](const char* text, std::string* why) {
    bool answered = false;
    std::thread reader([&] { answered = session->ExpressionFaultOnCallingThread(text, why); });
    reader.join();
    return answered;
  };
  std::string why = "-";
  ASSERT_TRUE(faultOnOtherThread("R0 = 1", &why));
  EXPECT_EQ(why, "R0 is written");
  ASSERT_TRUE(faultOnOtherThread("R0", &why));
  EXPECT_EQ(why, "");
  SetExecuting(true);
  EXPECT_FALSE(readOnOtherThread("R0", &r));
  EXPECT_FALSE(faultOnOtherThread("R0", &why));
  SetExecuting(false);
  session->StopDebugger();
  ASSERT_FALSE(session->SessionActive());
  EXPECT_FALSE(readOnOtherThread("R0", &r));
  EXPECT_FALSE(faultOnOtherThread("R0", &why));
}

// A register name is one expression: the handler makes the assignment
// itself and has it evaluated (service 2048); nothing becomes a command line
// (service 34), where the tool-box commands and the command language's words
// are tried first.
TEST_F(IpcDebugTest, WriteRegisterEvaluatesTheAssignmentItMakes) {
  Script("writes R1_=_7 an assignment is not allowed\nwrites KILL_BUTTON_* 'KILL BUTTON *' is not one expression\n");
  Start();
  ClearDriverLog();
  shell.services.clear();
  From(3, dtc_Debug::WriteRegister("INCLUDE x.ini" + std::string(300, ' '), 1));
  From(3, dtc_Debug::WriteRegister("DEFINE BUTTON \"x\", \"y\"", 1));
  From(3, dtc_Debug::WriteRegister("KILL BUTTON *", 1));
  From(3, dtc_Debug::WriteRegister("R1 = 7", 1));
  From(3, dtc_Debug::WriteRegister("R1", 5));
  EXPECT_EQ(sent, (std::vector<std::string>{
                      "status WriteRegister: the text is longer than 255 characters @-1",
                      // The test driver's rules take this name: its value is evaluated.
                      "status Can't write register 'DEFINE BUTTON \"x\", \"y\"' @-1",
                      "status WriteRegister: 'KILL BUTTON *' is not one expression @-1",
                      "status WriteRegister: an assignment is not allowed @-1",
                      // The test driver knows no value for "R1 = 0x5".
                      "status Can't write register 'R1' @-1"}));
  EXPECT_EQ(shell.services, (std::vector<int>{2048, 2048}));
  EXPECT_EQ(DriverLog().find("exec"), std::string::npos) << DriverLog();
}

struct RequestTextRow {
  const char* name;
  std::string text;
  const char* refusal;  // "" when the text may be used
  const char* askedDriver;  // what the driver's rule was asked about; "" nothing
};

// The driver's rule here: it refuses one text, with its own reason.
std::string OneWrite(const std::string& text, std::vector<std::string>* asked) {
  asked->push_back(text);
  return text == "R1 = 7" ? "the driver writes R1" : std::string();
}

// What the event interface refuses itself, and what it leaves to the
// loaded driver's own rule of what an expression does.
const RequestTextRow kRequestTextRows[] = {
    {"RegisterName", "R1", "", "R1"},
    {"CallTheDriverTakes", "f(1)", "", "f(1)"},
    {"RefusedByTheDriver", "R1 = 7", "R: the driver writes R1", "R1 = 7"},
    {"Empty", "  ", "R: an expression expected", ""},
    {"LineEnd", "R1\nBK *", "R: the text holds a line end", ""},
    {"Nul", std::string("R1\0x", 4), "R: the text holds a NUL character", ""},
    {"Long", std::string(256, 'a'), "R: the text is longer than 255 characters", ""},
};

class RequestText : public ::testing::TestWithParam<RequestTextRow> {};

TEST_P(RequestText, TheDriverJudgesWhatPassesTheInterfacesChecks) {
  std::vector<std::string> asked;
  EXPECT_EQ(ReadOnlyExpressionRefusal("R", GetParam().text, [&](const std::string& t) { return OneWrite(t, &asked); }),
            GetParam().refusal);
  EXPECT_EQ(asked, *GetParam().askedDriver ? std::vector<std::string>{GetParam().askedDriver} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Rows, RequestText, ::testing::ValuesIn(kRequestTextRows),
                         [](const auto& info) { return std::string(info.param.name); });

const RequestTextRow kBreakpointTextRows[] = {
    {"Name", "main", "", "main"},
    {"CountAndCommand", "LED_On, 2, \"count = 0\"", "", "LED_On"},
    {"Address", "0x220, 1", "", "0x220"},
    {"CommaInsideBrackets", "*(int *)(R0 + 4), 3", "", "*(int *)(R0 + 4)"},
    {"CommaInsideQuotes", "\"a,b\", 3", "", "\"a,b\""},
    {"RefusedLocation", "R1 = 7, 2", "B: the driver writes R1", "R1 = 7"},
    {"LineEndInTheCommand", "main, 1, \"x\nBK *\"", "B: the text holds a line end", ""},
};

class BreakpointText : public ::testing::TestWithParam<RequestTextRow> {};

TEST_P(BreakpointText, TheDriverJudgesTheLocation) {
  std::vector<std::string> asked;
  EXPECT_EQ(BreakpointLocationRefusal("B", GetParam().text, [&](const std::string& t) { return OneWrite(t, &asked); }),
            GetParam().refusal);
  EXPECT_EQ(asked, *GetParam().askedDriver ? std::vector<std::string>{GetParam().askedDriver} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Rows, BreakpointText, ::testing::ValuesIn(kBreakpointTextRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IpcDebugTest, MutedHandlersSendNothing) {
  muted = 1;
  From(3, dtc_Debug::StepOver());
  From(3, dtc_Debug::SetBreakpoint("main"));
  EXPECT_TRUE(sent.empty());
}

TEST_F(IpcDebugTest, MessagesToTheTargetAndTheFilter) {
  Start();
  ClearDriverLog();
  From(3, dtc_TargetMessaging::MsgToTarget(PackedWords{7, 8, 9}, 10, 11, 99));
  From(3, dtc_TargetMessaging::MsgFromFilter(5, 6));
  EXPECT_EQ(DriverLog(), "control 2050\nmessage 7 99\n");
  EXPECT_EQ(handlers->FilterFirst(), 5u);
  EXPECT_EQ(handlers->FilterSecond(), 6u);
  EXPECT_TRUE(sent.empty());
}

TEST_F(IpcDebugTest, StopDebuggingEndsTheSessionAndForgetsTheClient) {
  Start();
  client = 6;
  From(6, dtc_Debug::StopDebugging());
  EXPECT_EQ(client.load(), -1);
  EXPECT_EQ(shell.calls, std::vector<std::string>{"stopsession"});
}

}  // namespace
}  // namespace pm2
