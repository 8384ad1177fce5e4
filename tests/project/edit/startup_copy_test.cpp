#include "platform/read_file.h"
#include "project/edit/startup_copy.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fault_disk.h"
#include "project/model_fixture.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

// Answers Yes/No from a script and records every question and report.
class ScriptedUser : public StartupCopyUser {
 public:
  std::vector<bool> answers;
  std::vector<std::string> questions, reports;
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  void Report(const std::string& text) override { reports.push_back(text); }
};

using test::ReadFile;

// A tools root "<tmp>/root/ARM/" with "LIB/" and the startup file
// "Startup/NXP/Startup.s", and a project folder "<tmp>/proj/".
class StartupCopyTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "pm2startup_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    tmp = pattern + "/";
    fs::create_directories(tmp + "root/ARM/LIB");
    fs::create_directories(tmp + "root/ARM/Startup/NXP");
    fs::create_directories(tmp + "proj");
    std::ofstream(tmp + "root/ARM/Startup/NXP/Startup.s") << kStartup;
    lib = tmp + "root/ARM/LIB/";
    project = OpenNewProject((tmp + "proj/demo.pm2").c_str());
    project->curTarget->DEVICE = OptString("LPC2138");
    project->curTarget->STUPF = OptString("Startup\\NXP\\Startup.s");
  }
  void TearDown() override {
    fs::remove_all(tmp);
    ModelTest::TearDown();
  }
  int FileCount() const {
    int n = 0;
    for (GroupRec* g = project->firstGroup; g; g = g->next)
      for (FileRec* f = g->firstFile; f; f = f->next) ++n;
    return n;
  }
  static constexpr const char* kStartup = "        .global _start\n_start: b .\n";
  std::string tmp, lib;
  ProjectRec* project = nullptr;
};

TEST(StartupRootFolderTest, Rows) {
  struct Row {
    const char* name;
    const char* lib;
    bool found;
    const char* root;
  } rows[] = {
      {"windows form", "C:\\Tools\\ARM\\LIB\\", true, "C:\\Tools\\ARM\\"},
      {"local form, lower case", "/opt/pm2/ARM/lib/", true, "/opt/pm2/ARM/"},
      {"LIB at the end", "/opt/pm2/C51/LIB", true, "/opt/pm2/C51/"},
      {"last LIB wins", "/lib/pm2/ARM/LIB/", true, "/lib/pm2/ARM/"},
      {"own library folder below LIB", "/opt/ARM/LIB/GCC/", true, "/opt/ARM/"},
      {"LIB only as part of a name", "/opt/ARM/CLIB/", false, ""},
      {"LIBRARY is no LIB folder", "/opt/LIBRARY/", false, ""},
      {"no separator before", "LIB/", false, ""},
      {"empty", "", false, ""},
  };
  for (const Row& r : rows) {
    std::string root;
    EXPECT_EQ(StartupRootFolder(r.lib, &root), r.found) << r.name;
    if (r.found) {
      EXPECT_EQ(root, r.root) << r.name;
    }
  }
}

TEST_F(StartupCopyTest, PlanRows) {
  struct Row {
    const char* name;
    const char* setting;
    bool ownLib;  // an empty library folder instead of the root's
    const char* fileInProject;
    StartupPlan expected;
    const char* source;  // behind the tools root
    const char* fileName;
  } rows[] = {
      {"offered", "Startup\\NXP\\Startup.s", false, nullptr, StartupPlan::kOffer, "Startup\\NXP\\Startup.s", "Startup.s"},
      {"quoted with arguments", "\"Startup/NXP/Startup.s\" -x", false, nullptr, StartupPlan::kOffer, "Startup/NXP/Startup.s", "Startup.s"},
      {"name in other case in the tools folder", "startup\\nxp\\STARTUP.S", false, nullptr, StartupPlan::kOffer, "startup\\nxp\\STARTUP.S", "STARTUP.S"},
      {"no setting", "", false, nullptr, StartupPlan::kNoSetting, "", ""},
      {"blank setting", "   ", false, nullptr, StartupPlan::kNoSetting, "", ""},
      {"no library folder", "Startup\\NXP\\Startup.s", true, nullptr, StartupPlan::kNoRootFolder, "", ""},
      {"missing in the tools folder", "Startup\\Atmel\\Startup.s", false, nullptr, StartupPlan::kSourceMissing, "Startup\\Atmel\\Startup.s", "Startup.s"},
      {"already in the project, other case", "Startup\\NXP\\Startup.s", false, "STARTUP.s", StartupPlan::kAlreadyInProject, "Startup\\NXP\\Startup.s", "Startup.s"},
  };
  for (const Row& r : rows) {
    project->curTarget->STUPF = OptString(r.setting);
    GroupRec* second = AddGroup(project, ("G " + std::string(r.name)).c_str());
    if (r.fileInProject) AddFileToGroup(second, r.fileInProject, "./", kFileAsm);
    StartupCopyPlan plan;
    EXPECT_EQ(PlanStartupCopy(*project, r.ownLib ? std::string() : lib, &plan), r.expected) << r.name;
    if (*r.source) {
      EXPECT_EQ(plan.source, tmp + "root/ARM/" + r.source) << r.name;
    }
    if (*r.fileName) {
      EXPECT_EQ(plan.name, r.fileName) << r.name;
      EXPECT_EQ(plan.destination, tmp + "proj/" + r.fileName) << r.name;
      EXPECT_EQ(plan.type, kFileAsm) << r.name;
    }
    second->flags |= kGroupDeleted;
    second->name = OptString("deleted");
    for (FileRec* f = second->firstFile; f; f = f->next) f->name = OptString("gone.s");
  }
}

