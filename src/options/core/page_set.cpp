#include "options/core/page_set.h"

#include <initializer_list>

namespace pm2 {

namespace {

struct TitleRow {
  PageId id;
  const char* title;
};
constexpr TitleRow kTitles[] = {
    {PageId::kEmpty, ""},
    {PageId::kDevice, "Device"},
    {PageId::kProperties, "Properties"},
    {PageId::kOutput, "Output"},
    {PageId::kListing, "Listing"},
    {PageId::kTarget166, "Target"},
    {PageId::kTarget251, "Target"},
    {PageId::kTarget51, "Target"},
    {PageId::kAsm166, "W166"},
    {PageId::kAsm251, "W251"},
    {PageId::kAsm51, "W51"},
    {PageId::kCompiler166, "Q166"},
    {PageId::kCompilerYq166, "EC++"},
    {PageId::kCompiler251, "Q251"},
    {PageId::kCompiler51, "Q51"},
    {PageId::kLocate166, "N166 Locate"},
    {PageId::kLocate251, "N251 Locate"},
    {PageId::kLocate51, "NB51 Locate"},
    {PageId::kMisc166, "N166 Misc"},
    {PageId::kMisc251, "N251 Misc"},
    {PageId::kMisc51, "NB51 Misc"},
    {PageId::kDebug, "Debug"},
    {PageId::kFlash, "Utilities"},
    {PageId::kArmGnuTarget, "Target"},
    {PageId::kArmGnuOutput, "Output"},
    {PageId::kArmGnuCompiler, "CC"},
    {PageId::kArmGnuAsm, "Asm"},
    {PageId::kArmGnuLinker, "Linker"},
    {PageId::kArmGnuListing, "Listing"},
    {PageId::kArmAdsTarget, "Target"},
    {PageId::kArmAdsOutput, "Output"},
    {PageId::kArmAdsCompiler, "CC"},
    {PageId::kArmAdsAsm, "Asm"},
    {PageId::kArmAdsLinker, "Linker"},
    {PageId::kArmAdsListing, "Listing"},
};
static_assert(std::size(kTitles) == kPageIdCount);

// The fixed target pages of the toolsets whose set does not depend on tool
// bits (51 is composed below), before the debug and flash pages.
struct ToolsetRow {
  uint16_t toolset;
  std::initializer_list<PageId> targetPages;
  std::initializer_list<PageId> nodePages;  // group pages behind the properties page
  PageId compiler, assembler, cpp;          // file pages by type; kEmpty: none
};
const ToolsetRow kToolsets[] = {
    {1,
     {PageId::kTarget251, PageId::kOutput, PageId::kListing, PageId::kCompiler251, PageId::kAsm251,
      PageId::kLocate251, PageId::kMisc251},
     {PageId::kCompiler251, PageId::kAsm251},
     PageId::kCompiler251, PageId::kAsm251, PageId::kEmpty},
    {2,
     {PageId::kTarget166, PageId::kOutput, PageId::kListing, PageId::kCompiler166, PageId::kCompilerYq166,
      PageId::kAsm166, PageId::kLocate166, PageId::kMisc166},
     {PageId::kCompiler166, PageId::kCompilerYq166, PageId::kAsm166},
     PageId::kCompiler166, PageId::kAsm166, PageId::kCompilerYq166},
    {3,
     {PageId::kArmGnuTarget, PageId::kArmGnuOutput, PageId::kArmGnuListing, PageId::kArmGnuCompiler,
      PageId::kArmGnuAsm, PageId::kArmGnuLinker},
     {PageId::kArmGnuCompiler, PageId::kArmGnuAsm},
     PageId::kArmGnuCompiler, PageId::kArmGnuAsm, PageId::kEmpty},
    {4,
     {PageId::kArmAdsTarget, PageId::kArmAdsOutput, PageId::kArmAdsListing, PageId::kArmAdsCompiler,
      PageId::kArmAdsAsm, PageId::kArmAdsLinker},
     {PageId::kArmAdsCompiler, PageId::kArmAdsAsm},
     PageId::kArmAdsCompiler, PageId::kArmAdsAsm, PageId::kEmpty},
};

const ToolsetRow* FindToolset(uint16_t toolset) {
  for (const ToolsetRow& r : kToolsets)
    if (r.toolset == toolset) return &r;
  return nullptr;
}

bool ExtendedCompiler51(uint32_t x) { return (x & kX51ExtendedCompiler) != 0; }
// The 251 assembler stands for the 51 family's extended assembler.
bool ExtendedAsm51(uint32_t x) { return ExtendedCompiler51(x) || (x & kX51ExtendedAsm) != 0; }

class Builder {
 public:
  explicit Builder(const PageSetInput& in) : m_in(in) {}
  void Add(PageId id, const char* title = nullptr) {
    m_pages.push_back({id, title ? title : DefaultPageTitle(id)});
  }
  void AddCompiler51() { Add(PageId::kCompiler51, ExtendedCompiler51(m_in.x51) ? "QX51" : nullptr); }
  void AddAsm51() {
    if (ExtendedAsm51(m_in.x51))
      Add(PageId::kAsm251, "WX51");
    else
      Add(PageId::kAsm51);
  }
  void AddLinker51() {
    const uint32_t x = m_in.x51;
    if (ExtendedCompiler51(x) || ((x & kX51ExtendedLinker) && !(x & kX51Np51Linker))) {
      Add(PageId::kLocate251, "NX51 Locate");
      Add(PageId::kMisc251, "NX51 Misc");
    } else if (x & kX51ExtendedLinker) {
      Add(PageId::kLocate251, "NP51 Locate");
      Add(PageId::kMisc251, "NP51 Misc");
    } else {
      Add(PageId::kLocate51, "NB51 Locate");
      Add(PageId::kMisc51, "NB51 Misc");
    }
  }
  void TargetPages() {
    if (m_in.toolset == 0) {
      Add(PageId::kTarget51);
      Add(PageId::kOutput);
      Add(PageId::kListing);
      AddCompiler51();
      AddAsm51();
      AddLinker51();
    } else if (const ToolsetRow* r = FindToolset(m_in.toolset)) {
      for (PageId id : r->targetPages) Add(id);
    }
    Add(PageId::kDebug);
    Add(PageId::kFlash);
  }
  void GroupPages() {
    if (m_in.toolset == 0) {
      AddCompiler51();
      AddAsm51();
    } else if (const ToolsetRow* r = FindToolset(m_in.toolset)) {
      for (PageId id : r->nodePages) Add(id);
    }
  }
  void FilePages() {
    const ToolsetRow* r = FindToolset(m_in.toolset);
    switch (m_in.fileType) {
      case 1:
        if (m_in.toolset == 0)
          AddCompiler51();
        else if (r)
          Add(r->compiler);
        break;
      case 2:
        if (m_in.toolset == 0)
          AddAsm51();
        else if (r)
          Add(r->assembler);
        break;
      case 8:
        if (r && r->cpp != PageId::kEmpty) Add(r->cpp);
        break;
      default:
        break;
    }
  }
  std::vector<PageEntry> Take() { return std::move(m_pages); }
  std::vector<PageEntry>& Pages() { return m_pages; }

