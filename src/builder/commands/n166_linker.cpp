#include "builder/commands/n166_linker.h"

#include <string>

#include "builder/commands/command_context.h"
#include "builder/commands/command_listing.h"
#include "project/text/number_parse.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

constexpr uint64_t kPage = 0x4000;
constexpr std::size_t kRomMax = 8;
constexpr std::size_t kRamMax = 10;
using RomList = LinkRangeList<kRomMax>;
using RamList = LinkRangeList<kRamMax>;

uint64_t RoundUpPage(uint64_t a, uint64_t pageSize) { return (a + pageSize - 1) / pageSize * pageSize; }

// The state of one run of the computed classes.
struct ClassGen {
  CommandContext& ctx;
  bool modv2 = false;
  int count = 0;  // classes (ranges) written so far; ICODE counts
};

// The mode filter of a class: adjusts start; false when the range is skipped.
bool FilterRange(int mode, bool modv2, uint64_t& s, uint64_t e) {
  switch (mode) {
    case 1:
      return !(s >= 0xC000 && s <= 0xFFFE);
    case 2:
      if (s >= 0xC000 && s <= 0xFFFE) return true;
      if (s < 0xC000 && e > 0xC000) {
        s = 0xC000;
        return true;
      }
      return false;
    case 3:
      if (s < 0x4000) {
        if (e <= 0x4000) return false;
        s = 0x4000;
      } else if (modv2 && s >= 0xC00000 && s < 0xC04000) {
        if (e <= 0xC04000) return false;
        s = 0xC04000;
      }
      return true;
    default:
      return true;
  }
}

// One try of a class in one mode; true when anything was written.
bool TryClass(ClassGen& g, const char* name, std::span<const LinkRange> list, uint32_t mask,
              int mode) {
  struct Kept {
    uint64_t s, e;
  };
  Kept kept[kRamMax];
  std::size_t n = 0;
  for (const LinkRange& r : list) {
    // The filter reads the range's own start: rounding it up to the page
    // first would push a range inside the system page (the internal RAM)
    // out of SDATA and IDATA. Pages are rounded when one is looked for.
    uint64_t s = r.start, e = r.Last();
    if (!FilterRange(mode, g.modv2, s, e)) continue;
    kept[n++] = Kept{s, e};
  }
  if (n == 0) return false;
  if (mask) {
    for (std::size_t i = 0; i < n; ++i) {
      uint64_t page = RoundUpPage(kept[i].s, uint64_t{mask} + 1);
      if (page + mask <= kept[i].e) {
        g.ctx.AppendFormat(false, "%s (0x%llX-0x%llX)", name, (unsigned long long)page,
                           (unsigned long long)(page + mask));
        ++g.count;
        return true;
      }
    }
  }
  std::string text;
  uint64_t pageEnd = mask ? (kept[0].s | mask) : 0;
  char piece[64];
  for (std::size_t i = 0; i < n; ++i) {
    uint64_t s = kept[i].s, e = kept[i].e;
    if (mask) {
      if (i && (s & ~uint64_t{mask}) != (kept[0].s & ~uint64_t{mask})) continue;
      if (e > pageEnd) e = pageEnd;
    }
    if (text.empty())
      std::snprintf(piece, sizeof piece, " (0x%llX-0x%llX", (unsigned long long)s, (unsigned long long)e);
    else
      std::snprintf(piece, sizeof piece, ", 0x%llX-0x%llX", (unsigned long long)s, (unsigned long long)e);
    if (text.empty()) text = name;
    text += piece;
    ++g.count;
  }
  text += ')';
  g.ctx.AppendControl(text, false);
  return true;
}

// EmitClassRanges: separator and line break first, then the class; modes 1
// and 3 fall back to mode 0 when nothing fits.
void EmitClass(ClassGen& g, const char* name, std::span<const LinkRange> list, uint32_t mask,
               int mode, bool newLine) {
  if (g.count) g.ctx.AppendControl(", ", false);
  if (newLine) g.ctx.AppendControl("\r\n", false);
  if (TryClass(g, name, list, mask, mode)) return;
  if (mode == 1 || mode == 3) TryClass(g, name, list, mask, 0);
}

struct MemoryRanges {
  LinkRange r[11];
  bool rom[11] = {};
};

bool ModelHasFarCode(unsigned model) { return model == 3 || model == 4 || model == 6; }

}  // namespace

