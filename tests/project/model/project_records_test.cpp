#include "project/model/project_records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/temp_dir.h"
#include "project/model/option_defaults.h"
#include "project/model_fixture.h"
#include "project/recording_shell.h"

namespace pm2 {
namespace {

class ProjectRecords : public ModelTest {};

TEST_F(ProjectRecords, NewProjectFromPath) {
  ProjectRec* p = NewProject(nullptr, "C:\\work\\demo.pm2");
  EXPECT_EQ(p->name, "demo");
  EXPECT_EQ(p->folder, "C:\\work\\");
  ASSERT_NE(p->firstTarget, nullptr);
  EXPECT_EQ(p->firstTarget, p->lastTarget);
  EXPECT_EQ(p->curTarget, p->firstTarget);
  EXPECT_EQ(p->firstTarget->name, "Target 1");
  EXPECT_EQ(p->firstTarget->toolset, kToolsetUndefined);
  EXPECT_EQ(p->firstTarget->pOpts, nullptr);
  ASSERT_NE(p->firstGroup, nullptr);
  EXPECT_EQ(p->firstGroup->name, "Source Group 1");
  EXPECT_EQ(p->filters[kFilterAsm], "*.s*; *.src; *.a*");

  ProjectRec* named = NewProject("blinky", "/home/u/blinky/");
  EXPECT_EQ(named->name, "blinky");
  EXPECT_EQ(named->folder, "/home/u/blinky/");
}

struct TypeRow {
  const char* name;
  uint8_t type;
};

const TypeRow kTypeRows[] = {
    {"main.c", kFileC},         {"MAIN.C", kFileC},        {"main.cpp", kFileCpp},
    {"start.src", kFileAsm},    {"start.asm", kFileAsm},   {"start.a67", kFileAsm},
    {"defs.h", kFileText},      {"notes.txt", kFileText},  {"lib\\q51.lib", kFileLibrary},
    {"out.obj", kFileObject},   {"mod.plm", kFilePlm},     {"Makefile", kFileUnknown},
    {"dir.x\\file", kFileUnknown}, {"a.b/c", kFileUnknown}, {"x.doc", kFileUnknown},
    // The families' own assembler sources, though no default filter names them.
    {"Startup.w51", kFileAsm},  {"START167.W66", kFileAsm}, {"boot.w251", kFileAsm},
    {"x.w52", kFileUnknown},
};

TEST_F(ProjectRecords, FileTypesFromDefaultFilters) {
  OpenNewProject();
  for (const TypeRow& row : kTypeRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(GetFileTypeOfName(row.name), row.type);
  }
}

TEST_F(ProjectRecords, FileTypesNeedAProjectAndUseFallbacksForEmptyFilters) {
  EXPECT_EQ(GetFileTypeOfName("main.c"), kFileUnknown);
  ProjectRec* p = OpenNewProject();
  p->filters[kFilterAsm] = OptString();
  EXPECT_EQ(GetFileTypeOfName("start.asm"), kFileAsm);
  EXPECT_EQ(GetFileTypeOfName("start.src"), kFileUnknown);
  p->filters[kFilterC] = OptString("*.c; *.ci");
  EXPECT_EQ(GetFileTypeOfName("x.CI"), kFileC);
}

struct FilterRow {
  const char* name;
  const char* filters;
  const char* ext;
  bool match;
};

const FilterRow kFilterRows[] = {
    {"exact_ignoring_case", "*.c", ".C", true},
    {"longer_extension", "*.c", ".cpp", false},
    {"star_takes_the_rest", "*.s*", ".src", true},
    {"second_pattern", "*.txt ;  *.h", ".h", true},
    {"question_one_char", "*.?", ".h", true},
    {"question_not_at_end", "*.?", ".", false},
    {"empty_list", "", ".c", false},
    {"empty_pattern_skipped", ";;*.c", ".c", true},
    {"no_leading_star", ".lib", ".lib", true},
};

TEST(FilterLists, PatternMatching) {
  for (const FilterRow& row : kFilterRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(MatchFilterList(row.filters, row.ext), row.match);
  }
}

TEST_F(ProjectRecords, GroupsByNameIgnoreCase) {
  ProjectRec* p = OpenNewProject();
  GroupRec* first = p->firstGroup;
  EXPECT_EQ(AddGroup(p, "Source Group 1"), nullptr);
  EXPECT_EQ(AddGroup(p, "source GROUP 1"), nullptr) << "a name differing only in letter case is taken";
  EXPECT_EQ(FindGroupByName(p->firstGroup, "source group 1"), first);
  EXPECT_EQ(FindGroupByName(p->firstGroup, "Source Group 2"), nullptr);
  first->flags |= kGroupDeleted;
  EXPECT_EQ(FindGroupByName(p->firstGroup, "Source Group 1"), nullptr);
  GroupRec* again = AddGroup(p, "source group 1");
  ASSERT_NE(again, nullptr) << "a deleted group's name is free";
  EXPECT_EQ(p->lastGroup, again);
  EXPECT_EQ(FindGroupByName(p->firstGroup, "SOURCE GROUP 1"), again);
}

TEST_F(ProjectRecords, FileLookupsIgnoreCase) {
  ProjectRec* p = OpenNewProject();
  GroupRec* g = p->firstGroup;
  FileRec* main = AddFileToGroup(g, "Main.c", ".\\src", kFileC);
  FileRec* lib = AddFileToGroup(g, "util.lib", "lib", kFileLibrary);
  FileRec* start = AddFileToGroup(g, "startup.s", "C:\\tools\\", kFileAsm);
  EXPECT_EQ(main->path, ".\\src\\Main.c");
  EXPECT_EQ(start->path, "C:\\tools\\startup.s");

  EXPECT_EQ(FindProjectFile(p, "MAIN.C", kFileC), main);
  EXPECT_EQ(FindProjectFile(p, "util.lib", kFileC), nullptr) << "libraries are not found";
  EXPECT_EQ(FindProjectFile(p, "main.c", kFileLibrary), nullptr);
  EXPECT_EQ(FindSourceFileByName("STARTUP.S"), start);
  EXPECT_EQ(FindSourceFileByName("util.lib"), nullptr);
  EXPECT_EQ(FindSourceFileByPath("c:/WORK/src/main.C"), main);
  EXPECT_EQ(FindSourceFileByPath("C:\\work\\sub\\..\\src\\.\\main.c"), nullptr)
      << "the given path is compared as it is";
  EXPECT_EQ(FindSourceFileByPath("C:\\TOOLS\\startup.s"), start);
  std::string path;
  EXPECT_EQ(FindSourceFileByBaseName("main.obj", &path), "Main.c");
  EXPECT_EQ(path, ".\\src\\Main.c");
  EXPECT_EQ(FindSourceFileByBaseName("nothing", &path), "");
  EXPECT_EQ(path, "");

  main->flags |= kFileRemoved;
  EXPECT_EQ(FindProjectFile(p, "main.c", kFileC), nullptr);
  (void)lib;
}

TEST_F(ProjectRecords, ProjectPathsExpandAgainstTheFolder) {
  ProjectRec* p = OpenNewProject("C:\\work\\demo.pm2");
  EXPECT_EQ(ExpandProjectPath(*p, ".\\src\\a.c"), "C:\\work\\src\\a.c");
  EXPECT_EQ(ExpandProjectPath(*p, "..\\lib\\a.c"), "C:\\lib\\a.c");
  EXPECT_EQ(ExpandProjectPath(*p, "D:\\x.c"), "D:\\x.c");
  EXPECT_EQ(ExpandProjectPath(*p, "a.c"), "C:\\work\\a.c");
}

TEST_F(ProjectRecords, TargetOptionsFoundByOwnerOrOwnerName) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  TargetRec copy = *t;  // another record of the same target name
  OptionBlock other, mine, detached;
  other.owner = &copy;
  detached.owner = nullptr;
  detached.next = &other;
  mine.next = &detached;
  TargetRec stranger;
  stranger.name = OptString("Target 2");
  mine.owner = &stranger;
  EXPECT_EQ(FindTargetOptions(&mine, t), &other);
}

TEST_F(ProjectRecords, OrderingDropsRemovedFilesAndNeverLinksTwice) {
  ProjectRec* p = OpenNewProject();
  GroupRec* g = p->firstGroup;
  FileRec* a = AddFileToGroup(g, "a.c", "", kFileC);
  FileRec* b = AddFileToGroup(g, "b.c", "", kFileC);
  FileRec* c = AddFileToGroup(g, "c.c", "", kFileC);
  auto order = [&] {
    std::string s;
    for (FileRec* f = g->firstFile; f; f = f->next) s += f->name.view();
    return s;
  };
  EXPECT_EQ(a->path, "a.c") << "an empty folder adds no separator";
  b->flags |= kFileRemoved;
  FileRec* d = NewFileRecord(g, "d.c", "", kFileC, kPoolScratch);
  EXPECT_EQ(order(), "a.cb.cc.cd.c");
  AppendFileRecord(g, a);  // move to the end
  EXPECT_EQ(order(), "c.cd.ca.c");
  EXPECT_EQ(g->lastFile, a);
  InsertFileAtHead(g, d);
  EXPECT_EQ(order(), "d.cc.ca.c");
  InsertFileBefore(g, c, a);
  EXPECT_EQ(order(), "d.ca.cc.c");
  EXPECT_EQ(g->lastFile, c);
  EXPECT_EQ(c->next, nullptr);
}

TEST_F(ProjectRecords, FileMovedBetweenGroupsLeavesTheOldGroup) {
  ProjectRec* p = OpenNewProject();
  GroupRec* ga = p->firstGroup;
  GroupRec* gb = AddGroup(p, "B");
  FileRec* a1 = AddFileToGroup(ga, "a1.c", "", kFileC);
  FileRec* a2 = AddFileToGroup(ga, "a2.c", "", kFileC);
  AddFileToGroup(ga, "a3.c", "", kFileC);
  AddFileToGroup(gb, "b1.c", "", kFileC);
  auto order = [](GroupRec* g) {
    std::string s;
    for (FileRec* f = g->firstFile; f; f = f->next) s += f->name.view();
    return s;
  };
  InsertFileAtHead(gb, a2);
  EXPECT_EQ(order(ga), "a1.ca3.c");
  EXPECT_EQ(order(gb), "a2.cb1.c");
  EXPECT_EQ(a2->group, gb);
  AppendFileRecord(gb, a1);  // the old group's head
  EXPECT_EQ(order(ga), "a3.c");
  EXPECT_EQ(order(gb), "a2.cb1.ca1.c");
  CompactGroupFiles(ga);
  EXPECT_EQ(order(ga), "a3.c") << "a rebuild of the old group takes nothing over";
  EXPECT_EQ(ga->lastFile->next, nullptr);

  // Placing a file before itself moves nothing but still drops removed files.
  FileRec* b1 = gb->firstFile->next;
  b1->flags |= kFileRemoved;
  InsertFileBefore(gb, a1, a1);
  EXPECT_EQ(order(gb), "a2.ca1.c");
}

TEST_F(ProjectRecords, GroupHoldsAtMost4096Files) {
  ProjectRec* p = OpenNewProject();
  GroupRec* g = p->firstGroup;
  for (std::size_t i = 0; i < kMaxFilesPerGroup; ++i)
    ASSERT_NE(NewFileRecord(g, "f.c", "", kFileC, kPoolScratch), nullptr);
  EXPECT_EQ(NewFileRecord(g, "one_too_many.c", "", kFileC, kPoolScratch), nullptr);
}

TEST_F(ProjectRecords, MembershipMessageNamesFileGroupAndType) {
  ScopedRecordingShell shell;
  shell.shell.answer = kIdNo;
  ProjectRec* p = OpenNewProject();
  FileRec* f = AddFileToGroup(p->firstGroup, "main.c", "src", kFileC);
  EXPECT_EQ(CheckFileMembership(f, "Add it again?", kMbYesNo), kIdNo);
  CheckFileMembership(f, nullptr);
  EXPECT_EQ(shell.shell.beeps, 2);
  ASSERT_EQ(shell.shell.boxes.size(), 2u);
  EXPECT_EQ(shell.shell.boxes[0],
            "File 'main.c' is already a member of -\n   Group:\t'Source Group 1'\n"
            "   Type:\tC source file\n\nAdd it again?");
  EXPECT_EQ(shell.shell.boxes[1],
            "File 'main.c' is already a member of -\n   Group:\t'Source Group 1'\n"
            "   Type:\tC source file\n");
}

TEST_F(ProjectRecords, CopyProjectTreeLeavesOutDeletedAndFollowsTargetsByName) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t1 = p->curTarget;
  t1->toolset = kToolset51;
  t1->CPU = OptString::Pooled("IRAM(0,0x80)", kPoolScratch);
  t1->books[5].path = OptString::Pooled("doc.pdf", kPoolScratch);
  ResetTargetOptions(t1, kToolsetUndefined);
  TargetRec* gone = CopyTargetRec(t1, kPoolScratch);
  gone->name = OptString("Old");
  gone->flags |= kTargetDeleted;
  t1->next = gone;
  p->lastTarget = gone;

