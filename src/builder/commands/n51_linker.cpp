#include "builder/commands/n51_linker.h"

#include <algorithm>
#include <cstdio>

#include "builder/commands/command_context.h"
#include "builder/commands/command_listing.h"
#include "builder/commands/link_ranges.h"
#include "builder/commands/n166_linker.h"
#include "project/model/option_block.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

enum class Linker { NB51, NX51, N251 };

using List51 = LinkRangeList<5>;

// The 51 code list (OCM51, IRO51) and xdata list (OCR51, XRA51, XRA512
// when withXram2), ordered and joined.
void Collect51(const OptionBlock& b, bool withXram2, List51& code, List51& xdata) {
  const Target51Opts& t = b.t51;
  for (const MemRangeRec& r : t.OCM51) code.Add(ToLinkRange(r));
  if (t.T51FL & 0x1) code.Add(ToLinkRange(t.IRO51));
  for (const MemRangeRec& r : t.OCR51) xdata.Add(ToLinkRange(r));
  if (t.T51FL & 0x8) xdata.Add(ToLinkRange(t.XRA51));
  if (withXram2 && (t.T51FL & 0x4000000)) xdata.Add(ToLinkRange(t.XRA512));
  SortAndJoin(code);
  SortAndJoin(xdata);
}

std::string JoinRanges(const List51& list) {
  std::string text;
  char piece[48];
  for (const LinkRange& r : list) {
    std::snprintf(piece, sizeof piece, "0X%04llX-0X%04llX", (unsigned long long)r.start,
                  (unsigned long long)r.Last());
    if (!text.empty()) text += ',';
    text += piece;
  }
  return text;
}

// ---------------------------------------------------------------- head and listing
void AppendHead(CommandContext& ctx, Linker which) {
  const OptionBlock& w = ctx.g_WorkOptions;
  if (!(w.n51.NX51FL & 0x1)) AppendLinkerOutputName(ctx);
  if (which == Linker::N251) {
    if (w.t251.T251FL & 0x80) ctx.AppendFormat(true, "BankArea (0x%X,0x%X)", w.t251.RCB25.start, w.t251.RCB25.size);
  } else if (w.t51.T51FL & 0x2000) {
    ctx.AppendFormat(true, which == Linker::NB51 ? "BankArea(0x%04X,0x%04X)" : "BankArea (0x%06X, 0x%06X)",
                     w.t51.RCB51.start, w.t51.RCB51.size);
  }
  static constexpr const char* kKernels[] = {nullptr, "Tkr51Tiny ", "Tkr51 "};
  unsigned rtos = which == Linker::N251 ? w.t251.RTOS25 : w.t51.RTOS5;
  if (rtos < std::size(kKernels) && kKernels[rtos]) ctx.AppendControl(kKernels[rtos]);
  uint32_t regfile = which == Linker::N251 ? BitField(w.q251.Q251F1, 0, 2) : BitField(w.q51.Q51FL, 0, 2);
  if (regfile == 1)
    ctx.AppendFormat(true, "REGFILE (%s%s.ORC)", CommandPath(w.out.OUTDIR.view()).c_str(), w.out.OUTNAME.c_str());
  ctx.AppendControl("\r\n");
}

