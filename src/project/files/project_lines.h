// The line grammar shared by the project file ("%s%s.Pm2") and the options
// file ("%s%s.Opt").
//
// Both files begin with the same 64-byte header: the lines
// "### Pelmora2 Project, (C) Vond Software", "### Do not modify !" and an
// empty line, each ending in CR LF. Lines are written with CR LF and read
// ending at CR LF or a lone LF (a CR without LF stays in the line).
//
// A read line loses leading and trailing blanks and tabs and every comment
// from "/*" to "*/" outside a value in brackets (an unclosed one runs to
// the line end; inside "(...)" or "<...>" the characters are the value's
// own, so a text holding "/*" reads back as it was written); empty lines are
// skipped. Lines of any length are read and written whole: a fixed line
// buffer would drop a long value (a define list, a path list) without a
// word, and the rest of the line with it. A line starts with a key
// (letters, digits, '_'; the first 128 kept, upper-cased), then blanks, an
// optional '=', blanks.
//
// Values: numbers "0x1F", "1FH"/"1fh" or "31", optionally negated with
// '-', cut to 32 bits; strings "(...)" or "<...>" with balanced inner pairs
// of the same brackets, a line break written as backslash and tilde; byte
// lists "{ 1,2,3 }" filling N bytes of a field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "project/text/opt_string.h"

namespace pm2 {

inline constexpr char kProjectHeader[] =
    "### Pelmora2 Project, (C) Vond Software\r\n### Do not modify !\r\n\r\n";
inline constexpr std::size_t kProjectHeaderSize = sizeof(kProjectHeader) - 1;  // 64
// The first line alone; a file shorter than this, or not starting with it,
// is no project text.
inline constexpr std::size_t kProjectBannerSize = 39;
inline constexpr std::size_t kMaxKeyLength = 128;

// True when text starts with the banner line.
bool HasProjectBanner(std::string_view text);

// What is wrong with the first line of a text without the banner, for a
// message about the `kind` ("project", "options") file: cut off inside
// the banner, or some other line.
std::string BannerFault(std::string_view text, const char* kind);

// True when the text is the start of a banner cut off (a project text, not
// a file of another kind).
bool IsCutBanner(std::string_view text);

// Reads lines and the values in them. The text must outlive the reader.
class ProjectLineReader {
 public:
  explicit ProjectLineReader(std::string_view text) : m_text(text) {}

  // Moves to the next non-empty line (comments removed, ends trimmed) and
  // reads its key. False at the end of the text.
  bool NextLine();
  const std::string& Line() const { return m_line; }
  const std::string& Key() const { return m_key; }
  // The number of the current line in the text (1 for the first).
  int LineNumber() const { return m_lineNo; }
  // True when the current line is the text's last and has no line end
  // (a file cut off in it).
  bool LineWasCut() const {
    return m_next >= m_text.size() && (m_text.empty() || m_text.back() != '\n');
  }
  // True for a line of the banner ("### ..."), which no reader takes.
  bool IsBannerLine() const { return m_key.empty() && !m_line.empty() && m_line.front() == '#'; }
  // The current line for a message naming what a reader left out:
  // "line 7: 'Fxle 1,1,<a.c><a.c>'" (a long line cut, with "...").
  std::string Described() const;

  // A number; 0 when none stands here. Blanks after it are skipped.
  int32_t Number();
  // False when the last Number found no digit where the number stands.
  bool LastNumberValid() const { return m_numberValid; }
  // True when the last Number's digits did not fit in 32 bits (the value
  // returned is then cut).
  bool LastNumberOverflowed() const { return m_numberOverflowed; }
  // True when the current line has nothing left to read.
  bool AtLineEnd() const { return m_pos >= m_line.size(); }
  // A number and one optional ','.
  int32_t NumberComma();
  void SkipComma();
  // A string value; "()" gives g_szEmptyOpt, as does a missing opening
  // bracket (nothing consumed then). Other values are copied into pool.
  OptString String(int pool);
  // The same without copying (line breaks restored).
  std::string StringText();
  // True when the last String or StringText found its opening bracket and
  // the one that closes it.
  bool LastStringClosed() const { return m_stringClosed; }
  // True when nothing but a "//" comment is left on the line: the fields a
  // line's format gives have all been read.
  bool AtFieldsEnd() const;
  // A byte list into n bytes of field; bytes not reached keep their value.
  void ByteList(uint8_t* field, std::size_t n);

 private:
  void SkipBlanks();

  std::string_view m_text;
  std::size_t m_next = 0;   // read position in m_text
  std::string m_line;
  std::size_t m_pos = 0;    // read position in m_line
  std::string m_key;
  int m_lineNo = 0;
  bool m_numberValid = true;
  bool m_stringClosed = false;
  bool m_numberOverflowed = false;
};

// Builds the text of one file, line by line, with CR LF endings.
class ProjectLineWriter {
 public:
  explicit ProjectLineWriter(std::string& out) : m_out(out) {}

  void Header() { m_out.append(kProjectHeader, kProjectHeaderSize); }
  // One line: the text with every line break inside it (CR LF, and a lone
  // LF too, which would otherwise split the line) written as backslash and
  // tilde, then CR LF. Lines of any length are written whole.
  void Line(std::string_view text);
  void Linef(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Empty() { m_out.append("\r\n"); }
  // " KEY=value", " KEY (text)" and " KEY { b,b,b }".
  void NumberLine(const char* key, int64_t value);
  void StringLine(const char* key, std::string_view value);
  void BytesLine(const char* key, const uint8_t* bytes, std::size_t n);

  std::string& Out() { return m_out; }

 private:
  std::string& m_out;
};

// "{ 1,2,3 }".
std::string FormatByteList(const uint8_t* bytes, std::size_t n);

// Why a text written in brackets, as "(text)" or "<text>", would not read
// back as it was written ("" when it would): the reader ends it at the
// first unmatched closing bracket (and an opening one without its partner
// swallows what follows it on the line) and turns a written line break
// into CR LF.
std::string BracketedTextFault(std::string_view text, char open, char close);
// The same for "(text)".
std::string ParenthesisedTextFault(std::string_view text);
// The first control character of a text (a line break, a tab, a NUL), as
// "0x0D"; "" when it holds none.
std::string FirstControlCharacter(std::string_view text);
// Why a file of the project, written as "<path><name>", would not read
// back as it is: the refusal that names the file, "" when it would. A '\'
// in the name is read back as a folder separator, so the file built would
// be another; a control character (a CR LF is read back whole) would reach
// the tools' command lines as itself and split the name there.
std::string StoredFileNameRefusal(std::string_view path, std::string_view name);
// Why a file of a folder of this machine (where '\' is a character of a
// name, as in "we\ird/") cannot be stored in the project as storedPath: a
// '\' in any part of the folder is read back as a folder separator, so
// the file built would be another. The refusal names the file; "" when the
// folder holds no '\'.
std::string LocalFolderRefusal(std::string_view storedPath, std::string_view localFolder);
// Why a target's name cannot be part of the names of the files the build
// writes after it (the dependency file "<project>_<target>.dep" in the
// project folder): a '/' or '\' would make a folder of it that is not
// there, a control character a name the tools split. "" when it can.
std::string TargetFileNameFault(std::string_view name);
// Why a target or group name, written as "(name)" in the project and the
// options file, would not read back as it is, or (a target) cannot name
// the build's files: the refusal that names it, "" when it would. `kind`
// is "target" or "group".
std::string StoredComponentNameRefusal(std::string_view kind, std::string_view name);

}  // namespace pm2
