// The module names of a library file of the 51, 251 and 166 families (and,
// without a header check, of ARM-ADS), for the properties page's list of
// modules that are always linked.
//
// Layout: a header record (type byte: 0x2C or 0xAC for 51, 0xAC for 251,
// 0xBA for 166), its u16 length, for 166 one more byte, a u16, then two u16
// values B and O: the names record starts at byte B * 128 + O. There one or
// more records of the names type (0x28 or 0xA8 for 51, whichever comes
// first; 0xA8 for 251; 0xA6 for 166; 0xFF for ARM-ADS) follow one another:
// a u16 length, names (a length byte whose low 7 bits count, the
// characters) filling length - 1 bytes, a checksum byte. Reading stops at
// the first record of another type. All numbers are little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

inline constexpr const char* kLibCantOpen = "can't open library";
inline constexpr const char* kLibNotALibrary = "not a library";
inline constexpr const char* kLibBad = "bad or invalid library";

// The names in file order; on failure false with the message in *error.
bool ParseLibraryModules(std::string_view bytes, uint16_t toolset, std::vector<std::string>* names,
                         std::string* error);
bool ReadLibraryModules(const std::string& path, uint16_t toolset, std::vector<std::string>* names,
                        std::string* error);

// LIBMODS: the module names joined by commas, stopping before a name that
// would make the text longer than 32758 characters.
std::string JoinLibraryModules(const std::vector<std::string>& names);
std::vector<std::string> SplitLibraryModules(std::string_view text);

}  // namespace pm2
