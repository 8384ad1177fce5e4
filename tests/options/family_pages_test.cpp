// The 51, 251 and 166 pages on the offscreen platform, driven by QTest:
// every control of every compiler, assembler and linker page against the
// line the build's builder makes from what the page stored, and the
// pages' own rules (levels, inherit choices, ranges, thresholds, warning
// lists, linker control files).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "options/core/family_entries.h"
#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/pages/family_target_page.h"
#include "options/pages/family_tool_page.h"
#include "options/pages/options_sheet.h"
#include "options/sheet_fixture.h"
#include "project/environment/environment.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"
#include "toolkit/qt_test_app.h"

// The builders' control rows have a member that Qt's keyword macro hides.
#undef emit
#include "builder/commands/command_context.h"
#include "builder/commands/command_listing.h"
#include "builder/commands/n166_linker.h"
#include "builder/commands/n51_linker.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/q51_command.h"
#include "builder/commands/w166_command.h"
#include "builder/commands/w51_command.h"
#include "builder/commands/yq166_command.h"

namespace pm2 {
namespace {

class FamilyPages : public test::SheetFixture {
 protected:
  FamilyPages() : SheetFixture("/tmp/fam_pages/demo.pm2") {}
  void SetUp() override {
    SheetFixture::SetUp();
    for (int t = 0; t < 3; ++t) m_env.toolsets[t] = std::make_unique<ToolsetInfo>();
    m_env.toolsets[0]->rtos[0] = {"Kernel51.DLL", "Kernel-51 Tiny"};
  }
  // OK on the sheet and the session committed into the project.
  bool Ok() {
    m_sheet->accept();
    if (!m_refusals.empty()) return false;
    m_session->Commit();
    return true;
  }
  // The line the build makes for the node from what the project stores.
  std::string Built(PreviewTool tool, NodeRec* node) {
    CommandContext ctx;
    ctx.ResetBuffer();
    OptionBlock block = *FindTargetOptions(m_target->pOpts, m_target);
    switch (tool) {
      case PreviewTool::kQ51: MakeQ51CompilerCommand(ctx, node, m_target, false); break;
      case PreviewTool::kQ251: MakeQ251CompilerCommand(ctx, node, m_target, false); break;
      case PreviewTool::kQ166: MakeQ166CompilerCommand(ctx, node, m_target, false); break;
      case PreviewTool::kYQ166: MakeYQ166CompilerCommand(ctx, node, m_target, false); break;
      case PreviewTool::kW51: MakeW51AssemblerCommand(ctx, node, m_target, false); break;
      case PreviewTool::kW166: MakeW166AssemblerCommand(ctx, node, m_target, false); break;
      case PreviewTool::kNB51:
        ctx.SetCommandContext(m_target, m_target);
        MakeNB51LinkerCommand(ctx, block, 0);
        break;
      case PreviewTool::kNX51:
        ctx.SetCommandContext(m_target, m_target);
        MakeNX51LinkerCommand(ctx, block, 0);
        break;
      case PreviewTool::kN251:
        ctx.SetCommandContext(m_target, m_target);
        MakeN251LinkerCommand(ctx, block, 0);
        break;
      case PreviewTool::kN166:
        ctx.SetCommandContext(m_target, m_target);
        MakeN166LinkerCommand(ctx, block, 0);
        break;
      default: break;
    }
    return std::string(ctx.Text());
  }

};

// A value each kind of text takes that its check accepts.
std::string TextFor(const FamilyControl& c, int index) {
  switch (c.check) {
    case FamilyCheck::kDefine: return "ALPHA, BETA=2";
    case FamilyCheck::kUndefine: return "GAMMA";
    case FamilyCheck::kSet: return "S1 S2=0x10";
    case FamilyCheck::kReset: return "R1";
    case FamilyCheck::kWarnings: return "22,23";
    case FamilyCheck::kAnyNumber: return "0x1000";
    case FamilyCheck::kNearRange: return "0x4000-0x7FFF";
    case FamilyCheck::kInitRange: return "0x10000-0x1FFFF";
    default: break;
  }
  if (c.folders) return "inc" + std::to_string(index) + ";lib";
  return "T" + std::to_string(index);
}

// Changes one control as a user would; false when the control can't be
// changed (disabled, or a kind without a value of its own).
bool Change(FamilyToolPage& page, int i, bool node) {
  const FamilyControl& c = page.Row().controls[std::size_t(i)];
  QWidget* w = page.Control(i);
  if (!w->isEnabled() || !w->isVisibleTo(&page)) return false;
  switch (c.kind) {
    case FamilyKind::kBox:
    case FamilyKind::kFlag:
      static_cast<QCheckBox*>(w)->click();
      return true;
    case FamilyKind::kList: {
      auto* combo = static_cast<QComboBox*>(w);
      for (int step = 1; step < combo->count(); ++step) {
        const int pos = (combo->currentIndex() + step) % combo->count();
        if (!node && pos == c.targetInherit) continue;
        combo->setCurrentIndex(pos);
        return true;
      }
      return false;
    }
    case FamilyKind::kText:
      if (auto* line = qobject_cast<QLineEdit*>(w)) line->setText(QString::fromStdString(TextFor(c, i)));
      else static_cast<QPlainTextEdit*>(w)->setPlainText(QString::fromStdString(TextFor(c, i)));
      return true;
    case FamilyKind::kNumber:
      static_cast<QLineEdit*>(w)->setText("0x8000");
      return true;
    default:
      return false;
  }
}

struct PreviewRow {
  const char* name;
  uint16_t toolset;
  uint32_t x51;
  PageId page;
  uint16_t kind;  // the node: 2 target, 3 group, 4 file
  PreviewTool tool;
};

class PreviewMatchesBuild : public FamilyPages, public ::testing::WithParamInterface<PreviewRow> {};

// Each control on its own: the preview after the change is the line the
// build makes after OK.
TEST_P(PreviewMatchesBuild, ControlByControl) {
  const PreviewRow& r = GetParam();
  const FamilyPageRow* row = FindFamilyPageRow(r.page);
  ASSERT_NE(row, nullptr);
  int changed = 0;
  for (std::size_t i = 0; i < row->controls.size(); ++i) {
    SCOPED_TRACE(row->controls[i].label);
    UseToolset(r.toolset, r.x51);
    // A layout from the target page gives the linkers' generated classes.
    m_target->pOpts->t51.OCM51[0] = {0, 0, 0x8000};
    NodeRec* node = r.kind == 2 ? static_cast<NodeRec*>(m_target)
                    : r.kind == 3 ? static_cast<NodeRec*>(m_group)
                                  : static_cast<NodeRec*>(m_file);
    Open(node);
    auto* page = Go<FamilyToolPage>(r.page);
    ASSERT_NE(page, nullptr);
    if (!Change(*page, int(i), r.kind != 2)) continue;
    ++changed;
    const QString shown = page->PreviewText();
    ASSERT_TRUE(Ok()) << m_refusals[0];
    EXPECT_EQ(shown.toStdString(), Built(r.tool, node));
  }
  EXPECT_GT(changed, 0);
}

constexpr uint32_t kNp51 = 0x108000, kExtended = 0x28000;
const PreviewRow kPreviewRows[] = {
    {"Q51Target", 0, 0, PageId::kCompiler51, 2, PreviewTool::kQ51},
    {"Q51TargetExtended", 0, kExtended, PageId::kCompiler51, 2, PreviewTool::kQ51},
    {"Q51Group", 0, 0, PageId::kCompiler51, 3, PreviewTool::kQ51},
    {"Q51File", 0, 0, PageId::kCompiler51, 4, PreviewTool::kQ51},
    {"Q251Target", 1, 0, PageId::kCompiler251, 2, PreviewTool::kQ251},
    {"Q251File", 1, 0, PageId::kCompiler251, 4, PreviewTool::kQ251},
    {"Q166Target", 2, 0, PageId::kCompiler166, 2, PreviewTool::kQ166},
    {"Q166Group", 2, 0, PageId::kCompiler166, 3, PreviewTool::kQ166},
    {"Yq166Target", 2, 0, PageId::kCompilerYq166, 2, PreviewTool::kYQ166},
    {"W51Target", 0, 0, PageId::kAsm51, 2, PreviewTool::kW51},
    {"W51Group", 0, 0, PageId::kAsm51, 3, PreviewTool::kW51},
    {"Wx51Target", 0, kExtended, PageId::kAsm251, 2, PreviewTool::kW51},
    {"W251Target", 1, 0, PageId::kAsm251, 2, PreviewTool::kW51},
    {"W251Group", 1, 0, PageId::kAsm251, 3, PreviewTool::kW51},
    {"W166Target", 2, 0, PageId::kAsm166, 2, PreviewTool::kW166},
    {"W166Group", 2, 0, PageId::kAsm166, 3, PreviewTool::kW166},
    {"Nb51Locate", 0, 0, PageId::kLocate51, 2, PreviewTool::kNB51},
    {"Nb51Misc", 0, 0, PageId::kMisc51, 2, PreviewTool::kNB51},
    {"Np51Locate", 0, kNp51, PageId::kLocate251, 2, PreviewTool::kNX51},
    {"Np51Misc", 0, kNp51, PageId::kMisc251, 2, PreviewTool::kNX51},
    {"N251Locate", 1, 0, PageId::kLocate251, 2, PreviewTool::kN251},
    {"N251Misc", 1, 0, PageId::kMisc251, 2, PreviewTool::kN251},
    {"N166Locate", 2, 0, PageId::kLocate166, 2, PreviewTool::kN166},
    {"N166Misc", 2, 0, PageId::kMisc166, 2, PreviewTool::kN166},
};
INSTANTIATE_TEST_SUITE_P(Rows, PreviewMatchesBuild, ::testing::ValuesIn(kPreviewRows),
                         [](const auto& info) { return std::string(info.param.name); });


// ---------------------------------------------------------------- compiler pages

QComboBox* ListOf(FamilyToolPage* page, const char* label) {
  return static_cast<QComboBox*>(page->Control(page->Find(label)));
}
QCheckBox* BoxOf(FamilyToolPage* page, const char* label) {
  return static_cast<QCheckBox*>(page->Control(page->Find(label)));
}
QLineEdit* EditOf(FamilyToolPage* page, const char* label) {
  return static_cast<QLineEdit*>(page->Control(page->Find(label)));
}

struct VectorRow {
  const char* name;
  const char* text;
  const char* refusal;
  uint32_t stored;
};
class VectorAddresses : public FamilyPages, public ::testing::WithParamInterface<VectorRow> {};
TEST_P(VectorAddresses, ReadWhenTheTargetPageIsLeft) {
  UseToolset(0);
  m_target->pOpts->q51.Q51VA = 32768;
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kCompiler51);
  QLineEdit* edit = EditOf(page, "Interrupt vector &address:");
  EXPECT_EQ(edit->text(), "0x8000");
  edit->setText(GetParam().text);
  m_sheet->accept();
  if (*GetParam().refusal) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], GetParam().refusal);
    EXPECT_EQ(m_session->TargetCopy()->q51.Q51VA, 32768u);
  } else {
    EXPECT_TRUE(m_refusals.empty());
    EXPECT_EQ(m_session->TargetCopy()->q51.Q51VA, GetParam().stored);
  }
}
const VectorRow kVectorRows[] = {
    {"EmptyGivesZero", "  ", "", 0},
    {"HexTop", "0xFFFF", "", 0xFFFF},
    {"AboveSixteenBits", "0x10000", "Invalid Interrupt Vector Address !", 0},
    {"NotANumber", "8000G", "Invalid Interrupt Vector Address !", 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, VectorAddresses, ::testing::ValuesIn(kVectorRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct TabRow {
  const char* name;
  uint16_t toolset;
  PageId page;
};
class CompilerPreviewTabs : public FamilyPages, public ::testing::WithParamInterface<TabRow> {};

// With the C listing on, the build writes TABS when the editor's tab size of
// C files is not 4; the compiler pages' previews write the same.
TEST_P(CompilerPreviewTabs, FollowTheEditorsTabSize) {
  const TabRow& r = GetParam();
  for (int width : {4, 8}) {
    UseToolset(r.toolset);
    m_target->pOpts->lst.listFlags |= kLstC;
    m_cTabWidth = width;
    Open(m_target);
    auto* page = Go<FamilyToolPage>(r.page);
    ASSERT_NE(page, nullptr);
    const std::string shown = page->PreviewText().toStdString();
    if (width == 4) EXPECT_EQ(shown.find("TABS"), std::string::npos) << shown;
    else EXPECT_NE(shown.find("TABS (8)"), std::string::npos) << shown;
  }
}
const TabRow kTabRows[] = {
    {"Q51", 0, PageId::kCompiler51},
    {"Q251", 1, PageId::kCompiler251},
    {"Q166", 2, PageId::kCompiler166},
};
INSTANTIATE_TEST_SUITE_P(Rows, CompilerPreviewTabs, ::testing::ValuesIn(kTabRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FamilyPages, Q51GroupDisablesTheTargetControlsAndInheritsCodePacking) {
  UseToolset(0, 0x8000);
  m_target->pOpts->q51.Q51FL = SetBitField(m_target->pOpts->q51.Q51FL, 26, 2, 1);
  Open(m_group);
  auto* page = Go<FamilyToolPage>(PageId::kCompiler51);
  EXPECT_FALSE(EditOf(page, "Interrupt vector &address:")->isEnabled());
  EXPECT_FALSE(BoxOf(page, "Interrupt vectors at address")->isEnabled());
  EXPECT_FALSE(BoxOf(page, "Linker Code Packing (max. AJMP / ACALL)")->isEnabled());
  EXPECT_FALSE(BoxOf(page, "Global Register Coloring")->isEnabled());
  EXPECT_TRUE(EditOf(page, "&Undefine:")->isEnabled());
  EXPECT_EQ(GetBitField(page->Copy().q51.Q51FL, 26, 2), 2u);
  // The target packs code, so the group's list has the two upper levels.
  EXPECT_EQ(ListOf(page, "Code Optimization &Level:")->count(), 13);
}

TEST_F(FamilyPages, CodePackingOffDropsTheUpperLevels) {
  UseToolset(0, 0x8000);
  uint32_t& fl = m_target->pOpts->q51.Q51FL;
  fl = SetBitField(SetBitField(fl, 26, 2, 1), 14, 4, 12);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kCompiler51);
  QComboBox* level = ListOf(page, "Code Optimization &Level:");
  ASSERT_EQ(level->count(), 13);
  EXPECT_EQ(level->currentText(), "11: Reuse Common Exit Code");
  BoxOf(page, "Linker Code Packing (max. AJMP / ACALL)")->click();
  EXPECT_EQ(level->count(), 11);
  EXPECT_EQ(level->currentText(), "<default>");
  EXPECT_EQ(GetBitField(page->Copy().q51.Q51FL, 14, 4), 10u);
}

TEST_F(FamilyPages, WithoutTheExtendedToolsTheListHasElevenRowsAndPackingIsOff) {
  UseToolset(0);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kCompiler51);
  EXPECT_EQ(ListOf(page, "Code Optimization &Level:")->count(), 11);
  EXPECT_FALSE(BoxOf(page, "Linker Code Packing (max. AJMP / ACALL)")->isEnabled());
}

struct InheritRow {
  const char* name;
  uint16_t toolset;
  PageId page;
  const char* label;
  uint16_t kind;
  uint32_t (*field)(const OptionBlock&);
  uint32_t expected;  // ~0u: unchanged
};
class InheritChoices : public FamilyPages, public ::testing::WithParamInterface<InheritRow> {};
TEST_P(InheritChoices, RefusedAtTargetLevelOnly) {
  const InheritRow& r = GetParam();
  UseToolset(r.toolset);
  NodeRec* node = r.kind == 2 ? static_cast<NodeRec*>(m_target) : static_cast<NodeRec*>(m_file);
  Open(node);
  auto* page = Go<FamilyToolPage>(r.page);
  const uint32_t before = r.field(page->Copy());
  QComboBox* list = ListOf(page, r.label);
  list->setCurrentIndex(list->findText("<default>"));
  ASSERT_TRUE(Ok());
  const OptionBlock& stored = r.kind == 2 ? *m_target->pOpts : *m_session->NodeCopy();
  EXPECT_EQ(r.field(stored), r.expected == ~0u ? before : r.expected);
  if (r.kind == 2) {
    EXPECT_EQ(uint32_t(list->currentIndex()), before);
  }
}
const InheritRow kInheritRows[] = {
    {"Q51LevelAtTarget", 0, PageId::kCompiler51, "Code Optimization &Level:", 2,
     [](const OptionBlock& b) { return GetBitField(b.q51.Q51FL, 14, 4); }, ~0u},
    {"Q51EmphasisAtTarget", 0, PageId::kCompiler51, "&Emphasis:", 2,
     [](const OptionBlock& b) { return GetBitField(b.q51.Q51FL, 22, 2); }, ~0u},
    {"Q51LevelAtFile", 0, PageId::kCompiler51, "Code Optimization &Level:", 4,
     [](const OptionBlock& b) { return GetBitField(b.q51.Q51FL, 14, 4); }, 10},
    {"Q251WarningsAtTarget", 1, PageId::kCompiler251, "&Warnings:", 2,
     [](const OptionBlock& b) { return GetBitField(b.q251.Q251F1, 20, 4); }, ~0u},
    {"Q166WarningsAtTarget", 2, PageId::kCompiler166, "&Warnings:", 2,
     [](const OptionBlock& b) { return uint32_t(b.q166.WARNINGLEV); }, ~0u},
    {"Q166WarningsAtFile", 2, PageId::kCompiler166, "&Warnings:", 4,
     [](const OptionBlock& b) { return uint32_t(b.q166.WARNINGLEV); }, 4},
};
INSTANTIATE_TEST_SUITE_P(Rows, InheritChoices, ::testing::ValuesIn(kInheritRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FamilyPages, FloatRoundingDefaultIsAValueAtTargetLevel) {
  UseToolset(0);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kCompiler51);
  ListOf(page, "Bits to &round for float compare:")->setCurrentIndex(8);
  ASSERT_TRUE(Ok());
  EXPECT_EQ(GetBitField(m_target->pOpts->q51.Q51FL, 10, 4), 8u);
}

// ---------------------------------------------------------------- assembler pages

struct SfrRow {
  const char* name;
  uint16_t kind;
  uint32_t stored;   // the field before
  int clicks;
  Qt::CheckState shown;
  uint32_t after;
};
class SfrBox : public FamilyPages, public ::testing::WithParamInterface<SfrRow> {};
TEST_P(SfrBox, InvertedWithInheritKept) {
  const SfrRow& r = GetParam();
  UseToolset(0);
  NodeRec* node = r.kind == 2 ? static_cast<NodeRec*>(m_target) : static_cast<NodeRec*>(m_group);
  Open(node);
  auto* page = Go<FamilyToolPage>(PageId::kAsm51);
  page->Copy().w51.WX51FL = SetBitField(page->Copy().w51.WX51FL, 6, 2, r.stored);
  m_session->EditedBlock()->w51.WX51FL = page->Copy().w51.WX51FL;
  page->Activate();
  QCheckBox* box = BoxOf(page, "Define 8051 SFR Names");
  EXPECT_EQ(box->checkState(), r.shown);
  for (int i = 0; i < r.clicks; ++i) box->click();
  ASSERT_TRUE(Ok());
  const OptionBlock& b = r.kind == 2 ? *m_target->pOpts : *m_session->NodeCopy();
  EXPECT_EQ(GetBitField(b.w51.WX51FL, 6, 2), r.after);
}
const SfrRow kSfrRows[] = {
    {"TargetCheckedIsZero", 2, 0, 0, Qt::Checked, 0},
    {"TargetUncheckIsOne", 2, 0, 1, Qt::Checked, 1},
    {"OldThreeLoadsUnchecked", 2, 3, 1, Qt::Unchecked, 0},
    {"GroupInheritShowsGrey", 3, 2, 0, Qt::PartiallyChecked, 2},
    // grey -> unchecked -> checked -> grey: the inherit value stays 2, never 3.
    {"GroupGreyAgainIsInherit", 3, 2, 3, Qt::PartiallyChecked, 2},
    {"GroupGreyThenUncheckedIsOne", 3, 2, 1, Qt::PartiallyChecked, 1},
};
INSTANTIATE_TEST_SUITE_P(Rows, SfrBox, ::testing::ValuesIn(kSfrRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FamilyPages, SfrBoxDisabledWithTheExtendedAssembler) {
  UseToolset(0, 0x10000);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kAsm251);
  EXPECT_EQ(page->Find("Define 8051 SFR Names"), -1);
  UseToolset(0, 0x1000);
  Open(m_target);
  page = Go<FamilyToolPage>(PageId::kAsm51);
  EXPECT_FALSE(BoxOf(page, "Define 8051 SFR Names")->isEnabled());
}

// A group's block read from the project file carries no target bits: the
// box follows the target's tools at every level.
TEST_F(FamilyPages, SfrBoxFollowsTheTargetsToolsOnAGroupReadFromTheFile) {
  UseToolset(0, 0x1000);
  Open(m_group);
  EditOf(Go<FamilyToolPage>(PageId::kAsm51), "&Set:")->setText("ONE");
  ASSERT_TRUE(Ok());
  SaveAndReopen();
  ASSERT_NE(FindTargetOptions(m_group->pOpts, m_target), nullptr);
  Open(m_group);
  auto* page = Go<FamilyToolPage>(PageId::kAsm51);
  EXPECT_EQ(EditOf(page, "&Set:")->text(), "ONE");
  EXPECT_FALSE(BoxOf(page, "Define 8051 SFR Names")->isEnabled());
}

TEST_F(FamilyPages, ResetEditByLevel) {
  UseToolset(0);
  Open(m_target);
  EXPECT_FALSE(EditOf(Go<FamilyToolPage>(PageId::kAsm51), "&Reset:")->isEnabled());
  UseToolset(2);
  Open(m_target);
  EXPECT_TRUE(EditOf(Go<FamilyToolPage>(PageId::kAsm166), "&Reset:")->isEnabled());
}

TEST_F(FamilyPages, SetListJoinedAndIncludeOfBlanksStoredEmpty) {
  UseToolset(0);
  m_target->pOpts->w51.INCA5 = OptString::Pooled("old", kPoolProject);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kAsm51);
  EXPECT_EQ(EditOf(page, "&Include Paths:")->text(), "old");
  EditOf(page, "&Set:")->setText("ONE TWO=0x10");
  EditOf(page, "&Include Paths:")->setText("   ");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->w51.WX51SET.str(), "ONE,TWO=0x10");
  EXPECT_EQ(m_target->pOpts->w51.INCA5.str(), "");
}

