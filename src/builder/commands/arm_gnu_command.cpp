#include "builder/commands/arm_gnu_command.h"

#include "builder/commands/arm_controls.h"
#include "builder/commands/command_context.h"
#include "builder/commands/compiler_includes.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

using Ctx = CommandContext;

uint32_t CcWord(const OptionBlock& b) { return FirstWord(b.cGnu.ACCFLG); }
void SetCcWord(OptionBlock& b, uint32_t w) { SetFirstWord(b.cGnu.ACCFLG, w); }

const InheritField kCcFields[] = {
    {CcWord, SetCcWord, kGnuCcApcsFrame, 2, 2},  {CcWord, SetCcWord, kGnuCcStackCheck, 2, 2},
    {CcWord, SetCcWord, kGnuCcReentrant, 2, 2},  {CcWord, SetCcWord, kGnuCcInterwork, 2, 2},
    {CcWord, SetCcWord, kGnuCcField8, 2, 2},     {CcWord, SetCcWord, kGnuCcAnsi, 2, 2},
    {CcWord, SetCcWord, kGnuCcOptimize, 8, 0},   {CcWord, SetCcWord, kGnuCcWarnings, 8, 0},
};

const char* const kOptimize[] = {nullptr, "-O", "-O0", "-O1", "-O2", "-Os", "-O3"};
const char* const kWarnings[] = {nullptr, "-w", "-Wall", "-pedantic"};

struct SwitchRow {
  int lo;
  const char* text;
};
const SwitchRow kCcSwitches[] = {
    {kGnuCcApcsFrame, "-mapcs-frame"}, {kGnuCcStackCheck, "-mapcs-stack-check"},
    {kGnuCcReentrant, "-mapcs-reentrant"}, {kGnuCcInterwork, "-mthumb-interwork"},
    {kGnuCcAnsi, "-ansi"},
};

OptString CcMisc(const OptionBlock& b) { return b.cGnu.ACMISC; }
OptString CcDef(const OptionBlock& b) { return b.cGnu.ACDEFN; }
OptString CcUndef(const OptionBlock& b) { return b.cGnu.ACUDEF; }
OptString AsInc(const OptionBlock& b) { return b.aGnu.AAINCD; }
OptString AsMisc(const OptionBlock& b) { return b.aGnu.AAMISC; }
OptString AsDef(const OptionBlock& b) { return b.aGnu.AADEFN; }
OptString AsUndef(const OptionBlock& b) { return b.aGnu.AAUDEF; }

// "=\"%s\"" or "=\"%s%s\"" with the listing folder: the folder is written
// when it is not the project folder or the file has a path of its own.
std::string ListingTarget(const Ctx& c) {
  const FileRec* file = c.CmdFile();
  std::string_view folder = c.g_WorkOptions.lst.LSTDIR.view();
  bool withFolder = !IsProjectFolder(folder) || (file && NeedsOwnOutputName(file->path.view()));
  return "=" + QuotedPath((withFolder ? CommandPath(folder) : std::string()) + ArmNodeFileName(c, "lst"));
}

// The object the line names; the build hands the same name to the linker.
std::string GnuSymbol(std::string_view name, std::string_view value) {
  return "--defsym " + std::string(name) + "=" + (value.empty() ? std::string("0x01") : std::string(value));
}

void CcBody(Ctx& c) {
  ResolveInheritFields(c, kCcFields);
  const uint32_t w = CcWord(c.g_TargetLevelOptions);
  c.AppendControl("-c -mcpu=arm7tdmi");
  if (c.g_WorkOptions.out.flags.DEBUG) c.AppendControl("-gdwarf-2");
  if (ArmBigEndian(c)) c.AppendControl("-mbig-endian");
  c.AppendControl("-MD");
  uint32_t warn = BitField(w, kGnuCcWarnings, 8);
  if (warn < std::size(kWarnings) && kWarnings[warn]) c.AppendControl(kWarnings[warn]);
  uint32_t opt = BitField(w, kGnuCcOptimize, 8);
  if (opt < std::size(kOptimize) && kOptimize[opt]) c.AppendControl(kOptimize[opt]);
  for (const SwitchRow& row : kCcSwitches)
    if (BitField(w, row.lo, 2) != 0) c.AppendControl(row.text);
  AppendArmIncludeLevels(c, CompilerIncludeField(kToolsetArmGnu));
  AppendMiscLevels(c, CcMisc);
  AppendArmToolsetInclude(c);
  DefineList defines;
  MergeArmDefineLevels(c, CcDef, CcUndef, false, defines);
  AppendDefinePiece(c, defines, ArmCompilerDefine);
  const uint32_t sel = c.g_WorkOptions.lst.GLFLAGS & 0xFF;
  if (sel & kGlListingOn) c.AppendControl("-Wa,-a" + GnuListingLetters(sel) + ListingTarget(c));
  ResolveInheritFields(c, std::span(&kGenAsmField, 1));
  if (c.g_TargetLevelOptions.prop.flags.GENASM != 1) {
    MakeArmObjectName(c);
    c.AppendControl("-o " + QuoteIfBlank(c.g_szObjFileName));
  } else {
    c.AppendControl("-S");
  }
}

