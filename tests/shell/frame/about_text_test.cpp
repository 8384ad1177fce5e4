#include "shell/frame/about_text.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

TEST(AboutText, Lines) {
  AboutInfo armGnu;
  armGnu.version = "Pelmora2 V0.1";
  armGnu.hasTarget = true;
  armGnu.toolchainPath = "/opt/arm/";
  armGnu.tools = {{"C Compiler:", "gcc", "4.8"}, {"Assembler:", "as", ""}};
  armGnu.targetDll = "sim.so";
  AboutInfo noTarget = armGnu;
  noTarget.hasTarget = false;
  AboutInfo noDll = armGnu;
  noDll.targetDll.clear();
  noDll.tools.clear();

  struct Row {
    const char* name;
    AboutInfo info;
    std::string text;
  };
  const Row rows[] = {
      {"tools_with_and_without_version", armGnu,
       "Pelmora2 V0.1\nToolchain Path:    /opt/arm/\nC Compiler:    gcc       V4.8\nAssembler:    as\n"
       "Target DLL:     sim.so\n"},
      {"without_target_only_the_version", noTarget, "Pelmora2 V0.1\n"},
      {"no_driver_no_driver_line", noDll, "Pelmora2 V0.1\nToolchain Path:    /opt/arm/\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(AboutText(r.info), r.text);
  }
}

TEST(AboutText, PercentSignsInPathsAreNotFormats) {
  AboutInfo info;
  info.version = "V";
  info.hasTarget = true;
  info.toolchainPath = "/opt/%s%n/";
  EXPECT_EQ(AboutText(info), "V\nToolchain Path:    /opt/%s%n/\n");
}

TEST(AboutText, CutAtTheLimit) {
  AboutInfo info;
  info.version = "V";
  info.hasTarget = true;
  info.tools.assign(400, AboutTool{"Title:", "program", "1.0"});
  EXPECT_EQ(AboutText(info).size(), kAboutTextLimit);
}

TEST(AboutText, EveryToolsetListsItsPrograms) {
  for (int toolset = 0; toolset <= 4; ++toolset) {
    SCOPED_TRACE(toolset);
    EXPECT_GE(AboutToolsOf(toolset).size(), 4u);
  }
  EXPECT_TRUE(AboutToolsOf(100).empty());
}


struct BannerRow {
  const char* name;
  const char* line;
  const char* version;
};

class VersionBanner : public ::testing::TestWithParam<BannerRow> {};

TEST_P(VersionBanner, TakesTheLastNumberWithDots) {
  EXPECT_EQ(VersionFromBanner(GetParam().line), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VersionBanner,
    ::testing::Values(BannerRow{"GccWithDate", "arm-none-eabi-gcc (15:12.2.rel1-1) 12.2.1 20221205", "12.2.1"},
                      BannerRow{"BinutilsAssembler", "GNU assembler (2.40-2+18+b1) 2.40", "2.40"},
                      BannerRow{"TrailingLineEnd", "GNU ar (GNU Binutils) 2.40\r\n", "2.40"},
                      BannerRow{"NoVersion", "usage: tool [options]", ""},
                      BannerRow{"DotsAtTheEdges", "tool .5 5. 1..2", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
