// The driver's end of qemu's monitor against a peer that answers as qemu's
// readline monitor does (a greeting with its prompt, the echo of each
// command, a prompt once the command is done): a stop counts as taken only
// once its prompt came, however the answer is cut; a second stop is not
// sent while the first is not taken; a qemu that ended leaves nothing to
// take; and a wait for the answer ends when it comes.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>
#include <utility>

#include "debugger/gdb/process/qemu_monitor.h"
#include "hang_guard.h"

namespace pm2::gdb {
namespace {

const std::string kGreeting = "QEMU 7.2.22 monitor - type 'help' for more information\r\n(qemu) ";
// qemu's answer to "stop": its echo, redrawn as each byte comes, then the prompt.
const std::string kStopAnswer = "s\x1b[K\x1b[Dst\x1b[K\x1b[D\x1b[Dsto\x1b[K\x1b[D\x1b[D\x1b[Dstop\x1b[K\r\n(qemu) ";

class QemuMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    monitor.Open(ends[0]);
  }
  void TearDown() override {
    monitor.Close();
    if (ends[1] >= 0) close(ends[1]);
  }
  void Answer(const std::string& text) { ASSERT_EQ(write(ends[1], text.data(), text.size()), ssize_t(text.size())); }
  // What the monitor sent so far (nothing waits for more).
  std::string Sent() {
    std::string out;
    char b[256];
    for (ssize_t n; (n = recv(ends[1], b, sizeof b, MSG_DONTWAIT)) > 0;) out.append(b, std::size_t(n));
    return out;
  }

  int ends[2] = {-1, -1};
  QemuMonitor monitor;
};

TEST_F(QemuMonitorTest, AStopIsTakenOnceItsPromptCameWhereverTheAnswerIsCut) {
  Answer(kGreeting);
  EXPECT_TRUE(monitor.Taken(0)) << "nothing was sent";
  for (std::size_t cut = 0; cut < kStopAnswer.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    monitor.Stop();
    ASSERT_EQ(Sent(), "stop\n");
    Answer(kStopAnswer.substr(0, cut));
    EXPECT_FALSE(monitor.Taken(0));
    // qemu has not taken the first: a second would stop the same run, or a later one.
    monitor.Stop();
    EXPECT_EQ(Sent(), "");
    Answer(kStopAnswer.substr(cut));
    EXPECT_TRUE(monitor.Taken(0));
    EXPECT_TRUE(monitor.Taken(0)) << "the prompt was counted twice";
  }
}

TEST_F(QemuMonitorTest, AStopSentBeforeTheGreetingWaitsForItsOwnPrompt) {
  monitor.Stop();
  EXPECT_EQ(Sent(), "stop\n");
  Answer(kGreeting);
  EXPECT_FALSE(monitor.Taken(0)) << "the greeting's prompt is no answer to the stop";
  Answer(kStopAnswer);
  EXPECT_TRUE(monitor.Taken(0));
}

TEST_F(QemuMonitorTest, AQemuThatEndedLeavesNothingToTake) {
  Answer(kGreeting);
  monitor.Stop();
  ASSERT_EQ(Sent(), "stop\n");
  EXPECT_FALSE(monitor.Taken(0));
  close(std::exchange(ends[1], -1));
  EXPECT_TRUE(monitor.Taken(0));
  monitor.Stop();  // no signal from the closed socket
}

TEST_F(QemuMonitorTest, AWaitEndsWhenQemuAnswers) {
  Answer(kGreeting);
  monitor.Stop();
  // qemu goes on: it reads the command and answers while the monitor waits.
  std::thread qemu([&] {
    std::string got;
    char b[16];
    for (ssize_t n; got.size() < 5 && (n = read(ends[1], b, sizeof b)) > 0;) got.append(b, std::size_t(n));
    Answer(kStopAnswer);
  });
  // The limit only catches a hang.
  EXPECT_TRUE(monitor.Taken(test::kHangWaitMs));
  qemu.join();
}

}  // namespace
}  // namespace pm2::gdb