void AppendListing(CommandContext& ctx, Linker which) {
  const OptionBlock& w = ctx.g_WorkOptions;
  const uint32_t lst = w.lst.listFlags;
  if (which == Linker::NX51 && (lst & kLstLinkCode) && BitField(w.q51.Q51FL, 26, 2) != 0) {
    ctx.AppendControl(FormatListFileControl("CODE", w.out.OUTNAME.view(), w.out.OUTDIR.c_str(),
                                            w.lst.LSTDIR.c_str(), "cod"));
    ctx.AppendControl("\r\n");
  }
  if (!(lst & kLstLinker)) {
    ctx.AppendControl("NOPRINT");
    return;
  }
  const uint32_t before = ctx.g_nCmdLineLen;
  AppendLinkerMapPrint(ctx, which == Linker::NB51 ? "m51" : "map");
  if (w.lst.pageWidth != kDefaultPageWidth) {
    ctx.AppendFormat(true, "PAGEWIDTH (%d)", w.lst.pageWidth);
    ctx.AppendControl("\r\n");
  }
  if (w.lst.pageLength != kDefaultPageLength) {
    ctx.AppendFormat(true, "PAGELENGTH (%d)", w.lst.pageLength);
    ctx.AppendControl("\r\n");
  }
  if (!(lst & kLstMap)) ctx.AppendControl("NOMAP");
  if (which == Linker::NB51) {
    // NB51 has no comment control and no PRINTCONTROLS wrapper.
    constexpr uint32_t kAll = kLstLines | kLstLocals | kLstPublics | kLstComments;
    if ((lst & kAll) != kAll) {
      std::string items;
      for (auto [bit, item] : {std::pair{kLstLines, "NOLINES"}, {kLstLocals, "NOSYMBOLS"},
                               {kLstPublics, "NOPUBLICS"}}) {
        if (lst & bit) continue;
        if (!items.empty()) items += ", ";
        items += item;
      }
      ctx.AppendControl(items);
    }
  } else {
    AppendLinkerPrintControls(ctx);
  }
  AppendLinkerIxref(ctx);
  // A group that already ended its line needs no second line end.
  if (ctx.g_nCmdLineLen != before && ctx.g_pCmdLineBuf[ctx.g_nCmdLineLen - 1] != '\n')
    ctx.AppendControl("\r\n");
}

// ---------------------------------------------------------------- NB51
void AppendNb51Body(CommandContext& ctx) {
  const OptionBlock& w = ctx.g_WorkOptions;
  const Linker51Opts& l = w.n51;
  if ((w.t51.T51FL & 0x10) && w.t51.IRA51.size != 128) {
    ctx.AppendFormat(true, "RAMSIZE(%u)", w.t51.IRA51.size);
    ctx.AppendControl("\r\n");
  }
  if (!l.NX51DWN.empty()) {
    ctx.AppendFormat(true, "DISABLEWARNING (%s)", l.NX51DWN.c_str());
    ctx.AppendControl("\r\n");
  }
  if (!l.NX51MSC.empty()) {
    ctx.AppendControl(l.NX51MSC.view());
    ctx.AppendControl("\r\n");
  }
  if (!IsBlankText(l.NX51OVL.view())) {
    ctx.AppendControl("OVERLAY(");
    ctx.AppendControl(l.NX51OVL.view());
    ctx.AppendControl(")\r\n");
  }
  std::string code, xdata;
  if (l.NX51FL & 0x4) {
    FormatMergedRanges(code, xdata, w);
  } else {
    code = l.NX51COB.str();
    xdata = l.NX51XDB.str();
  }
  // keyword( first , second )\r\n when either text is given.
  auto pair = [&](const char* keyword, std::string_view first, std::string_view second) {
    if (first.empty() && second.empty()) return;
    ctx.AppendControl(keyword);
    ctx.AppendControl(first);
    if (!first.empty() && !second.empty()) ctx.AppendControl(",");
    ctx.AppendControl(second);
    ctx.AppendControl(")\r\n");
  };
  pair("CODE(", code, l.NX51COS.view());
  pair("XDATA(", xdata, l.NX51XDS.view());
  pair("PDATA(", l.NX51PDB.view(), {});
  pair("BIT(", l.NX51BIB.view(), l.NX51BIS.view());
  pair("DATA(", l.NX51DAB.view(), l.NX51DAS.view());
  pair("IDATA(", l.NX51IDB.view(), l.NX51IDS.view());
  pair("STACK(", l.NX51STK.view(), {});
  pair("PRECEDE(", l.NX51PRC.view(), {});
}

