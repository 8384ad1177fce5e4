// The project tree's rows and images from the project records, with the
// disk replaced by a table of the files that exist and are read-only.
#include <gtest/gtest.h>

#include <map>

#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/project_window/project_tree_model.h"

namespace pm2 {
namespace {

constexpr int kNoBlock = -1;

struct ImageRow {
  const char* name;
  uint8_t type;
  int groupBuild;  // the group block's include-in-build state, or kNoBlock
  int fileBuild;   // the file block's, or kNoBlock
  bool exists;
  bool readOnly;
  int image;
};

const ImageRow kImages[] = {
    {"PlainSource", kFileC, kNoBlock, kNoBlock, true, false, 5},
    {"TextDocument", kFileText, kNoBlock, kNoBlock, true, false, 4},
    {"GroupExcludes", kFileC, 0, kNoBlock, true, false, 4},
    {"GroupIncludes", kFileC, 1, kNoBlock, true, false, 5},
    {"GroupInherits", kFileC, 2, kNoBlock, true, false, 5},
    {"FileExcludes", kFileC, kNoBlock, 0, true, false, 6},
    {"FileIncludes", kFileAsm, kNoBlock, 1, true, false, 7},
    {"FileInheritsExcludingGroup", kFileC, 0, 2, true, false, 6},
    {"FileInheritsWithoutGroupBlock", kFileC, kNoBlock, 2, true, false, 7},
    {"ReadOnlySource", kFileC, kNoBlock, kNoBlock, true, true, 9},
    {"ReadOnlyExcludedWithBlock", kFileC, kNoBlock, 0, true, true, 10},
    {"ReadOnlyText", kFileText, kNoBlock, kNoBlock, true, true, 8},
    {"Missing", kFileC, kNoBlock, 1, false, false, kImageMissing},
};

class TreeModel : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState();
    PoolFreeAll();
    project = NewProject(nullptr, "/work/p/Blinky.pm2");
    theApp().m_pProject = project;
    target = project->curTarget;
    target->toolset = kToolsetArmGnu;
    group = project->firstGroup;
  }
  void TearDown() override {
    ResetAppState();
    PoolFreeAll();
  }
  FileProbe Probe() {
    return [this](const std::string& path, bool* readOnly) {
      auto it = disk.find(path);
      if (it == disk.end()) return false;
      *readOnly = it->second;
      return true;
    };
  }
  OptionBlock* BlockWithState(NodeRec* node, int state) {
    OptionBlock* b = GetNodeOptions(node);
    b->prop.flags.INCBLD = uint16_t(state);
    return b;
  }
  ProjectRec* project = nullptr;
  TargetRec* target = nullptr;
  GroupRec* group = nullptr;
  std::map<std::string, bool> disk;  // local path -> read-only
};

class FileImages : public TreeModel, public ::testing::WithParamInterface<ImageRow> {};

TEST_P(FileImages, FollowTheBuildStateAndTheDisk) {
  const ImageRow& r = GetParam();
  FileRec* f = AddFileToGroup(group, "main.c", ".\\src", r.type);
  ASSERT_NE(f, nullptr);
  if (r.groupBuild != kNoBlock) BlockWithState(group, r.groupBuild);
  if (r.fileBuild != kNoBlock) BlockWithState(f, r.fileBuild);
  std::string local = LocalFilePath(*project, *f);
  ASSERT_EQ(local, "/work/p/src/main.c");
  if (r.exists) disk[local] = r.readOnly;
  EXPECT_EQ(GetNodeImage(*project, f, false, target, Probe()), r.image);
  EXPECT_EQ((f->flags & kFileMissing) != 0, !r.exists);
}

INSTANTIATE_TEST_SUITE_P(Rows, FileImages, ::testing::ValuesIn(kImages),
                         [](const ::testing::TestParamInfo<ImageRow>& i) { return std::string(i.param.name); });

TEST_F(TreeModel, FoundFileLosesItsMissingFlag) {
  FileRec* f = AddFileToGroup(group, "a.c", "", kFileC);
  EXPECT_EQ(GetNodeImage(*project, f, false, target, Probe()), kImageMissing);
  disk[LocalFilePath(*project, *f)] = false;
  EXPECT_EQ(GetNodeImage(*project, f, false, target, Probe()), 5);
  EXPECT_EQ(f->flags & kFileMissing, 0);
}

TEST_F(TreeModel, FoldersShowOpenStateAndOwnOptions) {
  EXPECT_EQ(GetNodeImage(*project, group, false, target, Probe()), 0);
  EXPECT_EQ(GetNodeImage(*project, group, true, target, Probe()), 1);
  BlockWithState(group, 1);
  EXPECT_EQ(GetNodeImage(*project, group, false, target, Probe()), 2);
  EXPECT_EQ(GetNodeImage(*project, group, true, target, Probe()), 3);
}

TEST_F(TreeModel, RowsInOrderWithoutRemovedItems) {
  FileRec* a = AddFileToGroup(group, "a.c", "", kFileC);
  FileRec* b = AddFileToGroup(group, "b.c", "", kFileC);
  AddFileToGroup(group, "c.s", "", kFileAsm);
  b->flags |= kFileRemoved;
  GroupRec* gone = AddGroup(project, "Gone");
  AddFileToGroup(gone, "x.c", "", kFileC);
  gone->flags |= kGroupDeleted;
  ProjectTree t = BuildProjectTree(project, false, Probe());
  std::vector<std::string> texts;
  for (const ProjectTreeRow& r : t.rows) texts.push_back(r.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Target 1", "Source Group 1", "a.c", "c.s"}));
  EXPECT_EQ(t.rows[2].record, a);
  EXPECT_EQ(t.rows[2].parent, 1);
  EXPECT_EQ(t.rows[1].parent, 0);
  EXPECT_EQ(t.selected, 0);
  // Nothing was recorded open: the first look opens the target and groups.
  EXPECT_TRUE(t.rows[0].expanded);
  EXPECT_TRUE(t.rows[1].expanded);
  EXPECT_EQ(target->flags & kNodeExpanded, 0);  // nothing written into the records
}

TEST_F(TreeModel, RecordedExpansionIsKept) {
  target->flags |= kNodeExpanded;
  GroupRec* second = AddGroup(project, "Second");
  ProjectTree t = BuildProjectTree(project, false, Probe());
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_TRUE(t.rows[0].expanded);
  EXPECT_FALSE(t.rows[1].expanded);
  EXPECT_FALSE(t.rows[2].expanded);
  EXPECT_EQ(second->flags & kNodeExpanded, 0u);
}

TEST_F(TreeModel, HiddenCurrentTargetGivesWayToTheNextVisible) {
  TargetRec* second = CopyTargetRec(target, 1);
  second->name = OptString("Second");
  target->next = second;
  project->lastTarget = second;
  target->flags |= kTargetDeleted;
  ProjectTree t = BuildProjectTree(project, false, Probe());
  ASSERT_FALSE(t.rows.empty());
  EXPECT_EQ(t.rows[0].text, "Second");
  EXPECT_EQ(project->curTarget, second);
}

TEST_F(TreeModel, EveryTargetHiddenLeavesNoCurrentTarget) {
  target->flags |= kTargetDeleted;
  ProjectTree t = BuildProjectTree(project, false, Probe());
  EXPECT_TRUE(t.rows.empty());
  EXPECT_EQ(project->curTarget, nullptr);
}

}  // namespace
}  // namespace pm2