bool FindDppPage(std::span<const LinkRange> list, uint32_t mask, int mode, uint32_t& low,
                 uint32_t& high) {
  const uint64_t span = uint64_t{mask} + 1;
  for (const LinkRange& r : list) {
    if (r.Empty()) continue;
    uint64_t lo = RoundUpPage(r.start, kPage);
    uint64_t top = lo + mask;
    if (r.Last() <= top) continue;
    if (mode == 0) {
      if (top < 0xC000) {
        if (r.Last() >= 0xC000 && lo < 0x10000 - span) {
          low = uint32_t(0x10000 - span);
          high = uint32_t(r.Last());
          return true;
        }
      } else if (top <= 0xFFFF) {
        low = uint32_t(lo);
        high = uint32_t(top);
        return true;
      }
    } else if (top < 0xC000 || top > 0xFFFF) {
      low = uint32_t(lo);
      high = uint32_t(top);
      return true;
    }
  }
  for (const LinkRange& r : list) {
    if (r.Empty()) continue;
    uint64_t lo = r.start, hi = r.Last();
    if (mode == 0) {
      if (hi >= 0xC000 && r.start < 0x10000) {
        if (lo < 0x10000 - span) lo = 0x10000 - span;
        low = uint32_t(lo);
        high = uint32_t(hi);
        return true;
      }
    } else {
      uint64_t cut = ((r.start + mask + 1) & ~(kPage - 1)) - 1;
      if (((r.start + mask) >> 14) != (hi >> 14) && cut < hi) hi = cut;
      if (hi < 0xC000 || hi > 0xFFFF) {
        low = uint32_t(lo);
        high = uint32_t(hi);
        return true;
      }
    }
  }
  return false;
}

