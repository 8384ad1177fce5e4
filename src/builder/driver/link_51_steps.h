// The link steps of the 51, 251 and 166 families: the build's items as the
// linker's input list (with banks, PUBLICSONLY and library modules), the
// output name, then either the target's linker controls or the user's
// external linker command file, written to "<output>.lnp" and kept for the
// next up-to-date test. A library of the project whose time changed forces
// the link. Each step returns 1 when the linker ran (or a failure was
// reported), 0 when the output was up to date; failures set BuildFlags.
#pragma once

#include <cstdint>
#include <string>

namespace pm2 {

struct BuildState;
struct LinkStepEnv;
struct TargetRec;

enum class LinkFamily : uint8_t { k51, k251, k166 };

// How the input list is written.
struct LinkInputStyle {
  bool banking = false;            // "COMMON {..}" / "BANK%d {..}"
  bool publicsOnly = false;        // "PUBLICSONLY (..)" for items with flag bit 2
  bool noBankForPublics = false;   // a PUBLICSONLY item gets no bank wrapping
};

// The input list, one line per item after a link item at the head. Stores
// the current time of every project library in its file record; sets
// *libraryChanged when a library's time was unknown or differs (or it has
// no file record).
std::string LinkInputText(const LinkStepEnv& env, BuildState& state, const LinkInputStyle& style,
                          bool* libraryChanged);

// The linker's tool code for a target of the family (0x20000, 0x8000 and
// 0x100000 of the 51 tool word choose the 51 variants).
int LinkToolCode(LinkFamily family, uint16_t toolset, uint32_t t51);

uint8_t Link51Target(LinkStepEnv& env, TargetRec* target);
uint8_t Link251Target(LinkStepEnv& env, TargetRec* target);
uint8_t Link166Target(LinkStepEnv& env, TargetRec* target);

}  // namespace pm2