// ---------------------------------------------------------------- generated classes
struct ClassState {
  CommandContext& ctx;
  int state = 0;    // 0 no CLASSES yet, 1 opened for the user classes, 2 by a generated class
  int counter = 0;  // ranges written
};

void OpenClasses(ClassState& s) {
  if (s.state == 0) {
    s.ctx.AppendControl("CLASSES (");
    s.ctx.g_nPreviewFrom = int32_t(s.ctx.g_nCmdLineLen);
  }
  s.state = 2;
}

// One class window: ranges moved by offset, raised to lo and cut at hi.
struct Window {
  uint64_t lo = 0, hi = 0, offset = 0;
  char letter = 0;          // memory-space letter before both addresses, or none
  bool coverLeavesOut = false;  // a range covering the whole window leaves the class out
};

void WriteClass(ClassState& s, const char* name, std::span<const LinkRange> list, const Window& win,
                bool newLine) {
  struct Piece {
    uint64_t s, e;
  };
  Piece pieces[10];
  std::size_t n = 0;
  for (const LinkRange& r : list) {
    uint64_t a = r.start + win.offset, e = r.Last() + win.offset;
    if (a > win.hi) continue;
    a = std::max(a, win.lo);
    if (a > e) continue;
    e = std::min(e, win.hi);
    if (win.coverLeavesOut && a == win.lo && e == win.hi) return;
    if (n < std::size(pieces)) pieces[n++] = Piece{a, e};
  }
  if (n == 0) return;
  OpenClasses(s);
  if (s.counter) s.ctx.AppendControl(", ", false);
  if (newLine) s.ctx.AppendControl("\r\n", false);
  std::string text;
  char buf[64];
  for (std::size_t i = 0; i < n; ++i) {
    const char* sep = i ? ", " : " (";
    if (win.letter)
      std::snprintf(buf, sizeof buf, "%s%c:0x%llX-%c:0x%llX", sep, win.letter,
                    (unsigned long long)pieces[i].s, win.letter, (unsigned long long)pieces[i].e);
    else
      std::snprintf(buf, sizeof buf, "%s0x%llX-0x%llX", sep, (unsigned long long)pieces[i].s,
                    (unsigned long long)pieces[i].e);
    if (i == 0) text = name;
    text += buf;
    ++s.counter;
  }
  text += ')';
  s.ctx.AppendControl(text, false);
}

std::span<const LinkRange> Span(const List51& l) { return {l.r, l.n}; }

void GenerateNx51Classes(ClassState& s) {
  const OptionBlock& w = s.ctx.g_WorkOptions;
  const uint32_t t51 = w.t51.T51FL;
  List51 code, xdata;
  if (t51 & 0x20000) {  // QX51
    Collect51(w, true, code, xdata);
    WriteClass(s, "XDATA", Span(xdata), Window{0, 0xFFFF, 0, 0, true}, false);
    WriteClass(s, "HDATA", Span(xdata), Window{0, 0x7EFFFF, 0, 0, true}, false);
    if (t51 & 0x10) {
      OpenClasses(s);
      if (s.counter) {
        s.ctx.AppendControl(", ", false);
        s.ctx.AppendControl("\r\n", false);
      }
      s.ctx.AppendFormat(true, "EDATA(0x7F0000-0x%X)", 0x7EFFFFu + w.t51.IRA51.size);
      // EDATA counts as a written range, so the next class is separated from it.
      ++s.counter;
    }
    WriteClass(s, "CODE", Span(code), Window{0x800000, 0x80FFFF, 0x800000, 0, true}, false);
    WriteClass(s, "ECODE", Span(code), Window{0x800000, 0xFFFFFF, 0x800000, 0, true}, s.counter != 0);
    WriteClass(s, "HCONST", Span(code), Window{0x800000, 0xFFFFFF, 0x800000, 0, true}, false);
    return;
  }
  Collect51(w, false, code, xdata);
  if (t51 & 0x100000) {  // NP51
    WriteClass(s, "XDATA", Span(xdata), Window{0, 0x7FFFF, 0, 'Y', false}, false);
    WriteClass(s, "CODE", Span(code), Window{0, 0xFFFF, 0, 'Y', false}, false);
    WriteClass(s, "CODE_BANK", Span(code), Window{0, 0x3FFFF, 0, 'Y', false}, false);
    return;
  }
  const bool contiguous = (t51 & 0x80000) != 0;
  auto page = [&](const List51& l) {
    uint64_t base = l.n ? (l.r[0].start & ~uint64_t{0xFFFF}) : 0;
    return contiguous ? Window{base, base + 0xFFFF, 0, 0, false} : Window{0, 0xFFFF, 0, 0, true};
  };
  Window xw = page(xdata), cw = page(code);
  xw.letter = 'X';
  cw.letter = 'C';
  WriteClass(s, "XDATA", Span(xdata), xw, false);
  WriteClass(s, "HDATA", Span(xdata), Window{0, 0xFFFFFF, 0, 'X', !contiguous}, false);
  WriteClass(s, "CODE", Span(code), cw, false);
  WriteClass(s, "ECODE", Span(code), Window{0, 0xFFFFFF, 0, 'C', !contiguous}, s.counter != 0);
  WriteClass(s, "HCONST", Span(code), Window{0, 0xFFFFFF, 0, 'C', !contiguous}, false);
}

