// Rewriting a startup file's equates on a failing disk: the old file stays
// whole or the new one is complete, the failure names the file, and no
// temporary file is left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/write_fault_sweep.h"
#include "project/files/line_file.h"

namespace pm2 {
namespace {

const std::string kPath = "/p/Startup.w51";
const std::string kOld = "IDATALEN EQU 80H ; idata\r\nXDATALEN EQU 0\r\n";

// Opens the old text from the given disk, links IDATALEN and rewrites.
bool RewriteEquates(FaultDisk& disk, std::string* message, bool arm) {
  LineFile file;
  std::string err;
  if (file.Open(kPath, &err, &disk) != 0) {
    *message = err;
    return false;
  }
  std::vector<EquateSymbol> symbols(1);
  symbols[0].name = "IDATALEN";
  symbols[0].syntax = 1;
  symbols[0].value = 256;
  file.FindEquateLines(symbols);
  EXPECT_EQ(symbols[0].line, 0);
  return (arm ? file.WriteEquatesArm(symbols, message, &disk)
              : file.WriteEquates(symbols, message, &disk)) == 0;
}

TEST(LineFileFaults, CrashOrFailureAtAnyStepKeepsOneWholeFile) {
  for (bool arm : {false, true}) {
    SCOPED_TRACE(arm ? "arm" : "plain");
    auto write = [arm](FaultDisk& disk, std::string* message) {
      return RewriteEquates(disk, message, arm);
    };
    const std::string fresh = "IDATALEN EQU 256 ; idata /Dave/\r\nXDATALEN EQU 0\r\n";
    test::CrashAtEveryStep(kPath, kOld, fresh, write);
    test::FailEachStepOnce(kPath, kOld, fresh, write);
  }
}

TEST(LineFileFaults, MissingFileOnTheGivenDiskIsReportedByName) {
  FaultDisk disk;
  LineFile file;
  std::string err;
  EXPECT_EQ(file.Open(kPath, &err, &disk), 1);
  EXPECT_EQ(err, FileErrorText("read", kPath, ENOENT));
  EXPECT_TRUE(file.Lines().empty());
}

}  // namespace
}  // namespace pm2
