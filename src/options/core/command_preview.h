// The live command-line preview of the compiler, assembler and linker
// pages: the tool's line built by the build's own builders from the page's
// copy, with the copy standing in for the node's block while it is built.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "options/core/page_set.h"

namespace pm2 {

class CommandContext;
class OptionsSession;
struct OptionBlock;

enum class PreviewTool : uint8_t {
  kNone,
  kQ51, kQ251, kQ166, kYQ166,
  kW51, kW166,
  kNB51, kNX51, kN251, kN166,
  kGnuCc, kGnuAs, kGnuLd,
  kAdsCc, kAdsAsm, kAdsLink,
};

// The tool whose line a page shows; kNone for pages without a preview.
PreviewTool PreviewToolOf(PageId page, uint16_t toolset);

// A command-line context of its own for a sheet's previews (the build
// keeps its own); windows hold it without seeing the builder's header.
struct PreviewContextDeleter {
  void operator()(CommandContext* ctx) const;
};
using PreviewContextPtr = std::unique_ptr<CommandContext, PreviewContextDeleter>;
PreviewContextPtr NewPreviewContext(const std::string& toolsFolder);

// Builds the line into ctx's buffer and returns it (valid until ctx builds
// again). pageCopy (may be null) stands for the node's level; the project
// is as it was afterwards.
std::string_view BuildPreview(CommandContext& ctx, OptionsSession& session, PreviewTool tool, OptionBlock* pageCopy);

// The part of the last line that the linker builders marked as their
// generated classes, closed with ")"; "" when nothing is marked.
std::string MarkedPreviewPart(const CommandContext& ctx);

}  // namespace pm2
