// A project made the way a user makes it: New Project, the device, the
// startup file, Add Files; then built with the ARM tools, saved and read
// back. A code-generator project opened from the Open Project dialog. And
// Cancel on every sheet, which must leave the project's files byte for byte
// as they were.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "options/pages/options_sheet.h"
#include "platform/read_file.h"
#include "builder/commands/arm_gnu_command.h"
#include "platform/settings_store.h"
#include "project/devices/device_db.h"
#include "debugger/model/margin_breakpoints.h"
#include "editor/document/margin_marks.h"
#include "project/dialogs/add_files_dialog.h"
#include "project/dialogs/device_selection.h"
#include "project/dialogs/project_sheet.h"
#include "project/dialogs/components_page.h"
#include "project/files/debug_lists.h"
#include "project/files/project_file.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/project_commands_ext.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/controls/list_box_editor.h"
#include "toolkit/controls/tree_ctrl.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

using test::ReadFile;

// Answers each message box as it shows with the next answer of a script
// (the last one repeats) and records its text.

class NewProjectDialogsTest : public test::ExampleFrameTest {
 protected:
  // The device sheet's OK on the example's device.
  static int ChooseLpc2138(QDialog& d) {
    auto* sheet = dynamic_cast<DeviceSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    EXPECT_TRUE(sheet->Selector()->SelectDevice("NXP", "LPC2138"));
    sheet->accept();
    return sheet->result();
  }
  // The new project's file, whatever case of its extension was written.
  std::string ProjectFile(const std::string& folder, const std::string& name) const {
    for (const char* ext : {".pm2", ".Pm2", ".PM2"})
      if (fs::exists(folder + name + ext)) return folder + name + ext;
    return std::string();
  }
  // Runs Add Files on `group` and adds each name through the dialog's Add.
  static int AddThroughTheDialog(CMainFrame* f, ShellApp& app, GroupRec* group, const std::string& folder,
                                 const std::vector<std::string>& names) {
    SelectInProject(f, group);
    EXPECT_EQ(app.m_pSelItem, group);
    int added = -1;
    QTimer::singleShot(0, [&] {
      auto* dlg = qobject_cast<AddFilesDialog*>(QApplication::activeModalWidget());
      if (!dlg) return;
      dlg->setDirectory(QString::fromStdString(folder));
      dlg->selectNameFilter(dlg->nameFilters().back());
      for (const std::string& n : names) {
        dlg->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(n));
        QApplication::processEvents();
        dlg->accept();  // "Add" keeps the dialog open
      }
      added = dlg->AddedCount();
      dlg->reject();
    });
    EXPECT_TRUE(f->ExecuteCommand(cmd::kAddFiles));
    return added;
  }
};

