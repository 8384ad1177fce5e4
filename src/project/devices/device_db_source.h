// The readable source of a device database (src/resources/devices.txt).
//
// Lines are LF or CRLF. A line whose first non-blank character is '#' is a
// comment; a blank line ends a device block. A block holds
//   vendor: <name>        (required, once)
//   device: <name>        (required, once)
//   family: 51 | 251 | 166 | ARM   (required, once; any letter case)
//   description: <text>   (any number; joined with CR LF)
//   KEY=value             (option lines, each key once per block)
// in any order. Names and values are trimmed of blanks and tabs. Vendor,
// device and family together must be unique (names ignoring case).
#ifndef PM2_PROJECT_DEVICE_DB_SOURCE_H
#define PM2_PROJECT_DEVICE_DB_SOURCE_H

#include <string>
#include <string_view>

namespace pm2 {

class DeviceDatabase;

// Appends the devices of text to db in source order. False with *err (may
// be null) such as "devices.txt(12): unknown family '8086'"; db then holds
// the devices of the blocks before the faulty one.
bool ParseDeviceSource(std::string_view text, const std::string& sourceName, DeviceDatabase& db,
                       std::string* err);

}  // namespace pm2

#endif