TEST_F(StartupCopyTest, YesCopiesAndAddsToTheFirstGroup) {
  ScriptedUser user;
  user.answers = {true};
  ASSERT_TRUE(CopyStartupFileToProject(project, lib, user));
  ASSERT_EQ(user.questions.size(), 1u);
  EXPECT_EQ(user.questions[0],
            "Copy " + tmp + "root/ARM/Startup/NXP/Startup.s to Project Folder and Add File to Project ?");
  EXPECT_TRUE(user.reports.empty());
  EXPECT_EQ(ReadFile(tmp + "proj/Startup.s"), kStartup);
  FileRec* f = project->firstGroup->firstFile;
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->name.str(), "Startup.s");
  EXPECT_EQ(f->type, kFileAsm);
  EXPECT_EQ(f->path.str(), "./Startup.s");
  // Not offered a second time.
  EXPECT_FALSE(CopyStartupFileToProject(project, lib, user));
  EXPECT_EQ(user.questions.size(), 1u);
}

TEST_F(StartupCopyTest, AnswersThatCopyNothing) {
  struct Row {
    const char* name;
    bool present;  // a file of that name lies in the project folder already
    std::vector<bool> answers;
    bool copied;
    const char* content;
  } rows[] = {
      {"No to the copy", false, {false}, false, nullptr},
      {"No to overwriting", true, {true, false}, false, "mine\n"},
      {"Yes to overwriting", true, {true, true}, true, kStartup},
  };
  for (const Row& r : rows) {
    fs::remove(tmp + "proj/Startup.s");
    for (GroupRec* g = project->firstGroup; g; g = g->next) g->firstFile = nullptr;
    if (r.present) std::ofstream(tmp + "proj/Startup.s") << "mine\n";
    ScriptedUser user;
    user.answers = r.answers;
    EXPECT_EQ(CopyStartupFileToProject(project, lib, user), r.copied) << r.name;
    EXPECT_EQ(user.questions.size(), r.answers.size()) << r.name;
    if (r.present) {
      EXPECT_EQ(user.questions.back(), "File '" + tmp + "proj/Startup.s' already exists, overwrite ?") << r.name;
    }
    EXPECT_EQ(FileCount(), r.copied ? 1 : 0) << r.name;
    if (r.content) {
      EXPECT_EQ(ReadFile(tmp + "proj/Startup.s"), r.content) << r.name;
    } else {
      EXPECT_FALSE(fs::exists(tmp + "proj/Startup.s")) << r.name;
    }
  }
}

TEST_F(StartupCopyTest, MissingStartupFileIsReportedAndNothingIsDone) {
  project->curTarget->STUPF = OptString("Startup\\Atmel\\Startup.s");
  ScriptedUser user;
  user.answers = {true};
  EXPECT_FALSE(CopyStartupFileToProject(project, lib, user));
  EXPECT_TRUE(user.questions.empty());
  ASSERT_EQ(user.reports.size(), 1u);
  EXPECT_EQ(user.reports[0], "Startup file '" + tmp +
                                 "root/ARM/Startup\\Atmel\\Startup.s' of device 'LPC2138' not found: nothing was copied");
  EXPECT_EQ(FileCount(), 0);
  EXPECT_FALSE(fs::exists(tmp + "proj/Startup.s"));
}

TEST_F(StartupCopyTest, FailedWriteLeavesNoFileAndAddsNothing) {
  FaultDisk disk;
  disk.Put(tmp + "root/ARM/Startup/NXP/Startup.s", kStartup);
  disk.FailAt(FaultDisk::kRename, 1, ENOSPC);
  ScriptedUser user;
  user.answers = {true};
  EXPECT_FALSE(CopyStartupFileToProject(project, lib, user, &disk));
  ASSERT_EQ(user.reports.size(), 1u);
  EXPECT_EQ(user.reports[0].rfind("Could not copy Startup File to Project Folder\n\n", 0), 0u) << user.reports[0];
  EXPECT_FALSE(disk.Has(tmp + "proj/Startup.s"));
  EXPECT_EQ(disk.Names().size(), 1u) << "no temporary file is left";
  EXPECT_EQ(FileCount(), 0);
}

}  // namespace
}  // namespace pm2
