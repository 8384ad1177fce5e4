#include <unistd.h>
#include "project/import/code_gen_project.h"

#include <gtest/gtest.h>

#include "project/model/option_block.h"
#include "project/model_fixture.h"

namespace pm2 {
namespace {

const std::string kSample =
    "' generated\r\n[Version]\r\nV=4\r\n[General]\r\nDevice=\"C167CR\"\r\nDeviceType=\"C167CR-LM\"\r\n"
    "[Interface]\r\nCompiler=\"Pelmora\"\r\nMemoryModel=\"LARGE\"\r\n"
    "[Environment]\r\nOscillatorFrequency=20\r\nDeviceFrequency=24.576\r\n"
    "[Files]\r\nFile1=\"MAIN.C\"\r\nFile2=\"main.h\"\r\nFile3=ASC0.C\r\nFile4=\"io.c\"\r\n"
    "[Registers]\r\nSYSCON_ROMEN=1\r\nSYSCON-XPEN = 0\r\n";

TEST(CodeGenReader, ReadsEverySection) {
  CodeGenProject d = ParseCodeGenProject(kSample);
  EXPECT_EQ(d.device, "C167CR");
  EXPECT_EQ(d.deviceType, "C167CR-LM");
  EXPECT_EQ(d.memoryModel, "LARGE");
  EXPECT_EQ(d.oscillatorHz, 20000000u);
  EXPECT_EQ(d.deviceHz, 24576000u);
  EXPECT_EQ(d.cFiles, (std::vector<std::string>{"MAIN.C", "io.c"})) << "unquoted and non-C names are left out";
  EXPECT_EQ(d.registers["SYSCON_ROMEN"], 1u);
  EXPECT_EQ(d.registers.count("SYSCON-XPEN"), 1u);
}

TEST(CodeGenReader, FirstSectionNeitherVersionNorGeneral) {
  CodeGenProject d = ParseCodeGenProject("[Other]\nDevice=\"X\"\n[Interface]\nMemoryModel=SMALL\n");
  EXPECT_TRUE(d.device.empty());
  EXPECT_EQ(d.memoryModel, "SMALL");
}

TEST(CodeGenReader, FrequencyRows) {
  const std::pair<const char*, uint32_t> rows[] = {
      {"20", 20000000u},       {"24.576", 24576000u},  {"14H", 20000000u},       {"0x10", 16000000u},
      {"", 0u},                {"-5", 0u},             {"11.0592", 11059200u},   {"0.032768", 32768u},
      {"33.3333333", 33333333u}, {"12.", 12000000u},   {"18.432000", 18432000u}, {"5000.5", 0u}};
  for (auto [text, hz] : rows) EXPECT_EQ(ParseFrequencyMHz(text), hz) << text;
}

TEST(CodeGenReader, CutAtEveryLength) {
  const CodeGenProject full = ParseCodeGenProject(kSample);
  for (std::size_t n = 0; n <= kSample.size(); ++n) {
    CodeGenProject d = ParseCodeGenProject(kSample.substr(0, n));
    EXPECT_LE(d.cFiles.size(), full.cFiles.size()) << n;
    for (std::size_t i = 0; i < d.cFiles.size(); ++i) EXPECT_EQ(d.cFiles[i], full.cFiles[i]) << n;
  }
}

class CodeGenTest : public ModelTest {};

TEST_F(CodeGenTest, DeviceMatchRows) {
  DeviceDatabase db(kPoolOptionPages);
  for (auto [vendor, device] : std::initializer_list<std::pair<const char*, const char*>>{
           {"Infineon", "C167CR LM"}, {"Infineon", "C167CS"}, {"Siemens", "C167CR-LM"},
           {"Infineon", "XC164CS"}, {"ST Microelectronics", "XC164-CS"}})
    db.Append(db.NewEntry(vendor, device, 2, ""));
  struct Row {
    const char* name;
    const char* type;
    const char* expected;
  } rows[] = {
      {"dash for blank matches in full", "C167CR-LM", "C167CR LM"},
      {"tie: first in database order", "XC164CS", "XC164CS"},
      {"score below 3", "C1", nullptr},
      {"no Infineon device", "ST10F269", nullptr},
  };
  for (const Row& r : rows) {
    const DeviceDbEntry* e = MatchCodeGenDevice(db, r.type);
    if (!r.expected) {
      EXPECT_EQ(e, nullptr) << r.name;
    } else {
      ASSERT_NE(e, nullptr) << r.name;
      EXPECT_EQ(e->device.str(), r.expected) << r.name;
    }
  }
  EXPECT_EQ(DeviceTypeScore("XC164-CS", "xc164cs"), 7);
  db.Free();
}

TEST_F(CodeGenTest, LibraryFolderRows) {
  std::string lib, msg;
  EXPECT_TRUE(LibraryFolderOf("C:\\Pm2\\Q166\\BIN\\", &lib, &msg));
  EXPECT_EQ(lib, "C:\\Pm2\\Q166\\lib\\");
  EXPECT_TRUE(LibraryFolderOf("/opt/pm2/q51/bin", &lib, &msg));
  EXPECT_EQ(lib, "/opt/pm2/q51/lib/");
  EXPECT_FALSE(LibraryFolderOf("/opt/pm2/q51/tools/", &lib, &msg));
  EXPECT_EQ(msg, "The tools folder '/opt/pm2/q51/tools/' does not end in 'BIN': no library folder beside it");
}

TEST_F(CodeGenTest, NewProjectAndMigration) {
  DeviceDatabase db(kPoolOptionPages);
  DeviceDbEntry* dev = db.NewEntry("Infineon", "C167CR-LM", 2, "");
  db.AddOption(dev, "CPU", "IRAM(0xF600-0xFDFF) CLOCK(20000000)");
  db.Append(dev);
  CodeGenProject d = ParseCodeGenProject(kSample);
  ProjectRec* p = MakeCodeGenProject("/work/dave/demo.Pm2", d, *dev);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->firstGroup->name.str(), "Dave Files");
  EXPECT_EQ(p->lastGroup->name.str(), "User Files");
  std::vector<std::string> names;
  for (FileRec* f = p->firstGroup->firstFile; f; f = f->next) names.push_back(f->name.str());
  EXPECT_EQ(names, (std::vector<std::string>{"Start167.w66", "MAIN.C", "io.c"}));
  EXPECT_EQ(p->curTarget->toolset, 2);
  ASSERT_NE(p->curTarget->pOpts, nullptr);
  EXPECT_EQ(p->curTarget->pOpts->t166.MODEL, 4);
  EXPECT_EQ(p->curTarget->pOpts->t166.clock, 24576000u);
  EXPECT_EQ(p->curTarget->pOpts->t166.flags.USEONCHIPROM, 1);

