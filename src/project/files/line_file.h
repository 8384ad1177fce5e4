// A text file read as a list of lines, and the rewriting of the symbol
// definitions (equates) of an assembler startup file that the import of
// code-generator projects does.
//
// Lines keep their line end ("\r\n", "\n", or none for a last line without
// one) and are never cut, however long.
//
// Syntax kinds of a symbol and the lines they match (names are letters,
// digits, '_' and '?', compared ignoring case; lines that are empty or begin
// with ';' are skipped, leading blanks and tabs ignored):
//   1, 20, 161, 177   name EQU ...
//   2                 name SET ...
//   3                 $SET (name = ...)
//   10                %DEFINE (name) (...)
// Kinds 21 and 11 are not searched for (FindEquateLine leaves them
// unlinked); their forms below are written only for lines a caller links.
// Rewritten forms (WriteEquates / WriteEquatesArm), each followed by
// " ; " and the line's old comment with the marker "/Dave/" appended once:
//   1, 20, 21   "%s EQU %d"                         (WriteEquates)
//   2           "%s SET %d"
//   3           "$SET (%s = %d)"
//   10          "%%DEFINE(%s) (0%05XH)", or "(%dK)" with conversion 11
//   11          "%%DEFINE(%s) (%dK)"
//   161         "%s EQU 0x%X"                        (WriteEquatesArm only)
//   177         "%s EQU %d*KB"                       (WriteEquatesArm only)
// Kinds 1 to 3 are written by both. Value conversions before writing:
// 1 (not value) and 0xF; 4 the value is also given to the next symbol;
// 10 shifted left by 12; 11 an index 0..11 becomes 4 << index, else 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

class Disk;

constexpr const char* kEquateMarker = "/Dave/";

// One symbol of the startup rewriting (filled by the importer).
struct EquateSymbol {
  std::string name;
  uint32_t aux = 0;     // the importer's second field, not used here
  int syntax = 0;       // syntax kind, see above
  int conversion = 0;   // value conversion, see above
  int32_t value = 0;
  uint32_t extra = 0;   // further field of the importer
  int line = -1;        // index of the linked line; -1 none
};

class LineFile {
 public:
  // Reads the file into lines through `disk` (null: the real disk). 0
  // success, 1 any failure (*err names the file; err may be null). An empty
  // file has no lines.
  int Open(const std::string& path, std::string* err = nullptr, Disk* disk = nullptr);
  void SetText(std::string_view text);

  const std::vector<std::string>& Lines() const { return m_lines; }

  // Links the symbol to the first line that defines it in its syntax kind;
  // false (symbol.line -1) when there is none or the kind is unknown.
  bool FindEquateLine(EquateSymbol& symbol) const;
  void FindEquateLines(std::vector<EquateSymbol>& symbols) const;

  // The file's text with the linked lines rewritten.
  std::string FormatEquates(const std::vector<EquateSymbol>& symbols, bool arm) const;
  // Rewrites the file atomically. 0 success, 1 failure (*err tells why).
  int WriteEquates(const std::vector<EquateSymbol>& symbols, std::string* err = nullptr,
                   Disk* disk = nullptr) const;
  int WriteEquatesArm(const std::vector<EquateSymbol>& symbols, std::string* err = nullptr,
                      Disk* disk = nullptr) const;

 private:
  int Write(const std::vector<EquateSymbol>& symbols, bool arm, std::string* err,
            Disk* disk) const;

  std::string m_path;
  std::vector<std::string> m_lines;  // each with its line end
};

}  // namespace pm2