// The EC++ page offers no control for the warning level or plain char;
// their stored values pass through the page unchanged.
TEST_F(FamilyPages, EcPageKeepsTheSettingsItHasNoControlFor) {
  UseToolset(2);
  uint8_t* flags = m_target->pOpts->yq166.YQ166;
  flags[0] = 2;  // warning level
  flags[1] = 1;  // plain char is unsigned char
  uint8_t before[20];
  std::memcpy(before, flags, sizeof before);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kCompilerYq166);
  ASSERT_NE(page, nullptr);
  EditOf(page, "&Define:")->setText("FROM_PAGE");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->yq166.ECDEFINE.str(), "FROM_PAGE");
  EXPECT_EQ(std::memcmp(m_target->pOpts->yq166.YQ166, before, sizeof before), 0);
}

// ---------------------------------------------------------------- linker pages

TEST_F(FamilyPages, Locate51TakesTheTargetLayoutAndAControlFileDisablesIt) {
  UseToolset(0);
  m_target->pOpts->t51.OCM51[0] = {0, 0, 0x4000};
  m_target->pOpts->t51.OCM51[1] = {0, 0x4000, 0x1000};
  m_target->pOpts->n51.NX51FL &= ~4u;
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kLocate51);
  QLineEdit* code = EditOf(page, "&Code Range:");
  EXPECT_TRUE(code->isEnabled());
  BoxOf(page, "Use Memory Layout from Target Dialog")->click();
  EXPECT_FALSE(code->isEnabled());
  EXPECT_EQ(code->text(), "0X0000-0X4FFF");  // touching ranges merged
  BoxOf(page, "Use Memory Layout from Target Dialog")->click();
  EXPECT_TRUE(code->isEnabled());
  EXPECT_EQ(code->text(), "0X0000-0X4FFF");

  m_target->pOpts->n51.NX51FL |= 1;
  Open(m_target);
  page = Go<FamilyToolPage>(PageId::kLocate51);
  for (int i = 0; i < page->ControlCount(); ++i) EXPECT_FALSE(page->Control(i)->isEnabled()) << i;
  EditOf(page, "&Stack:")->setText("?STACK");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->n51.NX51STK.str(), "");
}