TEST_F(NewProjectDialogsTest, LPC2138ProjectMadeThroughTheDialogsBuildsAndReadsBackUnchanged) {
  if (!HaveTools()) GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectCommandsExt* commands = f->ProjectCommands();
  const std::string folder = dir + "Fresh/";
  fs::create_directories(folder);
  commands->m_chooseNewProjectName = [&] { return folder + "Fresh.pm2"; };
  commands->m_runDialog = ChooseLpc2138;
  {
    test::BoxAnswers boxes({QMessageBox::Yes});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kNewProject));
    ASSERT_EQ(boxes.texts.size(), 1u) << testing::PrintToString(boxes.texts);
    EXPECT_EQ(boxes.texts[0], "Copy " + root + "ARM/Startup/NXP/Startup.s to Project Folder and Add File to Project ?");
  }
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->firstGroup->firstFile, nullptr) << "the startup file is in the first group";
  EXPECT_EQ(p->firstGroup->firstFile->name.str(), "Startup.s");
  EXPECT_EQ(ReadFile(folder + "Startup.s"), ReadFile(root + "ARM/Startup/NXP/Startup.s"));

  EXPECT_EQ(AddThroughTheDialog(f, s.App(), p->firstGroup, dir, {"Blinky.c", "LED.c", "Timer.c"}), 3);
  std::vector<std::string> names;
  for (FileRec* file = p->firstGroup->firstFile; file; file = file->next) names.push_back(file->name.str());
  EXPECT_EQ(names, (std::vector<std::string>{"Startup.s", "Blinky.c", "LED.c", "Timer.c"}));

  // What the startup file needs came with it: the device's linker script,
  // named by the linker options, and no start files of the C library.
  ASSERT_NE(p->curTarget->pOpts, nullptr);
  EXPECT_EQ(p->curTarget->pOpts->lGnu.ALDSCAT.str(), "LPC2138.ld");
  EXPECT_EQ(ReadFile(folder + "LPC2138.ld"), ReadFile(root + "ARM/Startup/NXP/LPC2138.ld"));
  EXPECT_TRUE(p->curTarget->pOpts->lGnu.ALDFLAG[0] & kGnuLdNoStartFiles);
  s.App().SaveProject();
  const std::string file = ProjectFile(folder, "Fresh");
  ASSERT_FALSE(file.empty());

  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_NE(BuildText(f).find("0 Error(s), 0 Warning(s)."), std::string::npos) << BuildText(f);
  EXPECT_GT(fs::file_size(folder + "Fresh.elf"), 0u);

  // Closing writes what the build recorded; read back and written again,
  // the file keeps its bytes.
  ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  const std::string saved = ReadFile(file);
  EXPECT_NE(saved.find("File 1,1,<..\\LED.c><LED.c>"), std::string::npos) << saved;
  s.App().OpenProject(file);
  ASSERT_NE(s.App().Project(), nullptr);
  s.App().SaveProject();
  EXPECT_EQ(ReadFile(file), saved);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  EXPECT_EQ(ReadFile(file), saved);
}

// A new project of each maker's family: the startup file New Project copies
// from the toolset's folder is the family assembler's source, so the build
// assembles and links it (typed as an unknown file it left the target
// without object modules). The toolset's installation is a copy of the test
// root's stand-in tools with the startup file beside them.
TEST_F(NewProjectDialogsTest, ANewProjectOfEachFamilyBuildsItsStartupFile) {
  struct Row {
    const char* family;
    int toolset;
    const char* vendor;
    const char* device;
    const char* toolsetFolder;
    const char* startup;
  } rows[] = {
      {"51", 0, "Atmel", "AT89C51", "Q51", "Startup.w51"},
      {"251", 1, "Intel", "80251SB", "Q251", "Start251.w51"},
      {"166", 2, "Infineon", "C167CR-LM", "Q166", "Start167.w66"},
  };
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.family);
    const std::string install = dir + "install" + r.family + "/" + r.toolsetFolder + "/";
    fs::create_directories(install + "BIN");
    fs::create_directories(install + "LIB");
    for (const auto& e : fs::directory_iterator(root + r.toolsetFolder + "/BIN"))
      fs::create_symlink(e.path(), install + "BIN/" + e.path().filename().string());
    std::ofstream(install + r.startup) << "; startup of the tests\n";
    ToolsetInfo* info = s.App().State().m_pToolsetInfo[r.toolset];
    ASSERT_NE(info, nullptr);
    info->rootFolder = install;
    info->toolsFolder = install + "BIN/";

    const std::string folder = dir + "Fresh" + r.family + "/";
    fs::create_directories(folder);
    ProjectCommandsExt* commands = f->ProjectCommands();
    commands->m_chooseNewProjectName = [&] { return folder + "Fresh.pm2"; };
    commands->m_runDialog = [&](QDialog& d) {
      auto* sheet = dynamic_cast<DeviceSheet*>(&d);
      if (!sheet) return int(QDialog::Rejected);
      sheet->show();
      EXPECT_TRUE(sheet->Selector()->SelectDevice(r.vendor, r.device));
      sheet->accept();
      return sheet->result();
    };
    {
      test::BoxAnswers boxes({QMessageBox::Yes});
      ASSERT_TRUE(f->ExecuteCommand(cmd::kNewProject));
      ASSERT_FALSE(boxes.texts.empty());
      EXPECT_EQ(boxes.texts.back(), "Copy " + install + r.startup +
                                        " to Project Folder and Add File to Project ?");
    }
    ProjectRec* p = s.App().Project();
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->curTarget->toolset, r.toolset);
    FileRec* startup = p->firstGroup->firstFile;
    ASSERT_NE(startup, nullptr);
    EXPECT_EQ(startup->name.str(), r.startup);
    EXPECT_EQ(startup->type, kFileAsm) << "the family assembler's source, not an unknown file";
    ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
    ASSERT_TRUE(WaitIdle(s.App()));
    const std::string out = BuildText(f);
    EXPECT_NE(out.find("assembling " + std::string(r.startup) + "..."), std::string::npos) << out;
    EXPECT_EQ(out.find("Target has no object modules"), std::string::npos) << out;
    EXPECT_NE(out.find("0 Error(s)"), std::string::npos) << out;
    ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  }
}

