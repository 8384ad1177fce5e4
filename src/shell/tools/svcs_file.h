// The source-control configuration file ".SVCS": sections of commands,
// each command a menu text, a program, an argument line, environment
// settings and four flags.
//
//   [SVCS]
//     DataBase=<path>
//     MenuItem=<menu text>
//       Command=<program>
//       Arguments=<argument line>
//       Environment=<NAME=VALUE;NAME=VALUE>
//       RunMinimized=0
//       QueryComment=1
//       QueryRevision=0
//       QueryCheckPoint=0
//
// Reading: lines end in CR LF or LF; blanks and tabs before a line are
// skipped and characters past 510 dropped; "/*" to "*/" on the same line is
// one blank, an unclosed comment removes the rest of the line; lines empty
// after that are skipped. "[name]" opens a section (name up to ']', at most
// 39 characters); other lines are key '=' value with blanks allowed around
// '='; keys (letters, digits, '_', at most 39) match ignoring case, unknown
// ones are ignored, and so are entry keys before a section's first
// MenuItem. Text before the first section, or a file cut before its first
// "[", gives no sections. Texts: the rest of the line up to a NUL or 0xFF
// byte, trailing blanks removed; MenuItem keeps at most 127 characters, the
// others 256. Numbers: "0x" hex, hex digits with a trailing H, or decimal;
// the low 8 bits are kept.
//
// Writing produces exactly the layout above with CR LF, one DataBase line
// per section; deleted entries and entries without a menu text are left out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

// Key codes of the file, in lookup order.
enum SvcsKey : int {
  kSvcsMenuItem = 0,
  kSvcsCommand = 1,
  kSvcsArguments = 2,
  kSvcsEnvironment = 3,
  kSvcsRunMinimized = 4,
  kSvcsDataBase = 5,
  kSvcsQueryComment = 6,
  kSvcsQueryRevision = 7,
  kSvcsQueryCheckPoint = 8,
};
// The code of a key name (case ignored), -1 when unknown.
int LookupSvcsKey(std::string_view name);

inline constexpr size_t kSvcsLineLimit = 510;
inline constexpr size_t kSvcsNameLimit = 39;
inline constexpr size_t kSvcsMenuTextLimit = 127;
inline constexpr size_t kSvcsTextLimit = 256;

struct SvcsEntry {
  std::string menuText;
  std::string command;
  std::string arguments;
  std::string environment;
  uint32_t commandId = 0;  // 32980 + menu position, set when the menu is loaded
  uint8_t runMinimized = 0;
  uint8_t queryComment = 0;
  uint8_t queryRevision = 0;
  uint8_t queryCheckPoint = 0;
  bool deleted = false;  // set by the dialog, never written
};

struct SvcsSection {
  std::string name;
  std::string dataBase;
  std::vector<SvcsEntry> entries;
};

// Reads the lines of a file's bytes as the scanner does (for tests).
std::vector<std::string> SplitSvcsLines(std::string_view bytes);
// A number of the file: nullopt-like false when it is not one.
bool ParseSvcsNumber(std::string_view text, uint32_t* value);

std::vector<SvcsSection> ParseSvcs(std::string_view bytes);
std::string SerializeSvcs(const std::vector<SvcsSection>& sections);

// A missing or unreadable file gives no sections (false, with *err).
bool ReadSvcsFile(const std::string& path, std::vector<SvcsSection>* sections,
                  std::string* err = nullptr);
// Written atomically; on failure *err is "Can't write to file '%s' !".
bool WriteSvcsFile(const std::string& path, const std::vector<SvcsSection>& sections,
                   std::string* err = nullptr);

}  // namespace pm2
