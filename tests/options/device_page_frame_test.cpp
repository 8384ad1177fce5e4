// The options sheet's Device page in the real main frame over a copy of the
// example: an 8051 device chosen for the ARM target whose group and file
// have blocks of their own. Cancel leaves everything as it was; OK leaves
// the group and the file inheriting from the target, and the saved project
// builds (with the stand-in tools) without the zeros a stale ARM block
// would give the 51 compiler.
#include <sys/wait.h>

#include <QDialog>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "options/pages/option_page.h"
#include "options/pages/options_sheet.h"
#include "project/dialogs/device_selection.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/project_commands_ext.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {
namespace device_page_frame_test {

class DevicePageFrameTest : public test::ExampleFrameTest {};

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The sheet's Device page in front, the device chosen as a click chooses
// it, and the sheet ended with the button; false when the page or the
// device was not there.
bool ChooseDevice(OptionsSheet& sheet, const char* vendor, const char* device, QPushButton* (OptionsSheet::*button)() const) {
  sheet.show();
  for (int i = 0; i < sheet.PageCount(); ++i)
    if (sheet.Page(i)->Id() == PageId::kDevice) sheet.Tabs()->setCurrentIndex(i);
  auto* selector = sheet.CurrentPage() ? sheet.CurrentPage()->findChild<DeviceSelector*>() : nullptr;
  if (!selector || !selector->SelectDevice(vendor, device)) return false;
  const HTREEITEM item = selector->Tree()->GetCaretItem();
  selector->Tree()->SelectItem(selector->Tree()->GetParentItem(item));
  selector->Tree()->SelectItem(item);
  QTest::mouseClick((sheet.*button)(), Qt::LeftButton);
  return true;
}

TEST_F(DevicePageFrameTest, An8051DeviceLeavesTheGroupsAndFilesInheriting) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  TargetRec* target = p->curTarget;
  ASSERT_EQ(target->toolset, kToolsetArmGnu);
  GroupRec* group = p->firstGroup;
  ASSERT_NE(group, nullptr);
  FileRec* blinky = FindSourceFileByPath((dir + "Blinky.c").c_str());
  ASSERT_NE(blinky, nullptr);
  // The group and the file hold something of their own for the ARM target.
  OptionBlock* groupBlock = GetNodeOptions(group);
  OptionBlock* fileBlock = GetNodeOptions(blinky);
  ASSERT_NE(groupBlock, nullptr);
  ASSERT_NE(fileBlock, nullptr);
  groupBlock->prop.flags.ALWAYSBUILD = 1;
  fileBlock->prop.flags.ALWAYSBUILD = 1;

  struct Row {
    const char* name;
    QPushButton* (OptionsSheet::*button)() const;
    uint16_t toolset;  // the target's after the sheet
    bool blocksStay;
  } rows[] = {
      {"Cancel", &OptionsSheet::CancelButton, kToolsetArmGnu, true},
      {"OK", &OptionsSheet::OkButton, kToolset51, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    bool chosen = false;
    f->ProjectCommands()->m_runOptionsSheet = [&](OptionsSheet& sheet) {
      chosen = ChooseDevice(sheet, "Atmel", "AT89C51", r.button);
      if (!chosen) sheet.reject();
      return sheet.result();
    };
    test::BoxAnswers closer({QMessageBox::Ok});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kOptionsForTarget));
    ASSERT_TRUE(chosen);
    target = s.App().Project()->curTarget;
    EXPECT_EQ(target->toolset, r.toolset);
    group = s.App().Project()->firstGroup;
    blinky = FindSourceFileByPath((dir + "Blinky.c").c_str());
    ASSERT_NE(blinky, nullptr);
    EXPECT_EQ(FindTargetOptions(group->pOpts, target) != nullptr, r.blocksStay);
    EXPECT_EQ(FindTargetOptions(blinky->pOpts, target) != nullptr, r.blocksStay);
  }

  // The saved project, built from the command line with the stand-in 51
  // tools: the compiler is given what a 51 target gives a file without
  // blocks, not the zeros of the ARM blocks read as 51 ones.
  const std::string record = dir + "tools.txt";
  const std::string command = "cd " + dir + " && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME=" + dir +
                              "config PM2_STANDIN='record " + record + "' " + root + "PM2/pelmora2 -b Blinky.pm2 > " +
                              dir + "build.txt 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << FileText(dir + "build.txt");
  const std::string ran = FileText(record);
  std::string q51;
  std::istringstream lines(ran);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("Q51", 0) == 0 && line.find("Blinky.c") != std::string::npos) q51 = line;
  ASSERT_FALSE(q51.empty()) << ran << FileText(dir + "build.txt");
  EXPECT_EQ(q51, "Q51 Blinky.c DEBUG OBJECTEXTEND");
}

}  // namespace device_page_frame_test
}  // namespace pm2
