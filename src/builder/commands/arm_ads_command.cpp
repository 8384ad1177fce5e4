#include "builder/commands/arm_ads_command.h"

#include "builder/commands/arm_controls.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/commands/compiler_includes.h"
#include "builder/runner/batch_file.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

using Ctx = CommandContext;

uint32_t CcWord(const OptionBlock& b) { return FirstWord(b.cAds.ADSCCFLG); }
void SetCcWord(OptionBlock& b, uint32_t w) { SetFirstWord(b.cAds.ADSCCFLG, w); }
uint32_t AsWord(const OptionBlock& b) { return FirstWord(b.aAds.ADSASFLG); }
void SetAsWord(OptionBlock& b, uint32_t w) { SetFirstWord(b.aAds.ADSASFLG, w); }

constexpr uint32_t kThumbMask = 0x30000000u;

const InheritField kCcFields[] = {
    {CcWord, SetCcWord, kAdsCcInterwork, 2, 2}, {CcWord, SetCcWord, kAdsCcOptimize, 7, 0},
    {CcWord, SetCcWord, kAdsCcOtime, 2, 2},     {CcWord, SetCcWord, kAdsCcSplitLdm, 2, 2},
    {CcWord, SetCcWord, kAdsCcZo, 2, 2},        {CcWord, SetCcWord, kAdsCcStrict, 2, 2},
    {CcWord, SetCcWord, kAdsCcFy, 2, 2},        {CcWord, SetCcWord, kAdsCcZc, 2, 2},
    {CcWord, SetCcWord, kAdsCcRopi, 2, 2},      {CcWord, SetCcWord, kAdsCcRwpi, 2, 2},
    {CcWord, SetCcWord, kAdsCcWarnings, 3, 0},  {CcWord, SetCcWord, kAdsCcThumb, 2, 2},
};
const InheritField kAsFields[] = {
    {AsWord, SetAsWord, kAdsAsInterwork, 2, 2}, {AsWord, SetAsWord, kAdsAsRopi, 2, 2},
    {AsWord, SetAsWord, kAdsAsRwpi, 2, 2},      {AsWord, SetAsWord, kAdsAs16, 2, 2},
    {AsWord, SetAsWord, kAdsAsSplitLdm, 2, 2},  {AsWord, SetAsWord, kAdsAsSwst, 2, 2},
    {AsWord, SetAsWord, kAdsAsNoWarn, 2, 2},
};

struct SwitchRow {
  int lo;
  const char* text;
};
const SwitchRow kCcApcs[] = {{kAdsCcInterwork, "/interwork"}, {kAdsCcRopi, "/ropi"}, {kAdsCcRwpi, "/rwpi"}};
const SwitchRow kCcSwitches[] = {{kAdsCcSplitLdm, "-split_ldm"}, {kAdsCcZo, "-zo"},
                                 {kAdsCcStrict, "-strict"},      {kAdsCcFy, "-fy"},
                                 {kAdsCcZc, "-zc"}};
const SwitchRow kAsApcs[] = {{kAdsAsInterwork, "/interwork"}, {kAdsAsRopi, "/ropi"},
                             {kAdsAsRwpi, "/rwpi"},           {kAdsAsSwst, "/swst"}};
const SwitchRow kAsSwitches[] = {{kAdsAsNoWarn, "-nowarn"}, {kAdsAsSplitLdm, "-split_ldm"}};

const char* const kCcWarnings[] = {nullptr, "-W", "-Wabdfrvy+glpsu"};
const char* const kCcOptimize[] = {nullptr, "-O0", "-O1", "-O2"};

struct FlagRow {
  uint32_t bit;
  const char* text;
};
const FlagRow kLdFlags[] = {{kAdsLdRopi, "-ropi"}, {kAdsLdRwpi, "-rwpi"},
                            {kAdsLdNoScanLib, "-noscanlib"}, {kAdsLdStrict, "-strict"}};
const FlagRow kLdListing[] = {{1u << 5, "-map"},          {1u << 12, "-xref "},
                              {1u << 6, "-callgraph"},    {1u << 7, "-symbols"},
                              {1u << 8, "-info sizes"},   {1u << 9, "-info totals"},
                              {1u << 10, "-info unused"}, {1u << 11, "-info veneers"}};