TEST_F(FamilyPages, Locate251ShowsTheGeneratedClasses) {
  UseToolset(1);
  m_target->pOpts->n51.NX51FL |= 4;
  m_target->pOpts->t251.OCM251[0] = {1, 0xFF0000, 0x10000};
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kLocate251);
  const std::string classes =
      static_cast<QPlainTextEdit*>(page->Control(page->Find("Classes:")))->toPlainText().toStdString();
  const std::string marked = page->MarkedPreviewPart();
  ASSERT_FALSE(marked.empty());
  EXPECT_EQ(marked.back(), ')');
  EXPECT_EQ(QString::fromStdString(marked).replace("\r\n", "\n").toStdString(), classes);
  EXPECT_NE(page->PreviewText().toStdString().find(marked.substr(0, marked.size() - 1)), std::string::npos);
}

struct RangeRow166 {
  const char* name;
  bool dppUse;
  bool fromTarget;
  const char* nearData;
  const char* initTable;
  const char* refusal;
};
class Locate166Ranges : public FamilyPages, public ::testing::WithParamInterface<RangeRow166> {};
TEST_P(Locate166Ranges, CheckedWhenAsked) {
  const RangeRow166& r = GetParam();
  UseToolset(2);
  m_target->pOpts->n166.flags.DPPUSE = r.dppUse;
  m_target->pOpts->n166.flags.USETARGSET = r.fromTarget;
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kLocate166);
  EditOf(page, "Near Data &Range:")->setText(r.nearData);
  EditOf(page, "Near Const R&ange:")->setText("0x8000-0xBFFF");
  EditOf(page, "C &Init Table Range:")->setText(r.initTable);
  m_sheet->accept();
  if (*r.refusal) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], r.refusal);
  } else {
    EXPECT_TRUE(m_refusals.empty());
  }
}
const RangeRow166 kRange166Rows[] = {
    {"EmptyNearData", true, false, "", "", "Bad or missing address range !"},
    {"NearDataBackwards", true, false, "0x8000-0x4000", "", "Bad or missing address range !"},
    {"NearDataGood", true, false, "0x4000-0x7FFF", "", ""},
    {"NotAskedWithoutDppUse", false, false, "", "", ""},
    {"InitTableMalformed", false, false, "", "0x12G-0x20", "Bad or missing address range !"},
    // The fields are not offered but their texts are stored: checked.
    {"FromTheTargetWhatIsStoredIsChecked", true, true, "junk", "junk", "Bad or missing address range !"},
};
INSTANTIATE_TEST_SUITE_P(Rows, Locate166Ranges, ::testing::ValuesIn(kRange166Rows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FamilyPages, InitTableRangeFollowsItsText) {
  UseToolset(2);
  m_target->pOpts->n166.flags.USETARGSET = 0;
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kLocate166);
  QLineEdit* edit = EditOf(page, "C &Init Table Range:");
  edit->setText("0x100-0x1FF");
  EXPECT_NE(page->PreviewText().indexOf("CINITTAB (0x100-0x1FF)"), -1);
  // A text that is no range leaves no old range behind.
  edit->setText("0x100-");
  EXPECT_EQ(page->PreviewText().indexOf("CINITTAB"), -1);
  EXPECT_EQ(page->Copy().n166.lnkWords2[0], 0u);
}

