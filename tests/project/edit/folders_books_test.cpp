#include <gtest/gtest.h>

#include "project/edit/books_edit.h"
#include "project/edit/folders_edit.h"
#include "project/environment/environment.h"
#include "platform/win_path.h"

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include "project/model/option_defaults.h"
#include "project/model_fixture.h"

namespace pm2 {
namespace {

class FoldersBooksTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    open = OpenNewProject("C:\\work\\demo.pm2");
    TargetRec* t = open->curTarget;
    t->toolset = 3;
    ResetTargetOptions(t, kToolsetUndefined);
    open->firstGroup->pOpts = t->pOpts;  // stands for a group block
    OpenProjectSheetCopy(c, open, "/nonexistent/TOOLS.INI", nullptr);
    c.env.Parse("[PM2]\r\nBOOK0=..\\doc\\ide.pdf(\"IDE\")\r\n[ARM]\r\nPATH=\"C:\\Tools\\ARM\\\"\r\n");
    for (int id : {3, 4}) c.folders[id] = {true, "C:\\Tools\\ARM\\", "C:\\Tools\\ARM\\BIN\\", "C:\\Tools\\", "C:\\gnu\\"};
  }
  ProjectRec* open = nullptr;
  ProjectSheetCopy c;
};

TEST_F(FoldersBooksTest, ToolsetChangeResetsTargetFoldersAndNodeBlocks) {
  FoldersFields f = FoldersFieldsFor(c, 0);
  EXPECT_TRUE(f.armGnu);
  EXPECT_EQ(f.bin, "C:\\Tools\\ARM\\BIN\\");
  f.armGnu = false;
  ASSERT_TRUE(FoldersChangeToolset(c, f.armGnu));
  c.current->ENVBIN = OptString("C:\\x\\");
  ASSERT_TRUE(LeaveFoldersPage(c, f, nullptr, nullptr));
  EXPECT_EQ(c.current->toolset, 4);
  EXPECT_TRUE(c.current->ENVBIN.empty());
  EXPECT_EQ(c.groups[0]->pOpts, nullptr);
  EXPECT_EQ(open->curTarget->toolset, 3) << "the open project changes only on OK";
}

TEST_F(FoldersBooksTest, AnsweringNoKeepsToolset) {
  c.current->ENVBIN = OptString("C:\\old\\bin\\");
  c.current->ENVINC = OptString("C:\\mine\\inc\\");
  FoldersFields f = FoldersFieldsFor(c, 0);
  EXPECT_EQ(f.bin, "C:\\old\\bin\\");
  EXPECT_FALSE(FoldersChangeToolset(c, true));
  f.useEnvironment = false;
  f.bin = "C:\\mine\\bin\\";
  f.inc = "C:\\mine\\inc\\";
  f.reg = "C:\\mine\\inc\\";
  ASSERT_TRUE(LeaveFoldersPage(c, f, nullptr, nullptr));
  EXPECT_EQ(c.current->toolset, 3);
  EXPECT_EQ(c.current->USEENV, 1u);
  EXPECT_EQ(c.current->ENVBIN.str(), "C:\\mine\\bin\\");
  EXPECT_TRUE(c.current->ENVREG.empty()) << "a register folder equal to the include folder";
}

TEST_F(FoldersBooksTest, InvalidEditedFilterStopsLeaving) {
  FoldersFields f = FoldersFieldsFor(c, 0);
  f.filters[kSheetFilterAsm] = "*.asm; *.a; *.s";
  f.filters[kSheetFilterCpp] = "cpp";
  f.editedFilters = (1u << kSheetFilterAsm) | (1u << kSheetFilterCpp);
  std::string msg;
  int bad = -1;
  EXPECT_FALSE(LeaveFoldersPage(c, f, &msg, &bad));
  EXPECT_EQ(msg, "Invalid Filter - Example: '*.asm; *.a; *.s'");
  EXPECT_EQ(bad, kSheetFilterCpp);
  f.filters[kSheetFilterCpp] = "*.cpp; *.cc";
  EXPECT_TRUE(LeaveFoldersPage(c, f, &msg, &bad));
  EXPECT_EQ(c.filters[kSheetFilterAsm], "*.asm;*.a;*.s");
  ApplyProjectSheetCopy(c, open, nullptr, "/nonexistent/dir/TOOLS.INI");
  EXPECT_EQ(open->filters[kFilterCpp].str(), "*.cpp;*.cc");
}

