// The register-optimisation passes after a 51, 251 or 166 link: the
// linker's output names (kind-4 entries, sub-kinds 1 to 3) the modules
// whose register use changed; those are translated again with their stored
// requests and the target is linked again, at most three times.
#pragma once

#include <cstdint>
#include <string>

namespace pm2 {

struct BuildItem;
struct LinkStepEnv;

// Result bit: a module was reported with sub-kind 2 or 3.
inline constexpr uint32_t kRetranslateRequired = 0x8000;

// Sets or clears an item's must-retranslate mark (high 16 bits of its
// request's flags).
void SetRetranslateMark(BuildItem& item, uint32_t mark);

// Marks the items of translated files that the linker output names; the
// count of marked items, with kRetranslateRequired or'ed in. 0 when the
// output cannot be read. A module that must be translated again but is not
// one of this build's translations gets "Link Warning: file '%s' ** MUST **
// be retranslated !".
uint32_t FindModulesToRetranslate(const LinkStepEnv& env, const std::string& output);

// Runs the passes when BuildFlags is 0, the global register optimisation
// setting is on and a link item heads the list. 0 when a pass found nothing
// to translate; 1 when three passes ran or a pass ended with BuildFlags set.
uint8_t RunRegisterOptimizationPasses(LinkStepEnv& env);

}  // namespace pm2
