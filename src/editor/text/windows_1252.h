// The editor's 8-bit text as other programs' Unicode text meets it: the
// Windows-1252 code page, the one the clipboard of the system this text
// comes from converts with. Text from another program becomes bytes of the
// code page (a character it lacks, or a broken UTF-8 sequence, becomes '?');
// bytes go out as the code page's characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pm2 {

// UTF-8 text to Windows-1252 bytes; *lost (when given) gets the number of
// characters that became '?' for want of a byte of their own.
std::string Utf8ToWindows1252(std::string_view utf8, std::size_t* lost = nullptr);
// The character a byte stands for, as the code page draws it.
char32_t Windows1252Char(unsigned char byte);
// Windows-1252 bytes to UTF-8 text; the five bytes the code page leaves
// unassigned stand for the control characters of the same number, so every
// byte comes back through Utf8ToWindows1252.
std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace pm2
