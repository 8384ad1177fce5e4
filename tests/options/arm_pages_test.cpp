// The pages of the ARM toolsets on the offscreen platform: each control's
// change shows in the preview, and the preview equals the line the
// builder makes from the saved options; the target page's clock and
// memory rows, the output and listing pages' fields, the linker's
// addresses, script and Defaults.
// The builder's headers come before Qt's, whose "emit" is a macro.
#include "builder/commands/arm_ads_command.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include <gtest/gtest.h>

#include <QApplication>
#include <QSpinBox>
#include <QTest>

#include "options/core/options_session.h"
#include "options/pages/arm_compiler_page.h"
#include "options/pages/arm_linker_page.h"
#include "options/pages/arm_listing_page.h"
#include "options/pages/arm_output_page.h"
#include "options/pages/arm_target_page.h"
#include "options/pages/options_sheet.h"
#include "options/sheet_fixture.h"
#include "project/environment/environment.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"
#include "toolkit/qt_test_app.h"

namespace pm2 {
namespace {

// A click near the left edge, where a wide check box's indicator and text
// are (its middle may be empty space).
void Click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(std::min(8, button->width() / 2), button->height() / 2));
}

class ArmSheet : public test::SheetFixture {
 protected:
  ArmSheet() : SheetFixture("/tmp/arm_opts/demo.pm2") {}
  void SetUp() override {
    SheetFixture::SetUp();
    for (int t : {3, 4}) {
      m_env.toolsets[t] = std::make_unique<ToolsetInfo>();
      m_env.toolsets[t]->toolset = t;
    }
    m_env.toolsets[3]->rtos[0] = {"Kernel.DLL", "Real-Time Kernel"};
    m_env.toolsets[3]->rtos[2] = {"TINY.DLL", "Tiny Kernel"};
  }
  // Leaves the current page (to the first tab); false when refused.
  bool LeavePage() {
    OptionPage* before = m_sheet->CurrentPage();
    m_sheet->Tabs()->setCurrentIndex(0);
    return m_sheet->CurrentPage() != before;
  }
  // OK: the page is left and the project takes the working copies.
  void Ok() {
    m_sheet->accept();
    ASSERT_EQ(m_sheet->result(), int(QDialog::Accepted)) << (m_refusals.empty() ? "" : m_refusals.back());
    m_session->Commit();
  }
  // The line the build makes now from the project's options.
  std::string BuildLine(PreviewTool tool, NodeRec* node) {
    CommandContext ctx;
    switch (tool) {
      case PreviewTool::kGnuCc: MakeGnuCcCommand(ctx, node, m_target, false); break;
      case PreviewTool::kGnuAs: MakeGnuAsCommand(ctx, node, m_target, false); break;
      case PreviewTool::kAdsCc: MakeAdsCcCommand(ctx, node, m_target, false); break;
      case PreviewTool::kAdsAsm: MakeAdsAsmCommand(ctx, node, m_target, false); break;
      case PreviewTool::kGnuLd:
        ctx.SetCommandContext(m_target, m_target);
        MakeGnuLdCommand(ctx, *m_target->pOpts, 0);
        break;
      case PreviewTool::kAdsLink:
        ctx.SetCommandContext(m_target, m_target);
        MakeAdsLinkCommand(ctx, *m_target->pOpts, 0);
        break;
      default: break;
    }
    return std::string(ctx.Text());
  }

};

// ---------------------------------------------------------------- compiler and assembler pages

// A control of a compiler or assembler page: a field of the flag word
// (index >= 0) or a text (-1 - ArmToolText).
struct ToolControlRow {
  const char* name;
  uint16_t toolset;
  PageId page;
  PreviewTool tool;
  int control;
  bool group;     // edited at group level
  bool changes;   // the control's change shows in the line
};
class ArmToolControls : public ArmSheet, public ::testing::WithParamInterface<ToolControlRow> {};
TEST_P(ArmToolControls, PreviewShowsTheChangeAndEqualsTheBuildersLine) {
  const ToolControlRow& row = GetParam();
  UseToolset(row.toolset);
  NodeRec* node = row.group ? static_cast<NodeRec*>(m_group) : m_target;
  // The group level inherits; a define at target level gives Undefine work.
  m_target->pOpts->cGnu.ACDEFN = OptString::Pooled("TDEF", kPoolProject);
  m_target->pOpts->cAds.ADSCDEFN = OptString::Pooled("TDEF", kPoolProject);
  m_target->pOpts->aGnu.AADEFN = OptString::Pooled("TDEF", kPoolProject);
  m_target->pOpts->cGnu.ACCFLG[0] |= 0x40;  // interwork on: a group's box leaves "inherit" for off
  Open(node);
  auto* page = Go<ArmToolPage>(row.page);
  ASSERT_NE(page, nullptr);
  const QString before = page->PreviewText();
  ASSERT_FALSE(before.isEmpty());
  if (row.control >= 0) {
    QWidget* w = page->Field(row.control);
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
      Click(box);
    } else {
      auto* combo = qobject_cast<QComboBox*>(w);
      ASSERT_NE(combo, nullptr);
      combo->setCurrentIndex(combo->count() - 1);
    }
  } else {
    const ArmToolText t = ArmToolText(-1 - row.control);
    const char* const typed[] = {"ROWDEF=2", "TDEF", "rowinc", "-rowmisc"};
    QLineEdit* edit = page->Text(t);
    ASSERT_TRUE(edit->isEnabled());
    edit->setFocus();
    QTest::keyClicks(edit, typed[t]);
  }
  const QString after = page->PreviewText();
  if (row.changes)
    EXPECT_NE(after, before);
  else
    EXPECT_EQ(after, before);
  Ok();
  EXPECT_EQ(BuildLine(row.tool, node), after.toStdString());
}
constexpr PageId kGcc = PageId::kArmGnuCompiler, kGas = PageId::kArmGnuAsm, kAcc = PageId::kArmAdsCompiler,
                 kAas = PageId::kArmAdsAsm;
