// A project made by someone else names its CPU and driver libraries: in
// the real main frame on a copy of the example whose options file names a
// library outside the installation (by "../../.." from the toolset's folder
// and by a rooted path), neither showing the Debug page of Options for
// Target nor Ctrl+F5 loads it (the library, planted in the project's
// folder, would leave a marker file beside it), and both say why.
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "debugger/ui/debug_commands.h"
#include "options/pages/debug_page.h"
#include "options/pages/options_sheet.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/project_commands_ext.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

struct HostileDriverRow {
  const char* name;
  bool rooted;  // named by its absolute path, else by "../" from the toolset's folder
};
void PrintTo(const HostileDriverRow& row, std::ostream* out) { *out << row.name; }

class HostileDriver : public test::ExampleFrameTest, public ::testing::WithParamInterface<HostileDriverRow> {
 protected:
  // Plants the marker library in the project's folder as "drivers/GDBDRV.so"
  // and names it in both sides' DLL fields of the options file.
  void SetUp() override {
    test::ExampleFrameTest::SetUp();
    planted = fs::canonical(dir).string() + "/drivers/";
    fs::create_directories(planted);
    fs::copy_file(PM2_MARKER_LIBRARY, planted + "GDBDRV.so");
    // From <root>/ARM/BIN/ up to "/" (more ".." than needed stay at "/").
    std::string up;
    for (int i = 0; i < 16; ++i) up += "..\\";
    named = GetParam().rooted ? planted + "GDBDRV.DLL" : up + planted.substr(1) + "GDBDRV.DLL";
    std::ifstream in(dir + "Blinky.Opt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string opt = text.str();
    for (std::size_t at; (at = opt.find("(GDBDRV.DLL)")) != std::string::npos;)
      opt.replace(at, 12, "(" + named + ")");
    std::ofstream(dir + "Blinky.Opt", std::ios::binary) << opt;
  }
  std::string Marker() const { return planted + "GDBDRV.so.ran"; }

  std::string planted, named;
};

TEST_P(HostileDriver, TheDebugPageShowsTheRefusalAndLoadsNothing) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::vector<std::string> tips;
  test::BoxAnswers boxes({QMessageBox::Ok});
  bool shown = false;
  f->ProjectCommands()->m_runOptionsSheet = [&](OptionsSheet& sheet) {
    sheet.show();
    for (int i = 0; i < sheet.PageCount(); ++i)
      if (sheet.Page(i)->Id() == PageId::kDebug) sheet.Tabs()->setCurrentIndex(i);
    auto* page = dynamic_cast<DebugPage*>(sheet.CurrentPage());
    if (!page) return int(QDialog::Rejected);
    shown = true;
    EXPECT_EQ(page->DllText(0)->text().toStdString(), named);
    for (int which = 0; which < 2; ++which) {
      tips.push_back(page->DllSettings(which)->toolTip().toStdString());
      QTest::mouseClick(page->DllSettings(which), Qt::LeftButton);
    }
    QTest::mouseClick(sheet.CancelButton(), Qt::LeftButton);
    return sheet.result();
  };
  ASSERT_TRUE(f->ExecuteCommand(cmd::kOptionsForTarget));
  ASSERT_TRUE(shown);
  EXPECT_FALSE(fs::exists(Marker())) << "the project's library was loaded";
  const std::string reason = "lies in '" + planted + "', outside the installation's driver folders (";
  ASSERT_EQ(tips.size(), 2u);
  EXPECT_EQ(tips[0].rfind("The CPU DLL '" + named + "' is not loaded: '", 0), 0u) << tips[0];
  EXPECT_EQ(tips[1].rfind("The driver DLL '" + named + "' is not loaded: '", 0), 0u) << tips[1];
  ASSERT_TRUE(test::WaitFor([&] { return boxes.texts.size() >= 2; })) << boxes.texts.size();
  for (int which = 0; which < 2; ++which) {
    EXPECT_NE(tips[which].find(reason), std::string::npos) << tips[which];
    EXPECT_EQ(boxes.texts[which], tips[which]) << "a click says the same";
  }
}

TEST_P(HostileDriver, CtrlF5SaysWhyAndLoadsNothing) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  test::BoxAnswers boxes({QMessageBox::Ok});
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  QTest::keyClick(f, Qt::Key_F5, Qt::ControlModifier);
  ASSERT_TRUE(test::WaitFor([&] { return !boxes.texts.empty(); }));
  EXPECT_FALSE(f->Debugger()->Session().SessionActive());
  EXPECT_FALSE(fs::exists(Marker())) << "the project's library was loaded";
  const std::string& said = boxes.texts[0];
  EXPECT_EQ(said.rfind("*** Error: the debug Dll is not loaded: '" + planted + "GDBDRV' lies in '" + planted +
                           "', outside the installation's driver folders (" + fs::canonical(root).string() + "/PM2/, ",
                       0),
            0u)
      << said;
  EXPECT_NE(said.find("a project loads only the installation's own drivers"), std::string::npos) << said;
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileDriver,
                         ::testing::Values(HostileDriverRow{"UpFromTheToolsetFolder", false},
                                           HostileDriverRow{"Rooted", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
