#include "builder/driver/register_optimization.h"

#include <strings.h>

#include "builder/driver/build_state.h"
#include "builder/driver/link_steps.h"
#include "project/files/entry_stream.h"

namespace pm2 {

namespace {

constexpr int kModuleEntry = 4;
constexpr int kPasses = 3;

bool SameName(const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

void SetRetranslateMark(BuildItem& item, uint32_t mark) {
  item.request.flags = (item.request.flags & 0xFFFF) | (mark << 16);
}

uint32_t FindModulesToRetranslate(const LinkStepEnv& env, const std::string& output) {
  BuildState& s = *env.state;
  ObjectFileEntries entries;
  if (entries.Open(std::string(), LocalPath(env, WithoutQuotes(output))) != 0) return 0;
  uint32_t count = 0, required = 0;
  for (const DepEntry& e : entries.Entries()) {
    const uint32_t sub = (e.kindWord >> 8) & 0xFF;
    if (e.Kind() != kModuleEntry || sub < 1 || sub > 3) continue;
    if (sub & 2) required = kRetranslateRequired;
    bool found = false;
    for (std::size_t i = 1; i < s.items.size(); ++i) {
      BuildItem& item = s.items[i];
      if (item.request.flags & (kItemObject | kItemLibrary)) break;  // no translations past here
      if (SameName(WithoutQuotes(item.request.objectFile), e.name)) {
        SetRetranslateMark(item, sub);
        ++count;
        found = true;
        break;
      }
    }
    // Nothing of this build can translate it again: the user must. Also
    // when the walk ran off the end of the list; the text ends its line like
    // every other message of the build.
    if (!found && (sub & 2))
      PrintStepText(env, "Link Warning: file '" + e.name + "' ** MUST ** be retranslated !\n");
  }
  return count | required;
}

uint8_t RunRegisterOptimizationPasses(LinkStepEnv& env) {
  BuildState& s = *env.state;
  if (s.Flags() != 0 || s.globalRegOpt == 0 || !s.HeadIsLinkItem()) return 0;
  for (int pass = 1; pass <= kPasses; ++pass) {
    const uint32_t found = FindModulesToRetranslate(env, s.items.front().request.objectFile);
    if ((found & ~kRetranslateRequired) == 0) return 0;
    PrintStepText(env, "Global register optimization - pass #" + std::to_string(pass) + "\n");
    for (BuildItem& item : s.items) {
      if (item.RetranslateMark() == 0 || (item.request.flags & kItemObject)) continue;
      SetRetranslateMark(item, 0);
      s.request = item.request;
      RunCountedStep(env);
    }
    if (s.Flags() != 0) return 1;
    s.request = s.items.front().request;
    RunCountedStep(env);
  }
  return 1;
}

}  // namespace pm2
