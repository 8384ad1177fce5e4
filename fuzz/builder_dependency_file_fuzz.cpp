// Any text read as a dependency file into a small project.
#include <cstdint>
#include <string_view>

#include "builder/driver/dependency_file.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pm2::ProjectRec* p = pm2::NewProject("F", "/f/");
  pm2::AddFileToGroup(p->firstGroup, "a.c", "./", pm2::kFileC);
  pm2::ReadDependencyText(*p, std::string_view(reinterpret_cast<const char*>(data), size));
  pm2::PoolFree(pm2::kPoolDependencies);
  pm2::PoolFree(pm2::kPoolScratch);
  pm2::PoolFree(pm2::kPoolProject);
  return 0;
}
