// The object name the compiler is told to write and the one the link step
// hands to the linker are one text, in the file name's own case: Linux
// file names are case-sensitive.
#include <gtest/gtest.h>

#include "builder/cmd_fixture.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/q51_command.h"

namespace pm2::test {
namespace {

TEST(ObjectName, CompilerAndLinkerNamesAgreeInCase) {
  struct Row {
    const char* name;
    uint16_t toolset;
    const char* outDir;
    const char* fileName;
    const char* filePath;
    const char* object;  // what the linker is given
  } rows[] = {
      {"51, output folder", kToolset51, "Obj\\", "Main.C", ".\\Main.C", "Obj\\Main.obj"},
      {"51, source in a subfolder", kToolset51, ".\\", "UART_Drv.c", ".\\Src\\UART_Drv.c", "UART_Drv.obj"},
      {"166, output folder", kToolset166, "OUT\\", "StartUp.C", ".\\StartUp.C", "OUT\\StartUp.obj"},
      {"166, absolute source", kToolset166, ".\\", "Cmd.c", "/home/u/Lib/Cmd.c", ".\\Cmd.obj"},
  };
  for (const Row& r : rows) {
    CmdFixture fx(r.toolset);
    fx.targetOpts.out.OUTDIR = OptString(r.outDir);
    fx.file.name = OptString(r.fileName);
    fx.file.path = OptString(r.filePath);
    if (r.toolset == kToolset51)
      MakeQ51CompilerCommand(fx.ctx, &fx.file, &fx.target, true);
    else
      MakeQ166CompilerCommand(fx.ctx, &fx.file, &fx.target, true);
    EXPECT_EQ(fx.ctx.g_szObjFileName, r.object) << r.name;
    const std::string line(fx.ctx.Text());
    EXPECT_NE(line.find("OBJECT(" + fx.ctx.g_szObjFileName + ")"), std::string::npos) << r.name << ": " << line;
  }
}

}  // namespace
}  // namespace pm2::test
