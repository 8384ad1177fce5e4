#include "shell/tools/addin_link.h"

#include <gtest/gtest.h>
#include <sys/un.h>
#include <sys/socket.h>
#include <poll.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>
#include <unistd.h>

#include "shell/tools/addin_socket.h"
#include "platform/termination.h"
#include "hang_guard.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

TEST(AddInBlock, LayoutAndRoundTrip) {
  AddInBlock b;
  b.window = 0x11223344;
  b.processId = 7;
  b.replyAddress = 9;
  b.code = kIdeCommandState;
  b.args[0] = 1;
  b.args[2] = 9560;
  std::vector<uint8_t> bytes = EncodeAddInBlock(b);
  ASSERT_EQ(bytes.size(), 76u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes.data())), "EasyAddInData");
  EXPECT_EQ(bytes[32], 0x44);
  EXPECT_EQ(bytes[35], 0x11);
  EXPECT_EQ(bytes[48], 0x04);
  EXPECT_EQ(bytes[51], 0x80);
  EXPECT_EQ(bytes[60] | bytes[61] << 8, 9560);
  std::optional<AddInBlock> back = DecodeAddInBlock(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->args[2], 9560u);
  AddInBlock f;
  f.code = kIdeAnnounceFile;
  f.pathField = 388;
  f.path = std::string(500, 'p');
  bytes = EncodeAddInBlock(f);
  ASSERT_EQ(bytes.size(), 464u);
  EXPECT_EQ(DecodeAddInBlock(bytes.data(), bytes.size())->path.size(), 388u);
}

