// INI files with the semantics of the Windows "private profile" calls, used
// for the environment file (TOOLS.INI), keyword files, workspaces and
// first-generation projects.
//
// Format as read: lines end in "\r\n" or "\n" (each line keeps its own end
// when the document is written back; lines added get the ending of the
// document's first line, "\r\n" for a new document). "[name]" starts a
// section (text after ']' is ignored); "key=value" is an entry; a line
// without '=' inside a section is an entry with that text as its key and no
// value (keyword files list keywords this way; "REM ..." lines of TOOLS.INI
// are such entries); a line whose first non-blank character is ';' is a
// comment; lines before the first section belong to no section and are
// only kept. Section and key names compare ignoring ASCII case; blanks and
// tabs around names and values are trimmed; a value enclosed in a matching
// pair of '"' or '\'' is read without them. Where a section or key occurs
// twice the first one counts. Rewriting keeps every line it does not change
// byte for byte: comments, blank lines, order and unknown lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pm2 {

class Disk;

// The profile's integer form: after trimming, an optional '-', then "0x"
// or "0X" and hex digits, else decimal digits; parsing stops at the first
// other character; no digits at all give 0. Overflow wraps at 32 bits.
int ParseProfileInt(std::string_view text);

class IniDocument {
 public:
  IniDocument() = default;
  // Never fails: every byte sequence is some document.
  static IniDocument Parse(std::string_view bytes);
  // The document's bytes; Parse(x).Serialize() == x for any x.
  std::string Serialize() const;

  bool HasKey(std::string_view section, std::string_view key) const;

  // The value of a key, trimmed and unquoted; false (and *out untouched)
  // when the section or key does not exist. A key without '=' reads as "".
  bool Find(std::string_view section, std::string_view key, std::string* out) const;
  // The value or `def` when missing; never truncates.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view def = {}) const;
  // The value (or `def` with trailing blanks removed, when missing) copied
  // into buf with at most size-1 bytes and a closing NUL; returns the bytes
  // copied. With a null section the buffer gets all section names, with a
  // null key all key names of the section, each NUL-terminated plus one
  // closing NUL; when they do not fit the list is cut, ends in two NULs,
  // and size-2 is returned. size 0 copies nothing and returns 0.
  size_t GetString(const char* section, const char* key, const char* def, char* buf,
                   size_t size) const;
  // ParseProfileInt of the value, `def` when the key is missing.
  int GetInt(std::string_view section, std::string_view key, int def) const;

  // Section names and a section's key names, in file order (first spelling).
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The section's entries as "key=value" (trimmed, quotes kept) or the bare
  // key text, in file order; comments and blank lines left out.
  std::vector<std::string> SectionLines(std::string_view section) const;

  // WritePrivateProfileString: sets key to value, creating the section (at
  // the end) and the key (after the section's last entry) as needed. A null
  // value deletes the key, a null key deletes the section with all its
  // lines (comments inside it too). A name or value that cannot be stored
  // on one line (a line break; '=' in a key; ']' in a section name; an
  // empty section name) is refused: false with *err naming it (err may be
  // null), and the document is unchanged. Deleting what does not exist
  // succeeds.
  bool Write(const char* section, const char* key, const char* value, std::string* err = nullptr);
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);

  // Replaces the entries of a section with `lines` ("key=value" or bare
  // text each), creating the section when missing (WritePrivateProfileSection).
  bool WriteSection(std::string_view section, const std::vector<std::string>& lines,
                    std::string* err = nullptr);

 private:
  enum class LineKind : uint8_t { kOther, kBlank, kComment, kSection, kEntry };
  struct Line {
    std::string text;  // without its line end
    std::string eol;   // "\r\n", "\n" or "" (last line without end)
    LineKind kind = LineKind::kOther;
    // kSection: the trimmed name; kEntry: the trimmed key.
    std::string name;
    // kEntry: the trimmed raw value (quotes kept); hasValue false without '='.
    std::string value;
    bool hasValue = false;
  };
  struct Range {
    size_t header = 0;  // index of the section line
    size_t end = 0;     // one past the section's last line
  };
  static Line MakeLine(std::string text, std::string eol);
  bool FindSection(std::string_view section, Range* out) const;
  size_t FindEntry(const Range& r, std::string_view key) const;  // npos when missing
  std::string NewEol() const { return m_crlf ? "\r\n" : "\n"; }
  void InsertLines(size_t at, std::vector<Line> lines);
  size_t AppendSection(std::string_view section);  // returns header index

  std::vector<Line> m_lines;
  bool m_crlf = true;
};

// Reads and rewrites INI files, keeping parsed files cached by path, size
// and modification time. Writes are atomic (the old file stays whole when
// a write fails). Safe to use from several threads.
class IniFiles {
 public:
  // `disk` is used for writing; null means the real disk.
  explicit IniFiles(Disk* disk = nullptr);
  ~IniFiles();

  // The parsed file; a missing file is an empty document. Null with *err
  // when the file exists but cannot be read.
  std::shared_ptr<const IniDocument> Load(const std::string& path, std::string* err = nullptr);

  // The private-profile calls on a file.
  std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view def = {});
  size_t GetString(const std::string& path, const char* section, const char* key, const char* def,
                   char* buf, size_t size);
  int GetInt(const std::string& path, std::string_view section, std::string_view key, int def);
  std::vector<std::string> SectionNames(const std::string& path);
  std::vector<std::string> KeyNames(const std::string& path, std::string_view section);
  std::vector<std::string> SectionLines(const std::string& path, std::string_view section);
  // Reads the file afresh, applies IniDocument::Write and writes it back
  // atomically (a new file is created). False with *err on a refused name
  // or value or a failed write.
  bool Write(const std::string& path, const char* section, const char* key, const char* value,
             std::string* err = nullptr);
  bool WriteSection(const std::string& path, std::string_view section,
                    const std::vector<std::string>& lines, std::string* err = nullptr);
  // Writes a whole document atomically (after editing a loaded copy).
  bool Save(const std::string& path, const IniDocument& doc, std::string* err = nullptr);

  void Invalidate(const std::string& path);

 private:
  struct Entry;
  bool Store(const std::string& path, const IniDocument& doc, std::string* err);
  Disk* m_disk;
  std::mutex m_writeMutex;  // one read-modify-write at a time
  std::mutex m_mutex;       // guards m_cache
  std::unordered_map<std::string, std::shared_ptr<Entry>> m_cache;
};

// The process's shared INI reader (for code ported from the Windows calls).
IniFiles& TheIniFiles();

}  // namespace pm2
