// The books page on the offscreen platform: where a book's path is shown
// and stored, so that the books tab opens what the page took, and the texts
// the project and environment files could not give back, refused where
// they are typed.
#include <QTest>
#include <QTimer>

#include "project/dialogs/books_page.h"
#include "project/dialogs/dialog_test_util.h"
#include "project/edit/book_tree.h"
#include "project/files/project_file.h"
#include "project/files/stored_texts.h"
#include "project/model/option_defaults.h"

namespace pm2 {
namespace {

class BooksPageTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    // The open project lives in the project's pool, as one opened from
    // its file does; reading a project back frees the scratch pool.
    open = CopyProjectTree(OpenProject("/work/demo/demo.pm2"), kPoolProject);
    theApp().m_pProject = open;
    PoolFree(kPoolScratch);
    open->curTarget->toolset = kToolsetArmGnu;
    ResetTargetOptions(open->curTarget, kToolsetUndefined);  // the block a save writes
    OpenProjectSheetCopy(copy, open, "/nonexistent/TOOLS.INI", nullptr);
    copy.env.Parse(
        "[PM2]\r\nDEVICE_BOOKS=/home/ann/books/\r\n"
        "[ARM]\r\nPATH=\"/opt/pm2/ARM/\"\r\nBOOK0=HLP/armtool.htm(\"ARM Tools\",TOOL)\r\n");
    copy.folders[kToolsetArmGnu] = {true, "/opt/pm2/ARM/", "/opt/pm2/ARM/BIN/", "", ""};
  }
  void TearDown() override {
    page.reset();
    DialogTest::TearDown();
  }
  BooksPage& Page() {
    if (!page) page = std::make_unique<BooksPage>(copy, "/opt/pm2");
    return *page;
  }
  // The book dialog answers OK with `title` and `path`; the path it was
  // opened with lands in `shown`.
  void AnswerBook(std::string title, std::string path) {
    Page().SetBookAsker([this, title, path](QString& t, QString& p) {
      shown = p.toStdString();
      if (!title.empty()) t = QString::fromStdString(title);
      if (!path.empty()) p = QString::fromStdString(path);
      return true;
    });
  }
  std::vector<BookListItem> ToolBooks() { return EnvFile::GetBooks(*copy.env.FindSection(kToolsetArmGnu)); }

  ProjectRec* open = nullptr;
  ProjectSheetCopy copy;
  std::unique_ptr<BooksPage> page;
  std::string shown;
};

// Change Book on a tool book, OK without an edit: the page showed it behind
// the toolset's folder, as the books tab opens it, and stores it as it was.
TEST_F(BooksPageTest, ChangingAToolBookWithoutAnEditKeepsIt) {
  AnswerBook("", "");
  Page().StartChange(kBooksTool, 0);
  Page().OnBookButton();
  EXPECT_EQ(shown, "/opt/pm2/ARM/HLP/armtool.htm");
  Page().Leave();
  const std::vector<BookListItem> books = ToolBooks();
  ASSERT_EQ(books.size(), 1u);
  EXPECT_EQ(books[0].path, "HLP/armtool.htm");
  BookOpenContext ctx;
  ctx.toolsetFolder = copy.folders[kToolsetArmGnu].rootFolder;
  EXPECT_EQ(ResolveBookPath({6, books[0].title, books[0].path}, ctx), shown);
}

TEST_F(BooksPageTest, ShowsTheToolsetsRootFolder) {
  EXPECT_EQ(Page().ToolsetFolderLabel()->text(), "/opt/pm2/ARM/");
  EXPECT_TRUE(Page().ToolsetFolderLabel()->isVisibleTo(&Page()));
}

// A device book chosen below the Device Books folder keeps its case and
// is opened by the books tab from that folder; a folder of this machine
// keeps its own separator.
TEST_F(BooksPageTest, ADeviceBookAddedBelowTheDeviceBooksFolderOpensFromIt) {
  AnswerBook("User Manual", "/home/ann/books/nxp/um.pdf");
  Page().StartAdd(kBooksDevice);
  EXPECT_EQ(shown, "/home/ann/books/");
  Page().Leave();
  EXPECT_EQ(copy.current->books[0].path.str(), "nxp/um.pdf");
  const std::string folder = EnvFile::FindEntry(*copy.env.FindSection(-1), "DEVICE_BOOKS")->value;
  EXPECT_EQ(folder, "/home/ann/books/");
  BookOpenContext ctx;
  ctx.deviceBooksFolder = folder;
  ctx.deviceDbFolder = "/opt/pm2/Devices/";
  EXPECT_EQ(ResolveBookPath({5, "User Manual", copy.current->books[0].path.str()}, ctx),
            "/home/ann/books/nxp/um.pdf");
}

// The book dialog itself refuses on OK and stays open with what was typed,
// so the user mends it there; the mended title is taken.
TEST_F(BooksPageTest, TheBookDialogRefusesATitleTheProjectCannotKeep) {
  std::vector<std::string> seen;
  QTimer typist;
  QObject::connect(&typist, &QTimer::timeout, [&] {
    auto* dlg = qobject_cast<BookDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    dlg->TitleEdit()->setText("Manual :)");
    dlg->PathEdit()->setText("/home/ann/books/um.pdf");
    dlg->accept();
    seen = shell.boxes;
    EXPECT_TRUE(dlg->isVisible()) << "a refused book keeps the dialog open";
    EXPECT_EQ(dlg->TitleEdit()->text(), "Manual :)");
    dlg->TitleEdit()->setText("Manual :-");
    dlg->accept();
  });
  typist.start(0);
  Page().StartAdd(kBooksDevice);
  typist.stop();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "The text of 'Title' cannot be stored: it holds a ')' without its '('.");
  ASSERT_EQ(Page().List(kBooksDevice)->GetItemCount(), 1);
  EXPECT_EQ(Page().List(kBooksDevice)->GetText(0), "Manual :-");
}

