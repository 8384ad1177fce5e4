// The configuration wizard on the offscreen platform: the tree shows the
// block, clicks in the value column edit in place, a check box enables its
// dependants, changed values reach the document's text and the saved file,
// the text editor button and the context menu switch views, and a block
// with a syntax error shows the message and the text at its line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <fstream>
#include <iterator>
#include <random>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_panes.h"
#include "editor/ide/editor_view.h"
#include "editor/text/editor_keys.h"
#include "editor/wizard/option_rows.h"
#include "editor/wizard/option_writeback.h"
#include "editor/wizard_ui/options_tree.h"
#include "editor/wizard_ui/startup_view.h"
#include "editor/wizard_ui/startup_wizard_host.h"
#include "platform/settings_store.h"
#include "toolkit/controls/inplace_edit.h"
#include "platform/temp_dir.h"
#include "toolkit/qt_test_app.h"

namespace pm2 {
namespace {

const char kStartup[] =
    "@ startup\r\n"
    "//;; PELMORA_OPTIONS_BLOCK { NAME = \"Startup\" STYLE = EXPAND\r\n"
    "//;;   OPTION { ID = stack NAME = \"Stack\" TYPE = HEXADECIMAL DEFAULT = 0x80 KEY = \"Stack_Size\"\r\n"
    "//;;            HELP = \"bytes of stack\" }\r\n"
    "//;;   OPTION { ID = pll NAME = \"PLL\" TYPE = BOOL DEFAULT = 0 KEY = \"PLL_SETUP\" }\r\n"
    "//;;   FOLDER { ID = clk NAME = \"Clock\" STYLE = EXPAND\r\n"
    "//;;     OPTION { ID = msel NAME = \"M\" TYPE = DECIMAL DEFAULT = 5 MIN = 1 MAX = 32 ENABLEDBY = pll KEY = \"MSEL\" }\r\n"
    "//;;     OPTION { ID = psel NAME = \"P\" TYPE = SELECTION DEFAULT = 0 ENABLEDBY = pll KEY = \"PSEL\"\r\n"
    "//;;       ITEMS { ITEM { ENTRY = \"1\" VALUE = 0 } ITEM { ENTRY = \"2\" VALUE = 1 } } }\r\n"
    "//;;   }\r\n"
    "//;;   OPTION { ID = note NAME = \"Note\" TYPE = TEXT DEFAULT = \"abc\" }\r\n"
    "//;; }\r\n"
    "        .equ Stack_Size, 0x80\r\n"
    "        .equ PLL_SETUP, 0\r\n"
    "        .equ MSEL, 5\r\n"
    "        .equ PSEL, 0\r\n";

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    InitEditorProfiles(m_store);
    m_ctx.appState = &m_state;
    m_ctx.settings = &m_store;
    m_env.text.pSettings = &m_store;
    m_env.appState = &m_state;
    m_doc = std::make_unique<EditorDocument>(m_env);
    m_path = m_dir / "Startup.s";
  }
  void TearDown() override {
    m_host.reset();
    m_doc.reset();
  }
  StartupWizardHost& Open(const std::string& text) {
    std::ofstream(m_path, std::ios::binary) << text;
    EXPECT_TRUE(m_doc->OnOpenDocument(m_path));
    auto* panes = new EditorPanes(m_doc.get(), &m_ctx);
    StartupWizardHooks hooks;
    hooks.showError = [this](const std::string& t) { m_errors.push_back(t); };
    hooks.beep = [this] { ++m_beeps; };
    m_host = std::make_unique<StartupWizardHost>(m_doc.get(), panes, hooks);
    m_host->resize(700, 400);
    m_host->show();
    panes->ActiveView()->InitialUpdate();
    QApplication::processEvents();
    return *m_host;
  }
  COptionsTree& Tree() { return *m_host->Wizard()->Tree(); }
  int RowNamed(const std::string& label) {
    for (int i = 0; i < Tree().Rows().Count(); ++i)
      if (Tree().Rows().Row(i).label == label) return i;
    return -1;
  }
  void ClickValue(const std::string& label) {
    const QRect cell = Tree().ValueCell(RowNamed(label));
    ASSERT_FALSE(cell.isEmpty()) << label;
    QTest::mouseClick(Tree().Tree(), Qt::LeftButton, {}, cell.topLeft() + QPoint(6, cell.height() / 2));
    QApplication::processEvents();
  }
  std::string Line(int n) {
    CEditTextBuffer& t = m_doc->Text();
    CEditLine* p = t.GetLine(n);
    return p->m_text.substr(0, size_t(t.ContentLength(p)));
  }

