#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fault_disk.h"
#include "project/devices/device_db.h"
#include "project/environment/environment.h"
#include "project/environment/environment_file.h"
#include "project/environment/install_paths.h"
#include "project/file_test_util.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

// ---- editable model -------------------------------------------------------

TEST(EnvFileTest, RoundTripKeepsCommentsBlankLinesAndNormalisesPathsAndBooks) {
  const std::string in =
      "REM before any section\r\n"
      "stray=1\r\n"
      "[Q51]\r\n"
      "REM   keep   my spacing\r\n"
      "\r\n"
      "PATH=C:\\K\\Q51\n"
      "PATH1=\"C:\\Other\\\"\r\n"
      "  BOOK0=HLP\\man.pdf(\"Manual\")\r\n"
      "BOOK7 = HLP\\a (x86).pdf ( \"Asm\" , A )\r\n"
      "; not a key line\r\n"
      "TDRV0=BIN\\Monitor51.DLL (\"Monitor\")\r\n"
      "[]\r\n"
      "dropped=after empty section name\r\n"
      "[PM2]\r\n"
      "ARMSEL=1\r\n"
      "PATH=/opt/tools/\r\n";
  const std::string expected =
      "[Q51]\r\n"
      "REM   keep   my spacing\r\n"
      "\r\n"
      "PATH=\"C:\\K\\Q51\\\"\r\n"
      "PATH1=\"C:\\Other\\\"\r\n"
      "BOOK0=HLP\\man.pdf(\"Manual\",GEN)\r\n"
      "BOOK1=HLP\\a (x86).pdf(\"Asm\",A)\r\n"
      "; not a key line\r\n"
      "TDRV0=BIN\\Monitor51.DLL (\"Monitor\")\r\n"
      "[PM2]\r\n"
      "ARMSEL=1\r\n"
      "PATH=\"/opt/tools/\"\r\n";
  EnvFile env;
  env.Parse(in);
  EXPECT_TRUE(env.Changed()) << "a PATH value got its trailing separator";
  EXPECT_EQ(env.Format(), expected);

  // A second round trip is stable and changes nothing.
  EnvFile again;
  again.Parse(env.Format());
  EXPECT_FALSE(again.Changed());
  EXPECT_EQ(again.Format(), expected);
}

TEST(EnvFileTest, The129thBookOfASectionIsDropped) {
  std::string in = "[Q166]\r\n";
  for (int i = 0; i < 130; ++i)
    in += "BOOK" + std::to_string(i) + "=b" + std::to_string(i) + ".pdf(\"T" + std::to_string(i) +
          "\",C)\r\n";
  EnvFile env;
  env.Parse(in);
  std::vector<BookListItem> books = EnvFile::GetBooks(*env.FindSection(2));
  ASSERT_EQ(books.size(), 128u);
  EXPECT_EQ(books.back().path, "b127.pdf");
  EXPECT_EQ(books.back().kind, kBookC);
}

TEST(EnvFileTest, SetEnvValueResults) {
  struct Row {
    const char* name;
    const char* key;
    const char* value;
    int result;
    const char* stored;
    const char* previous;  // null: none kept
  };
  const Row rows[] = {
      {"equal value", "DBGPA", "-S1", kEnvValueUnchanged, "-S1", nullptr},
      {"key ignoring case", "dbgpa", "-S1", kEnvValueUnchanged, "-S1", nullptr},
      {"new value keeps old", "DBGPA", "-S2", kEnvValueChanged, "-S2", "-S1"},
      {"new key appended", "CPPTRN", "cx.exe", kEnvValueChanged, "cx.exe", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EnvFile env;
    env.Parse("[Q51]\r\nDBGPA=-S1\r\n");
    EnvSection& s = *env.FindSection(0);
    EXPECT_EQ(env.SetEnvValue(s, row.key, row.value), row.result);
    EXPECT_EQ(env.Changed(), row.result == kEnvValueChanged);
    EnvEntry* e = EnvFile::FindEntry(s, row.key);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->value, row.stored);
    EXPECT_EQ(e->hasPrevious, row.previous != nullptr);
    if (row.previous) {
      EXPECT_EQ(e->previousValue, row.previous);
    }
  }
  EnvFile env;
  env.Parse("[Q51]\r\nDBGPA=-S1\r\n");
  EnvSection& s = *env.FindSection(0);
  EXPECT_EQ(env.SetEnvValueCopy(s, "DBGPA", "-S3"), kEnvValueChanged);
  EXPECT_FALSE(EnvFile::FindEntry(s, "DBGPA")->hasPrevious);
  // The IDE's section is created when the file has none.
  EXPECT_EQ(env.FindSection(-1), nullptr);
  EnvSection* ide = env.FindOrAddSection(-1);
  ASSERT_NE(ide, nullptr);
  env.SetEnvValue(*ide, "ARMSEL", "0");
  EXPECT_EQ(env.Format(), "[Q51]\r\nDBGPA=-S3\r\n[PM2]\r\nARMSEL=0\r\n");
}

