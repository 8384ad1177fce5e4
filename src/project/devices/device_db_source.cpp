#include "project/devices/device_db_source.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/ascii_case.h"
#include "project/devices/device_db.h"

namespace pm2 {

namespace {

struct FamilyName {
  const char* name;
  std::uint16_t family;
};
constexpr FamilyName kFamilies[] = {
    {"51", kFamily51}, {"251", kFamily251}, {"166", kFamily166}, {"ARM", kFamilyArm}};


std::string_view Trim(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool IsKeyChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

struct Block {
  int firstLine = 0;
  std::string vendor, device, description;
  bool hasVendor = false, hasDevice = false, hasFamily = false;
  std::uint16_t family = 0;
  std::vector<std::pair<std::string, std::string>> options;
};

class SourceParser {
 public:
  SourceParser(const std::string& name, DeviceDatabase& db) : m_name(name), m_db(db) {}

  bool Run(std::string_view text, std::string* err) {
    std::size_t pos = 0;
    int line = 0;
    while (pos <= text.size()) {
      std::size_t nl = text.find('\n', pos);
      if (nl == std::string_view::npos) nl = text.size();
      ++line;
      if (!Line(line, Trim(text.substr(pos, nl - pos)))) break;
      pos = nl + 1;
    }
    if (m_error.empty()) Finish();
    if (err) *err = m_error;
    return m_error.empty();
  }

 private:
  bool Fail(int line, const std::string& what) {
    m_error = m_name + "(" + std::to_string(line) + "): " + what;
    return false;
  }

  bool Line(int line, std::string_view s) {
    if (s.empty()) return Finish();
    if (s[0] == '#') return true;
    if (!m_open) {
      m_block = Block();
      m_block.firstLine = line;
      m_open = true;
    }
    std::size_t eq = s.find('=');
    std::size_t colon = s.find(':');
    if (colon != std::string_view::npos && (eq == std::string_view::npos || colon < eq))
      return Field(line, Trim(s.substr(0, colon)), Trim(s.substr(colon + 1)));
    if (eq == std::string_view::npos || eq == 0)
      return Fail(line, "expected 'name: value' or KEY=value, found '" + std::string(s) + "'");
    std::string_view key = Trim(s.substr(0, eq));
    for (char c : key)
      if (!IsKeyChar(c)) return Fail(line, "bad option key '" + std::string(key) + "'");
    for (auto& [k, v] : m_block.options)
      if (EqualIgnoringCase(k, key)) return Fail(line, "option '" + std::string(key) + "' given twice");
    m_block.options.emplace_back(std::string(key), std::string(Trim(s.substr(eq + 1))));
    return true;
  }

  bool Field(int line, std::string_view name, std::string_view value) {
    auto once = [&](bool& seen) {
      if (seen) return Fail(line, "'" + std::string(name) + "' given twice in one device");
      seen = true;
      return true;
    };
    if (EqualIgnoringCase(name, "vendor")) {
      m_block.vendor = value;
      return once(m_block.hasVendor);
    }
    if (EqualIgnoringCase(name, "device")) {
      m_block.device = value;
      return once(m_block.hasDevice);
    }
    if (EqualIgnoringCase(name, "description")) {
      if (!m_block.description.empty()) m_block.description += "\r\n";
      m_block.description += value;
      return true;
    }
    if (EqualIgnoringCase(name, "family")) {
      for (const FamilyName& f : kFamilies)
        if (EqualIgnoringCase(value, f.name)) {
          m_block.family = f.family;
          return once(m_block.hasFamily);
        }
      return Fail(line, "unknown family '" + std::string(value) + "'");
    }
    return Fail(line, "unknown field '" + std::string(name) + "'");
  }

  // Ends the open block: checks it and appends the device.
  bool Finish() {
    if (!m_open) return true;
    m_open = false;
    const Block& b = m_block;
    const char* missing = !b.hasVendor ? "vendor" : !b.hasDevice ? "device" : !b.hasFamily ? "family" : nullptr;
    if (missing) return Fail(b.firstLine, std::string("device without '") + missing + "'");
    if (b.vendor.empty() || b.device.empty())
      return Fail(b.firstLine, "device with an empty vendor or device name");
    if (m_db.Find(b.vendor, b.device, b.family))
      return Fail(b.firstLine, "device '" + b.device + "' of '" + b.vendor + "' given twice");
    DeviceDbEntry* e = m_db.NewEntry(b.vendor, b.device, b.family, b.description);
    for (auto& [key, value] : b.options) m_db.AddOption(e, key, value);
    m_db.Append(e);
    return true;
  }

  const std::string& m_name;
  DeviceDatabase& m_db;
  Block m_block;
  bool m_open = false;
  std::string m_error;
};

}  // namespace

bool ParseDeviceSource(std::string_view text, const std::string& sourceName, DeviceDatabase& db,
                       std::string* err) {
  SourceParser parser(sourceName, db);
  return parser.Run(text, err);
}

}  // namespace pm2