// A filter the options file would read back as another is refused with
// the field's name, as an invalid one is.
TEST_F(FoldersBooksTest, AFilterTheOptionsFileCannotHoldStopsLeaving) {
  FoldersFields f = FoldersFieldsFor(c, 0);
  f.filters[kSheetFilterC] = "*.c;*.x)";
  f.filters[kSheetFilterLibrary] = "*.lib;*.l(";
  f.editedFilters = (1u << kSheetFilterC) | (1u << kSheetFilterLibrary);
  std::string msg;
  int bad = -1;
  EXPECT_FALSE(LeaveFoldersPage(c, f, &msg, &bad));
  EXPECT_EQ(msg, "The text of 'C Source' cannot be stored: it holds a ')' without its '('.");
  EXPECT_EQ(bad, kSheetFilterC);
  f.filters[kSheetFilterC] = "*.c";
  EXPECT_FALSE(LeaveFoldersPage(c, f, &msg, &bad));
  EXPECT_EQ(msg, "The text of 'Library' cannot be stored: it holds a '(' without its ')'.");
  EXPECT_EQ(bad, kSheetFilterLibrary);
  // So is a folder of the target's own, which the project file keeps in
  // parentheses too; nothing of the page is taken.
  f.filters[kSheetFilterLibrary] = "*.lib";
  f.inc = "C:\\inc)\\";
  EXPECT_FALSE(LeaveFoldersPage(c, f, &msg, &bad));
  EXPECT_EQ(msg, "The text of 'INC' cannot be stored: it holds a ')' without its '('.");
  EXPECT_EQ(c.filters[kSheetFilterC], FoldersFieldsFor(c, 0).filters[kSheetFilterC]);
  EXPECT_NE(c.current->ENVINC.str(), f.inc);
}

TEST_F(FoldersBooksTest, ToolsetRecordsChangeOnlyOnOk) {
  EnvironmentInfo env;
  env.toolsets[3] = std::make_unique<ToolsetInfo>();
  env.toolsets[3]->makerFolder = "C:\\Tools\\";
  FoldersFields f = FoldersFieldsFor(c, 0);
  f.gnuMaker = "D:\\Vond\\";
  ASSERT_TRUE(LeaveFoldersPage(c, f, nullptr, nullptr));
  EXPECT_EQ(env.toolsets[3]->makerFolder, "C:\\Tools\\") << "cancel would keep it";
  SheetApplyResult r = ApplyProjectSheetCopy(c, open, &env, "/nonexistent/dir/TOOLS.INI");
  EXPECT_EQ(env.toolsets[3]->makerFolder, "D:\\Vond\\");
  EXPECT_TRUE(r.envChanged);
  EXPECT_TRUE(r.envWriteFailed) << "the folder does not exist";
}

// The tool base folder shown is the one read at start-up, made absolute:
// left alone it does not replace the file's relative PATH; typed, it does.
TEST_F(FoldersBooksTest, OnlyATypedToolBaseFolderIsWrittenToTheEnvironment) {
  c.current->toolset = 0;
  c.env.Parse("[Q51]\r\nPATH=\"Q51/\"\r\n");
  c.folders[0] = {true, "/inst/Q51/", "/inst/Q51/BIN\\", "", ""};
  FoldersFields f = FoldersFieldsFor(c, 0);
  ASSERT_EQ(f.root, "/inst/Q51/");
  ASSERT_TRUE(LeaveFoldersPage(c, f, nullptr, nullptr));
  EXPECT_EQ(EnvFile::FindEntry(*c.env.FindSection(0), "PATH")->value, "Q51/");
  f.root = "/opt/q51/";
  ASSERT_TRUE(LeaveFoldersPage(c, f, nullptr, nullptr));
  EXPECT_EQ(EnvFile::FindEntry(*c.env.FindSection(0), "PATH")->value, "/opt/q51/");
  EXPECT_EQ(c.folders[0].rootFolder, "/opt/q51/");
}