namespace {

struct DppResult {
  uint8_t dataSel = 0, constSel = 0;
  uint32_t data[2] = {}, cnst[2] = {};
};

// A range that holds 0xC000 and leaves `pages` pages from its start to 0x10000.
const LinkRange* FindSystemRange(std::span<const LinkRange> list, unsigned pages, bool firstOnly) {
  for (const LinkRange& r : list) {
    if (r.start <= 0xC000 && r.Last() > 0xC000 && r.start + pages * kPage <= 0x10000) return &r;
    if (firstOnly) break;
  }
  return nullptr;
}

uint32_t PagesMask(unsigned pages) { return uint32_t(pages * kPage + 0x3FFF); }

// Near data and constants in DPP pages; r and c are the extra 16 KB pages.
bool AssignDppPages(std::span<const LinkRange> ram, std::span<const LinkRange> rom, unsigned r,
                    unsigned c, DppResult& out) {
  auto find = [](std::span<const LinkRange> list, uint32_t mask, int mode, uint32_t* range) {
    return FindDppPage(list, mask, mode, range[0], range[1]);
  };
  if (r + c >= 2) {
    if (const LinkRange* hit = FindSystemRange(rom, c + 1, r == 0)) {
      out.constSel = uint8_t(3 - c);
      out.cnst[0] = uint32_t(0xC000 - c * kPage);
      out.cnst[1] = uint32_t(hit->Last());
      out.dataSel = 0;
      find(ram, PagesMask(r), 1, out.data);
      return true;
    }
    if (r == 0) {
      out.dataSel = 3;
      find(ram, 0x3FFF, 0, out.data);
      out.constSel = 0;
      find(rom, PagesMask(c), 1, out.cnst);
      return true;
    }
    if (const LinkRange* hit = FindSystemRange(ram, r + 1, false)) {
      out.dataSel = uint8_t(3 - r);
      out.data[0] = uint32_t(0xC000 - r * kPage);
      out.data[1] = uint32_t(hit->Last());
      out.constSel = 0;
      find(rom, PagesMask(c), 1, out.cnst);
      return true;
    }
    if (r > c) --r;
    else --c;
  }
  out.dataSel = 0;
  if (!find(ram, PagesMask(r), 1, out.data) && !(r == 0 && find(ram, 0x3FFF, 0, out.data)))
    return false;
  out.constSel = uint8_t(r + 1);
  if (!find(rom, PagesMask(c), 1, out.cnst) && !(c == 0 && find(rom, 0x3FFF, 0, out.cnst)))
    return false;
  return true;
}

// The ROM and RAM lists of the memory description (USETARGSET).
void CollectRanges(const OptionBlock& w, MemoryRanges& m, RomList& rom, RamList& ram) {
  const Target166Opts& t = w.t166;
  for (int i = 0; i < 6; ++i) {
    m.r[i] = ToLinkRange(t.EXTMEM[i]);
    m.rom[i] = t.EXTMEM[i].kind == 1;
  }
  if (t.flags.USEONCHIPROM) {
    m.r[6] = ToLinkRange(t.IROM);
    if (t.IROM.start < 0x8000 && t.IROM.size > 0x8000) {
      m.r[7] = LinkRange{0x18000, 0x18000 + uint64_t{t.IROM.size} - 0x8000};
      m.r[6].end = m.r[6].start + 0x8000;
    }
  }
  m.rom[6] = m.rom[7] = true;
  if (t.flags.USEONCHIPXCAN) m.r[8] = ToLinkRange(t.XRAM);
  m.r[9] = ToLinkRange(t.IRAM);
  if (t.flags.USEONCHIPXRAM2) m.r[10] = ToLinkRange(t.XRAM2);

  uint64_t nearTop = t.flags.MOD167 ? 0xF000 : 0xFA00;
  if (t.flags.USEONCHIPXCAN) {
    if (!m.r[8].Empty()) nearTop = m.r[8].start;
    if (t.CAN.size != 0 && t.CAN.start < nearTop) nearTop = t.CAN.start;
  }
  if (!m.r[10].Empty() && m.r[10].start < nearTop) nearTop = m.r[10].start;
  if (t.flags.MODV2) nearTop = 0x8000;
  const uint64_t lowMark = (!m.r[6].Empty() && m.r[6].start < 0x8000) ? 0x8000 : 0;

  if (t.MODEL == 0) {  // TINY: the first 64 KB only
    for (LinkRange& r : m.r) {
      if (r.start >= 0x10000) r = LinkRange{};
      else if (r.end > 0x10000) r.end = 0x10000;
    }
  }

  // Takes the ranges of one kind by lowest start (first of equal starts).
  auto takeInOrder = [&](bool wantRom, auto&& take) {
    bool taken[11] = {};
    for (;;) {
      int best = -1;
      for (int i = 0; i < 11; ++i)
        if (!taken[i] && m.rom[i] == wantRom && !m.r[i].Empty() &&
            (best < 0 || m.r[i].start < m.r[best].start))
          best = i;
      if (best < 0) return;
      taken[best] = true;
      take(best, m.r[best]);
    }
  };
  // Near-top split: the part between the near top and 0x10000 is left out.
  auto split = [&](LinkRange r, auto&& add) {
    if (r.start < nearTop && r.end > nearTop) {
      add(LinkRange{r.start, nearTop});
      if (r.end > 0x10000) add(LinkRange{0x10000, r.end});
    } else {
      add(r);
    }
  };
  takeInOrder(true, [&](int, LinkRange r) { split(r, [&](LinkRange p) { rom.Add(p); }); });
  const LinkRange moved = m.r[7];
  auto addRam = [&](LinkRange p) {
    if (!moved.Empty() && p.start < moved.end && p.end > moved.start) {
      ram.Add(LinkRange{p.start, std::min<uint64_t>(p.end, 0x18000)});
      if (p.end > moved.end) ram.Add(LinkRange{moved.end, p.end});
      return;
    }
    ram.Add(p);
  };
  takeInOrder(false, [&](int index, LinkRange r) {
    if (r.start < lowMark) {
      if (r.end <= lowMark) return;
      r.start = lowMark;
    }
    if (index >= 8) addRam(r);
    else split(r, addRam);
  });
  SortAndJoin(rom);
  SortAndJoin(ram);
}

void AppendComputedClasses(CommandContext& ctx) {
  OptionBlock& w = ctx.g_WorkOptions;
  Linker166Opts& l = w.n166;
  l.flags.DPPUSE = 0;
  MemoryRanges m;
  RomList rom;
  RamList ram;
  CollectRanges(w, m, rom, ram);
  const unsigned model = w.t166.MODEL;
  const bool tiny = model == 0;
  std::span<const LinkRange> romSpan(rom.r, rom.n), ramSpan(ram.r, ram.n);

  if (!tiny && (w.t166.NEARRAM || w.t166.NEARROM)) {
    // A placement that fails part way leaves the fields it did not reach
    // as they were stored.
    DppResult dpp;
    dpp.dataSel = l.NDATASEL;
    dpp.constSel = l.NCONSTSEL;
    dpp.data[0] = l.lnkWords1[0];
    dpp.data[1] = l.lnkWords1[1];
    dpp.cnst[0] = l.lnkWords1[2];
    dpp.cnst[1] = l.lnkWords1[3];
    l.flags.DPPUSE = AssignDppPages(ramSpan, romSpan, w.t166.NEARRAM, w.t166.NEARROM, dpp) ? 1 : 0;
    l.NDATASEL = dpp.dataSel;
    l.NCONSTSEL = dpp.constSel;
    l.lnkWords1[0] = dpp.data[0];
    l.lnkWords1[1] = dpp.data[1];
    l.lnkWords1[2] = dpp.cnst[0];
    l.lnkWords1[3] = dpp.cnst[1];
  }

  ClassGen g{ctx, w.t166.flags.MODV2 != 0};
  const LinkRange* icode = !m.r[6].Empty() ? &m.r[6] : (rom.n ? &rom.r[0] : nullptr);
  if (icode) {
    ctx.AppendFormat(false, "ICODE (0x%llX-0x%llX)", (unsigned long long)icode->start,
                     (unsigned long long)icode->Last());
    g.count = 1;
  }
  if (ModelHasFarCode(model)) EmitClass(g, "FCODE", romSpan, 0, 0, false);
  else EmitClass(g, "NCODE", romSpan, 0xFFFF, 0, false);
  if (!tiny) {
    EmitClass(g, "FCONST", romSpan, 0, 0, g.count != 0);
    EmitClass(g, "HCONST", romSpan, 0, 0, false);
    EmitClass(g, "XCONST", romSpan, 0, 0, g.count != 0);
    if (!l.flags.DPPUSE) {
      EmitClass(g, "NCONST", romSpan, 0x3FFF, 3, false);
      EmitClass(g, "NDATA", ramSpan, 0x3FFF, 1, g.count != 0);
      EmitClass(g, "NDATA0", ramSpan, 0x3FFF, 1, false);
    }
  } else {
    EmitClass(g, "NCONST", romSpan, 0, 0, false);
    EmitClass(g, "NDATA", ramSpan, 0, 1, g.count != 0);
    EmitClass(g, "NDATA0", ramSpan, 0, 1, false);
  }
  EmitClass(g, "SDATA", ramSpan, 0x3FFF, 2, true);
  EmitClass(g, "SDATA0", ramSpan, 0x3FFF, 2, false);
  std::span<const LinkRange> iram(&m.r[9], m.r[9].Empty() ? 0 : 1);
  EmitClass(g, "IDATA", iram, 0, 0, true);
  EmitClass(g, "IDATA0", iram, 0, 0, false);
  if (!tiny) {
    for (const char* name : {"FDATA", "HDATA", "XDATA"}) {
      EmitClass(g, name, ramSpan, 0, 1, true);
      EmitClass(g, (std::string(name) + "0").c_str(), ramSpan, 0, 1, false);
    }
  }

  // The C initialisation table goes to the largest ROM range.
  const LinkRange* largest = nullptr;
  for (const LinkRange& r : rom)
    if (!largest || r.end - r.start > largest->end - largest->start) largest = &r;
  l.lnkWords2[0] = largest ? uint32_t(largest->start) : 0;
  l.lnkWords2[1] = largest ? uint32_t(largest->Last()) : 0;
}

}  // namespace

