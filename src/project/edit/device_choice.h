// The rules of the device selection windows and the device-database editor
// without a window: which database holds a target's device, the toolsets a
// device's family offers, when the extended-tool check boxes show, and the
// options text of the editor ("KEY=value" lines) in both directions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "project/devices/device_db.h"

namespace pm2 {

struct TargetRec;

// Family names of the family label ("MCS-51", "MCS-251", "166/167", "ARM");
// "" for an unknown family.
const char* DeviceFamilyName(std::uint16_t family);

// Same device name ignoring case, and vendors equal ignoring case or both
// beginning with "Atmel".
bool DeviceMatches(const DeviceDbEntry& entry, std::string_view vendor, std::string_view device);
const DeviceDbEntry* FindDeviceFor(const DeviceDatabase& db, std::string_view vendor,
                                   std::string_view device);

// The selection tree: one node per vendor (names equal ignoring case share
// it, in order of first appearance), represented by a copy of the vendor's
// first entry with kDeviceVendorNode set; its devices in file order.
// Deleted entries are left out.
struct VendorNode {
  DeviceDbEntry* vendor = nullptr;
  std::vector<DeviceDbEntry*> devices;
};
std::vector<VendorNode> GroupDevicesByVendor(DeviceDatabase& db);

// Reads database `index` into db; the result codes of DeviceDatabase::Read.
using DatabaseReader = std::function<int(int index, DeviceDatabase& db)>;
// The first of `count` databases that holds the device, else 0. db holds
// the chosen database afterwards (read again when a later one was tried).
int ChooseDatabaseFor(int count, const DatabaseReader& read, DeviceDatabase& db,
                      std::string_view vendor, std::string_view device);

struct ToolsetChoice {
  const char* text;
  std::uint16_t toolset;  // ToolsetId
};
// The toolset combo of a device: by family, the ARM row after the
// environment's ARMSEL (0 GNU, 1 ADS). On the Device page of an ARM target
// (toolset 3 or 4) both ARM tool chains are offered.
std::vector<ToolsetChoice> ToolsetChoicesFor(std::uint16_t family, int armSelect,
                                             int targetToolset = -1);

// The NX51/WX51 check boxes: only for a 51 device whose "CPU" option does
// not hold " MX".
bool ShowsExtendedToolBoxes(const DeviceDbEntry& entry);
inline constexpr std::uint32_t kT51UseNx51 = 1u << 15;  // T51FL: the extended linker
inline constexpr std::uint32_t kT51UseWx51 = 1u << 16;  // T51FL: the extended assembler
// The T51FL value after the boxes changed: the assembler box only counts
// while the linker box is on.
std::uint32_t ApplyExtendedToolBoxes(std::uint32_t t51fl, bool linker, bool assembler);

// Editor: "%s=%s\r\n" per option line.
std::string FormatDeviceOptions(const DeviceDbEntry& entry);
// Editor: the options text to lines. A line's key runs to the first blank
// or '='; its value follows the '=' trimmed of blanks; lines without key or
// value are dropped.
std::vector<std::pair<std::string, std::string>> ParseDeviceOptions(std::string_view text);

// The editor's fields.
struct DeviceFields {
  std::string vendor;       // at most 30 characters
  std::uint16_t family = 0;
  std::string device;       // at most 128 characters
  std::string description;
  std::string options;      // the options text
};
// "missing vendor name" / "missing device name", else empty.
std::string CheckDeviceFields(const DeviceFields& f);

enum class DeviceAddResult { kAppended, kReplaced, kKeptExisting, kRefused };
// Add: refused with CheckDeviceFields's text in *message; an existing entry
// of the same family, vendor and device is replaced only when `overwrite`
// (asked with "%s %s already exists, overwrite ?") says yes. *entryOut is
// the new or replaced entry.
DeviceAddResult AddDeviceEntry(DeviceDatabase& db, const DeviceFields& f,
                               const std::function<bool(const std::string& question)>& overwrite,
                               std::string* message, DeviceDbEntry** entryOut);
// Update: the entry's fields replaced in place.
bool UpdateDeviceEntry(DeviceDatabase& db, DeviceDbEntry* entry, const DeviceFields& f,
                       std::string* message);
DeviceFields FieldsOf(const DeviceDbEntry& entry);

}  // namespace pm2
