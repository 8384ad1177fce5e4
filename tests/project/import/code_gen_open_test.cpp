#include "platform/read_file.h"
#include "project/import/code_gen_open.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "project/files/project_open.h"
#include "project/model/option_block.h"
#include "project/model_fixture.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

using test::ReadFile;

const char* const kStart167 =
    "$SET (STK_SIZE = 0)   ; system stack\r\n"
    "_ROMEN  EQU 0         ; on-chip ROM\r\n"
    "        END\r\n";

// An installation of ours ("Q166/BIN", "Q166/lib/Start167.w66"), a device
// database with one classic and one XC16x part, and a project folder.
class CodeGenOpenTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "pm2dave_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    tmp = pattern + "/";
    fs::create_directories(tmp + "Q166/BIN");
    fs::create_directories(tmp + "Q166/lib");
    fs::create_directories(tmp + "proj");
    std::ofstream(tmp + "Q166/lib/Start167.w66", std::ios::binary) << kStart167;
    DeviceDatabase db(kPoolOptionPages);
    DeviceDbEntry* dev = db.NewEntry("Infineon", "C167CR-LM", 2, "");
    db.AddOption(dev, "CPU", "IRAM(0xF600-0xFDFF) CLOCK(20000000)");
    db.Append(dev);
    ASSERT_EQ(db.Write(tmp + "devices.cdb"), kDeviceDbOk);
    db.Free();
    env.databasePath = tmp + "devices.cdb";
    env.toolsFolders[2] = tmp + "Q166/BIN/";
    env.report = [this](const std::string& m) { reports.push_back(m); };
  }
  void TearDown() override {
    fs::remove_all(tmp);
    ModelTest::TearDown();
  }
  void WriteDpt(const std::string& files, const std::string& extra = "") {
    std::ofstream(tmp + "proj/demo.dpt", std::ios::binary)
        << "[General]\r\nDevice=\"C167CR\"\r\nDeviceType=\"C167CR-LM\"\r\n[Interface]\r\nMemoryModel=\"LARGE\"\r\n"
           "[Environment]\r\nDeviceFrequency=24.576\r\n[Files]\r\n"
        << files << "[Registers]\r\nSYSCON_ROMEN=1\r\nSYSCON_STKSZ=3\r\n" << extra;
  }
  // Moves the .dpt file's time, as a later run of the generator would.
  void Touch(int seconds) {
    fs::last_write_time(tmp + "proj/demo.dpt", fs::last_write_time(tmp + "proj/demo.dpt") + std::chrono::seconds(seconds));
  }
  std::vector<std::string> DaveFiles(ProjectRec* p) {
    std::vector<std::string> names;
    for (FileRec* f = p->firstGroup->firstFile; f; f = f->next)
      if (!(f->flags & kFileRemoved)) names.push_back(f->name.str());
    return names;
  }
  std::string tmp;
  CodeGenImportEnv env;
  std::vector<std::string> reports;
};

TEST_F(CodeGenOpenTest, ImportWritesAProjectThatOpensWithTheStartupEquatesSet) {
  WriteDpt("File1=\"MAIN.C\"\r\nFile2=\"ASC0.C\"\r\n");
  const std::string path = ImportCodeGenProjectFiles(tmp + "proj/demo.dpt", env);
  ASSERT_EQ(path, tmp + "proj/demo.Pm2") << (reports.empty() ? "" : reports[0]);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(theApp().m_pProject, nullptr) << "the caller opens the written file";
  EXPECT_EQ(ReadFile(tmp + "proj/Start167.w66"),
            "$SET (STK_SIZE = 3) ; system stack /Dave/\r\n"
            "_ROMEN EQU 1 ; on-chip ROM /Dave/\r\n"
            "        END\r\n");
  EXPECT_EQ(ReadFile(tmp + "Q166/lib/Start167.w66"), kStart167) << "the library's copy stays as it was";

  ASSERT_EQ(OpenProjectFile(path), 0);
  ProjectRec* p = theApp().m_pProject;
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->firstGroup->name.str(), "Dave Files");
  EXPECT_EQ(DaveFiles(p), (std::vector<std::string>{"Start167.w66", "MAIN.C", "ASC0.C"}));
  for (FileRec* f = p->firstGroup->firstFile; f; f = f->next) EXPECT_TRUE(f->flags & kFileMadeByCodeGen) << f->name.str();
  EXPECT_EQ(p->curTarget->pOpts->t166.MODEL, 4);
  EXPECT_EQ(p->curTarget->pOpts->t166.clock, 24576000u);
  std::string dpt;
  EXPECT_FALSE(CodeGenProjectChanged(*p, &dpt)) << "the time read back is the one taken";
  EXPECT_EQ(dpt, tmp + "proj/demo.dpt");
}