constexpr PreviewTool kTGcc = PreviewTool::kGnuCc, kTGas = PreviewTool::kGnuAs, kTAcc = PreviewTool::kAdsCc,
                      kTAas = PreviewTool::kAdsAsm;
constexpr int kDefineText = -1, kUndefineText = -2, kIncludeText = -3, kMiscText = -4;
const ToolControlRow kToolControlRows[] = {
    {"GnuCcOptimisation", 3, kGcc, kTGcc, 0, false, true},
    {"GnuCcWarnings", 3, kGcc, kTGcc, 1, false, true},
    {"GnuCcApcs", 3, kGcc, kTGcc, 2, false, true},
    {"GnuCcStackCheck", 3, kGcc, kTGcc, 3, false, true},
    {"GnuCcReentrant", 3, kGcc, kTGcc, 4, false, true},
    {"GnuCcInterwork", 3, kGcc, kTGcc, 5, false, true},
    {"GnuCcAnsi", 3, kGcc, kTGcc, 6, false, true},
    {"GnuCcDefine", 3, kGcc, kTGcc, kDefineText, false, true},
    {"GnuCcInclude", 3, kGcc, kTGcc, kIncludeText, false, true},
    {"GnuCcMisc", 3, kGcc, kTGcc, kMiscText, false, true},
    {"GnuCcGroupUndefine", 3, kGcc, kTGcc, kUndefineText, true, true},
    {"GnuCcGroupInterwork", 3, kGcc, kTGcc, 5, true, true},
    {"GnuAsDefine", 3, kGas, kTGas, kDefineText, false, true},
    {"GnuAsInclude", 3, kGas, kTGas, kIncludeText, false, true},
    {"GnuAsMisc", 3, kGas, kTGas, kMiscText, false, true},
    {"GnuAsGroupUndefine", 3, kGas, kTGas, kUndefineText, true, true},
    {"AdsCcOptimisation", 4, kAcc, kTAcc, 0, false, true},
    {"AdsCcWarnings", 4, kAcc, kTAcc, 1, false, true},
    {"AdsCcInterwork", 4, kAcc, kTAcc, 2, false, true},
    {"AdsCcOptimiseForTime", 4, kAcc, kTAcc, 3, false, true},
    {"AdsCcSplitLdm", 4, kAcc, kTAcc, 4, false, true},
    {"AdsCcSectionPerFunction", 4, kAcc, kTAcc, 5, false, true},
    {"AdsCcStrict", 4, kAcc, kTAcc, 6, false, true},
    {"AdsCcEnumInt", 4, kAcc, kTAcc, 7, false, true},
    {"AdsCcSignedChar", 4, kAcc, kTAcc, 8, false, true},
    {"AdsCcRopi", 4, kAcc, kTAcc, 9, false, true},
    {"AdsCcRwpi", 4, kAcc, kTAcc, 10, false, true},
    {"AdsCcThumb", 4, kAcc, kTAcc, 11, false, true},
    {"AdsCcDefine", 4, kAcc, kTAcc, kDefineText, false, true},
    {"AdsCcInclude", 4, kAcc, kTAcc, kIncludeText, false, true},
    {"AdsCcMisc", 4, kAcc, kTAcc, kMiscText, false, true},
    {"AdsCcGroupUndefine", 4, kAcc, kTAcc, kUndefineText, true, true},
    {"AdsAsInterwork", 4, kAas, kTAas, 0, false, true},
    {"AdsAsRopi", 4, kAas, kTAas, 1, false, true},
    {"AdsAsRwpi", 4, kAas, kTAas, 2, false, true},
    {"AdsAsThumb", 4, kAas, kTAas, 3, false, true},
    {"AdsAsSplitLdm", 4, kAas, kTAas, 4, false, true},
    {"AdsAsStackCheck", 4, kAas, kTAas, 5, false, true},
    {"AdsAsNoWarnings", 4, kAas, kTAas, 6, false, true},
    {"AdsAsDefine", 4, kAas, kTAas, kDefineText, false, true},
    {"AdsAsInclude", 4, kAas, kTAas, kIncludeText, false, true},
    {"AdsAsMisc", 4, kAas, kTAas, kMiscText, false, true},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmToolControls, ::testing::ValuesIn(kToolControlRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct UndefineRow {
  const char* name;
  uint16_t toolset;
  PageId page;
  bool group;
  bool enabled;
};
class ArmUndefineEdit : public ArmSheet, public ::testing::WithParamInterface<UndefineRow> {};
TEST_P(ArmUndefineEdit, OfferedOnlyBelowTheTarget) {
  UseToolset(GetParam().toolset);
  Open(GetParam().group ? static_cast<NodeRec*>(m_group) : m_target);
  auto* page = Go<ArmToolPage>(GetParam().page);
  EXPECT_EQ(page->Text(kArmUndefine)->isEnabled(), GetParam().enabled);
}
const UndefineRow kUndefineRows[] = {
    {"GnuCcTarget", 3, kGcc, false, false}, {"GnuCcGroup", 3, kGcc, true, true},
    {"GnuAsGroup", 3, kGas, true, true},    {"AdsCcGroup", 4, kAcc, true, true},
    {"AdsAsTarget", 4, kAas, false, false}, {"AdsAsGroupNever", 4, kAas, true, false},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmUndefineEdit, ::testing::ValuesIn(kUndefineRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct DefaultChoiceRow {
  const char* name;
  uint16_t toolset;
  PageId page;
  bool group;
  int shift, width;
  uint32_t stored;    // the optimisation value stored before
  uint32_t expected;  // after choosing "<default>"
};
class ArmDefaultChoice : public ArmSheet, public ::testing::WithParamInterface<DefaultChoiceRow> {};
TEST_P(ArmDefaultChoice, RefusedOnlyOnTheGnuCompilersTarget) {
  const DefaultChoiceRow& row = GetParam();
  UseToolset(row.toolset);
  uint8_t* flags = row.toolset == 3 ? m_target->pOpts->cGnu.ACCFLG : m_target->pOpts->cAds.ADSCCFLG;
  SetFirstWord(flags, (FirstWord(flags) & ~(((1u << row.width) - 1) << row.shift)) | (row.stored << row.shift));
  Open(row.group ? static_cast<NodeRec*>(m_group) : m_target);
  auto* page = Go<ArmToolPage>(row.page);
  auto* combo = qobject_cast<QComboBox*>(page->Field(0));
  ASSERT_NE(combo, nullptr);
  combo->setCurrentIndex(0);
  const uint32_t v = (FirstWord(row.toolset == 3 ? page->PageCopy().cGnu.ACCFLG : page->PageCopy().cAds.ADSCCFLG) >>
                      row.shift) & ((1u << row.width) - 1);
  EXPECT_EQ(v, row.expected);
  EXPECT_EQ(combo->currentData().toUInt(), row.expected);
}
const DefaultChoiceRow kDefaultChoiceRows[] = {
    {"GnuTargetKeepsItsLevel", 3, kGcc, false, 12, 8, 5, 5},
    {"GnuGroupInherits", 3, kGcc, true, 12, 8, 5, 0},
    {"AdsTargetTakesIt", 4, kAcc, false, 2, 7, 3, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmDefaultChoice, ::testing::ValuesIn(kDefaultChoiceRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArmSheet, DefineRefusalKeepsTheCompilerPage) {
  UseToolset(kToolsetArmAds);
  Open(m_target);
  auto* page = Go<ArmToolPage>(kAcc);
  const OptionBlock before = *m_session->TargetCopy();
  page->Text(kArmDefine)->setText("A;B");
  EXPECT_FALSE(LeavePage());
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "Syntax error in 'Define'");
  EXPECT_EQ(m_sheet->focusWidget(), page->Text(kArmDefine));
  EXPECT_FALSE(OptionBlocksDiffer(before, *m_session->TargetCopy()));
}

// ---------------------------------------------------------------- linker pages

struct LinkerControlRow {
  const char* name;
  uint16_t toolset;
  int box;         // a check box, or -1
  int edit;        // an edit, or -1 for the script or scatter name
  const char* text;
  bool changes;
};
class ArmLinkerControls : public ArmSheet, public ::testing::WithParamInterface<LinkerControlRow> {};
TEST_P(ArmLinkerControls, PreviewShowsTheChangeAndEqualsTheBuildersLine) {
  const LinkerControlRow& row = GetParam();
  UseToolset(row.toolset);
  const bool gnu = row.toolset == kToolsetArmGnu;
  Open(m_target);
  auto* page = Go<ArmLinkerPage>(gnu ? PageId::kArmGnuLinker : PageId::kArmAdsLinker);
  const QString before = page->PreviewText();
  ASSERT_FALSE(before.isEmpty());
  if (row.box >= 0) {
    Click(page->Box(row.box));
  } else {
    QLineEdit* edit = row.edit >= 0 ? page->Edit(row.edit) : page->ScriptEdit();
    edit->setFocus();
    QTest::keyClicks(edit, row.text);
  }
  QString after = page->PreviewText();
  if (row.changes)
    EXPECT_NE(after, before);
  else
    EXPECT_EQ(after, before);
  // The script name is not followed live: any other change shows it.
  if (!row.changes) {
    Click(page->Box(0));
    Click(page->Box(0));
    after = page->PreviewText();
    EXPECT_NE(after.indexOf(row.text), -1) << after.toStdString();
  }
  Ok();
  EXPECT_EQ(BuildLine(gnu ? PreviewTool::kGnuLd : PreviewTool::kAdsLink, m_target), after.toStdString());
}
const LinkerControlRow kLinkerControlRows[] = {
    {"GnuGarbageCollection", 3, 0, 0, "", true},
    {"GnuNoStartFiles", 3, 1, 0, "", true},
    {"GnuNoDefaultLibs", 3, 2, 0, "", true},
    {"GnuTextStart", 3, -1, 0, "0x8000", true},
    {"GnuDataStart", 3, -1, 1, "0x40000000", true},
    {"GnuBssStart", 3, -1, 2, "0x40001000", true},
    {"GnuLibraries", 3, -1, 3, "m", true},
    {"GnuIncludePaths", 3, -1, 4, "libs", true},
    {"GnuMisc", 3, -1, 5, "-static", true},
    {"GnuScript", 3, -1, -1, "ld/flash.ld", false},
    {"AdsRopi", 4, 0, 0, "", true},
    {"AdsRwpi", 4, 1, 0, "", true},
    {"AdsNoScanLib", 4, 2, 0, "", true},
    {"AdsStrict", 4, 3, 0, "", true},
    {"AdsReadOnlyBase", 4, -1, 0, "0x8000", true},
    {"AdsReadWriteBase", 4, -1, 1, "0x40000000", true},
    {"AdsLibraries", 4, -1, 2, "c_t.l", true},
    {"AdsMisc", 4, -1, 3, "-entry 0", true},
    {"AdsScatter", 4, -1, -1, "flash.sct", true},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmLinkerControls, ::testing::ValuesIn(kLinkerControlRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct AddressRow {
  const char* name;
  uint16_t toolset;
  int edit;
  const char* text;
  bool taken;
};
class ArmLinkerAddresses : public ArmSheet, public ::testing::WithParamInterface<AddressRow> {};
TEST_P(ArmLinkerAddresses, CheckedOnLeaving) {
  UseToolset(GetParam().toolset);
  Open(m_target);
  auto* page = Go<ArmLinkerPage>(GetParam().toolset == 3 ? PageId::kArmGnuLinker : PageId::kArmAdsLinker);
  const OptionBlock before = *m_session->TargetCopy();
  page->Edit(GetParam().edit)->setText(GetParam().text);
  EXPECT_EQ(LeavePage(), GetParam().taken);
  if (GetParam().taken) {
    EXPECT_TRUE(m_refusals.empty());
  } else {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], "Invalid Address");
    EXPECT_EQ(m_sheet->focusWidget(), page->Edit(GetParam().edit));
    EXPECT_FALSE(OptionBlocksDiffer(before, *m_session->TargetCopy()));
  }
}
const AddressRow kAddressRows[] = {
    {"GnuTextHex", 3, 0, "0x8000", true},
    {"GnuTextUnderscore", 3, 0, "0x80_00", false},
    {"GnuDataEmpty", 3, 1, "  ", true},
    {"GnuBssLetters", 3, 2, "start", false},
    {"GnuBssTop", 3, 2, "0xFFFFFFFF", true},
    {"AdsReadOnlyNegative", 4, 0, "-1", false},
    {"AdsReadWriteDecimal", 4, 1, "32768", true},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmLinkerAddresses, ::testing::ValuesIn(kAddressRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A '\\' of a folder or file chosen on this machine belongs to its name,
// while the project reads it as a folder separator: "we\\ird/" would build
// into "we/ird/". Each Browse button refuses it with the field's name and
// keeps what the field held.
TEST_F(ArmSheet, ChosenPathsWithABackslashAreRefusedWhereChosen) {
  UseToolset(kToolsetArmGnu);
  const std::string outDir = m_target->pOpts->out.OUTDIR.str(), lstDir = m_target->pOpts->lst.LSTDIR.str(),
                    script = m_target->pOpts->lGnu.ALDSCAT.str();
  Open(m_target);
  auto* output = Go<ArmOutputPage>(PageId::kArmGnuOutput);
  const std::string folderBefore = output->Folder();
  m_chosen = "/tmp/arm_opts/we\\ird/";
  Click(output->FolderButton());
  EXPECT_EQ(output->Folder(), folderBefore);
  EXPECT_TRUE(LeavePage());
  auto* listing = Go<ArmListingPage>(PageId::kArmGnuListing);
  const std::string listingBefore = listing->Folder();
  Click(listing->FolderButton());
  EXPECT_EQ(listing->Folder(), listingBefore);
  EXPECT_TRUE(LeavePage());
  auto* linker = Go<ArmLinkerPage>(PageId::kArmGnuLinker);
  const QString scriptBefore = linker->ScriptEdit()->text();
  m_chosen = "/tmp/arm_opts/we\\ird/flash.ld";
  Click(linker->ScriptPick());
  EXPECT_EQ(linker->ScriptEdit()->text(), scriptBefore);
  EXPECT_EQ(m_refusals, (std::vector<std::string>{
                            "The text of 'Folder for Objects' cannot be stored: '/tmp/arm_opts/we\\ird/' holds a "
                            "'\\', which the project reads as a folder separator.",
                            "The text of 'Folder for List Files' cannot be stored: '/tmp/arm_opts/we\\ird/' holds a "
                            "'\\', which the project reads as a folder separator.",
                            "The text of 'Linker Script File' cannot be stored: '/tmp/arm_opts/we\\ird/flash.ld' "
                            "holds a '\\', which the project reads as a folder separator."}));
  Ok();
  EXPECT_EQ(m_target->pOpts->out.OUTDIR.str(), outDir);
  EXPECT_EQ(m_target->pOpts->lst.LSTDIR.str(), lstDir);
  EXPECT_EQ(m_target->pOpts->lGnu.ALDSCAT.str(), script);
}

TEST_F(ArmSheet, ScriptPickedInASubfolderIsStoredRelative) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmLinkerPage>(PageId::kArmGnuLinker);
  m_chosen = "/tmp/arm_opts/ld/flash.ld";
  Click(page->ScriptPick());
  ASSERT_EQ(m_asked.size(), 1u);
  EXPECT_EQ(m_asked[0], "Open Linker Script File|Linker Script File (*.*)|*.*|||/tmp/arm_opts/");
  EXPECT_EQ(page->ScriptEdit()->text(), "./ld/flash.ld");
  Click(page->ScriptOpen());
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0], "/tmp/arm_opts/./ld/flash.ld");
  Ok();
  EXPECT_EQ(m_target->pOpts->lGnu.ALDSCAT.str(), "./ld/flash.ld");
  EXPECT_NE(BuildLine(PreviewTool::kGnuLd, m_target).find("-T ./ld/flash.ld"), std::string::npos);
}

TEST_F(ArmSheet, ScriptEditButtonWithoutAScriptOpensNothing) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmLinkerPage>(PageId::kArmGnuLinker);
  Click(page->ScriptOpen());
  EXPECT_TRUE(m_opened.empty());
}

TEST_F(ArmSheet, ScatterPickerOpensOnTheCurrentScatterFile) {
  UseToolset(kToolsetArmAds);
  m_target->pOpts->lAds.ADSLDSC = OptString::Pooled("cfg/old.sct", kPoolProject);
  Open(m_target);
  auto* page = Go<ArmLinkerPage>(PageId::kArmAdsLinker);
  m_chosen = "/tmp/arm_opts/cfg/new.sct";
  Click(page->ScriptPick());
  ASSERT_EQ(m_asked.size(), 1u);
  EXPECT_EQ(m_asked[0], "Select Scatter File|All Files (*.*)|*.*|||/tmp/arm_opts/cfg/old.sct");
  EXPECT_EQ(page->ScriptEdit()->text(), "./cfg/new.sct");
  EXPECT_NE(page->PreviewText().indexOf("-scatter ./cfg/new.sct"), -1);
}

TEST_F(ArmSheet, AdsLinkerWithItsPreviewBitSetShowsNoUpdates) {
  UseToolset(kToolsetArmAds);
  m_target->pOpts->lAds.ADSLDFG[0] |= 0x20;
  Open(m_target);
  auto* page = Go<ArmLinkerPage>(PageId::kArmAdsLinker);
  const QString shown = page->PreviewText();
  QTest::keyClicks(page->Edit(3), "-entry 0");
  Click(page->Box(0));
  EXPECT_EQ(page->PreviewText(), shown);
  EXPECT_TRUE(LeavePage());
  EXPECT_EQ(m_session->TargetCopy()->lAds.ADSLDMC.str(), "-entry 0");
}

struct LinkerDefaultsRow {
  const char* name;
  uint16_t toolset;
};
class ArmLinkerDefaults : public ArmSheet, public ::testing::WithParamInterface<LinkerDefaultsRow> {};
TEST_P(ArmLinkerDefaults, ResetTextsNeverTakeWhatIsTypedAfterwards) {
  const bool gnu = GetParam().toolset == kToolsetArmGnu;
  UseToolset(GetParam().toolset);
  OptionBlock& stored = *m_target->pOpts;
  if (gnu) {
    stored.lGnu.ALDMISC = OptString::Pooled("-old", kPoolProject);
    stored.lGnu.ALDFLAG[0] |= 0x0E;
  } else {
    stored.lAds.ADSLDMC = OptString::Pooled("-old", kPoolProject);
    stored.lAds.ADSLDFG[0] |= 0x0E;
  }
  Open(m_target);
  auto* page = Go<ArmLinkerPage>(gnu ? PageId::kArmGnuLinker : PageId::kArmAdsLinker);
  m_sheet->DefaultsButton()->click();
  for (int i = 0; i < page->EditCount(); ++i) EXPECT_EQ(page->Edit(i)->text(), "") << i;
  EXPECT_FALSE(page->Box(0)->isChecked());
  const int misc = page->EditCount() - 1;
  QTest::keyClicks(page->Edit(misc), "-new");
  EXPECT_NE(page->PreviewText().indexOf("-new"), -1);
  // The working copy keeps the old texts until the page is left.
  EXPECT_EQ(gnu ? m_session->TargetCopy()->lGnu.ALDMISC.str() : m_session->TargetCopy()->lAds.ADSLDMC.str(), "-old");
  EXPECT_TRUE(LeavePage());
  const OptionBlock& copy = *m_session->TargetCopy();
  EXPECT_EQ(gnu ? copy.lGnu.ALDMISC.str() : copy.lAds.ADSLDMC.str(), "-new");
  // Every other text is the one shared empty text, and it stayed empty.
  EXPECT_TRUE((gnu ? copy.lGnu.ALDTADR : copy.lAds.ADSLDTA).SameStored(OptString()));
  EXPECT_EQ(OptString().str(), "");
  EXPECT_EQ(g_szEmptyOpt[0], '\0');
  EXPECT_EQ(gnu ? copy.lGnu.ALDFLAG[0] & 0x0E : copy.lAds.ADSLDFG[0] & 0x0E, 0);
}
const LinkerDefaultsRow kLinkerDefaultsRows[] = {{"Gnu", 3}, {"Ads", 4}};
INSTANTIATE_TEST_SUITE_P(Rows, ArmLinkerDefaults, ::testing::ValuesIn(kLinkerDefaultsRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- target pages

struct TargetClockRow {
  const char* name;
  uint16_t toolset;
  const char* text;
  const char* refusal;
  uint32_t hz;
};
class ArmTargetClock : public ArmSheet, public ::testing::WithParamInterface<TargetClockRow> {};
TEST_P(ArmTargetClock, StoredOrRefused) {
  const TargetClockRow& row = GetParam();
  UseToolset(row.toolset);
  uint32_t& clock = row.toolset == 3 ? m_target->pOpts->tGnu.clock : m_target->pOpts->tAds.clock;
  clock = 32768;
  Open(m_target);
  auto* page = Go<ArmTargetPage>(row.toolset == 3 ? PageId::kArmGnuTarget : PageId::kArmAdsTarget);
  EXPECT_EQ(page->Clock()->text(), "0.032768");
  page->Clock()->setText(row.text);
  const bool left = LeavePage();
  const uint32_t now = row.toolset == 3 ? m_session->TargetCopy()->tGnu.clock : m_session->TargetCopy()->tAds.clock;
  if (*row.refusal) {
    EXPECT_FALSE(left);
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], row.refusal);
    EXPECT_EQ(m_sheet->focusWidget(), page->Clock());
    EXPECT_EQ(now, 32768u);
  } else {
    EXPECT_TRUE(left);
    EXPECT_EQ(now, row.hz);
  }
}
const TargetClockRow kTargetClockRows[] = {
    {"Twelve", 3, "12", "", 12000000},
    {"Lowest", 3, "0.001", "", 1000},
    {"Highest", 4, "999.999", "", 999999000},
    {"EmptyKeeps", 4, " ", "", 32768},
    {"BelowTheRange", 3, "0.0009", "Illegal Clock frequency value", 0},
    {"AboveTheRange", 4, "1000", "Illegal Clock frequency value", 0},
    {"WithAUnit", 3, "12 MHz", "Illegal Clock frequency value", 0},
    {"Letters", 4, "fast", "Illegal Clock frequency value", 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmTargetClock, ::testing::ValuesIn(kTargetClockRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArmSheet, TargetPageListsTheOperatingSystemsAndStoresThePosition) {
  UseToolset(kToolsetArmGnu);
  m_target->VENDOR = OptString::Pooled("Acme", kPoolProject);
  m_target->DEVICE = OptString::Pooled("AC7", kPoolProject);
  Open(m_target);
  auto* page = Go<ArmTargetPage>(PageId::kArmGnuTarget);
  EXPECT_EQ(page->DeviceText()->text(), "Acme AC7");
  ASSERT_EQ(page->Rtos()->count(), 3);
  EXPECT_EQ(page->Rtos()->itemText(0), "None");
  EXPECT_EQ(page->Rtos()->itemText(2), "Tiny Kernel");
  page->Rtos()->setCurrentIndex(2);
  EXPECT_TRUE(LeavePage());
  EXPECT_EQ(m_session->TargetCopy()->tGnu.TFLAGSA[0], 2);
}

TEST_F(ArmSheet, TargetPageRefusesStoredOverlapsAndKeepsTheOnChipBits) {
  UseToolset(kToolsetArmAds);
  TargetArmAdsOpts& t = m_target->pOpts->tAds;
  SetFirstWord(t.ADSTFLGA, (1u << 8) | (1u << 13));  // on-chip ROM and XRAM used, no device memory
  t.OCMADSOCM[0] = {0, 0, 0x1000};
  t.OCMADSOCM[1] = {0, 0x800, 0x100};
  t.OCMADSOCM[4] = {0, 0x9000, 0};  // a start without size
  Open(m_target);
  auto* page = Go<ArmTargetPage>(PageId::kArmAdsTarget);
  EXPECT_EQ(page->RowStart(0)->text(), "0x00000000");
  EXPECT_EQ(page->RowSize(1)->text(), "0x00000100");
  EXPECT_EQ(page->RowStart(4)->text(), "");
  EXPECT_TRUE(page->RowStart(0)->isHidden());
  EXPECT_TRUE(page->OnChip(0)->isHidden());
  EXPECT_FALSE(LeavePage());
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "External memory #2 overlaps #1");
  // Apart, the rows are taken; the row with no size is stored empty.
  page->RowStart(1)->setText("0x1000");
  EXPECT_TRUE(LeavePage());
  const TargetArmAdsOpts& saved = m_session->TargetCopy()->tAds;
  EXPECT_EQ(saved.OCMADSOCM[1].start, 0x1000u);
  EXPECT_EQ(saved.OCMADSOCM[4].start, 0u);
  EXPECT_EQ(FirstWord(saved.ADSTFLGA), (1u << 8) | (1u << 13));
}

// A start past 32 bits is refused on the page, not taken as its low 32 bits.
TEST_F(ArmSheet, TargetPageRefusesAnOffChipStartPast32Bits) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmTargetPage>(PageId::kArmGnuTarget);
  page->RowStart(1)->setText("0x100000000");
  page->RowSize(1)->setText("0x1000");
  EXPECT_FALSE(LeavePage());
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "Illegal external memory start address !");
  EXPECT_EQ(m_session->TargetCopy()->tGnu.OCMARM[1], m_target->pOpts->tGnu.OCMARM[1]);
}

// ---------------------------------------------------------------- output pages

TEST_F(ArmSheet, GnuOutputOffersTwoHexFormatsAndBigEndianReachesEveryTool) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmOutputPage>(PageId::kArmGnuOutput);
  EXPECT_EQ(page->HexFormat()->count(), 2);
  EXPECT_EQ(page->HexFormat()->itemText(1), "HEX-386");
  EXPECT_FALSE(page->HexFormat()->isEnabled());
  Click(page->BigEndian());
  page->Name()->setText("blinky2");
  Ok();
  EXPECT_NE(BuildLine(PreviewTool::kGnuCc, m_target).find("-mbig-endian"), std::string::npos);
  EXPECT_NE(BuildLine(PreviewTool::kGnuAs, m_target).find("-EB"), std::string::npos);
  const std::string ld = BuildLine(PreviewTool::kGnuLd, m_target);
  EXPECT_NE(ld.find("-mbig-endian"), std::string::npos);
  EXPECT_NE(ld.find("blinky2.elf"), std::string::npos) << ld;
}

TEST_F(ArmSheet, AdsOutputHasNoHexFormatsAndClearsAnEmptyBeforeBuildProgram) {
  UseToolset(kToolsetArmAds);
  m_target->pOpts->out.flags.BRUNUSR0 = 1;
  m_target->pOpts->out.BRUNUSR[0] = OptString::Pooled("prep.bat", kPoolProject);
  Open(m_target);
  auto* page = Go<ArmOutputPage>(PageId::kArmAdsOutput);
  EXPECT_EQ(page->HexFormat()->count(), 0);
  EXPECT_FALSE(page->HexBox()->isEnabled());
  EXPECT_TRUE(page->RunBox(2)->isChecked());
  EXPECT_EQ(page->Program(2)->text(), "prep.bat");
  page->Program(2)->clear();
  Click(page->RunBox(3));
  page->Program(3)->setText(" post.bat ");
  EXPECT_TRUE(LeavePage());
  const OutputOpts& out = m_session->TargetCopy()->out;
  EXPECT_EQ(out.flags.BRUNUSR0, 0);
  EXPECT_TRUE(out.BRUNUSR[0].SameStored(OptString()));
  EXPECT_EQ(out.flags.BRUNUSR1, 1);
  EXPECT_EQ(out.BRUNUSR[1].str(), "post.bat");
}

TEST_F(ArmSheet, OutputRefusesAnEmptyNameAndStoresTheFolderRelative) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<ArmOutputPage>(PageId::kArmGnuOutput);
  m_chosen = "/tmp/arm_opts/out/";
  Click(page->FolderButton());
  EXPECT_EQ(page->Folder(), "./out/");
  EXPECT_TRUE(page->Executable()->text().startsWith("Create Executable:  ./out/"));
  page->Name()->setText("  ");
  EXPECT_FALSE(LeavePage());
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "Bad or missing Name of Executable !");
  page->Name()->setText("app");
  EXPECT_TRUE(LeavePage());
  EXPECT_EQ(m_session->TargetCopy()->out.OUTDIR.str(), "./out/");
}

