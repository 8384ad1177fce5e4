// The options sheet and its pages on the offscreen platform, driven by
// QTest: page sets in the sheet, tri-state boxes, list and number
// refusals that keep the page, live previews, Defaults, Cancel, the
// shared pages' own rules, the folder list and the Options command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "driver_abi/driver_settings_form.h"
#include "options/bank_stream.h"
#include "project/file_test_util.h"
#include "options/sheet_fixture.h"
#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/pages/arm_compiler_page.h"
#include "project/devices/device_db.h"
#include "project/dialogs/device_selection.h"
#include <QTemporaryDir>
#include "options/pages/arm_output_page.h"
#include "options/pages/arm_target_page.h"
#include "options/pages/bank_wizard_dialog.h"
#include "options/pages/debug_page.h"
#include "options/pages/family_target_page.h"
#include "options/pages/family_tool_page.h"
#include "project/model/debug_texts.h"
#include <QRadioButton>
#include "options/pages/flash_page.h"
#include "options/pages/edit_limit.h"
#include "options/pages/folder_list_dialog.h"
#include "options/pages/listing_page.h"
#include "options/pages/options_command.h"
#include "options/pages/options_sheet.h"
#include "options/pages/output_page.h"
#include "options/pages/properties_page.h"
#include "project/environment/environment.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"
#include "project/files/project_file.h"
#include "project/model/key_values.h"
#include "toolkit/controls/browse_edit.h"
#include "toolkit/controls/list_ctrl.h"
#include <fstream>
#include "toolkit/qt_test_app.h"

namespace pm2 {
namespace {

// Drivers answering from a table: path -> {family, flash capability,
// settings dialog answer}.
class FakeDrivers : public DriverCaps {
 public:
  struct Driver {
    int32_t family = 7;
    int32_t flash = 0;
    int32_t settings = 0;
    std::string newSettings;
    int32_t hasConfig = 1;
    int32_t settingsKind = kDrvSettingsDialog;  // how it offers its settings
  };
  std::map<std::string, Driver> drivers;
  std::vector<std::pair<std::string, int>> calls;
  std::string lastBuffer;  // the text a settings dialog was opened on
  // Libraries whose settings take the short record (the CPU and driver
  // DLL buttons): they answer 1 and do not read it.
  std::set<std::string> shortRecord;
  // Paths refused before anything loads, with the reason.
  std::map<std::string, std::string> refused;
  std::string Refusal(const std::string& path) override {
    auto it = refused.find(path);
    return it == refused.end() ? std::string() : it->second;
  }
  bool Call(const std::string& path, int code, void* argument, int32_t* result) override {
    calls.emplace_back(path, code);
    if (shortRecord.count(path)) {
      *result = code == kDrvCapSettingsKind ? kDrvSettingsDialog : 1;
      return true;
    }
    auto it = drivers.find(path);
    if (it == drivers.end()) return false;
    switch (code) {
      case kCapFamily: *result = it->second.family; break;
      case kCapFlash: *result = it->second.flash; break;
      case kCapHasConfig: *result = it->second.hasConfig; break;
      case kDrvCapSettingsKind: *result = it->second.settingsKind; break;
      case kCapFlashSettings:
      case kCapConfigDialog:
      case kCapSettings: {
        auto* record = static_cast<DriverSettingsRecord*>(argument);
        lastBuffer = record->buffer;
        // A text of the whole buffer's size goes in without its zero.
        const std::string& text = it->second.newSettings;
        std::memcpy(record->buffer, text.data(), std::min<std::size_t>(text.size(), record->bufferSize));
        if (text.size() < record->bufferSize) record->buffer[text.size()] = '\0';
        *result = it->second.settings;
        break;
      }
      default: *result = 0;
    }
    return true;
  }
};

class SheetTest : public test::SheetFixture {
 protected:
  SheetTest() : SheetFixture("/tmp/opts_demo.pm2") { m_drivers = &m_fakeDrivers; }
  void SetUp() override {
    SheetFixture::SetUp();
    m_text = AddFileToGroup(m_group, "notes.txt", ".\\", kFileText);
    m_lib = AddFileToGroup(m_group, "missing.lib", ".\\", kFileLibrary);
    m_env.toolsets[3] = std::make_unique<ToolsetInfo>();
    m_env.toolsets[3]->toolset = 3;
    m_env.toolsets[0] = std::make_unique<ToolsetInfo>();
  }
  QStringList TabTitles() const {
    QStringList out;
    for (int i = 0; i < m_sheet->Tabs()->count(); ++i) out << m_sheet->Tabs()->tabText(i);
    return out;
  }

  FileRec* m_text = nullptr;
  FileRec* m_lib = nullptr;
  FakeDrivers m_fakeDrivers;
};

TEST_F(SheetTest, ArmGnuTargetOpensOnItsTargetPage) {
  UseToolset(kToolsetArmGnu);
  OptionsSheet& sheet = Open(m_target);
  EXPECT_EQ(TabTitles().join("|"), "Device|Target|Output|Listing|CC|Asm|Linker|Debug|Utilities");
  EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
  EXPECT_TRUE(sheet.SelectInitialPage());
  EXPECT_EQ(sheet.CurrentPage()->Id(), PageId::kFlash);
}

TEST_F(SheetTest, PreviewFollowsEveryKeyPress) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  ASSERT_NE(page, nullptr);
  ASSERT_NE(page->Preview(), nullptr);
  EXPECT_EQ(page->PreviewText().indexOf("FROM_KEYS"), -1);
  page->Text(kArmDefine)->setFocus();
  QTest::keyClicks(page->Text(kArmDefine), "FROM_KEYS");
  EXPECT_NE(page->PreviewText().indexOf("FROM_KEYS"), -1) << page->PreviewText().toStdString();
  // Nothing reached the project, nor even the working copy, yet.
  EXPECT_EQ(m_target->pOpts->cGnu.ACDEFN.str(), "");
  EXPECT_EQ(m_session->TargetCopy()->cGnu.ACDEFN.str(), "");
}

// A long line is shown whole, scrolls, and can be selected and copied.
TEST_F(SheetTest, PreviewScrollsAndItsTextIsCopiedWhole) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  QString defines;
  for (int i = 0; i < 9; ++i) defines += QString("NAME_%1=V%1,").arg(i);  // the edit takes 128
  page->Text(kArmDefine)->setFocus();
  page->Text(kArmDefine)->setText(defines);
  QTest::keyClicks(page->Text(kArmDefine), "LASTONE");
  auto* view = qobject_cast<QPlainTextEdit*>(page->Preview());
  ASSERT_NE(view, nullptr);
  ASSERT_NE(page->PreviewText().indexOf("LASTONE"), -1);
  EXPECT_EQ(view->toPlainText(), page->PreviewText());
  view->setFixedSize(220, 60);
  QApplication::processEvents();
  EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
  EXPECT_FALSE(view->horizontalScrollBar()->isVisible());  // wrapped, not cut
  view->setFocus();
  QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), view->toPlainText());
  EXPECT_NE(QApplication::clipboard()->text().indexOf("LASTONE"), -1);
}

// The eleven tabs of a 166 target stay whole and in sight however narrow
// the sheet is asked to be: the sheet keeps the width its tabs need.
TEST_F(SheetTest, EveryTabOfThe166SheetStaysInSight) {
  UseToolset(kToolset166);
  OptionsSheet& sheet = Open(m_target);
  ASSERT_EQ(sheet.Tabs()->count(), 11);
  sheet.resize(240, sheet.height());
  QApplication::processEvents();
  QTabBar* bar = sheet.Tabs()->tabBar();
  for (int i = 0; i < bar->count(); ++i) {
    const QRect r = bar->tabRect(i);
    EXPECT_GE(r.left(), 0) << bar->tabText(i).toStdString();
    EXPECT_LE(r.right(), bar->width() - 1) << bar->tabText(i).toStdString();
    EXPECT_GT(r.width(), bar->fontMetrics().horizontalAdvance(bar->tabText(i))) << bar->tabText(i).toStdString();
  }
}

TEST_F(SheetTest, OptimisationChoiceShowsInThePreview) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  auto* combo = qobject_cast<QComboBox*>(page->Field(0));
  ASSERT_NE(combo, nullptr);
  combo->setCurrentIndex(combo->findData(6));
  EXPECT_NE(page->PreviewText().indexOf("-O3"), -1) << page->PreviewText().toStdString();
}

TEST_F(SheetTest, GroupBoxCyclesFromInheritToOffAndThePreviewFollows) {
  UseToolset(kToolsetArmGnu);
  m_target->pOpts->cGnu.ACCFLG[0] |= 0x40;  // interwork on at target level
  Open(m_group);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  auto* box = qobject_cast<QCheckBox*>(page->Field(5));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
  const QString before = page->PreviewText();
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
  EXPECT_EQ((FirstWord(page->PageCopy().cGnu.ACCFLG) >> 6) & 3, 0u);
  EXPECT_NE(page->PreviewText(), before);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
}

TEST_F(SheetTest, TargetBoxesNeverShowGrey) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  auto* box = qobject_cast<QCheckBox*>(page->Field(5));
  for (int i = 0; i < 3; ++i) {
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_NE(box->checkState(), Qt::PartiallyChecked);
  }
}

