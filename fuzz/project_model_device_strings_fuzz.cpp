// Device CPU / MEM specifications, control rewriting and the register-file
// and driver specifications on arbitrary text. First byte: toolset and
// switches; the rest: CPU text, a line feed, MEM text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/model/device_strings.h"
#include "project/model/option_block.h"
#include "project/text/pool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pm2;
  if (size == 0) return 0;
  uint8_t mode = data[0];
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t cut = text.find('\n');
  std::string cpu = text.substr(0, cut);
  std::string mem = cut == std::string::npos ? std::string() : text.substr(cut + 1);
  // Texts are zero-terminated where they come from; an embedded zero ends them.
  cpu = cpu.c_str();
  mem = mem.c_str();

  OptionBlock b;
  uint16_t toolset = mode % 5;
  bool reset = (mode & 0x08) != 0;
  ParseCpuSpec(b, toolset, cpu.c_str(), reset);
  RunDeviceStep(b, toolset, mem.c_str(), cpu.c_str());
  ParseMem251(b.t251, mem.c_str());
  ParseMem166(b.t166, mem.c_str());
  ParseMemArm(ArmView(b.tAds), mem.c_str());

  bool on = (mode & 0x10) != 0;
  OptString controls(cpu.c_str());
  OptString synced = SyncMod167Control(controls, on);
  // With the switch on the control leads the result; off, it is gone.
  if (on && synced.view().substr(0, 6) != "MOD167" && !controls.EqualsNoCase(synced.view()))
    std::abort();

  std::string folder;
  ParseRegFileSpec(mem.c_str(), folder);
  std::string parts[4];
  SplitDriverSpec(cpu.c_str(), parts);

  PoolFree(kPoolProject);
  return 0;
}