TEST_F(FamilyPages, EnterInAn166LocateEditClosesNothing) {
  UseToolset(2);
  m_target->pOpts->n166.flags.USETARGSET = 0;
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kLocate166);
  QLineEdit* edit = EditOf(page, "C &Init Table Range:");
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(m_sheet->isVisible());
  auto* classes = static_cast<QPlainTextEdit*>(page->Control(page->Find("User C&lasses:")));
  classes->setFocus();
  QTest::keyClicks(classes, "A");
  QTest::keyClick(classes, Qt::Key_Return);
  QTest::keyClicks(classes, "B");
  EXPECT_EQ(classes->toPlainText(), "A\nB");
  EXPECT_TRUE(m_sheet->isVisible());
}

// The 251 locate page and the 51 and 251 misc pages leave Enter and Escape
// to the dialog; the other linker pages keep the sheet open.
struct EnterKeyRow {
  const char* name;
  uint16_t toolset;
  PageId page;
  const char* edit;
  Qt::Key key;
  bool closes;
  int result;  // the sheet's result when it closes
};
class LinkerPageKeys : public FamilyPages, public ::testing::WithParamInterface<EnterKeyRow> {};
TEST_P(LinkerPageKeys, CloseTheSheetOnlyWhereTheDialogHasThem) {
  const EnterKeyRow& r = GetParam();
  UseToolset(r.toolset);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(r.page);
  QLineEdit* edit = EditOf(page, r.edit);
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  QTest::keyClicks(edit, "KEYED");
  QTest::keyClick(edit, r.key);
  EXPECT_EQ(m_sheet->isVisible(), !r.closes);
  if (!r.closes) return;
  EXPECT_EQ(m_sheet->result(), r.result);
  if (r.result == QDialog::Accepted) {
    // OK left the page: what was typed reached the working copy.
    const Linker51Opts& l = m_session->TargetCopy()->n51;
    EXPECT_NE((l.NX51MSC.str() + l.NX51RES.str()).find("KEYED"), std::string::npos);
  }
}
const EnterKeyRow kEnterKeyRows[] = {
    {"Locate251EnterIsOk", 1, PageId::kLocate251, "&Reserve:", Qt::Key_Return, true, QDialog::Accepted},
    {"Misc51EnterIsOk", 0, PageId::kMisc51, "&Misc Controls:", Qt::Key_Return, true, QDialog::Accepted},
    {"Misc251EscapeIsCancel", 1, PageId::kMisc251, "&Misc Controls:", Qt::Key_Escape, true, QDialog::Rejected},
    {"Locate51KeepsTheSheet", 0, PageId::kLocate51, "&Stack:", Qt::Key_Return, false, 0},
    {"Misc166KeepsTheSheet", 2, PageId::kMisc166, "&Assign:", Qt::Key_Escape, false, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, LinkerPageKeys, ::testing::ValuesIn(kEnterKeyRows),
                         [](const auto& info) { return std::string(info.param.name); });

// On such a page Enter presses the button that has the focus, not OK.
TEST_F(FamilyPages, EnterOnAFocusedButtonOfTheMiscPagePressesThatButton) {
  UseToolset(0);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kMisc51);
  static_cast<QCheckBox*>(page->Control(page->Find("use linker control file")))->click();
  ASSERT_TRUE(page->BrowseButton()->isEnabled());
  page->BrowseButton()->setFocus();
  QTest::keyClick(page->BrowseButton(), Qt::Key_Return);
  EXPECT_TRUE(m_sheet->isVisible());
  ASSERT_EQ(m_asked.size(), 1u);
  EXPECT_EQ(m_asked[0].substr(0, m_asked[0].find('|')), "Open Linker input comand file");
}

