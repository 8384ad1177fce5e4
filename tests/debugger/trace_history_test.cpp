// The execution history: qemu's exec-log lines, the bounded ring, the FIFO
// reader, and the history as listing lines walked both ways.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "debugger/gdb/trace/exec_trace.h"
#include "debugger/driver_shared/trace_history.h"
#include "hang_guard.h"

namespace pm2 {
namespace {

// The request for the end of the history, as the disassembly cache makes it
// before stepping back with Prev.
DisasmLine EndRequest() {
  DisasmLine l{};
  l.kind = kDisasmTrace1;
  l.item = 0;
  return l;
}

struct LogRow {
  const char* name;
  const char* line;
  bool ok;
  uint32_t pc;
};

// Lines as qemu 7.2 writes them, and what is not one.
const LogRow kLogRows[] = {
    {"WithSymbol", "Trace 0: 0x7f5f28003540 [00000400/00000324/00000020/ff000201] LED_Init", true, 0x324},
    {"WithoutSymbol", "Trace 0: 0x7f7f08000100 [00000400/00000000/00000020/ff000201] ", true, 0},
    {"HighAddress", "Trace 1: 0x7f7f08000100 [00000400/e000c014/00000020/ff000e01] main", true, 0xE000C014},
    {"SixtyFourBitGuestKeepsLowWord", "Trace 0: 0x1 [00000400/0000000100000abc/0/0]", true, 0xABC},
    {"UpperCaseHex", "Trace 0: 0x1 [00000400/0000ABCD/0/0]", true, 0xABCD},
    {"OtherLogLine", "IN: main", false, 0},
    {"LinkingLine", "Linking TBs 0x7f..[00000320] index 0 -> 0x7f..[00000324]", false, 0},
    {"NoSlash", "Trace 0: 0x1 [00000400]", false, 0},
    {"EmptyAddress", "Trace 0: 0x1 [00000400//0/0]", false, 0},
    {"NotHex", "Trace 0: 0x1 [00000400/0000xyz0/0/0]", false, 0},
    {"Cut", "Trace 0: 0x1 [00000400/0000", false, 0},
};

class ExecLogLine : public ::testing::TestWithParam<LogRow> {};
TEST_P(ExecLogLine, Parses) {
  uint32_t pc = 0xDEAD;
  EXPECT_EQ(gdb::ParseExecLogLine(GetParam().line, &pc), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(pc, GetParam().pc);
  }
}
INSTANTIATE_TEST_SUITE_P(Rows, ExecLogLine, ::testing::ValuesIn(kLogRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct RingRow {
  const char* name;
  size_t capacity;
  int pushes;
  std::vector<uint32_t> expected;  // oldest first
};
const RingRow kRingRows[] = {
    {"Empty", 4, 0, {}},
    {"PartlyFilled", 4, 3, {1, 2, 3}},
    {"ExactlyFull", 4, 4, {1, 2, 3, 4}},
    {"OverwritesOldest", 4, 6, {3, 4, 5, 6}},
    {"WrapsManyTimes", 3, 10, {8, 9, 10}},
    {"CapacityOne", 1, 5, {5}},
};
class TraceRingRows : public ::testing::TestWithParam<RingRow> {};
TEST_P(TraceRingRows, KeepsTheLastEntriesOldestFirst) {
  gdb::TraceRing ring(GetParam().capacity);
  for (int i = 1; i <= GetParam().pushes; ++i) ring.Push(uint32_t(i));
  EXPECT_EQ(ring.Size(), GetParam().expected.size());
  EXPECT_EQ(ring.Entries(), GetParam().expected);
  ring.Clear();
  EXPECT_EQ(ring.Size(), 0u);
  ring.Push(42);
  EXPECT_EQ(ring.Entries(), std::vector<uint32_t>{42});
}
INSTANTIATE_TEST_SUITE_P(Rows, TraceRingRows, ::testing::ValuesIn(kRingRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The reader drains its FIFO across a writer that closes and comes back,
// with lines cut between writes, and stops while nobody writes.
TEST(ExecTraceReader, ReadsLinesFromSuccessiveWritersAndStops) {
  gdb::ExecTraceReader reader;
  std::string err;
  ASSERT_TRUE(reader.Start(&err)) << err;
  const std::string path = reader.Path();
  auto write = [&](const std::string& text) {
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const size_t half = text.size() / 2;
    ASSERT_EQ(::write(fd, text.data(), half), ssize_t(half));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(::write(fd, text.data() + half, text.size() - half), ssize_t(text.size() - half));
    close(fd);
  };
  // Bounded only to catch a reader that never takes the lines.
  auto waitFor = [&](size_t n) {
    for (int i = 0; i < 6000 && reader.Entries().size() < n; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return reader.Entries().size();
  };
  write("Trace 0: 0x1 [00000400/00000100/0/0] a\nIN: noise\nTrace 0: 0x1 [00000400/00000104/0/0] a\n");
  EXPECT_EQ(waitFor(2), 2u);
  write("Trace 0: 0x1 [00000400/00000108/0/0] b\n");
  EXPECT_EQ(waitFor(3), 3u);
  EXPECT_EQ(reader.Entries(), (std::vector<uint32_t>{0x100, 0x104, 0x108}));
  reader.Clear();
  EXPECT_TRUE(reader.Entries().empty());
  {
    // A reader blocked on the FIFO without a writer would never stop.
    test::HangGuard guard("stopping the trace reader while nobody writes");
    reader.Stop();
  }
  EXPECT_NE(access(path.c_str(), F_OK), 0) << "the FIFO goes with the reader";
}

// Unlinked once the writer has it open: the name is gone at once, the
// lines still arrive, and the reader ends with the writer.
TEST(ExecTraceReader, UnlinkedWhileOpenStillReads) {
  gdb::ExecTraceReader reader;
  std::string err;
  ASSERT_TRUE(reader.Start(&err)) << err;
  const std::string path = reader.Path();
  int fd = -1;
  for (int i = 0; i < 6000 && fd < 0; ++i) {
    fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);  // fails until the reader has it open
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_GE(fd, 0);
  reader.Unlink();
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  const std::string line = "Trace 0: 0x1 [00000400/00000200/0/0] x\n";
  ASSERT_EQ(::write(fd, line.data(), line.size()), ssize_t(line.size()));
  close(fd);
  for (int i = 0; i < 6000 && reader.Entries().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(reader.Entries(), std::vector<uint32_t>{0x200});
  reader.Stop();
  EXPECT_EQ(reader.Entries(), std::vector<uint32_t>{0x200}) << "the history outlives the reader";
}

// qemu has written a step's lines by the time the stop is reported, but
// the reader may not have woken for them yet: the history asked for at once
// holds them all the same.
TEST(ExecTraceReader, TheHistoryAskedRightAfterAWriteHoldsIt) {
  gdb::ExecTraceReader reader;
  std::string err;
  ASSERT_TRUE(reader.Start(&err)) << err;
  int fd = -1;
  for (int i = 0; i < 6000 && fd < 0; ++i) {
    fd = open(reader.Path().c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);  // fails until the reader has it open
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_GE(fd, 0);
  for (int i = 0; i < 200; ++i) {
    char line[64];
    const int n = std::snprintf(line, sizeof line, "Trace 0: 0x1 [00000400/%08X/0/0] f\n", 0x1000 + 4 * i);
    ASSERT_EQ(::write(fd, line, size_t(n)), ssize_t(n));
    const std::vector<uint32_t> entries = reader.Entries();
    ASSERT_EQ(entries.size(), size_t(i + 1)) << "right after line " << i;
    EXPECT_EQ(entries.back(), uint32_t(0x1000 + 4 * i));
  }
  close(fd);
  reader.Stop();
}

// A history of five entries over three source lines: 0x100 and 0x104 on
// line 10, 0x200 without source, 0x108 on line 11, 0x10C (the PC) on 11.
class HistoryTest : public ::testing::Test {
 protected:
  HistoryTest()
      : history([this](uint32_t a) {
          ++described;
          TraceStep s;
          s.instruction = "insn_" + std::to_string(a);
          if (a == 0x100 || a == 0x104) s.file = "a.c", s.line = 10, s.sourceText = "x = 1;";
          if (a == 0x108 || a == 0x10C) s.file = "a.c", s.line = 11, s.sourceText = "y = 2;";
          return s;
        }) {
    history.Set({0x100, 0x104, 0x200, 0x108, 0x10C});
  }
  // Kinds and addresses walked forward from the start request.
  std::vector<std::string> Forward() {
    std::vector<std::string> out;
    DisasmLine l = EndRequest();
    for (history.Next(&l); l.kind != kDisasmEnd; history.Next(&l))
      out.push_back(std::to_string(l.kind) + "@" + std::to_string(l.address) + "#" + std::to_string(l.line));
    return out;
  }
  int described = 0;
  TraceHistory history;
};

TEST_F(HistoryTest, ForwardShowsSourceLinesWhereTheyChange) {
  EXPECT_EQ(Forward(), (std::vector<std::string>{"37@256#0", "35@256#0", "35@260#1", "35@512#2", "37@264#3",
                                                 "35@264#3", "35@268#4"}));
  // Each address is described once.
  EXPECT_EQ(described, 5);
}

TEST_F(HistoryTest, BackwardFromTheEndRequestRetracesTheSameLines) {
  std::vector<std::string> back;
  DisasmLine l = EndRequest();
  for (history.Prev(&l); l.kind != kDisasmEnd; history.Prev(&l))
    back.push_back(std::to_string(l.kind) + "@" + std::to_string(l.address) + "#" + std::to_string(l.line));
  std::vector<std::string> forward = Forward();
  EXPECT_EQ(back, std::vector<std::string>(forward.rbegin(), forward.rend()));
}

TEST_F(HistoryTest, OnlyTheLastInstructionHoldsThePcAndTextsNameAddressAndSource) {
  DisasmLine l = EndRequest();
  history.Prev(&l);
  EXPECT_TRUE(l.state & kDisasmPc);
  EXPECT_EQ(l.item, 5u);
  EXPECT_EQ(history.Text(l), "0x0000010C  insn_268");
  history.Prev(&l);
  EXPECT_FALSE(l.state & kDisasmPc);
  history.Prev(&l);
  ASSERT_EQ(l.kind, kDisasmTrace3);
  EXPECT_EQ(history.Text(l), "   11: y = 2;");
  EXPECT_EQ(history.Descriptor()[TraceHistory::kCountWord], 5u);
}

TEST_F(HistoryTest, LinesOfAnOlderHistoryEndAndAnEmptyHistoryHasNoDescriptor) {
  DisasmLine l = EndRequest();
  history.Prev(&l);
  history.Set({0x100});
  DisasmLine stale = l;
  history.Next(&stale);
  EXPECT_EQ(stale.kind, kDisasmEnd);
  stale = l;
  history.Prev(&stale);
  EXPECT_EQ(stale.kind, kDisasmEnd);
  EXPECT_EQ(history.Text(l), "");
  history.Set({});
  EXPECT_EQ(history.Descriptor(), nullptr);
  DisasmLine request = EndRequest();
  history.Prev(&request);
  EXPECT_EQ(request.kind, kDisasmEnd);
}

}  // namespace
}  // namespace pm2
