// The environment file's two readers on arbitrary bytes: neither may crash,
// and the editable model's text must read back to the same text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "project/environment/environment.h"
#include "project/environment/environment_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  pm2::EnvironmentInfo env;
  pm2::ParseToolsIni(text, "/root/", "/root/PM2/pelmora2.cdb", &env);
  if (env.deviceDatabases.empty() || env.deviceDatabases.size() > 9) std::abort();

  pm2::EnvFile model;
  model.Parse(text);
  std::string once = model.Format();
  pm2::EnvFile again;
  again.Parse(once);
  if (again.Format() != once) std::abort();
  return 0;
}
