#include "toolkit/menus/menu_bar_model.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

ResourceTables Tables() {
  ResourceTables t;
  std::string err;
  const bool ok = t.Load(R"(
MENU 120
POPUP "&File"
ITEM 1 "&Open"
END
POPUP "&Edit"
ITEM 2 "&Copy"
END
ITEM 3 "&Run"
POPUP "F&lash"
ITEM 4 "&Download"
END
POPUP "&Fonts"
ITEM 5 "&Bigger"
END
END
MENU 121
POPUP "&File"
ITEM 1 "&Open"
END
POPUP "&Window"
ITEM 6 "&Cascade"
END
END
MENU 122
END
)",
                         "test", &err);
  EXPECT_TRUE(ok) << err;
  return t;
}

TEST(MenuBarModel, OneRowPerTopLevelItemAndAFlagPerResource) {
  const ResourceTables t = Tables();
  MenuBarModel m;
  std::string err;
  ASSERT_TRUE(m.SetMenuInfo(t, {120, 122, 121}, &err)) << err;
  ASSERT_EQ(m.Rows().size(), 7u);
  EXPECT_EQ(m.FlagOf(120), 1u);
  EXPECT_EQ(m.FlagOf(122), 0u);  // no items: no flag, no rows
  EXPECT_EQ(m.FlagOf(121), 2u);
  EXPECT_EQ(m.Rows()[2].id, 3u);  // a command on the bar keeps its id
  EXPECT_FALSE(m.Rows()[2].IsPopup());
  EXPECT_EQ(m.Rows()[3].mnemonic, 'L');
}

TEST(MenuBarModel, SelectingAMenuShowsOnlyItsRows) {
  const ResourceTables t = Tables();
  MenuBarModel m;
  ASSERT_TRUE(m.SetMenuInfo(t, {120, 121}));
  ASSERT_TRUE(m.SelectMenu(121));
  std::vector<int> visible;
  for (int i = 0; i < int(m.Rows().size()); ++i)
    if (m.IsVisible(i)) visible.push_back(i);
  EXPECT_EQ(visible, (std::vector<int>{5, 6}));
  EXPECT_FALSE(m.SelectMenu(999));
  EXPECT_EQ(m.CurrentMenu(), 121u);
}

struct MnemonicRow {
  const char* name;
  unsigned menu;
  char key;
  int row;
};

TEST(MenuBarModel, FindsMnemonicsOfVisibleRows) {
  const ResourceTables t = Tables();
  MenuBarModel m;
  ASSERT_TRUE(m.SetMenuInfo(t, {120, 121}));
  const MnemonicRow rows[] = {{"first of two with F", 120, 'f', 0},
                              {"upper case", 120, 'E', 1},
                              {"letter after the first character", 120, 'l', 3},
                              {"none", 120, 'z', -1},
                              {"hidden rows skipped", 121, 'f', 5},
                              {"other menu's title hidden", 121, 'e', -1}};
  for (const MnemonicRow& r : rows) {
    ASSERT_TRUE(m.SelectMenu(r.menu));
    EXPECT_EQ(m.FindMnemonic(r.key), r.row) << r.name;
  }
}

TEST(MenuBarModel, NoItemsAnywhereIsAnError) {
  const ResourceTables t = Tables();
  MenuBarModel m;
  std::string err;
  EXPECT_FALSE(m.SetMenuInfo(t, {122, 777}, &err));
  EXPECT_EQ(err, "no menu bar items in menu resource(s) 122, 777");
}

TEST(MenuBarModel, MnemonicTextRules) {
  EXPECT_EQ(MnemonicOf("&File"), 'F');
  EXPECT_EQ(MnemonicOf("Save &all"), 'A');
  EXPECT_EQ(MnemonicOf("R&&D &Tools"), 'T');
  EXPECT_EQ(MnemonicOf("Plain"), 0);
  EXPECT_EQ(MnemonicOf("End&"), 0);
}

}  // namespace
}  // namespace pm2