// A new project made with no project open lives on through the sheets
// that release the scratch pool when they end: Components and Options,
// each closed with OK and nothing changed, then a build of it.
TEST_F(NewProjectDialogsTest, ANewProjectOutlivesTheComponentsAndOptionsSheetsAndBuilds) {
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(s.App().Project(), nullptr);
  ProjectCommandsExt* commands = f->ProjectCommands();
  const std::string folder = dir + "np/";
  fs::create_directories(folder);
  for (const char* source : {"Blinky.c", "LED.c", "Timer.c", "LED.h", "Timer.h", "LPC2138.h"})
    fs::copy_file(dir + source, folder + source);
  commands->m_chooseNewProjectName = [&] { return folder + "np.pm2"; };
  std::vector<std::string> accepted;
  commands->m_runDialog = [&](QDialog& d) {
    if (dynamic_cast<DeviceSheet*>(&d)) return ChooseLpc2138(d);
    accepted.push_back(dynamic_cast<ProjectSheet*>(&d) ? "components" : "other");
    d.show();
    d.accept();
    return d.result();
  };
  commands->m_runOptionsSheet = [&](OptionsSheet& sheet) {
    accepted.push_back("options");
    sheet.show();
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    return sheet.result();
  };
  {
    test::BoxAnswers boxes({QMessageBox::Yes});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kNewProject));
    ASSERT_EQ(boxes.texts.size(), 1u) << testing::PrintToString(boxes.texts);
  }
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(AddThroughTheDialog(f, s.App(), p->firstGroup, folder, {"Blinky.c", "LED.c", "Timer.c"}), 3);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kComponents));
  ASSERT_TRUE(f->ExecuteCommand(cmd::kOptionsForTarget));
  EXPECT_EQ(accepted, (std::vector<std::string>{"components", "options"}));
  p = s.App().Project();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->name.str(), "np");
  EXPECT_EQ(p->curTarget->name.str(), "Target 1");
  EXPECT_EQ(p->firstGroup->name.str(), "Source Group 1");
  EXPECT_EQ(p->curTarget->DEVICE.str(), "LPC2138");

  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  ASSERT_TRUE(WaitIdle(s.App()));
  if (HaveTools()) {
    EXPECT_NE(BuildText(f).find("0 Error(s), 0 Warning(s)."), std::string::npos) << BuildText(f);
    EXPECT_GT(fs::file_size(folder + "np.elf"), 0u);
  }
  // Closed, it has kept the session's work.
  ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  const std::string saved = ReadFile(ProjectFile(folder, "np"));
  EXPECT_NE(saved.find("(Target 1)"), std::string::npos) << saved;
  EXPECT_NE(saved.find("<.\\Timer.c><Timer.c>"), std::string::npos) << saved;
}

