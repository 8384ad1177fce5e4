// The find box's history: order, its limit, and its profile form.
#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "shell/frame/find_history.h"

namespace pm2 {
namespace {

std::vector<std::string> Texts(std::initializer_list<const char*> l) { return {l.begin(), l.end()}; }

TEST(FindBoxHistory, AKnownTextMovesToTheFrontWithoutGrowing) {
  FindBoxHistory h;
  for (const char* t : {"a", "b", "c", "d"}) h.Add(t);
  h.Add("b");  // third from the front
  EXPECT_EQ(h.Entries(), Texts({"b", "d", "c", "a"}));
}

TEST(FindBoxHistory, TheTenthEntryMakesRoom) {
  FindBoxHistory h;
  for (int i = 0; i < 12; ++i) h.Add("t" + std::to_string(i));
  ASSERT_EQ(h.Entries().size(), 10u);
  EXPECT_EQ(h.Entries().front(), "t11");
  EXPECT_EQ(h.Entries().back(), "t2");
  h.Add("");
  EXPECT_EQ(h.Entries().size(), 10u);
}

TEST(FindBoxHistory, StoredListReadsUpToTheFirstEmptyValueAndWritesBack) {
  SettingsStore store("/nonexistent/settings.ini");
  for (int i = 1; i <= 12; ++i) store.WriteProfileString("Settings\\Find", ("Find" + std::to_string(i)).c_str(), ("x" + std::to_string(i)).c_str());
  store.WriteProfileString("Settings\\Find", "Find5", "");
  FindBoxHistory h;
  h.Load(store);
  EXPECT_EQ(h.Entries(), Texts({"x1", "x2", "x3", "x4"}));
  h.Add("new");
  h.Save(store);
  FindBoxHistory back;
  back.Load(store);
  EXPECT_EQ(back.Entries(), Texts({"new", "x1", "x2", "x3", "x4"}));
}

}  // namespace
}  // namespace pm2