void AsBody(Ctx& c) {
  // "-m arm7tdmi" means the same to the assembler but is deprecated there
  // and earns a warning on every run.
  c.AppendControl("-mcpu=arm7tdmi");
  if (ArmBigEndian(c)) c.AppendControl("-EB");
  c.AppendControl("--MD " + QuoteIfBlank(c.g_szObjFolder + ArmNodeFileName(c, "d")));
  AppendArmIncludeLevels(c, AsInc);
  AppendMiscLevels(c, AsMisc);
  AppendArmToolsetInclude(c);
  DefineList symbols;
  MergeArmDefineLevels(c, AsDef, AsUndef, true, symbols);
  AppendDefinePiece(c, symbols, GnuSymbol);
  const uint32_t sel = c.g_WorkOptions.lst.GLFLAGS & 0xFF;
  if (sel & kGlListingOn) c.AppendControl("-a" + GnuListingLetters(sel) + ListingTarget(c));
  MakeArmObjectName(c);
  c.AppendControl("-o " + QuoteIfBlank(c.g_szObjFileName));
}

}  // namespace

bool IsProjectFolder(std::string_view folder) {
  return folder.empty() || folder == ".\\" || folder == "./";
}

std::string GnuListingLetters(uint32_t selection) {
  struct Letter {
    uint32_t bit;
    bool whenSet;
    char letter;
  };
  static const Letter kLetters[] = {{0x04, true, 'l'},  {0x02, true, 'h'},  {0x08, true, 'm'},
                                    {0x10, true, 's'},  {0x20, false, 'c'}, {0x40, false, 'd'},
                                    {0x80, false, 'n'}};
  std::string s;
  for (const Letter& l : kLetters)
    if (((selection & l.bit) != 0) == l.whenSet) s += l.letter;
  return s;
}

void MakeGnuCcCommand(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName) {
  BuildArmNodeLine(ctx, node, target, withObjectName, CcBody);
}

void MakeGnuAsCommand(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName) {
  BuildArmNodeLine(ctx, node, target, withObjectName, AsBody);
}

void MakeGnuLdCommand(CommandContext& ctx, const OptionBlock& options, int mode,
                      std::span<const std::string> objects) {
  ctx.LoadWorkOptions(options);
  if (mode != 2) ctx.ResetBuffer();
  const OptionBlock& b = ctx.g_WorkOptions;
  const LinkerArmGnuOpts& ld = b.lGnu;
  const bool breaks = mode != 2;
  auto lineBreak = [&] {
    if (breaks) ctx.AppendControl("\r\n", false);
  };
  if (!ld.ALDSCAT.empty()) ctx.AppendControl("-T " + QuoteIfBlank(ld.ALDSCAT.view()) + " ");
  if (b.lst.GLFLAGS & kGlFlagsBigEndian) ctx.AppendControl("-mbig-endian");
  ctx.AppendControl("-Wl,");
  if (b.lst.GLFLAGS & kGlMapFile) {
    std::string map = b.out.OUTNAME.str();
    ChangeFileExt(map, "map");
    ctx.AppendControl("-Map=\"" + CommandPath(b.lst.LSTDIR.view()) + map + "\",", false);
    lineBreak();
  }
  ctx.AppendControl("-Ttext=" + (ld.ALDTADR.empty() ? std::string("0x00") : ld.ALDTADR.str()), false);
  lineBreak();
  if (!ld.ALDDADR.empty()) ctx.AppendControl(",-Tdata=" + ld.ALDDADR.str(), false);
  if (!ld.ALDBSSR.empty()) ctx.AppendControl(",-Tbss=" + ld.ALDBSSR.str(), false);
  if (ld.ALDFLAG[0] & kGnuLdGcSections) ctx.AppendControl("--gc-sections");
  std::string_view outDir = b.out.OUTDIR.view();
  ctx.AppendControl("-o " + QuoteIfBlank((IsProjectFolder(outDir) ? std::string() : std::string(outDir)) +
                                         b.out.OUTNAME.str() + ".elf"));
  lineBreak();
  if (!ld.ALDICDR.empty()) ctx.AppendControl("-L " + QuoteIfBlank(ld.ALDICDR.view()));
  if (mode == 0) {
    ctx.AppendControl("*.o");
  } else {
    // The build hands its objects in double quotes; a quote or a leading
    // '-' of the name itself must reach the linker as the name.
    for (std::string_view o : objects) {
      if (o.size() >= 2 && o.front() == '"' && o.back() == '"') o = o.substr(1, o.size() - 2);
      ctx.AppendControl(QuotedPath(NotAnOption(o)));
    }
  }
  if (!ld.ALDICLB.empty()) {
    ctx.AppendControl("-l" + ld.ALDICLB.str());
    lineBreak();
  }
  if (ld.ALDFLAG[0] & kGnuLdNoStartFiles) ctx.AppendControl("-nostartfiles");
  if (ld.ALDFLAG[0] & kGnuLdNoDefaultLibs) ctx.AppendControl("-nodefaultlibs -lc -lgcc");
  if (!ld.ALDMISC.empty()) {
    lineBreak();
    ctx.AppendControl(ld.ALDMISC.view());
  }
}

}  // namespace pm2
