// The environment file as the program reads it at start-up, met where the
// user meets it: an installation whose TOOLS.INI selects the ADS/RealView
// tools (ARMSEL=1), names a second device database and lists general and
// tool books. The device windows, the books, the folders page and a file
// opened without a project all follow it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "options/pages/option_page.h"
#include "options/pages/options_sheet.h"
#include "platform/settings_store.h"
#include "project/dialogs/book_view.h"
#include "project/dialogs/books_page.h"
#include "project/dialogs/device_selection.h"
#include "project/dialogs/folders_page.h"
#include "project/dialogs/project_sheet.h"
#include "project/edit/books_edit.h"
#include "project/environment/environment.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/project_commands_ext.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/controls/browse_edit.h"
#include "toolkit/controls/tree_ctrl.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace frame_environment_test {

using test::WaitFor;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The tree's items as "parent/child" texts (a root item alone).
std::vector<std::string> TreePaths(SECTreeCtrl* tree) {
  std::vector<std::string> out;
  for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextItemInOrder(i)) {
    HTREEITEM parent = tree->GetParentItem(i);
    out.push_back(parent ? tree->GetItemText(parent) + "/" + tree->GetItemText(i) : tree->GetItemText(i));
  }
  return out;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

std::vector<std::string> Rows(SECListBoxEditor* list) {
  std::vector<std::string> out;
  for (int row = 0; row < list->GetItemCount(); ++row) out.push_back(list->GetText(row));
  return out;
}

std::vector<std::string> ComboTexts(QComboBox* combo) {
  std::vector<std::string> out;
  for (int i = 0; i < combo->count(); ++i) out.push_back(combo->itemText(i).toStdString());
  return out;
}

constexpr const char* kToolsIni =
    "[PM2]\r\n"
    "ARMSEL=1\r\n"
    "CDB1=DB/second.cdb(\"Second Data Base\")\r\n"
    "BOOK0=DOCS/general.pdf(\"General Manual\",GEN)\r\n"
    "[Q51]\r\n"
    "PATH=\"Q51/\"\r\n"
    "[ARM]\r\n"
    "PATH=\"ARM/\"\r\n"
    "PATH1=\"GNU/\"\r\n"
    "BOOK0=HLP/gnu.pdf(\"GNU Tools Guide\",TOOL)\r\n"
    "TDRV1=../../PM2/TestDrv.dll(\"Scripted Test Driver\")\r\n"
    "[ARMADS]\r\n"
    "PATH=\"ARM/\"\r\n"
    "PATH1=\"ARM/ADS/\"\r\n"
    "BOOK0=HLP/ads.pdf(\"RealView Guide\",TOOL)\r\n";

// The build tree's installation with a TOOLS.INI of its own: every other
// entry of the root is a link to the build tree's.
class EnvironmentFrameTest : public test::ExampleFrameTest {
 protected:
  void SetUp() override {
    ExampleFrameTest::SetUp();
    inst = dir.substr(0, dir.size() - 1) + "_inst/";
    fs::create_directories(inst + "DB");
    for (const fs::directory_entry& e : fs::directory_iterator(root))
      if (e.path().filename() != "TOOLS.INI") fs::create_directory_symlink(e.path(), inst + e.path().filename().string());
    fs::copy_file(root + "PM2/pelmora2.cdb", inst + "DB/second.cdb");
    std::ofstream(inst + "TOOLS.INI", std::ios::binary) << kToolsIni;
  }
  void TearDown() override {
    ExampleFrameTest::TearDown();
    if (!inst.empty()) fs::remove_all(inst);
  }
  // The program started from that installation on the example.
  struct Started : test::SettingsInFolder, test::Session {
    Started(const std::string& dir, const std::string& inst)
        : SettingsInFolder(dir), Session(settings, dir + "Blinky.pm2", inst + "PM2/pelmora2") {}
  };
  std::string inst;
};