struct RefusalRow {
  const char* name;
  int field;
  const char* text;
  const char* message;
};
class ListRefusals : public SheetTest, public ::testing::WithParamInterface<RefusalRow> {};
TEST_P(ListRefusals, KeepThePageOnTheFieldAndTheBlockUnchanged) {
  UseToolset(kToolsetArmGnu);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  const OptionBlock before = *m_session->TargetCopy();
  page->Text(ArmToolText(GetParam().field))->setText(GetParam().text);
  sheet.Tabs()->setCurrentIndex(1);  // try to leave
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], GetParam().message);
  EXPECT_EQ(sheet.CurrentPage(), page);
  EXPECT_EQ(sheet.Tabs()->currentWidget(), page);
  EXPECT_EQ(m_sheet->focusWidget(), page->Text(ArmToolText(GetParam().field)));
  EXPECT_FALSE(OptionBlocksDiffer(before, *m_session->TargetCopy()));
  sheet.accept();  // OK is refused the same way
  EXPECT_EQ(m_refusals.size(), 2u);
  EXPECT_EQ(sheet.result(), 0);
}
const RefusalRow kRefusalRows[] = {
    {"DefineWithoutValue", 0, "A=", "Syntax error in 'Define'"},
    {"DefineSemicolon", 0, "A;B", "Syntax error in 'Define'"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ListRefusals, ::testing::ValuesIn(kRefusalRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, AcceptedListsReachTheWorkingCopyWhenThePageIsLeft) {
  UseToolset(kToolsetArmGnu);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  page->Text(kArmDefine)->setText(" A, B=1 ");
  page->Text(kArmInclude)->setText("inc;lib");
  sheet.Tabs()->setCurrentIndex(1);
  EXPECT_TRUE(m_refusals.empty());
  EXPECT_EQ(m_session->TargetCopy()->cGnu.ACDEFN.str(), "A, B=1");
  EXPECT_EQ(m_session->TargetCopy()->cGnu.ACINCD.str(), "inc;lib");
  EXPECT_EQ(m_target->pOpts->cGnu.ACDEFN.str(), "");
}

struct ClockRow {
  const char* name;
  const char* text;
  const char* refusal;
  uint32_t hz;
};
class ClockEdits : public SheetTest, public ::testing::WithParamInterface<ClockRow> {};
TEST_P(ClockEdits, StoredRoundedOrRefused) {
  UseToolset(kToolsetArmGnu);
  m_target->pOpts->tGnu.clock = 12000000;
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<ArmTargetPage>(PageId::kArmGnuTarget);
  EXPECT_EQ(page->Clock()->text(), "12.0");
  page->Clock()->setText(GetParam().text);
  sheet.accept();
  if (*GetParam().refusal) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], GetParam().refusal);
    EXPECT_EQ(m_session->TargetCopy()->tGnu.clock, 12000000u);
  } else {
    EXPECT_TRUE(m_refusals.empty());
    EXPECT_EQ(m_session->TargetCopy()->tGnu.clock, GetParam().hz);
  }
}
const ClockRow kClockEditRows[] = {
    {"RoundedNotTruncated", "1.001", "", 1001000},
    {"EmptyKeepsTheClock", "  ", "", 12000000},
    {"WithAUnit", "12 MHz", "Illegal Clock frequency value", 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, ClockEdits, ::testing::ValuesIn(kClockEditRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, EnterAndEscapeInAPageCloseNothing) {
  UseToolset(kToolsetArmGnu);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  page->Text(kArmDefine)->setFocus();
  QTest::keyClick(page->Text(kArmDefine), Qt::Key_Return);
  QTest::keyClick(page->Text(kArmDefine), Qt::Key_Escape);
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_EQ(sheet.result(), 0);
}

// Outside an edit field Escape is Cancel, as in any dialog.
TEST_F(SheetTest, EscapeOutsideAnEditFieldCancelsTheSheet) {
  UseToolset(kToolsetArmGnu);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  QCheckBox* box = page->findChild<QCheckBox*>();
  ASSERT_NE(box, nullptr);
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Escape);
  EXPECT_FALSE(sheet.isVisible());
  EXPECT_EQ(sheet.result(), QDialog::Rejected);
}

TEST_F(SheetTest, DefaultsOnAFileCompilerPageInheritEverythingAndCancelKeepsTheProject) {
  UseToolset(kToolsetArmGnu);
  OptionBlock* own = CloneOptionBlock(m_file, m_target->pOpts);
  MakeNodeLevelBlock(*own, m_target, kKindFile);
  own->owner = m_target;
  own->cGnu.ACDEFN = OptString::Pooled("FILE_DEF", kPoolProject);
  SetFirstWord(own->cGnu.ACCFLG, FirstWord(own->cGnu.ACCFLG) & ~0xC0u);  // interwork off
  OptionsSheet& sheet = Open(m_file);
  EXPECT_EQ(TabTitles().join("|"), "Properties|CC");
  auto* page = Go<ArmToolPage>(PageId::kArmGnuCompiler);
  EXPECT_EQ(page->Text(kArmDefine)->text(), "FILE_DEF");
  sheet.DefaultsButton()->click();
  EXPECT_EQ(page->Text(kArmDefine)->text(), "");
  EXPECT_EQ(qobject_cast<QCheckBox*>(page->Field(5))->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(qobject_cast<QComboBox*>(page->Field(0))->currentText(), "<default>");
  m_session->Rollback();
  EXPECT_EQ(own->cGnu.ACDEFN.str(), "FILE_DEF");
}

TEST_F(SheetTest, ChangingATextFileToCAddsTheCompilerPage) {
  UseToolset(kToolsetArmGnu);
  OptionsSheet& sheet = Open(m_text);
  EXPECT_EQ(TabTitles().join("|"), "Properties");
  auto* page = Go<PropertiesPage>(PageId::kProperties);
  page->FileType()->setCurrentIndex(page->FileType()->findData(int(kFileC)));
  EXPECT_EQ(TabTitles().join("|"), "Properties|CC");
  EXPECT_EQ(m_text->type, kFileC);
  EXPECT_EQ(sheet.CurrentPage(), page);
  m_session->Rollback();
  EXPECT_EQ(m_text->type, kFileText);
}

struct TypeRow {
  const char* name;
  uint8_t type;
  std::vector<int> enabledBoxes;  // include, always, gen asm, asm asm, publics
};
class PropertyEnables : public SheetTest, public ::testing::WithParamInterface<TypeRow> {};
TEST_P(PropertyEnables, ByFileType) {
  UseToolset(kToolsetArmGnu);
  m_file->type = GetParam().type;
  Open(m_file);
  auto* page = Go<PropertiesPage>(PageId::kProperties);
  for (int i = 0; i < 5; ++i) {
    const bool expected = std::find(GetParam().enabledBoxes.begin(), GetParam().enabledBoxes.end(), i) !=
                          GetParam().enabledBoxes.end();
    EXPECT_EQ(page->PropBox(i)->isEnabled(), expected) << i;
  }
}
const TypeRow kTypeRows[] = {
    {"ObjectFile", kFileObject, {0, 4}},
    {"CSource", kFileC, {0, 1, 2, 3, 4}},
    {"AssemblerSource", kFileAsm, {0, 1, 4}},
    {"TextDocument", kFileText, {}},
    {"CustomFileLinksPublicsOnly", kFileCustom, {0, 1, 4}},
};
INSTANTIATE_TEST_SUITE_P(Rows, PropertyEnables, ::testing::ValuesIn(kTypeRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, FailedLibraryReadKeepsTheChosenModules) {
  UseToolset(kToolset51);
  OptionBlock* own = CloneOptionBlock(m_lib, m_target->pOpts);
  MakeNodeLevelBlock(*own, m_target, kKindFile);
  own->owner = m_target;
  own->prop.LIBMODS = OptString::Pooled("MAIN,UTIL", kPoolProject);
  OptionsSheet& sheet = Open(m_lib);
  ASSERT_FALSE(m_refusals.empty());
  EXPECT_EQ(m_refusals[0], "can't open library");
  sheet.accept();
  EXPECT_EQ(m_session->NodeCopy()->prop.LIBMODS.str(), "MAIN,UTIL");
}

TEST_F(SheetTest, BankComboOfABanked51Target) {
  UseToolset(kToolset51);
  m_target->pOpts->t51.T51FL |= 0x2000;
  m_target->pOpts->t51.CBANKS5 = 2;  // 8 banks
  OptionsSheet& sheet = Open(m_file);
  auto* page = Go<PropertiesPage>(PageId::kProperties);
  ASSERT_EQ(page->Bank()->count(), 10);
  EXPECT_EQ(page->Bank()->itemText(1), "Bank #0");
  EXPECT_EQ(page->Bank()->itemText(8), "Bank #7");
  EXPECT_EQ(page->Bank()->currentText(), "<default>");
  sheet.accept();
  EXPECT_EQ(m_session->NodeCopy()->prop.BANKNO, kNoBank);
}

// The EC++ choice of a 166 group is its own (two states); a C file may
// leave it to its group (three).
TEST_F(SheetTest, EcppBoxHasThreeStatesOnlyForAFile) {
  UseToolset(kToolset166);
  ASSERT_NE(m_file, nullptr);
  m_file->type = kFileC;
  for (NodeRec* node : {static_cast<NodeRec*>(m_group), static_cast<NodeRec*>(m_file)}) {
    SCOPED_TRACE(node == m_file ? "file" : "group");
    Open(node);
    auto* page = Go<PropertiesPage>(PageId::kProperties);
    QCheckBox* box = page->EcppBox();
    ASSERT_FALSE(box->isHidden());
    box->setCheckState(Qt::Unchecked);
    std::vector<uint32_t> seen;
    for (int i = 0; i < 3; ++i) {
      QTest::mouseClick(box, Qt::LeftButton);
      seen.push_back(page->Record().PROPFLD[0] & 3u);
    }
    const std::vector<uint32_t> expected = node == m_file ? std::vector<uint32_t>{1, 2, 0} : std::vector<uint32_t>{1, 0, 1};
    EXPECT_EQ(seen, expected);
  }
}

// A file-type change reloads the page for the new type: what was chosen
// on the page before stays.
TEST_F(SheetTest, AFileTypeChangeKeepsThePagesEdits) {
  UseToolset(kToolset51);
  m_target->pOpts->t51.T51FL |= 0x2000;
  m_target->pOpts->t51.CBANKS5 = 1;  // 4 banks
  FileRec* custom = AddFileToGroup(m_group, "gen.bat", ".\\", kFileCustom);
  OptionsSheet& sheet = Open(custom);
  auto* page = Go<PropertiesPage>(PageId::kProperties);
  page->Bank()->setCurrentIndex(page->Bank()->findText("Bank #1"));
  page->StopCode()->setCurrentIndex(5);
  page->PropBox(1)->setCheckState(Qt::Checked);  // always build
  page->CustomArgs()->setText("arg1 $P");
  page->FileType()->setCurrentIndex(page->FileType()->findText("C Source file"));
  EXPECT_EQ(custom->type, kFileC);
  EXPECT_EQ(page->Bank()->currentText(), "Bank #1");
  EXPECT_EQ(page->StopCode()->currentIndex(), 5);
  EXPECT_EQ(page->PropBox(1)->checkState(), Qt::Checked);
  sheet.accept();
  ASSERT_TRUE(m_refusals.empty());
  const BuildPropOpts& prop = m_session->NodeCopy()->prop;
  EXPECT_EQ(prop.BANKNO, 2);
  EXPECT_EQ(prop.STOPCODE, 5);
  EXPECT_EQ(prop.CUSTARGS.str(), "arg1 $P");
  EXPECT_EQ(GetTriField(uint16_t(FlagWord(prop.flags)), 2), 1u);
}

// A page that refuses to be left stays in sight behind its message, with
// its tab current; the clicked tab's page is not shown (nor loaded).
TEST_F(SheetTest, ARefusingPageStaysInSightBehindItsMessage) {
  UseToolset(kToolset166);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<OutputPage>(PageId::kOutput);
  page->Name()->setText("");
  const int outputTab = sheet.Tabs()->currentIndex();
  sheet.Tabs()->setCurrentIndex(outputTab + 1);
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusalPages[0], page);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), outputTab);
  EXPECT_EQ(sheet.CurrentPage(), page);
  EXPECT_FALSE(sheet.Page(outputTab + 1)->Active());
  // Corrected, the click goes through.
  page->Name()->setText("app");
  sheet.Tabs()->setCurrentIndex(outputTab + 1);
  EXPECT_EQ(sheet.Tabs()->currentIndex(), outputTab + 1);
  EXPECT_TRUE(sheet.Page(outputTab + 1)->Active());
}

