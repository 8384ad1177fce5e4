// The control file of the N166 linker/locator.
//
// A multi-line text: groups of controls end with "\r\n". Besides the user's
// locate controls it can compute, from the target's memory description
// (USETARGSET), the memory classes of every data and code class, the DPP
// placement of near data and near constants and the C initialisation table.
//
// Computed fields kept in the linker sub-record's unnamed words:
//   lnkWords1[0..1] near-data range (first, last address)
//   lnkWords1[2..3] near-constant range (first, last address)
//   lnkWords2[0..1] C initialisation table range (first, last address)
#pragma once

#include <cstdint>
#include <span>

#include "builder/commands/link_ranges.h"

namespace pm2 {

class CommandContext;
struct OptionBlock;

// Mode 0 builds from an empty buffer and copies the linker sub-record
// (with the computed DPP, near-memory and initialisation-table fields) back
// into block; mode 1 builds from an empty buffer; mode 2 appends to the
// text already in the buffer. g_nPreviewFrom/g_nPreviewTo mark the computed
// classes (-1 when none).
void MakeN166LinkerCommand(CommandContext& ctx, OptionBlock& block, int mode);

// The page of a range list for near data or constants: mask is the page
// size less one (a multiple of 16 KB less one); mode 0 looks near the
// system area (0xC000..0xFFFF), mode 1 away from it. False when none fits.
bool FindDppPage(std::span<const LinkRange> list, uint32_t mask, int mode, uint32_t& low,
                 uint32_t& high);

// Listing pieces shared with the 51 and 251 linkers (target level):
// "PRINTCONTROLS (" PURGE or NOLINES, NOSYMBOLS, NOPUBLICS, NOCOMMENTS ")"
// unless all four bits are set; returns whether anything was appended.
bool AppendLinkerPrintControls(CommandContext& ctx);
// "IXREF" with "(NOGENERATED, NOLIBRARIES)" items when the cross-reference
// bit is set; returns whether anything was appended.
bool AppendLinkerIxref(CommandContext& ctx);
// The map file: PRINT("folder" name.ext) with LSTDIR, or ".\" when LSTDIR
// is the project folder but OUTDIR is not; nothing when both are ".\".
void AppendLinkerMapPrint(CommandContext& ctx, const char* extension);
// "TO \"%s%s\"" with OUTDIR (empty when ".\") and OUTNAME.
void AppendLinkerOutputName(CommandContext& ctx);

}  // namespace pm2