  GroupRec* g1 = p->firstGroup;
  GroupRec* g2 = AddGroup(p, "Deleted");
  g2->flags |= kGroupDeleted;
  FileRec* kept = AddFileToGroup(g1, "main.c", "src", kFileC);
  FileRec* removed = AddFileToGroup(g1, "old.c", "src", kFileC);
  removed->flags |= kFileRemoved;
  AddFileToGroup(g2, "lost.c", "", kFileC);
  FileRec* include = PoolNew<FileRec>(kPoolScratch);  // shown under main.c only
  include->kind = kKindFile;
  include->name = OptString("defs.h");
  kept->includes = include;

  OptionBlock* fileBlock = GetNodeOptions(kept);
  fileBlock->q51.Q51DEF = OptString::Pooled("X=1", kPoolScratch);
  OptionBlock* orphan = CloneOptionBlock(kept, nullptr);
  orphan->owner = gone;  // its target is deleted
  EXPECT_EQ(FindTargetOptions(kept->pOpts, gone), orphan);

  p->curTarget = t1;
  ProjectRec* c = CopyProjectTree(p, kPoolProject);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->name, "demo");
  EXPECT_FALSE(c->name.SameStored(p->name));
  ASSERT_NE(c->firstTarget, nullptr);
  EXPECT_EQ(c->firstTarget, c->lastTarget) << "the deleted target is left out";
  TargetRec* ct = c->firstTarget;
  EXPECT_EQ(c->curTarget, ct);
  EXPECT_NE(ct, t1);
  EXPECT_EQ(ct->CPU, "IRAM(0,0x80)");
  EXPECT_EQ(ct->books[5].path, "doc.pdf");
  EXPECT_TRUE(ct->books[6].path.IsEmptyOpt());
  ASSERT_NE(ct->pOpts, nullptr);
  EXPECT_EQ(ct->pOpts->owner, ct);
  EXPECT_FALSE(OptionBlocksDiffer(*ct->pOpts, *ct->pOpts));

  ASSERT_NE(c->firstGroup, nullptr);
  EXPECT_EQ(c->firstGroup, c->lastGroup) << "the deleted group is left out";
  GroupRec* cg = c->firstGroup;
  ASSERT_NE(cg->firstFile, nullptr);
  EXPECT_EQ(cg->firstFile, cg->lastFile) << "the removed file is left out";
  FileRec* cf = cg->firstFile;
  EXPECT_EQ(cf->group, cg);
  EXPECT_EQ(cf->path, "src\\main.c");
  ASSERT_NE(cf->includes, nullptr);
  EXPECT_EQ(cf->includes->name, "defs.h");
  EXPECT_NE(cf->includes, kept->includes);
  ASSERT_NE(cf->pOpts, nullptr);
  EXPECT_EQ(cf->pOpts->next, nullptr) << "the orphaned block is dropped";
  EXPECT_EQ(cf->pOpts->owner, ct);
  EXPECT_EQ(cf->pOpts->q51.Q51DEF, "X=1");
  EXPECT_FALSE(cf->pOpts->q51.Q51DEF.SameStored(fileBlock->q51.Q51DEF));

  // The source is untouched.
  EXPECT_EQ(p->firstTarget->next, gone);
  EXPECT_EQ(kept->next, removed);
}