// A title renamed in its row is refused as the dialog refuses it.
TEST_F(BooksPageTest, ARowRenamedToATitleTheProjectCannotKeepIsRefused) {
  AnswerBook("Manual", "/home/ann/books/um.pdf");
  Page().StartAdd(kBooksDevice);
  BookListEditor* list = Page().List(kBooksDevice);
  list->SetCurSel(0);
  ASSERT_TRUE(list->StartEditing(0));
  list->AcceptEdit("Manual :)");
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0], "The text of 'Title' cannot be stored: it holds a ')' without its '('.");
  EXPECT_EQ(list->GetText(0), "Manual");
  Page().Leave();
  EXPECT_EQ(copy.current->books[0].title.str(), "Manual");
  EXPECT_EQ(ProjectTextRefusal(*copy.project), "");
}

// Every character the files treat as their own, typed into each field of
// each list: the page refuses it with a message, or the project (device
// books) or the environment file (general and tool books) gives back
// exactly what the page took, and the project can still be saved.
struct BookTextRow {
  const char* name;
  std::string text;
};
std::vector<BookTextRow> BookTexts(std::size_t limit) {
  return {
      {"OpeningParenthesis", "a(b"},
      {"ClosingParenthesis", "a)b"},
      {"OpeningAngle", "a<b"},
      {"ClosingAngle", "a>b"},
      {"Backslash", "a\\b"},
      {"Quote", "a\"b"},
      {"Blank", "a b"},
      {"CarriageReturn", "a\rb"},
      {"LineFeed", "a\nb"},
      {"Slash", "a/b"},
      {"NonAsciiAtTheLimit", std::string(limit - 2, 'a') + "\xC3\xA4"},
  };
}

TEST_F(BooksPageTest, EveryTypedTextIsRefusedOrGivenBackAsTaken) {
  int refused = 0, kept = 0;
  for (int list : {kBooksGeneral, kBooksTool, kBooksDevice}) {
    for (const bool titleField : {true, false}) {
      // A path's name sits behind the project's folder; both fields keep
      // what fits their limits (64 and 256 characters).
      for (const BookTextRow& row : BookTexts(titleField ? 64 : 256 - std::string("/work/demo/").size())) {
        SCOPED_TRACE(std::to_string(list) + (titleField ? " title " : " file ") + row.name);
        page.reset();
        shell.boxes.clear();
        OpenProjectSheetCopy(copy, open, "/nonexistent/TOOLS.INI", nullptr);
        copy.env.Parse("[PM2]\r\n[ARM]\r\nPATH=\"/opt/pm2/ARM/\"\r\n");
        copy.folders[kToolsetArmGnu] = {true, "/opt/pm2/ARM/", "/opt/pm2/ARM/BIN/", "", ""};
        const std::string title = titleField ? row.text : "Manual";
        const std::string path = titleField ? "/work/demo/um.pdf" : "/work/demo/" + row.text;
        AnswerBook(title, path);
        Page().StartAdd(list);
        if (!shell.boxes.empty()) {
          ++refused;
          EXPECT_NE(shell.boxes[0].find(titleField ? "'Title'" : "'File'"), std::string::npos) << shell.boxes[0];
          EXPECT_EQ(Page().List(list)->GetItemCount(), 0);
          continue;
        }
        ++kept;
        ASSERT_EQ(Page().List(list)->GetItemCount(), 1);
        EXPECT_EQ(Page().List(list)->GetText(0), title);
        Page().Leave();
        std::string takenPath;
        BookListItem back;
        if (list == kBooksDevice) {
          takenPath = copy.current->books[0].path.str();
          ASSERT_EQ(ProjectTextRefusal(*copy.project), "");
          ProjectFileIo io;
          io.pool = kPoolFindInFiles;  // the copy and the open project live in the project's pool
          const std::string pm2 = BuildProjectFileText(*copy.project), opt = BuildOptionsFileText(*copy.project);
          const std::string_view optView(opt);
          ASSERT_EQ(ReadProjectText(io, "/work/demo/demo.pm2", pm2, &optView), kProjectFileOk) << io.message;
          back = {io.project->curTarget->books[0].title.str(), io.project->curTarget->books[0].path.str(), 0};
          PoolFree(kPoolFindInFiles);
        } else {
          const int section = list == kBooksTool ? kToolsetArmGnu : -1;
          takenPath = EnvFile::GetBooks(*copy.env.FindSection(section)).at(0).path;
          EnvFile again;
          again.Parse(copy.env.Format());
          const std::vector<BookListItem> books = EnvFile::GetBooks(*again.FindSection(section));
          ASSERT_EQ(books.size(), 1u);
          back = books[0];
        }
        EXPECT_EQ(back.title, title);
        EXPECT_EQ(back.path, takenPath);
        if (!titleField) {
          EXPECT_NE(takenPath.find(row.text), std::string::npos) << takenPath;
        }
      }
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(kept, 0);
}

}  // namespace
}  // namespace pm2
