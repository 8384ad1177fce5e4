#include "project/edit/device_choice.h"

#include "project/environment/environment_lines.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

constexpr const char* kFamilyNames[] = {"MCS-51", "MCS-251", "166/167", "ARM"};

struct FamilyToolsets {
  std::uint16_t family;
  ToolsetChoice first;
  ToolsetChoice second;  // text null: none
};
constexpr FamilyToolsets kFamilyToolsets[] = {
    {kFamily51, {"51-Tools", 0}, {nullptr, 0}},
    {kFamily251, {"251-Tools", 1}, {"51-Tools", 0}},
    {kFamily166, {"166/167-Tools", 2}, {nullptr, 0}},
};

}  // namespace

const char* DeviceFamilyName(std::uint16_t family) {
  return family < std::size(kFamilyNames) ? kFamilyNames[family] : "";
}

bool DeviceMatches(const DeviceDbEntry& e, std::string_view vendor, std::string_view device) {
  if (!EqualsIgnoringCase(e.device.view(), device)) return false;
  if (EqualsIgnoringCase(e.vendor.view(), vendor)) return true;
  return StartsWithIgnoringCase(e.vendor.view(), "Atmel") && StartsWithIgnoringCase(vendor, "Atmel");
}

const DeviceDbEntry* FindDeviceFor(const DeviceDatabase& db, std::string_view vendor,
                                   std::string_view device) {
  for (const DeviceDbEntry* e = db.First(); e; e = e->pNext)
    if (!(e->nFlags & (kDeviceDeleted | kDeviceVendorNode)) && DeviceMatches(*e, vendor, device))
      return e;
  return nullptr;
}

std::vector<VendorNode> GroupDevicesByVendor(DeviceDatabase& db) {
  std::vector<VendorNode> nodes;
  for (DeviceDbEntry* e = db.First(); e; e = e->pNext) {
    if (e->nFlags & (kDeviceDeleted | kDeviceVendorNode)) continue;
    VendorNode* node = nullptr;
    for (VendorNode& n : nodes)
      if (EqualsIgnoringCase(n.vendor->vendor.view(), e->vendor.view())) node = &n;
    if (!node) {
      DeviceDbEntry* v = db.NewEntry(e->vendor.view(), e->device.view(), e->nFamily, e->description.view());
      v->nFlags = kDeviceVendorNode;
      nodes.push_back({v, {}});
      node = &nodes.back();
    }
    node->devices.push_back(e);
  }
  return nodes;
}

int ChooseDatabaseFor(int count, const DatabaseReader& read, DeviceDatabase& db,
                      std::string_view vendor, std::string_view device) {
  if (!device.empty()) {
    for (int i = 0; i < count; ++i) {
      if (read(i, db) == kDeviceDbOk && FindDeviceFor(db, vendor, device)) return i;
    }
  }
  if (count > 0) read(0, db);
  return 0;
}

std::vector<ToolsetChoice> ToolsetChoicesFor(std::uint16_t family, int armSelect, int targetToolset) {
  if (family == kFamilyArm) {
    if (targetToolset == 3 || targetToolset == 4)
      return {{"Cygnus/GNU ARM-Tools", 3}, {"ARM ADS/RealView Tools", 4}};
    if (armSelect == 1) return {{"ARM-ADS/RealView-Tools", 4}};
    return {{"ARM-Tools", 3}};
  }
  for (const FamilyToolsets& row : kFamilyToolsets) {
    if (row.family != family) continue;
    if (row.second.text) return {row.first, row.second};
    return {row.first};
  }
  return {};
}

bool ShowsExtendedToolBoxes(const DeviceDbEntry& entry) {
  if (entry.nFamily != kFamily51 || (entry.nFlags & kDeviceVendorNode)) return false;
  return FindDeviceOptionValue(entry, "CPU").view().find(" MX") == std::string_view::npos;
}

