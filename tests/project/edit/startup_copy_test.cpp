#include "platform/read_file.h"
#include "project/edit/startup_copy.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "builder/commands/arm_gnu_command.h"
#include "platform/fault_disk.h"
#include "project/model/option_defaults.h"
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
      {"LIB at the end", "/opt/pm2/Q51/LIB", true, "/opt/pm2/Q51/"},
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

// The device's linker script beside the startup file comes with it for an
// ARM-GNU target, and the target's linker options then name it and leave
// out the C library's start files (the startup file starts the program).
class LinkerScriptCopyTest : public StartupCopyTest {
 protected:
  void SetUp() override {
    StartupCopyTest::SetUp();
    std::ofstream(tmp + "root/ARM/Startup/NXP/LPC2138.ld") << kScript;
    MakeTarget(kToolsetArmGnu);
  }
  void MakeTarget(uint16_t toolset, const char* cpu = "") {
    TargetRec* t = project->curTarget;
    t->CPU = OptString(cpu);
    t->toolset = toolset;
    t->pOpts = nullptr;
    ResetTargetOptions(t, kToolsetUndefined);
  }
  LinkerArmGnuOpts& Linker() { return project->curTarget->pOpts->lGnu; }
  static constexpr const char* kScript = "ENTRY(_start)\n";
};

TEST_F(LinkerScriptCopyTest, WhenTheScriptComesAlong) {
  static_assert(kAldNoStartFiles == kGnuLdNoStartFiles);
  struct Row {
    const char* name;
    uint16_t toolset;
    const char* device;
    const char* cpu;        // the device's memory
    const char* ownScript;  // the target's linker script before the copy
    const char* ownText;    // the target's text address before the copy
    const char* copied;     // the script's name in the project; null: none
    const char* text;       // the text address afterwards
  } rows[] = {
      {"ARM-GNU target without a script", kToolsetArmGnu, "LPC2138", "IROM(0-0x7FFFF)", "", "", "LPC2138.ld", "0x0"},
      {"flash away from 0", kToolsetArmGnu, "LPC2138", "IROM(0x100000-0x10FFFF)", "", "", "LPC2138.ld", "0x100000"},
      {"a text address of the target's own", kToolsetArmGnu, "LPC2138", "IROM(0x100000-0x10FFFF)", "", "0x200",
       "LPC2138.ld", "0x200"},
      {"device without flash", kToolsetArmGnu, "LPC2138", "", "", "", "LPC2138.ld", ""},
      {"device name in another case", kToolsetArmGnu, "lpc2138", "", "", "", "lpc2138.ld", ""},
      {"a script of the target's own", kToolsetArmGnu, "LPC2138", "IROM(0-0x7FFFF)", "mine.ld", "", nullptr, ""},
      {"no script for the device", kToolsetArmGnu, "LPC2106", "IROM(0-0x7FFFF)", "", "", nullptr, ""},
      {"ARM-ADS target", kToolsetArmAds, "LPC2138", "IROM(0-0x7FFFF)", "", "", nullptr, ""},
  };
  for (const Row& r : rows) {
    fs::remove_all(tmp + "proj");
    fs::create_directories(tmp + "proj");
    for (GroupRec* g = project->firstGroup; g; g = g->next) g->firstFile = g->lastFile = nullptr;
    MakeTarget(r.toolset, r.cpu);
    project->curTarget->DEVICE = OptString(r.device);
    if (r.toolset == kToolsetArmGnu) {
      Linker().ALDSCAT = OptString(r.ownScript);
      Linker().ALDTADR = OptString(r.ownText);
    }
    const uint8_t flagsBefore = Linker().ALDFLAG[0];
    ScriptedUser user;
    user.answers = {true};
    EXPECT_TRUE(CopyStartupFileToProject(project, lib, user)) << r.name;
    EXPECT_EQ(user.questions.size(), 1u) << r.name;
    EXPECT_TRUE(user.reports.empty()) << r.name;
    EXPECT_EQ(FileCount(), 1) << r.name << ": the script is no file of a group";
    if (r.copied) {
      EXPECT_EQ(ReadFile(tmp + "proj/" + r.copied), kScript) << r.name;
      EXPECT_EQ(Linker().ALDSCAT.str(), r.copied) << r.name;
      EXPECT_EQ(Linker().ALDFLAG[0], flagsBefore | kAldNoStartFiles) << r.name;
      EXPECT_EQ(Linker().ALDTADR.str(), r.text) << r.name;
    } else {
      std::vector<std::string> names;
      for (const auto& e : fs::directory_iterator(tmp + "proj")) names.push_back(e.path().filename().string());
      EXPECT_EQ(names, std::vector<std::string>{"Startup.s"}) << r.name;
      if (r.toolset == kToolsetArmGnu) {
        EXPECT_EQ(Linker().ALDSCAT.str(), r.ownScript) << r.name;
        EXPECT_EQ(Linker().ALDTADR.str(), r.ownText) << r.name;
      }
      EXPECT_EQ(Linker().ALDFLAG[0], flagsBefore) << r.name;
    }
  }
}