OptString CcMisc(const OptionBlock& b) { return b.cAds.ADSCMISC; }
OptString CcDef(const OptionBlock& b) { return b.cAds.ADSCDEFN; }
OptString CcUndef(const OptionBlock& b) { return b.cAds.ADSCUDEF; }
OptString AsInc(const OptionBlock& b) { return b.aAds.ADSAINCD; }
OptString AsMisc(const OptionBlock& b) { return b.aAds.ADSAMISC; }
OptString AsDef(const OptionBlock& b) { return b.aAds.ADSADEFN; }
OptString AsUndef(const OptionBlock& b) { return b.aAds.ADSAUDEF; }

void AppendApcs(Ctx& c, uint32_t word, std::span<const SwitchRow> rows) {
  std::string apcs;
  for (const SwitchRow& r : rows)
    if (BitField(word, r.lo, 2) != 0) apcs += r.text;
  if (!apcs.empty()) c.AppendControl("-apcs " + apcs);
}

void AppendSwitches(Ctx& c, uint32_t word, std::span<const SwitchRow> rows) {
  for (const SwitchRow& r : rows)
    if (BitField(word, r.lo, 2) != 0) c.AppendControl(r.text);
}

void AppendCommon(Ctx& c) {
  const TargetArmAdsOpts& t = c.g_WorkOptions.tAds;
  if (!t.ACPUTYP.empty()) c.AppendControl("-cpu " + t.ACPUTYP.str());
  if (ArmBigEndian(c)) c.AppendControl("-bi");
  if (c.g_WorkOptions.out.flags.DEBUG) c.AppendControl("-g");
}

std::string AdsSymbol(std::string_view name, std::string_view value) {
  return "-PD \"" + std::string(name) + " SETA " + (value.empty() ? std::string("0x01") : std::string(value)) + "\"";
}

void CcBody(Ctx& c) {
  ResolveInheritFields(c, kCcFields);
  const uint32_t w = CcWord(c.g_TargetLevelOptions);
  if (w & kThumbMask) c.AppendControl(" ", false);
  c.AppendControl("-c");
  AppendCommon(c);
  uint32_t warn = BitField(w, kAdsCcWarnings, 3);
  if (warn < std::size(kCcWarnings) && kCcWarnings[warn]) c.AppendControl(kCcWarnings[warn]);
  uint32_t opt = BitField(w, kAdsCcOptimize, 7);
  if (opt < std::size(kCcOptimize) && kCcOptimize[opt]) c.AppendControl(kCcOptimize[opt]);
  if (BitField(w, kAdsCcOtime, 2) != 0) c.AppendControl("-Otime");
  AppendApcs(c, w, kCcApcs);
  AppendSwitches(c, w, kCcSwitches);
  AppendArmIncludeLevels(c, CompilerIncludeField(kToolsetArmAds));
  AppendMiscLevels(c, CcMisc);
  AppendArmToolsetInclude(c);
  DefineList defines;
  MergeArmDefineLevels(c, CcDef, CcUndef, false, defines);
  AppendDefinePiece(c, defines, ArmCompilerDefine);
  ResolveInheritFields(c, std::span(&kGenAsmField, 1));
  if (c.g_TargetLevelOptions.prop.flags.GENASM == 1) {
    c.AppendControl("-S");
  } else {
    MakeArmObjectName(c);
    c.AppendControl("-o " + QuoteIfBlank(c.g_szObjFileName));
  }
}