// A new project's output name is its name: one the project file cannot
// hold (" OutName (p)q)" reads back as "p", and the build makes "p.lnp")
// is refused with the reason before the open project closes, and nothing
// is written; a name with balanced brackets is made and reads back whole.
TEST_F(NewProjectDialogsTest, ANameThatCannotBeTheOutputNameIsRefused) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectCommandsExt* commands = f->ProjectCommands();
  commands->m_runDialog = ChooseLpc2138;
  const struct {
    const char* name;
    const char* file;
    const char* why;
  } rows[] = {
      {"Closing", "p)q.pm2",
       "The project name 'p)q' cannot be stored as the name of its executable: it holds a ')' without its '('."},
      {"Opening", "p(q.pm2",
       "The project name 'p(q' cannot be stored as the name of its executable: it holds a '(' without its ')'."},
      {"ClosingBeforeAnotherDot", "p)q.v2.pm2",
       "The project name 'p)q.v2' cannot be stored as the name of its executable: it holds a ')' without its '('."},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    commands->m_chooseNewProjectName = [&] { return dir + r.file; };
    test::BoxAnswers ok({QMessageBox::Ok});
    f->ExecuteCommand(cmd::kNewProject);
    EXPECT_EQ(ok.texts, std::vector<std::string>{"Cannot create project '" + dir + r.file + "'\n\n" + r.why});
    ASSERT_NE(s.App().Project(), nullptr);
    EXPECT_EQ(s.App().Project()->name.str(), "Blinky");
    EXPECT_FALSE(fs::exists(dir + r.file));
  }
  commands->m_chooseNewProjectName = [&] { return dir + "p(q).pm2"; };
  {
    test::BoxAnswers no({QMessageBox::No, QMessageBox::No});  // save Blinky, copy the startup file
    f->ExecuteCommand(cmd::kNewProject);
  }
  ASSERT_NE(s.App().Project(), nullptr);
  EXPECT_EQ(s.App().Project()->name.str(), "p(q)");
  ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  ProjectFileIo io;
  ASSERT_EQ(ReadProjectFile(io, dir + "p(q).pm2"), 0) << io.message;
  ASSERT_TRUE(io.project->firstTarget && io.project->firstTarget->pOpts);
  EXPECT_EQ(io.project->firstTarget->toolset, kToolsetArmGnu);
  EXPECT_EQ(io.project->firstTarget->pOpts->out.OUTNAME.str(), "p(q)");
}

// New Project writes the file the user named, beside an existing project
// of the same stem too ("Blinky.v2.pm2" is no "Blinky.pm2"), names that
// file in the recent list, and replaces a project or options file of its
// name only when the user says so.
TEST_F(NewProjectDialogsTest, ANewProjectIsTheFileNamedAndReplacesOneOnlyWhenAsked) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  s.App().SaveProject();
  const std::string pm2 = ReadFile(dir + "Blinky.pm2"), opt = ReadFile(dir + "Blinky.Opt");
  ProjectCommandsExt* commands = f->ProjectCommands();
  commands->m_runDialog = ChooseLpc2138;

  commands->m_chooseNewProjectName = [&] { return dir + "Blinky.v2.pm2"; };
  {
    test::BoxAnswers no({QMessageBox::No});  // copy the startup file
    ASSERT_TRUE(f->ExecuteCommand(cmd::kNewProject));
    for (const std::string& text : no.texts) EXPECT_EQ(text.find("already exist"), std::string::npos) << text;
  }
  ASSERT_NE(s.App().Project(), nullptr);
  EXPECT_EQ(s.App().Project()->name.str(), "Blinky.v2");
  EXPECT_EQ(s.App().m_recent.At(0), dir + "Blinky.v2.pm2");
  EXPECT_EQ(ReadFile(dir + "Blinky.pm2"), pm2);
  EXPECT_EQ(ReadFile(dir + "Blinky.Opt"), opt);
  EXPECT_TRUE(fs::exists(dir + "Blinky.v2.Opt"));

  // Named again: asked about both files; No leaves everything as it was.
  commands->m_chooseNewProjectName = [&] { return dir + "blinky.PM2"; };
  {
    test::BoxAnswers no({QMessageBox::No});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kNewProject));
    EXPECT_EQ(no.texts, std::vector<std::string>{"'" + dir + "Blinky.pm2' and '" + dir +
                                                 "Blinky.Opt' already exist.\nDo you want to replace them?"});
  }
  ASSERT_NE(s.App().Project(), nullptr);
  EXPECT_EQ(s.App().Project()->name.str(), "Blinky.v2");
  EXPECT_EQ(ReadFile(dir + "Blinky.pm2"), pm2);
  EXPECT_EQ(ReadFile(dir + "Blinky.Opt"), opt);

  // A name that would be cut at its last dot is taken whole, and refused
  // when the project file cannot hold it.
  commands->m_chooseNewProjectName = [&] { return dir + "p.q).pm2"; };
  {
    test::BoxAnswers ok({QMessageBox::Ok});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kNewProject));
    EXPECT_EQ(ok.texts, std::vector<std::string>{
                            "Cannot create project '" + dir + "p.q).pm2'\n\nThe project name 'p.q)' cannot be "
                            "stored as the name of its executable: it holds a ')' without its '('."});
  }
  EXPECT_EQ(s.App().Project()->name.str(), "Blinky.v2");
  EXPECT_FALSE(fs::exists(dir + "p.Pm2"));
  EXPECT_FALSE(fs::exists(dir + "p.q).pm2"));

  // Yes replaces the project under the name its file has; the old one is
  // its backup.
  commands->m_chooseNewProjectName = [&] { return dir + "blinky.PM2"; };
  {
    test::BoxAnswers yes({QMessageBox::Yes, QMessageBox::No});  // replace; copy the startup file
    ASSERT_TRUE(f->ExecuteCommand(cmd::kNewProject));
  }
  ASSERT_NE(s.App().Project(), nullptr);
  EXPECT_EQ(s.App().Project()->name.str(), "blinky");
  EXPECT_EQ(s.App().m_recent.At(0), dir + "Blinky.pm2");
  EXPECT_FALSE(fs::exists(dir + "blinky.PM2"));
  EXPECT_EQ(ReadFile(dir + "Blinky_pm2.Bak"), pm2);
  EXPECT_NE(ReadFile(dir + "Blinky.pm2"), pm2);

  // The file written is the new project, and opens.
  ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  ProjectFileIo io;
  ASSERT_EQ(ReadProjectFile(io, dir + "Blinky.v2.pm2"), 0) << io.message;
  EXPECT_EQ(io.project->firstTarget->toolset, kToolsetArmGnu);
}