void GenerateN251Classes(ClassState& s) {
  const Target251Opts& t = s.ctx.g_WorkOptions.t251;
  LinkRangeList<8> rom;
  LinkRangeList<10> ram;
  auto add = [&](const MemRangeRec& m) {
    if (m.kind == 1) rom.Add(ToLinkRange(m));
    else ram.Add(ToLinkRange(m));
  };
  for (const MemRangeRec& m : t.OCM251) add(m);
  if (t.T251FL & 0x1) add(t.IRO25);
  add(t.ERA25);
  SortAndJoin(rom);
  SortAndJoin(ram);
  static constexpr struct {
    const char* name;
    bool rom;
    uint64_t lo, hi;
  } kClasses[] = {
      {"EDATA", false, 0, 0xFFFF},         {"XDATA", false, 0x10000, 0x1FFFF},
      {"HDATA", false, 0, 0xFFFFFF},       {"NCONST", true, 0, 0xFFFF},
      {"HCONST", true, 0, 0xFFFFFF},       {"CONST", true, 0xFF0000, 0xFFFFFF},
      {"ECODE", true, 0, 0xFFFFFF},        {"CODE", true, 0xFF0000, 0xFFFFFF},
  };
  bool written = false;
  for (const auto& c : kClasses) {
    std::span<const LinkRange> list = c.rom ? std::span<const LinkRange>(rom.r, rom.n)
                                            : std::span<const LinkRange>(ram.r, ram.n);
    int before = s.counter;
    WriteClass(s, c.name, list, Window{c.lo, c.hi, 0, 0, true}, written);
    written = written || s.counter != before;
  }
}

