// The tools' environment per toolset, the batch file and the trace file.
#include <gtest/gtest.h>

#include "builder/build_test_support.h"
#include "builder/runner/batch_file.h"
#include "builder/runner/tool_environment.h"
#include "project/environment/environment.h"
#include "project/model/project_records.h"
#include "project/recording_shell.h"

namespace pm2 {
namespace {

std::map<std::string, std::string> Values(const EnvOverlay& env) {
  std::map<std::string, std::string> out;
  for (const auto& [k, v] : env.Vars()) out[k] = v.value_or("<removed>");
  return out;
}

ToolEnvInput Target51() {
  ToolEnvInput in;
  in.toolset = kToolset51;
  in.device = "AT89C51";
  in.vendor = "Atmel";
  in.targetName = "Target 1";
  in.clock51 = 12000000;
  in.toolsFolder = "C:\\K\\TS\\BIN\\";
  return in;
}

TEST(ToolEnvironment, Target51WithAndWithoutRegisterFolder) {
  struct Row {
    const char* name;
    const char* orgReg;
    const char* inc;
  } rows[] = {
      {"no register folder", "", "C:\\K\\TS\\INC\\"},
      {"register folder", "Atmel\\", "C:\\K\\TS\\INC\\Atmel\\;C:\\K\\TS\\INC\\"},
      {"marked register folder", "\xFF" "Atmel\\", "C:\\K\\TS\\INC\\Atmel\\;C:\\K\\TS\\INC\\"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ToolEnvInput in = Target51();
    in.orgReg = row.orgReg;
    EnvOverlay env;
    EXPECT_EQ(SetToolEnvironment(in, 0, env, nullptr), "C:\\K\\TS\\BIN\\");
    EXPECT_EQ(Values(env), (std::map<std::string, std::string>{{"Q51INC", row.inc},
                                                                {"Q51LIB", "C:\\K\\TS\\LIB"},
                                                                {"CPU_TYPE", "AT89C51"},
                                                                {"CPU_VENDOR", "Atmel"},
                                                                {"PM2_TARGET", "Target 1"},
                                                                {"CPU_XTAL", "0x00B71B00"}}));
  }
}

TEST(ToolEnvironment, OwnFoldersOfTheTarget) {
  struct Row {
    const char* name;
    const char* reg;
    const char* inc;
  } rows[] = {
      {"no register folder", "", "D:\\INC\\"},
      {"marked register folder", "\xFFPhilips\\", "D:\\INC\\Philips\\;D:\\INC\\"},
      {"relative register folder", ".\\Philips\\", "D:\\INC\\Philips\\;D:\\INC\\"},
      {"own register folder", "E:\\REG\\", "E:\\REG\\;D:\\INC\\"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ToolEnvInput in = Target51();
    in.toolset = kToolset251;
    in.clock251 = 1;
    in.useOwnEnv = true;
    in.envBin = "D:\\BIN\\";
    in.envInc = "D:\\INC\\";
    in.envLib = "D:\\LIB\\";
    in.envReg = row.reg;
    EnvOverlay env;
    EXPECT_EQ(SetToolEnvironment(in, 0, env, nullptr), "D:\\BIN\\");
    auto v = Values(env);
    EXPECT_EQ(v["Q251BIN"], "D:\\BIN\\");
    EXPECT_EQ(v["Q251INC"], row.inc);
    EXPECT_EQ(v["Q251LIB"], "D:\\LIB\\");
    EXPECT_EQ(v["CPU_XTAL"], "0x00000001");
  }
}

TEST(ToolEnvironment, ModeOneChangesOnlyTargetVariables) {
  EnvOverlay env;
  SetToolEnvironment(Target51(), 1, env, nullptr);
  EXPECT_EQ(env.Vars().size(), 4u);
  EXPECT_EQ(env.Vars().count("Q51INC"), 0u);
}

TEST(ToolEnvironment, ClockVariablePerToolset) {
  struct Row {
    int toolset;
    const char* name;
    const char* value;
  } rows[] = {
      {kToolset51, "CPU_XTAL", "0x00000033"},
      {kToolset251, "CPU_XTAL", "0x000000FB"},
      {kToolset166, "CPU_CLOCK", "0x000000A6"},
      {kToolsetArmGnu, "CPU_CLOCK", "0x00000A53"},  // the ARM target's own clock
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ToolEnvInput in = Target51();
    in.toolset = row.toolset;
    in.clock51 = 0x33;
    in.clock251 = 0xFB;
    in.clock166 = 0xA6;
    in.clockArm = 0xA53;
    EnvOverlay env;
    SetToolEnvironment(in, 1, env, nullptr);
    EXPECT_EQ(Values(env)[row.name], row.value);
  }
}

TEST(ToolEnvironment, ArmGnuPathAndArmAdsVariables) {
  ToolEnvInput gnu = Target51();
  gnu.toolset = kToolsetArmGnu;
  gnu.gnuFolder1 = "/opt/maker/";
  gnu.gnuFolder2 = "/opt/gnu/bin/";
  EnvOverlay env;
  SetToolEnvironment(gnu, 0, env, nullptr);
  EXPECT_EQ(Values(env)["PATH"].rfind("/opt/maker/Bin:/opt/gnu/bin/:", 0), 0u);
  EXPECT_EQ(Values(env)["GCCINC"], "C:\\K\\TS\\INC\\");

  ToolEnvInput ads = Target51();
  ads.toolset = kToolsetArmAds;
  ads.programFolder = "C:\\ADS\\BIN\\";
  ads.toolsFolder = "C:\\K\\ARM\\BIN\\";
  EnvOverlay adsEnv;
  EXPECT_EQ(SetArmToolEnvironment(ads, 0, adsEnv, nullptr), "C:\\ADS\\BIN\\");
  auto v = Values(adsEnv);
  EXPECT_EQ(v["ARMCONF"], "C:\\ADS\\BIN\\");
  EXPECT_EQ(v["ARMDLL"], "C:\\ADS\\BIN\\");
  EXPECT_EQ(v["ARMHOME"], "C:\\ADS\\");
  EXPECT_EQ(v["ARMINC"], "C:\\K\\ARM\\INC\\Atmel,C:\\K\\ARM\\INC,C:\\ADS\\INCLUDE");
  EXPECT_EQ(v["ARMLIB"], "C:\\ADS\\LIB");
  EXPECT_EQ(v["CPU_CLOCK"], "0x00000000");
}

TEST(ToolEnvironment, ProjectTargetOfArmGnuGivesItsOwnClock) {
  OptionBlock opts;
  opts.tGnu.clock = 0x1000;
  opts.t166.clock = 0;
  TargetRec target;
  target.toolset = kToolsetArmGnu;
  target.pOpts = &opts;
  target.name = OptString("Blinky");
  target.DEVICE = OptString("LPC2148");
  ToolsetInfo info;
  info.toolsFolder = "/opt/k/ARM/BIN/";
  EnvOverlay env;
  EXPECT_EQ(SetToolEnvironment(MakeToolEnvInput(target, &info), 0, env, nullptr), "/opt/k/ARM/BIN/");
  auto v = Values(env);
  EXPECT_EQ(v["CPU_CLOCK"], "0x00001000");
  EXPECT_EQ(v["CPU_TYPE"], "LPC2148");
  EXPECT_EQ(v["PM2_TARGET"], "Blinky");
  EXPECT_EQ(v["GCCLIB"], "/opt/k/ARM/LIB");
  // A '\\' is part of a name on this machine: no folder of the list ends in one.
  EXPECT_EQ(v["GCCINC"], "/opt/k/ARM/INC");
  target.ORGREG = OptString("Philips\\");
  EnvOverlay withDevice;
  SetToolEnvironment(MakeToolEnvInput(target, &info), 0, withDevice, nullptr);
  EXPECT_EQ(Values(withDevice)["GCCINC"], "/opt/k/ARM/INC/Philips;/opt/k/ARM/INC");
}

TEST(EnvOverlay, BuildsTheChildEnvironment) {
  char a[] = "KEEP=1";
  char b[] = "DROP=2";
  char c[] = "CHANGE=3";
  char* base[] = {a, b, c, nullptr};
  EnvOverlay env;
  env.Remove("DROP");
  env.Set("CHANGE", "new");
  env.Set("ADDED", "");
  EXPECT_EQ(env.Build(base), (std::vector<std::string>{"KEEP=1", "ADDED=", "CHANGE=new"}));
  EXPECT_EQ(env.Get("KEEP", base).value_or("-"), "1");
  EXPECT_FALSE(env.Get("DROP", base).has_value());
}

TEST(BatchFile, NameAndContent) {
  EXPECT_EQ(BatchFileName("C:\\P\\", "T:1"), "C:\\P\\T_1.BAT");
  test::ScratchFolder dir;
  RecordingShell shell;
  BatchFile batch;
  ASSERT_TRUE(batch.Open(dir.Path(), "Target 1", shell));
  EnvOverlay env;
  SetToolEnvironment(Target51(), 0, env, &batch);
  batch.WriteLine("Q51.EXE @M.__i");
  batch.WriteLine("T C\r\n");
  batch.WriteLine("A B\n");
  batch.Close();
  EXPECT_FALSE(batch.Active());
  EXPECT_EQ(test::ReadFile(dir / "Target 1.BAT"),
            "SET Q51INC=C:\\K\\TS\\INC\\\r\nSET Q51LIB=C:\\K\\TS\\LIB\r\nSET CPU_TYPE=AT89C51\r\n"
            "SET CPU_VENDOR=Atmel\r\nSET PM2_TARGET=Target 1\r\nSET CPU_XTAL=0x00B71B00\r\n"
            "Q51.EXE @M.__i\r\nT C\r\nA B\n");
}

TEST(BatchFile, UncreatableFileIsReported) {
  RecordingShell shell;
  BatchFile batch;
  EXPECT_FALSE(batch.Open("/nonexistent-folder/", "T", shell));
  EXPECT_FALSE(batch.Active());
  EXPECT_EQ(shell.lines, (std::vector<std::string>{"Could not create File '/nonexistent-folder/T.BAT'\n"}));
}

TEST(TraceFile, HeaderAndCutLines) {
  test::ScratchFolder dir;
  TraceFile trace;
  ASSERT_TRUE(trace.Open(dir / "T"));
  trace.Printf("### %s\n", std::string(2000, 'z').c_str());
  trace.Close();
  const std::string text = test::ReadFile(dir / "T.tra");
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "*** Creating Trace Output File '" + dir / "T.tra" + "' Ok.\n");
  EXPECT_EQ(text.size() - text.find("###"), 1020u);
}

}  // namespace
}  // namespace pm2
