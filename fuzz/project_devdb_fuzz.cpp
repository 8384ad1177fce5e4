// Fuzzes the device database reader; whatever it accepts must write back
// and read again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "project/devices/device_db.h"

using namespace pm2;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static DeviceDatabase first(5);
  static DeviceDatabase second(6);
  int r = first.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (r != kDeviceDbOk) {
    if (first.First() != nullptr) std::abort();
    return 0;
  }
  std::string bytes, again;
  if (!first.Serialize(bytes)) return 0;
  if (second.Parse(bytes) != kDeviceDbOk) std::abort();
  if (!second.Serialize(again) || again != bytes) std::abort();
  return 0;
}
