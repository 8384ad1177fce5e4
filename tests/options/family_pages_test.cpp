// The 51, 251 and 166 pages on the offscreen platform, driven by QTest:
// every control of every compiler, assembler and linker page against the
// line the build's builder makes from what the page stored, and the
// pages' own rules (levels, inherit choices, ranges, thresholds, warning
// lists, linker control files).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <fstream>
#include <sstream>

#include "options/core/options_session.h"
#include "options/pages/family_target_page.h"
#include "options/pages/family_tool_page.h"
#include "options/pages/options_sheet.h"
#include "project/environment/environment.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"
#include "toolkit/qt_test_app.h"

// The builders' control rows have a member that Qt's keyword macro hides.
#undef emit
#include "builder/commands/command_context.h"
#include "builder/commands/n166_linker.h"
#include "builder/commands/n51_linker.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/q51_command.h"
#include "builder/commands/w166_command.h"
#include "builder/commands/w51_command.h"
#include "builder/commands/yq166_command.h"

namespace pm2 {
namespace {

class FamilyPages : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    ResetAppState();
    PoolFreeAll();
    m_project = NewProject(nullptr, "/tmp/fam_pages/demo.pm2");
    theApp().m_pProject = m_project;
    m_target = m_project->curTarget;
    m_group = m_project->firstGroup;
    m_file = AddFileToGroup(m_group, "main.c", ".\\", kFileC);
    for (int t = 0; t < 3; ++t) m_env.toolsets[t] = std::make_unique<ToolsetInfo>();
    m_env.toolsets[0]->rtos[0] = {"RTX51.DLL", "RTX-51 Tiny"};
  }
  void TearDown() override {
    m_sheet.reset();
    m_session.reset();
    ResetAppState();
    PoolFreeAll();
  }
  void UseToolset(uint16_t toolset, uint32_t x51 = 0) {
    m_target->toolset = toolset;
    ResetTargetOptions(m_target, kToolsetUndefined);
    m_target->pOpts->t51.T51FL |= x51;
  }
  OptionsSheet& Open(NodeRec* node) {
    m_sheet.reset();
    m_session = std::make_unique<OptionsSession>();
    std::string error;
    EXPECT_TRUE(m_session->Begin(m_project, node, &error)) << error;
    SheetServices services;
    services.environment = &m_env;
    services.refuse = [this](const std::string& text) { m_refusals.push_back(text); };
    services.chooseFile = [this](const std::string&, const std::string&, const std::string&) { return m_chosen; };
    services.chooseNewFile = [this](const std::string&, const std::string&, const std::string&) { return m_chosen; };
    services.openFile = [this](const std::string& path) { m_opened.push_back(path); };
    m_sheet = std::make_unique<OptionsSheet>(*m_session, services, "Options");
    m_sheet->show();
    return *m_sheet;
  }
  template <class P>
  P* Go(PageId id) {
    OptionPage* p = m_sheet->FindPage(id);
    EXPECT_NE(p, nullptr);
    for (int i = 0; i < m_sheet->PageCount(); ++i)
      if (m_sheet->Page(i) == p) m_sheet->Tabs()->setCurrentIndex(i);
    return dynamic_cast<P*>(p);
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

  ProjectRec* m_project = nullptr;
  TargetRec* m_target = nullptr;
  GroupRec* m_group = nullptr;
  FileRec* m_file = nullptr;
  EnvironmentInfo m_env;
  std::vector<std::string> m_refusals;
  std::string m_chosen;
  std::vector<std::string> m_opened;
  std::unique_ptr<OptionsSession> m_session;
  std::unique_ptr<OptionsSheet> m_sheet;
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
    {"Ec166Target", 2, 0, PageId::kCompilerEc166, 2, PreviewTool::kYQ166},
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

}  // namespace
}  // namespace pm2