// ---------------------------------------------------------------- listing pages

TEST_F(ArmSheet, GnuListingBoxesReachTheCompilerAndLinkerLines) {
  UseToolset(kToolsetArmGnu);
  m_target->pOpts->lst.GLFLAGS = 0;
  Open(m_target);
  auto* page = Go<ArmListingPage>(PageId::kArmGnuListing);
  EXPECT_FALSE(page->BitBox(1)->isEnabled());
  Click(page->BitBox(0));
  EXPECT_TRUE(page->BitBox(1)->isEnabled());
  Click(page->BitBox(1));
  Click(page->BitBox(8));
  // Switching a listing off disables its contents and keeps their bits.
  Click(page->BitBox(0));
  EXPECT_FALSE(page->BitBox(1)->isEnabled());
  EXPECT_TRUE(page->BitBox(1)->isChecked());
  Click(page->BitBox(0));
  Ok();
  EXPECT_EQ(m_target->pOpts->lst.GLFLAGS & 0x103u, 0x103u);
  EXPECT_NE(BuildLine(PreviewTool::kGnuCc, m_target).find("-Wa,-a"), std::string::npos);
  EXPECT_NE(BuildLine(PreviewTool::kGnuLd, m_target).find("-Map="), std::string::npos);
}

// Each listing box against the lines the build makes: the line of its
// tool changes exactly when the tool has a control for it.
struct ListingBitRow {
  const char* name;
  uint16_t toolset;
  int bit;
  PreviewTool tool;
  bool changes;
};
class ArmListingBits : public ArmSheet, public ::testing::WithParamInterface<ListingBitRow> {};
TEST_P(ArmListingBits, ReachTheirToolsLine) {
  const ListingBitRow& row = GetParam();
  const bool gnu = row.toolset == kToolsetArmGnu;
  UseToolset(row.toolset);
  if (gnu)
    m_target->pOpts->lst.GLFLAGS = 0x101;  // both listings on, no contents
  else
    SetFirstWord(m_target->pOpts->lst.ADSFLGA, 0x11);
  const std::string before = BuildLine(row.tool, m_target);
  Open(m_target);
  auto* page = Go<ArmListingPage>(gnu ? PageId::kArmGnuListing : PageId::kArmAdsListing);
  ASSERT_NE(page->BitBox(row.bit), nullptr);
  const bool was = page->BitBox(row.bit)->isChecked();
  Click(page->BitBox(row.bit));
  EXPECT_NE(page->BitBox(row.bit)->isChecked(), was);
  Ok();
  const uint32_t word = gnu ? m_target->pOpts->lst.GLFLAGS : FirstWord(m_target->pOpts->lst.ADSFLGA);
  EXPECT_EQ(((word >> row.bit) & 1) != 0, !was);
  const std::string after = BuildLine(row.tool, m_target);
  if (row.changes)
    EXPECT_NE(after, before);
  else
    EXPECT_EQ(after, before);
}
const ListingBitRow kListingBitRows[] = {
    {"GnuAssemblerListing", 3, 0, PreviewTool::kGnuAs, true},
    {"GnuHighLevelSource", 3, 1, PreviewTool::kGnuCc, true},
    {"GnuAssemblyCode", 3, 2, PreviewTool::kGnuAs, true},
    {"GnuMacros", 3, 3, PreviewTool::kGnuAs, true},
    {"GnuSymbols", 3, 4, PreviewTool::kGnuAs, true},
    {"GnuFalseConditionals", 3, 5, PreviewTool::kGnuAs, true},
    {"GnuDebugDirectives", 3, 6, PreviewTool::kGnuAs, true},
    {"GnuFormFeeds", 3, 7, PreviewTool::kGnuCc, true},
    {"GnuLinkerMap", 3, 8, PreviewTool::kGnuLd, true},
    {"GnuMemoryMapHasNoLinkerControl", 3, 9, PreviewTool::kGnuLd, false},
    {"AdsAssemblerListing", 4, 0, PreviewTool::kAdsAsm, true},
    {"AdsAssemblerXref", 4, 1, PreviewTool::kAdsAsm, true},
    {"AdsLinkerListing", 4, 4, PreviewTool::kAdsLink, true},
    {"AdsMemoryMap", 4, 5, PreviewTool::kAdsLink, true},
    {"AdsCallGraph", 4, 6, PreviewTool::kAdsLink, true},
    {"AdsSymbols", 4, 7, PreviewTool::kAdsLink, true},
    {"AdsSizes", 4, 8, PreviewTool::kAdsLink, true},
    {"AdsTotals", 4, 9, PreviewTool::kAdsLink, true},
    {"AdsUnused", 4, 10, PreviewTool::kAdsLink, true},
    {"AdsVeneers", 4, 11, PreviewTool::kAdsLink, true},
    {"AdsLinkerXref", 4, 12, PreviewTool::kAdsLink, true},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmListingBits, ::testing::ValuesIn(kListingBitRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArmSheet, ListingFolderIsStoredEvenWithoutAFolderOfItsOwn) {
  UseToolset(kToolsetArmGnu);
  m_target->pOpts->lst.LSTDIR = OptString();
  m_target->pOpts->out.OUTDIR = OptString::Pooled("obj/", kPoolProject);
  Open(m_target);
  auto* page = Go<ArmListingPage>(PageId::kArmGnuListing);
  EXPECT_EQ(page->Folder(), "obj/");
  EXPECT_TRUE(page->BitBox(0)->text().contains("obj/*.lst"));
  // Shown, not chosen: the output folder does not become the listing folder.
  EXPECT_TRUE(LeavePage());
  EXPECT_TRUE(m_session->TargetCopy()->lst.LSTDIR.empty());
  page = Go<ArmListingPage>(PageId::kArmGnuListing);
  m_chosen = "/tmp/arm_opts/lst/";
  Click(page->FolderButton());
  EXPECT_TRUE(page->BitBox(0)->text().contains("./lst/*.lst"));
  EXPECT_TRUE(LeavePage());
  EXPECT_EQ(m_session->TargetCopy()->lst.LSTDIR.str(), "./lst/");
}

struct PageSizeRow {
  const char* name;
  int width, length;
  const char* refusal;
};
class ArmAdsListingSizes : public ArmSheet, public ::testing::WithParamInterface<PageSizeRow> {};
TEST_P(ArmAdsListingSizes, CheckedOnLeaving) {
  UseToolset(kToolsetArmAds);
  Open(m_target);
  auto* page = Go<ArmListingPage>(PageId::kArmAdsListing);
  page->PageWidth()->setValue(GetParam().width);
  page->PageLength()->setValue(GetParam().length);
  const bool left = LeavePage();
  if (*GetParam().refusal) {
    EXPECT_FALSE(left);
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], GetParam().refusal);
  } else {
    EXPECT_TRUE(left);
    EXPECT_EQ(m_session->TargetCopy()->lst.pageWidth, GetParam().width);
    EXPECT_EQ(m_session->TargetCopy()->lst.pageLength, GetParam().length);
  }
}
const PageSizeRow kPageSizeRows[] = {
    {"WidthTooNarrowForTheTool", 72, 66, "Invalid Pagewidth"},
    {"Narrowest", 79, 18, ""},
    {"Widest", 132, 32760, ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmAdsListingSizes, ::testing::ValuesIn(kPageSizeRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A group or file without a block of its own opens at the group/file
// defaults, not at a copy of the target's values: every box grey, every
// choice "<default>", every text empty, and the preview gives the target's
// Define once. Defaults brings a changed page back there.
struct NodeStartRow {
  const char* name;
  uint16_t toolset;
  PageId page;
  bool file;
};
class ArmNodeStart : public ArmSheet, public ::testing::WithParamInterface<NodeStartRow> {};
TEST_P(ArmNodeStart, AllInheritNoTexts) {
  const NodeStartRow& row = GetParam();
  UseToolset(row.toolset);
  OptionBlock& t = *m_target->pOpts;
  for (OptString* define : {&t.cGnu.ACDEFN, &t.aGnu.AADEFN, &t.cAds.ADSCDEFN, &t.aAds.ADSADEFN})
    *define = OptString::Pooled("TGT=1", kPoolProject);
  for (OptString* misc : {&t.cGnu.ACMISC, &t.cAds.ADSCMISC}) *misc = OptString::Pooled("-DMISC", kPoolProject);
  for (uint8_t* flags : {t.cGnu.ACCFLG, t.cAds.ADSCCFLG, t.aAds.ADSASFLG})
    SetFirstWord(flags, FirstWord(flags) | 0x55555555u);
  if (row.file) m_file->type = row.page == PageId::kArmGnuAsm || row.page == PageId::kArmAdsAsm ? kFileAsm : kFileC;
  Open(row.file ? static_cast<NodeRec*>(m_file) : static_cast<NodeRec*>(m_group));
  auto* page = Go<ArmToolPage>(row.page);
  auto expectInherit = [&](const char* when) {
    SCOPED_TRACE(when);
    for (int i = 0; i < page->FieldCount(); ++i) {
      if (auto* box = qobject_cast<QCheckBox*>(page->Field(i))) {
        EXPECT_EQ(box->checkState(), Qt::PartiallyChecked) << box->text().toStdString();
      }
      if (auto* combo = qobject_cast<QComboBox*>(page->Field(i))) {
        EXPECT_EQ(combo->currentText(), "<default>");
      }
    }
    for (ArmToolText text : {kArmDefine, kArmUndefine, kArmInclude, kArmMisc})
      EXPECT_EQ(page->Text(text)->text(), "") << text;
    const std::string preview = page->PreviewText().toStdString();
    EXPECT_EQ(preview.find("TGT"), preview.rfind("TGT")) << preview;
    EXPECT_NE(preview.find("TGT"), std::string::npos) << preview;
  };
  expectInherit("opened");
  for (int i = 0; i < page->FieldCount(); ++i) {
    if (auto* box = qobject_cast<QCheckBox*>(page->Field(i))) Click(box);
    if (auto* combo = qobject_cast<QComboBox*>(page->Field(i))) combo->setCurrentIndex(1);
  }
  page->Text(kArmMisc)->setText("-DNODE");
  // Written into the node's working copy, then back to the page.
  ASSERT_TRUE(LeavePage());
  page = Go<ArmToolPage>(row.page);
  m_sheet->DefaultsButton()->click();
  expectInherit("after Defaults");
}
const NodeStartRow kNodeStartRows[] = {
    {"GnuCompilerGroup", kToolsetArmGnu, PageId::kArmGnuCompiler, false},
    {"GnuCompilerFile", kToolsetArmGnu, PageId::kArmGnuCompiler, true},
    {"GnuAssemblerGroup", kToolsetArmGnu, PageId::kArmGnuAsm, false},
    {"AdsCompilerGroup", kToolsetArmAds, PageId::kArmAdsCompiler, false},
    {"AdsAssemblerFile", kToolsetArmAds, PageId::kArmAdsAsm, true},
};
INSTANTIATE_TEST_SUITE_P(Rows, ArmNodeStart, ::testing::ValuesIn(kNodeStartRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArmSheet, AdsListingBoxesReachTheLinkerLine) {
  UseToolset(kToolsetArmAds);
  SetFirstWord(m_target->pOpts->lst.ADSFLGA, 0);
  Open(m_target);
  auto* page = Go<ArmListingPage>(PageId::kArmAdsListing);
  Click(page->BitBox(4));
  Click(page->BitBox(6));
  // This page has no defaults: the button leaves it as it is.
  m_sheet->DefaultsButton()->click();
  EXPECT_TRUE(page->BitBox(6)->isChecked());
  Ok();
  EXPECT_NE(BuildLine(PreviewTool::kAdsLink, m_target).find("-callgraph"), std::string::npos);
}

}  // namespace
}  // namespace pm2
