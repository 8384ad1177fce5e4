#include "builder/commands/command_context.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

CommandContext::CommandContext() : g_pCmdLineBuf(new char[kCmdLineBufSize]) {
  g_pCmdLineBuf[0] = '\0';
}

void CommandContext::ResetBuffer() {
  g_nCmdLineLen = 0;
  g_pCmdLineBuf[0] = '\0';
}

void CommandContext::AppendControl(std::string_view text, bool withBlank) {
  if (text.empty()) return;
  char* buf = g_pCmdLineBuf.get();
  bool blank = false;
  if (withBlank && g_nCmdLineLen != 0) {
    char last = buf[g_nCmdLineLen - 1];
    blank = last != ' ' && last != '\n';
  }
  std::size_t need = (blank ? 1 : 0) + text.size() + 1;
  if (g_nCmdLineLen + need > kCmdLineBufSize) return;  // dropped whole
  if (blank) buf[g_nCmdLineLen++] = ' ';
  std::memcpy(buf + g_nCmdLineLen, text.data(), text.size());
  g_nCmdLineLen += static_cast<uint32_t>(text.size());
  buf[g_nCmdLineLen] = '\0';
}

void CommandContext::AppendFormat(bool withBlank, const char* format, ...) {
  char small[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof small) {
    AppendControl(std::string_view(small, static_cast<std::size_t>(n)), withBlank);
    return;
  }
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(big.data(), big.size(), format, args);
  va_end(args);
  big.resize(static_cast<std::size_t>(n));
  AppendControl(big, withBlank);
}

void ClearOptionListTexts(OptionBlock& b) {
  OptString* lists[] = {
      &b.q166.DEFINE,   &b.q166.UNDEFINE, &b.w166.ASET,     &b.w166.ARESET,
      &b.yq166.ECDEFINE, &b.yq166.ECUNDEF, &b.q51.Q51DEF,   &b.q51.Q51UDF,
      &b.w51.WX51SET,   &b.w51.WX51RST,   &b.q251.Q251DEF,  &b.q251.Q251UDF,
      &b.cGnu.ACDEFN,   &b.cGnu.ACUDEF,   &b.aGnu.AADEFN,   &b.aGnu.AAUDEF,
      &b.cAds.ADSCDEFN, &b.cAds.ADSCUDEF, &b.aAds.ADSADEFN, &b.aAds.ADSAUDEF,
  };
  static_assert(sizeof lists / sizeof lists[0] == 20);
  for (OptString* s : lists) *s = OptString();
}

namespace {

const OptionBlock* FindOwnBlock(NodeRec* node, const TargetRec* target) {
  return node ? FindTargetOptions(node->pOpts, target) : nullptr;
}

// A copy of the level above for a node without a block of its own.
void CopyInherited(OptionBlock& to, const OptionBlock& from) {
  to = from;
  ClearOptionListTexts(to);
}

}  // namespace

void CommandContext::LoadWorkOptions(const OptionBlock& block) {
  g_WorkOptions = block;
  g_bCmdLibrary = g_WorkOptions.out.flags.GENAPP ? 0 : 1;
}