std::uint32_t ApplyExtendedToolBoxes(std::uint32_t t51fl, bool linker, bool assembler) {
  t51fl &= ~(kT51UseNx51 | kT51UseWx51);
  if (linker) t51fl |= kT51UseNx51;
  if (linker && assembler) t51fl |= kT51UseWx51;
  return t51fl;
}

std::string FormatDeviceOptions(const DeviceDbEntry& entry) {
  std::string text;
  for (const DeviceDbOption* o = entry.pFirstOption; o; o = o->pNext)
    text += o->key.str() + "=" + o->value.str() + "\r\n";
  return text;
}

std::vector<std::pair<std::string, std::string>> ParseDeviceOptions(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> lines;
  while (!text.empty()) {
    std::size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    line = TrimBlanks(line);
    std::size_t keyEnd = line.find_first_of(" =");
    std::string_view key = line.substr(0, keyEnd);
    std::size_t eq = line.find('=');
    if (key.empty() || eq == std::string_view::npos) continue;
    std::string_view value = TrimBlanks(line.substr(eq + 1));
    if (value.empty()) continue;
    lines.emplace_back(std::string(key), std::string(value));
  }
  return lines;
}

std::string CheckDeviceFields(const DeviceFields& f) {
  if (TrimBlanks(f.vendor).empty()) return "missing vendor name";
  if (TrimBlanks(f.device).empty()) return "missing device name";
  return {};
}

namespace {

void FillEntry(DeviceDatabase& db, DeviceDbEntry* e, const DeviceFields& f) {
  for (auto& [key, value] : ParseDeviceOptions(f.options)) db.AddOption(e, key, value);
}

DeviceDbEntry* BuildEntry(DeviceDatabase& db, const DeviceFields& f) {
  DeviceDbEntry* e = db.NewEntry(TrimBlanks(f.vendor).substr(0, 30), TrimBlanks(f.device).substr(0, 128),
                                 f.family, f.description);
  FillEntry(db, e, f);
  return e;
}

}  // namespace

DeviceAddResult AddDeviceEntry(DeviceDatabase& db, const DeviceFields& f,
                               const std::function<bool(const std::string&)>& overwrite,
                               std::string* message, DeviceDbEntry** entryOut) {
  if (std::string m = CheckDeviceFields(f); !m.empty()) {
    if (message) *message = m;
    return DeviceAddResult::kRefused;
  }
  DeviceDbEntry* built = BuildEntry(db, f);
  DeviceDbEntry* existing = nullptr;
  for (DeviceDbEntry* e = db.First(); e; e = e->pNext) {
    if (!(e->nFlags & kDeviceDeleted) && e->nFamily == built->nFamily &&
        EqualsIgnoringCase(e->vendor.view(), built->vendor.view()) &&
        EqualsIgnoringCase(e->device.view(), built->device.view())) {
      existing = e;
      break;
    }
  }
  if (existing) {
    const std::string question = existing->vendor.str() + " " + existing->device.str() + " already exists, overwrite ?";
    if (!overwrite || !overwrite(question)) return DeviceAddResult::kKeptExisting;
    db.Replace(existing, *built);
    if (entryOut) *entryOut = existing;
    return DeviceAddResult::kReplaced;
  }
  db.Append(built);
  if (entryOut) *entryOut = built;
  return DeviceAddResult::kAppended;
}

bool UpdateDeviceEntry(DeviceDatabase& db, DeviceDbEntry* entry, const DeviceFields& f,
                       std::string* message) {
  if (std::string m = CheckDeviceFields(f); !m.empty()) {
    if (message) *message = m;
    return false;
  }
  if (!entry) return false;
  db.Replace(entry, *BuildEntry(db, f));
  return true;
}

DeviceFields FieldsOf(const DeviceDbEntry& e) {
  return {e.vendor.str(), e.nFamily, e.device.str(), e.description.str(), FormatDeviceOptions(e)};
}

}  // namespace pm2