  TempDir m_dir;
  SettingsStore m_store{m_dir / "settings"};
  uint32_t m_state = 0;
  EditorViewContext m_ctx;
  DocumentEnvironment m_env;
  std::unique_ptr<EditorDocument> m_doc;
  std::unique_ptr<StartupWizardHost> m_host;
  std::string m_path;
  std::vector<std::string> m_errors;
  int m_beeps = 0;
};

TEST_F(WizardTest, TheTreeShowsTheBlock) {
  StartupWizardHost& host = Open(kStartup);
  ASSERT_TRUE(host.Offered());
  ASSERT_TRUE(host.ShowWizard());
  EXPECT_TRUE(host.ShowsWizard());
  const OptionRows& rows = Tree().Rows();
  ASSERT_EQ(7, rows.Count());
  EXPECT_EQ("80H", Tree().Tree()->GetItemText(Tree().Tree()->GetItemAtRow(Tree().ListRowOf(RowNamed("Stack"))), 1));
  EXPECT_GE(Tree().ListRowOf(RowNamed("M")), 0) << "an EXPAND folder starts open";
  EXPECT_EQ(0x100u, Tree().Tree()->GetItemExState(Tree().Tree()->GetItemAtRow(Tree().ListRowOf(RowNamed("M")))))
      << "greyed while the PLL is off";
  EXPECT_TRUE(m_errors.empty());
}

// The block's own row opens as its STYLE says, as a folder's does: without
// EXPAND the tree starts as that one closed row.
struct BlockStyleRow {
  const char* name;
  const char* style;
  bool open;
};

class WizardBlockStyle : public WizardTest, public ::testing::WithParamInterface<BlockStyleRow> {};

TEST_P(WizardBlockStyle, TheBlockRowOpensAsItsStyleSays) {
  const BlockStyleRow& r = GetParam();
  const std::string text = std::string("//;; PELMORA_OPTIONS_BLOCK { NAME = \"Startup\" ") + r.style +
                           "\r\n"
                           "//;;   OPTION { ID = a NAME = \"A\" TYPE = BOOL DEFAULT = 1 }\r\n"
                           "//;;   FOLDER { ID = f NAME = \"F\" STYLE = EXPAND\r\n"
                           "//;;     OPTION { ID = b NAME = \"B\" TYPE = DECIMAL DEFAULT = 2 } }\r\n"
                           "//;; }\r\n";
  StartupWizardHost& host = Open(text);
  ASSERT_TRUE(host.ShowWizard());
  ASSERT_EQ(4, Tree().Rows().Count());
  EXPECT_EQ(0, Tree().ListRowOf(RowNamed("Startup")));
  EXPECT_EQ(r.open ? 1 : -1, Tree().ListRowOf(RowNamed("A")));
  EXPECT_EQ(r.open ? 3 : -1, Tree().ListRowOf(RowNamed("B")));
  EXPECT_EQ(r.open ? 4 : 1, Tree().Tree()->GetItemCount());
}