TEST(EnvFileTest, SetBooksReplacesOnlyWhenTheListDiffers) {
  EnvFile env;
  env.Parse("[PM2]\r\nBOOK0=a.pdf(\"A\",DEV)\r\nARMSEL=0\r\n");
  EnvSection& s = *env.FindSection(-1);
  std::vector<BookListItem> same = {{"A", "a.pdf", kBookDevice}};
  EXPECT_EQ(env.SetBooks(s, same), kEnvValueUnchanged);
  EXPECT_FALSE(env.Changed());
  std::vector<BookListItem> other = {{"B", "b.pdf", kBookTool}, {"A", "a.pdf", kBookDevice}};
  EXPECT_EQ(env.SetBooks(s, other), kEnvValueChanged);
  EXPECT_TRUE(env.Changed());
  EXPECT_EQ(EnvFile::GetBooks(s), other);
  EXPECT_EQ(env.Format(),
            "[PM2]\r\nARMSEL=0\r\nBOOK0=b.pdf(\"B\",TOOL)\r\nBOOK1=a.pdf(\"A\",DEV)\r\n");
}

TEST(EnvFileTest, WriteRefusesReadOnlyFileAndKeepsOldFileOnFailure) {
  ScratchDir dir;
  std::string path = dir.File("TOOLS.INI");
  WriteFileText(path, "[Q51]\r\nPATH=\"old\\\"\r\n");
  EnvFile env;
  ASSERT_TRUE(env.Load(path));
  env.SetEnvValue(*env.FindSection(0), "PATH", "new\\");

  chmod(path.c_str(), 0444);
  std::string message;
  EXPECT_EQ(env.Write(path, &message), kEnvWriteReadOnly);
  EXPECT_EQ(message, "File '" + path + "' is Read Only !");
  EXPECT_EQ(ReadFileText(path), "[Q51]\r\nPATH=\"old\\\"\r\n");

  chmod(path.c_str(), 0644);
  FailingDisk noCreate(FailingDisk::kCreate);
  EXPECT_EQ(env.Write(path, &message, &noCreate), kEnvWriteReadOnly);
  EXPECT_EQ(message, "File '" + path + "' is Read Only !");
  EXPECT_EQ(ReadFileText(path), "[Q51]\r\nPATH=\"old\\\"\r\n");

  FailingDisk full(FailingDisk::kWrite);
  EXPECT_EQ(env.Write(path, &message, &full), kEnvWriteFailed);
  EXPECT_EQ(message, "Can't write to File '" + path + "'");
  EXPECT_EQ(ReadFileText(path), "[Q51]\r\nPATH=\"old\\\"\r\n");
  EXPECT_EQ(fs::directory_iterator(dir.path)->path().filename(), "TOOLS.INI");

  EXPECT_EQ(env.Write(path, &message), kEnvWriteOk);
  EXPECT_EQ(ReadFileText(path), "[Q51]\r\nPATH=\"new\\\"\r\n");
}

