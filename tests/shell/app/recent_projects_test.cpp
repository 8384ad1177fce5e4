// The recent-project list and its place in the profile; one file type's
// editor settings in the profile.
#include "shell/app/file_type_profile.h"
#include "shell/app/recent_projects.h"
#include "shell_fakes.h"

namespace pm2 {
namespace {

std::string P(int i) { return "C:\\work\\p" + std::to_string(i) + ".pm2"; }

TEST(RecentProjectsTest, EleventhProjectPushesTheOldestOut) {
  RecentProjects r;
  for (int i = 1; i <= 11; ++i) r.Add(P(i));
  ASSERT_EQ(r.Count(), 10);
  EXPECT_EQ(r.At(0), P(11));
  EXPECT_EQ(r.At(9), P(2));
}

TEST(RecentProjectsTest, ReopeningMovesToTheFrontWhateverTheCase) {
  RecentProjects r;
  r.Add(P(1));
  r.Add(P(2));
  r.Add(P(3));
  r.Add("c:\\WORK\\P1.PM2");
  ASSERT_EQ(r.Count(), 3);
  EXPECT_EQ(r.At(0), "c:\\WORK\\P1.PM2");
  EXPECT_EQ(r.At(1), P(3));
  EXPECT_EQ(r.At(2), P(2));
}

TEST(RecentProjectsTest, RemoveTakesOutTheEntryIgnoringCaseAndClosesTheGap) {
  RecentProjects r;
  r.Add(P(1));
  r.Add(P(2));
  r.Add(P(3));
  r.Remove("C:\\WORK\\p2.pm2");
  ASSERT_EQ(r.Count(), 2);
  EXPECT_EQ(r.At(1), P(1));
  EXPECT_EQ(r.At(5), "");
}

TEST(RecentProjectsTest, ReadingStopsAtTheFirstEmptyKey) {
  TempDir dir;
  SettingsStore store(dir / "s.ini");
  store.WriteProfileString("Recent Projects", "Project 1", "a.pm2");
  store.WriteProfileString("Recent Projects", "Project 2", "b.pm2");
  store.WriteProfileString("Recent Projects", "Project 3", "");
  store.WriteProfileString("Recent Projects", "Project 4", "d.pm2");
  RecentProjects r;
  r.Add("stale.pm2");
  r.Load(store);
  ASSERT_EQ(r.Count(), 2);
  EXPECT_EQ(r.At(1), "b.pm2");
}

TEST(RecentProjectsTest, SaveWritesEveryPlaceAndSurvivesTheFile) {
  TempDir dir;
  SettingsStore store(dir / "s.ini");
  store.WriteProfileString("Recent Projects", "Project 3", "old.pm2");
  RecentProjects r;
  r.Add("b.pm2");
  r.Add("a.pm2");
  r.Save(store);
  ASSERT_TRUE(store.Save());
  SettingsStore again(dir / "s.ini");
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(again.GetProfileString("Recent Projects", "Project 3", "missing"), "");
  EXPECT_EQ(again.GetProfileString("Recent Projects", "Project 10", "missing"), "");
  RecentProjects back;
  back.Load(again);
  EXPECT_EQ(back.Entries(), r.Entries());
}

TEST(FileTypeProfileTest, WritesTextsAndNumbersUnderTheirKeysInOrder) {
  TempDir dir;
  SettingsStore store(dir / "s.ini");
  FileTypeProfile f;
  f.keywords = "c.kw";
  f.chroma = 1;
  f.commentStart1 = "/*";
  f.commentEnd1 = "*/";
  f.tabSize = 4;
  f.showTabs = 1;
  WriteFileTypeProfile(store, "Editor\\C Files", f);
  std::string key = store.ProfileRoot() + "\\Editor\\C Files";
  std::vector<std::string> names = store.ValueNames(key);
  ASSERT_EQ(names.size(), 16u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(names[i], g_EditorKeyNames[i]);
  SettingValue v;
  ASSERT_TRUE(store.ReadValue(key, "Tab size", &v));
  EXPECT_EQ(v.type, kSettingInt);
  ASSERT_TRUE(store.ReadValue(key, "Comment End 1", &v));
  EXPECT_EQ(v.type, kSettingString);
  EXPECT_EQ(v.data, "*/");
  EXPECT_EQ(store.GetProfileInt("Editor\\C Files", "Chroma", 0), 1);
}

// The program's command line as the application object keeps it.
struct CommandRow {
  const char* name;
  const char* line;
  uint32_t bits;
  const char* project;
  const char* target;
  bool mirror;
};

class CommandLine : public ShellAppTest, public ::testing::WithParamInterface<CommandRow> {};

TEST_P(CommandLine, SetsBitsAndArguments) {
  const CommandRow& r = GetParam();
  app->ParseCommandLine(r.line);
  constexpr uint32_t kLineBits =
      kStateDebugOnStart | kStateRebuildOnStart | kStateBuildOnStart | kStateInstanceChannel;
  EXPECT_EQ(theApp().m_nState.load() & kLineBits, r.bits);
  EXPECT_EQ(app->m_szProjectArg, r.project);
  EXPECT_EQ(app->m_szTargetArg, r.target);
  EXPECT_EQ(app->m_bMirrorCommands, r.mirror);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLine,
    ::testing::Values(
        CommandRow{"BuildProject", "-b Blinky.pm2", 0x40, "Blinky.pm2", "", false},
        CommandRow{"DebugGluedToPath", "-dBlinky.pm2", 0x10, "Blinky.pm2", "", false},
        CommandRow{"DebugAtTheEndSetsNothing", "-d", 0, "", "", false},
        CommandRow{"MinusBuildWord", "-build", 0x40, "uild", "", false},
        CommandRow{"TargetWithoutProjectIsDropped", "-r -t \"My Target\"", 0, "", "", false},
        CommandRow{"QuotedTargetKept", "-r -t \"My Target\" x.pm2", 0x20, "x.pm2", "My Target", false},
        CommandRow{"MirrorAndChannel", "-x p.pm2", 0x100, "p.pm2", "", true},
        CommandRow{"ChannelOnly", "-y", 0x100, "", "", false},
        CommandRow{"LaterWordWins", "a.pm2 b.pm2", 0, "b.pm2", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellAppTest, ParsingAgainClearsTheChannelBitFirst) {
  app->ParseCommandLine("-y");
  app->ParseCommandLine("p.pm2");
  EXPECT_FALSE(app->HasState(kStateInstanceChannel));
}

}  // namespace
}  // namespace pm2