struct BookPathRow {
  const char* name;
  const char* chosen;
  const char* base;
  const char* stored;
};

TEST_F(FoldersBooksTest, BookPathRows) {
  const BookPathRow rows[] = {
      {"below the tool root", "c:\\tools\\arm\\hlp\\Gnu.pdf", "C:\\Tools\\ARM\\", "hlp\\Gnu.pdf"},
      {"below a Linux tool root", "/opt/pm2/ARM/HLP/armtool.htm", "/opt/pm2/ARM/", "HLP/armtool.htm"},
      {"below the project folder", "C:\\work\\doc\\board.pdf", "C:\\Tools\\ARM\\", ".\\doc\\board.pdf"},
      {"above the project folder", "C:\\manuals\\gen.pdf", "C:\\Tools\\ARM\\", "C:\\manuals\\gen.pdf"},
      {"typed relative", "doc\\x.pdf", "C:\\Tools\\ARM\\", "doc\\x.pdf"},
  };
  for (const BookPathRow& r : rows) EXPECT_EQ(BookStoredPath(r.chosen, "C:\\work\\", r.base), r.stored) << r.name;
  EXPECT_EQ(NormalizeDeviceBooksFolder("C:\\books/"), "C:\\books\\");
  EXPECT_EQ(NormalizeDeviceBooksFolder("C:\\books"), "C:\\books\\");
  EXPECT_EQ(NormalizeDeviceBooksFolder("/home/ann/books"), "/home/ann/books/");
  EXPECT_EQ(NormalizeDeviceBooksFolder("/home/ann/books/"), "/home/ann/books/");
  EXPECT_EQ(BookShownPath("doc\\x.pdf", "C:\\Pm2\\"), "C:\\Pm2\\doc\\x.pdf");
  EXPECT_EQ(BookShownPath(".\\x.pdf", "C:\\Pm2\\"), ".\\x.pdf");
}

TEST_F(FoldersBooksTest, LeavingBooksDropsIncompleteRowsAndCapsDeviceBooks) {
  BooksLists l = BooksListsFor(c);
  ASSERT_EQ(l.lists[kBooksGeneral].size(), 1u);
  l.lists[kBooksGeneral].push_back({"", "x.pdf", kBookGeneral});
  for (int i = 0; i < 129; ++i) l.lists[kBooksDevice].push_back({"T" + std::to_string(i), "d.pdf", kBookDevice});
  l.lists[kBooksTool].push_back({"GNU", "gnu.pdf", kBookTool});
  l.deviceBooksFolder = "D:\\dev/";
  LeaveBooksPage(c, l);
  EXPECT_EQ(c.current->books[127].title.str(), "T127");
  BooksLists back = BooksListsFor(c);
  EXPECT_EQ(back.lists[kBooksGeneral].size(), 1u);
  EXPECT_EQ(back.lists[kBooksDevice].size(), 128u);
  ASSERT_EQ(back.lists[kBooksTool].size(), 1u);
  EXPECT_EQ(back.lists[kBooksTool][0].kind, kBookTool);
  EXPECT_EQ(back.deviceBooksFolder, "D:\\dev\\");
  EXPECT_TRUE(open->curTarget->books[0].path.empty()) << "the open target changes only on OK";
}

}  // namespace
}  // namespace pm2

#include "project/edit/book_tree.h"