bool AppendLinkerPrintControls(CommandContext& ctx) {
  static constexpr struct {
    unsigned bit;
    const char* item;
  } kItems[] = {{kLstLines, "NOLINES"}, {kLstLocals, "NOSYMBOLS"}, {kLstPublics, "NOPUBLICS"},
                {kLstComments, "NOCOMMENTS"}};
  const uint32_t flags = ctx.g_WorkOptions.lst.listFlags;
  std::string items;
  int clear = 0;
  for (const auto& it : kItems) {
    if (flags & it.bit) continue;
    if (clear++) items += ", ";
    items += it.item;
  }
  if (clear == 0) return false;
  if (clear == 4) items = "PURGE";
  ctx.AppendControl("PRINTCONTROLS (");
  ctx.AppendControl(items);
  ctx.AppendControl(")");
  return true;
}

bool AppendLinkerIxref(CommandContext& ctx) {
  const uint32_t flags = ctx.g_WorkOptions.lst.listFlags;
  if (!(flags & kLstXref)) return false;
  std::string text("IXREF");
  if ((flags & (kLstGenerated | kLstLibraries)) != (kLstGenerated | kLstLibraries)) {
    text += " (";
    if (!(flags & kLstGenerated)) text += "NOGENERATED";
    if (!(flags & (kLstGenerated | kLstLibraries))) text += ", ";
    if (!(flags & kLstLibraries)) text += "NOLIBRARIES";
    text += ')';
  }
  ctx.AppendControl(text);
  return true;
}

