// Every way a project becomes the open one leaves it in the project's pool:
// a sheet, a build or an import releases the scratch pool when it ends, and
// the open project must not go with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/devices/device_db.h"
#include "project/files/project_file.h"
#include "project/import/code_gen_project.h"
#include "project/import/old_ini_import.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/model_fixture.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

// The first record or text of the project that lies in the scratch pool,
// or a record outside the project's pool ("" when there is none).
class PoolWalk {
 public:
  std::string FirstMisplaced(const ProjectRec& p) {
    Record("project", &p);
    Text("project name", p.name);
    Text("project folder", p.folder);
    for (const OptString& f : p.filters) Text("filter", f);
    for (const TargetRec* t = p.firstTarget; t; t = t->next) {
      const std::string owner = "target '" + t->name.str() + "'";
      Record(owner, t);
      Text(owner + " name", t->name);
      for (const OptString* s : {&t->DEVICE, &t->VENDOR, &t->CPU, &t->C, &t->A, &t->STUPF}) Text(owner, *s);
      if (t->pOpts) Record(owner + " options", t->pOpts);
    }
    for (const GroupRec* g = p.firstGroup; g; g = g->next) {
      const std::string owner = "group '" + g->name.str() + "'";
      Record(owner, g);
      Text(owner + " name", g->name);
      for (const FileRec* f = g->firstFile; f; f = f->next) {
        Record("file '" + f->name.str() + "'", f);
        Text("file name", f->name);
        Text("file path", f->path);
      }
    }
    return m_first;
  }

 private:
  void Record(const std::string& what, const void* p) {
    if (m_first.empty() && !PoolHolds(kPoolProject, p)) m_first = what + " is not in the project's pool";
  }
  void Text(const std::string& what, OptString s) {
    if (m_first.empty() && PoolHolds(kPoolScratch, s.c_str()))
      m_first = what + " '" + s.str() + "' is in the scratch pool";
  }
  std::string m_first;
};

class OpenProjectPool : public ModelTest {
 protected:
  // What a sheet or a build does when it ends, then the project's names
  // as the frame reads them.
  static std::vector<std::string> NamesAfterScratchRelease(const ProjectRec& p) {
    PoolFree(kPoolScratch);
    // Whatever takes the scratch pool next reuses its memory.
    for (int i = 0; i < 64; ++i) PoolStrDup(std::string(200, 'x'), kPoolScratch);
    return {p.name.str(), p.firstTarget->name.str(), p.firstGroup->name.str()};
  }
};

struct MadeRow {
  const char* name;
  ProjectRec* (*make)();
  std::vector<std::string> names;  // project, first target, first group
};

ProjectRec* NewForOpening() { return NewOpenProject("np", "/work/np/"); }

ProjectRec* ReadBack() {
  ProjectRec* made = NewOpenProject(nullptr, "/work/rb/rb.pm2");
  const std::string pm2 = BuildProjectFileText(*made), opt = BuildOptionsFileText(*made);
  PoolFree(kPoolProject);
  ProjectFileIo io;
  const std::string_view options(opt);
  return ReadProjectText(io, "/work/rb/rb.pm2", pm2, &options) == kProjectFileOk ? io.project : nullptr;
}

ProjectRec* CodeGenerated() {
  DeviceDatabase db(kPoolOptionPages);
  DeviceDbEntry* dev = db.NewEntry("Infineon", "C167CR-LM", 2, "");
  db.Append(dev);
  const CodeGenProject d = ParseCodeGenProject("[General]\r\nDevice=\"C167CR\"\r\n[Files]\r\nFile1=\"MAIN.C\"\r\n");
  return MakeCodeGenProject("/work/dave/motor.Pm2", d, *dev);
}

// The first-generation import fills a new project: the same as New
// Project, then the old file's files and options.
ProjectRec* FirstGenerationImport() {
  ProjectRec* p = NewOpenProject("old", "/work/old/");
  theApp().m_pProject = p;
  p->curTarget->toolset = 0;
  ResetTargetOptions(p->curTarget, kToolsetUndefined);
  OldIniProject f;
  f.OpenText("[PROJ]\nFILE1=main.c\n[MAKEOPTS]\n");
  return ImportOldIniProject(f, p).empty() ? p : nullptr;
}

TEST_F(OpenProjectPool, EveryMadeProjectLivesInTheProjectsPool) {
  const MadeRow rows[] = {
      {"New Project", NewForOpening, {"np", "Target 1", "Source Group 1"}},
      {"project file read", ReadBack, {"rb", "Target 1", "Source Group 1"}},
      {"code-generator import", CodeGenerated, {"motor", "Target 1", "Dave Files"}},
      {"first-generation import", FirstGenerationImport, {"old", "Target 1", "Source Group 1"}},
  };
  for (const MadeRow& r : rows) {
    PoolFreeAll();
    ResetAppState();
    ProjectRec* p = r.make();
    ASSERT_NE(p, nullptr) << r.name;
    theApp().m_pProject = p;
    EXPECT_EQ(PoolWalk().FirstMisplaced(*p), "") << r.name;
    EXPECT_EQ(NamesAfterScratchRelease(*p), r.names) << r.name;
    // A save after the release writes the project it was.
    EXPECT_NE(BuildProjectFileText(*p).find("(" + r.names[1] + ")"), std::string::npos) << r.name;
  }
}

TEST(PoolHolds, TellsTheMemoryOfEachPool) {
  PoolFreeAll();
  char* a = PoolStrDup("scratch", kPoolScratch);
  char* b = PoolStrDup("project", kPoolProject);
  const char* literal = "static";
  EXPECT_TRUE(PoolHolds(kPoolScratch, a));
  EXPECT_TRUE(PoolHolds(kPoolScratch, a + 7));
  EXPECT_FALSE(PoolHolds(kPoolProject, a));
  EXPECT_TRUE(PoolHolds(kPoolProject, b));
  EXPECT_FALSE(PoolHolds(kPoolScratch, literal));
  PoolFree(kPoolScratch);
  EXPECT_FALSE(PoolHolds(kPoolScratch, a));
  EXPECT_TRUE(PoolHolds(kPoolProject, b));
  PoolFreeAll();
}

}  // namespace
}  // namespace pm2