TEST_F(ProjectRecords, SelectEditedOptionsPointsAtTheNodesBlocks) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  t->toolset = kToolset51;
  ResetTargetOptions(t, kToolsetUndefined);
  GroupRec* g = p->firstGroup;
  FileRec* f = AddFileToGroup(g, "main.c", "", kFileC);
  OptionBlock* fb = GetNodeOptions(f);

  SelectEditedOptions(f);
  EXPECT_EQ(theApp().m_pEditTargetOpts, t->pOpts);
  EXPECT_EQ(theApp().m_pEditGroupOpts, nullptr);
  EXPECT_EQ(theApp().m_pEditFileOpts, fb);

  OptionBlock* gb = GetNodeOptions(g);
  SelectEditedOptions(g);
  EXPECT_EQ(theApp().m_pEditGroupOpts, gb);
  EXPECT_EQ(theApp().m_pEditFileOpts, nullptr);
}

TEST_F(ProjectRecords, LinkerCodFileOfExtended51Targets) {
  TempDir dir;
  ProjectRec* p = OpenNewProject((dir.path() + "/Demo.pm2").c_str());
  TargetRec* t = p->curTarget;
  t->toolset = kToolset51;
  t->pOpts = NewOptionBlock(kPoolProject);
  t->pOpts->owner = t;
  OptionBlock& o = *t->pOpts;
  o.out.OUTNAME = OptString::Pooled("Demo", kPoolProject);
  o.out.OUTDIR = OptString::Pooled(".\\", kPoolProject);
  o.lst.LSTDIR = OptString::Pooled(".\\", kPoolProject);

  std::string path;
  EXPECT_FALSE(GetLinkerCodFilePath(&path)) << "a plain 51 device has no code listing";

  o.t51.T51FL |= kT51Mx15 | kT51Mx17;  // what the MX keyword sets
  EXPECT_FALSE(GetLinkerCodFilePath(&path)) << "no listing written yet";
  EXPECT_EQ(path, dir.path() + "/Demo.cod");
  std::ofstream(dir.path() + "/Demo.cod") << "listing";
  EXPECT_TRUE(GetLinkerCodFilePath(&path));

  // A listing folder of its own, stored in Windows form, found ignoring case.
  o.lst.LSTDIR = OptString::Pooled(".\\Lst\\", kPoolProject);
  std::filesystem::create_directories(dir.path() + "/LST");
  std::ofstream(dir.path() + "/LST/demo.COD") << "listing";
  EXPECT_TRUE(GetLinkerCodFilePath(&path));

  t->toolset = kToolset251;
  EXPECT_FALSE(GetLinkerCodFilePath(&path)) << "only the 51 toolset";
}

}  // namespace
}  // namespace pm2