TEST_F(EnvironmentFrameTest, TheDeviceWindowsOfferTheSelectedArmToolsAndEveryDatabase) {
  Started s(dir, inst);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectCommandsExt* commands = f->ProjectCommands();

  // The Device page of the target's options: both databases, the combo
  // open to a choice.
  std::vector<std::string> databases;
  bool databasesEnabled = false;
  commands->m_runOptionsSheet = [&](OptionsSheet& sheet) {
    sheet.show();
    for (int i = 0; i < sheet.PageCount(); ++i)
      if (sheet.Page(i)->Id() == PageId::kDevice) sheet.Tabs()->setCurrentIndex(i);
    if (auto* selector = sheet.CurrentPage()->findChild<DeviceSelector*>()) {
      databases = ComboTexts(selector->Databases());
      databasesEnabled = selector->Databases()->isEnabled();
    }
    return int(QDialog::Rejected);
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kOptionsForTarget));
  EXPECT_EQ(databases, (std::vector<std::string>{kGenericDatabaseTitle, "Second Data Base"}));
  EXPECT_TRUE(databasesEnabled);

  // A new project's ARM device is offered with the ADS/RealView tools and
  // gets them.
  commands->m_chooseNewProjectName = [&] { return dir + "Fresh/Fresh.pm2"; };
  fs::create_directories(dir + "Fresh");
  std::vector<std::string> toolsets;
  commands->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<DeviceSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    EXPECT_TRUE(sheet->Selector()->SelectDevice("NXP", "LPC2138"));
    toolsets = ComboTexts(sheet->Selector()->Toolsets());
    sheet->accept();
    return sheet->result();
  };
  {
    test::BoxAnswers no({QMessageBox::No});  // the startup file is not copied
    EXPECT_TRUE(f->ExecuteCommand(cmd::kNewProject));
  }
  EXPECT_EQ(toolsets, std::vector<std::string>{"ARM-ADS/RealView-Tools"});
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->curTarget, nullptr);
  EXPECT_EQ(p->curTarget->toolset, 4);

  // File > Device Database asks which database to edit.
  std::vector<std::string> picked;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    if (auto* combo = dlg->findChild<QComboBox*>()) picked = ComboTexts(combo);
    dlg->reject();
  });
  EXPECT_TRUE(f->ExecuteCommand(32710));
  EXPECT_EQ(picked, (std::vector<std::string>{kGenericDatabaseTitle, "Second Data Base"}));
}

TEST_F(EnvironmentFrameTest, TheBooksOfTheEnvironmentAreListedAndToolBooksStartAtTheToolsetRoot) {
  Started s(dir, inst);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  auto* view = f->ProjectBar()->findChild<BookView*>();
  ASSERT_NE(view, nullptr);
  const std::vector<std::string> shown = TreePaths(view->Tree());
  EXPECT_TRUE(Contains(shown, "Pelmora2/General Manual")) << testing::PrintToString(shown);
  EXPECT_TRUE(Contains(shown, "Tools User's Guide/GNU Tools Guide")) << testing::PrintToString(shown);
  EXPECT_FALSE(Contains(shown, "Tools User's Guide/RealView Guide")) << "the books of another toolset";

  // The Books page: the same lists; a new tool book starts at the toolset's
  // root folder and is kept relative to it, in its own case.
  std::vector<std::string> general, tools;
  QString offered;
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<ProjectSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    sheet->Tabs()->setCurrentWidget(sheet->Books());
    BooksPage* books = sheet->Books();
    general = Rows(books->List(kBooksGeneral));
    tools = Rows(books->List(kBooksTool));
    books->SetBookAsker([&](QString& title, QString& path) {
      offered = path;
      title = "Linker Guide";
      path += "HLP/ld.pdf";
      return true;
    });
    books->List(kBooksTool)->OnNewItem();
    sheet->accept();
    return sheet->result();
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kComponents));
  EXPECT_EQ(general, std::vector<std::string>{"General Manual"});
  EXPECT_EQ(tools, std::vector<std::string>{"GNU Tools Guide"});
  EXPECT_EQ(offered.toStdString(), inst + "ARM/");
  const std::string written = ReadText(inst + "TOOLS.INI");
  EXPECT_NE(written.find("(\"Linker Guide\",TOOL)"), std::string::npos) << written;
  EXPECT_NE(written.find("=HLP/ld.pdf("), std::string::npos) << written;
  // Read anew, the book is in the books window under its toolset.
  EXPECT_TRUE(Contains(TreePaths(view->Tree()), "Tools User's Guide/Linker Guide"));
}