const BlockStyleRow kBlockStyleRows[] = {
    {"Expand", "STYLE = EXPAND", true},
    {"ExpandAmongOtherStyles", "STYLE = READONLY STYLE = EXPAND", true},
    {"NoStyle", "", false},
    {"OtherStyleOnly", "STYLE = READONLY", false},
};
INSTANTIATE_TEST_SUITE_P(Rows, WizardBlockStyle, ::testing::ValuesIn(kBlockStyleRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardTest, ACheckBoxClickEnablesItsDependantsAndWritesTheText) {
  StartupWizardHost& host = Open(kStartup);
  ASSERT_TRUE(host.ShowWizard());
  ClickValue("M");
  EXPECT_EQ(nullptr, Tree().Editor()) << "a greyed row is not edited";
  ClickValue("PLL");
  EXPECT_EQ(1, Tree().Rows().Row(RowNamed("PLL")).value);
  EXPECT_FALSE(Tree().Rows().Row(RowNamed("M")).flags & kRowDisabled);
  EXPECT_EQ("//;;   OPTION { ID = pll NAME = \"PLL\" TYPE = BOOL DEFAULT = 1 KEY = \"PLL_SETUP\" }", Line(5));
  EXPECT_EQ("        .equ PLL_SETUP, 1", Line(14));
  EXPECT_TRUE(m_doc->IsModified());
  // One undo takes back both lines.
  m_doc->Text().Undo();
  EXPECT_EQ("        .equ PLL_SETUP, 0", Line(14));
  EXPECT_NE(std::string::npos, Line(5).find("DEFAULT = 0"));
}

TEST_F(WizardTest, InPlaceEditorsByKind) {
  StartupWizardHost& host = Open(kStartup);
  ASSERT_TRUE(host.ShowWizard());
  ClickValue("PLL");
  // Decimal: a spin box within MIN and MAX.
  ClickValue("M");
  auto* spin = qobject_cast<QSpinBox*>(Tree().Editor());
  ASSERT_NE(nullptr, spin);
  EXPECT_NE(nullptr, dynamic_cast<CInPlaceSpinEdit*>(spin)) << "the toolkit's in-place editors, no copy of them";
  EXPECT_EQ(1, spin->minimum());
  EXPECT_EQ(32, spin->maximum());
  spin->setValue(12);
  QTest::keyClick(spin, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(nullptr, Tree().Editor());
  EXPECT_EQ("        .equ MSEL, 12", Line(15));
  // Hexadecimal: an edit that takes any of the forms.
  ClickValue("Stack");
  auto* edit = qobject_cast<QLineEdit*>(Tree().Editor());
  ASSERT_NE(nullptr, edit);
  EXPECT_EQ("80H", edit->text());
  EXPECT_NE(nullptr, dynamic_cast<CInPlaceEdit*>(edit));
  edit->setText("0x1f0");
  QTest::keyClick(edit, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ("1F0H", Tree().Rows().ValueText(RowNamed("Stack")));
  EXPECT_EQ("        .equ Stack_Size, 0x1F0", Line(13));
  // Escape drops the edit.
  ClickValue("Note");
  edit = qobject_cast<QLineEdit*>(Tree().Editor());
  ASSERT_NE(nullptr, edit);
  edit->setText("changed");
  QTest::keyClick(edit, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ("abc", Tree().Rows().Row(RowNamed("Note")).text);
  // Selection: a drop-down list of the entries.
  ClickValue("P");
  auto* list = qobject_cast<QComboBox*>(Tree().Editor());
  ASSERT_NE(nullptr, list);
  EXPECT_NE(nullptr, dynamic_cast<CInPlaceList*>(list));
  EXPECT_EQ(2, list->count());
  list->setCurrentIndex(1);
  QTest::keyClick(list, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ("        .equ PSEL, 1", Line(16));
}

// A hexadecimal row's in-place edit: anything but a number is refused
// (beep, value and text unchanged), a number is held to MIN and MAX.
TEST_F(WizardTest, AHexadecimalRowTakesOnlyANumberWithinItsLimits) {
  std::string text = kStartup;
  text.replace(text.find("DEFAULT = 0x80 KEY"), 18, "DEFAULT = 0x80 MIN = 0x20 MAX = 0x1000 KEY");
  StartupWizardHost& host = Open(text);
  ASSERT_TRUE(host.ShowWizard());
  struct Row {
    const char* name;
    const char* input;
    const char* shown;
    const char* code;
  };
  const Row rows[] = {
      {"not a number", "zz", "80H", "        .equ Stack_Size, 0x80"},
      {"below MIN", "10H", "20H", "        .equ Stack_Size, 0x20"},
      {"above MAX", "0x2000", "1000H", "        .equ Stack_Size, 0x1000"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ClickValue("Stack");
    auto* edit = qobject_cast<QLineEdit*>(Tree().Editor());
    ASSERT_NE(nullptr, edit);
    edit->setText(r.input);
    QTest::keyClick(edit, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(r.shown, Tree().Rows().ValueText(RowNamed("Stack")));
    EXPECT_EQ(r.code, Line(13));
  }
}

// A key named only in a comment: the wizard says so and writes nothing,
// and the tree keeps what the file holds.
TEST_F(WizardTest, AKeyWithoutADefinitionIsNotWritten) {
  std::string text = kStartup;
  text.replace(text.find("        .equ Stack_Size, 0x80"), 29, "@ Stack_Size 0x80 bytes");
  StartupWizardHost& host = Open(text);
  ASSERT_TRUE(host.ShowWizard());
  const std::string before = m_doc->Text().GetText();
  ClickValue("Stack");
  auto* edit = qobject_cast<QLineEdit*>(Tree().Editor());
  ASSERT_NE(nullptr, edit);
  edit->setText("0x200");
  QTest::keyClick(edit, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(m_errors, std::vector<std::string>{NoDefinitionText("Stack_Size")});
  EXPECT_EQ(m_doc->Text().GetText(), before);
  EXPECT_FALSE(m_doc->IsModified());
  EXPECT_EQ("80H", Tree().Rows().ValueText(RowNamed("Stack")));
}

TEST_F(WizardTest, AReadOnlyTextKeepsItsValues) {
  StartupWizardHost& host = Open(kStartup);
  ASSERT_TRUE(host.ShowWizard());
  m_doc->Text().SetReadOnly(1);
  ClickValue("PLL");
  EXPECT_EQ(0, Tree().Rows().Row(RowNamed("PLL")).value) << "the tree shows what the text holds";
  EXPECT_EQ("        .equ PLL_SETUP, 0", Line(14));
  EXPECT_FALSE(m_doc->IsModified());
}

TEST_F(WizardTest, SavingTheDocumentSavesTheValues) {
  StartupWizardHost& host = Open(kStartup);
  ASSERT_TRUE(host.ShowWizard());
  ClickValue("PLL");
  ASSERT_TRUE(m_doc->OnSaveDocument(m_path));
  std::ifstream in(m_path, std::ios::binary);
  std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(std::string::npos, saved.find("        .equ PLL_SETUP, 1\r\n"));
  EXPECT_NE(std::string::npos, saved.find("TYPE = BOOL DEFAULT = 1 KEY"));
}

TEST_F(WizardTest, SwitchingBetweenTextAndWizard) {
  StartupWizardHost& host = Open(kStartup);
  ASSERT_TRUE(host.ShowWizard());
  ASSERT_EQ(2u, m_doc->Views().size()) << "the wizard is a second view of the document";
  QTest::mouseClick(host.Wizard()->TextEditorButton(), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_FALSE(host.ShowsWizard());
  EXPECT_EQ(1u, m_doc->Views().size());
  // The text view's context menu offers the wizard again.
  bool offered = false;
  m_ctx.startupEditorOffered = [](EditorView&) { return true; };
  m_ctx.openStartupEditor = [&](EditorView&) { offered = host.ShowWizard(); };
  QMenu menu;
  host.Panes()->ActiveView()->BuildContextMenu(menu);
  QAction* open = nullptr;
  for (QAction* a : menu.actions())
    if (a->text() == "Open in Startup Editor") open = a;
  ASSERT_NE(nullptr, open);
  open->trigger();
  EXPECT_TRUE(offered);
  EXPECT_TRUE(host.ShowsWizard());
}

// The editor window closed as the program closes it: its child frame goes
// with the host in it, and the window's owner frees the document once the
// panes are destroyed. By then no view may be left in the document: a view
// that goes later would call into a freed document.
TEST_F(WizardTest, TheWindowClosedLeavesNoViewInTheDocumentWhenThePanesGo) {
  struct Row {
    const char* name;
    bool backToText;  // the wizard went back to the text, its view not yet deleted
  };
  for (const Row& r : {Row{"the wizard showing", false}, Row{"back to the text", true}}) {
    SCOPED_TRACE(r.name);
    StartupWizardHost& host = Open(kStartup);
    ASSERT_TRUE(host.ShowWizard());
    if (r.backToText) host.ShowText();
    auto* frame = new QWidget;
    m_host.release()->setParent(frame);
    std::vector<size_t> viewsWhenThePanesWent;
    QObject::connect(host.Panes(), &QObject::destroyed, [&] {
      viewsWhenThePanesWent.push_back(m_doc->Views().size());
      m_doc.reset();
    });
    delete frame;
    EXPECT_EQ(std::vector<size_t>{0}, viewsWhenThePanesWent);
    QApplication::processEvents();
    m_doc = std::make_unique<EditorDocument>(m_env);
  }
}

TEST_F(WizardTest, TextChangedInTheTextIsReadAgain) {
  StartupWizardHost& host = Open(kStartup);
  host.ShowText();
  EditorView* v = host.Panes()->ActiveView();
  CEditTextBuffer& t = m_doc->Text();
  CEditLine* line = t.GetLine(3);
  const int at = int(line->m_text.find("0x80"));
  t.DeleteChars({line, at}, 4, true);
  t.InsertText({line, at}, "0x40", 4, true);
  v->Notify(0);
  ASSERT_TRUE(host.ShowWizard());
  EXPECT_EQ("40H", Tree().Rows().ValueText(RowNamed("Stack")));
}

TEST_F(WizardTest, ASyntaxErrorShowsItsMessageAndTheLine) {
  std::string broken = kStartup;
  broken.replace(broken.find("TYPE = DECIMAL"), 14, "TYPE = DECIMAL (");
  StartupWizardHost& host = Open(broken);
  EXPECT_FALSE(host.ShowWizard());
  EXPECT_FALSE(host.ShowsWizard());
  ASSERT_EQ(1u, m_errors.size());
  EXPECT_EQ("Syntax error in Options Block - line 7:\n\nIllegal token '('\n\nThe file '" + m_path +
                "' is left as it is.",
            m_errors[0]);
  EXPECT_EQ(7, host.Panes()->ActiveView()->Engine().State().nCaretLine) << "the caret stands on the faulty line";
}

// Seeded random damage of a good startup file: cut at any length, bytes
// overwritten with junk, a very long line, a huge number. Each opens in
// the wizard without a report, or shows boxes that name the line, what is
// wrong there and the file, and then the text; the text is never changed
// by it.
TEST_F(WizardTest, DamagedBlocksOpenOrSayWhatIsWrongWithoutChangingTheText) {
  std::mt19937 random(111);
  auto below = [&](std::size_t n) { return std::size_t(random() % (n ? n : 1)); };
  const std::string good = kStartup;
  for (int round = 0; round < 160; ++round) {
    std::string bad = good;
    switch (round % 4) {
      case 0: bad.resize(below(bad.size())); break;
      case 1:
        for (int k = 0; k < 1 + int(below(12)); ++k) bad[below(bad.size())] = char(random());
        break;
      case 2: bad.insert(below(bad.size()), std::string(20000 + below(500), '(')); break;
      default: {  // a number past any integer, somewhere in the block
        const std::size_t at = bad.find("DEFAULT = 5");
        if (at != std::string::npos) bad.insert(at + 10, std::string(20 + below(200), '9'));
        break;
      }
    }
    m_host.reset();
    m_doc = std::make_unique<EditorDocument>(m_env);
    m_errors.clear();
    StartupWizardHost& host = Open(bad);
    if (!host.Offered()) continue;
    const bool shown = host.ShowWizard();
    if (shown) {
      EXPECT_TRUE(m_errors.empty()) << "round " << round;
    } else {
      ASSERT_GE(m_errors.size(), 1u) << "round " << round;
      for (const std::string& e : m_errors) {
        EXPECT_EQ(e.rfind("Syntax error in Options Block - line ", 0), 0u) << "round " << round << ": " << e;
        EXPECT_NE(e.find("\n\nThe file '" + m_path + "' is left as it is."), std::string::npos)
            << "round " << round << ": " << e;
      }
      EXPECT_FALSE(host.ShowsWizard()) << "round " << round;
    }
    EXPECT_FALSE(m_doc->IsModified()) << "round " << round;
    std::ifstream in(m_path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bad) << "round " << round;
  }
}

TEST_F(WizardTest, AFileWithoutABlockIsNotOffered) {
  StartupWizardHost& host = Open("        .equ X, 1\r\n");
  EXPECT_FALSE(host.Offered());
  EXPECT_FALSE(host.ShowWizard());
  EXPECT_EQ(1, m_beeps);
  EXPECT_TRUE(m_errors.empty());
}

TEST_F(WizardTest, FileRowsAskForAFile) {
  StartupWizardHost& host = Open(
      "//;; PELMORA_OPTIONS_BLOCK { STYLE = EXPAND\r\n"
      "//;;   OPTION { ID = f NAME = \"Map\" TYPE = FILE DEFAULT = \"a.map\" } }\r\n");
  ASSERT_TRUE(host.ShowWizard());
  std::string asked;
  Tree().chooseFile = [&](const std::string& current) {
    asked = current;
    return std::string("b.map");
  };
  ClickValue("Map");
  EXPECT_EQ("a.map", asked);
  EXPECT_EQ("b.map", Tree().Rows().Row(RowNamed("Map")).text);
  EXPECT_NE(std::string::npos, Line(2).find("DEFAULT = \"b.map\""));
}

}  // namespace
}  // namespace pm2