// An editor file outside the project whose name the options file cannot
// hold ("ExtF <a>b.txt>") is left out of its list of open files, with the
// reason told once: the project is saved and opens again.
TEST_F(NewProjectDialogsTest, AnOpenFileTheOptionsFileCannotHoldIsLeftOutOfItsList) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  fs::create_directories(dir + "ext");
  const std::string odd = dir + "ext/a>b.txt", plain = dir + "ext/notes.txt";
  for (const std::string& path : {odd, plain}) std::ofstream(path) << "text\n";
  ASSERT_NE(f->OpenDocument(odd), nullptr);
  ASSERT_NE(f->OpenDocument(plain), nullptr);
  {
    test::BoxAnswers ok({QMessageBox::Ok});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kSaveAll));
    s.App().SaveProject();
    EXPECT_EQ(ok.texts, std::vector<std::string>{
                            "The file '" + odd + "' cannot be kept in the project's list of open files: its name "
                            "holds a '>' without its '<'.\n\nIt is not opened again with the project."});
  }
  ProjectFileIo io;
  ASSERT_EQ(ReadProjectFile(io, dir + "Blinky.pm2"), 0) << io.message;
  std::vector<std::string> kept;
  for (const EditorFileRec* e = io.project->editorFiles; e; e = e->next) kept.push_back(e->path.str());
  EXPECT_EQ(kept, std::vector<std::string>{"./ext/notes.txt"});
}

