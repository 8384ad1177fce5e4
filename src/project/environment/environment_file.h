// The editable model of the environment file "TOOLS.INI" that the
// Components, Environment and Books sheet works on: every section with every
// line in file order (comments, blank lines and lines this program does not
// understand included), so that writing the model back changes only what
// was edited.
//
// Reading (Parse):
//   - lines before the first section are dropped; a section line "[]" ends
//     the current section and the lines up to the next section are dropped;
//   - a key beginning with "BOOK" whose value is path("title"[,kind]) is a
//     book (kind GEN when none is given); at most 128 books per section,
//     further ones are dropped;
//   - a key beginning with "REM" is a comment, kept as it stands;
//   - "PATH" and "PATH1" lose their quotes and get a trailing separator
//     (the model is then marked changed);
//   - a blank line is kept; any other line is kept as it stands.
// Writing (Write), CR LF line ends:
//   "[%s]"; books "BOOK%d=%s(\"%s\",%s)" renumbered from 0 per section;
//   "PATH"/"PATH1" as "%s=\"%s\"" unless the value begins with a quote;
//   other entries "%s=%s"; comments, blank and foreign lines as read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/environment/environment_lines.h"

namespace pm2 {

class Disk;

struct EnvEntry {
  enum class Kind { kValue, kBook, kComment, kEmpty, kVerbatim };
  Kind kind = Kind::kValue;
  std::string key;    // as read; "BOOK" for books; empty for kEmpty/kVerbatim
  std::string value;  // books: the path; comments and verbatim lines: the text
  std::string previousValue;  // the value before SetEnvValue replaced it
  bool hasPrevious = false;
  std::string title;          // books
  int bookKind = kBookGeneral;
  bool deleted = false;       // kept in the list, not written
};

struct EnvSection {
  std::string name;  // as read
  std::vector<EnvEntry> entries;
};

struct BookListItem {
  std::string title;
  std::string path;
  int kind = kBookGeneral;
  bool operator==(const BookListItem&) const = default;
};

// SetEnvValue results.
enum SetEnvResult : int { kEnvValueUnchanged = 1, kEnvValueChanged = 2 };

// Write results; the message is the system's own text.
enum EnvWriteResult : int { kEnvWriteOk = 0, kEnvWriteReadOnly = 2, kEnvWriteFailed = 3 };

class EnvFile {
 public:
  // Reads and parses the file. False (model empty, *err naming the file)
  // when it is missing or unreadable.
  bool Load(const std::string& path, std::string* err = nullptr);
  void Parse(std::string_view text);

  // Section by toolset code (0..4) or -1 for the IDE's own section "PM2";
  // null when the file has none. FindOrAddSection appends a missing one.
  EnvSection* FindSection(int code);
  EnvSection* FindOrAddSection(int code);
  // The first entry with the key (ignoring case) that is not deleted.
  static EnvEntry* FindEntry(EnvSection& section, std::string_view key);

  // 1 when the entry exists with an equal value; otherwise the entry's old
  // value is kept as its previous value and replaced (or a new entry is
  // appended), the model is marked changed and the result is 2.
  int SetEnvValue(EnvSection& section, std::string_view key, std::string_view value);
  // The same without keeping a previous value.
  int SetEnvValueCopy(EnvSection& section, std::string_view key, std::string_view value);

  void AddBook(EnvSection& section, std::string_view title, std::string_view path, int kind);
  // The section's books that are not deleted, in order.
  static std::vector<BookListItem> GetBooks(const EnvSection& section);
  // 1 when the books already equal `books` (count, paths and titles in
  // order); otherwise the old book entries are marked deleted, the list is
  // appended and the result is 2 (model changed).
  int SetBooks(EnvSection& section, const std::vector<BookListItem>& books);

  // The file's text as Write would store it.
  std::string Format() const;
  // Writes the model to `path` atomically (a temporary file renamed over
  // it). A read-only file, or one that cannot be created, is refused with
  // "File '%s' is Read Only !" (result 2); a failed write gives "Can't
  // write to File '%s'" (result 3) and leaves the old file whole. `disk`
  // null means the real disk.
  int Write(const std::string& path, std::string* message, Disk* disk = nullptr) const;

  std::vector<EnvSection>& Sections() { return m_sections; }
  const std::vector<EnvSection>& Sections() const { return m_sections; }
  bool Changed() const { return m_changed; }

 private:
  int SetValue(EnvSection& section, std::string_view key, std::string_view value,
               bool keepPrevious);

  std::vector<EnvSection> m_sections;
  bool m_changed = false;
};

}  // namespace pm2
