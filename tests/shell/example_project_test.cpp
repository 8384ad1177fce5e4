// The committed example project is exactly what our writer makes of it
// (PM2_WRITE_EXAMPLE=1 writes it anew), and our reader opens it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "example_project.h"
#include "project/files/project_open.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"

namespace pm2 {
namespace {

std::string ExampleFolder() { return std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky/"; }

std::string Read(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

TEST(ExampleProject, FilesAreOurWritersOutput) {
  std::string project, options;
  ExampleProjectTexts(&project, &options);
  if (const char* w = std::getenv("PM2_WRITE_EXAMPLE"); w && *w == '1') {
    std::ofstream(ExampleFolder() + "Blinky.pm2", std::ios::binary) << project;
    std::ofstream(ExampleFolder() + "Blinky.Opt", std::ios::binary) << options;
  }
  EXPECT_EQ(Read(ExampleFolder() + "Blinky.pm2"), project);
  EXPECT_EQ(Read(ExampleFolder() + "Blinky.Opt"), options);
}

TEST(ExampleProject, OpensWithItsTargetGroupsAndFiles) {
  std::string message;
  ASSERT_EQ(OpenProjectFile(ExampleFolder() + "Blinky.pm2", &message), 0) << message;
  ProjectRec* p = theApp().m_pProject;
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->curTarget, nullptr);
  EXPECT_EQ(p->curTarget->name.str(), "LPC2138");
  EXPECT_EQ(p->curTarget->toolset, kToolsetArmGnu);
  ASSERT_NE(p->firstGroup, nullptr);
  EXPECT_EQ(p->firstGroup->name.str(), "Startup");
  ASSERT_NE(p->firstGroup->next, nullptr);
  int files = 0;
  for (FileRec* f = p->firstGroup->next->firstFile; f; f = f->next) ++files;
  EXPECT_EQ(files, 3);
}

}  // namespace
}  // namespace pm2