// A text the project files cannot hold that reaches a save (a watch
// expression "a)" of a debug session) writes nothing: the message names
// the text, the files stay whole, and closing asks before it closes
// without saving.
TEST_F(NewProjectDialogsTest, ASaveThatWouldWriteATextReadBackAsAnotherWritesNothing) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  s.App().SaveProject();
  const std::string pm2 = ReadFile(dir + "Blinky.pm2"), opt = ReadFile(dir + "Blinky.Opt");
  TargetRec* t = s.App().Project()->curTarget;
  AppendWatch(t, 0, OptString::Pooled("a)", kPoolDebugLists));
  const std::string told = "Can't write project file '" + dir +
                           "Blinky.pm2' !\n\nThe text 'a)' of 'OPTWA' of target '" + t->name.str() +
                           "' cannot be stored: it holds a ')' without its '('. Change it in the Watch window "
                           "of a debug session (Debug > Start/Stop Debug Session, then View > Watch & Call Stack "
                           "Window).";
  const std::string question =
      "\n\nClose the project without saving it ?\n(No keeps it open, so that the text can be changed and saved.)";
  {
    test::BoxAnswers ok({QMessageBox::Ok});
    s.App().SaveProject();
    EXPECT_EQ(ok.texts, std::vector<std::string>{told});
  }
  EXPECT_EQ(ReadFile(dir + "Blinky.pm2"), pm2);
  EXPECT_EQ(ReadFile(dir + "Blinky.Opt"), opt);
  {
    test::BoxAnswers no({QMessageBox::No});
    EXPECT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
    EXPECT_EQ(no.texts, std::vector<std::string>{told + question});
  }
  ASSERT_NE(s.App().Project(), nullptr) << "No keeps the project open";
  {
    // Exit asks the same, and No keeps the program and the project.
    test::BoxAnswers no({QMessageBox::No});
    EXPECT_FALSE(f->close());
    EXPECT_EQ(no.texts, std::vector<std::string>{told + question});
  }
  ASSERT_NE(s.App().Project(), nullptr) << "No keeps the project open at Exit";
  {
    test::BoxAnswers yes({QMessageBox::Yes});
    EXPECT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  }
  EXPECT_EQ(s.App().Project(), nullptr);
  EXPECT_EQ(ReadFile(dir + "Blinky.pm2"), pm2);
  EXPECT_EQ(ReadFile(dir + "Blinky.Opt"), opt);
}

// A file the project holds whose name has a parenthesis of its own takes a
// breakpoint that every save keeps; removed, the breakpoint is gone from
// the options file and asked about no more.
TEST_F(NewProjectDialogsTest, ABreakpointInAFileNamedWithAParenthesisIsSavedAndRemovedForGood) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::ofstream(dir + "x)y.c") << "int x;\n";
  EXPECT_EQ(AddThroughTheDialog(f, s.App(), s.App().Project()->firstGroup, dir, {"x)y.c"}), 1);
  CEditLine line;
  line.m_nFlags = kLineDebugWordValid;
  line.m_nDebugWord = 1;
  ASSERT_EQ(ToggleStoredBreakpoint(&line, s.App().Project()->curTarget, "x)y.c"), "");
  {
    test::BoxAnswers none({QMessageBox::No});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
    EXPECT_TRUE(none.texts.empty()) << testing::PrintToString(none.texts);
  }
  ASSERT_EQ(s.App().Project(), nullptr);
  EXPECT_NE(ReadFile(dir + "Blinky.Opt").find(",<x)y.c>()()"), std::string::npos);
  s.App().OpenProject(dir + "Blinky.pm2");
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->curTarget->breakpoints, nullptr);
  EXPECT_EQ(p->curTarget->breakpoints->text1.str(), "x)y.c");
  // Removed in the editor: its record stays flagged, and is not written.
  line.m_nFlags = kLineDebugWordValid | kLineBreakSet;
  ASSERT_EQ(ToggleStoredBreakpoint(&line, p->curTarget, "x)y.c"), "");
  {
    test::BoxAnswers none({QMessageBox::No});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
    EXPECT_TRUE(none.texts.empty()) << testing::PrintToString(none.texts);
  }
  const std::string opt = ReadFile(dir + "Blinky.Opt");
  EXPECT_EQ(opt.find("OPTBB"), std::string::npos) << opt;
}

