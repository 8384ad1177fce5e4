// The "MFrame" values and their stored forms, in named rows.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/settings_store.h"
#include "shell/frame/display_check.h"
#include "shell/frame/frame_settings.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

struct SettingsPlacementRow {
  const char* name;
  const char* text;
  bool ok;
};

const SettingsPlacementRow kPlacements[] = {
    {"TenNumbers", "0,1,-1,-1,-8,-8,100,50,1200,900", true},
    {"Maximised", "2,3,-1,-1,-8,-8,10,20,30,40", true},
    {"NineNumbers", "0,1,-1,-1,-8,-8,100,50,1200", false},
    {"ElevenNumbers", "0,1,-1,-1,-8,-8,100,50,1200,900,1", false},
    {"NegativeFlags", "-1,1,0,0,0,0,0,0,10,10", false},
    {"Letter", "0,1,0,0,0,0,0,x,10,10", false},
    {"EmptyField", "0,1,0,0,,0,0,0,10,10", false},
    {"Empty", "", false},
    {"TrailingComma", "0,1,0,0,0,0,0,0,10,10,", false},
    {"Overflow", "0,1,0,0,0,0,0,0,10,99999999999", false},
};

class Placement : public ::testing::TestWithParam<SettingsPlacementRow> {};

TEST_P(Placement, ParsesOnlyTenNumbers) {
  const SettingsPlacementRow& r = GetParam();
  FramePlacement p;
  p.left = 777;
  EXPECT_EQ(ParseFramePlacement(r.text, &p), r.ok);
  if (r.ok)
    EXPECT_EQ(FormatFramePlacement(p), r.text);
  else
    EXPECT_EQ(p.left, 777);  // untouched
}

INSTANTIATE_TEST_SUITE_P(Rows, Placement, ::testing::ValuesIn(kPlacements),
                         [](const ::testing::TestParamInfo<SettingsPlacementRow>& i) { return std::string(i.param.name); });

TEST(WindowFonts, RoundTripAndRefusals) {
  std::string bytes(kWindowFontsSize, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7);
  std::string hex = EncodeWindowFonts(bytes);
  ASSERT_EQ(hex.size(), 2 * kWindowFontsSize);
  EXPECT_EQ(hex.substr(0, 6), "00070E");
  std::string back = "old";
  ASSERT_TRUE(DecodeWindowFonts(hex, &back));
  EXPECT_EQ(back, bytes);
  // One digit short, one bad digit: the old record stays.
  back = "old";
  EXPECT_FALSE(DecodeWindowFonts(hex.substr(1), &back));
  std::string bad = hex;
  bad[100] = 'G';
  EXPECT_FALSE(DecodeWindowFonts(bad, &back));
  EXPECT_EQ(back, "old");
}

struct SizeRow {
  const char* name;
  int stored;
  int expected;
};

const SizeRow kSizes[] = {{"Zero", 0, 130}, {"One", 1, 1}, {"Max", 1023, 1023}, {"TooBig", 1024, 130},
                          {"Negative", -5, 130}};

class BarSize : public ::testing::TestWithParam<SizeRow> {};

