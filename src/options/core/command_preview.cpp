#include "options/core/command_preview.h"

#include "builder/commands/arm_ads_command.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/commands/n166_linker.h"
#include "builder/commands/n51_linker.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/q51_command.h"
#include "builder/commands/w166_command.h"
#include "builder/commands/w51_command.h"
#include "builder/commands/yq166_command.h"
#include "options/core/options_session.h"

namespace pm2 {

namespace {

using NodeBuilder = void (*)(CommandContext&, NodeRec*, TargetRec*, bool);
using BlockBuilder = void (*)(CommandContext&, OptionBlock&);

struct ToolRow {
  PreviewTool tool;
  NodeBuilder node;
  BlockBuilder block;
};

const ToolRow kTools[] = {
    {PreviewTool::kQ51, MakeQ51CompilerCommand, nullptr},
    {PreviewTool::kQ251, MakeQ251CompilerCommand, nullptr},
    {PreviewTool::kQ166, MakeQ166CompilerCommand, nullptr},
    {PreviewTool::kYQ166, MakeYQ166CompilerCommand, nullptr},
    {PreviewTool::kW51, MakeW51AssemblerCommand, nullptr},
    {PreviewTool::kW166, MakeW166AssemblerCommand, nullptr},
    {PreviewTool::kGnuCc, MakeGnuCcCommand, nullptr},
    {PreviewTool::kGnuAs, MakeGnuAsCommand, nullptr},
    {PreviewTool::kAdsCc, [](CommandContext& c, NodeRec* n, TargetRec* t, bool o) { MakeAdsCcCommand(c, n, t, o); },
     nullptr},
    {PreviewTool::kAdsAsm, MakeAdsAsmCommand, nullptr},
    {PreviewTool::kNB51, nullptr, [](CommandContext& c, OptionBlock& b) { MakeNB51LinkerCommand(c, b, 0); }},
    {PreviewTool::kNX51, nullptr, [](CommandContext& c, OptionBlock& b) { MakeNX51LinkerCommand(c, b, 0); }},
    {PreviewTool::kN251, nullptr, [](CommandContext& c, OptionBlock& b) { MakeN251LinkerCommand(c, b, 0); }},
    {PreviewTool::kN166, nullptr, [](CommandContext& c, OptionBlock& b) { MakeN166LinkerCommand(c, b, 0); }},
    {PreviewTool::kGnuLd, nullptr, [](CommandContext& c, OptionBlock& b) { MakeGnuLdCommand(c, b, 0); }},
    {PreviewTool::kAdsLink, nullptr, [](CommandContext& c, OptionBlock& b) { MakeAdsLinkCommand(c, b, 0); }},
};

struct PageTool {
  PageId page;
  PreviewTool tool;
};
const PageTool kPageTools[] = {
    {PageId::kCompiler51, PreviewTool::kQ51},     {PageId::kCompiler251, PreviewTool::kQ251},
    {PageId::kCompiler166, PreviewTool::kQ166},   {PageId::kCompilerYq166, PreviewTool::kYQ166},
    {PageId::kAsm51, PreviewTool::kW51},          {PageId::kAsm251, PreviewTool::kW51},
    {PageId::kAsm166, PreviewTool::kW166},        {PageId::kLocate51, PreviewTool::kNB51},
    {PageId::kMisc51, PreviewTool::kNB51},        {PageId::kLocate166, PreviewTool::kN166},
    {PageId::kMisc166, PreviewTool::kN166},       {PageId::kArmGnuCompiler, PreviewTool::kGnuCc},
    {PageId::kArmGnuAsm, PreviewTool::kGnuAs},    {PageId::kArmGnuLinker, PreviewTool::kGnuLd},
    {PageId::kArmAdsCompiler, PreviewTool::kAdsCc}, {PageId::kArmAdsAsm, PreviewTool::kAdsAsm},
    {PageId::kArmAdsLinker, PreviewTool::kAdsLink},
};

}  // namespace

void PreviewContextDeleter::operator()(CommandContext* ctx) const { delete ctx; }

PreviewContextPtr NewPreviewContext(const std::string& toolsFolder) {
  PreviewContextPtr ctx(new CommandContext);
  ctx->m_szToolsFolder = toolsFolder;
  return ctx;
}

PreviewTool PreviewToolOf(PageId page, uint16_t toolset) {
  if (page == PageId::kLocate251 || page == PageId::kMisc251)
    return toolset == 1 ? PreviewTool::kN251 : PreviewTool::kNX51;
  for (const PageTool& p : kPageTools)
    if (p.page == page) return p.tool;
  return PreviewTool::kNone;
}

std::string_view BuildPreview(CommandContext& ctx, OptionsSession& session, PreviewTool tool, OptionBlock* pageCopy) {
  ctx.ResetBuffer();
  for (const ToolRow& row : kTools) {
    if (row.tool != tool) continue;
    OptionsSession::PreviewScope scope(session, pageCopy);
    if (row.node) {
      row.node(ctx, session.Node(), session.Target(), false);
    } else {
      OptionBlock* block = pageCopy ? pageCopy : session.TargetCopy();
      // The linkers read the target's own level only.
      ctx.SetCommandContext(session.Target(), session.Target());
      row.block(ctx, *block);
    }
    break;
  }
  return ctx.Text();
}

std::string MarkedPreviewPart(const CommandContext& ctx) {
  const std::string_view line = ctx.Text();
  const int32_t from = ctx.g_nPreviewFrom, to = ctx.g_nPreviewTo;
  if (from < 0 || to <= from || std::size_t(to) >= line.size()) return std::string();
  // The character at the end mark becomes the closing parenthesis.
  return std::string(line.substr(std::size_t(from), std::size_t(to - from))) + ')';
}

}  // namespace pm2