void AsBody(Ctx& c) {
  ResolveInheritFields(c, kAsFields);
  const uint32_t w = AsWord(c.g_TargetLevelOptions);
  AppendCommon(c);
  if (BitField(w, kAdsAs16, 2) != 0) c.AppendControl("-16");
  AppendApcs(c, w, kAsApcs);
  AppendSwitches(c, w, kAsSwitches);
  AppendArmIncludeLevels(c, AsInc);
  AppendMiscLevels(c, AsMisc);
  AppendArmToolsetInclude(c);
  DefineList symbols;
  MergeArmDefineLevels(c, AsDef, AsUndef, false, symbols);
  AppendDefinePiece(c, symbols, AdsSymbol);
  const ListingOpts& lst = c.g_WorkOptions.lst;
  const uint32_t lflags = FirstWord(lst.ADSFLGA);
  if (lflags & kAdsLstOn) {
    c.AppendControl("-liston");
    if (lflags & kAdsLstXref) c.AppendControl("-xref");
    if (lst.pageLength != kAdsDefaultPageLength) c.AppendFormat(true, "-length %d", lst.pageLength);
    if (lst.pageWidth != kAdsDefaultPageWidth) c.AppendFormat(true, "-width %d", lst.pageWidth);
    const FileRec* file = c.CmdFile();
    bool withFolder = !IsProjectFolder(lst.LSTDIR.view()) || (file && NeedsOwnOutputName(file->path.view()));
    c.AppendControl("-list \"" + (withFolder ? CommandPath(lst.LSTDIR.view()) : std::string()) + ArmNodeFileName(c, "lst") + "\"");
  }
  MakeArmObjectName(c);
  c.AppendControl("-o " + QuoteIfBlank(c.g_szObjFileName));
}

void Trace(TraceFile* trace, const std::string& text) {
  if (trace) trace->Text(text);
}

}  // namespace

bool MakeAdsCcCommand(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName) {
  BuildArmNodeLine(ctx, node, target, withObjectName, CcBody);
  // The node level holds the resolved word after the line is built.
  return (CcWord(ctx.g_TargetLevelOptions) & kThumbMask) != 0;
}

void MakeAdsAsmCommand(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName) {
  BuildArmNodeLine(ctx, node, target, withObjectName, AsBody);
}

void MakeAdsLinkCommand(CommandContext& ctx, const OptionBlock& options, int mode,
                        std::span<const std::string> objects, TraceFile* trace) {
  Trace(trace, "### Creating ADS-LD Command Line\n");
  ctx.LoadWorkOptions(options);
  if (mode != 2) ctx.ResetBuffer();
  const OptionBlock& b = ctx.g_WorkOptions;
  const LinkerArmAdsOpts& ld = b.lAds;
  auto lineBreak = [&] {
    if (mode != 2) ctx.AppendControl("\r\n", false);
  };
  if (mode == 0) {
    ctx.AppendControl("*.o");
  } else {
    for (const std::string& o : objects) {
      Trace(trace, "### List of Objects: adding '" + o + "'\n");
      ctx.AppendControl(o);
    }
  }
  if (!b.out.flags.DEBUG) ctx.AppendControl("-nodebug");
  const std::string ro = ld.ADSLDTA.empty() ? std::string("0x00") : ld.ADSLDTA.str();
  ctx.AppendControl("-ro-base " + ro);
  ctx.AppendControl("-entry " + ro);
  if (!ld.ADSLDDA.empty()) ctx.AppendControl("-rw-base " + ld.ADSLDDA.str());
  for (const FlagRow& r : kLdFlags)
    if (ld.ADSLDFG[0] & r.bit) ctx.AppendControl(r.text);
  if (!ld.ADSLDSC.empty()) ctx.AppendControl("-scatter " + ld.ADSLDSC.str());
  if (!ld.ADSLDMC.empty()) {
    lineBreak();
    ctx.AppendControl(ld.ADSLDMC.view());
  }
  const uint32_t lflags = FirstWord(b.lst.ADSFLGA);
  if (lflags & kAdsLstLinker) {
    for (const FlagRow& r : kLdListing)
      if (lflags & r.bit) ctx.AppendControl(r.text);
    std::string map = b.out.OUTNAME.str();
    ChangeFileExt(map, "map");
    ctx.AppendControl(" -list \"" + CommandPath(b.lst.LSTDIR.view()) + map + "\"", false);
    lineBreak();
  }
  std::string_view outDir = b.out.OUTDIR.view();
  ctx.AppendControl("-o " + QuoteIfBlank((IsProjectFolder(outDir) ? std::string() : std::string(outDir)) +
                                         b.out.OUTNAME.str() + ".axf"));
  lineBreak();
  if (!ld.ADSLDIB.empty()) ctx.AppendControl(ld.ADSLDIB.view());
  Trace(trace, "### ADS-LD Command completed:\n");
  Trace(trace, std::string(ctx.Text()));
}

}  // namespace pm2
