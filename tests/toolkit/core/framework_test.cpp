#include <gtest/gtest.h>

#include "toolkit/core/commands.h"
#include "toolkit/core/resources.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {
namespace {

TEST(CommandRouter, FirstTargetWithHandlerRunsAndUpdatesDecide) {
  CommandTarget view, frame;
  std::vector<std::string> ran;
  view.OnCommand(100, [&](CommandId) { ran.push_back("view"); });
  frame.OnCommand(100, [&](CommandId) { ran.push_back("frame"); });
  frame.OnCommandRange(200, 210, [&](CommandId id) { ran.push_back("range" + std::to_string(id)); });
  bool canSave = false;
  frame.OnCommand(300, [&](CommandId) { ran.push_back("save"); });
  frame.OnUpdate(300, [&](CommandState& s) {
    s.Enable(canSave);
    s.SetText(canSave ? "Save" : "Save (nothing to save)");
  });
  CommandRouter router;
  router.SetChain({&view, &frame});

  EXPECT_TRUE(router.Route(100));
  EXPECT_TRUE(router.Route(205));
  EXPECT_FALSE(router.Route(211));       // nobody handles it
  EXPECT_FALSE(router.Route(300));       // disabled by its update handler
  canSave = true;
  EXPECT_TRUE(router.Route(300));
  EXPECT_EQ(ran, (std::vector<std::string>{"view", "range205", "save"}));

  EXPECT_FALSE(router.QueryState(999).enabled);  // no handler: greyed
  EXPECT_TRUE(router.QueryState(100).enabled);
  CommandState s = router.QueryState(300);
  EXPECT_TRUE(s.textSet);
  EXPECT_EQ(s.text, "Save");
  router.Remove(&view);
  EXPECT_TRUE(router.Route(100));
  EXPECT_EQ(ran.back(), "frame");
}

// Whether a command shows enabled: an explicit Enable decides; otherwise
// some target must be able to run it.
TEST(CommandRouter, EnabledOnlyWhenRunnableOrEnabledExplicitly) {
  struct Row {
    const char* name;
    bool handler;
    int update;  // 0 none, 1 check only, 2 Enable(true), 3 Enable(false)
    bool enabled;
  } rows[] = {
      {"handler, no update", true, 0, true},
      {"no handler, no update", false, 0, false},
      {"no handler, update sets only the check", false, 1, false},
      {"handler, update sets only the check", true, 1, true},
      {"no handler, update enables", false, 2, true},
      {"handler, update disables", true, 3, false},
  };
  for (const Row& r : rows) {
    CommandTarget view, frame;
    if (r.handler) frame.OnCommand(7, [](CommandId) {});
    if (r.update == 1) view.OnUpdate(7, [](CommandState& s) { s.SetCheck(1); });
    if (r.update >= 2) view.OnUpdate(7, [&r](CommandState& s) { s.Enable(r.update == 2); });
    CommandRouter router;
    router.SetChain({&view, &frame});
    CommandState s = router.QueryState(7);
    EXPECT_EQ(s.enabled, r.enabled) << r.name;
    if (r.update == 1) {
      EXPECT_EQ(s.check, 1) << r.name;
    }
  }
}

TEST(ResourceTables, ParsesEveryStatement) {
  const char* src =
      "# comment\n"
      "STRING 1 \"Tab\\there \\\"quoted\\\"\"\r\n"
      "MENU 0x80\n"
      "  POPUP \"&File\"\n"
      "    ITEM 57600 \"&New\\tCtrl+N\"\n"
      "    SEPARATOR\n"
      "  END\n"
      "END\n"
      "TOOLBAR 5 10 0 11\n"
      "ACCEL 7\n"
      "\"Ctrl+Shift+F5\" 40\n"
      "\"Ctrl++\" 41\n"
      "END\n";
  ResourceTables t;
  std::string err;
  ASSERT_TRUE(t.Load(src, "a.rc", &err)) << err;
  EXPECT_EQ(t.String(1), "Tab\there \"quoted\"");
  EXPECT_EQ(t.String(2), "");
  const auto* menu = t.Menu(128);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->size(), 1u);
  EXPECT_EQ((*menu)[0].text, "&File");
  ASSERT_EQ((*menu)[0].children.size(), 2u);
  EXPECT_EQ((*menu)[0].children[0].id, 57600u);
  EXPECT_EQ((*menu)[0].children[1].kind, MenuEntry::Kind::Separator);
  EXPECT_EQ(*t.Toolbar(5), (std::vector<CommandId>{10, 0, 11}));
  const std::vector<Accelerator>* keys = t.Accelerators(7);
  ASSERT_NE(keys, nullptr);
  ASSERT_EQ(keys->size(), 2u);
  const auto same = [](const Accelerator& a, const Accelerator& b) {
    return a.ctrl == b.ctrl && a.shift == b.shift && a.alt == b.alt && a.key == b.key && a.command == b.command;
  };
  EXPECT_TRUE(same((*keys)[0], {true, true, false, "F5", 40}));
  EXPECT_TRUE(same((*keys)[1], {true, false, false, "+", 41}));
}

