// Fuzzes the first-generation project import: any bytes either import into
// a fresh project or fail with one of the import's two messages, or with the
// refusal of a listed file or a converted text the project files cannot
// hold.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/import/old_ini_import.h"
#include "project/model/app_state.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"

using namespace pm2;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PoolFreeAll();
  ProjectRec* p = NewProject(nullptr, "C:\\work\\old\\demo.pm2");
  theApp().m_pProject = p;
  p->curTarget->toolset = uint16_t(size % 3);
  ResetTargetOptions(p->curTarget, kToolsetUndefined);
  OldIniProject f;
  f.OpenText(std::string(reinterpret_cast<const char*>(data), size));
  const std::string r = ImportOldIniProject(f, p);
  const std::string file = std::string("Pelmora1 Project - ") + "The file '";
  const std::string text = std::string("Pelmora1 Project - ") + "The text of '";
  if (!r.empty() && r != kOldIniInvalidFile && r != kOldIniFamilyMismatch && r.rfind(file, 0) != 0 &&
      r.rfind(text, 0) != 0)
    std::abort();
  theApp().m_pProject = nullptr;
  return 0;
}