struct WarningPageRow {
  const char* name;
  uint16_t toolset;
  PageId page;
  const char* vector;  // the 166 interrupt vector table address
  const char* warnings;
  const char* refusal;
};
class MiscChecks : public FamilyPages, public ::testing::WithParamInterface<WarningPageRow> {};
TEST_P(MiscChecks, InOrder) {
  const WarningPageRow& r = GetParam();
  UseToolset(r.toolset);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(r.page);
  EditOf(page, "Disable &Warning Numbers:")->setText(r.warnings);
  if (r.toolset == 2) EditOf(page, "Interrupt &Vector Table Address:")->setText(r.vector);
  m_sheet->accept();
  if (*r.refusal) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], r.refusal);
  } else {
    EXPECT_TRUE(m_refusals.empty());
  }
}
const WarningPageRow kMiscRows[] = {
    {"Nb51List", 0, PageId::kMisc51, "", "22,23,88", ""},
    {"Nb51EmptyList", 0, PageId::kMisc51, "", "", ""},
    {"Nb51AboveThousand", 0, PageId::kMisc51, "", "1001", kBadWarningListMessage},
    {"N251TwoCommas", 1, PageId::kMisc251, "", "22,,23", kBadWarningListMessage},
    {"N166HexVector", 2, PageId::kMisc166, "0x0000", "22", ""},
    {"N166SuffixVector", 2, PageId::kMisc166, "12H", "22", ""},
    {"N166BadVectorFirst", 2, PageId::kMisc166, "0x12G", "22,,", "Error in Interrupt vector table address"},
    {"N166BadList", 2, PageId::kMisc166, "", "x", kBadWarningListMessage},
};
INSTANTIATE_TEST_SUITE_P(Rows, MiscChecks, ::testing::ValuesIn(kMiscRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FamilyPages, ControlFileNeedsAName) {
  UseToolset(0);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kMisc51);
  EXPECT_FALSE(page->BrowseButton()->isEnabled());
  BoxOf(page, "use linker control file")->click();
  EXPECT_TRUE(page->BrowseButton()->isEnabled());
  EXPECT_FALSE(page->EditButton()->isEnabled());
  EXPECT_FALSE(EditOf(page, "&Misc Controls:")->isEnabled());
  m_sheet->accept();
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "Linker command file not specified !");
}

