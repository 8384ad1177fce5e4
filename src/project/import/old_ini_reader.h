// The reader of first-generation project files (".prj"): an INI-style text
// of sections and KEY=value lines.
//
// Lines end in CR LF or LF; blanks and tabs before a line are skipped;
// characters beyond the 1022nd of a line are dropped; empty lines are
// skipped; "/*...*/" comments become one blank (an unclosed one drops the
// rest of the line); a line is trimmed of blanks, and one that is empty
// after that is handed on as a single blank. A section line begins with
// '['; its name is letters, digits, '_' and '-'. A key is letters, digits
// and '_'. Names are upper-cased and at most 79 characters. A file cut off
// anywhere reads as the lines before the cut plus the cut line as it
// stands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

class OldIniProject {
 public:
  // 0 on success, 1 when the file cannot be opened or read.
  int Open(const std::string& path);
  // Takes the file's bytes directly (tests, fuzzing).
  void OpenText(std::string text);
  // Safe to call twice.
  void Close();
  const std::string& Path() const { return m_path; }

  void Rewind() { m_pos = 0; }
  bool AtEnd() const { return m_pos >= m_data.size(); }
  // The next line into Line(); false at the end of the file.
  bool NextLine();
  const std::string& Line() const { return m_line; }
  bool IsSectionLine() const { return !m_line.empty() && m_line[0] == '['; }

  // Section name of the current line (upper-cased), false when none can be
  // read. Sets the value position after "]".
  bool ReadSectionName(std::string* name);
  // Key name of the current line (upper-cased), false when none. Sets the
  // value position after "=" and its blanks.
  bool ReadKeyName(std::string* name);

  // Values read from the value position; each skips the blanks after it.
  int64_t ReadNumber();
  // A single number gives start and end alike.
  void ReadRange(uint32_t* start, uint32_t* end);
  // A number read as hexadecimal, as the text "0x%04X".
  std::string ReadAddressText();
  // "YES" 1, anything else 0.
  int ReadYesNo();
  // The rest of the line up to its end or a byte 0xFF, at most limit
  // characters, trailing blanks removed.
  std::string ReadText(std::size_t limit);
  // The raw rest of the line (the "F" key reads behind its 0xFF byte).
  std::string_view Rest() const;

 private:
  void SkipBlanks();

  std::string m_path;
  std::string m_data;
  std::size_t m_pos = 0;   // read position in m_data
  std::string m_line;
  std::size_t m_vpos = 0;  // value position in m_line
  bool m_forceHex = false;
};

}  // namespace pm2