TEST_F(NewProjectDialogsTest, StartupFileNoAndAlreadyPresent) {
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectCommandsExt* commands = f->ProjectCommands();
  commands->m_runDialog = ChooseLpc2138;
  struct Row {
    const char* name;
    bool present;  // a Startup.s of the user's lies in the folder already
    std::vector<QMessageBox::StandardButton> answers;
    size_t questions;
    bool added;
    const char* content;  // of the folder's Startup.s; null: none
  } rows[] = {
      {"No copies nothing", false, {QMessageBox::No}, 1, false, nullptr},
      {"No to overwriting keeps the user's", true, {QMessageBox::Yes, QMessageBox::No}, 2, false, "mine\n"},
      {"Yes to overwriting", true, {QMessageBox::Yes, QMessageBox::Yes}, 2, true, nullptr},
  };
  int n = 0;
  for (const Row& r : rows) {
    const std::string folder = dir + "P" + std::to_string(++n) + "/";
    fs::create_directories(folder);
    if (r.present) std::ofstream(folder + "Startup.s") << "mine\n";
    commands->m_chooseNewProjectName = [&] { return folder + "P.pm2"; };
    test::BoxAnswers boxes(r.answers);
    ASSERT_TRUE(f->ExecuteCommand(cmd::kNewProject)) << r.name;
    EXPECT_EQ(boxes.texts.size(), r.questions) << r.name;
    if (r.present && boxes.texts.size() == 2) {
      EXPECT_EQ(boxes.texts[1], "File '" + folder + "Startup.s' already exists, overwrite ?") << r.name;
    }
    ProjectRec* p = s.App().Project();
    ASSERT_NE(p, nullptr) << r.name;
    EXPECT_TRUE(fs::exists(folder + "P.pm2")) << r.name;
    EXPECT_FALSE(fs::exists(folder + "P_pm2.Bak")) << r.name << ": a new project has nothing to back up";
    EXPECT_EQ(p->firstGroup->firstFile != nullptr, r.added) << r.name;
    if (r.content) {
      EXPECT_EQ(ReadFile(folder + "Startup.s"), r.content) << r.name;
    } else if (!r.added) {
      EXPECT_FALSE(fs::exists(folder + "Startup.s")) << r.name;
    } else {
      EXPECT_EQ(ReadFile(folder + "Startup.s"), ReadFile(root + "ARM/Startup/NXP/Startup.s")) << r.name;
    }
  }
}

TEST_F(NewProjectDialogsTest, CancelOnEverySheetLeavesTheProjectFilesAsTheyWere) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  s.App().SaveProject();
  const std::string pm2 = ReadFile(dir + "Blinky.pm2"), opt = ReadFile(dir + "Blinky.Opt");
  ProjectCommandsExt* commands = f->ProjectCommands();
  // Each sheet is changed first, then cancelled.
  std::vector<std::string> shown;
  commands->m_runDialog = [&](QDialog& d) {
    d.show();
    if (auto* sheet = dynamic_cast<ProjectSheet*>(&d)) {
      shown.push_back("components");
      SECListBoxEditor* groups = sheet->Components()->Groups();
      groups->SetCurSel(groups->GetCount() - 1);
      groups->StartEditing(0);
      groups->AcceptEdit("Drivers");
    } else if (auto* device = dynamic_cast<DeviceSheet*>(&d)) {
      shown.push_back("device");
      EXPECT_TRUE(device->Selector()->SelectDevice("NXP", "LPC2148"));
    } else if (dynamic_cast<FileTypesDialog*>(&d)) {
      shown.push_back("file types");
    } else {
      shown.push_back("other");
    }
    d.reject();
    return int(QDialog::Rejected);
  };
  commands->m_chooseNewProjectName = [] { return std::string(); };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kNewProject));
  EXPECT_TRUE(f->ExecuteCommand(cmd::kComponents));
  EXPECT_TRUE(f->ExecuteCommand(cmd::kSelectDevice));
  EXPECT_TRUE(f->ExecuteCommand(kCmdFileExtensions));
  EXPECT_EQ(AddThroughTheDialog(f, s.App(), p->firstGroup, dir, {}), 0);
  EXPECT_EQ(shown, (std::vector<std::string>{"components", "device", "file types"}));
  EXPECT_EQ(s.App().Project(), p);
  s.App().SaveProject();
  EXPECT_EQ(ReadFile(dir + "Blinky.pm2"), pm2);
  EXPECT_EQ(ReadFile(dir + "Blinky.Opt"), opt);
}

