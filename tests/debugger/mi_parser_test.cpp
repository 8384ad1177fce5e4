// The GDB/MI parser with lines recorded from gdb-multiarch, the odd ones
// included: async records between results, escapes, errors.
#include "debugger/gdb/mi/mi_parser.h"

#include <gtest/gtest.h>

#include <chrono>

#include "debugger/gdb/mi/gdb_connection.h"

namespace pm2::gdb {
namespace {

struct LineRow {
  const char* name;
  std::string line;
  MiKind kind;
  int64_t token;
  std::string cls;
  std::string probe;     // "a.b" a nested string to read, or "" for the stream
  std::string expected;  // its value
};

std::string Probe(const MiRecord& r, const std::string& path) {
  if (path.empty()) return r.stream;
  const MiValue* v = &r.results;
  std::size_t b = 0;
  while (true) {
    std::size_t dot = path.find('.', b);
    std::string part = path.substr(b, dot == std::string::npos ? std::string::npos : dot - b);
    if (!part.empty() && part[0] == '#') {
      std::size_t i = std::stoul(part.substr(1));
      if (i >= v->items.size()) return "<no item>";
      v = &v->items[i].second;
    } else {
      v = v->Find(part);
      if (!v) return "<absent>";
    }
    if (dot == std::string::npos) break;
    b = dot + 1;
  }
  return v->text;
}

class MiLines : public ::testing::TestWithParam<LineRow> {};

TEST_P(MiLines, ParseAsRecorded) {
  const LineRow& row = GetParam();
  MiRecord r = ParseMiLine(row.line);
  EXPECT_EQ(r.kind, row.kind) << r.error;
  EXPECT_EQ(r.token, row.token);
  EXPECT_EQ(r.cls, row.cls);
  EXPECT_EQ(Probe(r, row.probe), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Recorded, MiLines,
    ::testing::Values(
        LineRow{"Prompt", "(gdb) ", MiKind::Prompt, -1, "", "", ""},
        LineRow{"PromptWithCarriageReturn", "(gdb) \r", MiKind::Prompt, -1, "", "", ""},
        LineRow{"DoneWithoutResults", "5^done", MiKind::Result, 5, "done", "", ""},
        LineRow{"Connected", "12^connected", MiKind::Result, 12, "connected", "", ""},
        LineRow{"BreakpointInserted",
                "3^done,bkpt={number=\"1\",type=\"breakpoint\",disp=\"keep\",enabled=\"y\",addr=\"0x000000b4\","
                "func=\"main\",file=\"Blinky.c\",fullname=\"/tmp/blinkytest/Blinky.c\",line=\"10\","
                "thread-groups=[\"i1\"],times=\"0\",original-location=\"main\"}",
                MiKind::Result, 3, "done", "bkpt.addr", "0x000000b4"},
        LineRow{"ListOfStringsInsideATuple",
                "3^done,bkpt={number=\"1\",thread-groups=[\"i1\",\"i2\"]}", MiKind::Result, 3, "done",
                "bkpt.thread-groups.#1", "i2"},
        LineRow{"StoppedAtBreakpoint",
                "*stopped,reason=\"breakpoint-hit\",disp=\"keep\",bkptno=\"1\",frame={addr=\"0x000000b4\","
                "func=\"main\",args=[],file=\"Blinky.c\",fullname=\"/tmp/blinkytest/Blinky.c\",line=\"10\","
                "arch=\"armv4t\"},thread-id=\"1\",stopped-threads=\"all\"",
                MiKind::Exec, -1, "stopped", "frame.line", "10"},
        LineRow{"StoppedWithEmptyArgs", "*stopped,frame={addr=\"0x00000000\",func=\"_start\",args=[],arch=\"armv4t\"}",
                MiKind::Exec, -1, "stopped", "frame.func", "_start"},
        LineRow{"Running", "*running,thread-id=\"all\"", MiKind::Exec, -1, "running", "thread-id", "all"},
        LineRow{"NotifyBetweenResults", "=thread-group-started,id=\"i1\",pid=\"1\"", MiKind::Notify, -1,
                "thread-group-started", "pid", "1"},
        LineRow{"ErrorWithMessage", "7^error,msg=\"No symbol \\\"nosuch\\\" in current context.\"",
                MiKind::Result, 7, "error", "msg", "No symbol \"nosuch\" in current context."},
        LineRow{"ConsoleWithTabAndNewline", "~\"10\\t  unsigned int n = LED_Count();\\n\"", MiKind::Console, -1, "",
                "", "10\t  unsigned int n = LED_Count();\n"},
        LineRow{"LogLine", "&\"Cannot execute this command while the target is running.\\n\"", MiKind::Log, -1, "",
                "", "Cannot execute this command while the target is running.\n"},
        LineRow{"OctalEscape", "~\"\\033[0m\\101\"", MiKind::Console, -1, "", "", "\033[0mA"},
        LineRow{"RegisterValuesListOfTuples",
                "9^done,register-values=[{number=\"0\",value=\"0x0\"},{number=\"15\",value=\"0xb4\"}]",
                MiKind::Result, 9, "done", "register-values.#1.value", "0xb4"},
        LineRow{"MemoryBlocks",
                "4^done,memory=[{begin=\"0x00000000\",offset=\"0x00000000\",end=\"0x00000004\","
                "contents=\"18f09fe5\"}]",
                MiKind::Result, 4, "done", "memory.#0.contents", "18f09fe5"},
        LineRow{"ListOfResults", "2^done,stack=[frame={level=\"0\",func=\"main\"},frame={level=\"1\",func=\"x\"}]",
                MiKind::Result, 2, "done", "stack.#1.func", "x"},
        // A breakpoint with commands, as gdb-multiarch 13 lists it: the
        // script is a tuple of bare strings.
        LineRow{"BreakpointListWithScript",
                "5^done,BreakpointTable={nr_rows=\"1\",nr_cols=\"6\",hdr=[{width=\"7\",alignment=\"-1\","
                "col_name=\"number\",colhdr=\"Num\"}],body=[bkpt={number=\"3\",type=\"breakpoint\",disp=\"keep\","
                "enabled=\"y\",addr=\"0x00000430\",func=\"Timer_Init\",file=\"Timer.c\",line=\"8\","
                "thread-groups=[\"i1\"],times=\"0\",script={\"print 1\",\"silent\"},"
                "original-location=\"Timer_Init\"}]}",
                MiKind::Result, 5, "done", "BreakpointTable.body.#0.script.#1", "silent"},
        LineRow{"FieldAfterScriptStillRead",
                "5^done,bkpt={number=\"3\",script={\"print 1\"},original-location=\"Timer_Init\"}", MiKind::Result,
                5, "done", "bkpt.original-location", "Timer_Init"},
        // gdb-multiarch 13.1, "-break-insert Twice" on a static inline
        // function of a header two files of the example include: the
        // locations follow their breakpoint as bare tuples.
        LineRow{"BreakpointInSeveralPlaces",
                "4^done,bkpt={number=\"1\",type=\"breakpoint\",disp=\"keep\",enabled=\"y\",addr=\"<MULTIPLE>\","
                "times=\"0\",original-location=\"Twice\"},{number=\"1.1\",enabled=\"y\",addr=\"0x00000334\","
                "func=\"Twice\",file=\"LED.h\",fullname=\"/tmp/blinky/LED.h\",line=\"11\","
                "thread-groups=[\"i1\"]},{number=\"1.2\",enabled=\"y\",addr=\"0x00000468\",func=\"Twice\","
                "file=\"LED.h\",fullname=\"/tmp/blinky/LED.h\",line=\"11\",thread-groups=[\"i1\"]}",
                MiKind::Result, 4, "done", "#2.addr", "0x00000468"},
        LineRow{"BreakpointCreatedInSeveralPlaces",
                "=breakpoint-created,bkpt={number=\"2\",type=\"breakpoint\",addr=\"<MULTIPLE>\"},"
                "{number=\"2.1\",addr=\"0x00000334\"},{number=\"2.2\",addr=\"0x00000468\"}",
                MiKind::Notify, -1, "breakpoint-created", "#1.number", "2.1"},
        LineRow{"GarbageIsNoRecord", "Reading symbols from Obj/Blinky.elf...", MiKind::Invalid, -1, "", "", ""},
        LineRow{"UnclosedStringIsRefused", "3^done,msg=\"abc", MiKind::Invalid, 3, "done", "msg", "<absent>"},
        LineRow{"UnclosedTupleIsRefused", "3^done,bkpt={number=\"1\"", MiKind::Invalid, 3, "done", "bkpt", "<absent>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MiQuoting, RoundTripsThroughTheParser) {
  const std::string text = "say \"hi\"\\now\n";
  std::string back;
  std::size_t used = 0;
  ASSERT_TRUE(ParseMiCString(MiQuote(text), &back, &used));
  EXPECT_EQ(back, text);
}

// Every byte survives the quoting, and no control character is left raw
// for gdb's line reader to act on.
TEST(MiQuoting, ControlCharactersAreEscaped) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(char(c));
  const std::string quoted = MiQuote(all);
  for (char c : quoted) EXPECT_GE(static_cast<unsigned char>(c), 0x20u) << int(c);
  std::string back;
  std::size_t used = 0;
  ASSERT_TRUE(ParseMiCString(quoted, &back, &used));
  EXPECT_EQ(back, all);
  EXPECT_EQ(used, quoted.size());
}

// The token table: answers reach their continuations by token, in any
// order, and async records between them go to the handlers.
TEST(GdbTokens, AnswersFindTheirContinuationsByToken) {
  std::vector<std::string> seen;
  GdbConnection::Handlers h;
  h.stopped = [&](const MiRecord& r) { seen.push_back("stopped " + r.results.Find("frame")->Str("line")); };
  h.console = [&](const std::string& t) { seen.push_back("console " + t); };
  GdbConnection c(h);
  // Without a process the commands go nowhere, but their tokens are taken.
  const int64_t a = c.Send("-exec-next", [&](const MiRecord& r) { seen.push_back("a " + r.cls); });
  const int64_t b = c.Send("-break-insert main", [&](const MiRecord& r) { seen.push_back("b " + r.cls); });
  EXPECT_EQ(b, a + 1);
  c.HandleLine(std::to_string(b) + "^done,bkpt={number=\"1\"}");
  c.HandleLine("~\"Breakpoint 1\\n\"");
  c.HandleLine(std::to_string(a) + "^running");
  EXPECT_EQ(c.State(), SessionState::Running);
  c.HandleLine("*stopped,frame={line=\"11\"}");
  EXPECT_EQ(c.State(), SessionState::Stopped);
  c.HandleLine(std::to_string(a) + "^done");  // a second answer to a token finds nobody
  EXPECT_EQ(seen, (std::vector<std::string>{"b done", "console Breakpoint 1\n", "a running", "stopped 11"}));
  EXPECT_EQ(c.Stops(), 1u);
}

// A call without an answer leaves gdb silent: the next call returns at once
// without waiting again, until gdb writes a line (a log line here, which
// goes to the log handler, not the console).
// gdb's log stream alone (its complaints about a server that does not
// answer) is no answer: only a record of gdb's own doing ends the silence.
TEST(GdbTokens, ACallWithoutAnswerLeavesGdbSilentUntilItAnswersAgain) {
  std::vector<std::string> logged, console;
  GdbConnection::Handlers h;
  h.console = [&](const std::string& t) { console.push_back(t); };
  h.log = [&](const std::string& t) { logged.push_back(t); };
  GdbConnection c(h);
  const int64_t before = c.Send("-list-features");
  EXPECT_EQ(c.Call("-exec-next", 50).cls, "timeout");
  EXPECT_TRUE(c.Silent());
  EXPECT_EQ(c.Call("-stack-info-depth", 2000).cls, "timeout");
  // Every command sent takes the next token: the silent call took none, so
  // it was neither sent nor waited for.
  EXPECT_EQ(c.Send("-list-features"), before + 2) << "the call to a silent gdb was sent and waited for";
  c.HandleLine("&\"Ignoring packet error, continuing...\\n\"");
  EXPECT_TRUE(c.Silent());
  EXPECT_EQ(c.Call("-stack-info-depth", 2000).cls, "timeout");
  EXPECT_EQ(c.Send("-list-features"), before + 3) << "a log line ended the silence";
  c.HandleLine("&\"\\\"/x.elf\\\": not in executable format\\n\"");
  c.HandleLine(std::to_string(before) + "^error,msg=\"late\"");
  EXPECT_FALSE(c.Silent());
  EXPECT_EQ(logged, (std::vector<std::string>{"Ignoring packet error, continuing...\n",
                                              "\"/x.elf\": not in executable format\n"}));
  EXPECT_TRUE(console.empty());
}

// An answer gdb gave that can't be read ends its caller's wait at once,
// as an error that says so, and gdb is not taken for silent.
TEST(GdbTokens, AnUnreadableAnswerEndsItsWaitWithAnError) {
  GdbConnection::Handlers h;
  GdbConnection c(h);
  std::string answer;
  const int64_t token =
      c.Send("-break-insert main", [&](const MiRecord& r) { answer = r.cls + " " + r.results.Str("msg"); });
  c.HandleLine(std::to_string(token) + "^done,bkpt={number=\"1\"");
  EXPECT_EQ(answer, "error gdb's answer could not be read ('}' missing)");
  EXPECT_FALSE(c.Silent());
  // A line that is no answer to anyone stays unread.
  answer.clear();
  const int64_t next = c.Send("-stack-info-depth", [&](const MiRecord& r) { answer = r.cls; });
  c.HandleLine(std::to_string(next) + "garbage");
  EXPECT_EQ(answer, "");
  c.HandleLine(std::to_string(next) + "^done,depth=\"1\"");
  EXPECT_EQ(answer, "done");
}

// A stop is told to the stop handler while the state is still Running (it
// records the position) and to the settled handler once it is Stopped,
// when the IDE's windows may ask gdb again.
TEST(GdbTokens, SettledHandlerSeesTheStoppedState) {
  std::vector<std::string> seen;
  GdbConnection* conn = nullptr;
  GdbConnection::Handlers h;
  h.stopped = [&](const MiRecord&) { seen.push_back(std::string("stopped ") + StateName(conn->State())); };
  h.settled = [&] { seen.push_back(std::string("settled ") + StateName(conn->State())); };
  GdbConnection c(h);
  conn = &c;
  c.HandleLine("*running,thread-id=\"all\"");
  c.HandleLine("*stopped,frame={line=\"11\"}");
  EXPECT_EQ(seen, (std::vector<std::string>{"stopped running", "settled stopped"}));
}

TEST(GdbTokens, DeathAnswersWaitingCommandsWithItsReason) {
  std::string dead;
  GdbConnection::Handlers h;
  h.dead = [&](const std::string& reason) { dead = reason; };
  GdbConnection c(h);
  std::string answer;
  c.Send("-exec-continue", [&](const MiRecord& r) { answer = r.cls + " " + r.results.Str("msg"); });
  c.Die("gdb-multiarch ended");
  EXPECT_EQ(answer, "error gdb-multiarch ended");
  EXPECT_EQ(dead, "gdb-multiarch ended");
  EXPECT_EQ(c.State(), SessionState::Dead);
  EXPECT_EQ(c.Send("-exec-next"), -1);  // refused once dead
}

}  // namespace
}  // namespace pm2::gdb