TEST_F(CodeGenOpenTest, ChangedDptIsNoticedAndMigrated) {
  WriteDpt("File1=\"MAIN.C\"\r\nFile2=\"ASC0.C\"\r\n");
  ASSERT_FALSE(ImportCodeGenProjectFiles(tmp + "proj/demo.dpt", env).empty());
  ASSERT_EQ(OpenProjectFile(tmp + "proj/demo.Pm2"), 0);
  ProjectRec* p = theApp().m_pProject;
  AddFileToGroup(p->lastGroup, "user.c", "./", kFileC);

  WriteDpt("File1=\"MAIN.C\"\r\nFile2=\"CAN.C\"\r\n");
  Touch(10);
  std::string dpt;
  ASSERT_TRUE(CodeGenProjectChanged(*p, &dpt));
  EXPECT_EQ(CodeGenChangedQuestion(dpt), "File '" + tmp + "proj/demo.dpt' has changed.\nDo you want to migrate the changes ?");
  ASSERT_EQ(ImportCodeGenProject(dpt, env, p), p);
  EXPECT_EQ(DaveFiles(p), (std::vector<std::string>{"Start167.w66", "MAIN.C", "CAN.C"}));
  EXPECT_EQ(p->lastGroup->firstFile->name.str(), "user.c");
  EXPECT_FALSE(p->lastGroup->firstFile->flags & kFileRemoved);
  EXPECT_FALSE(CodeGenProjectChanged(*p, nullptr)) << "the new time is stored";
}

TEST_F(CodeGenOpenTest, ChangeCheckRows) {
  struct Row {
    const char* name;
    bool imported;  // the project records an import time
    bool dptThere;
    int touch;      // seconds the file moved since
    bool changed;
  } rows[] = {
      {"never imported", false, true, 10, false},
      {"unchanged", true, true, 0, false},
      {"newer", true, true, 10, true},
      {"older", true, true, -10, true},
      {"file gone", true, false, 0, false},
  };
  for (const Row& r : rows) {
    WriteDpt("");
    ProjectRec* p = NewProject(nullptr, (tmp + "proj/demo.Pm2").c_str());
    if (r.imported) {
      const uint64_t t = CodeGenFileTime(tmp + "proj/demo.dpt");
      std::memcpy(p->codeGenTime, &t, sizeof t);
    }
    if (r.touch) Touch(r.touch);
    if (!r.dptThere) fs::remove(tmp + "proj/demo.dpt");
    EXPECT_EQ(CodeGenProjectChanged(*p, nullptr), r.changed) << r.name;
  }
  // The ".dpt" of a project from Windows may differ in case.
  WriteDpt("");
  fs::rename(tmp + "proj/demo.dpt", tmp + "proj/DEMO.DPT");
  ProjectRec* p = NewProject(nullptr, (tmp + "proj/demo.Pm2").c_str());
  const uint64_t t = CodeGenFileTime(tmp + "proj/DEMO.DPT") + 1;
  std::memcpy(p->codeGenTime, &t, sizeof t);
  std::string dpt;
  EXPECT_TRUE(CodeGenProjectChanged(*p, &dpt));
  EXPECT_EQ(dpt, tmp + "proj/DEMO.DPT");
}