// Books chosen on the Books page outside their lists' base folders (a
// manuals folder beside the installation's) are opened by a double click in
// the books window from where they were chosen; so is a device book in the
// project's folder. The project lies two folders deeper than the
// installation's root: a path taken from the one names another file than
// the same path taken from the other.
TEST_F(EnvironmentFrameTest, BooksChosenOutsideTheirBaseFoldersOpenWhereTheyWereChosen) {
  const std::string project = dir + "work/deep/";
  fs::create_directories(project);
  for (const fs::directory_entry& e : fs::directory_iterator(dir))
    if (e.path().filename() != "work")
      fs::copy(e.path(), project + e.path().filename().string(), fs::copy_options::recursive);
  const std::string manuals = dir.substr(0, dir.size() - 1) + "_manuals/";
  fs::create_directories(manuals);
  fs::create_directories(project + "doc");
  struct Row {
    int list;
    const char* title;
    std::string file;
  } rows[] = {
      {kBooksGeneral, "Own General", manuals + "gen.pdf"},
      {kBooksTool, "Own Tools", manuals + "tools.pdf"},
      {kBooksDevice, "Own Board", manuals + "board.pdf"},
      {kBooksDevice, "Project Board", project + "doc/board.pdf"},
  };
  for (const Row& r : rows) std::ofstream(r.file) << "%PDF\n";
  test::SettingsInFolder settings(dir);
  test::Session s(settings.settings, project + "Blinky.pm2", inst + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<ProjectSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    sheet->Tabs()->setCurrentWidget(sheet->Books());
    BooksPage* books = sheet->Books();
    for (const Row& r : rows) {
      books->SetBookAsker([&](QString& title, QString& path) {
        title = r.title;
        path = QString::fromStdString(r.file);
        return true;
      });
      books->List(r.list)->OnNewItem();
    }
    sheet->accept();
    return sheet->result();
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kComponents));
  auto* view = f->ProjectBar()->findChild<BookView*>();
  ASSERT_NE(view, nullptr);
  std::vector<std::string> opened;
  view->SetOpener([&](const std::string& path) {
    opened.push_back(path);
    return true;
  });
  SECTreeCtrl* tree = view->Tree();
  test::BoxAnswers boxes({QMessageBox::Ok});
  for (const Row& r : rows) {
    SCOPED_TRACE(r.title);
    HTREEITEM item = nullptr;
    for (HTREEITEM c = tree->GetRootItem(); c && !item; c = tree->GetNextSiblingItem(c))
      for (HTREEITEM b = tree->GetChildItem(c); b && !item; b = tree->GetNextSiblingItem(b))
        if (tree->GetItemText(b) == r.title) item = b;
    ASSERT_NE(item, nullptr) << testing::PrintToString(TreePaths(tree));
    tree->SelectItem(item);
    opened.clear();
    view->OpenSelectedBook();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(fs::weakly_canonical(opened[0]), fs::weakly_canonical(r.file)) << opened[0];
  }
  EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
  fs::remove_all(manuals);
}

