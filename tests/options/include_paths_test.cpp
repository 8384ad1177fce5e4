// The Include Paths fields of the compiler, assembler and linker pages: the
// text goes to the tool's command line as it stands, so a line break in it
// (a pasted one) is refused naming the field; every other text is stored
// and given back by the project file as it was typed, or refused naming
// the field.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include "options/pages/option_page.h"
#include "options/pages/options_sheet.h"
#include "options/sheet_fixture.h"

namespace pm2 {
namespace {

struct IncludePage {
  const char* name;
  uint16_t toolset;
  uint32_t x51;
  PageId page;
};

const IncludePage kIncludePages[] = {
    {"ArmGnuCompiler", kToolsetArmGnu, 0, PageId::kArmGnuCompiler},
    {"ArmGnuAssembler", kToolsetArmGnu, 0, PageId::kArmGnuAsm},
    {"ArmGnuLinker", kToolsetArmGnu, 0, PageId::kArmGnuLinker},
    {"Q51Compiler", 0, 0, PageId::kCompiler51},
    {"W51Assembler", 0, 0, PageId::kAsm51},
};

class IncludePaths : public test::SheetFixture, public ::testing::WithParamInterface<IncludePage> {
 protected:
  IncludePaths() : SheetFixture("/tmp/include_paths/demo.pm2") {}
  void SetUp() override {
    SheetFixture::SetUp();
    UseToolset(GetParam().toolset, GetParam().x51);
  }
  // The page's Include Paths field, on a sheet opened for the target.
  QLineEdit* OpenField() {
    Open(m_target);
    OptionPage* page = Go<OptionPage>(GetParam().page);
    if (!page) return nullptr;
    for (const OptionPage::TextField& f : page->TextFields())
      if (f.name == "Include Paths") return qobject_cast<QLineEdit*>(f.edit);
    return nullptr;
  }
};

// As the user meets it: a path copied with its line break and pasted.
TEST_P(IncludePaths, APastedLineBreakIsRefusedNamingTheField) {
  QLineEdit* edit = OpenField();
  ASSERT_NE(edit, nullptr);
  QGuiApplication::clipboard()->setText("./inc\r\n./sub");
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(edit->text().toStdString(), "./inc\r\n./sub") << "the edit keeps the pasted line break";
  m_sheet->accept();
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "The text of 'Include Paths' cannot be stored: it holds the control character 0x0D.");
  EXPECT_NE(m_sheet->result(), QDialog::Accepted);
  EXPECT_EQ(m_sheet->focusWidget(), edit);
}

struct TypedRow {
  const char* name;
  std::string text;
};

TEST_P(IncludePaths, EveryTextIsRefusedOrGivenBackAsTyped) {
  QLineEdit* probe = OpenField();
  ASSERT_NE(probe, nullptr);
  const int limit = probe->maxLength();
  const TypedRow rows[] = {
      {"OpeningParenthesis", "./a(b"},
      {"ClosingParenthesis", "./a)b"},
      {"OpeningAngle", "./a<b"},
      {"ClosingAngle", "./a>b"},
      {"Backslash", ".\\inc\\sys"},
      {"Quote", "\"./a b\""},
      {"Blank", "./my inc"},
      {"CarriageReturn", "./inc\r./sub"},
      {"LineFeed", "./inc\n./sub"},
      {"CarriageReturnLineFeed", "./inc\r\n./sub"},
      {"Slash", "./inc/sys"},
      {"NonAsciiAtTheLimit", std::string(std::size_t(limit - 1), 'i') + "\xC3\xA4"},
  };
  int refused = 0, kept = 0;
  for (const TypedRow& row : rows) {
    SCOPED_TRACE(row.name);
    m_sheet.reset();
    m_session.reset();
    SheetFixture::TearDown();
    SetUp();
    QLineEdit* edit = OpenField();
    ASSERT_NE(edit, nullptr);
    edit->setText(QString::fromStdString(row.text));
    ASSERT_EQ(edit->text().toStdString(), row.text);
    m_refusals.clear();
    m_sheet->accept();
    if (!m_refusals.empty()) {
      ++refused;
      EXPECT_NE(m_refusals[0].find("'Include Paths'"), std::string::npos) << m_refusals[0];
      EXPECT_NE(m_sheet->result(), QDialog::Accepted);
      continue;
    }
    ++kept;
    ASSERT_EQ(m_sheet->result(), QDialog::Accepted);
    m_session->Commit();
    SaveAndReopen();
    ASSERT_FALSE(HasFatalFailure());
    QLineEdit* again = OpenField();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->text().toStdString(), row.text);
  }
  EXPECT_GE(refused, 3) << "CR, LF and CR LF at least";
  EXPECT_GT(kept, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, IncludePaths, ::testing::ValuesIn(kIncludePages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