void AppendExtendedBody(CommandContext& ctx, Linker which) {
  const Linker51Opts& l = ctx.g_WorkOptions.n51;
  bool any = false;
  if (l.NX51FL & 0x2) {
    ctx.AppendControl("LINKONLY");
    any = true;
  }
  if (uint32_t level = BitField(l.NX51FL, 4, 4); level != 2) {
    ctx.AppendFormat(true, "WARNINGLEVEL (%u)", level);
    any = true;
  }
  if (l.NX51FL & 0x8) {
    ctx.AppendControl("CASE");
    any = true;
  }
  if (!l.NX51DWN.empty()) {
    ctx.AppendFormat(true, "DISABLEWARNING (%s)", l.NX51DWN.c_str());
    any = true;
  }
  if (any) ctx.AppendControl("\r\n");
  if (!l.NX51MSC.empty()) {
    ctx.AppendControl(l.NX51MSC.view());
    ctx.AppendControl("\r\n");
  }
  if (!l.NX51ASN.empty()) ctx.AppendFormat(true, "ASSIGN (%s)\r\n", l.NX51ASN.c_str());
  if (!l.NX51RES.empty()) ctx.AppendFormat(true, "RESERVE (%s)\r\n", l.NX51RES.c_str());
  if (!IsBlankText(l.NX51OVL.view())) {
    ctx.AppendControl("OVERLAY(");
    ctx.AppendControl(l.NX51OVL.view());
    ctx.AppendControl(")\r\n");
  }

  ClassState s{ctx};
  // User classes of blanks only would give an empty CLASSES control.
  const bool userClasses = !IsBlankText(l.NX51UCL.view());
  if (userClasses) {
    ctx.AppendControl("CLASSES (");
    ctx.g_nPreviewFrom = int32_t(ctx.g_nCmdLineLen);
    s.state = 1;
  }
  if (l.NX51FL & 0x4) {
    if (which == Linker::N251) GenerateN251Classes(s);
    else GenerateNx51Classes(s);
    if (s.state != 0) ctx.g_nPreviewTo = int32_t(ctx.g_nCmdLineLen);
  }
  if (userClasses) {
    if (s.state == 2) {
      ctx.AppendControl(", ");
      ctx.AppendControl("\r\n");
    }
    ctx.AppendControl(l.NX51UCL.view(), false);
  }
  if (s.state != 0) {
    ctx.AppendControl(")", false);
    ctx.AppendControl("\r\n");
  }
  if (!IsBlankText(l.NX51UCS.view())) {
    ctx.AppendControl("SEGMENTS (");
    ctx.AppendControl(l.NX51UCS.view());
    ctx.AppendControl(")");
    ctx.AppendControl("\r\n");
  }
}

void Begin(CommandContext& ctx, const OptionBlock& block, int mode) {
  ctx.LoadWorkOptions(block);
  if (mode != 2) ctx.ResetBuffer();
  ctx.g_nPreviewFrom = ctx.g_nPreviewTo = -1;
}

}  // namespace

void FormatMergedRanges(std::string& codeOut, std::string& xdataOut, const OptionBlock& block) {
  List51 code, xdata;
  Collect51(block, true, code, xdata);
  codeOut = JoinRanges(code);
  xdataOut = JoinRanges(xdata);
}

std::string FormatListFileControl(std::string_view keyword, std::string_view name,
                                  const char* outFolder, const char* listFolder,
                                  std::string_view extension) {
  std::string out(keyword);
  std::string file(name);
  ChangeFileExt(file, extension);
  if (!IsProjectFolderText(outFolder) || !IsProjectFolderText(listFolder))
    out += "(\"" + CommandPath(listFolder ? listFolder : "") + file + "\")";
  return out;
}

void MakeNB51LinkerCommand(CommandContext& ctx, const OptionBlock& block, int mode) {
  Begin(ctx, block, mode);
  AppendHead(ctx, Linker::NB51);
  AppendListing(ctx, Linker::NB51);
  AppendNb51Body(ctx);
}

void MakeNX51LinkerCommand(CommandContext& ctx, const OptionBlock& block, int mode) {
  if (ctx.g_bCmd251 || !(block.t51.T51FL & (0x20000 | 0x8000))) {
    MakeN251LinkerCommand(ctx, block, mode);
    return;
  }
  Begin(ctx, block, mode);
  AppendHead(ctx, Linker::NX51);
  AppendListing(ctx, Linker::NX51);
  AppendExtendedBody(ctx, Linker::NX51);
}

void MakeN251LinkerCommand(CommandContext& ctx, const OptionBlock& block, int mode) {
  Begin(ctx, block, mode);
  AppendHead(ctx, Linker::N251);
  AppendListing(ctx, Linker::N251);
  AppendExtendedBody(ctx, Linker::N251);
}

}  // namespace pm2