// A TOOLS.INI cut at any length keeps every value and book whose line was
// complete, in the section it stood in; nothing from a later line leaks in.
TEST(EnvFileTest, EveryCutKeepsTheValuesOfCompleteLines) {
  struct Line {
    int section;      // toolset code, -1 for the IDE's own section
    const char* key;  // null: the section header line itself
    const char* text;
  };
  const Line lines[] = {
      {0, nullptr, ""},
      {0, "PATH", "PATH=C:\\K\\Q51\r\n"},
      {0, "DBGPA", "DBGPA=-S1 -B\r\n"},
      {0, "BOOK0", "BOOK0=HLP\\man.pdf(\"Manual\",C)\r\n"},
      {2, nullptr, ""},
      {2, "TDRV0", "TDRV0=BIN\\Monitor166.DLL (\"Monitor\")\r\n"},
      {-1, nullptr, ""},
      {-1, "ARMSEL", "ARMSEL=1\r\n"},
      {-1, "RTEPATH", "RTEPATH=/opt/packs/\r\n"},
  };
  std::string full;
  std::vector<std::size_t> ends;  // offset after each line
  for (const Line& l : lines) {
    full += l.key ? std::string(l.text) : "[" + std::string(EnvSectionName(l.section < 0 ? kEnvSectionIde : l.section)) + "]\r\n";
    ends.push_back(full.size());
  }
  EnvFile whole;
  whole.Parse(full);
  auto value = [](EnvFile& env, int section, const char* key) -> std::string {
    EnvSection* s = env.FindSection(section);
    if (!s) return "<no section>";
    if (std::string_view(key).substr(0, 4) == "BOOK") {
      std::vector<BookListItem> books = EnvFile::GetBooks(*s);
      return books.empty() ? "<no book>" : books[0].title + "|" + books[0].path;
    }
    EnvEntry* e = EnvFile::FindEntry(*s, key);
    return e ? e->value : "<no entry>";
  };

  for (std::size_t len = 0; len <= full.size(); ++len) {
    SCOPED_TRACE("cut at " + std::to_string(len));
    EnvFile cut;
    cut.Parse(std::string_view(full).substr(0, len));
    std::size_t entries = 0;
    for (const EnvSection& s : cut.Sections()) entries += s.entries.size();
    std::size_t complete = 0;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
      if (!lines[i].key) continue;
      if (ends[i] <= len) {
        ++complete;
        EXPECT_EQ(value(cut, lines[i].section, lines[i].key),
                  value(whole, lines[i].section, lines[i].key));
      }
    }
    // At most the one cut line beyond the complete ones.
    EXPECT_LE(entries, complete + 1);
  }
}

// The writer crashed at every step of its work: after the reboot the file
// holds either the old text or the new one, whole, and no stray file stays.
TEST(EnvFileTest, CrashAtAnyWriteStepLeavesTheOldOrTheNewFileWhole) {
  const std::string path = "tools/TOOLS.INI";
  const std::string old = "[Q51]\r\nPATH=\"old\\\"\r\n";
  EnvFile env;
  env.Parse(old);
  env.SetEnvValue(*env.FindSection(0), "PATH", "new\\");
  const std::string fresh = env.Format();
  ASSERT_NE(fresh, old);

  bool sawOld = false, sawNew = false;
  for (int step = 1;; ++step) {
    SCOPED_TRACE("crash at step " + std::to_string(step));
    FaultDisk disk;
    disk.Put(path, old);
    disk.CrashAt(step);
    std::string message;
    int rc = env.Write(path, &message, &disk);
    bool crashed = disk.Crashed();
    if (crashed) {
      EXPECT_NE(rc, kEnvWriteOk);
      EXPECT_FALSE(message.empty());
    }
    disk.Crash();
    disk.Reboot();
    std::string after = disk.Get(path);
    EXPECT_TRUE(after == old || after == fresh) << after;
    sawOld |= after == old;
    sawNew |= after == fresh;
    EXPECT_EQ(disk.Names(), std::vector<std::string>{path});
    if (!crashed) {
      // The write ran to its end before the crash step: it is durable.
      EXPECT_EQ(rc, kEnvWriteOk) << message;
      EXPECT_EQ(after, fresh);
      break;
    }
  }
  EXPECT_TRUE(sawOld);
  EXPECT_TRUE(sawNew);
}

TEST(EnvFileTest, LoadOfAMissingFileFails) {
  EnvFile env;
  std::string err;
  EXPECT_FALSE(env.Load("/nonexistent/TOOLS.INI", &err));
  EXPECT_NE(err.find("/nonexistent/TOOLS.INI"), std::string::npos);
  EXPECT_TRUE(env.Sections().empty());
}

// ---- start-up reader ------------------------------------------------------