  // The user's own file and a file the generator no longer lists.
  AddFileToGroup(p->lastGroup, "user.c", "./", kFileC);
  ASSERT_EQ(MigrateCodeGenFiles(p, "Start167.w66", {"MAIN.C", "new.c"}), "");
  names.clear();
  for (FileRec* f = p->firstGroup->firstFile; f; f = f->next)
    if (!(f->flags & kFileRemoved)) names.push_back(f->name.str());
  EXPECT_EQ(names, (std::vector<std::string>{"Start167.w66", "MAIN.C", "new.c"}));
  EXPECT_FALSE(p->lastGroup->firstFile->flags & kFileRemoved) << "user files stay";
  p->firstGroup->name = OptString("Renamed");
  EXPECT_EQ(MigrateCodeGenFiles(p, "", {}), "Can't find Group 'Dave Files', migration cancelled");
  db.Free();
}

}  // namespace
}  // namespace pm2

#include <filesystem>
#include <fstream>

namespace pm2 {
namespace {

TEST_F(CodeGenTest, ImportCopiesStartupAndKeepsAnExistingOne) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("pm2_dave_" + std::to_string(::getpid()));
  fs::create_directories(root / "proj");
  fs::create_directories(root / "Q51" / "lib");
  fs::create_directories(root / "Q51" / "BIN");
  std::ofstream(root / "Q51" / "lib" / "Startup.w51") << "; library copy\n";
  std::ofstream(root / "proj" / "demo.dpt") << "[General]\nDeviceType=\"C515C\"\n[Interface]\nMemoryModel=LARGE\n"
                                                "[Environment]\nDeviceFrequency=10\n[Files]\nFile1=\"main.c\"\n";
  DeviceDatabase db(kPoolOptionPages);
  db.Append(db.NewEntry("Infineon", "C515C-8R", 0, ""));
  const std::string dbPath = (root / "devices.cdb").string();
  ASSERT_EQ(db.Write(dbPath), kDeviceDbOk);
  db.Free();
  std::vector<std::string> reports;
  CodeGenImportEnv env;
  env.databasePath = dbPath;
  env.toolsFolders[0] = (root / "Q51" / "BIN").string() + "/";
  env.report = [&](const std::string& m) { reports.push_back(m); };

