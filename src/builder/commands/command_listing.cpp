#include "builder/commands/command_listing.h"

#include <string>

#include "builder/commands/command_context.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

// The file's name, or "*" for group and target nodes, with the extension.
std::string BaseName(const CommandContext& ctx, const char* extension) {
  const FileRec* file = ctx.CmdFile();
  std::string name = file ? std::string(GetFileNamePart(file->name.view())) : std::string("*");
  ChangeFileExt(name, extension);
  return name;
}

bool FileNeedsOwnName(const CommandContext& ctx) {
  const FileRec* file = ctx.CmdFile();
  return file && NeedsOwnOutputName(file->path.view());
}

bool ListingFolderDiffers(const CommandContext& ctx) {
  return FileNeedsOwnName(ctx) || !IsProjectFolderText(ctx.g_WorkOptions.lst.LSTDIR.c_str());
}

// "PRINT" + "(" folder name ")" when the folder differs.
void AppendPrint(CommandContext& ctx, const char* extension) {
  if (!ListingFolderDiffers(ctx)) return;
  ctx.AppendControl("PRINT(" + CommandPath(ctx.g_WorkOptions.lst.LSTDIR.view()) + BaseName(ctx, extension) + ")");
}

void AppendPageSize(CommandContext& ctx) {
  const ListingOpts& lst = ctx.g_WorkOptions.lst;
  if (lst.pageWidth != kDefaultPageWidth) ctx.AppendFormat(true, "PAGEWIDTH (%d)", lst.pageWidth);
  if (lst.pageLength != kDefaultPageLength) ctx.AppendFormat(true, "PAGELENGTH (%d)", lst.pageLength);
}

void AppendObject(CommandContext& ctx) {
  if (ctx.g_szObjFolder.empty() && !FileNeedsOwnName(ctx)) return;
  ctx.AppendControl("OBJECT(" + ctx.g_szObjFolder + BaseName(ctx, "obj") + ")");
}

}  // namespace

void AppendCompilerTail(CommandContext& ctx) {
  const ListingOpts& lst = ctx.g_WorkOptions.lst;
  if (!(lst.listFlags & kLstC)) {
    ctx.AppendControl("NOPRINT");
  } else {
    AppendPrint(ctx, "lst");
    AppendPageSize(ctx);
    if (ctx.m_nCTabWidth != 4) ctx.AppendFormat(true, "TABS (%d)", ctx.m_nCTabWidth);
  }
  if (lst.listFlags & kLstPreprint) {
    if (ListingFolderDiffers(ctx))
      ctx.AppendControl("PREPRINT(" + CommandPath(lst.LSTDIR.view()) + BaseName(ctx, "i") + ")");
    else
      ctx.AppendControl("PREPRINT");
  }
  if (ctx.g_TargetLevelOptions.prop.flags.GENASM == 1) {
    std::string src = BaseName(ctx, "SRC");
    if (ctx.g_szObjFolder.empty())
      ctx.AppendFormat(true, "SRC (.\\%s)", src.c_str());
    else
      ctx.AppendFormat(true, "SRC (%s%s)", ctx.g_szObjFolder.c_str(), src.c_str());
    return;
  }
  AppendObject(ctx);
}

void AppendAssemblerTail(CommandContext& ctx) {
  const uint32_t flags = ctx.g_WorkOptions.lst.listFlags;
  if (!(flags & kLstAsm)) {
    ctx.AppendControl("NOPRINT");
  } else {
    AppendPrint(ctx, "lst");
    if (!(flags & kLstAsmCond)) ctx.AppendControl("NOCOND");
    if (!(flags & kLstAsmSymbols)) ctx.AppendControl("NOSYMBOLS");
    if (flags & kLstAsmXref) ctx.AppendControl("XREF");
    AppendPageSize(ctx);
  }
  AppendObject(ctx);
}

void AppendCListingContents(CommandContext& ctx) {
  static constexpr struct {
    unsigned bit;
    const char* text;
  } kRows[] = {{kLstCCode, "CODE"}, {kLstCInclude, "LISTINCLUDE"}, {kLstCSymbols, "SYMBOLS"}};
  const uint32_t flags = ctx.g_WorkOptions.lst.listFlags;
  for (const auto& row : kRows)
    if (flags & row.bit) ctx.AppendControl(row.text);
  if (!(flags & kLstCCond)) ctx.AppendControl("NOCOND");
}

}  // namespace pm2