TEST_P(BarSize, TakenInRange) { EXPECT_EQ(TakeBarSize(GetParam().stored, 130), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Rows, BarSize, ::testing::ValuesIn(kSizes),
                         [](const ::testing::TestParamInfo<SizeRow>& i) { return std::string(i.param.name); });

TEST(FrameSettings, SaveAndLoadKeepEveryValue) {
  SettingsStore store("/nonexistent/settings.ini");
  FrameSettings s;
  s.outputHeight = 222;
  s.projectWidth = 333;
  s.workbookMode = true;
  s.reopenLastProject = false;
  s.includeDependencies = false;
  s.windowFonts = std::string(kWindowFontsSize, 'A');
  s.hasPlacement = true;
  s.placement.showCmd = 3;
  s.placement.right = 800;
  s.placement.bottom = 600;
  SaveFrameSettings(store, s);
  FrameSettings r = LoadFrameSettings(store);
  EXPECT_EQ(r.outputHeight, 222);
  EXPECT_EQ(r.projectWidth, 333);
  EXPECT_TRUE(r.workbookMode);
  EXPECT_FALSE(r.reopenLastProject);
  EXPECT_FALSE(r.includeDependencies);
  EXPECT_EQ(r.windowFonts, s.windowFonts);
  ASSERT_TRUE(r.hasPlacement);
  EXPECT_EQ(FormatFramePlacement(r.placement), FormatFramePlacement(s.placement));
}

TEST(FrameSettings, DefaultsWithoutStoredValues) {
  SettingsStore store("/nonexistent/settings.ini");
  store.WriteProfileInt(kFrameSection, "OvwH", 1024);
  store.WriteProfileString(kFrameSection, "WinPos", "1,2,3");
  FrameSettings r = LoadFrameSettings(store);
  EXPECT_EQ(r.outputHeight, 130);
  EXPECT_EQ(r.projectWidth, 180);
  EXPECT_TRUE(r.reopenLastProject);
  EXPECT_FALSE(r.hasPlacement);
  EXPECT_TRUE(r.windowFonts.empty());
}

struct DisplayRow {
  const char* name;
  const char* platform;
  const char* display;
  const char* wayland;
  bool has;
};

const DisplayRow kDisplays[] = {
    {"X11", nullptr, ":0", nullptr, true},
    {"Wayland", nullptr, nullptr, "wayland-0", true},
    {"Nothing", nullptr, nullptr, nullptr, false},
    {"EmptyDisplay", nullptr, "", nullptr, false},
    {"OffscreenWins", "offscreen", ":0", nullptr, false},
    {"MinimalWins", "minimal", ":1", nullptr, false},
    {"XcbWithoutDisplay", "xcb", nullptr, nullptr, false},
    {"VncByName", "vnc", nullptr, nullptr, true},
};

class Display : public ::testing::TestWithParam<DisplayRow> {};

TEST_P(Display, Decides) {
  const DisplayRow& r = GetParam();
  auto env = [&](const char* name) -> const char* {
    std::string n = name;
    if (n == "QT_QPA_PLATFORM") return r.platform;
    if (n == "DISPLAY") return r.display;
    if (n == "WAYLAND_DISPLAY") return r.wayland;
    return nullptr;
  };
  EXPECT_EQ(HasDisplay(env), r.has);
}

INSTANTIATE_TEST_SUITE_P(Rows, Display, ::testing::ValuesIn(kDisplays),
                         [](const ::testing::TestParamInfo<DisplayRow>& i) { return std::string(i.param.name); });

// A display named in the environment answers only when a server listens:
// a named one that does not (a closed session's) counts as no display.
TEST(DisplayReachable, OnlyWhenAServerListens) {
  namespace fs = std::filesystem;
  const std::string folder = test::TempFolder() + "/displays";
  fs::create_directories(folder);
  // A compositor's socket that listens, and one whose server has gone.
  auto socketAt = [](const std::string& path, bool listening) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    if (listening) {
      EXPECT_EQ(::listen(fd, 4), 0);
    }
    return fd;
  };
  const int live = socketAt(folder + "/wayland-live", true);
  ::close(socketAt(folder + "/wayland-gone", false));
  // An X display number no server has: neither its socket file nor its
  // abstract socket.
  std::ifstream in("/proc/net/unix");
  const std::string sockets((std::istreambuf_iterator<char>(in)), {});
  std::string silent;
  for (int n = 957; silent.empty(); ++n) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    if (!fs::exists(socket) && sockets.find("@" + socket + "\n") == std::string::npos) silent = ":" + std::to_string(n);
  }
  struct Row {
    const char* name;
    std::map<std::string, std::string> env;
    bool reachable;
  } rows[] = {
      {"X server that does not answer", {{"DISPLAY", silent}}, false},
      {"its screen named too", {{"DISPLAY", "unix" + silent + ".0"}}, false},
      {"Wayland socket by its path", {{"WAYLAND_DISPLAY", folder + "/wayland-live"}}, true},
      {"Wayland socket in the runtime folder", {{"WAYLAND_DISPLAY", "wayland-live"}, {"XDG_RUNTIME_DIR", folder}}, true},
      {"Wayland socket nobody listens on", {{"WAYLAND_DISPLAY", folder + "/wayland-gone"}}, false},
      {"Wayland socket that is not there", {{"WAYLAND_DISPLAY", folder + "/wayland-9"}}, false},
      {"X chosen, only Wayland answers",
       {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", silent}, {"WAYLAND_DISPLAY", folder + "/wayland-live"}}, false},
      {"X silent, Wayland answers", {{"DISPLAY", silent}, {"WAYLAND_DISPLAY", folder + "/wayland-live"}}, true},
      {"a platform chosen by name", {{"QT_QPA_PLATFORM", "vnc"}}, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto env = [&](const char* name) -> const char* {
      const auto it = r.env.find(name);
      return it == r.env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(DisplayReachable(env), r.reachable);
  }
  ::close(live);
  fs::remove_all(folder);
}

struct FitRow {
  const char* name;
  FramePlacement stored;
  bool fitted;
  ScreenArea expected;
};

// Two screens side by side: the primary 1920x1040 at 0,0, the second
// 1280x984 at 1920,40.
const std::vector<ScreenArea> kScreens = {{0, 0, 1920, 1040}, {1920, 40, 1280, 984}};

FramePlacement Stored(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  FramePlacement p;
  p.left = left;
  p.top = top;
  p.right = right;
  p.bottom = bottom;
  return p;
}

const FitRow kFits[] = {
    {"OnThePrimary", Stored(100, 50, 1200, 900), true, {100, 50, 1100, 850}},
    {"OnTheSecond", Stored(2000, 100, 2800, 700), true, {2000, 100, 800, 600}},
    {"ScreenGoneRight", Stored(4000, 100, 4800, 700), true, {1120, 100, 800, 600}},
    {"ScreenGoneAbove", Stored(100, -3000, 900, -2400), true, {100, 0, 800, 600}},
    {"LargerThanTheScreen", Stored(-50, -50, 3000, 2000), true, {0, 0, 1920, 1040}},
    {"MostlyOnTheSecond", Stored(1800, 100, 2600, 700), true, {1920, 100, 800, 600}},
    {"OverflowingWidth", Stored(-2147483647 - 1, 0, 2147483647, 500), true, {0, 0, 1920, 500}},
    {"OverflowingHeight", Stored(0, 2147483000, 500, 2147483647), true, {0, 393, 500, 647}},
    {"Empty", Stored(10, 10, 10, 500), false, {}},
    {"Inverted", Stored(500, 10, 10, 500), false, {}},
};

class FitToScreens : public ::testing::TestWithParam<FitRow> {};

TEST_P(FitToScreens, KeepsTheWindowInSight) {
  ScreenArea out;
  ASSERT_EQ(FitFrameRect(GetParam().stored, kScreens, &out), GetParam().fitted);
  if (GetParam().fitted) {
    EXPECT_EQ(out, GetParam().expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, FitToScreens, ::testing::ValuesIn(kFits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FitToScreensNone, NoScreenKeepsTheDefault) {
  ScreenArea out;
  EXPECT_FALSE(FitFrameRect(Stored(0, 0, 100, 100), {}, &out));
}

}  // namespace
}  // namespace pm2