  std::ofstream(root / "proj" / "Startup.w51") << "; the user's own\n";
  ProjectRec* p = ImportCodeGenProject((root / "proj" / "demo.dpt").string(), env, nullptr);
  ASSERT_NE(p, nullptr) << (reports.empty() ? "" : reports[0]);
  std::ifstream kept(root / "proj" / "Startup.w51");
  std::string line;
  std::getline(kept, line);
  EXPECT_EQ(line, "; the user's own");
  EXPECT_EQ(p->curTarget->pOpts->t51.MODEL5, 2);
  EXPECT_EQ(p->curTarget->pOpts->t51.clock, 10000000u);

  fs::remove(root / "proj" / "Startup.w51");
  env.toolsFolders[0] = (root / "Q51" / "tools").string();
  EXPECT_EQ(ImportCodeGenProject((root / "proj" / "demo.dpt").string(), env, nullptr), nullptr);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("does not end in 'BIN'"), std::string::npos);
  env.toolsFolders[0] = (root / "Q51" / "BIN").string();
  ASSERT_NE(ImportCodeGenProject((root / "proj" / "demo.dpt").string(), env, nullptr), nullptr);
  EXPECT_TRUE(fs::exists(root / "proj" / "Startup.w51"));
  EXPECT_EQ(ImportCodeGenProject((root / "proj" / "none.dpt").string(), env, nullptr), nullptr);
  EXPECT_EQ(reports.back(), "Error: can't read file '" + (root / "proj" / "none.dpt").string() + "' !");
  fs::remove_all(root);
}

// A kept startup file that came read-only is made the user's to edit, as a
// copied one is; a database that cannot be read is named in the message.
TEST_F(CodeGenTest, ImportMakesTheStartupWritableAndNamesAnUnreadableDatabase) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("pm2_dave_ro_" + std::to_string(::getpid()));
  fs::create_directories(root / "proj");
  std::ofstream(root / "proj" / "demo.dpt") << "[General]\nDeviceType=\"C515C\"\n[Files]\nFile1=\"main.c\"\n";
  DeviceDatabase db(kPoolOptionPages);
  db.Append(db.NewEntry("Infineon", "C515C-8R", 0, ""));
  const std::string dbPath = (root / "devices.cdb").string();
  ASSERT_EQ(db.Write(dbPath), kDeviceDbOk);
  db.Free();
  std::vector<std::string> reports;
  CodeGenImportEnv env;
  env.databasePath = dbPath;
  env.toolsFolders[0] = (root / "Q51" / "BIN").string();
  env.report = [&](const std::string& m) { reports.push_back(m); };
  const fs::path startup = root / "proj" / "Startup.w51";
  std::ofstream(startup) << "; read-only\n";
  fs::permissions(startup, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  ASSERT_NE(ImportCodeGenProject((root / "proj" / "demo.dpt").string(), env, nullptr), nullptr)
      << (reports.empty() ? "" : reports[0]);
  const fs::perms now = fs::status(startup).permissions();
  EXPECT_NE(now & fs::perms::owner_write, fs::perms::none) << "the kept file is writable";
  EXPECT_NE(now & fs::perms::others_read, fs::perms::none) << "its other bits stay";
  std::ifstream kept(startup);
  std::string line;
  std::getline(kept, line);
  EXPECT_EQ(line, "; read-only");

  struct Row {
    const char* name;
    const char* contents;  // null: no database file
    std::string message;
  };
  const std::string bad = (root / "bad.cdb").string();
  const Row rows[] = {
      {"missing", nullptr, "Database file '" + bad + "' not found !"},
      {"damaged", "not a device database", "Error while reading database file '" + bad + "'"},
  };
  for (const Row& r : rows) {
    fs::remove(bad);
    if (r.contents) std::ofstream(bad) << r.contents;
    env.databasePath = bad;
    reports.clear();
    EXPECT_EQ(ImportCodeGenProject((root / "proj" / "demo.dpt").string(), env, nullptr), nullptr) << r.name;
    ASSERT_EQ(reports.size(), 1u) << r.name;
    EXPECT_EQ(reports[0], r.message) << r.name;
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace pm2