 private:
  const PageSetInput& m_in;
  std::vector<PageEntry> m_pages;
};

bool ToolsetDefined(uint16_t toolset) { return toolset <= 4; }

}  // namespace

const char* DefaultPageTitle(PageId id) {
  const int i = int(id);
  return i >= 0 && i < kPageIdCount ? kTitles[i].title : "";
}

std::vector<PageEntry> NodeToolPages(const PageSetInput& in) {
  Builder b(in);
  if (!ToolsetDefined(in.toolset)) return {};
  if (in.kind == 3)
    b.GroupPages();
  else if (in.kind == 4)
    b.FilePages();
  return b.Take();
}

PageSet BuildPageSet(const PageSetInput& in) {
  PageSet set;
  Builder b(in);
  const bool defined = ToolsetDefined(in.toolset);
  if (!defined || in.kind == 2) b.Add(PageId::kDevice);
  if (defined) {
    if (in.kind == 2) {
      b.TargetPages();
      set.flashIndex = int(b.Pages().size()) - 1;
    } else if (in.kind == 3 || in.kind == 4) {
      b.Add(PageId::kProperties);
      for (PageEntry& e : NodeToolPages(in)) b.Pages().push_back(std::move(e));
    }
  }
  set.pages = b.Take();
  set.startIndex = (!set.pages.empty() && set.pages[0].id == PageId::kDevice && set.pages.size() > 1) ? 1 : 0;
  return set;
}

}  // namespace pm2
