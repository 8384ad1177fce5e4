#include "builder/driver/link_output_check.h"

#include "builder/driver/link_steps.h"
#include "platform/atomic_file.h"
#include "project/files/entry_stream.h"
#include "project/text/control_strings.h"

namespace pm2 {

Verdict CheckLinkOutput(const LinkStepEnv& env, const std::string& output, std::string_view newText) {
  auto link = [](std::string why) { return Verdict{true, std::move(why)}; };
  // Recorded names come from the tools and may be stored Windows paths.
  ObjectFileEntries entries([&env](const std::string& name, uint32_t* time) {
    return DiskFileTime(LocalPath(env, name), time);
  });
  const std::string local = LocalPath(env, output);
  if (entries.Open(std::string(), local) != 0) return link("'" + local + "' cannot be read");
  const std::string* recorded = entries.Kind3Value();
  if (!recorded) return link("'" + local + "' records no command input file");
  const std::string oldFile = LocalPath(env, *recorded);
  std::string old;
  if (!ReadWholeFile(oldFile, old, nullptr)) return link("'" + oldFile + "' cannot be read");
  if (!ControlStringsMatch(old.c_str(), std::string(newText).c_str()))
    return link("the controls differ from those in '" + oldFile + "'");
  if (entries.AnyFileChanged())
    return link("a file recorded in '" + local + "' is missing or has another time");
  return {};
}

}  // namespace pm2
