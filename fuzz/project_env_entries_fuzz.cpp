// The object-file entry-stream reader on arbitrary bytes: no crash, no read
// past the data, and a failed read leaves no entries.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "project/files/entry_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<pm2::DepEntry> entries;
  int r = pm2::ReadDepEntries(std::string_view(reinterpret_cast<const char*>(data), size), &entries);
  if (r == pm2::kEntriesBad && !entries.empty()) std::abort();
  if (r == pm2::kEntriesRead && entries.empty()) std::abort();
  return 0;
}