namespace pm2 {
namespace {

class BookTreeTest : public ModelTest {};

TEST_F(BookTreeTest, CollectSkipsBooksWithoutPath) {
  EnvironmentInfo env;
  env.generalBooks = {{"ide.pdf", "IDE", 7}, {"", "No file", 7}};
  env.toolsets[3] = std::make_unique<ToolsetInfo>();
  env.toolsets[3]->books = {{"HLP\\GNU.PDF", "GNU", 6}};
  ProjectRec* p = OpenNewProject();
  p->curTarget->toolset = 3;
  p->curTarget->books[0] = {OptString("um.pdf"), OptString("Manual"), 0};
  p->curTarget->books[1] = {OptString(), OptString("Empty"), 0};
  auto items = CollectBooks(&env, p);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].category, 7);
  EXPECT_EQ(items[1].category, 6);
  EXPECT_EQ(items[2].category, 5);
  EXPECT_EQ(BookCategoryRow(3), BookCategoryRow(6)) << "codes 0 to 4 count as tool books";
  EXPECT_EQ(CollectBooks(&env, nullptr).size(), 1u) << "no target: general books only";
}

TEST_F(BookTreeTest, OpenPathRows) {
  TargetRec t;
  t.books[0] = {OptString("D:\\own\\board.pdf"), OptString("Board"), 1};
  BookOpenContext ctx{"/work/demo/", "/opt/pm2/", "/opt/pm2/ARM/", "", "", &t,
                      [](const std::string& f) { return f == "/work/demo/doc.pdf"; }};
  struct Row {
    const char* name;
    BookTreeItem book;
    const char* expected;
  } rows[] = {
      {"project-relative, present", {6, "Doc", ".\\doc.pdf"}, "/work/demo/doc.pdf"},
      {"project-relative, missing", {6, "Doc", ".\\gone.pdf"}, "/opt/pm2/ARM/.\\gone.pdf"},
      {"tools, relative", {6, "GNU", "HLP\\GNU.PDF"}, "/opt/pm2/ARM/HLP\\GNU.PDF"},
      {"tools, drive", {6, "GNU", "C:\\x.pdf"}, "C:\\x.pdf"},
      {"general, rooted", {7, "IDE", "\\docs\\ide.pdf"}, "\\docs\\ide.pdf"},
      {"general, relative", {7, "IDE", "DOC\\ide.pdf"}, "/opt/pm2/DOC\\ide.pdf"},
      {"device, flagged", {5, "Board", "D:\\own\\board.pdf"}, "D:\\own\\board.pdf"},
      {"device, not flagged", {5, "Other", "um.pdf"}, "/opt/pm2/ARM/um.pdf"},
      {"device, a path of this machine", {5, "Other", "/srv/docs/um.pdf"}, "/srv/docs/um.pdf"},
  };
  for (const Row& r : rows) EXPECT_EQ(ResolveBookPath(r.book, ctx), r.expected) << r.name;
}

// A book chosen on the books page, in or outside its list's base folder,
// in or outside the project's folder, is stored in the form the books tab
// opens the very file from.
TEST_F(BookTreeTest, AStoredBookOpensTheFileChosen) {
  const std::string project = "/work/demo/proj/";
  const std::string bases[3] = {"/opt/pm2/", "/opt/pm2/ARM/", "/home/ann/books/"};
  constexpr int kCategories[3] = {7, 6, 5};
  const char* const chosen[] = {
      "/opt/manuals/gen.pdf",           // outside every base and the project
      "/opt/pm2/DOC/ide.pdf",           // below the installation root
      "/opt/pm2/ARM/HLP/gnu.pdf",       // below the toolset's folder
      "/home/ann/books/nxp/um.pdf",     // below the Device Books folder
      "/work/demo/proj/doc/board.pdf",  // below the project's folder
      "/work/demo/board.pdf",           // above it
  };
  TargetRec t;
  BookOpenContext ctx{project, bases[0], bases[1], "/opt/pm2/DB/", bases[2], &t, nullptr};
  for (int list : {kBooksGeneral, kBooksTool, kBooksDevice}) {
    for (const char* path : chosen) {
      SCOPED_TRACE(std::to_string(list) + " " + path);
      const std::string stored = BookStoredPath(path, list == kBooksDevice ? project : "", bases[list]);
      ctx.exists = [&](const std::string& f) { return f == path; };
      EXPECT_EQ(ResolveBookPath({kCategories[list], "Book", stored}, ctx), path) << "stored as " << stored;
    }
  }
}