// The new project takes the file's name, its output name by default: one
// the project file cannot hold (" OutName (p)q)" read back as "p") is
// refused with the reason and nothing is written; a balanced one reads
// back whole.
TEST_F(CodeGenOpenTest, ANameThatCannotBeTheOutputNameIsRefused) {
  WriteDpt("File1=\"MAIN.C\"\r\n");
  fs::rename(tmp + "proj/demo.dpt", tmp + "proj/p)q.dpt");
  EXPECT_EQ(ImportCodeGenProjectFiles(tmp + "proj/p)q.dpt", env), "");
  EXPECT_EQ(reports, std::vector<std::string>{"The project name 'p)q' cannot be stored as the name of its "
                                              "executable: it holds a ')' without its '('."});
  EXPECT_FALSE(fs::exists(tmp + "proj/p)q.Pm2"));
  EXPECT_FALSE(fs::exists(tmp + "proj/Start167.w66"));
  reports.clear();
  fs::rename(tmp + "proj/p)q.dpt", tmp + "proj/p(q).dpt");
  const std::string path = ImportCodeGenProjectFiles(tmp + "proj/p(q).dpt", env);
  ASSERT_EQ(path, tmp + "proj/p(q).Pm2") << (reports.empty() ? "" : reports[0]);
  ASSERT_EQ(OpenProjectFile(path), 0);
  ASSERT_NE(theApp().m_pProject, nullptr);
  EXPECT_EQ(theApp().m_pProject->curTarget->pOpts->out.OUTNAME.str(), "p(q)");
}

TEST_F(CodeGenOpenTest, FailuresWriteNoProjectFile) {
  struct Row {
    const char* name;
    const char* dpt;  // null: no file; "/": a folder of that name
    bool toolsKnown;
    const char* message;  // "%s" for the .dpt path
  } rows[] = {
      {"missing file", nullptr, true, "Error: can't read file '%s' !"},
      {"a folder", "/", true, "Error: can't read file '%s' !"},
      {"damaged: binary bytes", "\x01\x02\xff\xfe[Gen\x7f" "eral]\r\n\x80\x81=\"\r\n", true,
       "No device of the device database matches the device type ''"},
      {"damaged: cut inside the device type", "[General]\r\nDeviceType=\"C1", true,
       "No device of the device database matches the device type ''"},
      {"unknown device", "[General]\r\nDeviceType=\"ZZ9000\"\r\n", true,
       "No device of the device database matches the device type 'ZZ9000'"},
      {"no tools folder for the startup file", "[General]\r\nDeviceType=\"C167CR-LM\"\r\n", false,
       "Missing TOOLS.INI file"},
      {"a file name the project file cannot hold",
       "[General]\r\nDeviceType=\"C167CR-LM\"\r\n[Files]\r\nFile1=\"MAIN.C\"\r\nFile2=\"A<B.C\"\r\n", true,
       "The file 'A<B.C' cannot be stored in the project: its name holds a '<' without its '>'."},
      {"a folder the project file cannot hold", "[General]\r\nDeviceType=\"C167CR-LM\"\r\n[Files]\r\nFile1=\"x>y\\MAIN.C\"\r\n",
       true, "The file 'x>y\\MAIN.C' cannot be stored in the project: its name holds a '>' without its '<'."},
  };
  for (const Row& r : rows) {
    fs::remove(tmp + "proj/demo.dpt");
    if (r.dpt && std::string(r.dpt) == "/")
      fs::create_directory(tmp + "proj/demo.dpt");
    else if (r.dpt)
      std::ofstream(tmp + "proj/demo.dpt", std::ios::binary) << r.dpt;
    CodeGenImportEnv e = env;
    if (!r.toolsKnown) e.toolsFolders[2].clear();
    reports.clear();
    EXPECT_EQ(ImportCodeGenProjectFiles(tmp + "proj/demo.dpt", e), "") << r.name;
    std::string m = r.message;
    if (m.find("%s") != std::string::npos) m.replace(m.find("%s"), 2, tmp + "proj/demo.dpt");
    ASSERT_EQ(reports.size(), 1u) << r.name;
    EXPECT_EQ(reports[0], m) << r.name;
    EXPECT_FALSE(fs::exists(tmp + "proj/demo.Pm2")) << r.name;
    EXPECT_FALSE(fs::exists(tmp + "proj/Start167.w66")) << r.name;
    EXPECT_EQ(theApp().m_pProject, nullptr) << r.name;
  }
}

}  // namespace
}  // namespace pm2