TEST_F(FamilyPages, CreateWritesThePreviewAndStoresTheNameRelative) {
  UseToolset(0);
  ::mkdir("/tmp/fam_pages", 0755);
  m_target->pOpts->n51.NX51MSC = OptString::Pooled("REMOVEUNUSED", kPoolProject);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kMisc51);
  const std::string preview = page->PreviewText().toStdString();
  EXPECT_NE(preview.find("REMOVEUNUSED"), std::string::npos);
  BoxOf(page, "use linker control file")->click();
  m_chosen = "/tmp/fam_pages/own.lin";
  page->CreateButton()->click();
  std::ifstream in(m_chosen, std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), preview);
  EXPECT_TRUE(page->EditButton()->isEnabled());
  EXPECT_EQ(BoxOf(page, "use linker control file")->text(), "use linker control file: own.lin");
  // The preview keeps its text while the file is in use.
  EditOf(page, "&Misc Controls:")->setText("OTHER");
  EXPECT_EQ(page->PreviewText().toStdString(), preview);
  page->EditButton()->click();
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0], "/tmp/fam_pages/own.lin");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->n51.NX51LFI.str(), "own.lin");
  EXPECT_EQ(m_target->pOpts->n51.NX51FL & 1, 1u);
  ::unlink(m_chosen.c_str());
}

TEST_F(FamilyPages, BrowseOnThe166PageStoresAPathOutsideTheProjectWhole) {
  UseToolset(2);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kMisc166);
  BoxOf(page, "use linker control file")->click();
  m_chosen = "/opt/link/common.lin";
  page->BrowseButton()->click();
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->n166.LNKFILE.str(), "/opt/link/common.lin");
}

TEST_F(FamilyPages, MiscDefaultsOnTheCopyReachTheBlockWhenLeft) {
  UseToolset(0);
  m_target->pOpts->n51.NX51FL = 0x1 | 0x4 | 0x10;
  m_target->pOpts->n51.NX51LFI = OptString::Pooled("x.lin", kPoolProject);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kMisc51);
  m_sheet->DefaultsButton()->click();
  EXPECT_EQ(m_session->TargetCopy()->n51.NX51FL, 0x1u | 0x4 | 0x10);  // not yet
  EXPECT_FALSE(BoxOf(page, "use linker control file")->isChecked());
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->n51.NX51FL, 0x4u | 0x20 | 0x100);
  EXPECT_EQ(m_target->pOpts->n51.NX51LFI.str(), "");
}

// ---------------------------------------------------------------- target pages