TEST_F(NewProjectDialogsTest, DptFromTheOpenProjectDialogBecomesAProjectOrLeavesTheOpenOne) {
  // A 51 device of the shipped database and its startup file in the
  // toolset's library folder, as the code generator's import finds them.
  const std::string lib = dir + "root51/Q51/lib/";
  fs::create_directories(lib);
  fs::create_directories(dir + "root51/Q51/BIN");
  std::ofstream(lib + "Startup.w51") << "; startup of the tests\n";
  fs::create_directories(dir + "dave");
  std::ofstream(dir + "dave/motor.dpt") << "[General]\r\nDevice=\"C515C\"\r\nDeviceType=\"C515C\"\r\n"
                                           "[Interface]\r\nMemoryModel=\"LARGE\"\r\n[Environment]\r\nDeviceFrequency=10\r\n"
                                           "[Files]\r\nFile1=\"MAIN.C\"\r\nFile2=\"IO.C\"\r\n";
  std::ofstream(dir + "dave/broken.dpt", std::ios::binary) << std::string("\x00\x01\xff[General\r\nDevi", 17);
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ToolsetInfo* q51 = s.App().State().m_pToolsetInfo[0];
  ASSERT_NE(q51, nullptr);
  q51->toolsFolder = dir + "root51/Q51/BIN/";

  {
    // A damaged file: the message, no project file, and the open project
    // stays as it was.
    ProjectRec* before = s.App().Project();
    ASSERT_NE(before, nullptr);
    test::BoxAnswers boxes({QMessageBox::Ok});
    f->m_chooseProjectFile = [&](const std::string&) { return dir + "dave/broken.dpt"; };
    ASSERT_TRUE(f->ExecuteCommand(cmd::kOpenProject));
    ASSERT_EQ(boxes.texts.size(), 1u) << testing::PrintToString(boxes.texts);
    EXPECT_EQ(boxes.texts[0], "No device of the device database matches the device type ''");
    EXPECT_FALSE(fs::exists(dir + "dave/broken.Pm2"));
    EXPECT_EQ(s.App().Project(), before);
    EXPECT_EQ(s.App().Project()->name.str(), "Blinky");
  }
  f->m_chooseProjectFile = [&](const std::string&) { return dir + "dave/motor.dpt"; };
  ASSERT_TRUE(f->ExecuteCommand(cmd::kOpenProject));
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->name.str(), "motor");
  EXPECT_TRUE(fs::exists(dir + "dave/motor.Pm2"));
  EXPECT_EQ(ReadFile(dir + "dave/Startup.w51"), "; startup of the tests\n");
  std::vector<std::string> names;
  for (FileRec* file = p->firstGroup->firstFile; file; file = file->next) names.push_back(file->name.str());
  EXPECT_EQ(names, (std::vector<std::string>{"Startup.w51", "MAIN.C", "IO.C"}));
  EXPECT_EQ(p->firstGroup->name.str(), "Dave Files");
  EXPECT_EQ(p->curTarget->DEVICE.str(), "C515C");

  // The generator runs again: the next open asks, and Yes takes the change.
  ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  std::ofstream(dir + "dave/motor.dpt", std::ios::app) << "File3=\"CAN.C\"\r\n";
  fs::last_write_time(dir + "dave/motor.dpt", fs::last_write_time(dir + "dave/motor.dpt") + std::chrono::seconds(5));
  {
    test::BoxAnswers boxes({QMessageBox::Yes});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kOpenProject));
    ASSERT_EQ(boxes.texts.size(), 1u) << testing::PrintToString(boxes.texts);
    EXPECT_EQ(boxes.texts[0], "File '" + dir + "dave/motor.dpt' has changed.\nDo you want to migrate the changes ?");
  }
  p = s.App().Project();
  ASSERT_NE(p, nullptr);
  EXPECT_NE(FindProjectFile(p, "CAN.C", kFileC), nullptr);
  {
    // Asked no more once taken in.
    test::BoxAnswers boxes({QMessageBox::No});
    ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
    ASSERT_TRUE(f->ExecuteCommand(cmd::kOpenProject));
    EXPECT_TRUE(boxes.texts.empty());
  }
}

}  // namespace
}  // namespace pm2
