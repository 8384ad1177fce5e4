// The device database generator (tools/devdb) run as the build runs it:
// its exit status, what it prints, and that a failed run leaves no
// database behind. One row per way out.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "project/devices/device_db.h"
#include "project/text/pool.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

const char kOneDevice[] = "vendor: Vond\ndevice: LPC2138\nfamily: ARM\nCPU=IRAM(0x40000000-0x40007FFF)\n";

struct DevdbRow {
  const char* name;
  std::vector<std::string> args;  // "%D/" stands for the test's folder
  const char* source;             // written to %D/devices.txt; null: none
  int status;
  const char* out;                // standard output, "%D/" expanded
  const char* err;                // standard error, "%D/" expanded
  const char* database;           // the file that must exist afterwards; null: %D/out.cdb must not
};

const DevdbRow kRows[] = {
    {"Usage", {}, nullptr, 2, "", "usage: pm2_devdb <device source> <database file>\n", nullptr},
    {"UsageWithAThirdArgument", {"%D/devices.txt", "%D/out.cdb", "extra"}, kOneDevice, 2, "",
     "usage: pm2_devdb <device source> <database file>\n", nullptr},
    {"UnreadableSource", {"%D/missing.txt", "%D/out.cdb"}, nullptr, 1, "",
     "pm2_devdb: Cannot read '%D/missing.txt': No such file or directory\n", nullptr},
    {"SourceIsAFolder", {"%D/", "%D/out.cdb"}, nullptr, 1, "", "pm2_devdb: Cannot read '%D/': Is a directory\n",
     nullptr},
    {"ParseError", {"%D/devices.txt", "%D/out.cdb"}, "vendor: Vond\ngarbage line\n", 1, "",
     "pm2_devdb: %D/devices.txt(2): expected 'name: value' or KEY=value, found 'garbage line'\n", nullptr},
    {"WriteFailure", {"%D/devices.txt", "%D/no/such/folder/out.cdb"}, kOneDevice, 1, "",
     "pm2_devdb: Cannot create database file '%D/no/such/folder/out.cdb' ! Cannot write "
     "'%D/no/such/folder/out.cdb': No such file or directory\n",
     nullptr},
    {"Written", {"%D/devices.txt", "%D/out.cdb"}, kOneDevice, 0, "pm2_devdb: 1 devices written to '%D/out.cdb'\n",
     "", "%D/out.cdb"},
};

class DevdbTool : public ::testing::TestWithParam<DevdbRow> {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("pm2_devdb_" + std::to_string(::getpid()) + "_" + GetParam().name);
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Expand(std::string s) const {
    for (std::size_t at; (at = s.find("%D/")) != std::string::npos;) s.replace(at, 3, dir.string() + "/");
    return s;
  }
  std::string Slurp(const fs::path& p) const {
    std::ifstream in(p, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir;
};

TEST_P(DevdbTool, ExitsWithItsStatusAndSaysWhy) {
  const DevdbRow& row = GetParam();
  if (row.source) std::ofstream(dir / "devices.txt", std::ios::binary) << row.source;
  std::string command = "'" PM2_DEVDB_PROGRAM "'";
  for (const std::string& a : row.args) command += " '" + Expand(a) + "'";
  command += " >'" + (dir / "stdout").string() + "' 2>'" + (dir / "stderr").string() + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << command;
  EXPECT_EQ(WEXITSTATUS(status), row.status);
  EXPECT_EQ(Slurp(dir / "stdout"), Expand(row.out));
  EXPECT_EQ(Slurp(dir / "stderr"), Expand(row.err));
  if (!row.database) {
    EXPECT_FALSE(fs::exists(dir / "out.cdb"));
    return;
  }
  DeviceDatabase db(kPoolScratch);
  EXPECT_EQ(db.Read(Expand(row.database)), kDeviceDbOk);
  EXPECT_EQ(db.Count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Rows, DevdbTool, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