void AppendLinkerMapPrint(CommandContext& ctx, const char* extension) {
  const OptionBlock& w = ctx.g_WorkOptions;
  std::string folder = CommandPath(w.lst.LSTDIR.view());
  if (IsProjectFolderText(w.lst.LSTDIR.c_str())) {
    if (IsProjectFolderText(w.out.OUTDIR.c_str())) return;
    folder = "./";
  }
  std::string name = w.out.OUTNAME.str();
  ChangeFileExt(name, extension);
  ctx.AppendFormat(true, "PRINT(\"%s%s\")", folder.c_str(), name.c_str());
}

void AppendLinkerOutputName(CommandContext& ctx) {
  const OptionBlock& w = ctx.g_WorkOptions;
  const std::string dir = IsProjectFolderText(w.out.OUTDIR.c_str()) ? std::string() : CommandPath(w.out.OUTDIR.view());
  ctx.AppendFormat(true, "TO \"%s%s\"", dir.c_str(), w.out.OUTNAME.c_str());
}

void MakeN166LinkerCommand(CommandContext& ctx, OptionBlock& block, int mode) {
  ctx.LoadWorkOptions(block);
  if (mode != 2) ctx.ResetBuffer();
  ctx.g_nPreviewFrom = ctx.g_nPreviewTo = -1;
  OptionBlock& w = ctx.g_WorkOptions;
  Linker166Opts& l = w.n166;
  const uint32_t lst = w.lst.listFlags;

  // Output and kernel.
  if (!l.flags.USELINKFILE) AppendLinkerOutputName(ctx);
  static constexpr const char* kKernels[] = {nullptr, "TKR166TINY ", "TKR166 "};
  if (w.t166.RTOS < std::size(kKernels) && kKernels[w.t166.RTOS]) ctx.AppendControl(kKernels[w.t166.RTOS]);
  if (w.q166.flags.REGCOLOR == 1)
    ctx.AppendFormat(true, "REGFILE (%s%s.ORC)", CommandPath(w.out.OUTDIR.view()).c_str(), w.out.OUTNAME.c_str());
  ctx.AppendControl("\r\n");

  // Listing.
  if (!(lst & kLstLinker)) {
    ctx.AppendControl("NOPRINT");
  } else {
    if (w.lst.pageWidth != kDefaultPageWidth) {
      ctx.AppendFormat(true, "PAGEWIDTH (%d)", w.lst.pageWidth);
      ctx.AppendControl("\r\n");
    }
    if (w.lst.pageLength != kDefaultPageLength) {
      ctx.AppendFormat(true, "PAGELENGTH (%d)", w.lst.pageLength);
      ctx.AppendControl("\r\n");
    }
    AppendLinkerMapPrint(ctx, "m66");
    bool any = false;
    if (!(lst & kLstMap)) {
      ctx.AppendControl("NOMAP");
      any = true;
    }
    any = AppendLinkerPrintControls(ctx) || any;
    any = AppendLinkerIxref(ctx) || any;
    if (any) ctx.AppendControl("\r\n");
  }

  // Warnings.
  bool warn = false;
  if (l.LWARNLEV != 2) {
    ctx.AppendFormat(true, "WARNINGLEVEL (%d)", l.LWARNLEV);
    warn = true;
  }
  if (!l.LDISWARN.empty()) {
    ctx.AppendFormat(true, "DISABLEWARNING (%s)", l.LDISWARN.c_str());
    warn = true;
  }
  if (warn) ctx.AppendControl("\r\n");

  static constexpr struct {
    OptString Linker166Opts::*text;
    const char* format;
  } kLists[] = {{&Linker166Opts::LASSIGN, "ASSIGN (%s)\r\n"},
                {&Linker166Opts::LREGBANK, "REGBANK (%s)\r\n"},
                {&Linker166Opts::LRESERVE, "RESERVE (%s)\r\n"}};
  for (const auto& row : kLists)
    if (!(l.*row.text).empty()) ctx.AppendFormat(true, row.format, (l.*row.text).c_str());

  bool misc = false;
  if (l.flags.LINKONLY) {
    ctx.AppendControl("LINKONLY");
    misc = true;
  }
  if (!l.INTVECTADDR.empty()) {
    ctx.AppendFormat(true, "VECTAB (%s)", l.INTVECTADDR.c_str());
    misc = true;
  }
  if (!l.LMISC.empty()) {
    ctx.AppendControl(l.LMISC.view());
    misc = true;
  }
  if (misc) ctx.AppendControl("\r\n");

  // Classes. No memory range that gives a class and no class of the
  // user's: no CLASSES control at all (an empty one is an error for the
  // linker).
  const bool userClasses = !IsBlankText(l.LCLASSES.view());
  if (l.flags.USETARGSET || userClasses) {
    const uint32_t before = ctx.g_nCmdLineLen;
    ctx.AppendControl("CLASSES (");
    ctx.g_nPreviewFrom = int32_t(ctx.g_nCmdLineLen);
    if (l.flags.USETARGSET) {
      AppendComputedClasses(ctx);
      ctx.g_nPreviewTo = int32_t(ctx.g_nCmdLineLen);
    }
    // The computed part may hold line ends alone.
    const bool computed = l.flags.USETARGSET && ctx.g_nPreviewTo > ctx.g_nPreviewFrom &&
                          !IsBlankText(ctx.Text().substr(std::size_t(ctx.g_nPreviewFrom),
                                                         std::size_t(ctx.g_nPreviewTo - ctx.g_nPreviewFrom)));
    if (!computed) {
      // Nothing computed: the line ends it left go, and with no classes
      // of the user's the control itself.
      const uint32_t keep = userClasses ? uint32_t(ctx.g_nPreviewFrom) : before;
      ctx.g_nCmdLineLen = keep;
      ctx.g_pCmdLineBuf.get()[keep] = '\0';
      ctx.g_nPreviewFrom = ctx.g_nPreviewTo = -1;
    }
    if (computed || userClasses) {
      if (userClasses) {
        if (computed) {
          ctx.AppendControl(", ");
          ctx.AppendControl("\r\n");
        }
        ctx.AppendControl(l.LCLASSES.view(), false);
      }
      ctx.AppendControl(")", false);
      ctx.AppendControl("\r\n");
    }
  }

  // DPP placement.
  if (l.flags.DPPUSE) {
    if (l.flags.USETARGSET)
      ctx.AppendFormat(true, "DPPUSE (%d=NDATA(0x%X - 0x%X), %d=NCONST(0x%X - 0x%X))\r\n", l.NDATASEL,
                       l.lnkWords1[0], l.lnkWords1[1], l.NCONSTSEL, l.lnkWords1[2], l.lnkWords1[3]);
    else
      ctx.AppendFormat(true, "DPPUSE (%d=NDATA(%s), %d=NCONST(%s))\r\n", l.NDATASEL,
                       l.NEARDATASTR.c_str(), l.NCONSTSEL, l.NEARCONSTSTR.c_str());
  }

  // C initialisation table.
  if (!l.flags.USETARGSET) {
    uint32_t lo = 0, hi = 0;
    if (ParseNumberRange(l.CINITTAB.c_str(), lo, hi)) {
      l.lnkWords2[0] = lo;
      l.lnkWords2[1] = hi;
    }
  }
  if (l.lnkWords2[0] || l.lnkWords2[1])
    ctx.AppendFormat(false, " CINITTAB (0x%X-0x%X)", l.lnkWords2[0], l.lnkWords2[1]);

  if (!IsBlankText(l.LSECT.view())) {
    ctx.AppendControl("SECTIONS (");
    ctx.AppendControl(l.LSECT.view());
    ctx.AppendControl(")");
    ctx.AppendControl("\r\n");
  }

  if (mode == 0) block.n166 = l;
}

}  // namespace pm2