TEST(StartupEnvironmentTest, FillsToolsetRecordsAndIdeValues) {
  std::string in =
      "[Q51]\r\n"
      "PATH=C:\\K\\Q51\r\n"
      "DBGFG=3\r\n"
      "DBGPA=\"-S1 -B\"\r\n"
      "CPPTRN=\"ecx51.exe\"\r\n"
      "RTOS2=Kernel51.LIB(\"Tiny Kernel\")\r\n"
      "BOOK0=HLP\\q51.pdf(\"Q51 Manual\",C)\r\n"
      "[ARM]\r\n"
      "PATH=\"ARM/\"\r\n"
      "PATH1=GNU/\r\n"
      "[ARMADS]\r\n"
      "PATH=/opt/ads\r\n"
      "PATH1=/opt/rv/\r\n"
      "[C99]\r\n"
      "PATH=C:\\Unknown\\\r\n"
      "[PM2]\r\n"
      "CDB0=Devices\\extra.cdb(\"Extra\")\r\n"
      "ARMSEL=1\r\n"
      "DEVICE_BOOKS=xyz\r\n"
      "BOOK0=GEN\\uv.pdf(\"IDE\")\r\n";
  for (int i = 0; i < 45; ++i)
    in += "[Q51]\r\nTDRV" + std::to_string(i) + "=d" + std::to_string(i) + ".dll(\"D\")\r\n";
  EnvironmentInfo env;
  ParseToolsIni(in, "/inst/", "/inst/PM2/pelmora2.cdb", &env);

  ToolsetInfo* q51 = env.Toolset(0);
  ASSERT_NE(q51, nullptr);
  EXPECT_EQ(q51->rootFolder, "C:\\K\\Q51\\");
  EXPECT_EQ(q51->toolsFolder, "C:\\K\\Q51\\BIN\\");
  EXPECT_EQ(q51->debuggerFlag, 3);
  EXPECT_EQ(q51->debuggerParams, "-S1 -B");
  EXPECT_EQ(q51->cppTranslator, "ecx51.exe");
  EXPECT_EQ(q51->rtos[1].title, "Tiny Kernel");
  EXPECT_EQ(q51->targetDrivers.size(), size_t(kMaxTargetDrivers));
  ASSERT_EQ(q51->books.size(), 1u);
  EXPECT_EQ(q51->books[0].path, "HLP\\q51.pdf") << "a toolset's book belongs below that toolset's root";
  EXPECT_EQ(q51->books[0].kind, kBookC);

  EXPECT_EQ(env.Toolset(1), nullptr);
  EXPECT_EQ(env.Toolset(2), nullptr) << "an unknown section is not read as another toolset's";

  ToolsetInfo* gnu = env.Toolset(3);
  ASSERT_NE(gnu, nullptr);
  EXPECT_EQ(gnu->rootFolder, "/inst/ARM/");
  EXPECT_EQ(gnu->toolsFolder, "/inst/ARM/BIN/");
  EXPECT_EQ(gnu->secondToolsFolder, "/inst/GNU/Arm-Tools/Bin/");
  EXPECT_EQ(gnu->makerFolder, "/inst/ARM/");
  EXPECT_EQ(gnu->armToolFolder, "/inst/GNU/");

  ToolsetInfo* ads = env.Toolset(4);
  ASSERT_NE(ads, nullptr);
  EXPECT_EQ(ads->ProgramFolder(), "/opt/rv/BIN/");

  ASSERT_EQ(env.deviceDatabases.size(), 2u);
  EXPECT_EQ(env.deviceDatabases[0].title, kGenericDatabaseTitle);
  EXPECT_EQ(env.deviceDatabases[0].path, "/inst/PM2/pelmora2.cdb");
  EXPECT_EQ(env.deviceDatabases[1].path, "/inst/Devices\\extra.cdb");
  EXPECT_EQ(env.armSelect, 1);
  EXPECT_EQ(env.deviceBooks, "xyz");
  ASSERT_EQ(env.generalBooks.size(), 1u);
  EXPECT_EQ(env.generalBooks[0].kind, kBookGeneral);
  EXPECT_EQ(env.generalBooks[0].path, "GEN\\uv.pdf") << "kept as written, taken below the root when opened";
}

TEST(StartupEnvironmentTest, MissingFileLeavesDefaultsAndNoToolsets) {
  AppState app;
  app.m_toolsIniPath = "/nonexistent/TOOLS.INI";
  app.m_programDir = "/nonexistent/PM2/";
  int dummy = 0;
  app.m_pToolsetInfo[0] = reinterpret_cast<ToolsetInfo*>(&dummy);
  std::string err;
  EXPECT_FALSE(LoadStartupEnvironment(app, &err));
  EXPECT_NE(err.find("TOOLS.INI"), std::string::npos);
  for (ToolsetInfo* t : app.m_pToolsetInfo) EXPECT_EQ(t, nullptr);
  ASSERT_EQ(theEnvironment().deviceDatabases.size(), 1u);
  EXPECT_FALSE(theEnvironment().fileRead);
  EXPECT_EQ(app.m_pEnvironment, &theEnvironment()) << "the generic database is the application's all the same";
}

