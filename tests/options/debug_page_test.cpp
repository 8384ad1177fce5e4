// The Debug page writes the debug record the session reads: what a user
// types on either side, and the driver chosen under "Use:", is what the
// session's settings block gets from the committed options.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <cstring>

#include "debugger/session/debug_settings_builder.h"
#include "options/core/options_session.h"
#include "options/pages/debug_page.h"
#include "options/pages/driver_settings_dialog.h"
#include "options/pages/options_sheet.h"
#include "options/sheet_fixture.h"
#include "project/model/debug_texts.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

// The example's drivers, named as the installed environment file names them.
const char* const kGdbDriver = "../../PM2/GdbDrv.dll";
const char* const kTestDriver = "../../PM2/TestDrv.dll";

class DebugPageTest : public test::SheetFixture {
 protected:
  DebugPageTest() : SheetFixture("/work/proj/Blinky.pm2") {}
  void SetUp() override {
    SheetFixture::SetUp();
    UseToolset(kToolsetArmGnu);
    auto arm = std::make_unique<ToolsetInfo>();
    arm->toolset = 3;
    arm->rootFolder = "/inst/ARM/";
    arm->toolsFolder = "/inst/ARM/BIN/";
    arm->targetDrivers = {{kGdbDriver, "GDB Server"}, {kTestDriver, "Scripted Test Driver"}};
    m_env.toolsets[3] = std::move(arm);
    // The example's stored record.
    DebugOpts& d = m_target->pOpts->dbg;
    d.flags = 44029;  // the simulator
    d.str[kDbgSimDll] = OptString::Pooled("GDBDRV.DLL", kPoolProject);
    d.str[kDbgSimParams] = OptString::Pooled("-sim", kPoolProject);
    d.str[kDbgTargetDll] = OptString::Pooled("GDBDRV.DLL", kPoolProject);
    d.str[kDbgTargetParams] = OptString::Pooled("-remote localhost:3333", kPoolProject);
    d.word2 = 0;
  }
  static void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  // OK on the sheet and the session's commit; then the settings block.
  DebugSettings Settings(int mode = kSettingsDebug) {
    m_sheet->accept();
    EXPECT_TRUE(m_sheet->result() == QDialog::Accepted);
    m_session->Commit();
    DebugSettings s;
    std::memset(&s, 0, sizeof s);
    DeviceWords words;
    std::string err;
    EXPECT_EQ(BuildDebugSettings(*m_project, *m_target, kToolsetArmGnu, m_env.toolsets[3].get(), mode, &s, &words, &err),
              1)
        << err;
    return s;
  }
};

TEST_F(DebugPageTest, TheExamplesRecordShowsOnItsSides) {
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  EXPECT_TRUE(page->Simulator()->isChecked());
  EXPECT_EQ(page->DllText(0)->text(), "GDBDRV.DLL");
  EXPECT_EQ(page->DllText(1)->text(), "-sim");
  EXPECT_EQ(page->IniFile(0)->text(), "");
  EXPECT_EQ(page->DllText(4)->text(), "GDBDRV.DLL");
  EXPECT_EQ(page->DllText(5)->text(), "-remote localhost:3333");
  EXPECT_EQ(page->IniFile(1)->text(), "");
  EXPECT_EQ(page->Drivers()->currentIndex(), 0);  // the target side's DLL is the GDB driver
}

// One side of the page, every field typed; for the target side, the driver
// chosen under "Use:".
struct SideRow {
  const char* name;
  bool simulator;
  int driver;  // row under "Use:", -1 none
  const char* dll, *params, *dialog, *dialogParams, *ini;
  // What the session's block gets.
  const char* dllPath, *dialogPath, *initFile, *targetDriver;
};
class DebugSides : public DebugPageTest, public ::testing::WithParamInterface<SideRow> {};