TEST(ResourceTables, ErrorsNameSourceAndLineAndKeepOldTables) {
  struct Row {
    const char* name;
    const char* text;
    const char* error;
  } rows[] = {
      {"unknown", "STRING 1 \"a\"\nBOGUS 2\n", "'r.rc' line 2: unknown statement 'BOGUS'"},
      {"open string", "STRING 1 \"abc\n", "'r.rc' line 1: unterminated string"},
      {"missing end", "MENU 3\nITEM 1 \"x\"\n", "'r.rc' line 3: missing END of block 3"},
      {"bad toolbar", "TOOLBAR 4 1 x\n", "'r.rc' line 1: bad command id 'x' in toolbar"},
      {"bad accel", "ACCEL 9\n\"Hyper+A\" 3\nEND\n", "'r.rc' line 2: malformed accelerator in table 9"},
  };
  for (const Row& row : rows) {
    ResourceTables t;
    std::string err;
    ASSERT_TRUE(t.Load("STRING 99 \"kept\"\n", "r.rc", &err));
    EXPECT_FALSE(t.Load(row.text, "r.rc", &err)) << row.name;
    EXPECT_EQ(err, row.error) << row.name;
    EXPECT_EQ(t.String(99), "kept") << row.name;
  }
}

TEST(ResourceTables, ToolkitSourceLoads) {
  ResourceTables t;
  std::string err;
  ASSERT_TRUE(t.Load(ToolkitResourceText(), "toolkit.rc.txt", &err)) << err;
  for (unsigned id : {kIdsListEditNew, kIdsListEditDelete, kIdsListEditUp, kIdsListEditDown, kIdsNoClose,
                      kIdsSelectFolder, kIdsSelectFile, kIdsBrowseFolder}) {
    EXPECT_TRUE(t.HasString(id)) << id;
  }
}

TEST(SysColors, ClassicDefaultsAndOverrides) {
  SysColorTable t;
  EXPECT_EQ(t.Get(SysColor::Window), MakeRgb(255, 255, 255));
  EXPECT_NE(t.Get(SysColor::Highlight), t.Get(SysColor::Window));
  t.Set(SysColor::Window, MakeRgb(1, 2, 3));
  EXPECT_EQ(RedOf(t.Get(SysColor::Window)), 1);
  EXPECT_EQ(BlueOf(t.Get(SysColor::Window)), 3);
  t.ResetToClassic();
  EXPECT_EQ(t.Get(SysColor::Window), MakeRgb(255, 255, 255));
}

// The classic scheme at 96 DPI, as layouts written against it expect.
TEST(SysColors, ClassicMetricsAt96Dpi) {
  struct Row {
    const char* name;
    SysMetric metric;
    int value;
  } rows[] = {
      {"vertical scroll-bar width", SysMetric::CxVScroll, 17},
      {"horizontal scroll-bar height", SysMetric::CyHScroll, 17},
      {"edge", SysMetric::CxEdge, 2},
      {"small icon", SysMetric::CxSmIcon, 16},
      {"icon", SysMetric::CxIcon, 32},
      {"drag distance", SysMetric::CxDrag, 4},
  };
  SysColorTable t;
  for (const Row& r : rows) EXPECT_EQ(t.Metric(r.metric), r.value) << r.name;
}

}  // namespace
}  // namespace pm2