void CommandContext::SetCommandContext(NodeRec* node, TargetRec* target) {
  g_szObjFolder.clear();
  ResetBuffer();
  g_pCmdNode = node;
  g_nCmdNodeKind = node ? node->kind : 0;
  g_pCmdTarget = target;
  g_pCmdGroupOptions = nullptr;

  // A target without a block (no toolset) builds from an empty block.
  const OptionBlock* own = target ? FindTargetOptions(target->pOpts, target) : nullptr;
  LoadWorkOptions(own ? *own : OptionBlock{});

  switch (g_nCmdNodeKind) {
    case kKindGroup: {
      g_pCmdGroupOptions = FindOwnBlock(node, target);
      if (g_pCmdGroupOptions) g_ParentOptions = *g_pCmdGroupOptions;
      else CopyInherited(g_ParentOptions, g_WorkOptions);
      g_TargetLevelOptions = g_ParentOptions;
      break;
    }
    case kKindFile: {
      auto* file = static_cast<FileRec*>(node);
      g_pCmdGroupOptions = FindOwnBlock(file->group, target);
      if (g_pCmdGroupOptions) g_ParentOptions = *g_pCmdGroupOptions;
      else CopyInherited(g_ParentOptions, g_WorkOptions);
      if (const OptionBlock* fileOpts = FindOwnBlock(node, target))
        g_TargetLevelOptions = *fileOpts;
      else
        CopyInherited(g_TargetLevelOptions, g_ParentOptions);
      break;
    }
    default:
      g_ParentOptions = g_WorkOptions;
      g_TargetLevelOptions = g_WorkOptions;
      break;
  }

  g_n51ToolVariant = 0;
  g_bCmd251 = 0;
  uint16_t toolset = target ? target->toolset : uint16_t{kToolsetUndefined};
  if (toolset == kToolset51) {
    uint32_t& t51 = g_WorkOptions.t51.T51FL;
    // An extended compiler or the MX51 device implies the extended linker.
    if (t51 & (kT51Mx17 | kT51Mxp)) t51 |= kT51Mx15;
    if (t51 & 0x10000) g_n51ToolVariant = 1;
    if (t51 & kT51Mx15) g_n51ToolVariant += 2;
    if (t51 & kT51Mx17) g_n51ToolVariant = 3;
  } else if (toolset == kToolset251) {
    g_bCmd251 = 1;
  }
}

const FileRec* CommandContext::CmdFile() const {
  return IsFileNode() ? static_cast<const FileRec*>(g_pCmdNode) : nullptr;
}

bool StartsWithDotBackslash(std::string_view path) {
  return path.size() >= 2 && path[0] == '.' && (path[1] == '\\' || path[1] == '/');
}

void CommandContext::SetObjFolder(std::string_view filePath) {
  const char* outDir = g_WorkOptions.out.OUTDIR.c_str();
  if (IsProjectFolderText(outDir) && StartsWithDotBackslash(filePath))
    g_szObjFolder.clear();
  else
    g_szObjFolder = outDir;
}

void CommandContext::MakeObjFileName(std::string_view fileName) {
  std::string name(GetFileNamePart(fileName));
  ChangeFileExt(name, "obj");
  g_szObjFileName = g_szObjFolder + name;
}

bool NeedsOwnOutputName(std::string_view filePath) {
  if (filePath.empty() || filePath.find(':') != std::string_view::npos) return true;
  int separators = 0;
  for (char c : filePath)
    if (c == '\\' || c == '/') ++separators;
  return separators != 1;
}

std::string CommandPath(std::string_view stored) {
  std::string out(stored);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool IsBlankText(std::string_view text) {
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

void ResolveInheritFields(CommandContext& ctx, std::span<const InheritField> fields) {
  if (!ctx.IsFileNode() && !ctx.IsGroupNode()) return;  // all levels equal
  OptionBlock& node = ctx.g_TargetLevelOptions;
  for (const InheritField& f : fields) {
    uint32_t word = f.get(node);
    uint32_t value = BitField(word, f.lo, f.width);
    if (value != f.inherit) continue;
    if (ctx.IsFileNode()) value = BitField(f.get(ctx.g_ParentOptions), f.lo, f.width);
    if (value == f.inherit && !f.groupOnly) value = BitField(f.get(ctx.g_WorkOptions), f.lo, f.width);
    f.set(node, WithBitField(word, f.lo, f.width, value));
  }
}

void EmitControlRows(CommandContext& ctx, std::span<const ControlRow> rows) {
  for (const ControlRow& row : rows) {
    if (row.when && !row.when(ctx)) continue;
    if (row.emitter) row.emitter(ctx);
    else if (row.text) ctx.AppendControl(row.text);
  }
}

void BuildNodeLine(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName,
                   void (*body)(CommandContext&)) {
  ctx.SetCommandContext(node, target);
  const FileRec* file = ctx.CmdFile();
  if (withObjectName && file) ctx.SetObjFolder(file->path.view());
  body(ctx);
  if (withObjectName && file) ctx.MakeObjFileName(file->name.view());
}

const InheritField kGenAsmField{
    [](const OptionBlock& b) -> uint32_t { return FlagWord(b.prop.flags); },
    [](OptionBlock& b, uint32_t w) { SetFlagWord(b.prop.flags, w); }, 4, 2, 2, true};

}  // namespace pm2