TEST_P(DebugSides, WhatThePageWritesIsWhatTheSessionGets) {
  const SideRow& r = GetParam();
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  const int base = r.simulator ? 0 : 4;
  // On the radio's indicator (the rest of a wide radio is not its button).
  QRadioButton* side = r.simulator ? page->Simulator() : page->TargetDriver();
  QTest::mouseClick(side, Qt::LeftButton, {}, QPoint(6, side->height() / 2));
  EXPECT_TRUE(side->isChecked());
  if (r.driver >= 0) {
    Type(page->DllText(4), "");  // no driver chosen: the list follows
    EXPECT_EQ(page->Drivers()->currentIndex(), -1);
    page->Drivers()->setCurrentIndex(r.driver);
    // The chosen driver is the side's DLL at once.
    EXPECT_EQ(page->DllText(4)->text().toStdString(), page->Drivers()->currentData().toString().toStdString());
  } else {
    Type(page->DllText(base), r.dll);
  }
  Type(page->DllText(base + 1), r.params);
  Type(page->DllText(base + 2), r.dialog);
  Type(page->DllText(base + 3), r.dialogParams);
  Type(page->IniFile(r.simulator ? 0 : 1), r.ini);
  const DebugSettings s = Settings();
  EXPECT_EQ((s.flags & kDbgSettingsTargetDriver) != 0, !r.simulator);
  EXPECT_STREQ(s.dllPath, r.dllPath);
  EXPECT_STREQ(s.dllParams, r.params);
  EXPECT_STREQ(s.dialogDllPath, r.dialogPath);
  EXPECT_STREQ(s.dialogDllParams, r.dialogParams);
  EXPECT_STREQ(s.initFile, r.initFile);
  EXPECT_STREQ(s.targetDriverPath, r.targetDriver);
}
const SideRow kSideRows[] = {
    {"Simulator", true, -1, "TESTDRV.DLL", "/tmp/sim.script", "SIMDLG.DLL", "-pLPC2138", ".\\sim.ini",
     "/inst/ARM/BIN/TESTDRV", "/inst/ARM/BIN/SIMDLG", "/work/proj/sim.ini", "/inst/ARM/BIN/../../PM2/GdbDrv.dll"},
    {"TargetGdbDriver", false, 0, "", "-remote board:3333", "TDLG.DLL", "-x", "/etc/board.ini",
     "/inst/ARM/BIN/../../PM2/GdbDrv", "/inst/ARM/BIN/TDLG", "/etc/board.ini", "/inst/ARM/BIN/../../PM2/GdbDrv.dll"},
    {"TargetTestDriver", false, 1, "", "/tmp/target.script", "", "", "target.ini",
     "/inst/ARM/BIN/../../PM2/TestDrv", "", "target.ini", "/inst/ARM/BIN/../../PM2/TestDrv.dll"},
    {"TargetDllTypedByHand", false, -1, "/opt/drivers/Other.dll", "-y", "", "", "",
     "/opt/drivers/Other", "", "", ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, DebugSides, ::testing::ValuesIn(kSideRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The example names its driver by row; passing through the page changes
// nothing, so OK has nothing to save.
TEST_F(DebugPageTest, PassingThroughThePageKeepsTheRecord) {
  Open(m_target);
  Go<DebugPage>(PageId::kDebug);
  m_sheet->accept();
  EXPECT_FALSE(m_session->Commit());
  EXPECT_TRUE(m_target->pOpts->dbg.str11.empty());
  EXPECT_EQ(m_target->pOpts->dbg.word2, 0u);
}

TEST_F(DebugPageTest, ADllTypedOnTheTargetSideSelectsItsDriver) {
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  Type(page->DllText(4), "testdrv.dll");
  EXPECT_EQ(page->Drivers()->currentIndex(), 1);
  Type(page->DllText(4), "GDBDRV");
  EXPECT_EQ(page->Drivers()->currentIndex(), 0);
  Type(page->DllText(4), "nothing.dll");
  EXPECT_EQ(page->Drivers()->currentIndex(), -1);
}

// Defaults resets the switches and the initialisation files; the drivers
// of both sides stay, so that the target still debugs.
TEST_F(DebugPageTest, DefaultsKeepTheDrivers) {
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  QTest::mouseClick(page->FlagBox(3), Qt::LeftButton, {}, QPoint(6, page->FlagBox(3)->height() / 2));
  EXPECT_FALSE(page->FlagBox(3)->isChecked());
  Type(page->IniFile(0), "sim.ini");
  Type(page->IniFile(1), "target.ini");
  m_sheet->DefaultsButton()->click();
  EXPECT_TRUE(page->FlagBox(3)->isChecked()) << "Go till main() is on again";
  EXPECT_EQ(page->IniFile(0)->text(), "");
  EXPECT_EQ(page->IniFile(1)->text(), "");
  EXPECT_EQ(page->DllText(0)->text(), "GDBDRV.DLL");
  EXPECT_EQ(page->DllText(1)->text(), "-sim");
  EXPECT_EQ(page->DllText(4)->text(), "GDBDRV.DLL");
  EXPECT_EQ(page->DllText(5)->text(), "-remote localhost:3333");
  const DebugSettings s = Settings();
  EXPECT_STREQ(s.dllPath, "/inst/ARM/BIN/GDBDRV");
  EXPECT_STREQ(s.dllParams, "-sim");
  EXPECT_STREQ(s.initFile, "");
}

// The GDB driver's settings, from each of the three buttons that open
// them, with the driver library itself answering: the form shows the
// side's parameter text (the target, the emulator and its machine or the
// GDB server, the gdb program); a value the driver refuses keeps the
// dialog open with the reason; OK puts the driver's text into the side's
// parameter, which the project keeps and the session hands to the driver.
struct GdbSettingsRow {
  const char* name;
  int button;     // 0 CPU DLL, 1 driver DLL, 2 the driver under "Use:"
  int parameter;  // the DLL text the settings are kept in
  const char* shownTarget;
  const char* base;  // the driver's name as the button's library gives it
};

class GdbDriverSettings : public DebugPageTest, public ::testing::WithParamInterface<GdbSettingsRow> {};

TEST_P(GdbDriverSettings, EachButtonOpensTheDriversOwnSettings) {
  const GdbSettingsRow& r = GetParam();
  // The installation as the program has it: the environment's driver
  // path below the toolset's folder reaches the program's folder.
  const std::string program = std::string(PM2_PROGRAM_DIR) + "/";
  m_env.toolsets[3]->toolsFolder = program + "../ARM/BIN/";
  Open(m_target);
  const_cast<SheetServices&>(m_sheet->Services()).programFolder = program;
  auto* page = Go<DebugPage>(PageId::kDebug);
  QPushButton* button = r.button == 2 ? page->DriverSettings() : page->DllSettings(r.button);
  ASSERT_TRUE(button->isEnabled()) << button->toolTip().toStdString();
  int opened = 0;
  std::vector<std::string> shown;
  m_runDialog = nullptr;
  const_cast<SheetServices&>(m_sheet->Services()).runDialog = [&](QDialog& d) {
    ++opened;
    auto& dialog = dynamic_cast<DriverSettingsDialog&>(d);
    auto* target = qobject_cast<QComboBox*>(dialog.Field("target"));
    auto* remote = qobject_cast<QLineEdit*>(dialog.Field("remote"));
    auto* machine = qobject_cast<QLineEdit*>(dialog.Field("machine"));
    auto* gdb = qobject_cast<QLineEdit*>(dialog.Field("gdb"));
    if (!target || !remote || !machine || !gdb) return int(QDialog::Rejected);
    shown = {target->currentText().toStdString(), remote->text().toStdString(), machine->text().toStdString(),
             gdb->text().toStdString(), machine->isEnabled() ? "machine applies" : "machine greyed"};
    // A server without its port: refused, the dialog stays.
    target->setCurrentIndex(1);
    Type(remote, "board");
    dialog.accept();
    if (dialog.result() == QDialog::Accepted) return int(QDialog::Accepted);
    Type(remote, "board:2331");
    Type(gdb, "arm-gdb");
    dialog.accept();
    return dialog.result();
  };
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_EQ(opened, 1) << (m_refusals.empty() ? "" : m_refusals[0]);
  const bool simulated = std::string(r.shownTarget) == "Simulation in the emulator";
  EXPECT_EQ(shown, (std::vector<std::string>{r.shownTarget, "localhost:3333", "none", "gdb-multiarch",
                                              simulated ? "machine applies" : "machine greyed"}));
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0],
            "The settings of driver '" + std::string(r.base) +
                "' are refused: 'GDB server (host:port):' is 'board', not a host and a port from 1 to 65535.");
  EXPECT_EQ(page->DllText(r.parameter)->text(), "-remote board:2331 -gdb arm-gdb");
  // The session of that side gets it.
  if (r.parameter == 5) QTest::mouseClick(page->TargetDriver(), Qt::LeftButton, {}, QPoint(6, page->TargetDriver()->height() / 2));
  const DebugSettings s = Settings();
  EXPECT_STREQ(s.dllParams, "-remote board:2331 -gdb arm-gdb");
}

// A driver without settings of its own: the button that would open them
// is greyed, its tip saying so; choosing the GDB driver again offers them.
TEST_F(DebugPageTest, TheScriptedDriverHasNoSettingsAndSaysSo) {
  const std::string program = std::string(PM2_PROGRAM_DIR) + "/";
  m_env.toolsets[3]->toolsFolder = program + "../ARM/BIN/";
  Open(m_target);
  const_cast<SheetServices&>(m_sheet->Services()).programFolder = program;
  auto* page = Go<DebugPage>(PageId::kDebug);
  page->Drivers()->setCurrentIndex(1);
  EXPECT_FALSE(page->DriverSettings()->isEnabled());
  EXPECT_EQ(page->DriverSettings()->toolTip().toStdString(), "The driver 'TestDrv' has no settings of its own.");
  Type(page->DllText(0), "TESTDRV.DLL");
  Q_EMIT page->DllText(0)->editingFinished();
  EXPECT_FALSE(page->DllSettings(0)->isEnabled());
  EXPECT_EQ(page->DllSettings(0)->toolTip().toStdString(), "The driver 'TESTDRV' has no settings of its own.");
  page->Drivers()->setCurrentIndex(0);
  EXPECT_TRUE(page->DriverSettings()->isEnabled());
  EXPECT_TRUE(page->DllSettings(1)->isEnabled());
}

// Settings whose text the Parameter field cannot keep (it keeps 128
// characters): refused naming that field and its length, whether the
// driver made the text (a little over 128) or found it too long for its
// own form (over 259).
struct LongSettingsRow {
  const char* name;
  std::size_t further;  // the characters typed into "Further options:"
  const char* said;
};

class GdbLongSettings : public DebugPageTest, public ::testing::WithParamInterface<LongSettingsRow> {};

TEST_P(GdbLongSettings, ATextTheParameterCannotKeepNamesTheParameterAndItsLength) {
  const LongSettingsRow& r = GetParam();
  const std::string program = std::string(PM2_PROGRAM_DIR) + "/";
  m_env.toolsets[3]->toolsFolder = program + "../ARM/BIN/";
  Open(m_target);
  const_cast<SheetServices&>(m_sheet->Services()).programFolder = program;
  auto* page = Go<DebugPage>(PageId::kDebug);
  const QString before = page->DllText(5)->text();
  m_runDialog = nullptr;
  const_cast<SheetServices&>(m_sheet->Services()).runDialog = [&](QDialog& d) {
    auto& dialog = dynamic_cast<DriverSettingsDialog&>(d);
    auto* further = qobject_cast<QLineEdit*>(dialog.Field("other"));
    if (!further) return int(QDialog::Rejected);
    further->setMaxLength(400);
    Type(further, QString::fromStdString("-" + std::string(r.further - 1, 'x')));
    dialog.accept();
    return dialog.result();
  };
  QTest::mouseClick(page->DllSettings(1), Qt::LeftButton);
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_NE(m_refusals[0].find(r.said), std::string::npos) << m_refusals[0];
  EXPECT_NE(m_refusals[0].find("the Target Debugger Driver DLL Parameter keeps at most 128."), std::string::npos)
      << m_refusals[0];
  EXPECT_EQ(m_refusals[0].find("are refused"), std::string::npos) << m_refusals[0];
  EXPECT_EQ(page->DllText(5)->text(), before);
}

const LongSettingsRow kLongSettingsRows[] = {
    {"OverTheField", 150, "' make a text of 1"},
    {"OverTheDriversForm", 300, "' make a text of more than 259 characters"},
};
INSTANTIATE_TEST_SUITE_P(Rows, GdbLongSettings, ::testing::ValuesIn(kLongSettingsRows),
                         [](const auto& info) { return std::string(info.param.name); });

const GdbSettingsRow kGdbSettingsRows[] = {
    {"CpuDllSettings", 0, 1, "Simulation in the emulator", "GDBDRV"},
    {"DriverDllSettings", 1, 5, "GDB server (remote)", "GDBDRV"},
    {"UseDriverSettings", 2, 5, "GDB server (remote)", "GdbDrv"},
};
INSTANTIATE_TEST_SUITE_P(Rows, GdbDriverSettings, ::testing::ValuesIn(kGdbSettingsRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