struct BadRow {
  const char* name;
  size_t size;
  int corruptAt;  // -1: none
};
class AddInBadBlock : public ::testing::TestWithParam<BadRow> {};
TEST_P(AddInBadBlock, Refused) {
  AddInBlock b;
  b.code = kAddInRegister;
  std::vector<uint8_t> bytes = EncodeAddInBlock(b);
  if (GetParam().corruptAt >= 0) bytes[static_cast<size_t>(GetParam().corruptAt)] ^= 0x20;
  EXPECT_FALSE(DecodeAddInBlock(bytes.data(), GetParam().size));
}
INSTANTIATE_TEST_SUITE_P(Rows, AddInBadBlock,
                         ::testing::Values(BadRow{"Short75", 75, -1}, BadRow{"SignatureCase", 76, 0},
                                           BadRow{"SignatureTail", 76, 20}, BadRow{"Empty", 0, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FakeAddInFrame : AddInFrame {
  void Beep() override { log.push_back("beep"); }
  int MessageBox(const std::string& t, int) override {
    log.push_back("box:" + t);
    return 1;
  }
  void ShowProjectFile(const std::string& p) override { log.push_back("show:" + p); }
  void OpenFileAndShow(const std::string& p, int line) override {
    log.push_back("open:" + p + ":" + std::to_string(line));
  }
  bool LeftButtonDown() override { return false; }
  bool IsDebugging() override { return debugging; }
  bool TargetRunning() override { return running; }
  void RunTarget() override { log.push_back("run"); }
  intptr_t IdeServiceCall(int code, intptr_t arg) override {
    log.push_back("svc:" + std::to_string(code) + "," + std::to_string(arg));
    return 1;
  }
  std::optional<std::string> FindSymbolLocation(const std::string& s, bool def, BrowseLocation* loc) override {
    log.push_back("find:" + s + (def ? ":def" : ":ref"));
    loc->file = "/src/x.c";
    loc->line = 12;
    loc->symbol = s;
    return findResult;
  }
  bool StepReference(bool next, BrowseLocation* loc) override {
    log.push_back(next ? "next" : "prev");
    loc->line++;
    return true;
  }
  std::vector<std::string> log;
  bool debugging = false, running = false;
  std::optional<std::string> findResult = std::string();
};

struct FakePeer : AddInPeer {
  AddInSendResult Send(const std::vector<uint8_t>& block, AddInReply* reply) override {
    std::optional<AddInBlock> b = DecodeAddInBlock(block.data(), block.size());
    sent.push_back(*b);
    awaited.push_back(true);
    if (b->code == kIdeSymbolRequest) {
      reply->word = symbolWord;
      reply->text = symbol;
    }
    if (b->code == kIdeFileRequest) reply->word = 42;
    return int(sent.size()) - 1 == endWaitOf ? AddInSendResult::WaitEnded : AddInSendResult::Answered;
  }
  bool SendUnawaited(const std::vector<uint8_t>& block) override {
    sent.push_back(*DecodeAddInBlock(block.data(), block.size()));
    awaited.push_back(false);
    return true;
  }
  std::vector<AddInBlock> sent;
  std::vector<bool> awaited;  // per block sent: whether its answer was waited for
  int endWaitOf = -1;         // the block (by number sent) whose wait the user ends
  uint32_t symbolWord = 1;
  std::string symbol = "main_loop";
};

std::vector<uint8_t> FromAddIn(uint32_t code, uint32_t pid, const char* path = nullptr, uint32_t arg2 = 0) {
  AddInBlock b;
  b.code = code;
  b.processId = pid;
  b.window = 77;
  b.replyAddress = 0x1000;
  b.args[2] = arg2;
  if (path) {
    b.pathField = 1;
    b.path = path;
  }
  return EncodeAddInBlock(b);
}

struct LinkFixture : ::testing::Test {
  FakeAddInFrame frame;
  FakePeer peer;
  AddInLinkLogic link{frame, 100};
  bool Deliver(const std::vector<uint8_t>& bytes, uint32_t peerPid = 55) {
    return link.HandleBlock(bytes.data(), bytes.size(), peerPid, {});
  }
  void SetUp() override { link.Attach(&peer, 55, 0); }
};

TEST_F(LinkFixture, AcceptanceRules) {
  AddInLinkLogic idle(frame, 100);
  std::vector<uint8_t> reg = FromAddIn(kAddInRegister, 55);
  EXPECT_FALSE(idle.HandleBlock(reg.data(), reg.size(), 55, {}));  // no add-in runs
  EXPECT_FALSE(Deliver(FromAddIn(kAddInRegister, 56)));            // another process id
  EXPECT_FALSE(Deliver(reg, 56));                                   // another peer on the socket
  EXPECT_FALSE(Deliver(FromAddIn(8, 55)));                          // unknown code
  std::vector<uint8_t> noReply = reg;
  noReply[44] = noReply[45] = 0;
  EXPECT_FALSE(Deliver(noReply));
  EXPECT_TRUE(Deliver(reg));
  EXPECT_EQ(link.Link().window, 77u);
}

TEST_F(LinkFixture, FilesAnnouncedOnceAndForgotten) {
  EXPECT_TRUE(Deliver(FromAddIn(kAddInOpenFile, 55, "*")));
  EXPECT_TRUE(link.Link().currentFile.empty());
  EXPECT_TRUE(Deliver(FromAddIn(kAddInOpenFile, 55, "/src/A.c")));
  EXPECT_EQ(frame.log, (std::vector<std::string>{"show:/src/A.c"}));
  link.NotifyFile("/src/a.C", 5);  // same file, other case: line only
  link.NotifyFile("/src/b.c", 6);
  ASSERT_EQ(peer.sent.size(), 3u);
  EXPECT_EQ(peer.sent[0].code, kIdeShowLine);
  EXPECT_EQ(peer.sent[1].code, kIdeAnnounceFile);
  EXPECT_EQ(peer.sent[1].pathField, 388u);
  EXPECT_EQ(peer.sent[2].args[2], 6u);
  EXPECT_TRUE(Deliver(FromAddIn(kAddInForgetFile, 55, "/SRC/B.C")));
  EXPECT_TRUE(link.Link().currentFile.empty());
  EXPECT_TRUE(Deliver(FromAddIn(kAddInDetach, 55)));
  EXPECT_FALSE(link.Running());
  link.NotifyFile("/src/c.c", 1);
  EXPECT_EQ(peer.sent.size(), 3u);  // nothing sent without an add-in
}

// The command states are one sequence: once the user ended a wait, the
// add-in still gets every state, but nothing more is waited for.
struct StatesRow {
  const char* name;
  int endWaitOf;
  std::vector<bool> awaited;
};
class AddInCommandStates : public ::testing::TestWithParam<StatesRow> {};
TEST_P(AddInCommandStates, OneEndedWaitEndsTheSequencesWait) {
  FakeAddInFrame frame;
  FakePeer peer;
  peer.endWaitOf = GetParam().endWaitOf;
  AddInLinkLogic link(frame, 100);
  link.Attach(&peer, 55, 0);
  link.SendAllCommandStates(true);
  ASSERT_EQ(peer.sent.size(), 6u);
  for (uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(peer.sent[i].code, kIdeCommandState);
    EXPECT_EQ(peer.sent[i].args[2], kAddInCmdRun + i);
    EXPECT_EQ(peer.sent[i].args[0], 0u);
    EXPECT_EQ(peer.sent[i].processId, 100u);
    EXPECT_EQ(peer.sent[i].replyAddress, 1u);
  }
  EXPECT_EQ(peer.awaited, GetParam().awaited);
  EXPECT_TRUE(link.Running());
}
INSTANTIATE_TEST_SUITE_P(
    Rows, AddInCommandStates,
    ::testing::Values(StatesRow{"AllAnswered", -1, {true, true, true, true, true, true}},
                      StatesRow{"FirstWaitEnded", 0, {true, false, false, false, false, false}},
                      StatesRow{"ThirdWaitEnded", 2, {true, true, true, false, false, false}},
                      StatesRow{"LastWaitEnded", 5, {true, true, true, true, true, true}}),
    [](const auto& info) { return std::string(info.param.name); });

// A file and its line are one sequence, as is what an outer sequence holds
// (the files of a Save All): once the user ended a wait, the rest goes out
// unawaited; the next sequence is waited for again.
struct SequenceRow {
  const char* name;
  bool outer;     // both notices inside one outer sequence
  int endWaitOf;  // the block (by number sent) whose wait the user ends
  std::vector<bool> awaited;
};
class AddInSequences : public ::testing::TestWithParam<SequenceRow> {};
TEST_P(AddInSequences, OneEndedWaitEndsTheSequencesWait) {
  FakeAddInFrame frame;
  FakePeer peer;
  peer.endWaitOf = GetParam().endWaitOf;
  AddInLinkLogic link(frame, 100);
  link.Attach(&peer, 55, 0);
  {
    std::optional<AddInLinkLogic::Sequence> outer;
    if (GetParam().outer) outer.emplace(link);
    link.NotifyFile("/src/main.c", 34);
    link.NotifyFile("/src/led.c", 7);
  }
  link.NotifyFile("/src/timer.c", 9);
  ASSERT_EQ(peer.sent.size(), 6u);
  const uint32_t codes[] = {kIdeAnnounceFile, kIdeShowLine, kIdeAnnounceFile,
                            kIdeShowLine,     kIdeAnnounceFile, kIdeShowLine};
  const uint32_t lines[] = {0, 34, 0, 7, 0, 9};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(peer.sent[i].code, codes[i]) << i;
    EXPECT_EQ(peer.sent[i].args[2], lines[i]) << i;
  }
  EXPECT_EQ(peer.sent[4].path, "/src/timer.c");
  EXPECT_EQ(peer.awaited, GetParam().awaited);
  EXPECT_TRUE(link.Running());
  EXPECT_EQ(link.Link().currentFile, "/src/timer.c");
}
INSTANTIATE_TEST_SUITE_P(
    Rows, AddInSequences,
    ::testing::Values(SequenceRow{"AllAnswered", false, -1, {true, true, true, true, true, true}},
                      SequenceRow{"FileWaitEnded", false, 0, {true, false, true, true, true, true}},
                      SequenceRow{"LineWaitEnded", false, 1, {true, true, true, true, true, true}},
                      SequenceRow{"FileWaitEndedInAnOuterSequence", true, 0, {true, false, false, false, true, true}},
                      SequenceRow{"SecondFileWaitEndedInAnOuterSequence", true, 2,
                                  {true, true, true, false, true, true}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SymbolRow {
  const char* name;
  uint32_t word;
  std::string symbol;
  std::vector<std::string> log;
};
class AddInSymbol : public ::testing::TestWithParam<SymbolRow> {};
TEST_P(AddInSymbol, DefinitionCommand) {
  FakeAddInFrame frame;
  FakePeer peer;
  peer.symbolWord = GetParam().word;
  peer.symbol = GetParam().symbol;
  AddInLinkLogic link(frame, 100);
  link.Attach(&peer, 55, 0);
  link.RunCommand(kAddInCmdDefinition, 0);
  EXPECT_EQ(frame.log, GetParam().log);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, AddInSymbol,
    ::testing::Values(SymbolRow{"Found", 1, "main_loop  ", {"find:main_loop:def"}},
                      SymbolRow{"NoReply", 0, "main_loop", {"beep"}},
                      SymbolRow{"StartsWithDigit", 1, "9lives", {"beep"}},
                      SymbolRow{"BlankInside", 1, "a b", {"beep"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkFixture, DebugCommandsOnlyWhileHalted) {
  link.RunCommand(kAddInCmdRun, 0);
  frame.debugging = true;
  frame.running = true;
  link.RunCommand(kAddInCmdRun, 0);
  frame.running = false;
  link.RunCommand(kAddInCmdRun, 0);
  link.RunCommand(kAddInCmdStepOver, 0);
  link.RunCommand(kAddInCmdStepInto, 0);
  link.RunCommand(kAddInCmdStepOut, 0);
  link.RunCommand(9999, 0);
  EXPECT_EQ(frame.log, (std::vector<std::string>{"beep", "beep", "run", "svc:8,1", "svc:7,1", "svc:12,0",
                                                 "svc:9,1", "beep"}));
}

TEST_F(LinkFixture, BrowserErrorShownAndReferencesStepped) {
  frame.findResult = std::string("Symbol 'main_loop' not found");
  link.RunCommand(kAddInCmdReference, 0);
  link.RunCommand(kAddInCmdNextRef, 0);
  EXPECT_EQ(frame.log, (std::vector<std::string>{"find:main_loop:ref", "beep", "box:Symbol 'main_loop' not found",
                                                 "next"}));
  EXPECT_EQ(peer.sent.back().args[2], 13u);  // the stepped line sent on
  EXPECT_EQ(ShowInAddInText("", 0), "Show File(Line)");
  EXPECT_EQ(ShowInAddInText("/a.c", 3), "Show /a.c(3)");
}

// The add-in peer program over the socket, with a folder of its own for
// its log and the socket: what the tests of the real program share.
struct PeerAddIn {
  explicit PeerAddIn(int replyTimeoutMs = 10000) : server{link, dir, replyTimeoutMs} {}
  static std::string PeerPath() {
    const char* bin = std::getenv("PM2_TEST_BIN");
    return bin ? std::string(bin) + "/tests/shell/tools/shell_tools_addin_peer" : "";
  }
  static std::string MadeFolder() {
    std::string tmpl = test::TempFolder() + "/pm2addinXXXXXX";
    const std::string dir = ::mkdtemp(tmpl.data());
    ::setenv("PM2_ADDIN_LOG", (dir + "/log").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    return dir;
  }
  ~PeerAddIn() {
    ::unsetenv("PM2_ADDIN_SILENT");
    ::unsetenv("PM2_ADDIN_HALF");
    std::system(("rm -rf " + dir).c_str());
  }
  bool Installed() const { return ::access(peer.c_str(), X_OK) == 0; }
  std::string peer = PeerPath();
  std::string dir = MadeFolder();
  FakeAddInFrame frame;
  AddInLinkLogic link{frame, static_cast<uint32_t>(::getpid())};
  AddInServer server;
};

// The add-in as a program of its own over the socket.
TEST(AddInServer, PeerProgramEndToEnd) {
  PeerAddIn a;
  if (!a.Installed()) GTEST_SKIP() << "add-in program missing";
  const std::string& peer = a.peer;
  const std::string& dir = a.dir;
  const std::string log = dir + "/log";
  FakeAddInFrame& frame = a.frame;
  AddInLinkLogic& link = a.link;
  AddInServer& server = a.server;
  std::string err;
  ASSERT_TRUE(server.StartAddIn(peer, false, 10000, &err)) << err;
  for (int i = 0; i < 200 && link.Running(); ++i) server.Poll(50);
  EXPECT_FALSE(link.Running());
  EXPECT_EQ(server.WaitForExit(test::kHangWaitMs), 0);
  EXPECT_EQ(frame.log, (std::vector<std::string>{"show:/src/main.c", "find:main_loop:def", "open:/src/x.c:42"}));
  FILE* f = std::fopen(log.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string text;
  char buf[256];
  while (std::fgets(buf, sizeof buf, f)) text += buf;
  std::fclose(f);
  EXPECT_EQ(text,
            "code 80000004 9560 \ncode 80000004 9561 \ncode 80000004 9562 \ncode 80000004 9563 \n"
            "code 80000004 9564 \ncode 80000004 9565 \n"
            "answer 1\nanswer 1\nanswer 0\nanswer 1\n"
            "code 80000009 1 \ncode 80000002 0 /src/x.c\ncode 80000003 12 \n"
            "answer 1\ncode 80000008 0 \nanswer 1\n");
  std::system(("rm -rf " + dir).c_str());  // the program named next is gone
  std::string missing;
  EXPECT_FALSE(server.StartAddIn(dir + "/nothing", false, 1000, &missing));
  EXPECT_EQ(missing, "Cannot run '" + dir + "/nothing' !");
}

// An add-in that never answers: the wait serves the caller all along, ends
// after the reply time with a message, and detaches the add-in.
TEST(AddInServer, SilentAddInTimesOutWithAMessage) {
  PeerAddIn a(300);
  if (!a.Installed()) GTEST_SKIP() << "add-in program missing";
  ::setenv("PM2_ADDIN_SILENT", "1", 1);
  const std::string& peer = a.peer;
  AddInLinkLogic& link = a.link;
  AddInServer& server = a.server;
  int served = 0;
  std::vector<std::string> told, events;
  server.SetWaitServer([&] { return ++served > 0; });
  server.SetWaitNotice([&](bool waiting, const std::string&) { events.push_back(waiting ? "wait" : "done"); });
  server.SetTimeoutHandler([&](const std::string& text) {
    told.push_back(text);
    events.push_back("told");
  });
  std::string err;
  const bool started = server.StartAddIn(peer, false, 10000, &err);
  ASSERT_TRUE(started) << err;
  // The command states went out first: the first of them found no answer.
  EXPECT_FALSE(link.Running());
  EXPECT_GE(served, 5);
  EXPECT_EQ(told, (std::vector<std::string>{"The add-in '" + peer + "' gave no answer within 1 seconds and is detached."}));
  // The message comes once the wait is over (its input filter gone, its
  // status cleared), else nothing could answer it.
  EXPECT_EQ(events, (std::vector<std::string>{"wait", "done", "told"}));
  EXPECT_EQ(server.WaitForExit(test::kHangWaitMs), 0);
}

// An add-in that stops reading: the blocks sent to it fill the socket, and
// the write that finds no room waits as a wait for an answer does (serving
// the window) for the reply time, then detaches the add-in with a message.
TEST(AddInServer, AnAddInThatStopsReadingIsDetachedNotWaitedForWithoutEnd) {
  PeerAddIn a(300);
  if (!a.Installed()) GTEST_SKIP() << "add-in program missing";
  ::setenv("PM2_ADDIN_DEAF", "1", 1);
  AddInServer& server = a.server;
  std::string err;
  const bool started = server.StartAddIn(a.peer, false, 10000, &err);
  ::unsetenv("PM2_ADDIN_DEAF");
  ASSERT_TRUE(started) << err;
  ASSERT_TRUE(a.link.Running());
  int served = 0;
  std::vector<std::string> told;
  server.SetWaitServer([&] { return ++served > 0; });
  server.SetTimeoutHandler([&](const std::string& text) { told.push_back(text); });
  const std::vector<uint8_t> block(kAddInFrameLimit - 8, 0x5a);
  int sent = 0;
  while (server.SendUnawaited(block)) ++sent;
  EXPECT_GT(sent, 10);  // a socket's room, at least
  EXPECT_FALSE(a.link.Running());
  EXPECT_EQ(server.ConnectionFd(), -1);
  EXPECT_GE(served, 5);
  EXPECT_EQ(told, (std::vector<std::string>{"The add-in '" + a.peer +
                                            "' took nothing of what was sent to it within 1 seconds and is detached."}));
  EXPECT_EQ(server.WaitForExit(test::kHangWaitMs), 0);
}

// An add-in that stops in the middle of a frame it sends of its own: what
// came is kept, the window is not held up waiting for the rest, and the
// add-in stays attached.
TEST(AddInServer, ABlockCutShortHoldsNothingUp) {
  // A reply time far beyond the test's: a Poll that waited for the rest of
  // the block would hang.
  PeerAddIn a(600000);
  if (!a.Installed()) GTEST_SKIP() << "add-in program missing";
  ::setenv("PM2_ADDIN_HALF", "block", 1);
  AddInServer& server = a.server;
  std::string err;
  ASSERT_TRUE(server.StartAddIn(a.peer, false, 10000, &err)) << err;
  // The half block comes right after the last answer; the add-in logs it.
  auto sent = [&] {
    std::ifstream log(a.dir + "/log");
    std::string line;
    while (std::getline(log, line))
      if (line == "half block sent") return true;
    return false;
  };
  for (int i = 0; i < 6000 && !sent(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(sent());
  {
    test::HangGuard guard("a poll with half a block come");
    server.Poll(0);
  }
  EXPECT_TRUE(a.link.Running());
  EXPECT_FALSE(server.HasPending()) << "half a block taken for a whole one";
}

// An add-in whose answer stops after its first bytes: the rest is waited
// for as the answer is, serving the caller (the window paints, Esc works)
// until the reply time ends, and then the add-in is detached with the
// message.
TEST(AddInServer, AnAnswerCutShortIsWaitedForServingTheCaller) {
  PeerAddIn a(1000);
  if (!a.Installed()) GTEST_SKIP() << "add-in program missing";
  ::setenv("PM2_ADDIN_HALF", "answer", 1);
  AddInServer& server = a.server;
  int served = 0;
  std::vector<std::string> told;
  server.SetWaitServer([&] { return ++served > 0; });
  server.SetTimeoutHandler([&](const std::string& text) { told.push_back(text); });
  std::string err;
  ASSERT_TRUE(server.StartAddIn(a.peer, false, 10000, &err)) << err;
  EXPECT_FALSE(a.link.Running());
  EXPECT_GE(served, 30);  // every few milliseconds of the second
  EXPECT_EQ(told.size(), 1u);
}

// A silent add-in whose wait the user ends (Esc in the window): the request
// is unanswered at once, the add-in stays attached, no message comes, and
// the wait was told as it began and ended with the add-in's program.
TEST(AddInServer, AWaitTheUserEndsLeavesTheRequestUnanswered) {
  PeerAddIn a(60000);
  if (!a.Installed()) GTEST_SKIP() << "add-in program missing";
  ::setenv("PM2_ADDIN_SILENT", "1", 1);
  const std::string& peer = a.peer;
  AddInLinkLogic& link = a.link;
  AddInServer& server = a.server;
  int served = 0;
  std::vector<std::string> told, notices;
  // The user presses Esc at the third look of every wait.
  server.SetWaitServer([&] { return ++served % 3 != 0; });
  server.SetWaitNotice([&](bool waiting, const std::string& program) {
    notices.push_back(waiting ? "wait " + program : "done");
  });
  server.SetTimeoutHandler([&](const std::string& text) { told.push_back(text); });
  std::string err;
  const bool started = server.StartAddIn(peer, false, 10000, &err);
  ASSERT_TRUE(started) << err;
  EXPECT_TRUE(link.Running());
  EXPECT_TRUE(told.empty()) << told[0];
  ASSERT_GE(notices.size(), 2u);
  EXPECT_EQ(notices[0], "wait " + peer);
  EXPECT_EQ(notices[1], "done");
}

// An add-in that starts and never connects: the start waits its time with
// the caller served all along (the window stays responsive), then fails.
TEST(AddInServer, AddInThatNeverConnectsIsWaitedForWhileTheCallerIsServed) {
  std::string tmpl = test::TempFolder() + "/pm2addinXXXXXX";
  std::string dir = ::mkdtemp(tmpl.data());
  const std::string program = dir + "/mute";
  std::ofstream(program) << "#!/bin/sh\nexec sleep 1\n";
  ::chmod(program.c_str(), 0755);
  ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  FakeAddInFrame frame;
  AddInLinkLogic link(frame, static_cast<uint32_t>(::getpid()));
  AddInServer server(link, dir);
  int served = 0;
  server.SetWaitServer([&] { return ++served > 0; });
  std::string err;
  const auto began = std::chrono::steady_clock::now();
  {
    test::HangGuard guard("the start of an add-in that never connects");
    EXPECT_FALSE(server.StartAddIn(program, false, 600, &err));
  }
  const auto took = std::chrono::steady_clock::now() - began;
  EXPECT_EQ(err, "Cannot run '" + program + "' !");
  EXPECT_GE(served, 10);
  // It waits its whole time (a busy machine only makes that longer); what
  // holds it up past its time is the hang guard's to catch.
  EXPECT_GE(took, std::chrono::milliseconds(550));
  EXPECT_FALSE(link.Running());
  server.WaitForExit(test::kHangWaitMs);
  std::system(("rm -rf " + dir).c_str());
}

// The program ended by a signal (its termination cleanups run) leaves no
// socket file of the add-in link behind.
TEST(AddInServer, TheSocketFileGoesAtTheEndByASignal) {
  std::string tmpl = test::TempFolder() + "/pm2addinXXXXXX";
  std::string dir = ::mkdtemp(tmpl.data());
  FakeAddInFrame frame;
  AddInLinkLogic link(frame, static_cast<uint32_t>(::getpid()));
  AddInServer server(link, dir);
  ASSERT_TRUE(server.Listen());
  ASSERT_EQ(::access(server.SocketPath().c_str(), F_OK), 0);
  RunTerminationCleanups();
  EXPECT_NE(::access(server.SocketPath().c_str(), F_OK), 0);
  std::system(("rm -rf " + dir).c_str());
}

// Connections nobody asked for (a second add-in, a stranger) are taken off
// the listening socket and closed, so its watcher does not fire for ever.
TEST(AddInServer, ExtraConnectionsAreRefusedAndClosed) {
  std::string tmpl = test::TempFolder() + "/pm2addinXXXXXX";
  std::string dir = ::mkdtemp(tmpl.data());
  FakeAddInFrame frame;
  AddInLinkLogic link(frame, static_cast<uint32_t>(::getpid()));
  AddInServer server(link, dir);
  ASSERT_TRUE(server.Listen());
  std::vector<int> strangers;
  for (int i = 0; i < 2; ++i) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", server.SocketPath().c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    strangers.push_back(fd);
  }
  server.Poll(0);
  pollfd pf{server.ListenFd(), POLLIN, 0};
  EXPECT_EQ(::poll(&pf, 1, 0), 0) << "a connection is still waiting";
  for (int fd : strangers) {
    char c;
    EXPECT_EQ(::recv(fd, &c, 1, 0), 0) << "the connection was not closed";
    ::close(fd);
  }
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace pm2
