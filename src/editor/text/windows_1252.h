// The editor's 8-bit text as other programs' Unicode text meets it: the
// Windows-1252 code page, the one the clipboard of the system this text
// comes from converts with. Text from another program becomes bytes of the
// code page (a character it lacks, or a broken UTF-8 sequence, becomes '?');
// bytes go out as the code page's characters.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

// UTF-8 text to Windows-1252 bytes.
std::string Utf8ToWindows1252(std::string_view utf8);
// Windows-1252 bytes to UTF-8 text; the five bytes the code page leaves
// unassigned stand for the control characters of the same number, so every
// byte comes back through Utf8ToWindows1252.
std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace pm2