TEST_F(LinkerScriptCopyTest, AScriptOfThatNameInTheProjectFolder) {
  struct Row {
    const char* name;
    bool overwrite;
    const char* content;
  } rows[] = {
      {"No keeps the user's file and names it", false, "mine\n"},
      {"Yes copies the device's", true, kScript},
  };
  for (const Row& r : rows) {
    fs::remove(tmp + "proj/Startup.s");
    for (GroupRec* g = project->firstGroup; g; g = g->next) g->firstFile = g->lastFile = nullptr;
    MakeTarget(kToolsetArmGnu);
    std::ofstream(tmp + "proj/LPC2138.ld") << "mine\n";
    ScriptedUser user;
    user.answers = {true, r.overwrite};
    EXPECT_TRUE(CopyStartupFileToProject(project, lib, user)) << r.name;
    ASSERT_EQ(user.questions.size(), 2u) << r.name;
    EXPECT_EQ(user.questions[1], "File '" + tmp + "proj/LPC2138.ld' already exists, overwrite ?") << r.name;
    EXPECT_EQ(ReadFile(tmp + "proj/LPC2138.ld"), r.content) << r.name;
    EXPECT_EQ(Linker().ALDSCAT.str(), "LPC2138.ld") << r.name;
    EXPECT_TRUE(Linker().ALDFLAG[0] & kAldNoStartFiles) << r.name;
  }
}

TEST_F(LinkerScriptCopyTest, FailedScriptWriteIsReportedAndLeavesTheLinkerOptions) {
  FaultDisk disk;
  disk.Put(tmp + "root/ARM/Startup/NXP/Startup.s", kStartup);
  disk.Put(tmp + "root/ARM/Startup/NXP/LPC2138.ld", kScript);
  disk.FailAt(FaultDisk::kRename, 2, ENOSPC);
  const uint8_t flagsBefore = Linker().ALDFLAG[0];
  ScriptedUser user;
  user.answers = {true};
  EXPECT_TRUE(CopyStartupFileToProject(project, lib, user, &disk)) << "the startup file is in the project";
  ASSERT_EQ(user.reports.size(), 1u);
  EXPECT_EQ(user.reports[0].rfind("Could not copy the linker script 'LPC2138.ld' to the project folder\n\n", 0), 0u)
      << user.reports[0];
  EXPECT_EQ(disk.Get(tmp + "proj/Startup.s"), kStartup);
  EXPECT_FALSE(disk.Has(tmp + "proj/LPC2138.ld"));
  EXPECT_EQ(disk.Names().size(), 3u) << "no temporary file is left";
  EXPECT_EQ(FileCount(), 1);
  EXPECT_TRUE(Linker().ALDSCAT.empty());
  EXPECT_EQ(Linker().ALDFLAG[0], flagsBefore);
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// A device change keeps the target's linker script; the user is told which
// one the new device links with, and only then.
TEST_F(LinkerScriptCopyTest, ADeviceChangeNamesTheKeptScript) {
  struct Row {
    const char* name;
    uint16_t toolset;
    const char* script;
    const char* oldDevice;
    const char* note;  // "" none
  } rows[] = {
      {"another device", kToolsetArmGnu, "AT91SAM7S256.ld", "AT91SAM7S256",
       "Device 'LPC2138' links with the linker script 'AT91SAM7S256.ld', kept from device 'AT91SAM7S256'.\n\n"
       "If the script does not fit the new device's memory, name another on the Linker page of the target's options."},
      {"a script of the user's own", kToolsetArmGnu, "ld/flash %s.ld", "LPC2106",
       "Device 'LPC2138' links with the linker script 'ld/flash %s.ld', kept from device 'LPC2106'.\n\n"
       "If the script does not fit the new device's memory, name another on the Linker page of the target's options."},
      {"the same device", kToolsetArmGnu, "LPC2138.ld", "lpc2138", ""},
      {"no script", kToolsetArmGnu, "", "AT91SAM7S256", ""},
      {"no device before", kToolsetArmGnu, "LPC2138.ld", " ", ""},
      {"not an ARM-GNU target", kToolsetArmAds, "", "AT91SAM7S256", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MakeTarget(r.toolset);
    if (r.toolset == kToolsetArmGnu) Linker().ALDSCAT = OptString(r.script);
    EXPECT_EQ(KeptLinkerScriptNote(r.oldDevice, *project->curTarget), r.note);
  }
}

}  // namespace
}  // namespace pm2