// What earlier versions stored for a book chosen outside its base folder,
// a path relative to the project's folder, still opens that file.
TEST_F(BookTreeTest, ABookStoredRelativeToTheProjectStillOpens) {
  TargetRec t;
  BookOpenContext ctx{"/work/demo/proj/", "/opt/pm2/", "/opt/pm2/ARM/", "", "", &t,
                      [](const std::string& f) { return f == "/work/demo/proj/../../../manuals/gen.pdf"; }};
  for (int category : {7, 6, 5})
    EXPECT_EQ(ResolveBookPath({category, "Book", "../../../manuals/gen.pdf"}, ctx),
              "/work/demo/proj/../../../manuals/gen.pdf")
        << category;
  EXPECT_EQ(ResolveBookPath({7, "Book", "DOC/ide.pdf"}, ctx), "/opt/pm2/DOC/ide.pdf")
      << "a book missing in both places is reported under its base";
}

// A general book an earlier version stored relative to the project, read
// from the environment file as it stands, opens from the project's folder.
TEST_F(BookTreeTest, AGeneralBookOfTheEnvironmentFileStoredRelativeToTheProjectOpens) {
  const std::string dir = (std::filesystem::temp_directory_path() / ("pm2_books_" + std::to_string(::getpid()))).string();
  std::filesystem::create_directories(dir + "/inst/PM2");
  std::filesystem::create_directories(dir + "/work/proj");
  std::ofstream(dir + "/work/proj/old.pdf") << "%PDF";
  std::ofstream(dir + "/work/gen.pdf") << "%PDF";
  EnvironmentInfo env;
  ParseToolsIni("[PM2]\r\nBOOK0=.\\old.pdf(\"Old\")\r\nBOOK1=..\\gen.pdf(\"Gen\")\r\n", dir + "/inst/",
                dir + "/inst/PM2/pelmora2.cdb", &env);
  ASSERT_EQ(env.generalBooks.size(), 2u);
  TargetRec t;
  BookOpenContext ctx{dir + "/work/proj/", dir + "/inst/", "", "", "", &t,
                      [](const std::string& f) { return std::filesystem::exists(ToForwardSlashes(f)); }};
  EXPECT_EQ(ToForwardSlashes(ResolveBookPath({7, "Old", env.generalBooks[0].path}, ctx)), dir + "/work/proj/old.pdf");
  EXPECT_TRUE(std::filesystem::equivalent(ToForwardSlashes(ResolveBookPath({7, "Gen", env.generalBooks[1].path}, ctx)),
                                          dir + "/work/gen.pdf"));
  std::filesystem::remove_all(dir);
}

// A device book added on the books page below the Device Books folder is
// stored as the part behind it, and the books tab opens it from there
// rather than from the device database's folder.
TEST_F(BookTreeTest, DeviceBooksOpenFromTheDeviceBooksFolder) {
  TargetRec t;
  BookOpenContext ctx{"/work/demo/", "/opt/pm2/", "/opt/pm2/ARM/", "/opt/pm2/Devices/", "", &t, nullptr};
  const std::string stored = BookStoredPath("/home/ann/books/nxp/um.pdf", "/work/demo/", "/home/ann/books/");
  EXPECT_EQ(stored, "nxp/um.pdf") << "kept in its own case";
  const BookTreeItem book{5, "User Manual", stored};
  EXPECT_EQ(ResolveBookPath(book, ctx), "/opt/pm2/Devices/nxp/um.pdf") << "no Device Books folder: the database's";
  ctx.deviceBooksFolder = NormalizeDeviceBooksFolder("/home/ann/books");
  EXPECT_EQ(ctx.deviceBooksFolder, "/home/ann/books/");
  EXPECT_EQ(ResolveBookPath(book, ctx), "/home/ann/books/nxp/um.pdf");
}

}  // namespace
}  // namespace pm2