// The target's books leave the books window with the project; the
// installation's stay. A double click on what is left opens nothing of the
// project that was closed.
TEST_F(EnvironmentFrameTest, ClosingTheProjectTakesItsBooksOutOfTheBooksWindow) {
  Started s(dir, inst);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  auto* view = f->ProjectBar()->findChild<BookView*>();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(Contains(TreePaths(view->Tree()), "Tools User's Guide/GNU Tools Guide"));
  EXPECT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  ASSERT_EQ(s.App().Project(), nullptr);
  const std::vector<std::string> installationOnly{"Pelmora2", "Pelmora2/General Manual"};
  EXPECT_EQ(TreePaths(view->Tree()), installationOnly);

  // A project opened anew whose file then does not read (a reload after
  // another program wrote it) leaves no books of the project it replaced.
  s.App().OpenProject(dir + "Blinky.pm2");
  ASSERT_NE(s.App().Project(), nullptr);
  ASSERT_TRUE(Contains(TreePaths(view->Tree()), "Tools User's Guide/GNU Tools Guide"));
  { std::ofstream(dir + "Broken.pm2") << "not a project\n"; }
  {
    test::BoxAnswers ok({QMessageBox::Ok});
    s.App().OpenProject(dir + "Broken.pm2");
    EXPECT_EQ(ok.texts.size(), 1u);
  }
  ASSERT_EQ(s.App().Project(), nullptr);
  EXPECT_EQ(TreePaths(view->Tree()), installationOnly);
}

TEST_F(EnvironmentFrameTest, TheFoldersPageShowsTheEnvironmentsFoldersAndWritesATypedToolBase) {
  Started s(dir, inst);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  // The example's ARM target: the two ARM records' folders, the radios to
  // switch between them.
  std::string gnuMaker, gnuFolder, adsFolder;
  bool radios = false, gnuChecked = false;
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<ProjectSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    sheet->Tabs()->setCurrentWidget(sheet->Folders());
    FoldersPage* page = sheet->Folders();
    gnuMaker = page->Folder(FoldersPage::kGnuMaker)->text().toStdString();
    gnuFolder = page->Folder(FoldersPage::kGnuFolder)->text().toStdString();
    adsFolder = page->Folder(FoldersPage::kAdsFolder)->text().toStdString();
    radios = page->ArmGnu()->isEnabled() && page->ArmAds()->isEnabled();
    gnuChecked = page->ArmGnu()->isChecked();
    return int(QDialog::Rejected);
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kComponents));
  EXPECT_EQ(gnuMaker, inst + "ARM/");
  EXPECT_EQ(gnuFolder, inst + "GNU/");
  EXPECT_EQ(adsFolder, inst + "ARM/ADS/");
  EXPECT_TRUE(radios);
  EXPECT_TRUE(gnuChecked);

  // A 51 target: its Tool Base folder shows the file's and a typed one is
  // written to the file on OK, and read anew.
  p->curTarget->toolset = 0;
  std::string base;
  const std::string typed = inst + "Q51new/";
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<ProjectSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    sheet->Tabs()->setCurrentWidget(sheet->Folders());
    SECBrowseDirEdit* root = sheet->Folders()->Folder(FoldersPage::kRoot);
    base = root->text().toStdString();
    EXPECT_TRUE(root->isEnabled());
    root->setText(QString::fromStdString(typed));
    sheet->accept();
    return sheet->result();
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kComponents));
  EXPECT_EQ(base, inst + "Q51/");
  const std::string written = ReadText(inst + "TOOLS.INI");
  EXPECT_NE(written.find("[Q51]\r\nPATH=\"" + typed + "\""), std::string::npos) << written;
  ASSERT_NE(s.App().State().m_pToolsetInfo[0], nullptr);
  EXPECT_EQ(s.App().State().m_pToolsetInfo[0]->rootFolder, typed);
}

TEST_F(EnvironmentFrameTest, WithoutAProjectFilesTakeTheSelectedArmTools) {
  Started s(dir, inst);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->TargetToolset(), 3) << "the example's target is an ARM-GNU one";
  EXPECT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  ASSERT_EQ(s.App().Project(), nullptr);
  EXPECT_EQ(f->TargetToolset(), 4);
}

}  // namespace frame_environment_test
}  // namespace pm2
