#include "shell/tools/instance_channel.h"
#include "test_leftovers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace pm2 {
namespace {

struct FormatRow {
  const char* name;
  std::string text;
  int kind, length;
  std::string want;
};
class ChannelFormat : public ::testing::TestWithParam<FormatRow> {};
TEST_P(ChannelFormat, Text) {
  EXPECT_EQ(FormatChannelMessage(GetParam().text, GetParam().kind, GetParam().length), GetParam().want);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, ChannelFormat,
    ::testing::Values(FormatRow{"Plain", "g,main", 2, 6, "006002g,main"},
                      FormatRow{"CutToLength", "abcdef", 1, 3, "003001abc"},
                      FormatRow{"LimitedTo255", std::string(300, 'x'), 2, 300, "255002" + std::string(255, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecodeRow {
  const char* name;
  std::string data;
  bool acted;
  int kind;
  std::string text;
  int value;
};
class ChannelDecode : public ::testing::TestWithParam<DecodeRow> {};
TEST_P(ChannelDecode, Receiver) {
  std::optional<ChannelRequest> r = DecodeChannelMessage(GetParam().data);
  ASSERT_EQ(r.has_value(), GetParam().acted);
  if (!r) return;
  EXPECT_EQ(r->kind, GetParam().kind);
  EXPECT_EQ(r->text, GetParam().text);
  EXPECT_EQ(r->value, GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, ChannelDecode,
    ::testing::Values(
        DecodeRow{"CommandGetsOneLf", "004002g,10", true, 2, "g,10\n", 0},
        DecodeRow{"FinalLfNotDoubled", "005001g,10\n", true, 1, "g,10\n", 0},
        DecodeRow{"TextCutToLengthField", "002002abcdef", true, 2, "ab\n", 0},
        DecodeRow{"ProgressText", "999180Loading", true, 180, "Loading", 0},
        DecodeRow{"ProgressClear", "999181", true, 181, "", 0},
        DecodeRow{"ProgressValue", "99918250%", true, 182, "", 50},
        DecodeRow{"ProgressValueAbove100", "999182150", false, 0, "", 0},
        DecodeRow{"ProgressWrongLength", "005180hello", false, 0, "", 0},
        DecodeRow{"UnknownKind", "003007abc", false, 0, "", 0},
        DecodeRow{"Short", "00400", false, 0, "", 0},
        DecodeRow{"NotDigits", "0x4002abcd", false, 0, "", 0},
        DecodeRow{"ReceiverSees256Bytes", "255002" + std::string(300, 'y'), true, 2,
                  std::string(250, 'y') + "\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct RecordingChannelHandler : InstanceChannelHandler {
  void ExecDebugCommandLine(const std::string& line) override { got.push_back("cmd:" + line); }
  void ProgressRequest(int code, const std::string& text, int value) override {
    got.push_back("progress:" + std::to_string(code) + ":" + text + ":" + std::to_string(value));
  }
  std::vector<std::string> got;
};

struct TempFolder {
  TempFolder() {
    std::string tmpl = test::TempFolder() + "/pm2chXXXXXX";
    path = ::mkdtemp(tmpl.data());
  }
  ~TempFolder() { std::system(("rm -rf " + path).c_str()); }
  std::string path;
};

TEST(InstanceChannel, ClosedChannelSendsNothing) {
  InstanceChannel ch("/tmp");
  EXPECT_EQ(ch.Send("x", 2, 1), 0);
  RecordingChannelHandler h;
  EXPECT_EQ(ch.Poll(h, 0), 0);
}

TEST(InstanceChannel, SocketIsPrivateAndStaleOnesRemoved) {
  TempFolder dir;
  InstanceChannel ch(dir.path);
  ASSERT_TRUE(ch.Init());
  struct stat st;
  ASSERT_EQ(::stat(ch.SocketPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);
  // A socket left by a process that ended.
  std::string stale = dir.path + "/szVondSW." + std::to_string(::getuid()) + ".999999999";
  int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::snprintf(a.sun_path, sizeof a.sun_path, "%s", stale.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ::close(fd);
  EXPECT_EQ(ch.Send("x", 2, 1), 0);
  EXPECT_NE(::access(stale.c_str(), F_OK), 0);
  ch.Exit();
  EXPECT_NE(::access(ch.SocketPath().c_str(), F_OK), 0);
}

TEST(InstanceChannel, PeerProcessBothWays) {
  TempFolder dir;
  InstanceChannel ch(dir.path);
  ASSERT_TRUE(ch.Init());
  const char* bin = std::getenv("PM2_TEST_BIN");
  std::string peer = bin ? std::string(bin) + "/tests/shell/tools/shell_tools_channel_peer" : "";
  if (::access(peer.c_str(), X_OK) != 0) GTEST_SKIP() << "peer program missing";
  FILE* p = ::popen((peer + " " + dir.path + " '99918242'").c_str(), "r");
  ASSERT_NE(p, nullptr);
  char line[600];
  ASSERT_TRUE(std::fgets(line, sizeof line, p));
  EXPECT_STREQ(line, "ready\n");
  EXPECT_EQ(ch.Send("bs 0x100", 2, 8), 1);
  ASSERT_TRUE(std::fgets(line, sizeof line, p));
  EXPECT_STREQ(line, "got:008002bs 0x100\n");
  RecordingChannelHandler h;
  EXPECT_EQ(ch.Poll(h, 5000), 1);
  EXPECT_EQ(h.got, (std::vector<std::string>{"progress:182::42"}));
  EXPECT_EQ(::pclose(p), 0);
}

}  // namespace
}  // namespace pm2