struct Clock51Row {
  const char* name;
  const char* text;
  const char* refusal;
  uint32_t hz;
};
class TargetClocks : public FamilyPages, public ::testing::WithParamInterface<Clock51Row> {};
TEST_P(TargetClocks, StoredOrRefusedOnEveryFamily) {
  for (uint16_t toolset : {0, 1, 2}) {
    SCOPED_TRACE(toolset);
    UseToolset(toolset);
    m_target->pOpts->t51.clock = m_target->pOpts->t251.clock = m_target->pOpts->t166.clock = 12000000;
    m_refusals.clear();
    Open(m_target);
    auto* page = Go<FamilyTargetPage>(toolset == 0 ? PageId::kTarget51 : toolset == 1 ? PageId::kTarget251
                                                                                        : PageId::kTarget166);
    EXPECT_EQ(page->ClockEdit()->text(), "12.0");
    page->ClockEdit()->clear();
    QTest::keyClicks(page->ClockEdit(), GetParam().text);
    m_sheet->accept();
    const OptionBlock& b = *m_session->TargetCopy();
    const uint32_t clock = toolset == 0 ? b.t51.clock : toolset == 1 ? b.t251.clock : b.t166.clock;
    if (*GetParam().refusal) {
      ASSERT_EQ(m_refusals.size(), 1u);
      EXPECT_EQ(m_refusals[0], GetParam().refusal);
      EXPECT_EQ(clock, 12000000u);
    } else {
      EXPECT_TRUE(m_refusals.empty());
      EXPECT_EQ(clock, GetParam().hz);
    }
  }
}
const Clock51Row kClock51Rows[] = {
    {"CrystalOf11059200", "11.0592", "", 11059200},
    {"EmptyKeeps", "", "", 12000000},
    {"BelowTheLowest", "0.0005", "Illegal Clock frequency value", 0},
    {"AboveTheHighest", "1000", "Illegal Clock frequency value", 0},
    {"WithAUnit", "12 MHz", "Illegal Clock frequency value", 0},
    {"DecimalComma", "12,5", "Illegal Clock frequency value", 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, TargetClocks, ::testing::ValuesIn(kClock51Rows),
                         [](const auto& info) { return std::string(info.param.name); });

struct Memory51Row {
  const char* name;
  const char* rows[6][2];  // Eprom #1..#3, Ram #1..#3: start, size
  const char* refusal;
  MemRangeRec eprom1;
};
class Target51Memory : public FamilyPages, public ::testing::WithParamInterface<Memory51Row> {};
TEST_P(Target51Memory, CheckedOnLeaving) {
  const Memory51Row& r = GetParam();
  UseToolset(0);
  Open(m_target);
  auto* page = Go<Target51Page>(PageId::kTarget51);
  for (int i = 0; i < 6; ++i) {
    const MemRowEdits& e = i < 3 ? page->Eprom(i) : page->Ram(i - 3);
    e.start->setText(r.rows[i][0]);
    e.second->setText(r.rows[i][1]);
  }
  m_sheet->accept();
  if (*r.refusal) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], r.refusal);
    EXPECT_EQ(m_session->TargetCopy()->t51.OCM51[0], m_target->pOpts->t51.OCM51[0]);
  } else {
    ASSERT_TRUE(m_refusals.empty()) << m_refusals[0];
    EXPECT_EQ(m_session->TargetCopy()->t51.OCM51[0].start, r.eprom1.start);
    EXPECT_EQ(m_session->TargetCopy()->t51.OCM51[0].size, r.eprom1.size);
  }
}
const Memory51Row kMemory51Rows[] = {
    {"LoneFirstStartCoversTheRest", {{"0x8000", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}, "",
     {0, 0x8000, 0x8000}},
    {"SecondInsideFirst",
     {{"0x0000", "0x8000"}, {"0x4000", "0x1000"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}},
     "External memory #2 overlaps #1", {}},
    {"SecondRamPastTheTop", {{"", ""}, {"", ""}, {"", ""}, {"", ""}, {"0xF000", "0x2000"}, {"", ""}},
     "Xdata memory range out of bounds", {}},
    {"FirstRamStartAboveSixtyFourK", {{"", ""}, {"", ""}, {"", ""}, {"0x20000", "0x10"}, {"", ""}, {"", ""}},
     "Invalid start address: '0x20000'", {}},
    {"FirstEpromStartPast32Bits", {{"0x100000000", "0x10"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}},
     "Invalid start address: '0x100000000'", {}},
    {"LoneSecondStart", {{"", ""}, {"0x100", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}, "Illegal Range !", {}},
    {"CodeAndXdataMayShareAddresses",
     {{"0", "0x8000"}, {"", ""}, {"", ""}, {"0", "0x8000"}, {"", ""}, {"", ""}}, "", {0, 0, 0x8000}},
};
INSTANTIATE_TEST_SUITE_P(Rows, Target51Memory, ::testing::ValuesIn(kMemory51Rows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FamilyPages, Target51BankAreaCheckedOnlyWithBanking) {
  UseToolset(0);
  Open(m_target);
  auto* page = Go<Target51Page>(PageId::kTarget51);
  EXPECT_FALSE(page->BankArea().start->isEnabled());
  page->BankArea().start->setText("0x8000");
  page->BankArea().second->setText("0x1000");
  m_sheet->Tabs()->setCurrentIndex(m_sheet->Tabs()->currentIndex() + 1);
  EXPECT_TRUE(m_refusals.empty());
  Go<Target51Page>(PageId::kTarget51);
  page->Banking()->click();
  EXPECT_TRUE(page->BankArea().start->isEnabled());
  page->BankArea().start->setText("0x8000");
  page->BankArea().second->setText("0x1000");
  m_sheet->accept();
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "Code bank area incorrect !");
}

TEST_F(FamilyPages, Target51ModelChangeClearsThresholds) {
  UseToolset(0);
  m_target->pOpts->t51.DHOLD5 = 8;
  m_target->pOpts->t51.XHOLD5 = 100;
  Open(m_target);
  auto* page = Go<Target51Page>(PageId::kTarget51);
  EXPECT_EQ(page->DataThreshold()->text(), "8");
  page->Model()->setCurrentIndex(2);
  EXPECT_EQ(page->DataThreshold()->text(), "0");
  EXPECT_EQ(page->XdataThreshold()->text(), "0");
  page->XdataThreshold()->setText("70000");
  m_sheet->accept();
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "Invalid threshold size: '70000'");
  page->XdataThreshold()->setText("");
  m_refusals.clear();
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->t51.MODEL5, 2);
  EXPECT_EQ(m_target->pOpts->t51.XHOLD5, 0u);
}

TEST_F(FamilyPages, Target51FarAreaKeptWithTheExtendedLinker) {
  UseToolset(0, 0x8000);
  Open(m_target);
  auto* page = Go<Target51Page>(PageId::kTarget51);
  EXPECT_TRUE(page->Far()->isEnabled());
  page->Far()->click();
  page->FarArea().start->setText("0x1000");
  page->FarArea().second->setText("0x7FFF");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->t51.T51FL & 0x4000, 0x4000u);
  Open(m_target);
  page = Go<Target51Page>(PageId::kTarget51);
  EXPECT_EQ(page->FarArea().start->text(), "0x1000");
  EXPECT_EQ(page->FarArea().second->text(), "0x7FFF");
}

TEST_F(FamilyPages, Target51LayoutReachesTheLocatePage) {
  UseToolset(0);
  m_target->pOpts->n51.NX51FL |= 4;
  Open(m_target);
  auto* page = Go<Target51Page>(PageId::kTarget51);
  page->Eprom(0).start->setText("0");
  page->Eprom(0).second->setText("0x4000");
  page->Eprom(1).start->setText("0x8000");
  page->Eprom(1).second->setText("0x100");
  page->Ram(0).start->setText("0x100");
  page->Ram(0).second->setText("0x100");
  auto* locate = Go<FamilyToolPage>(PageId::kLocate51);
  EXPECT_EQ(m_session->TargetCopy()->n51.NX51COB.str(), "0X0000-0X3FFF,0X8000-0X80FF");
  EXPECT_EQ(m_session->TargetCopy()->n51.NX51XDB.str(), "0X0100-0X01FF");
  EXPECT_EQ(EditOf(locate, "&Code Range:")->text(), "0X0000-0X3FFF,0X8000-0X80FF");
}

TEST_F(FamilyPages, Target51OnChipBoxesFollowTheDevice) {
  UseToolset(0, 0x40 | 0x800 | 0x400000);
  m_target->pOpts->t51.IRO51 = {1, 0, 0x2000};
  Open(m_target);
  auto* page = Go<Target51Page>(PageId::kTarget51);
  EXPECT_TRUE(page->OnChipRom()->isVisibleTo(page));
  EXPECT_EQ(page->OnChipRom()->text(), "Use On-chip ROM (0x0-0x1FFF)");
  EXPECT_FALSE(page->OnChipXram()->isVisibleTo(page));
  EXPECT_EQ(page->Arithmetic()->text(), "Use On-chip Arithmetic Accelerator");
  EXPECT_FALSE(page->MultiDptr()->isVisibleTo(page));
  page->OnChipRom()->click();
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->t51.T51FL & 1, 1u);
}

TEST_F(FamilyPages, Target51KernelsFromTheEnvironment) {
  UseToolset(0);
  Open(m_target);
  auto* page = Go<Target51Page>(PageId::kTarget51);
  ASSERT_EQ(page->Kernel()->count(), 2);
  EXPECT_EQ(page->Kernel()->itemText(1), "Kernel-51 Tiny");
  page->Kernel()->setCurrentIndex(1);
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->t51.RTOS5, 1);
}

