// The list and tree views on the offscreen platform: printing to PDF
// gives the pages the pagination says, with the rows per page that the
// page height and row height give; a preview leaves the window's top row
// and fonts as they were; the print commands reach the view.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>

#include "toolkit/views/list_view.h"

namespace pm2 {
namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "toolkit_views_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return app;
}

int PdfPages(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QString text = QString::fromLatin1(f.readAll());
  return int(text.count(QRegularExpression("/Type\\s*/Page[^s]")));
}

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
  QString PdfPath(const char* name) { return QString::fromStdString(::testing::TempDir()) + name; }
  std::unique_ptr<QPrinter> PdfPrinter(const QString& file) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    QFile::remove(file);
    return printer;
  }
  // Rows that fit below the header on the printer's page, in screen pixels.
  static int RowsPerPage(QPrinter& printer, QWidget* w, int rowHeight, int header) {
    const QRect device = printer.pageLayout().paintRectPixels(printer.resolution());
    const int pageHeight = device.height() * w->logicalDpiY() / printer.logicalDpiY();
    return (pageHeight - header + 1) / rowHeight;
  }
};

std::unique_ptr<SECListView> MakeList(int rows) {
  auto list = std::make_unique<SECListView>();
  list->resize(300, 200);
  list->AddColumn("Symbol", LVCFMT_LEFT, 140);
  list->AddColumn("Address", LVCFMT_RIGHT, 100);
  for (int i = 0; i < rows; ++i) {
    const int r = list->InsertItemText(i, "symbol_" + std::to_string(i));
    list->SetItemText(r, 1, "0x" + std::to_string(1000 + i));
  }
  list->UpdateScrollBars();
  list->show();
  return list;
}

TEST_F(ViewTest, AListPrintsToPdfWithThePagesItsRowsNeed) {
  auto list = MakeList(300);
  const QString file = PdfPath("/list_view_print.pdf");
  auto printer = PdfPrinter(file);
  const int perPage = RowsPerPage(*printer, list.get(), list->RowHeight(0), list->GetHeaderHeight());
  ASSERT_GT(perPage, 10);
  const int expected = (300 + perPage - 1) / perPage;
  ASSERT_GT(expected, 1);
  std::string error;
  ASSERT_TRUE(list->Print(*printer, false, &error)) << error;
  EXPECT_EQ(list->PrintLayer().PagesPainted(), expected);
  EXPECT_EQ(PdfPages(file), expected);
  std::vector<int> tops;
  for (int page = 0; page < expected; ++page) tops.push_back(page * perPage);
  EXPECT_EQ(list->PrintLayer().PageTops(), tops);
}

TEST_F(ViewTest, AListThatFitsPrintsOnePageAndAnEmptyListToo) {
  for (int rows : {0, 5}) {
    auto list = MakeList(rows);
    const QString file = PdfPath("/list_view_one.pdf");
    auto printer = PdfPrinter(file);
    ASSERT_TRUE(list->Print(*printer, true, nullptr));
    EXPECT_EQ(list->PrintLayer().PagesPainted(), 1) << rows;
    EXPECT_EQ(PdfPages(file), 1) << rows;
  }
}

TEST_F(ViewTest, APreviewLeavesTheTopRowAndFontAsTheyWere) {
  auto list = MakeList(300);
  list->SetTopIndex(40);
  const int top = list->GetTopIndex();
  const int rowHeight = list->RowHeight(0);
  const QFont font = list->View().Measurer().FontFor({});
  auto printer = PdfPrinter(PdfPath("/list_view_preview.pdf"));
  ASSERT_TRUE(list->Print(*printer, true, nullptr));
  EXPECT_GT(list->PrintLayer().Job().MaxPage(), 1);
  EXPECT_EQ(list->PrintLayer().PagesPainted(), list->PrintLayer().Job().MaxPage());
  EXPECT_FALSE(list->PrintLayer().Printing());
  EXPECT_EQ(list->GetTopIndex(), top);
  EXPECT_EQ(list->RowHeight(0), rowHeight);
  EXPECT_EQ(list->View().Measurer().FontFor({}), font);
  EXPECT_EQ(list->View().ClientRect(), (Rect{0, 0, 300, 200}));
}

TEST_F(ViewTest, PrintingToAFolderThatDoesNotExistNamesTheFile) {
  auto list = MakeList(3);
  auto printer = PdfPrinter("/nonexistent-folder/list.pdf");
  std::string error;
  EXPECT_FALSE(list->Print(*printer, false, &error));
  EXPECT_EQ(error, "Cannot print to '/nonexistent-folder/list.pdf'.");
  EXPECT_EQ(list->GetTopIndex(), 0);
}

