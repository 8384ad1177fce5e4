// Which pages the options sheet shows for a node, in which order, with
// which tab titles, and where it opens.
//
// The page set depends on the current target's toolset, the node's kind
// (target, group, file), the 51 family's tool bits (extended compiler,
// assembler and linker choose the "X" tools and their titles) and, for a
// file, its file type. One table row per toolset names its pages, so the
// family pages plug in by their PageId.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

// Every page object the sheet may show, in the sheet's construction order.
enum class PageId : uint8_t {
  kEmpty,        // shown when the toolset is undefined after a file-type change
  kDevice,
  kProperties,
  kOutput,
  kListing,
  kTarget166, kTarget251, kTarget51,
  kAsm166, kAsm251, kAsm51,
  kCompiler166, kCompilerYq166, kCompiler251, kCompiler51,
  kLocate166, kLocate251, kLocate51,
  kMisc166, kMisc251, kMisc51,
  kDebug,
  kFlash,
  kArmGnuTarget, kArmGnuOutput, kArmGnuCompiler, kArmGnuAsm, kArmGnuLinker, kArmGnuListing,
  kArmAdsTarget, kArmAdsOutput, kArmAdsCompiler, kArmAdsAsm, kArmAdsLinker, kArmAdsListing,
};
inline constexpr int kPageIdCount = int(PageId::kArmAdsListing) + 1;

// The page's default tab title (the dialog resource's caption).
const char* DefaultPageTitle(PageId id);

// 51-family tool bits of the target's T51FL word that choose pages.
inline constexpr uint32_t kX51ExtendedCompiler = 0x1020000;
inline constexpr uint32_t kX51ExtendedAsm = 0x10000;
inline constexpr uint32_t kX51ExtendedLinker = 0x8000;
inline constexpr uint32_t kX51Np51Linker = 0x100000;

struct PageSetInput {
  uint16_t toolset = 0xFFFF;  // ToolsetId; 0xFFFF undefined
  uint16_t kind = 2;          // 2 target, 3 group, 4 file
  uint32_t x51 = 0;           // the target's 51 tool bits
  uint8_t fileType = 0;       // FileType of a file node
};

struct PageEntry {
  PageId id = PageId::kEmpty;
  std::string title;  // the tab's text: a title slot's text or the default title
};

struct PageSet {
  std::vector<PageEntry> pages;
  // The flash page's index in a target's set (the page command 35415
  // opens), -1 for groups and files.
  int flashIndex = -1;
  // The page the sheet opens on: the toolset's first page after the device
  // page, or the device page when it is the only one.
  int startIndex = 0;
};

// The whole set of a node.
PageSet BuildPageSet(const PageSetInput& in);

// The tool pages of a group or file (without the properties page), as a
// file-type change rebuilds them behind the properties page.
std::vector<PageEntry> NodeToolPages(const PageSetInput& in);

}  // namespace pm2
