#include "toolkit/menus/shortcut_table.h"

#include <gtest/gtest.h>

#include "platform/fault_disk.h"
#include "platform/write_fault_sweep.h"
#include "toolkit/menus/fake_frame.h"
#include "toolkit/menus/shortcut_file.h"

namespace pm2 {
namespace {

using test::FakeFrame;

const AccelTable kResource = {{FVIRTKEY | FNOINVERT, 116, 32791},              // F5 run
                              {FVIRTKEY | FNOINVERT, 118, 32720},              // F7 build
                              {FVIRTKEY | FNOINVERT | FCONTROL, 118, 32719}};  // Ctrl+F7 translate
const ShortcutFilePaths kPaths{"/cfg/pelmora2.Mac", "/alt/pelmora2.Mac"};

class ShortcutTableTest : public testing::Test {
 protected:
  FakeFrame frame{kResource};
  FaultDisk disk;
};

TEST_F(ShortcutTableTest, StartsWithTheFramesTableAndRecordsTheDefaults) {
  SECShortcutTable t(frame, kPaths, &disk);
  EXPECT_EQ(t.Records(), kResource);
  EXPECT_EQ(frame.defaultTable, frame.current);
  frame.current = std::make_shared<const AccelTable>(AccelTable{{FVIRTKEY, 65, 1}});
  SECShortcutTable second(frame, kPaths, &disk);
  EXPECT_EQ(*frame.defaultTable, kResource);  // the first read stays the default
  second.LoadFromFrame();
  EXPECT_EQ(second.Records(), kResource);
}

TEST_F(ShortcutTableTest, NoFrameTableGivesAnEmptyTable) {
  FakeFrame bare;
  SECShortcutTable t(bare, kPaths, &disk);
  EXPECT_TRUE(t.Records().empty());
  EXPECT_FALSE(t.LoadCurrentTable());
}

TEST_F(ShortcutTableTest, AssignMovesABoundKeyAndAddsANewOne) {
  SECShortcutTable t(frame, kPaths, &disk);
  t.AssignShortcut(118, 35051);  // F7 now opens the options
  EXPECT_EQ(t.Records()[1], (ACCEL{FVIRTKEY | FNOINVERT, 118, 35051}));
  EXPECT_EQ(t.Records().size(), 3u);
  t.AssignShortcut(0x400 | 118, 32720);  // Alt+F7 builds as well
  ASSERT_EQ(t.Records().size(), 4u);
  EXPECT_EQ(t.Records()[3], (ACCEL{FVIRTKEY | FNOINVERT | FALT, 118, 32720}));
  // A record stored without the no-invert bit still matches.
  t.Records().push_back({FVIRTKEY | FSHIFT, 'B', 1});
  t.AssignShortcut(0x100 | 'B', 2);
  EXPECT_EQ(t.Records().back(), (ACCEL{FVIRTKEY | FNOINVERT | FSHIFT, 'B', 2}));
}

TEST_F(ShortcutTableTest, SaveThenLoadRoundTrips) {
  SECShortcutTable t(frame, kPaths, &disk);
  t.AssignShortcut(0x200 | 'B', 32720);
  ASSERT_TRUE(t.Save()) << t.LastError();
  EXPECT_EQ(disk.Get(kPaths.primary), EncodeShortcutFile(t.Records()));
  FakeFrame restarted{kResource};
  SECShortcutTable loaded(restarted, kPaths, &disk);
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.Records(), t.Records());
  ASSERT_TRUE(loaded.CreateAccelTable());
  EXPECT_EQ(*restarted.current, t.Records());
  EXPECT_EQ(*restarted.defaultTable, kResource);
}

TEST_F(ShortcutTableTest, AlternatePlaceWhenTheFirstFails) {
  disk.Put(kPaths.alternate, EncodeShortcutFile({{FVIRTKEY, 65, 7}}));
  SECShortcutTable t(frame, kPaths, &disk);
  ASSERT_TRUE(t.Load());
  EXPECT_EQ(t.Records(), (AccelTable{{FVIRTKEY, 65, 7}}));
}

struct LoadRow {
  const char* name;
  std::string file;  // "<none>" for no file
  bool ok;
  bool defaults;     // the table then holds the defaults (else the frame's current ones)
};

class ShortcutTableLoad : public testing::TestWithParam<LoadRow> {};

TEST_P(ShortcutTableLoad, Row) {
  const LoadRow& r = GetParam();
  FakeFrame frame{kResource};
  FaultDisk disk;
  SECShortcutTable first(frame, kPaths, &disk);  // records the defaults
  const AccelTable current = {{FVIRTKEY, 'Q', 9}};
  frame.current = std::make_shared<const AccelTable>(current);
  if (r.file != "<none>") disk.Put(kPaths.primary, r.file);
  SECShortcutTable t(frame, kPaths, &disk);
  EXPECT_EQ(t.Load(), r.ok);
  if (!r.ok) {
    EXPECT_EQ(t.Records(), r.defaults ? kResource : current);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ShortcutTableLoad,
                         testing::Values(LoadRow{"Missing", "<none>", false, false},
                                         LoadRow{"ForeignTag", std::string("XXXX\x01\x00\x00\x00", 8), false, true},
                                         LoadRow{"Version2", std::string("MACR\x02\x00\x00\x00", 8), false, true},
                                         LoadRow{"Cut", std::string("MACR\x01\x00\x02\x00\x03\x00", 10), false, true},
                                         LoadRow{"Empty", std::string("MACR\x01\x00\x00\x00", 8), true, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ShortcutTableTest, EmptyTableIsNotInstalled) {
  disk.Put(kPaths.primary, std::string("MACR\x01\x00\x00\x00", 8));
  SECShortcutTable t(frame, kPaths, &disk);
  ASSERT_TRUE(t.Load());
  EXPECT_FALSE(t.CreateAccelTable());
  EXPECT_EQ(frame.installs, 0);
  EXPECT_EQ(*frame.current, kResource);
  frame.window = false;
  t.AssignShortcut(116, 1);
  EXPECT_FALSE(t.CreateAccelTable());
}

TEST_F(ShortcutTableTest, SaveSurvivesACrashAtEveryStep) {
  SECShortcutTable t(frame, kPaths, &disk);
  const std::string old = EncodeShortcutFile({{FVIRTKEY, 65, 7}});
  test::CrashAtEveryStep(kPaths.primary, old, EncodeShortcutFile(kResource),
                         [&](FaultDisk& d, std::string* message) {
                           SECShortcutTable s(frame, {kPaths.primary, kPaths.primary}, &d);
                           const bool ok = s.Save();
                           *message = s.LastError();
                           return ok;
                         });
}

TEST_F(ShortcutTableTest, MenuTextsFollowTheTable) {
  frame.AddMenu(
      "POPUP \"&Project\"\n"
      "ITEM 32720 \"&Build target\\tOld\"\n"
      "ITEM 32719 \"&Translate\"\n"
      "ITEM 35051 \"&Options\\tAlt+F7\"\n"
      "SEPARATOR\n"
      "POPUP \"&More\"\nITEM 32791 \"&Run\"\nEND\n"
      "END\n"
      "ITEM 32791 \"&Go\\tF5\"\n");
  SECShortcutTable t(frame, kPaths, &disk);
  t.Records().push_back({FVIRTKEY | FNOINVERT, 119, 32720});  // a second key: the first one shows
  t.Records().push_back({FALT, 'x', 32719});
  t.Records().erase(t.Records().begin() + 2);                  // Ctrl+F7 gone, the character record stays
  ASSERT_TRUE(t.CreateAccelTable());
  const auto& menu = frame.menus[0]->Entries();
  const auto& project = menu[0].children;
  EXPECT_EQ(menu[0].text, "&Project");
  EXPECT_EQ(project[0].text, "&Build target\tF7");
  EXPECT_EQ(project[1].text, "&Translate\tAlt+x");
  EXPECT_EQ(project[2].text, "&Options");  // no key: the old text goes
  EXPECT_EQ(project[4].children[0].text, "&Run\tF5");
  EXPECT_EQ(menu[1].text, "&Go");  // the top level never shows keys
}

}  // namespace
}  // namespace pm2
