#pragma once
// The shortcut file ("<program>.Mac"): the user's keyboard shortcuts.
// Layout, little-endian:
//   offset 0  4 bytes  tag "MACR"
//   offset 4  2 bytes  version, always 1
//   offset 6  2 bytes  record count n when below 0xFFFF; otherwise 0xFFFF
//                      and a 4-byte count follows, the records 4 bytes later
//   then      6 x n    records in table order: byte 0 fVirt, byte 1 padding
//                      (written 0, ignored on reading), bytes 2-3 key,
//                      bytes 4-5 command
// Another tag, another version, or a file too short for the records it
// counts is refused as damaged; bytes after the last record are ignored.

#include <string>
#include <string_view>

#include "toolkit/menus/accel.h"

namespace pm2 {

std::string EncodeShortcutFile(const AccelTable& table);
// False with *err naming `fileName` and the fault; *table untouched then.
bool DecodeShortcutFile(std::string_view bytes, std::string_view fileName, AccelTable* table, std::string* err);

}  // namespace pm2