// A picked folder is stored in brackets too: one whose name the project
// file could not give back is refused at the pick, naming the field, and
// the folder stays as it was.
struct FolderPickRow {
  const char* name;
  uint16_t toolset;
  PageId page;
  const char* chosen;  // what the folder question answers
  const char* field;   // "" when the folder is taken
};
class FolderPicks : public SheetTest, public ::testing::WithParamInterface<FolderPickRow> {};
TEST_P(FolderPicks, RefusedAtThePickOrStored) {
  const FolderPickRow& r = GetParam();
  UseToolset(r.toolset);
  OptionsSheet& sheet = Open(m_target);
  OptionPage* page = sheet.FindPage(r.page);
  ASSERT_NE(page, nullptr);
  for (int i = 0; i < sheet.PageCount(); ++i)
    if (sheet.Page(i) == page) sheet.Tabs()->setCurrentIndex(i);
  QPushButton* pick = nullptr;
  for (QPushButton* b : page->findChildren<QPushButton*>())
    if (b->text().startsWith("Select Folder")) pick = b;
  ASSERT_NE(pick, nullptr);
  const bool listing = r.page == PageId::kListing || r.page == PageId::kArmGnuListing;
  auto stored = [&] { return (listing ? m_session->TargetCopy()->lst.LSTDIR : m_session->TargetCopy()->out.OUTDIR).str(); };
  const std::string before = stored();
  m_chosen = r.chosen;
  pick->click();
  sheet.accept();
  if (*r.field) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0].rfind(std::string("The text of '") + r.field + "' cannot be stored: it holds", 0), 0u)
        << m_refusals[0];
    EXPECT_EQ(stored(), before);
  } else {
    EXPECT_TRUE(m_refusals.empty());
    EXPECT_EQ(stored(), sheet.StoredPath(r.chosen));
  }
}
const FolderPickRow kFolderPickRows[] = {
    {"OutputTaken", kToolset166, PageId::kOutput, "/tmp/Obj (1)/", ""},
    {"OutputUnbalanced", kToolset166, PageId::kOutput, "/tmp/Obj(1/", "Folder for Objects"},
    {"ArmOutputUnbalanced", kToolsetArmGnu, PageId::kArmGnuOutput, "/tmp/a)b/", "Folder for Objects"},
    {"ListingAngle", kToolset51, PageId::kListing, "/tmp/a>b/", "Folder for List Files"},
    {"ArmListingUnbalanced", kToolsetArmGnu, PageId::kArmGnuListing, "/tmp/(x/", "Folder for List Files"},
};
INSTANTIATE_TEST_SUITE_P(Rows, FolderPicks, ::testing::ValuesIn(kFolderPickRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The labels of start, end, fill byte and offset go and come with their
// edits.
struct RangeLabelRow {
  const char* name;
  uint16_t toolset;
  bool shown[4];  // start, end, fill byte, offset
};
class RangeLabels : public SheetTest, public ::testing::WithParamInterface<RangeLabelRow> {};
TEST_P(RangeLabels, HiddenWithTheirEdits) {
  UseToolset(GetParam().toolset);
  m_target->pOpts->out.HEXSEL = 1;
  Open(m_target);
  auto* page = Go<OutputPage>(PageId::kOutput);
  QLineEdit* edits[] = {page->Start(), page->End(), page->Fill(), page->Offset()};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(page->RangeLabel(i)->isVisibleTo(page), GetParam().shown[i]);
    EXPECT_EQ(edits[i]->isVisibleTo(page), GetParam().shown[i]);
  }
}
const RangeLabelRow kRangeLabelRows[] = {
    {"Family51", kToolset51, {false, false, false, false}},
    {"Family251", kToolset251, {true, true, false, true}},
    {"Family166", kToolset166, {true, true, true, true}},
};
INSTANTIATE_TEST_SUITE_P(Rows, RangeLabels, ::testing::ValuesIn(kRangeLabelRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The Utilities page names the DLL the debug session will load: the one of
// the side the Debug page chose.
TEST_F(SheetTest, CpuDllIsTheDriverTheSessionLoads) {
  UseToolset(kToolset166);
  DebugOpts& d = m_target->pOpts->dbg;
  d.str[kDbgSimDll] = OptString::Pooled("Sim166.DLL", kPoolProject);
  d.str[kDbgTargetDll] = OptString::Pooled("Monitor166.DLL", kPoolProject);
  d.flags = (d.flags & ~3u) | 1u;
  OptionsSheet& sheet = Open(m_target);
  auto* flash = Go<FlashPage>(PageId::kFlash);
  EXPECT_EQ(flash->CpuDll()->text(), "Cpu Dll:  Sim166.DLL");
  auto* debug = Go<DebugPage>(PageId::kDebug);
  debug->findChildren<QRadioButton*>()[1]->click();  // "Use:" the target driver
  flash = Go<FlashPage>(PageId::kFlash);
  EXPECT_EQ(flash->CpuDll()->text(), "Cpu Dll:  Monitor166.DLL");
  (void)sheet;
}

// A device's controls put in front of a long Misc Controls text (the
// architecture's MOD167) leave the user's words whole through the page.
TEST_F(SheetTest, ALongMiscControlsTextIsNotCutByItsEdit) {
  UseToolset(kToolset166);
  OptionBlock& b = *m_target->pOpts;
  const std::string words = "NOFIXDPP " + std::string(118, 'W');
  b.q166.CMISC = OptString::Pooled(words, kPoolProject);
  b.t166.flags.MOD167 = 1;
  SyncArchitectureControls(b, kToolset166);
  const std::string stored = b.q166.CMISC.str();
  ASSERT_GT(stored.size(), 128u);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kCompiler166);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->TextOf(page->Find("&Misc Controls:")), stored);
  sheet.accept();
  ASSERT_TRUE(m_refusals.empty());
  EXPECT_EQ(m_session->TargetCopy()->q166.CMISC.str(), stored);
}

// The code-banking wizard's messages carry their own titles in the
// running sheet.
TEST_F(SheetTest, BankWizardMessagesKeepTheirTitles) {
  UseToolset(kToolset51);
  m_target->pOpts->t51.T51FL |= 0x2000;
  m_runDialog = [](QDialog& dialog) {
    auto& wizard = static_cast<BankWizardDialog&>(dialog);
    wizard.CommonSize()->setText("zz");
    wizard.ReadCommonSize();
    wizard.CommonSize()->setText("0x10000");
    wizard.ReadCommonSize();
    return int(QDialog::Rejected);
  };
  Open(m_target);
  auto* page = Go<Target51Page>(PageId::kTarget51);
  QPushButton* manage = nullptr;
  for (QPushButton* b : page->findChildren<QPushButton*>())
    if (b->text() == "Manage...") manage = b;
  ASSERT_NE(manage, nullptr);
  manage->setEnabled(true);
  manage->click();
  std::vector<std::string> titles;
  for (const std::string& m : m_messages) titles.push_back(m.substr(0, m.find('|')));
  EXPECT_EQ(titles, (std::vector<std::string>{"Code Banking Wizard", "Invalid number", "Out of range"}));
}

// The bank choice of a group or file follows the target's code banking:
// the 51 tool word's bit 0x2000, the 251 target's banking flag.
struct BankRow {
  const char* name;
  uint16_t toolset;
  bool banking;
  bool group;
  int rows;  // 0: disabled and empty
  const char* current;
};
class BankChoice : public SheetTest, public ::testing::WithParamInterface<BankRow> {};
TEST_P(BankChoice, FollowsTheTargetsBanking) {
  const BankRow& r = GetParam();
  UseToolset(r.toolset);
  OptionBlock& t = *m_target->pOpts;
  if (r.toolset == kToolset51) {
    t.t51.T51FL = r.banking ? t.t51.T51FL | 0x2000 : t.t51.T51FL & ~0x2000u;
    t.t51.CBANKS5 = 1;  // 4 banks
  } else {
    t.t251.T251FL = r.banking ? t.t251.T251FL | 0x80 : t.t251.T251FL & ~0x80u;
    t.t251.CBANKS2 = 1;
  }
  Open(r.group ? static_cast<NodeRec*>(m_group) : m_file);
  auto* page = Go<PropertiesPage>(PageId::kProperties);
  EXPECT_EQ(page->Bank()->isEnabled(), r.rows > 0);
  ASSERT_EQ(page->Bank()->count(), r.rows);
  if (r.rows) {
    EXPECT_EQ(page->Bank()->itemText(1), "Bank #0");
    EXPECT_EQ(page->Bank()->itemText(4), "Bank #3");
    EXPECT_EQ(page->Bank()->currentText(), r.current);
  }
}
const BankRow kBankRows[] = {
    {"Banked51File", kToolset51, true, false, 6, "<default>"},
    {"Banked251File", kToolset251, true, false, 6, "<default>"},
    {"Banked251Group", kToolset251, true, true, 5, "Common"},
    {"Unbanked251File", kToolset251, false, false, 0, ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, BankChoice, ::testing::ValuesIn(kBankRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Alt with a caption's marked letter works the control; a '&' of the
// output folder is shown as it stands and marks no key.
struct CaptionKeyRow {
  const char* name;
  PageId page;
  Qt::Key key;
  int control;  // 0 the executable button, 1 the library button; else the listing bit's box (100 + bit)
  bool works;
};
class CaptionKeys : public SheetTest, public ::testing::WithParamInterface<CaptionKeyRow> {};
TEST_P(CaptionKeys, WorkTheirControl) {
  const CaptionKeyRow& r = GetParam();
  UseToolset(kToolset166);
  OptionBlock& o = *m_target->pOpts;
  o.out.flags.GENAPP = r.control == 1;  // the button starts unchosen
  o.out.flags.GENLIB = r.control != 1;
  o.out.OUTDIR = OptString::Pooled("a&b/", kPoolProject);
  o.lst.listFlags = 0;
  OptionsSheet& sheet = Open(m_target);
  sheet.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
  QAbstractButton* control = nullptr;
  if (r.page == PageId::kOutput) {
    auto* page = Go<OutputPage>(r.page);
    control = r.control == 0 ? static_cast<QAbstractButton*>(page->Executable()) : page->Library();
  } else {
    control = Go<ListingPage>(r.page)->BitBox(r.control - 100);
  }
  const bool before = control->isChecked();
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &sheet, r.key, Qt::AltModifier);
  // A key-marked button is pressed at once and clicked when it comes up.
  EXPECT_EQ(control->isDown(), r.works);
  if (r.works) {
    ASSERT_TRUE(QTest::qWaitFor([control] { return !control->isDown(); }));
  }
  EXPECT_EQ(control->isChecked() != before, r.works);
  // A key no caption marks moves the focus to no button (two buttons
  // marking the same key would take it without a click).
  if (!r.works) {
    EXPECT_EQ(qobject_cast<QAbstractButton*>(QApplication::focusWidget()), nullptr);
  }
}
const CaptionKeyRow kKeyRows[] = {
    {"AltEPicksTheExecutable", PageId::kOutput, Qt::Key_E, 0, true},
    {"FolderAmpersandMarksNoKey", PageId::kOutput, Qt::Key_B, 1, false},
    {"AltCSwitchesTheCompilerListing", PageId::kListing, Qt::Key_C, 100, true},
    {"AltASwitchesTheAssemblerListing", PageId::kListing, Qt::Key_A, 101, true},
    {"AltISwitchesTheLinkerListing", PageId::kListing, Qt::Key_I, 102, true},
};
INSTANTIATE_TEST_SUITE_P(Rows, CaptionKeys, ::testing::ValuesIn(kKeyRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Both ARM output pages have "Create Batch File", which sets the bit the
// build writes its batch file by.
TEST_F(SheetTest, ArmOutputPagesSetTheBatchFileBit) {
  for (uint16_t toolset : {kToolsetArmGnu, kToolsetArmAds}) {
    SCOPED_TRACE(toolset);
    UseToolset(toolset);
    m_target->pOpts->out.TGMORE = 0;
    Open(m_target);
    auto* page = Go<ArmOutputPage>(toolset == kToolsetArmGnu ? PageId::kArmGnuOutput : PageId::kArmAdsOutput);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->BatchBox()->isVisibleTo(page));
    EXPECT_FALSE(page->BatchBox()->isChecked());
    page->BatchBox()->click();
    EXPECT_EQ(m_session->TargetCopy()->out.TGMORE & 1u, 1u);
  }
}

TEST_F(SheetTest, OutputPageRefusesAnEmptyName) {
  UseToolset(kToolset166);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<OutputPage>(PageId::kOutput);
  page->Name()->setText("   ");
  sheet.accept();
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "Bad or missing Name of Executable !");
  EXPECT_EQ(m_sheet->focusWidget(), page->Name());
}

struct HexRow {
  const char* name;
  uint16_t toolset;
  uint32_t x51;
  const char* start;
  const char* end;
  bool accepted;
};
class HexRanges : public SheetTest, public ::testing::WithParamInterface<HexRow> {};
TEST_P(HexRanges, CheckedOnlyWhenAHexFileIsBuilt) {
  UseToolset(GetParam().toolset, GetParam().x51);
  m_target->pOpts->out.flags.GENAPP = 1;
  m_target->pOpts->out.flags.GENHEX = 1;
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<OutputPage>(PageId::kOutput);
  page->Start()->setText(GetParam().start);
  page->End()->setText(GetParam().end);
  const OptionBlock before = *m_session->TargetCopy();
  sheet.accept();
  EXPECT_EQ(m_refusals.empty(), GetParam().accepted);
  if (!GetParam().accepted) {
    EXPECT_EQ(m_refusals[0], "Invalid or out of range number !");
    EXPECT_FALSE(OptionBlocksDiffer(before, *m_session->TargetCopy()));  // the block keeps its values
    // The failing field shows 0 behind the message; the other keeps its text.
    QLineEdit* failing = m_sheet->focusWidget() == page->End() ? page->End() : page->Start();
    QLineEdit* other = failing == page->End() ? page->Start() : page->End();
    EXPECT_EQ(m_sheet->focusWidget(), failing);
    EXPECT_EQ(failing->text(), "0");
    EXPECT_EQ(other->text(), failing == page->End() ? GetParam().start : GetParam().end);
  }
}
const HexRow kHexRows[] = {
    {"Range166", 2, 0, "0x100", "0xFFFF", true},
    {"Start166TooHigh", 2, 0, "0x1000000", "0x1000001", false},
    {"OnlyOneGiven", 2, 0, "0x100", "", false},
    {"Negative", 1, 0, "-1", "10", false},
};
INSTANTIATE_TEST_SUITE_P(Rows, HexRanges, ::testing::ValuesIn(kHexRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct MergeRow {
  const char* name;
  uint8_t hexsel;
  uint32_t bankedStart, bankedEnd;  // as the target page stores the bank area
  bool enabled;
};
class MergeBox : public SheetTest, public ::testing::WithParamInterface<MergeRow> {};
TEST_P(MergeBox, NeedsTheSecondFormatAndTheUpperBankedHalf) {
  UseToolset(kToolset51, 0x8000 | 0x2000);
  m_target->pOpts->out.HEXSEL = GetParam().hexsel;
  m_target->pOpts->t51.RCB51 = {0, GetParam().bankedStart, GetParam().bankedEnd};
  Open(m_target);
  auto* page = Go<OutputPage>(PageId::kOutput);
  QCheckBox* merge = nullptr;
  for (QCheckBox* b : page->findChildren<QCheckBox*>())
    if (b->text().startsWith("Merge")) merge = b;
  ASSERT_NE(merge, nullptr);
  EXPECT_EQ(merge->isEnabled(), GetParam().enabled);
}
const MergeRow kMergeRows[] = {
    {"UpperHalfSecondFormat", 1, 0x8000, 0xFFFF, true},
    {"UpperHalfEndTypedAs10000", 1, 0x8000, 0x10000, true},
    {"FirstFormat", 0, 0x8000, 0xFFFF, false},
    {"OtherArea", 1, 0x4000, 0xFFFF, false},
    {"AreaEndingBelowTheTop", 1, 0x8000, 0xBFFF, false},
};
INSTANTIATE_TEST_SUITE_P(Rows, MergeBox, ::testing::ValuesIn(kMergeRows),
                         [](const auto& info) { return std::string(info.param.name); });

// What a family's output page hides is kept as the project stores it when
// the page is left.
struct HiddenHexRow {
  const char* name;
  uint16_t toolset;
  uint8_t hexsel;
};
class HiddenHexFields : public SheetTest, public ::testing::WithParamInterface<HiddenHexRow> {};
TEST_P(HiddenHexFields, KeepTheirStoredValues) {
  UseToolset(GetParam().toolset);
  OptionBlock& o = *m_target->pOpts;
  o.out.flags.GENAPP = 1;
  o.out.flags.GENHEX = 1;
  o.out.HEXSEL = GetParam().hexsel;
  o.out.outWord2 = 0x55;
  o.out.outSpare[kHexStartWord] = 0x100;
  o.out.outSpare[kHexEndWord] = 0x200;
  o.out.outSpare[kHexOffsetWord] = 0x40;
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<OutputPage>(PageId::kOutput);
  ASSERT_TRUE(page->Offset()->isHidden());
  sheet.accept();
  ASSERT_TRUE(m_refusals.empty());
  const OptionBlock& b = *m_session->TargetCopy();
  if (page->Fill()->isHidden()) {
    EXPECT_EQ(b.out.outWord2, 0x55);
  }
  if (page->Start()->isHidden()) {
    EXPECT_EQ(b.out.outSpare[kHexStartWord], 0x100u);
    EXPECT_EQ(b.out.outSpare[kHexEndWord], 0x200u);
  }
  EXPECT_EQ(b.out.outSpare[kHexOffsetWord], 0x40u);
}
const HiddenHexRow kHiddenHexRows[] = {
    {"Family51HidesRangeFillAndOffset", 0, 0},
    {"Family251FirstFormatHidesFillAndOffset", 1, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, HiddenHexFields, ::testing::ValuesIn(kHiddenHexRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, NegativeOffsetIsStoredSignedAndShownAgain) {
  UseToolset(kToolset166);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<OutputPage>(PageId::kOutput);
  page->Offset()->setText("-0x10");
  sheet.Tabs()->setCurrentIndex(1);
  EXPECT_EQ(int32_t(m_session->TargetCopy()->out.outSpare[kHexOffsetWord]), -16);
  Go<OutputPage>(PageId::kOutput);
  EXPECT_EQ(page->Offset()->text(), "-0x0010");
}

struct ListingRow {
  const char* name;
  const char* width;
  const char* length;
  const char* tab;
  const char* message;  // "" accepted
};
class ListingChecks : public SheetTest, public ::testing::WithParamInterface<ListingRow> {};
TEST_P(ListingChecks, InOrder) {
  UseToolset(kToolset251);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<ListingPage>(PageId::kListing);
  page->PageWidth()->setText(GetParam().width);
  page->PageLength()->setText(GetParam().length);
  page->TabSpace()->setText(GetParam().tab);
  sheet.accept();
  if (*GetParam().message) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], GetParam().message);
  } else {
    EXPECT_TRUE(m_refusals.empty());
    EXPECT_EQ(m_session->TargetCopy()->lst.pageWidth, 100);
  }
}
const ListingRow kListingRows[] = {
    {"Accepted", "100", "60", "8", ""},
    {"WidthSeventyTwo", "72", "60", "8", "Invalid Pagewidth"},
    {"LengthTooShort", "100", "17", "8", "Invalid Pagelength"},
    {"TabMissing", "100", "60", "", "Bad or missing 'Tab space'"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ListingChecks, ::testing::ValuesIn(kListingRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The up-down controls of the three numbers step within their ranges.
struct SpinRow {
  const char* name;
  uint32_t t51;   // extended tools raise the page width's lower end
  int spin;       // 0 width, 1 length, 2 tab space
  const char* before;
  Qt::Key key;
  const char* after;
};
class ListingSpins : public SheetTest, public ::testing::WithParamInterface<SpinRow> {};
TEST_P(ListingSpins, StepWithinTheirRange) {
  const SpinRow& r = GetParam();
  UseToolset(kToolset51, r.t51);
  Open(m_target);
  auto* page = Go<ListingPage>(PageId::kListing);
  UpDownEdit* spin = page->Spin(r.spin);
  spin->Edit()->setText(r.before);
  spin->setFocus();
  QTest::keyClick(spin, r.key);
  EXPECT_EQ(spin->Edit()->text(), r.after);
}
const SpinRow kSpinRows[] = {
    {"WidthUp", 0, 0, "120", Qt::Key_Up, "121"},
    {"WidthStopsAtTheTop", 0, 0, "132", Qt::Key_Up, "132"},
    {"WidthDownToPlainLowerEnd", 0, 0, "73", Qt::Key_Down, "72"},
    {"WidthOfAnExtendedTargetStopsAt79", 0x8000, 0, "79", Qt::Key_Down, "79"},
    {"LengthDown", 0, 1, "65", Qt::Key_Down, "64"},
    {"LengthStopsAtTheBottom", 0, 1, "18", Qt::Key_Down, "18"},
    {"TabUp", 0, 2, "8", Qt::Key_Up, "9"},
    {"TabStopsAt16", 0, 2, "16", Qt::Key_Up, "16"},
    {"EmptyTabStartsAtTheBottom", 0, 2, "", Qt::Key_Up, "1"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ListingSpins, ::testing::ValuesIn(kSpinRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, TabSpaceSteppedUpIsStored) {
  UseToolset(kToolset166);
  Open(m_target);
  auto* page = Go<ListingPage>(PageId::kListing);
  page->TabSpace()->setText("8");
  page->Spin(2)->setFocus();
  QTest::keyClick(page->Spin(2), Qt::Key_Up);
  EXPECT_EQ(m_session->TargetCopy()->lst.lstByte, 9);
}

// The linker's code listing of an extended 51 target follows the
// compiler's code packing (the 2-bit field at bits 26-27 of its word).
TEST_F(SheetTest, CodeListingBoxFollowsTheCompilersCodePacking) {
  for (uint32_t packing : {0u, 1u}) {
    SCOPED_TRACE(packing);
    UseToolset(kToolset51, 0x8000);
    m_target->pOpts->q51.Q51FL = SetBitField(m_target->pOpts->q51.Q51FL, 26, 2, packing);
    Open(m_target);
    auto* page = Go<ListingPage>(PageId::kListing);
    EXPECT_TRUE(page->BitBox(19)->isVisibleTo(page));
    EXPECT_EQ(page->BitBox(19)->isEnabled(), packing != 0);
  }
}

// Defaults resets the listing options and keeps the target's other keys.
TEST_F(SheetTest, ListingDefaultsKeepTheBankingWizardsKey) {
  UseToolset(kToolset51);
  OptionBlock& t = *m_target->pOpts;
  t.lst.OPTKUS = SetKeyValue(t.lst.OPTKUS, "NSZCOM", "0x8000", kPoolProject);
  const uint32_t defaults = t.lst.listFlags;
  t.lst.listFlags ^= 0x7;
  t.lst.pageWidth = 100;
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<ListingPage>(PageId::kListing);
  sheet.DefaultsButton()->click();
  EXPECT_EQ(m_session->TargetCopy()->lst.listFlags, defaults);
  EXPECT_EQ(page->PageWidth()->text(), "120");
  EXPECT_EQ(GetKeyValue(m_session->TargetCopy()->lst.OPTKUS, "NSZCOM"), "0x8000");
}

TEST_F(SheetTest, ListingContentBoxesFollowTheirListing) {
  UseToolset(kToolset166);
  m_target->pOpts->lst.listFlags = 1u << 7;  // compiler conditionals on, C listing off
  Open(m_target);
  auto* page = Go<ListingPage>(PageId::kListing);
  EXPECT_FALSE(page->BitBox(7)->isEnabled());
  EXPECT_TRUE(page->BitBox(7)->isChecked());
  page->BitBox(0)->click();
  EXPECT_TRUE(page->BitBox(7)->isEnabled());
}

// The linker's listing controls are its control file's while one is used;
// given up (on the linker's page), they come back when the page is shown
// again.
TEST_F(SheetTest, LinkerListingControlsReturnWithoutAControlFile) {
  UseToolset(kToolset51, kX51ExtendedLinker);
  m_target->pOpts->n51.NX51FL |= 1;
  m_target->pOpts->lst.listFlags |= 1u << 2;
  Open(m_target);
  auto* page = Go<ListingPage>(PageId::kListing);
  for (int bit : {2, 11, 18}) EXPECT_FALSE(page->BitBox(bit)->isEnabled()) << bit;
  Go<DebugPage>(PageId::kDebug);
  m_session->TargetCopy()->n51.NX51FL &= ~1u;
  Go<ListingPage>(PageId::kListing);
  for (int bit : {2, 11, 18}) EXPECT_TRUE(page->BitBox(bit)->isEnabled()) << bit;
}

TEST_F(SheetTest, DebugPageListsTheEnvironmentsDrivers) {
  UseToolset(kToolsetArmGnu);
  for (int i = 0; i < 45; ++i) m_env.toolsets[3]->targetDrivers.push_back({"d" + std::to_string(i) + ".dll", i == 1 ? "" : "Driver"});
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  EXPECT_EQ(page->Drivers()->count(), 40);
  EXPECT_EQ(page->Drivers()->itemText(1), "<untitled>");
}

struct DriverRow {
  const char* name;
  uint16_t toolset;
  int32_t family;
  bool loads;
  const char* refusal;
};
class DriverSettings : public SheetTest, public ::testing::WithParamInterface<DriverRow> {};
TEST_P(DriverSettings, FamilyIsCheckedFirst) {
  UseToolset(GetParam().toolset);
  m_env.toolsets[GetParam().toolset] = std::make_unique<ToolsetInfo>();
  m_env.toolsets[GetParam().toolset]->toolsFolder = "/tools/";
  m_env.toolsets[GetParam().toolset]->targetDrivers.push_back({"drv.dll", "A driver"});
  if (GetParam().loads) m_fakeDrivers.drivers["/tools/drv.dll"] = {GetParam().family, 0, 1, "SPEED=4"};
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  page->Drivers()->setCurrentIndex(0);
  page->RunDriverSettings();
  if (*GetParam().refusal) {
    ASSERT_EQ(m_refusals.size(), 1u) << (m_refusals.empty() ? "" : m_refusals[0]);
    EXPECT_EQ(m_refusals[0], GetParam().refusal);
    EXPECT_EQ(m_session->TargetCopy()->dbg.OPTKEY, nullptr);
  } else {
    EXPECT_TRUE(m_refusals.empty());
    EXPECT_EQ(m_session->DriverSettings("drv"), "SPEED=4");
  }
}
const DriverRow kDriverRows[] = {
    {"ArmDriver", 3, 7, true, ""},
    {"WrongFamilyFor166", 2, 80251, true, "Invalid Target Driver !"},
    {"DoesNotLoad", 3, 7, false, "Error: Can't load driver '/tools/drv.dll' !"},
};
INSTANTIATE_TEST_SUITE_P(Rows, DriverSettings, ::testing::ValuesIn(kDriverRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, FlashPageListsOnlyFlashCapableDriversAndSplitsTheCommand) {
  UseToolset(kToolsetArmGnu);
  m_env.toolsets[3]->targetDrivers = {{"a.dll", "Flasher"}, {"b.dll", "Debug only"}};
  m_fakeDrivers.drivers["a.dll"] = {7, 5, 0, ""};
  m_fakeDrivers.drivers["b.dll"] = {7, 0, 0, ""};
  m_target->pOpts->flash.FLASH3 = OptString::Pooled("\"prog\" (a (b) c)", kPoolProject);
  SetFirstWord(m_target->pOpts->flash.FLASH1, 0);  // neither driver nor tool chosen yet
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<FlashPage>(PageId::kFlash);
  ASSERT_EQ(page->Drivers()->count(), 1);
  EXPECT_EQ(page->Drivers()->itemText(0), "Flasher");
  EXPECT_EQ(page->Command()->text(), "prog");
  EXPECT_EQ(page->Arguments()->text(), "a (b) c");
  EXPECT_TRUE(page->UseTool()->isChecked());  // a command was stored
  page->Arguments()->setText("x");
  sheet.accept();
  EXPECT_EQ(m_session->TargetCopy()->flash.FLASH3.str(), "\"prog\" (x)");
}

TEST_F(SheetTest, UserProgramWithABlankIsQuotedAndTheFolderIsStoredRelative) {
  UseToolset(kToolset166);
  Open(m_target);
  auto* page = Go<OutputPage>(PageId::kOutput);
  m_chosen = "/opt/my tools/run.sh";
  page->ProgramBrowse(0)->click();
  EXPECT_EQ(page->Program(0)->text(), "\"/opt/my tools/run.sh\"");
  m_chosen = "/opt/tools/run.sh";
  page->ProgramBrowse(1)->click();
  EXPECT_EQ(page->Program(1)->text(), "/opt/tools/run.sh");
  m_chosen = "/tmp/out/";
  page->FolderButton()->click();
  EXPECT_NE(page->Folder().find("out"), std::string::npos);
  EXPECT_EQ(page->Folder().find("/tmp"), std::string::npos) << page->Folder();
  EXPECT_NE(page->Executable()->text().indexOf("out"), -1);
}

TEST_F(SheetTest, InitializationFileIsPickedRelativeAndOpened) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  EXPECT_FALSE(page->IniEdit(0)->isEnabled());
  m_chosen = "/tmp/sim.ini";
  page->IniBrowse(0)->click();
  EXPECT_EQ(page->IniFile(0)->text().toStdString().find("/tmp"), std::string::npos);
  EXPECT_TRUE(page->IniEdit(0)->isEnabled());
  page->IniEdit(0)->click();
  ASSERT_EQ(m_opened.size(), 1u);
}

struct DialogDllRow {
  const char* name;
  uint16_t toolset;
  const char* dll;
  bool loads;
  int32_t family;
  int32_t hasConfig;
  const char* refusal;
};
class DialogDllSettings : public SheetTest, public ::testing::WithParamInterface<DialogDllRow> {};
TEST_P(DialogDllSettings, ChecksInOrder) {
  const DialogDllRow& r = GetParam();
  UseToolset(r.toolset);
  m_env.toolsets[r.toolset] = std::make_unique<ToolsetInfo>();
  m_env.toolsets[r.toolset]->rootFolder = "/root/";
  if (r.loads) m_fakeDrivers.drivers["/root/BIN/dlg.dll"] = {r.family, 0, 1, "CFG", r.hasConfig};
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  page->DllText(2)->setText(r.dll);
  page->RunDialogDllSettings();
  if (*r.refusal) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], r.refusal);
  } else {
    EXPECT_TRUE(m_refusals.empty());
    EXPECT_EQ(m_session->DriverSettings("dlg"), "CFG");
  }
}
const DialogDllRow kDialogRows[] = {
    {"NotSpecified", 3, "", true, 7, 1, "Dialog DLL not specified !"},
    {"NotFound", 3, "dlg.dll", false, 7, 1, "Error: Can't find Dialog DLL '/root/BIN/dlg.dll' !"},
    {"Wrong51Family", 0, "dlg.dll", true, 8563, 1, "Invalid Target Driver !"},
    {"NoConfigOptions", 0, "dlg.dll", true, 8051, 0, "The selected device has no configuration options!"},
    {"Configured", 3, "dlg.dll", true, 7, 1, ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, DialogDllSettings, ::testing::ValuesIn(kDialogRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, CpuDllSettingsNeedADll) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  page->DllText(0)->setText("");
  page->RunDllSettings(0);
  page->DllText(0)->setText("nothere.dll");
  page->RunDllSettings(0);
  ASSERT_EQ(m_refusals.size(), 2u);
  EXPECT_EQ(m_refusals[0], "Select a dll first !");
  EXPECT_EQ(m_refusals[1], "Invalid Target Driver !");
}

// The CPU DLL's settings come from the library the session loads: from
// the toolset's folder, else from the program's own folder.
struct CpuDllRow {
  const char* name;
  const char* installedIn;  // "" nowhere
  const char* refusal;      // "" none
};
void PrintTo(const CpuDllRow& row, std::ostream* out) { *out << row.name; }

class CpuDllSettings : public SheetTest, public ::testing::WithParamInterface<CpuDllRow> {};

TEST_P(CpuDllSettings, FindsTheDriverWhereTheSessionDoes) {
  UseToolset(kToolsetArmGnu);
  m_env.toolsets[3]->toolsFolder = "/tools/";
  if (*GetParam().installedIn) m_fakeDrivers.shortRecord.insert(std::string(GetParam().installedIn) + "GDBDRV.DLL");
  Open(m_target);
  const_cast<SheetServices&>(m_sheet->Services()).programFolder = "/opt/pm2/PM2/";
  auto* page = Go<DebugPage>(PageId::kDebug);
  page->DllText(0)->setText("GDBDRV.DLL");
  m_fakeDrivers.calls.clear();
  page->RunDllSettings(0);
  EXPECT_EQ(m_refusals, *GetParam().refusal ? std::vector<std::string>{GetParam().refusal} : std::vector<std::string>{});
  ASSERT_FALSE(m_fakeDrivers.calls.empty());
  EXPECT_EQ(m_fakeDrivers.calls[0].first, "/tools/GDBDRV.DLL");  // the toolset's folder first
}

INSTANTIATE_TEST_SUITE_P(Rows, CpuDllSettings,
                         ::testing::Values(CpuDllRow{"InTheToolsetFolder", "/tools/", ""},
                                           CpuDllRow{"InTheProgramFolder", "/opt/pm2/PM2/", ""},
                                           CpuDllRow{"Nowhere", "", "Invalid Target Driver !"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A driver that has no settings of its own greys the three buttons that
// would open them, each with a tip saying so; a driver that has them, or
// a library that does not load (a click says why), keeps its button.
TEST_F(SheetTest, ADriverWithoutSettingsGreysItsButtonsWithTheReason) {
  UseToolset(kToolsetArmGnu);
  m_env.toolsets[3]->toolsFolder = "/tools/";
  m_env.toolsets[3]->targetDrivers = {{"plain.dll", "No settings"}, {"rich.dll", "Settings"}};
  m_fakeDrivers.drivers["/tools/plain.dll"] = {7, 0, 0, "", 1, kDrvSettingsNone};
  m_fakeDrivers.drivers["/tools/rich.dll"] = {7, 0, 1, "X=1", 1, kDrvSettingsDialog};
  Open(m_target);
  auto* page = Go<DebugPage>(PageId::kDebug);
  const QString none = "The driver 'plain' has no settings of its own.";
  struct Button {
    const char* name;
    QPushButton* button;
    std::function<void(const char*)> choose;
  };
  const Button buttons[] = {
      {"CpuDll", page->DllSettings(0), [&](const char* dll) { page->DllText(0)->setText(dll); }},
      {"DriverDll", page->DllSettings(1), [&](const char* dll) { page->DllText(4)->setText(dll); }},
      {"UseDriver", page->DriverSettings(),
       [&](const char* dll) { page->Drivers()->setCurrentIndex(std::string(dll) == "plain.dll" ? 0 : 1); }},
  };
  for (const Button& b : buttons) {
    SCOPED_TRACE(b.name);
    b.choose("plain.dll");
    Q_EMIT page->DllText(0)->editingFinished();
    EXPECT_FALSE(b.button->isEnabled());
    EXPECT_EQ(b.button->toolTip(), none);
    b.choose("rich.dll");
    Q_EMIT page->DllText(0)->editingFinished();
    EXPECT_TRUE(b.button->isEnabled());
    EXPECT_NE(b.button->toolTip(), none);
    b.choose("missing.dll");
    Q_EMIT page->DllText(0)->editingFinished();
    if (std::string(b.name) != "UseDriver") {
      EXPECT_TRUE(b.button->isEnabled());
      EXPECT_TRUE(b.button->toolTip().isEmpty());
    }
  }
}

TEST_F(SheetTest, FlashDriverSettingsAreKeptPerDriver) {
  UseToolset(kToolsetArmGnu);
  m_env.toolsets[3]->targetDrivers = {{"a.dll", "Flasher"}};
  m_fakeDrivers.drivers["a.dll"] = {7, 5, 1, "SECTORS=ALL"};
  SetFirstWord(m_target->pOpts->flash.FLASH1, 1);
  Open(m_target);
  auto* page = Go<FlashPage>(PageId::kFlash);
  page->Drivers()->setCurrentIndex(0);
  page->RunFlashSettings();
  EXPECT_EQ(m_session->DriverSettings("a"), "SECTORS=ALL");
}

// The device names a flash driver; the user's choice of another one holds
// when the page is left and shown again, and when the sheet is opened anew.
TEST_F(SheetTest, ChosenFlashDriverOutlivesTheDevicesDriver) {
  UseToolset(kToolsetArmGnu);
  m_env.toolsets[3]->targetDrivers = {{"a.dll", "Device's"}, {"b.dll", "Chosen"}};
  m_fakeDrivers.drivers["a.dll"] = {7, 5, 0, ""};
  m_fakeDrivers.drivers["b.dll"] = {7, 9, 0, ""};
  m_target->FLASHDR = OptString::Pooled("a.dll", kPoolProject);
  SetFirstWord(m_target->pOpts->flash.FLASH1, 1);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<FlashPage>(PageId::kFlash);
  EXPECT_EQ(page->Drivers()->currentIndex(), 0);  // nothing stored: the device's
  page->Drivers()->setCurrentIndex(1);
  Go<DebugPage>(PageId::kDebug);
  page = Go<FlashPage>(PageId::kFlash);
  EXPECT_EQ(page->Drivers()->currentIndex(), 1);
  sheet.accept();
  ASSERT_TRUE(m_session->Commit());
  EXPECT_EQ(m_target->pOpts->flash.FLASH2.str(), "b.dll");
  uint32_t cap = 0;
  std::memcpy(&cap, m_target->pOpts->flash.FLASH1 + 4, 4);
  EXPECT_EQ(cap, 9u);
  Open(m_target);
  page = Go<FlashPage>(PageId::kFlash);
  EXPECT_EQ(page->Drivers()->currentIndex(), 1);
}

TEST_F(SheetTest, FolderListSplitsAndJoins) {
  test::App();
  FolderListDialog dialog("Setup Include Paths:", "a;b,c", ";,");
  EXPECT_EQ(dialog.List()->GetItemCount(), 3);
  dialog.accept();
  EXPECT_EQ(dialog.Result(), "a;b;c");
}

// A folder is typed straight into the list: a character typed on the empty
// last row opens its edit holding that character; blank rows are dropped.
TEST_F(SheetTest, FolderListTypingStartsARow) {
  test::App();
  FolderListDialog dialog("Setup Include Paths:", "a; ,b", ";,");
  dialog.show();
  SECListBoxDirEditor* list = dialog.List();
  ASSERT_EQ(list->GetItemCount(), 3) << "a blank piece is a row until OK";
  list->setFocus();
  list->SetCurSel(list->GetCount() - 1);
  QTest::keyClick(list, Qt::Key_I, Qt::NoModifier);
  ASSERT_NE(list->InPlaceEdit(), nullptr) << "typing opens the row's edit";
  EXPECT_EQ(list->InPlaceEdit()->text(), "i");
  list->InPlaceEdit()->setText("inc");
  QTest::keyClick(list->InPlaceEdit(), Qt::Key_Return);
  dialog.accept();
  EXPECT_EQ(dialog.Result(), "a;b;inc");
}

// A row holding one of the list's separators would come back as several
// folders: typed as a new row or over an old one, it is refused with a box
// naming it, and the list keeps what it held.
TEST_F(SheetTest, FolderListRefusesARowThatHoldsASeparator) {
  test::App();
  FolderListDialog dialog("Setup Include Paths:", "inc", ";,");
  dialog.show();
  FolderRowsEditor* list = dialog.List();
  ASSERT_EQ(list->GetCount(), 2) << "the row and the empty last row";
  std::vector<std::string> boxes;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxes.push_back(box->text().toStdString());
      box->close();
    }
  });
  answer.start(0);
  for (int row : {1, 0}) {
    SCOPED_TRACE(row);
    boxes.clear();
    list->SetCurSel(row);
    ASSERT_TRUE(list->StartEditing());
    list->AcceptEdit("inc/my,dir;x");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], list->LastRefusal());
    EXPECT_NE(boxes[0].find("'inc/my,dir;x'"), std::string::npos) << boxes[0];
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetText(0), "inc");
  }
  // A folder with blanks and other punctuation is one row.
  list->SetCurSel(1);
  ASSERT_TRUE(list->StartEditing());
  list->AcceptEdit("my dir/(x)");
  answer.stop();
  dialog.accept();
  EXPECT_EQ(dialog.Result(), "inc;my dir/(x)");
}

// An edit widened to show a stored text past its limit still names its
// own limit when it refuses a longer one, not the stored text's length.
TEST(EditLimitRefusal, NamesTheFieldsOwnLimitAfterAWiderStoredText) {
  test::App();
  QLineEdit edit;
  edit.setMaxLength(128);
  std::vector<int> typed, put;
  auto* limit = new EditLimit(&edit, [&](int n) { typed.push_back(n); }, [&](int n) { put.push_back(n); });
  const QString stored(300, QChar('s'));
  limit->FitTo(stored);
  ASSERT_TRUE(limit->Put(stored));
  EXPECT_FALSE(limit->Put(QString(306, QChar('p'))));
  EXPECT_EQ(put, std::vector<int>{128});
  EXPECT_EQ(edit.text(), stored);
  // A key typed at the widened end is refused naming 128 too.
  edit.setFocus();
  edit.end(false);
  QTest::keyClick(&edit, Qt::Key_X);
  QCoreApplication::processEvents();
  EXPECT_EQ(typed, std::vector<int>{128});
  EXPECT_EQ(edit.text(), stored);
}

TEST_F(SheetTest, OptionsCommandCommitsOnOkAndRestoresOnCancel) {
  UseToolset(kToolsetArmGnu);
  auto run = [this](bool ok) {
    OptionsRequest r;
    r.project = m_project;
    r.node = m_target;
    r.services.environment = &m_env;
    r.services.drivers = &m_fakeDrivers;
    r.services.refuse = [this](const std::string& t) { m_refusals.push_back(t); };
    r.run = [ok](OptionsSheet& sheet) {
      for (int i = 0; i < sheet.PageCount(); ++i)
        if (sheet.Page(i)->Id() == PageId::kArmGnuOutput) sheet.Tabs()->setCurrentIndex(i);
      static_cast<ArmOutputPage*>(sheet.CurrentPage())->Name()->setText("NewName");
      if (!ok) return int(QDialog::Rejected);
      sheet.accept();
      return sheet.result();
    };
    return RunOptionsCommand(r);
  };
  EXPECT_EQ(run(false), OptionsOutcome::kCancelled);
  EXPECT_NE(m_target->pOpts->out.OUTNAME.str(), "NewName");
  EXPECT_EQ(run(true), OptionsOutcome::kChanged);
  EXPECT_EQ(m_target->pOpts->out.OUTNAME.str(), "NewName");
}

TEST_F(SheetTest, DriverSettingsSurviveOkAndOpenTheNextDialog) {
  UseToolset(kToolsetArmGnu);
  m_env.toolsets[3]->toolsFolder = "/tools/";
  m_env.toolsets[3]->targetDrivers.push_back({"drv.dll", "A driver"});
  m_fakeDrivers.drivers["/tools/drv.dll"] = {7, 0, 1, "SPEED=4\r\nRESET=(1)"};
  auto run = [this](bool ok) {
    OptionsRequest r;
    r.project = m_project;
    r.node = m_target;
    r.services.environment = &m_env;
    r.services.drivers = &m_fakeDrivers;
    r.services.refuse = [this](const std::string& t) { m_refusals.push_back(t); };
    r.run = [ok](OptionsSheet& sheet) {
      for (int i = 0; i < sheet.PageCount(); ++i)
        if (sheet.Page(i)->Id() == PageId::kDebug) sheet.Tabs()->setCurrentIndex(i);
      auto* page = static_cast<DebugPage*>(sheet.CurrentPage());
      page->Drivers()->setCurrentIndex(0);
      page->RunDriverSettings();
      if (!ok) return int(QDialog::Rejected);
      sheet.accept();
      return sheet.result();
    };
    return RunOptionsCommand(r);
  };
  EXPECT_EQ(run(false), OptionsOutcome::kCancelled);
  EXPECT_EQ(m_target->pOpts->dbg.OPTKEY, nullptr);
  EXPECT_EQ(m_fakeDrivers.lastBuffer, "");
  EXPECT_EQ(run(true), OptionsOutcome::kChanged);
  EXPECT_EQ(GetKeyValue(m_target->pOpts->dbg.OPTKEY, "drv"), "SPEED=4\r\nRESET=(1)");
  // The next dialog opens on the kept text, and the saved file keeps it.
  m_fakeDrivers.drivers["/tools/drv.dll"].newSettings = "SPEED=8";
  EXPECT_EQ(run(true), OptionsOutcome::kChanged);
  EXPECT_EQ(m_fakeDrivers.lastBuffer, "SPEED=4\r\nRESET=(1)");
  const std::string file = BuildOptionsFileText(*m_project);
  m_target->pOpts->dbg.OPTKEY = nullptr;
  ASSERT_EQ(ReadOptionsText(*m_project, file), 0);
  EXPECT_EQ(GetKeyValue(m_target->pOpts->dbg.OPTKEY, "drv"), "SPEED=8");
  EXPECT_TRUE(m_refusals.empty());
}

TEST_F(SheetTest, DriverTextTheFileCannotKeepIsRefusedAndTheOldOneStays) {
  UseToolset(kToolsetArmGnu);
  m_env.toolsets[3]->targetDrivers = {{"a.dll", "Flasher"}};
  m_fakeDrivers.drivers["a.dll"] = {7, 5, 1, "LINE1\nLINE2"};
  m_target->pOpts->dbg.OPTKEY = SetKeyValue(nullptr, "a", "KEPT", kPoolProject);
  SetFirstWord(m_target->pOpts->flash.FLASH1, 1);
  OptionsSheet& sheet = Open(m_target);
  auto* page = Go<FlashPage>(PageId::kFlash);
  page->Drivers()->setCurrentIndex(0);
  page->RunFlashSettings();
  EXPECT_EQ(m_fakeDrivers.lastBuffer, "KEPT");
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_NE(m_refusals[0].find("'a'"), std::string::npos) << m_refusals[0];
  EXPECT_EQ(m_session->DriverSettings("a"), "KEPT");
  sheet.accept();
  EXPECT_EQ(GetKeyValue(m_target->pOpts->dbg.OPTKEY, "a"), "KEPT");
}

// A database of two ARM devices in a scratch folder.
std::string WriteArmDatabase(const QTemporaryDir& dir) {
  const std::string path = dir.filePath("arm.cdb").toStdString();
  DeviceDatabase db(kPoolFindInFiles);
  const char* const devices[][2] = {{"LPC2138", "IRAM(0x40000000-0x40007FFF) IROM(0-0x7FFFF) CLOCK(12000000)"},
                                    {"LPC2148", "IRAM(0x40000000-0x4000FFFF) IROM(0-0x7FFFF) CLOCK(60000000)"}};
  for (const auto& d : devices) {
    DeviceDbEntry* e = db.NewEntry("NXP", d[0], 3, "ARM7");
    db.AddOption(e, "CPU", d[1]);
    // The second device names the driver of the target side.
    if (std::string_view(d[0]) == "LPC2148") db.AddOption(e, "MON", "GDBDRV.DLL(-remote localhost:3333)");
    db.Append(e);
  }
  EXPECT_EQ(db.Write(path), kDeviceDbOk);
  db.Free();
  return path;
}

// Another device rebuilds the pages behind the device page; the output
// name and the define typed before stay, the new device's values come in,
// and Cancel afterwards leaves the project as it was.
TEST_F(SheetTest, DeviceChangeKeepsTheOtherPagesEdits) {
  QTemporaryDir dir;
  m_env.deviceDatabases = {{WriteArmDatabase(dir), "ARM"}};
  UseToolset(kToolsetArmGnu);
  m_target->VENDOR = OptString::Pooled("NXP", kPoolProject);
  m_target->DEVICE = OptString::Pooled("LPC2138", kPoolProject);
  m_target->pOpts->tGnu.clock = 12000000;
  const std::string name = m_target->pOpts->out.OUTNAME.str();
  for (bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    Open(m_target);
    auto* out = Go<ArmOutputPage>(PageId::kArmGnuOutput);
    out->Name()->setText("Renamed");
    auto* cc = Go<ArmToolPage>(PageId::kArmGnuCompiler);
    cc->Text(kArmDefine)->setText("EDITED=1");
    m_sheet->Tabs()->setCurrentIndex(0);
    auto* selector = m_sheet->Page(0)->findChild<DeviceSelector*>();
    ASSERT_NE(selector, nullptr);
    // The user's choice in the tree.
    SECTreeCtrl* tree = selector->Tree();
    HTREEITEM chosen = nullptr;
    for (HTREEITEM v = tree->GetRootItem(); v; v = tree->GetNextSiblingItem(v))
      for (HTREEITEM d = tree->GetChildItem(v); d; d = tree->GetNextSiblingItem(d))
        if (auto* e = reinterpret_cast<const DeviceDbEntry*>(tree->GetItemData(d)); e && e->device.str() == "LPC2148")
          chosen = d;
    ASSERT_NE(chosen, nullptr);
    tree->SelectItem(chosen);
    ASSERT_EQ(m_target->DEVICE.str(), "LPC2148");
    EXPECT_EQ(m_session->TargetCopy()->out.OUTNAME.str(), "Renamed");
    EXPECT_EQ(m_session->TargetCopy()->cGnu.ACDEFN.str(), "EDITED=1");
    // The rebuilt pages show the edits, and the Debug page the device's
    // driver.
    EXPECT_EQ(Go<ArmOutputPage>(PageId::kArmGnuOutput)->Name()->text(), "Renamed");
    auto* debug = Go<DebugPage>(PageId::kDebug);
    EXPECT_EQ(debug->DllText(4)->text(), "GDBDRV.DLL");
    EXPECT_EQ(debug->DllText(5)->text(), "-remote localhost:3333");
    if (ok) {
      m_sheet->accept();
      EXPECT_TRUE(m_session->Commit());
      EXPECT_EQ(m_target->DEVICE.str(), "LPC2148");
      EXPECT_EQ(m_target->pOpts->out.OUTNAME.str(), "Renamed");
      EXPECT_EQ(m_target->pOpts->cGnu.ACDEFN.str(), "EDITED=1");
      EXPECT_EQ(m_target->pOpts->tGnu.clock, 60000000u);
      // The next run starts from the committed project; undo to check Cancel.
      m_target->DEVICE = OptString::Pooled("LPC2138", kPoolProject);
      m_target->pOpts->out.OUTNAME = OptString::Pooled(name, kPoolProject);
      m_target->pOpts->cGnu.ACDEFN = OptString();
      m_target->pOpts->tGnu.clock = 12000000;
    } else {
      m_sheet->reject();
      m_session->Rollback();
      EXPECT_EQ(m_target->DEVICE.str(), "LPC2138");
      EXPECT_EQ(m_target->pOpts->out.OUTNAME.str(), name);
      EXPECT_TRUE(m_target->pOpts->cGnu.ACDEFN.empty());
      EXPECT_EQ(m_target->pOpts->tGnu.clock, 12000000u);
    }
  }
}

TEST_F(SheetTest, OptionsCommandIsRefusedWhileBusy) {
  UseToolset(kToolsetArmGnu);
  OptionsRequest r;
  r.project = m_project;
  r.node = m_target;
  r.busy = true;
  int messages = 0;
  r.message = [&](const std::string&, int) { ++messages; };
  EXPECT_EQ(RunOptionsCommand(r), OptionsOutcome::kRefused);
  EXPECT_EQ(messages, 1);
}

// A bank link file on disk, in the test's scratch folder.
std::string WriteBankFile(const ScratchDir& scratch, const std::string& bytes) {
  const std::string path = scratch.File("bank.Sbr");
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

class BankWizard : public SheetTest {
 protected:
  ScratchDir scratch;
  BankWizardDialog::Services Services() {
    BankWizardDialog::Services s;
    s.message = [this](const std::string& title, const std::string& text) { m_boxes.push_back(title + ": " + text); };
    s.storedBank = [this](const std::string& name) { return m_stored.count(name) ? m_stored[name] : uint8_t(0); };
    s.apply = [this](const BankModel& m) { m_applied = m; };
    return s;
  }
  std::vector<std::string> m_boxes;
  std::map<std::string, uint8_t> m_stored;
  BankModel m_applied;
};

TEST_F(BankWizard, MissingFileOpensWithEmptyLists) {
  BankWizardDialog dialog("/nonexistent/x.Sbr", 0xC000, 0, Services());
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], "Code Banking Wizard: Bank Link File cannot be opened");
  EXPECT_EQ(dialog.Modules()->GetItemCount(), 0);
  EXPECT_EQ(dialog.CommonSize()->text(), "0xC000");
}

TEST_F(BankWizard, BanksModulesAndMoves) {
  m_stored = {{"MAIN", 5}, {"UTIL", 5}, {"IO", 1}};
  const std::string path = WriteBankFile(scratch, test::BankStream()
                                             .Module(0, 0, 1000, 10, "main")
                                             .Module(1, 0, 2000, 20, "util")
                                             .Module(2, 0, 300, 0, "io")
                                             .Calls(0, {{2, 4}})
                                             .End());
  BankWizardDialog dialog(path, 0xC000, 0, Services());
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_EQ(dialog.Banks()->GetItemCount(), 8);
  EXPECT_EQ(dialog.Banks()->GetItemText(5, 0), "Bank #4");
  EXPECT_EQ(dialog.Banks()->GetItemText(5, 1), "3000");
  EXPECT_EQ(dialog.Banks()->GetItemText(0, 1), "30");  // the common area adds every common size
  dialog.SelectBank(5);
  ASSERT_EQ(dialog.Modules()->GetItemCount(), 2);
  EXPECT_EQ(dialog.Modules()->GetItemText(0, 0), "MAIN");
  EXPECT_EQ(dialog.Modules()->GetItemText(0, 4), "  4>[B #0]");
  dialog.SortByColumn(1);  // by size
  dialog.SortByColumn(1);  // reversed
  EXPECT_EQ(dialog.Modules()->GetItemText(0, 0), "UTIL");
  dialog.MoveModules({1}, 1);
  EXPECT_EQ(dialog.Modules()->GetItemCount(), 1);
  EXPECT_EQ(dialog.Banks()->GetItemText(1, 1), "2300");
  EXPECT_NE(dialog.Statistics()->text().indexOf("Calls to other banks:\t4"), -1)
      << dialog.Statistics()->text().toStdString();
  dialog.accept();
  EXPECT_EQ(m_applied.modules[1].bank, 1);
}

// A drag of modules carries the image of their rows as the list draws
// them, one under the other, unselected rows left out.
TEST_F(BankWizard, DragCarriesTheImageOfTheSelectedRows) {
  const std::string path = WriteBankFile(scratch, test::BankStream()
                                             .Module(0, 0, 100, 0, "first")
                                             .Module(1, 0, 200, 0, "second")
                                             .Module(2, 0, 300, 0, "third")
                                             .End());
  BankWizardDialog dialog(path, 0xC000, 0, Services());
  dialog.show();
  QApplication::processEvents();
  SECListCtrl* list = dialog.Modules();
  ASSERT_EQ(list->GetItemCount(), 3);
  for (int i = 0; i < 3; ++i) list->SetItemState(i, 0, LVIS_SELECTED);
  EXPECT_TRUE(dialog.DragImage().isNull()) << "nothing selected, nothing to drag";
  list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  list->SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
  list->repaint();
  Rect first, third;
  ASSERT_TRUE(list->GetRowRect(0, &first));
  ASSERT_TRUE(list->GetRowRect(2, &third));
  const QImage image = dialog.DragImage().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(image.height(), first.Height() + third.Height());
  const auto shown = [&](const Rect& r) {
    return list->grab(QRect(r.left, r.top, r.Width(), r.Height()).intersected(list->rect()))
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  };
  EXPECT_EQ(image.copy(0, 0, image.width(), first.Height()), shown(first));
  EXPECT_EQ(image.copy(0, first.Height(), image.width(), third.Height()), shown(third));
}

// The module list's last column ("Calls To") takes the width the other
// columns leave, also when the dialog grows.
TEST_F(BankWizard, CallsToTakesTheRestOfTheModuleList) {
  BankWizardDialog dialog("/nonexistent/x.Sbr", 0xC000, 0, Services());
  dialog.show();
  SECListCtrl* list = dialog.Modules();
  const int start = list->width();
  dialog.resize(dialog.width() + 200, dialog.height());
  QApplication::processEvents();
  EXPECT_GT(list->width(), start) << "the module list takes the dialog's new width";
  ASSERT_EQ(list->GetColumnCount(), 5);
  const int before = list->GetColumnWidth(0) + list->GetColumnWidth(1) + list->GetColumnWidth(2) +
                     list->GetColumnWidth(3);
  EXPECT_EQ(before + list->GetColumnWidth(4), list->GetInsideRect().Width());
  EXPECT_GT(list->GetColumnWidth(4), list->GetColumnWidth(3)) << "wider than the 20 characters it starts with";
}

struct OpeningBanksRow {
  const char* name;
  uint16_t opened;  // the target's bank count
  int fileBank;     // the highest bank of the file
  int rows;
};
class OpeningBanks : public BankWizard, public ::testing::WithParamInterface<OpeningBanksRow> {};
TEST_P(OpeningBanks, TheListCoversTheTargetsBanksAndTheFiles) {
  m_stored = {{"MAIN", uint8_t(GetParam().fileBank)}};
  const std::string path = WriteBankFile(scratch, test::BankStream().Module(0, 0, 100, 0, "main").End());
  BankWizardDialog dialog(path, 0xC000, GetParam().opened, Services());
  EXPECT_EQ(dialog.Banks()->GetItemCount(), GetParam().rows);
}
const OpeningBanksRow kOpeningBanksRows[] = {
    {"TargetHasMore", 16, 3, 16},
    {"FileHasMore", 4, 5, 8},
    {"NoneConfigured", 0, 5, 8},
    {"SixtyFourAtMost", 64, 40, 64},
};
INSTANTIATE_TEST_SUITE_P(Rows, OpeningBanks, ::testing::ValuesIn(kOpeningBanksRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct CommonRow {
  const char* name;
  const char* text;
  const char* box;  // "" accepted
  const char* shown;
};
class CommonSizes : public BankWizard, public ::testing::WithParamInterface<CommonRow> {};
TEST_P(CommonSizes, ReadOrRestored) {
  BankWizardDialog dialog("/nonexistent/x.Sbr", 0xC000, 0, Services());
  m_boxes.clear();
  dialog.CommonSize()->setText(GetParam().text);
  EXPECT_EQ(dialog.ReadCommonSize(), *GetParam().box == 0);
  if (*GetParam().box) {
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].substr(0, m_boxes[0].find(':')), GetParam().box);
  }
  EXPECT_EQ(dialog.CommonSize()->text(), GetParam().shown);
}
const CommonRow kCommonRows[] = {
    {"HexSuffix", "8000H", "", "0x8000"},
    {"Binary", "10101010B", "", "0x00AA"},
    {"NotANumber", "12G", "Invalid number", "0xC000"},
    {"TooLarge", "0x10000", "Out of range", "0xC000"},
};
INSTANTIATE_TEST_SUITE_P(Rows, CommonSizes, ::testing::ValuesIn(kCommonRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SheetTest, BankWizardOfTheTargetPageStoresOnlyOnOk) {
  UseToolset(kToolset51);
  m_target->pOpts->t51.T51FL |= 0x2000 | 0x108000;  // banking with the NP51 linker
  m_target->pOpts->out.OUTNAME = OptString::Pooled("opts_bank", kPoolProject);
  const ScratchDir scratch;
  m_target->pOpts->out.OUTDIR = OptString::Pooled(scratch.path.string() + "/", kPoolProject);
  std::ofstream(scratch.File("opts_bank.Sbr"), std::ios::binary) << test::BankStream().Module(0, 0, 100, 0, "main.c").End();
  OptionsSheet& sheet = Open(m_target);
  // The sheet's own services, with a dialog runner that moves the module.
  const_cast<SheetServices&>(sheet.Services()).runDialog = [](QDialog& d) {
    auto& wizard = static_cast<BankWizardDialog&>(d);
    wizard.MoveModules({0}, 3);
    wizard.CommonSize()->setText("0x8000");
    wizard.accept();
    return wizard.result();
  };
  auto* page = Go<Target51Page>(PageId::kTarget51);
  ASSERT_NE(page, nullptr);
  ASSERT_NE(page->BankingButton(), nullptr);
  EXPECT_TRUE(page->BankingButton()->isEnabled());
  page->BankingButton()->click();
  EXPECT_EQ(m_session->FileBank("MAIN.C"), 3);
  // Bank 3 needs four banks: the banks list follows the wizard.
  EXPECT_EQ(page->Banks()->currentText(), "4");
  EXPECT_EQ(GetKeyValue(m_session->TargetCopy()->lst.OPTKUS, "NSZCOM"), "0x8000");
  EXPECT_EQ(GetKeyValue(m_target->pOpts->lst.OPTKUS, "NSZCOM"), "");  // not yet in the project
  sheet.accept();
  EXPECT_TRUE(m_session->Commit());
  EXPECT_EQ(GetFileBankNo("main.c"), 3);
  EXPECT_EQ(GetKeyValue(m_target->pOpts->lst.OPTKUS, "NSZCOM"), "0x8000");
}

// A double click on a module of the wizard opens its source, the project's
// file of that name.
TEST_F(SheetTest, BankWizardModuleOpensItsSourceOnADoubleClick) {
  UseToolset(kToolset51);
  m_target->pOpts->t51.T51FL |= 0x2000 | 0x108000;
  m_target->pOpts->out.OUTNAME = OptString::Pooled("opts_open", kPoolProject);
  const ScratchDir scratch;
  m_target->pOpts->out.OUTDIR = OptString::Pooled(scratch.path.string() + "/", kPoolProject);
  std::ofstream(scratch.File("opts_open.Sbr"), std::ios::binary) << test::BankStream().Module(0, 0, 100, 0, "main.c").End();
  OptionsSheet& sheet = Open(m_target);
  const_cast<SheetServices&>(sheet.Services()).runDialog = [](QDialog& d) {
    auto& wizard = static_cast<BankWizardDialog&>(d);
    wizard.show();
    SECListCtrl* list = wizard.Modules();
    EXPECT_EQ(list->GetItemCount(), 1);
    Rect r;
    if (list->GetItemCount() == 1 && list->GetItemRect(0, &r, 0))
      QTest::mouseDClick(list, Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    return int(QDialog::Rejected);
  };
  auto* page = Go<Target51Page>(PageId::kTarget51);
  page->BankingButton()->click();
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0], "/tmp/main.c");
}

TEST_F(SheetTest, BankWizardOpensWithTheTargetsBanksAndOkKeepsThem) {
  UseToolset(kToolset51);
  m_target->pOpts->t51.T51FL |= 0x2000 | 0x108000;
  m_target->pOpts->t51.CBANKS5 = 3;  // 16 banks
  m_target->pOpts->out.OUTNAME = OptString::Pooled("opts_bank16", kPoolProject);
  const ScratchDir scratch;
  m_target->pOpts->out.OUTDIR = OptString::Pooled(scratch.path.string() + "/", kPoolProject);
  std::ofstream(scratch.File("opts_bank16.Sbr"), std::ios::binary) << test::BankStream().Module(0, 0, 100, 0, "main.c").End();
  OptionsSheet& sheet = Open(m_target);
  int rows = 0;
  const_cast<SheetServices&>(sheet.Services()).runDialog = [&rows](QDialog& d) {
    rows = static_cast<BankWizardDialog&>(d).Banks()->GetItemCount();
    d.accept();
    return d.result();
  };
  auto* page = Go<Target51Page>(PageId::kTarget51);
  page->BankingButton()->click();
  EXPECT_EQ(rows, 16);
  EXPECT_EQ(page->Banks()->currentText(), "16");
}

}  // namespace
}  // namespace pm2