struct Rows251 {
  const char* name;
  const char* holds[3];
  bool banking;
  const char* bank[2];
  const char* ext[2][2];
  const char* refusal;
};
class Target251Checks : public FamilyPages, public ::testing::WithParamInterface<Rows251> {};
TEST_P(Target251Checks, InOrder) {
  const Rows251& r = GetParam();
  UseToolset(1);
  Open(m_target);
  auto* page = Go<Target251Page>(PageId::kTarget251);
  for (int i = 0; i < 3; ++i) page->Threshold(i)->setText(r.holds[i]);
  if (r.banking) page->Banking()->click();
  page->BankArea().start->setText(r.bank[0]);
  page->BankArea().second->setText(r.bank[1]);
  for (int i = 0; i < 2; ++i) {
    page->External(i).start->setText(r.ext[i][0]);
    page->External(i).second->setText(r.ext[i][1]);
  }
  page->External(1).type->setCurrentIndex(1);
  m_sheet->accept();
  if (*r.refusal) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], r.refusal);
  } else {
    ASSERT_TRUE(m_refusals.empty()) << m_refusals[0];
    EXPECT_EQ(m_session->TargetCopy()->t251.OCM251[1].kind, 1);
  }
}
const Rows251 kRows251[] = {
    {"Accepted", {"128", "65536", "32"}, true, {"0x8000", "0xFFFF"}, {{"0", "0x10000"}, {"0xFF0000", "0x10000"}}, ""},
    {"DataThresholdAbove128", {"129", "", ""}, false, {"", ""}, {{"", ""}, {"", ""}}, "Invalid threshold size: '129'"},
    {"FarThresholdAbove32", {"", "", "33"}, false, {"", ""}, {{"", ""}, {"", ""}}, "Invalid threshold size: '33'"},
    {"BankAreaEmptiedWhileBanking", {"", "", ""}, true, {"", ""}, {{"", ""}, {"", ""}}, "Missing start address !"},
    {"BankEndAlone", {"", "", ""}, true, {"", "0x100"}, {{"", ""}, {"", ""}}, "Missing start address !"},
    {"BankStartAlone", {"", "", ""}, true, {"0x100", ""}, {{"", ""}, {"", ""}}, "Missing size !"},
    {"BankEndTooHigh", {"", "", ""}, true, {"0", "0x10001"}, {{"", ""}, {"", ""}}, "Invalid end address given !"},
    {"ExternalSizeAlone", {"", "", ""}, false, {"", ""}, {{"", "0x100"}, {"", ""}},
     "Missing external memory start address !"},
    {"ExternalOverlap", {"", "", ""}, false, {"", ""}, {{"0", "0x10000"}, {"0x8000", "0x100"}},
     "External memory #2 overlaps #1"},
};
INSTANTIATE_TEST_SUITE_P(Rows, Target251Checks, ::testing::ValuesIn(kRows251),
                         [](const auto& info) { return std::string(info.param.name); });

struct Threshold166Row {
  const char* name;
  const char* text;
  const char* refusal;
  uint16_t nhold, bhold;
};
class Target166Thresholds : public FamilyPages, public ::testing::WithParamInterface<Threshold166Row> {};
TEST_P(Target166Thresholds, ReadWhenChanged) {
  UseToolset(2);
  Open(m_target);
  auto* page = Go<Target166Page>(PageId::kTarget166);
  // Deleted and typed as a user would.
  page->Thresholds()->selectAll();
  QTest::keyClick(page->Thresholds(), Qt::Key_Delete);
  QTest::keyClicks(page->Thresholds(), GetParam().text);
  m_sheet->accept();
  if (*GetParam().refusal) {
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], GetParam().refusal);
  } else {
    ASSERT_TRUE(m_refusals.empty());
    const Target166Opts& t = m_session->TargetCopy()->t166;
    EXPECT_EQ(t.NHOLD, GetParam().nhold);
    EXPECT_EQ(t.BHOLD, GetParam().bhold);
    EXPECT_EQ(t.IHOLD, 0xFFFF);
    EXPECT_EQ(t.SHOLD, 0xFFFF);
  }
}
const Threshold166Row kThreshold166Rows[] = {
    {"NearAndBdata", "near 4, bdata 2", "", 4, 2},
    {"Empty", "", "", 0xFFFF, 0xFFFF},
    {"FarIsNoSpace", "far 4", "Invalid threshold memory space: 'far'", 0, 0},
    {"TooLarge", "near 20000", "Invalid threshold size: '20000'", 0, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, Target166Thresholds, ::testing::ValuesIn(kThreshold166Rows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FamilyPages, Target166NearRamPushesNearRomDown) {
  UseToolset(2);
  m_target->pOpts->t166.NEARRAM = 0;
  m_target->pOpts->t166.NEARROM = 1;
  Open(m_target);
  auto* page = Go<Target166Page>(PageId::kTarget166);
  page->NearRam()->setCurrentIndex(2);
  EXPECT_EQ(page->NearRom()->currentIndex(), 0);
  ASSERT_TRUE(Ok());
  EXPECT_EQ(m_target->pOpts->t166.NEARRAM, 2);
  EXPECT_EQ(m_target->pOpts->t166.NEARROM, 0);
}

TEST_F(FamilyPages, Target166ReadsOnlyTheRowsThatChanged) {
  UseToolset(2);
  // A stored row the edits cannot show exactly is kept as it is.
  m_target->pOpts->t166.EXTMEM[0] = {1, 0x10000, 0x8000};
  Open(m_target);
  auto* page = Go<Target166Page>(PageId::kTarget166);
  EXPECT_EQ(page->External(0).start->text(), "0x10000");
  EXPECT_EQ(page->External(0).type->currentIndex(), 1);
  QTest::keyClicks(page->External(1).start, "0x40000");
  QTest::keyClicks(page->External(1).second, "0x20000");
  page->External(0).type->setCurrentIndex(0);
  ASSERT_TRUE(Ok());
  const Target166Opts& t = m_target->pOpts->t166;
  EXPECT_EQ(t.EXTMEM[0], (MemRangeRec{0, 0x10000, 0x8000}));
  EXPECT_EQ(t.EXTMEM[1], (MemRangeRec{0, 0x40000, 0x20000}));
}

TEST_F(FamilyPages, Target166OverlapAcrossChangedAndKeptRows) {
  UseToolset(2);
  m_target->pOpts->t166.EXTMEM[0] = {0, 0x10000, 0x8000};
  Open(m_target);
  auto* page = Go<Target166Page>(PageId::kTarget166);
  QTest::keyClicks(page->External(2).start, "0x14000");
  QTest::keyClicks(page->External(2).second, "0x100");
  m_sheet->accept();
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "External memory #3 overlaps #1");
}

}  // namespace
}  // namespace pm2