TEST_F(ViewTest, ATreePrintsItsVisibleRowsAndMoreOnceExpanded) {
  auto tree = std::make_unique<SECTreeView>();
  tree->resize(300, 200);
  std::vector<HTREEITEM> groups;
  for (int g = 0; g < 20; ++g) {
    HTREEITEM group = tree->InsertItem("Group " + std::to_string(g));
    groups.push_back(group);
    for (int f = 0; f < 12; ++f) tree->InsertItem("file_" + std::to_string(f) + ".c", group);
  }
  tree->show();
  const QString file = PdfPath("/tree_view_print.pdf");
  auto printer = PdfPrinter(file);
  ASSERT_TRUE(tree->Print(*printer, false, nullptr));
  EXPECT_EQ(PdfPages(file), 1);
  for (HTREEITEM g : groups) tree->Expand(g, TVE_EXPAND);
  const int perPage = RowsPerPage(*printer, tree.get(), tree->RowHeight(0), 0);
  const int expected = (20 * 13 + perPage - 1) / perPage;
  ASSERT_GT(expected, 1);
  auto again = PdfPrinter(file);
  ASSERT_TRUE(tree->Print(*again, false, nullptr));
  EXPECT_EQ(tree->PrintLayer().PagesPainted(), expected);
  EXPECT_EQ(PdfPages(file), expected);
}

// What a tree shows and holds: rows, focus, top row and the caret's label.
std::string TreeState(SECTreeBaseC& t) {
  std::string out = std::to_string(t.GetItemCount()) + "/" + std::to_string(t.GetFocusIndex()) + "/" +
                    std::to_string(t.GetTopIndex()) + "/";
  if (HTREEITEM caret = t.GetCaretItem()) out += t.GetItemText(caret);
  return out;
}

TEST_F(ViewTest, ATreeViewAndATreeControlAnswerTheSameInput) {
  SECTreeCtrl ctrl;
  SECTreeView view;
  std::vector<std::string> states[2];
  int which = 0;
  for (SECTreeCtrl* t : {&ctrl, static_cast<SECTreeCtrl*>(&view)}) {
    t->resize(200, 120);
    for (int g = 0; g < 4; ++g) {
      HTREEITEM group = t->InsertItem("group" + std::to_string(g));
      for (int f = 0; f < 5; ++f) t->InsertItem("file" + std::to_string(g) + std::to_string(f), group);
    }
    t->show();
    auto clickRow = [t](int row) {
      Rect r;
      t->GetItemRect(row, &r, 2);
      QTest::mouseClick(t, Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    };
    auto& out = states[which++];
    clickRow(1);
    out.push_back(TreeState(*t));
    QTest::keyClick(t, Qt::Key_Right);
    out.push_back(TreeState(*t));
    for (int i = 0; i < 7; ++i) QTest::keyClick(t, Qt::Key_Down);
    out.push_back(TreeState(*t));
    QTest::keyClick(t, Qt::Key_Left);
    QTest::keyClick(t, Qt::Key_Left);
    out.push_back(TreeState(*t));
    QTest::keyClick(t, Qt::Key_Asterisk, Qt::KeypadModifier);
    out.push_back(TreeState(*t));
    QTest::keyClick(t, Qt::Key_End);
    out.push_back(TreeState(*t));
    clickRow(t->GetTopIndex() + 2);
    out.push_back(TreeState(*t));
    QTest::keyClick(t, Qt::Key_F);
    out.push_back(TreeState(*t));
  }
  EXPECT_EQ(states[0], states[1]);
  EXPECT_EQ(states[0].front(), "4/1/0/group1");
}

TEST_F(ViewTest, PrintCommandsReachTheViewAndTheDialogOffersAllPagesOnly) {
  auto list = MakeList(3);
  EXPECT_TRUE(list->HasHandler(kIdFilePrint));
  EXPECT_TRUE(list->HasHandler(kIdFilePrintPreview));
  QPrinter printer;
  QPrintDialog dialog(&printer);
  ListPrintLayer::PreparePrintDialog(dialog);
  EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintPageRange));
  EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintSelection));
  EXPECT_EQ(dialog.printRange(), QAbstractPrintDialog::AllPages);
}

}  // namespace
}  // namespace pm2
