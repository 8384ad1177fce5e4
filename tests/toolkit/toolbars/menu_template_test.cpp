#include "toolkit/toolbars/menu_template.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

std::vector<MenuEntry> Menu() {
  ResourceTables t;
  std::string err;
  EXPECT_TRUE(t.Load("MENU 1\n"
                     "POPUP \"&File\"\nITEM 57600 \"&New\"\nSEPARATOR\nPOPUP \"&Recent\"\nITEM 1 \"a\"\nEND\n"
                     "ITEM 57665 \"E&xit\"\nEND\n"
                     "POPUP \"&Edit\"\nITEM 57643 \"&Undo\"\nEND\n"
                     "POPUP \"&Empty\"\nEND\n"
                     "ITEM 57667 \"&Help\"\n"
                     "END\n",
                     "t", &err))
      << err;
  return *t.Menu(1);
}

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(MenuTemplate, TopLevelItemsSkipNestedOnes) {
  const auto t = WriteMenuTemplate(Menu());
  const struct {
    int n;
    const char* text;
    std::uint16_t flags, id;
  } kRows[] = {{0, "&File", kMfPopup, 0}, {1, "&Edit", kMfPopup, 0}, {2, "&Empty", kMfPopup, 0},
               {3, "&Help", kMfEnd, 57667}};
  for (const auto& r : kRows) {
    std::size_t at = 0;
    ASSERT_TRUE(FindMenuTemplateItem(t, 4, r.n, &at)) << r.n;
    MenuTemplateItem item;
    ASSERT_TRUE(ReadMenuTemplateItem(t, at, &item));
    EXPECT_EQ(Narrow(item.text), r.text);
    EXPECT_EQ(item.flags, r.flags);
    EXPECT_EQ(item.id, r.id);
    std::size_t textAt = MenuTemplateTextOffset(item, at);
    EXPECT_EQ(t[textAt], std::uint8_t(r.text[0]));
  }
  std::size_t at = 0;
  EXPECT_FALSE(FindMenuTemplateItem(t, 4, 4, &at));
}

TEST(MenuTemplate, NestedLevelFollowsItsPopup) {
  const auto t = WriteMenuTemplate(Menu());
  MenuTemplateItem file;
  ASSERT_TRUE(ReadMenuTemplateItem(t, 4, &file));
  std::size_t at = 0;
  ASSERT_TRUE(FindMenuTemplateItem(t, file.next, 3, &at));
  MenuTemplateItem exit;
  ASSERT_TRUE(ReadMenuTemplateItem(t, at, &exit));
  EXPECT_EQ(Narrow(exit.text), "E&xit");
  EXPECT_EQ(exit.flags, kMfEnd);
  ASSERT_TRUE(FindMenuTemplateItem(t, file.next, 1, &at));
  MenuTemplateItem sep;
  ASSERT_TRUE(ReadMenuTemplateItem(t, at, &sep));
  EXPECT_EQ(sep.flags, kMfSeparator);
  EXPECT_TRUE(sep.text.empty());
}

TEST(MenuTemplate, EveryCutEndsTheWalkInsideTheTemplate) {
  const auto whole = WriteMenuTemplate(Menu());
  for (std::size_t n = 4; n < whole.size(); ++n) {
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
    std::size_t at = 0;
    EXPECT_FALSE(FindMenuTemplateItem(cut, 4, 3, &at)) << "cut at " << n;
  }
}

}  // namespace
}  // namespace pm2
