#include "toolkit/workspace/workspace_list.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"

namespace pm2 {
namespace {

TEST(WorkspaceList, AddMovesToHeadAndKeepsEight) {
  struct Row {
    const char* name;
    std::vector<std::string> before;
    const char* added;
    std::vector<std::string> after;
  };
  const Row rows[] = {
      {"into empty list", {}, "a", {"a"}},
      {"new name goes first", {"a", "b"}, "c", {"c", "a", "b"}},
      {"present name moves up, not repeated", {"a", "b", "c"}, "c", {"c", "a", "b"}},
      {"current head stays in place", {"a", "b"}, "a", {"a", "b"}},
      {"ninth name drops the oldest", {"1", "2", "3", "4", "5", "6", "7", "8"}, "9",
       {"9", "1", "2", "3", "4", "5", "6", "7"}},
      {"equal ignores no case", {"abc"}, "ABC", {"ABC", "abc"}},
  };
  for (const Row& r : rows) {
    std::vector<std::string> list = r.before;
    AddToWorkspaceList(r.added, &list);
    EXPECT_EQ(list, r.after) << r.name;
  }
}

TEST(WorkspaceList, RecentMenuTextsAndIds) {
  struct Row {
    const char* name;
    std::vector<std::string> list;
    bool read;
    const char* current;
    std::vector<std::string> texts;
    std::vector<unsigned> ids;
    int checked;  // index of the checked item, -1 none
    bool firstEnabled;
  };
  const std::vector<std::string> nine = {"a", "b", "c", "d", "e", "f", "g", "h", "i"};
  const Row rows[] = {
      {"unreadable list", {}, false, "", {"none"}, {43031}, -1, false},
      {"empty list", {}, true, "", {"none"}, {43031}, -1, false},
      {"two names, second is open", {"Debug", "Edit"}, true, "Edit", {"&1 Debug", "&2 Edit"}, {43031, 43032}, 1, true},
      {"current compares exactly", {"Debug"}, true, "debug", {"&1 Debug"}, {43031}, -1, true},
      {"longer list ends with more",
       nine,
       true,
       "",
       {"&1 a", "&2 b", "&3 c", "&4 d", "&5 e", "&6 f", "&7 g", "&8 h", "more"},
       {43031, 43032, 43033, 43034, 43035, 43036, 43037, 43038, 43008},
       -1,
       true},
  };
  for (const Row& r : rows) {
    auto items = BuildRecentWorkspaceMenu(r.list, r.read, r.current, "none", "more");
    std::vector<std::string> texts;
    std::vector<unsigned> ids;
    int checked = -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
      texts.push_back(items[i].text);
      ids.push_back(items[i].id);
      if (items[i].checked) checked = int(i);
    }
    EXPECT_EQ(texts, r.texts) << r.name;
    EXPECT_EQ(ids, r.ids) << r.name;
    EXPECT_EQ(checked, r.checked) << r.name;
    EXPECT_EQ(items[0].enabled, r.firstEnabled) << r.name;
  }
}

TEST(WorkspaceList, StoredPerModeAndPlace) {
  SettingsStore store("/nonexistent/ws.ini");
  WorkspaceListPlace files{"Software\\Ruzorezu\\DefWorkspace\\", false, false};
  WorkspaceListPlace reg{"Software\\Ruzorezu\\DefWorkspace\\", true, false};
  WorkspaceListPlace app{"Workspaces\\", true, true};
  EXPECT_EQ(WorkspaceListKey(store, files), "Software\\Ruzorezu\\DefWorkspace\\__MRUFileList");
  EXPECT_EQ(WorkspaceListKey(store, app), "Software\\Vond\\Pelmora2\\Workspaces\\__MRURegList");
  std::vector<std::string> list;
  EXPECT_FALSE(ReadWorkspaceList(store, reg, &list));
  ASSERT_TRUE(WriteWorkspaceList(store, files, {"/p/a.wsp", "/p/b.wsp"}));
  ASSERT_TRUE(WriteWorkspaceList(store, reg, {"Debug", "Edit", "Build"}));
  ASSERT_TRUE(WriteWorkspaceList(store, reg, {"Edit"}));  // replaces, leaves no tail
  ASSERT_TRUE(ReadWorkspaceList(store, reg, &list));
  EXPECT_EQ(list, std::vector<std::string>{"Edit"});
  ASSERT_TRUE(ReadWorkspaceList(store, files, &list));
  EXPECT_EQ(list, (std::vector<std::string>{"/p/a.wsp", "/p/b.wsp"}));
  // An empty value is skipped, the rest still read.
  store.SetString(WorkspaceListKey(store, files), "Workspace0", "");
  ASSERT_TRUE(ReadWorkspaceList(store, files, &list));
  EXPECT_EQ(list, std::vector<std::string>{"/p/b.wsp"});
}

}  // namespace
}  // namespace pm2