// The program in the build tree's root never runs a test's stand-in tool
// (tools/standin): every folder its TOOLS.INI names for a toolset holds
// none, whatever was built or run before. A stand-in reads PM2_STANDIN,
// which no real tool does.
TEST(StartupEnvironmentTest, TheBuildTreesToolFoldersHoldNoStandIn) {
  const char* bin = std::getenv("PM2_TEST_BIN");
  if (!bin) GTEST_SKIP() << "run through ctest to know the build tree";
  AppState app;
  SetupInstallPaths(app, std::string(bin) + "/root/PM2/pelmora2");
  ASSERT_TRUE(LoadStartupEnvironment(app));
  const std::string mark = "PM2_STANDIN";
  std::vector<std::string> standIns;
  int folders = 0;
  for (int id = 0; id < kToolsetCount; ++id) {
    ASSERT_NE(app.m_pToolsetInfo[id], nullptr) << id;
    for (const std::string& folder : {app.m_pToolsetInfo[id]->rootFolder, app.m_pToolsetInfo[id]->secondFolder}) {
      if (folder.empty()) continue;
      ASSERT_TRUE(fs::is_directory(folder)) << folder;
      ++folders;
      // Links (the GNU tools, their include folder) lead to real tools.
      for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder)) {
        if (!e.is_regular_file() || e.is_symlink()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.find(mark) != std::string::npos) standIns.push_back(e.path().string());
      }
    }
  }
  EXPECT_GE(folders, kToolsetCount);
  EXPECT_EQ(std::vector<std::string>{}, standIns);
}

TEST(StartupEnvironmentTest, TheBuildTreeInstallationHasEveryToolsetAndTheGnuTools) {
  const char* bin = std::getenv("PM2_TEST_BIN");
  if (!bin) GTEST_SKIP() << "run through ctest to know the build tree";
  AppState app;
  SetupInstallPaths(app, std::string(bin) + "/root/PM2/pelmora2");
  ASSERT_TRUE(LoadStartupEnvironment(app));
  for (int id = 0; id < kToolsetCount; ++id) {
    ASSERT_NE(app.m_pToolsetInfo[id], nullptr) << id;
    EXPECT_TRUE(fs::is_directory(app.m_pToolsetInfo[id]->toolsFolder)) << id;
  }
  const ToolsetInfo& gnu = *app.m_pToolsetInfo[3];
  EXPECT_EQ(gnu.secondToolsFolder, app.m_installRoot + "GNU/Arm-Tools/Bin/");
  // The generic device database lies where the environment names it.
  DeviceDatabase generic(kPoolScratch);
  EXPECT_EQ(generic.Read(theEnvironment().deviceDatabases[0].path), kDeviceDbOk);
  EXPECT_GT(generic.Count(), 0u);
  generic.Free();
  if (!fs::exists("/usr/bin/arm-none-eabi-gcc")) GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
  for (const char* tool : {"arm-uclibc-gcc", "arm-uclibc-as", "arm-uclibc-objcopy", "arm-uclibc-ar"})
    EXPECT_EQ(access((gnu.secondToolsFolder + tool).c_str(), X_OK), 0) << tool;
  for (int id = 0; id < kToolsetCount; ++id) app.m_pToolsetInfo[id] = nullptr;
}

TEST(InstallPathsTest, RootIsTheFolderAboveTheProgramFolder) {
  struct Row {
    const char* program;
    const char* dir;
    const char* root;
  } rows[] = {
      {"/opt/pm2/PM2/pelmora2", "/opt/pm2/PM2/", "/opt/pm2/"},
      {"/PM2/pelmora2", "/PM2/", "/"},
      {"/pelmora2", "/", "/"},
  };
  for (const Row& r : rows) {
    AppState app;
    SetupInstallPaths(app, r.program);
    EXPECT_EQ(app.m_programDir, r.dir) << r.program;
    EXPECT_EQ(app.m_installRoot, r.root) << r.program;
    EXPECT_EQ(app.m_vspawnPath, std::string(r.dir) + "VSPAWN.EXE");
    EXPECT_EQ(app.m_toolsIniPath, std::string(r.root) + "TOOLS.INI");
  }
  EXPECT_EQ(CurrentProgramPath().substr(CurrentProgramPath().rfind('/') + 1),
            "project_environment_test");
}

}  // namespace
}  // namespace pm2
